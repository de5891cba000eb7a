// Settings: defaults, the written file, values of the wrong type, favourites, live
// controls, and the recording folder.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "common/settings.h"
#include "recording/recordpage.h"

namespace {

const QSize kScreen(1024, 768);

class SettingsTest : public ::testing::Test {
 protected:
  QString IniPath() const { return dir.path() + QStringLiteral("/Zovaline.ini"); }
  QString Docs() const { return dir.path() + QStringLiteral("/Documents/"); }
  void SetUp() override { QDir().mkpath(Docs()); }

  // Writes raw INI lines, as another program or an older version might have left them.
  void WriteIni(const QString& body) {
    QFile f(IniPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\n" + body.toUtf8());
  }

  TSettings Load(TLoadResult* result = nullptr) {
    QSettings store(IniPath(), QSettings::IniFormat);
    TSettings s;
    const TLoadResult r = LoadSettings(store, s, kScreen, Docs());
    if (result) *result = r;
    return s;
  }

  QString RawFile() {
    QFile f(IniPath());
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
  }

  QTemporaryDir dir;
};

TEST_F(SettingsTest, FirstRunTakesEveryDefaultAndMakesTheRecordingFolder) {
  const TSettings s = Load();
  EXPECT_TRUE(s.TrayInformation);
  EXPECT_FALSE(s.SpectroPeaks);
  EXPECT_EQ(s.SpectroColorL, 32768);
  EXPECT_EQ(s.SpectroColorM, 65535);
  EXPECT_EQ(s.SpectroColorH, 255);
  EXPECT_FALSE(s.IsProxyServer);
  EXPECT_EQ(s.ProxyServer, "");
  EXPECT_EQ(s.ProxyUser, "");
  EXPECT_EQ(s.ProxyPasswd, "");
  EXPECT_EQ(s.ProxyPort, "");
  EXPECT_EQ(s.LastRadio, "");
  EXPECT_EQ(s.Filter, "Genre");
  EXPECT_EQ(s.FilterName, "");
  EXPECT_EQ(s.FilterCountry, "France");
  EXPECT_EQ(s.FilterGenre, "Eclectique");
  EXPECT_EQ(s.FilterNetwork, "Radio France");
  EXPECT_EQ(s.FilterQuality, "HI-FI");
  EXPECT_EQ(s.FilterStream, "MP3");
  EXPECT_EQ(s.RecordDir, Docs() + "Zovalis");
  EXPECT_TRUE(QFileInfo(Docs() + "Zovalis").isDir());
  EXPECT_TRUE(s.CutByTitle);
  EXPECT_EQ(s.RecordOcc, 20);
  EXPECT_EQ(s.RecordEncoder, "OGG");
  // Clean tracks are off until the user asks for them.
  EXPECT_FALSE(s.CleanDropPartial);
  EXPECT_EQ(s.CleanMinSeconds, 0);
  EXPECT_EQ(s.CleanMaxMinutes, 0);
  EXPECT_EQ(s.CleanIgnore, "");
  EXPECT_FALSE(s.CleanSkipRepeats);
  EXPECT_EQ(s.Top, 263);   // (768 - 241) / 2 = 263.5, truncated
  EXPECT_EQ(s.Left, 272);  // (1024 - 480) / 2
  EXPECT_EQ(s.Mode, "remote");
  EXPECT_TRUE(s.Favorites.isEmpty());
  EXPECT_EQ(s.Volume, 100);
}

TEST_F(SettingsTest, CentredPositionTruncatesOddAndSmallScreens) {
  struct Case {
    QSize screen;
    int top, left;
  } cases[] = {{{1025, 769}, 264, 272}, {{1920, 1080}, 419, 720}, {{400, 200}, -20, -40}};
  for (const auto& c : cases) {
    const TSettings d = DefaultSettings(c.screen, Docs());
    EXPECT_EQ(d.Top, c.top) << c.screen.width() << "x" << c.screen.height();
    EXPECT_EQ(d.Left, c.left) << c.screen.width() << "x" << c.screen.height();
  }
}

TEST_F(SettingsTest, SavedFileReadsBackWithTypesAsStored) {
  TSettings s = Load();
  s.TrayInformation = false;
  s.SpectroPeaks = true;
  s.SpectroColorL = 0x123456;
  s.IsProxyServer = true;
  s.ProxyServer = "proxy.example";
  s.ProxyUser = "jean-françois";
  s.ProxyPasswd = " p=a;s,s\"w'd ";  // stored exactly as typed, plain text
  s.ProxyPort = "3128";
  s.LastRadio = "FIP, la radio";
  s.Filter = "Country";
  s.FilterName = "Jazz & Blues";
  s.RecordOcc = 50;
  s.RecordEncoder = "MP3";
  s.CutByTitle = false;
  s.CleanDropPartial = true;
  s.CleanMinSeconds = 20;
  s.CleanMaxMinutes = 12;
  s.CleanIgnore = "Publicité; Radio X";
  s.CleanSkipRepeats = true;
  s.Top = -5;
  s.Left = 1200;
  s.Mode = "local";
  s.Favorites = {"B station", "A station"};
  s.Volume = 0;
  {
    QSettings store(IniPath(), QSettings::IniFormat);
    ASSERT_TRUE(SaveSettings(store, s));
  }
  const QString raw = RawFile();
  // Bools are the integers 0 and 1; ints are integers.
  EXPECT_TRUE(raw.contains("\nTrayInformation=0\n")) << raw.toStdString();
  EXPECT_TRUE(raw.contains("\nSpectroPeaks=1\n"));
  EXPECT_TRUE(raw.contains("\nIsProxyServer=1\n"));
  EXPECT_TRUE(raw.contains("\nCutByTitle=0\n"));
  EXPECT_TRUE(raw.contains("\nCleanDropPartial=1\n"));
  EXPECT_TRUE(raw.contains("\nCleanMinSeconds=20\n"));
  EXPECT_TRUE(raw.contains("\nVolume=0\n"));
  EXPECT_TRUE(raw.contains("\nFavoritesCount=2\n"));
  for (const char* name :
       {"TrayInformation", "SpectroPeaks", "SpectroColorL", "SpectroColorM", "SpectroColorH", "IsProxyServer",
        "ProxyServer", "ProxyUser", "ProxyPasswd", "ProxyPort", "LastRadio", "Filter", "FilterName",
        "FilterCountry", "FilterGenre", "FilterNetwork", "FilterQuality", "FilterStream", "RecordDir",
        "CutByTitle", "RecordOcc", "RecordEncoder", "Top", "Left", "Mode", "FavoritesCount", "Favorites_0",
        "Favorites_1", "Volume"}) {
    EXPECT_TRUE(raw.contains(QStringLiteral("\n%1=").arg(QLatin1String(name)))) << name;
  }

  const TSettings back = Load();
  EXPECT_FALSE(back.TrayInformation);
  EXPECT_TRUE(back.SpectroPeaks);
  EXPECT_EQ(back.SpectroColorL, 0x123456);
  EXPECT_TRUE(back.IsProxyServer);
  EXPECT_EQ(back.ProxyUser, "jean-françois");
  EXPECT_EQ(back.ProxyPasswd, " p=a;s,s\"w'd ");
  EXPECT_EQ(back.LastRadio, "FIP, la radio");
  EXPECT_EQ(back.Filter, "Country");
  EXPECT_EQ(back.FilterName, "Jazz & Blues");
  EXPECT_EQ(back.RecordOcc, 50);
  EXPECT_EQ(back.RecordEncoder, "MP3");
  EXPECT_FALSE(back.CutByTitle);
  EXPECT_TRUE(back.CleanDropPartial);
  EXPECT_EQ(back.CleanMinSeconds, 20);
  EXPECT_EQ(back.CleanMaxMinutes, 12);
  EXPECT_EQ(back.CleanIgnore, "Publicité; Radio X");
  EXPECT_TRUE(back.CleanSkipRepeats);
  EXPECT_EQ(back.Top, -5);
  EXPECT_EQ(back.Left, 1200);
  EXPECT_EQ(back.Mode, "local");
  EXPECT_EQ(back.Favorites, QStringList({"B station", "A station"}));
  EXPECT_EQ(back.Volume, 0);
}

TEST_F(SettingsTest, ValuesOfTheWrongTypeReadAsTheDefault) {
  WriteIni(
      "TrayInformation=yes\n"
      "SpectroPeaks=7\n"
      "SpectroColorL=1.5\n"
      "SpectroColorM=\n"
      "IsProxyServer=true\n"
      "CutByTitle= 0 \n"
      "RecordOcc=vingt\n"
      "Top=12abc\n"
      "Mode=../../etc\n"
      "Volume=250\n"
      "Filter=a, b\n");
  const TSettings s = Load();
  EXPECT_TRUE(s.TrayInformation);       // "yes": default true
  EXPECT_TRUE(s.SpectroPeaks);          // any non-zero integer is true
  EXPECT_EQ(s.SpectroColorL, 32768);    // not an integer: default
  EXPECT_EQ(s.SpectroColorM, 65535);    // empty: default
  EXPECT_TRUE(s.IsProxyServer);         // the INI reader's own bool text
  EXPECT_FALSE(s.CutByTitle);           // spaces around an integer are fine
  EXPECT_EQ(s.RecordOcc, 20);
  EXPECT_EQ(s.Top, 263);
  EXPECT_EQ(s.Mode, "remote");          // only "local" and "remote" name tuners
  EXPECT_EQ(s.Volume, 100);             // kept within 0-100
  EXPECT_EQ(s.Filter, "a,b");           // an unquoted comma does not lose the text
}

TEST_F(SettingsTest, ObsoleteFiltersAreDeletedOnLoad) {
  WriteIni("Filter1=x\nFilter2=y\nFilter=Stream\n");
  const TSettings s = Load();
  EXPECT_EQ(s.Filter, "Stream");
  QSettings store(IniPath(), QSettings::IniFormat);
  EXPECT_FALSE(store.contains("Filter1"));
  EXPECT_FALSE(store.contains("Filter2"));
  EXPECT_TRUE(store.contains("Filter"));
}

TEST_F(SettingsTest, FavouritesFollowTheirCount) {
  struct Case {
    const char* ini;
    QStringList expected;
  } cases[] = {
      {"FavoritesCount=2\nFavorites_0=Un\nFavorites_1=Deux\nFavorites_2=Trois\n", {"Un", "Deux"}},
      {"FavoritesCount=2\nFavorites_1=Deux\n", {"", "Deux"}},  // a missing value is an empty name
      {"FavoritesCount=0\nFavorites_0=Un\n", {}},
      {"FavoritesCount=-3\nFavorites_0=Un\n", {}},
      {"Favorites_0=Un\n", {}},
      {"FavoritesCount=2000000000\nFavorites_0=Un\n", {"Un", ""}},  // a damaged count stays bounded
  };
  for (const auto& c : cases) {
    WriteIni(QString::fromUtf8(c.ini));
    EXPECT_EQ(Load().Favorites, c.expected) << c.ini;
  }
}

TEST_F(SettingsTest, RemovedFavouritesLowerTheCountAndLeaveOldValues) {
  WriteIni("FavoritesCount=3\nFavorites_0=Un\nFavorites_1=Deux\nFavorites_2=Trois\n");
  TSettings s = Load();
  s.Favorites = {"Deux"};
  {
    QSettings store(IniPath(), QSettings::IniFormat);
    ASSERT_TRUE(SaveSettings(store, s));
  }
  QSettings store(IniPath(), QSettings::IniFormat);
  EXPECT_EQ(store.value("FavoritesCount").toString(), "1");
  EXPECT_EQ(store.value("Favorites_0").toString(), "Deux");
  EXPECT_EQ(store.value("Favorites_2").toString(), "Trois");  // ignored on the next load
  EXPECT_EQ(Load().Favorites, QStringList({"Deux"}));
}

// A favourite opened by its address keeps its address beside its name; a damaged or
// stale list of pairs loses nothing else.
TEST_F(SettingsTest, FavouriteAddressesFollowTheirNames) {
  TSettings s = Load();
  s.Favorites = {"Zova, la radio", "Alpha"};
  s.FavoriteAddresses = {{"Zova, la radio", "http://127.0.0.1:8000/live?a=1,2"}, {"Partie", "http://x/"}};
  {
    QSettings store(IniPath(), QSettings::IniFormat);
    ASSERT_TRUE(SaveSettings(store, s));
  }
  TSettings back = Load();
  EXPECT_EQ(back.FavoriteAddresses, (QMap<QString, QString>{{"Zova, la radio", "http://127.0.0.1:8000/live?a=1,2"}}));

  const struct {
    const char* ini;
    QMap<QString, QString> expected;
  } cases[] = {
      {"FavoritesCount=1\nFavorites_0=Un\nFavoriteAddresses=Un, http://a/, Deux\n", {{"Un", "http://a/"}}},
      {"FavoritesCount=1\nFavorites_0=Un\nFavoriteAddresses=Autre, http://a/\n", {}},
      {"FavoritesCount=1\nFavorites_0=Un\nFavoriteAddresses=7\n", {}},
      {"FavoritesCount=1\nFavorites_0=Un\n", {}},
  };
  for (const auto& c : cases) {
    WriteIni(c.ini);
    back = Load();
    EXPECT_EQ(back.FavoriteAddresses, c.expected) << c.ini;
    EXPECT_EQ(back.Favorites, QStringList({"Un"})) << c.ini;
  }
  // No address left: the key goes.
  back.FavoriteAddresses.clear();
  {
    QSettings store(IniPath(), QSettings::IniFormat);
    ASSERT_TRUE(SaveSettings(store, back));
  }
  EXPECT_FALSE(RawFile().contains("FavoriteAddresses"));
}

// The recording page writes the user's choices into the record, which alone is saved.
TEST_F(SettingsTest, TheRecordingPageWritesIntoTheRecordThatIsSaved) {
  WriteIni("RecordOcc=15\nCutByTitle=0\nRecordEncoder=FLAC\n");
  TSettings s = Load();
  TRecordPage page;
  page.Load(s, QStringLiteral("/nonexistent/"));
  page.cbCutByTitleClick(true);
  page.cbRecordOccChange("7");  // not an item of the list: nothing changes
  page.cbEncoderChange("WAV");
  page.btnSelectDirClick([this](const QString&, int) { return dir.path() + "/ailleurs"; });
  EXPECT_TRUE(s.CutByTitle);
  EXPECT_EQ(s.RecordOcc, 15);
  EXPECT_EQ(s.RecordEncoder, "WAV");
  EXPECT_EQ(s.RecordDir, dir.path() + "/ailleurs");
  s.Volume = 42;
  {
    QSettings store(IniPath(), QSettings::IniFormat);
    ASSERT_TRUE(SaveSettings(store, s));
  }
  QDir().mkpath(dir.path() + "/ailleurs");
  const TSettings back = Load();
  EXPECT_TRUE(back.CutByTitle);
  EXPECT_EQ(back.RecordOcc, 15);
  EXPECT_EQ(back.RecordEncoder, "WAV");
  EXPECT_EQ(back.RecordDir, dir.path() + "/ailleurs");
  EXPECT_EQ(back.Volume, 42);
}

TEST_F(SettingsTest, RecordingFolderWhoseParentIsMissingFailsTheLoad) {
  const QString missing = dir.path() + "/no/such/parent/Zovalis";
  WriteIni(QStringLiteral("RecordDir=%1\nVolume=30\nFavoritesCount=1\nFavorites_0=Un\nMode=local\n").arg(missing));
  TLoadResult result;
  const TSettings s = Load(&result);
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.FailedPath, missing);
  EXPECT_FALSE(result.Message.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(missing));
  // The later values are still read, so the save at exit keeps them.
  EXPECT_EQ(s.Volume, 30);
  EXPECT_EQ(s.Favorites, QStringList({"Un"}));
  EXPECT_EQ(s.Mode, "local");
}

TEST_F(SettingsTest, ExistingRecordingFolderIsLeftAlone) {
  const QString rec = dir.path() + "/Recordings";
  QDir().mkpath(rec);
  QFile keep(rec + "/song.ogg");
  ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
  keep.write("data");
  keep.close();
  WriteIni(QStringLiteral("RecordDir=%1\n").arg(rec));
  TLoadResult result;
  Load(&result);
  EXPECT_TRUE(result.Ok);
  EXPECT_TRUE(QFile::exists(rec + "/song.ogg"));
}

}  // namespace

// A save killed while it took the lock leaves an empty lock file; opening the settings
// clears it (the next save would otherwise wait 30 s), and leaves a lock naming a process.
TEST(SettingsLock, ABrokenLockIsClearedAndAValidOneKept) {
  QTemporaryDir dir;
  const QString ini = dir.filePath("Zovaline.ini");
  struct Case {
    const char* name;
    QByteArray content;
    bool kept;
  } cases[] = {
      {"empty", "", false},
      {"half a line", "\n", false},
      {"garbage", "\x01\x02zz", false},
      {"this process", QByteArray::number(QCoreApplication::applicationPid()) + "\nsettings_tests\nhost\n", true},
  };
  for (const Case& c : cases) {
    QFile lock(ini + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lock.write(c.content);
    lock.close();
    ClearBrokenSettingsLock(ini);
    EXPECT_EQ(QFile::exists(ini + ".lock"), c.kept) << c.name;
  }
}
