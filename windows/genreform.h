// The genre list editor of the local catalogue.
#pragma once

#include "windows/listeditform.h"

class TgenreForm : public TListEditForm {
  Q_OBJECT
 public:
  explicit TgenreForm(QWidget* parent = nullptr);
};
