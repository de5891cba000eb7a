// Replays the fuzz corpus kept in tests/fixtures/catalogue/ through the fuzz targets'
// code, so inputs that once broke the parser or the reader stay covered.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "fuzzbodies.h"

namespace {

void Replay(const char* folder, void (*body)(const QByteArray&)) {
  const QDir dir(QStringLiteral(ZOVALIS_SOURCE_DIR "/tests/fixtures/catalogue/") + folder);
  const QStringList names = dir.entryList(QDir::Files);
  ASSERT_FALSE(names.isEmpty()) << folder;
  for (const QString& name : names) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    SCOPED_TRACE(name.toStdString());
    body(file.readAll());  // aborts on a broken invariant
  }
}

TEST(FuzzCorpus, FilterInputsReplay) { Replay("fuzz-filter", catfuzz::FilterInput); }

TEST(FuzzCorpus, CatalogueInputsReplay) { Replay("fuzz-catalogue", catfuzz::CatalogueInput); }

}  // namespace
