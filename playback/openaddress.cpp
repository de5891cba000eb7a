#include "playback/openaddress.h"

#include <QUrl>

namespace {

bool HasBlankOrControl(const QString& text) {
  for (const QChar c : text)
    if (c.isSpace() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) return true;
  return false;
}

}  // namespace

QString StreamAddressOf(const QString& text) {
  if (text.size() > kMaxAddressLength) return QString();
  QString t = text.trimmed();
  if (t.isEmpty() || HasBlankOrControl(t)) return QString();
  const qsizetype scheme = t.indexOf(QLatin1String("://"));
  if (scheme < 0) {
    // No scheme: a host name with a dot (or localhost), an optional port and path. A
    // local path is no address.
    if (t.startsWith(QLatin1Char('/')) || t.startsWith(QLatin1Char('.')) || t.startsWith(QLatin1Char('~')))
      return QString();
    t = QStringLiteral("http://") + t;
  } else {
    const QString name = t.left(scheme).toLower();
    if (name == QLatin1String("icy")) {
      t = QStringLiteral("http://") + t.mid(scheme + 3);
    } else if (name != QLatin1String("http") && name != QLatin1String("https")) {
      return QString();
    }
  }
  const QUrl url(t, QUrl::StrictMode);
  if (!url.isValid() || url.host().isEmpty()) return QString();
  // A bare word got "http://" above: it must look like a host ("example.org", "localhost",
  // an IP address), not like a word typed by mistake.
  if (scheme < 0 && !url.host().contains(QLatin1Char('.')) && url.host() != QLatin1String("localhost")) return QString();
  return t;
}

TOpenAddress::TOpenAddress(const QString& clipboard) {
  // Only a text written as an address: a copied file name ("notes.txt") or word with a
  // dot would otherwise pass for a host.
  if (clipboard.size() <= kMaxAddressLength && clipboard.contains(QLatin1String("://")))
    text_ = StreamAddressOf(clipboard);
}

TStationRecord TOpenAddress::Station() const {
  TStationRecord r;
  const QString address = Address();
  if (address.isEmpty()) return r;
  r.Radio = address;
  r.Url = address;
  return r;
}
