// The secondary windows' look: the playlist window with its five buttons and labels,
// the station browser's frame, and the configuration and information windows with
// their close buttons (and the information window's save button and pictures).
#pragma once

#include <QWidget>

class WindowsPage : public QWidget {
  Q_OBJECT
 public:
  explicit WindowsPage(QWidget* parent = nullptr);
};
