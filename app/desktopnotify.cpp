#include "app/desktopnotify.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

bool TDesktopNotifier::Notify(const QString& title, const QString& text, bool error, int timeoutMs) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("zovalis"));
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(error ? 2 : 1)));
  call << QStringLiteral("Zovalis") << lastId_ << (error ? QStringLiteral("dialog-error") : QStringLiteral("zovalis"))
       << title << text << QStringList() << hints << timeoutMs;
  // Not waited for: a slow service never holds up the window. The answer names the
  // notification the next one replaces.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<uint> reply = *w;
    if (reply.isValid()) lastId_ = reply.value();
    w->deleteLater();
  });
  return true;
}
