// Title balloons on desktops without a notification area: the desktop's notification
// service (org.freedesktop.Notifications on the session bus). Each new notification
// replaces the program's previous one, so titles do not pile up.
#pragma once

#include <QObject>
#include <QString>

class TDesktopNotifier : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  // Shows `title` and `text` with the information or error icon for `timeoutMs`; false
  // when no notification service answers.
  bool Notify(const QString& title, const QString& text, bool error, int timeoutMs);

 private:
  uint lastId_ = 0;
};
