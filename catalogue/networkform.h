// The network list editor of the local catalogue.
#pragma once

#include "widgets/skinnedform.h"

class TnetworkForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TnetworkForm(QWidget* parent = nullptr);
};
