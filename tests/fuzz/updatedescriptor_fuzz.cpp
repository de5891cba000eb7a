// libFuzzer target: the update descriptor version.xml (ParseUpdateDescriptor) and the
// tuner addresses it lists, resolved against the server's base address.
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>

#include "catalogue/updatedescriptor.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray xml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const TUpdateDescriptor d = ParseUpdateDescriptor(xml);
  if (!d.Ok) {
    FUZZ_CHECK(!d.Error.isEmpty() && d.Tuners.isEmpty() && d.ServerVersion == 0);
    return 0;
  }
  FUZZ_CHECK(d.Error.isEmpty());
  FUZZ_CHECK(d.ServerVersion >= 0 && d.ServerVersion <= 99999 * 10000 + 9999 * 100 + 9999);
  for (const QString& tuner : d.Tuners) {
    FUZZ_CHECK(!tuner.isEmpty());
    for (const char* base : {"file:///opt/zovalis/server/", "https://radios.example.org/zovalis/"})
      FUZZ_CHECK(ResolveTunerAddress(QString::fromLatin1(base), tuner).endsWith(QLatin1Char('/')));
  }
  return 0;
}
