// The data folder layout, the tuner folder and the version text.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/appfolders.h"
#include "common/versiontext.h"

namespace {

TEST(FoldersTest, FirstRunCreatesTheDataFolderAndEverySubFolder) {
  QTemporaryDir dir;
  const QString data = dir.path() + "/ZOVA/";
  const TFolderResult r = CreateDataFolders(data);
  ASSERT_TRUE(r.Ok) << r.Message.toStdString();
  EXPECT_TRUE(QFileInfo(data).isDir());
  EXPECT_EQ(DataSubFolders().size(), 8);
  for (const QString& sub : DataSubFolders()) EXPECT_TRUE(QFileInfo(data + sub).isDir()) << sub.toStdString();
}

TEST(FoldersTest, ExistingFoldersAndTheirContentsAreLeftAlone) {
  QTemporaryDir dir;
  const QString data = dir.path() + "/ZOVA/";
  ASSERT_TRUE(QDir().mkpath(data + "tuner/local/icones"));
  QFile icon(data + "tuner/local/icones/fip.png");
  ASSERT_TRUE(icon.open(QIODevice::WriteOnly));
  icon.write("png");
  icon.close();
  QFile catalogue(data + "tuner/local/radios.xml");
  ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly));
  catalogue.write("<DATAPACKET/>");
  catalogue.close();

  ASSERT_TRUE(CreateDataFolders(data).Ok);
  ASSERT_TRUE(CreateDataFolders(data).Ok);  // a second start changes nothing either
  EXPECT_EQ(QFileInfo(data + "tuner/local/icones/fip.png").size(), 3);
  EXPECT_EQ(QFileInfo(data + "tuner/local/radios.xml").size(), 13);
  for (const QString& sub : DataSubFolders()) EXPECT_TRUE(QFileInfo(data + sub).isDir());
}

TEST(FoldersTest, AFolderThatCannotBeMadeStopsWithItsPath) {
  QTemporaryDir dir;
  const QString data = dir.path() + "/ZOVA/";
  ASSERT_TRUE(QDir().mkpath(data));
  // A plain file where "tuner/" should be: that folder and those under it cannot be made.
  QFile blocker(data + "tuner");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const TFolderResult r = CreateDataFolders(data);
  EXPECT_FALSE(r.Ok);
  EXPECT_EQ(r.FailedPath, data + "tuner/");
  EXPECT_TRUE(r.Message.contains("tuner")) << r.Message.toStdString();
  EXPECT_TRUE(QFileInfo(data + "temp").isDir());  // made before the failure
}

TEST(FoldersTest, TunerFolderNeverLeavesTheTunerTree) {
  struct Case {
    const char* mode;
    const char* folder;
  } cases[] = {{"remote", "/d/ZOVA/tuner/remote/"},
               {"local", "/d/ZOVA/tuner/local/"},
               {"Local", "/d/ZOVA/tuner/remote/"},
               {"../../../etc", "/d/ZOVA/tuner/remote/"},
               {"", "/d/ZOVA/tuner/remote/"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TunerFolderFor("/d/ZOVA/", QString::fromUtf8(c.mode)), QString::fromUtf8(c.folder)) << c.mode;
  }
}

TEST(FoldersTest, SpecialFoldersEndWithASlashAndExist) {
  for (SpecialFolder f : {SpecialFolder::LocalAppData, SpecialFolder::Documents}) {
    const QString path = GetSpecialFolderPath(f);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(path.endsWith('/'));
    EXPECT_TRUE(QFileInfo(path).isDir());
  }
}

TEST(VersionTextTest, FormatsTheCompiledVersion) {
  struct Case {
    std::optional<TFileVersion> version;
    const char* format;
    const char* text;
  } cases[] = {
      {CompiledFileVersion(), " %d.%d.%d", " 2.1.1"},
      {CompiledFileVersion(), " %d.%d.%d.%d", " 2.1.1.273"},
      {TFileVersion{1, 2, 3, 4}, "v%d-%d (%d/%d) %%", "v1-2 (3/4) %"},
      {TFileVersion{1, 2, 3, 4}, "%d.%d.%d.%d.%d", "1.2.3.4."},  // no fifth number to show
      {std::nullopt, " %d.%d.%d", ""},                            // no version: bare title
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatVersionText(c.version, QString::fromUtf8(c.format)), QString::fromUtf8(c.text)) << c.format;
  }
  EXPECT_EQ("Zovalis" + GetVersionText(" %d.%d.%d"), "Zovalis 2.1.1");
}

}  // namespace
