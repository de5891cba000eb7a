// The station browser: filters, ordering and navigation over the catalogue.
#pragma once

#include "widgets/skinnedform.h"

class TFormListeRadio : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TFormListeRadio(QWidget* parent = nullptr);
};
