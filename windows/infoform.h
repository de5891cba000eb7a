// The information window: playlist of titles heard, support, donation and about pages.
#pragma once

#include "widgets/skinnedform.h"

class TInfoForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TInfoForm(QWidget* parent = nullptr);
};
