// The configuration window: the live copy of most settings, on five pages.
#pragma once

#include "widgets/skinnedform.h"

class TConfigForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TConfigForm(QWidget* parent = nullptr);

  // Shows the window with `page` active (the pages are laid out with their own controls).
  void ShowPage(const QString& page) {
    currentPage_ = page;
    show();
    raise();
  }
  const QString& CurrentPage() const { return currentPage_; }

 private:
  QString currentPage_;
};
