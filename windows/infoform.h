// The information window: playlist of titles heard, support, donation and about pages.
#pragma once

#include "widgets/skinnedform.h"

class TInfoForm : public TSkinnedForm {
  Q_OBJECT
 public:
  explicit TInfoForm(QWidget* parent = nullptr);

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
