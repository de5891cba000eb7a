// The country list editor of the local catalogue, with each country's flag.
#pragma once

#include "windows/listeditform.h"

class TcountryForm : public TListEditForm {
  Q_OBJECT
 public:
  explicit TcountryForm(QWidget* parent = nullptr);
};
