// The splash and progress window: a small frameless window on top of the others, centred,
// that shows the progress of long catalogue work.
#pragma once

#include <QWidget>

class TDownLoadForm : public QWidget {
  Q_OBJECT
 public:
  explicit TDownLoadForm(QWidget* parent = nullptr);
};
