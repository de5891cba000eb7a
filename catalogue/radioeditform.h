// The station editor of the local catalogue.
#pragma once

#include "widgets/skinnedform.h"

class TRadioEditForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TRadioEditForm(QWidget* parent = nullptr);
};
