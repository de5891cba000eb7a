// The network list editor of the local catalogue.
#pragma once

#include "windows/listeditform.h"

class TnetworkForm : public TListEditForm {
  Q_OBJECT
 public:
  explicit TnetworkForm(QWidget* parent = nullptr);
};
