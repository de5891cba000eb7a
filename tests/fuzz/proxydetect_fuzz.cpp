// libFuzzer target: the system proxy detection. The input, cut at NUL bytes, gives the
// scheme, the proxy list text, then the http_proxy environment value and the answers of
// gsettings (mode, host, port).
#include <cstddef>
#include <cstdint>

#include <QString>
#include <QStringList>

#include "catalogue/proxydetect.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QList<QByteArray> parts = bytes.split('\0');
  while (parts.size() < 6) parts.append(QByteArray());
  const QString scheme = QString::fromUtf8(parts[0]);
  const QString list = QString::fromUtf8(parts[1]);

  const TDetectedProxy p = DetectProxy(scheme, list);
  FUZZ_CHECK(p.Port >= 0 && p.Port <= 65535);
  FUZZ_CHECK(p.Host.size() <= list.size());
  if (p.Host.isEmpty() && !list.contains(QLatin1Char(':'))) FUZZ_CHECK(p.Port == 0);
  (void)DetectProxy(QStringLiteral("http"), list);

  const QString fromUrl = ProxyTextFromUrl(list);
  FUZZ_CHECK(!fromUrl.endsWith(QLatin1Char('/')));

  const auto env = [&](const char* name) {
    return QString::fromLatin1(name) == QLatin1String("http_proxy") ? QString::fromUtf8(parts[2]) : QString();
  };
  const auto gsettings = [&](const QStringList& args) -> QString {
    if (args.value(2) == QLatin1String("mode")) return QString::fromUtf8(parts[3]);
    if (args.value(2) == QLatin1String("host")) return QString::fromUtf8(parts[4]);
    return QString::fromUtf8(parts[5]);
  };
  const QString system = ReadSystemProxy(env, gsettings);
  (void)DetectProxy(QStringLiteral("http"), system);
  return 0;
}
