// The configuration window: the live copy of most settings, on five pages.
#pragma once

#include "widgets/skinnedform.h"

class TConfigForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TConfigForm(QWidget* parent = nullptr);
};
