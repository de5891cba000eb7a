// The genre list editor of the local catalogue.
#pragma once

#include "widgets/skinnedform.h"

class TgenreForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TgenreForm(QWidget* parent = nullptr);
};
