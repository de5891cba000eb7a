#include "generatedfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

namespace generatedfiles {

namespace {

struct Generated {
  std::unique_ptr<QTemporaryDir> dir;
  QJsonArray manifest;
  bool ok = false;
};

Generated& Files() {
  static Generated generated = [] {
    Generated g;
    g.dir = std::make_unique<QTemporaryDir>();
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedChannels);
    maker.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(ZOVALIS_TAGS_MAKER), g.dir->path()});
    if (!maker.waitForFinished(120000) || maker.exitCode() != 0) return g;
    QFile file(g.dir->filePath(QStringLiteral("manifest.json")));
    if (!file.open(QIODevice::ReadOnly)) return g;
    g.manifest = QJsonDocument::fromJson(file.readAll()).array();
    g.ok = !g.manifest.isEmpty();
    return g;
  }();
  return generated;
}

}  // namespace

QString Folder() {
  EXPECT_TRUE(Files().ok) << "makefiles.py failed";
  return Files().dir->path();
}

QJsonArray Manifest() {
  EXPECT_TRUE(Files().ok) << "makefiles.py failed";
  return Files().manifest;
}

}  // namespace generatedfiles
