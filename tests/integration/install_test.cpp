// The installed program: `cmake --install` into a temporary root (DESTDIR), the launcher
// entry and the AppStream description accepted by their validators, the icons, the
// installed program started from its bin/ link finding its skin and catalogue, and
// playing; then the install manifest removes every file.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include "programharness.h"
#include "support/icecast.h"

namespace {

TEST(Install, InstalledProgramIsValidStartsPlaysAndUninstalls) {
  QTemporaryDir root;
  const QString prefix = root.path() + "/usr/local";
  QProcess install;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DESTDIR", root.path());
  install.setProcessEnvironment(env);
  install.start("cmake", {"--install", ZOVALIS_PROGRAM_DIR, "--prefix", "/usr/local"});
  ASSERT_TRUE(install.waitForFinished(120000));
  ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

  for (const char* file : {"bin/zovalis", "lib/zovalis/zovalis", "lib/zovalis/skin/main.png",
                           "lib/zovalis/encoder/faac", "lib/zovalis/server/catalogue/radios.xml",
                           "share/applications/zovalis.desktop", "share/metainfo/org.example.zovalis.metainfo.xml",
                           "share/icons/hicolor/48x48/apps/zovalis.png", "share/icons/hicolor/128x128/apps/zovalis.png",
                           "share/icons/hicolor/256x256/apps/zovalis.png",
                           "share/icons/hicolor/scalable/apps/zovalis.svg"})
    EXPECT_TRUE(QFile::exists(prefix + "/" + file)) << file;

  QProcess check;
  check.start("desktop-file-validate", {prefix + "/share/applications/zovalis.desktop"});
  ASSERT_TRUE(check.waitForFinished(30000));
  EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();
  EXPECT_EQ(check.readAllStandardOutput(), "");
  // The desktop hands playlists and stream links to the program: a link opened in a web
  // browser or a playlist opened in a file manager comes as the program's argument.
  {
    QFile file(prefix + "/share/applications/zovalis.desktop");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QString exec, types;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (line.startsWith("Exec=")) exec = QString::fromUtf8(line.mid(5));
      if (line.startsWith("MimeType=")) types = QString::fromUtf8(line.mid(9));
    }
    EXPECT_EQ(exec, "zovalis %U");
    for (const char* type : {"audio/x-scpls", "audio/x-mpegurl", "audio/mpegurl", "application/vnd.apple.mpegurl",
                             "application/xspf+xml"})
      EXPECT_TRUE(types.split(';').contains(type)) << type << " in " << types.toStdString();
  }
  check.start("appstreamcli", {"validate", "--no-net", prefix + "/share/metainfo/org.example.zovalis.metainfo.xml"});
  ASSERT_TRUE(check.waitForFinished(30000));
  EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardOutput().toStdString();

  // The installed program, started by its link, on a station of a local Icecast.
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error)) << error;
  ASSERT_TRUE(h.WriteLocalStation("Zova Live", QString::fromStdString(icecast.Url("/live"))));
  QProcess* program = h.Launch(prefix + "/bin/zovalis");
  EXPECT_TRUE(h.WaitFor([&] { return h.SinkLevel() > 0.01; }, 30000))
      << "no sound: " << program->readAllStandardError().toStdString();
  // The update server delivered beside the installed program answered the start-up.
  EXPECT_TRUE(QFile::exists(h.home.DataFolder() + "version.xml"));
  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0);

  // The manifest lists every installed file (without the DESTDIR root): removing them
  // leaves no file behind.
  QFile manifest(QStringLiteral(ZOVALIS_PROGRAM_DIR "/install_manifest.txt"));
  ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
  for (const QByteArray& line : manifest.readAll().split('\n')) {
    if (!line.isEmpty()) QFile::remove(root.path() + QString::fromUtf8(line));
  }
  QDirIterator left(root.path(), QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
  QStringList files;
  while (left.hasNext()) files << left.next();
  EXPECT_TRUE(files.isEmpty()) << files.join("\n").toStdString();
}

}  // namespace
