// The country list editor of the local catalogue, with each country's flag.
#pragma once

#include "widgets/skinnedform.h"

class TcountryForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TcountryForm(QWidget* parent = nullptr);
};
