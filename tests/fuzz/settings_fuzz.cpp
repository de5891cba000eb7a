// libFuzzer target: the settings values as read from an INI file: the input is written
// as the settings file and read back through QSettings and ReadSettingsValues (only
// reads: no folder is created, nothing is written back).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include <QSettings>
#include <QString>

#include <unistd.h>

#include "common/settings.h"
#include "fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // One name for the whole run: QSettings keeps a parsed copy per file name, and reads
  // the file again whenever a store that changed nothing is opened on it.
  static const std::string path = std::filesystem::temp_directory_path().string() +
                                  "/zovalis-settings-fuzz-" + std::to_string(getpid()) + ".ini";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  {
    QSettings store(QString::fromStdString(path), QSettings::IniFormat);
    const TSettings defaults = DefaultSettings(QSize(1920, 1080), QStringLiteral("/nonexistent/"));
    TSettings s;
    ReadSettingsValues(store, s, defaults);
    FUZZ_CHECK(s.Volume >= 0 && s.Volume <= 100);
    FUZZ_CHECK(s.Mode == QLatin1String("local") || s.Mode == QLatin1String("remote"));
    FUZZ_CHECK(s.Favorites.size() <= store.allKeys().size());
  }
  std::remove(path.c_str());
  return 0;
}
