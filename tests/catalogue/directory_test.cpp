// The open station directory as a tuner: the mapping of its station list to catalogue
// rows (a hand-written list holding every kind of entry), the choice of a server and the
// move to the next one, the age of the copy, the failures of a server (the copy kept),
// the play report in the background, and the favicons (size limit, names). Against a
// real HTTP server in the directory's API form (directoryserver.py), on 127.0.0.1.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

#include "catalogue/catalogueloader.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/directorymapping.h"
#include "catalogue/httpclient.h"
#include "catalogue/stationdirectory.h"
#include "directoryserver.h"
#include "servers.h"

namespace {

using namespace CatalogueTest;
using namespace DirectoryTest;

void WriteFile(const QString& path, const QByteArray& data) {
  ASSERT_TRUE(DirectoryTest::WriteAll(path, data));
}

// ---- Mapping ---------------------------------------------------------------------------

const QHash<QString, QString> kCountryNames = {{"de", "Allemagne"}, {"fr", "France"}};

TDirectoryMapping MapFixture() {
  return MapDirectoryStations(ReadAll(ZOVALIS_SOURCE_DIR "/tests/fixtures/directory/mapping.json"), kCountryNames);
}

TEST(DirectoryMapping, CountsWhatItKeepsAndDrops) {
  const TDirectoryMapping m = MapFixture();
  ASSERT_TRUE(m.Error.isEmpty()) << m.Error.toStdString();
  EXPECT_EQ(m.Entries, 12);
  EXPECT_EQ(m.Stations.size(), 4u);
  EXPECT_EQ(m.Duplicates, 1);  // the second station on FIP Jazz's address
  EXPECT_EQ(m.Hls, 2);         // by its flag, and by its ".m3u8" address
  EXPECT_EQ(m.NoAddress, 1);   // an ftp:// address only
  EXPECT_EQ(m.Bad, 4);         // no name, bit rates -5 and 99999, a number instead of a station
}

// One row per kept station of the fixture, in the directory's order.
struct MappedStation {
  const char* Case;
  QString Radio, Url, Genre, Country, Web, Icon, StreamType;
  int BitRate;
};

TEST(DirectoryMapping, MapsEachFieldAsTheCatalogueKeepsIt) {
  const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");
  QString emojiName = QStringLiteral("Radio Emoji ");
  while (emojiName.size() + 2 <= 64) emojiName += emoji;
  const MappedStation expected[] = {
      {"resolved address, tags trimmed and folded, French country name", "FIP Jazz",
       "http://icecast.example/fipjazz.mp3", "jazz,radio france,blues", "France", "https://fip.example/", Uuid(1),
       "MP3", 128},
      {"plain address when none resolved, AAC+, bit rate as text, code in lower case, no web page", "Berlin Welle",
       "https://berlin.example/live", "", "Allemagne", "", Uuid(3), "AAC+", 64},
      {"controls removed, name cut at 64 without splitting a character, unknown codec, no code", emojiName,
       "http://emoji.example/", "pop,rock,indie", "Atlantis", "", "", "", 0},
      {"a code without French name: the directory's name; OGG; bit rate rounded", "Freedonia Libre",
       "http://free.example/ogg", "rock", "Freedonia", "", Uuid(12), "OGG", 160},
  };
  const TDirectoryMapping m = MapFixture();
  ASSERT_EQ(m.Stations.size(), std::size(expected));
  const TFieldList fields = CatalogueFields(TCatalogueKind::Stations);
  for (size_t i = 0; i < std::size(expected); ++i) {
    const MappedStation& e = expected[i];
    const TRow& row = m.Stations[i];
    SCOPED_TRACE(e.Case);
    ASSERT_EQ(row.size(), size_t(fields.size()));
    EXPECT_EQ(row[0].Text, e.Radio);
    EXPECT_LE(row[0].Text.size(), fields[0].Width);
    EXPECT_EQ(row[1].Text, e.Url);
    EXPECT_EQ(row[2].Text, e.Genre);
    EXPECT_EQ(row[3].Text, e.Country);
    EXPECT_EQ(row[4].HasValue, false);  // the directory has no networks
    EXPECT_EQ(row[5].Text, e.Web);
    EXPECT_EQ(row[6].Text, e.Icon);
    EXPECT_EQ(row[7].Text, e.StreamType);
    EXPECT_EQ(row[8].Int, e.BitRate);
    EXPECT_EQ(row[10].Text, "N/A");
  }
}

TEST(DirectoryMapping, CountriesWithFlagsGenresAndFavicons) {
  const TDirectoryMapping m = MapFixture();
  QStringList countries;
  for (const TRow& r : m.Countries) countries << r[0].Text + "=" + r[1].Text;
  // Atlantis has no country code, so no flag: it is no row of the list.
  EXPECT_EQ(countries, QStringList({"Allemagne=de.png", "France=fr.png", "Freedonia=xx.png"}));
  QStringList genres;
  for (const TRow& r : m.Genres) genres << r[0].Text;
  EXPECT_EQ(genres, QStringList({"blues", "indie", "jazz", "pop", "radio france", "rock"}));
  // Only a station with an identifier and a web address for its favicon is indexed.
  EXPECT_EQ(m.Favicons, (Uuid(1) + "\thttps://fip.example/fip.png\n").toUtf8());
}

TEST(DirectoryMapping, AnswersThatAreNoStationListAreRefused) {
  const struct {
    const char* Case;
    QByteArray Json;
  } cases[] = {
      {"web page", "<html><body>Maintenance</body></html>"},
      {"truncated", R"([{"name":"A","url":"http://a/"},{"name":"B","ur)"},
      {"an object", R"({"name":"A","url":"http://a/"})"},
      {"empty", ""},
      {"unclosed list", R"([{"name":"A","url":"http://a/"})"},
      {"data after the list", R"([{"name":"A","url":"http://a/"}] [])"},
      {"bad element after good ones", R"([{"name":"A","url":"http://a/"}, {"name": nope}])"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    const TDirectoryMapping m = MapDirectoryStations(c.Json, {});
    EXPECT_FALSE(m.Error.isEmpty());
    EXPECT_TRUE(m.Stations.empty());
  }
}

TEST(DirectoryMapping, BracketsAndQuotesInTextsAndListsOfManyParts) {
  // Texts holding what delimits elements do not cut them.
  const QByteArray tricky = R"( [ {"name":"A } ] { \" [","url":"http://a/","tags":"x,{y}","extra":[1,{"a":[]}]},
      {"name":"B","url":"http://b/"} ] )";
  TDirectoryMapping m = MapDirectoryStations(tricky, {});
  ASSERT_TRUE(m.Error.isEmpty()) << m.Error.toStdString();
  ASSERT_EQ(m.Stations.size(), 2u);
  EXPECT_EQ(m.Stations[0][0].Text, "A } ] { \" [");
  EXPECT_EQ(m.Stations[1][0].Text, "B");
  // An empty list is a list.
  m = MapDirectoryStations(" [ ] ", {});
  EXPECT_TRUE(m.Error.isEmpty());
  EXPECT_TRUE(m.Stations.empty());
  // A list far larger than one parse's batch: every station, in order.
  const int count = 30000;
  m = MapDirectoryStations(StationList(count), {});
  ASSERT_TRUE(m.Error.isEmpty()) << m.Error.toStdString();
  ASSERT_EQ(int(m.Stations.size()), count);
  EXPECT_EQ(m.Stations.front()[0].Text, "Station 1");
  EXPECT_EQ(m.Stations.back()[0].Text, QStringLiteral("Station %1").arg(count));
}

TEST(DirectoryMapping, TextCleaning) {
  const QString note = QString::fromUtf8("\xF0\x9F\x8E\xB5");  // two UTF-16 units
  const struct {
    const char* Case;
    QString In;
    int Width;
    QString Out;
  } cases[] = {
      {"spaces, tabs and line breaks", "  Radio\t\tNova \n Paris  ", 64, "Radio Nova Paris"},
      {"control characters and DEL", QString("A") + QChar(1) + "B" + QChar(0x7F) + "C" + QChar(0x9B), 64, "ABC"},
      {"non-characters", QString("x") + QChar(0xFFFE) + QChar(0xFFFF) + "y", 64, "xy"},
      {"unpaired surrogates", QString("a") + QChar(0xD800) + "b" + QChar(0xDC00), 64, "ab"},
      {"cut at the width", "abcdefgh", 5, "abcde"},
      {"a pair that does not fit is left out whole", "abcd" + note, 5, "abcd"},
      {"no space left at the end of a cut", "abcd efgh", 5, "abcd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    EXPECT_EQ(CleanDirectoryText(c.In, c.Width), c.Out);
  }
}

TEST(DirectoryMapping, CodecsAndTags) {
  const struct {
    const char* In;
    const char* Out;
  } codecs[] = {{"MP3", "MP3"}, {" aac ", "AAC"}, {"AAC+", "AAC+"}, {"ogg", "OGG"}, {"OPUS", "OPUS"},
                {"flac", "FLAC"}, {"UNKNOWN", ""}, {"MP3,H.264", ""}, {"", ""}};
  for (const auto& c : codecs) EXPECT_EQ(DirectoryStreamType(c.In), c.Out) << c.In;

  const struct {
    const char* In;
    const char* Out;
  } tags[] = {{"Rock, pop,ROCK , indie", "rock,pop,indie"},
              {"a,b,c,d,e", "a,b,c"},
              {" , ,", ""},
              {"ÉLECTRO,Électro", "électro"},  // accented capitals folded too
              {"ok,this tag is far too long to be the name of any genre at all,jazz", "ok,jazz"}};
  for (const auto& c : tags) EXPECT_EQ(DirectoryGenre(QString::fromUtf8(c.In)), QString::fromUtf8(c.Out)) << c.In;

  EXPECT_TRUE(IsDirectoryUuid(Uuid(1)));
  for (const char* bad : {"", "../../etc/passwd", "96062a7b-0601-11e8-ae97-52543be04c8", "96062a7b/0601-11e8-ae97-52543be04c81",
                          "96062a7b-0601-11e8-ae97-52543be04c8g"})
    EXPECT_FALSE(IsDirectoryUuid(bad)) << bad;
}

// ---- Servers -------------------------------------------------------------------------------

// A dead server: a port nobody listens on.
QString DeadName() {
  return QStringLiteral("127.0.0.1:%1").arg(FreePort());
}

struct DirectoryFixture : ::testing::Test {
  QTemporaryDir data;
  QString folder;
  QString exeFolder = QStringLiteral(ZOVALIS_PROGRAM_DIR "/");
  TStationDirectory directory;
  void SetUp() override {
    folder = data.path() + "/tuner/directory/";
    QDir().mkpath(folder);
    directory.SetUserAgent("Zovalis/2.1.1");
    directory.SetTimeouts(3000, 3000);
  }
  // Serves `count` stations at `server`, named by its own list.
  void Serve(DirectoryServer& server, int count) {
    ASSERT_TRUE(server.Start(StationList(count)));
    directory.SetBase(server.Base());
  }
};

TEST(DirectoryServers, TheFirstIsChosenAtRandomThenTheNextOnesRoundTheList) {
  TStationDirectory d;
  const QStringList servers = {"http://a/", "http://b/", "http://c/"};
  const struct {
    int First;
    QStringList Order;
  } cases[] = {{0, {"http://a/", "http://b/", "http://c/"}},
               {1, {"http://b/", "http://c/", "http://a/"}},
               {2, {"http://c/", "http://a/", "http://b/"}},
               {5, {"http://c/", "http://a/", "http://b/"}}};
  for (const auto& c : cases) {
    d.SetFirstServerChooser([&](int) { return c.First; });
    EXPECT_EQ(d.TryOrder(servers), c.Order) << c.First;
  }
  // Without a chooser each server comes first some of the time.
  d.SetFirstServerChooser(nullptr);
  QSet<QString> firsts;
  for (int i = 0; i < 200; ++i) firsts.insert(d.TryOrder(servers).first());
  EXPECT_EQ(firsts.size(), 3);
}

TEST_F(DirectoryFixture, TheListNamesTheServersInTheBaseScheme) {
  DirectoryServer server;
  ASSERT_TRUE(server.Start(StationList(1)));
  // A name that is no host (a path, credentials) is not a server.
  server.SetServers({"de1.api.example.org", "nl1.api.example.org:8080", "evil/../x", "user@host", "de1.api.example.org"});
  directory.SetBase(server.Base());
  THttpClient http;
  http.SetUserAgent("Zovalis/2.1.1");
  EXPECT_EQ(directory.Servers(http), QStringList({"http://de1.api.example.org/", "http://nl1.api.example.org:8080/"}));
  // No list: the base address answers alone.
  WriteFile(server.Root() + "/servers.json", "<html>");
  EXPECT_EQ(directory.Servers(http), QStringList({server.Base()}));
}

TEST_F(DirectoryFixture, ADeadServerIsPassedForTheNextOne) {
  DirectoryServer live;
  ASSERT_TRUE(live.Start(StationList(25)));
  live.SetServers({DeadName(), live.Name()});
  directory.SetBase(live.Base());
  directory.SetFirstServerChooser([](int) { return 0; });  // the dead one first
  const TDirectoryUpdate u = directory.Update(folder, exeFolder);
  ASSERT_TRUE(u.Ok) << u.Error.toStdString();
  EXPECT_EQ(u.Server, live.Base());
  EXPECT_EQ(u.Stations, 25);

  // One request for the list, one for the stations, both naming the program, the second
  // asking for gzip.
  const QStringList requests = live.Requests();
  ASSERT_EQ(requests.size(), 2) << requests.join('\n').toStdString();
  EXPECT_EQ(requests[0], "/json/servers\tZovalis/2.1.1\tgzip");
  EXPECT_EQ(requests[1], "/json/stations?hidebroken=true\tZovalis/2.1.1\tgzip");

  // The tuner folder holds a catalogue the loader reads like any other.
  TCatalogueTable radios("r");
  ASSERT_TRUE(radios.LoadFromFile(folder + "radios.xml"));
  EXPECT_EQ(radios.RecordCount(), 25);
  TCatalogueTable countries("c");
  ASSERT_TRUE(countries.LoadFromFile(folder + "country.xml"));
  ASSERT_EQ(countries.RecordCount(), 1);
  countries.First();
  EXPECT_EQ(countries.FieldText("Name").Value, "France");
  EXPECT_TRUE(QFileInfo::exists(folder + "drapeaux/fr.png"));  // the flag came from the program folder
}

TEST_F(DirectoryFixture, EveryServerDownKeepsTheCopy) {
  directory.SetBase("http://" + DeadName() + "/");
  WriteFile(folder + "radios.xml", "the copy");
  const TDirectoryUpdate u = directory.Update(folder, exeFolder);
  EXPECT_FALSE(u.Ok);
  EXPECT_FALSE(u.Error.isEmpty());
  EXPECT_EQ(ReadAll(folder + "radios.xml"), "the copy");
}

// ---- Failures of a server ------------------------------------------------------------------

TEST_F(DirectoryFixture, ABadAnswerKeepsTheCopyAndSaysWhy) {
  DirectoryServer server;
  Serve(server, 3);
  directory.SetTimeouts(2000, 1500);
  const struct {
    const char* Mode;
    const char* Says;  // in the error text
  } cases[] = {{"status500", "500"},       {"html", "illisible"},  {"damaged", "illisible"},
               {"truncated", ""},          {"stall", "ne répond plus"}, {"huge", "trop volumineuse"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Mode);
    WriteFile(folder + "radios.xml", "the copy");
    server.SetMode(c.Mode);
    QElapsedTimer t;
    t.start();
    const TDirectoryUpdate u = directory.Update(folder, exeFolder);
    EXPECT_FALSE(u.Ok);
    EXPECT_TRUE(u.Error.contains(QString::fromUtf8(c.Says))) << u.Error.toStdString();
    EXPECT_EQ(ReadAll(folder + "radios.xml"), "the copy");
    EXPECT_FALSE(QFileInfo::exists(folder + ".stations.json.part"));
  }
}

TEST_F(DirectoryFixture, AnAnswerTooLargeIsCutOffEarly) {
  // The 200 MB answer is refused once past the limit: the download stops there, and the
  // memory used stays bounded by it.
  DirectoryServer server;
  Serve(server, 1);
  server.SetMode("huge");
  const TDirectoryUpdate u = directory.Update(folder, exeFolder);
  EXPECT_FALSE(u.Ok);
  EXPECT_TRUE(u.Error.contains("trop volumineuse")) << u.Error.toStdString();
  EXPECT_FALSE(QFileInfo::exists(folder + "radios.xml"));
}

// ---- The age of the copy -------------------------------------------------------------------

TEST_F(DirectoryFixture, TheCopyIsFetchedAgainOnlyWhenADayOld) {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  EXPECT_TRUE(TStationDirectory::Stale(folder, now)) << "no copy";
  WriteFile(folder + "radios.xml", "copy");
  const struct {
    const char* Case;
    qint64 AgeSeconds;
    bool Stale;
  } cases[] = {{"just written", 5, false},
               {"23 hours", 23 * 3600, false},
               {"a day", 24 * 3600 + 5, true},
               {"a week", 7 * 24 * 3600, true},
               {"dated in the future", -3600, true}};
  for (const auto& c : cases) {
    QFile f(folder + "radios.xml");
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.setFileTime(now.addSecs(-c.AgeSeconds), QFileDevice::FileModificationTime));
    f.close();
    EXPECT_EQ(TStationDirectory::Stale(folder, now), c.Stale) << c.Case;
  }
}

// Records what a load shows instead of showing it.
struct QuietDisplay : TLoadDisplay {
  QStringList errors;
  void ShowSplash() override {}
  void HideSplash() override {}
  void SetStatus(const QString&) override {}
  void SetProgressMax(int) override {}
  void SetProgress(int) override {}
  void ProcessEvents() override {}
  void ShowError(const QString& text) override { errors.append(text); }
};

TEST_F(DirectoryFixture, TheLoaderFetchesAStaleCopyOnlyAndShowsTheCopyWhenTheServerFails) {
  DirectoryServer server;
  Serve(server, 7);
  TCatalogueTables tables;
  THttpClient http;
  QuietDisplay display;
  TCatalogueLoader loader(tables, http, display, exeFolder, data.path() + "/");
  loader.SetDirectory(&directory);
  QDir().mkpath(data.path() + "/tuner/local");
  QSignalSpy lines(&loader, &TCatalogueLoader::StatusLine);

  loader.SwitchTuner(2);
  EXPECT_EQ(loader.Tuner.Mode, "directory");
  EXPECT_EQ(loader.TunerIndex(), 2);
  EXPECT_EQ(loader.TunerFolder(), folder);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 7);
  EXPECT_TRUE(tables.radiosDataset.ReadOnly());
  EXPECT_FALSE(loader.EditMenuEnabled());
  EXPECT_EQ(loader.TunerTitle(QString()), "Annuaire mondial");
  EXPECT_TRUE(display.errors.isEmpty()) << display.errors.join('\n').toStdString();
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_EQ(lines.last().at(0).toString(), "Annuaire : 7 radios");

  // A fresh copy is read as it stands: no request.
  const int requests = int(server.Requests().size());
  loader.SwitchTuner(1);
  loader.SwitchTuner(2);
  EXPECT_EQ(int(server.Requests().size()), requests);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 7);

  // On demand, the list is fetched whatever its age; a server gone wrong keeps the copy.
  server.SetMode("damaged");
  lines.clear();
  loader.UpdateDirectory();
  EXPECT_GT(int(server.Requests().size()), requests);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 7);
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.last().at(1).toBool());
  EXPECT_TRUE(lines.last().at(0).toString().startsWith("Annuaire indisponible, copie affichée : ")) << lines.last().at(0).toString().toStdString();
}

TEST_F(DirectoryFixture, WithoutAnyCopyTheTunerIsEmptyAndSaysWhy) {
  directory.SetBase("http://" + DeadName() + "/");
  TCatalogueTables tables;
  THttpClient http;
  QuietDisplay display;
  TCatalogueLoader loader(tables, http, display, exeFolder, data.path() + "/");
  loader.SetDirectory(&directory);
  QSignalSpy lines(&loader, &TCatalogueLoader::StatusLine);
  loader.SwitchTuner(2);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 0);
  EXPECT_TRUE(tables.radiosDataset.ReadOnly());
  EXPECT_TRUE(display.errors.isEmpty());  // no box per missing file: the status line tells
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_TRUE(lines.last().at(1).toBool());
  EXPECT_TRUE(lines.last().at(0).toString().startsWith("Annuaire indisponible"));
}

// ---- Play report and favicons --------------------------------------------------------------

bool WaitFor(const std::function<bool()>& done, int ms = 20000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

TEST_F(DirectoryFixture, APlayIsReportedInTheBackground) {
  DirectoryServer server;
  Serve(server, 2);
  QSignalSpy reported(&directory, &TStationDirectory::PlayReported);
  directory.ReportPlay(Uuid(2));
  ASSERT_TRUE(WaitFor([&] { return !reported.isEmpty(); }));
  EXPECT_EQ(reported.first().at(0).toString(), Uuid(2));
  EXPECT_TRUE(reported.first().at(1).toBool());
  EXPECT_EQ(server.Clicks(), QStringList({Uuid(2)}));
  EXPECT_TRUE(server.Requests().last().endsWith("\tZovalis/2.1.1\tgzip"));

  // Something not an identifier is never sent.
  directory.ReportPlay("../json/stations");
  directory.ReportPlay(QString());
  EXPECT_TRUE(directory.WaitIdle(10000));
  EXPECT_EQ(server.Clicks().size(), 1);
}

TEST_F(DirectoryFixture, AReportToAStalledServerHoldsNothingUp) {
  // A server that accepts and never answers: the call returns at once, the report waits
  // on the worker, and ending the directory ends it.
  QTcpServer stalled;
  ASSERT_TRUE(stalled.listen(QHostAddress::LocalHost, 0));
  auto d = std::make_unique<TStationDirectory>();
  d->SetTimeouts(60000, 60000);
  d->SetBase(QStringLiteral("http://127.0.0.1:%1/").arg(stalled.serverPort()));
  d->ReportPlay(Uuid(1));
  EXPECT_FALSE(d->WaitIdle(300));  // still waiting for the server, yet the caller goes on
  d.reset();                       // returns: the request is abandoned
  SUCCEED();
}

TEST_F(DirectoryFixture, FaviconsAreFetchedOnceWithinTheirSizeAndFolder) {
  DirectoryServer server;
  Serve(server, 3);
  WriteFile(server.Root() + "/small.png", QByteArray(2000, 'p'));
  WriteFile(server.Root() + "/big.png", QByteArray(int(TStationDirectory::kMaxFaviconBytes) + 1, 'b'));
  QDir().mkpath(folder + "icones");
  WriteFile(folder + TStationDirectory::kFaviconIndex,
           (Uuid(1) + "\t" + server.Base() + "small.png\n" + Uuid(2) + "\t" + server.Base() + "big.png\n").toUtf8());
  QSignalSpy ready(&directory, &TStationDirectory::FaviconReady);

  directory.FetchFavicon(folder, Uuid(1));
  directory.FetchFavicon(folder, Uuid(2));
  directory.FetchFavicon(folder, Uuid(3));  // not in the index
  directory.FetchFavicon(folder, "../../escaped");
  ASSERT_TRUE(directory.WaitIdle(20000));
  ASSERT_TRUE(WaitFor([&] { return !ready.isEmpty(); }));
  QCoreApplication::processEvents();
  ASSERT_EQ(ready.size(), 1);
  EXPECT_EQ(ready.first().at(0).toString(), Uuid(1));
  EXPECT_EQ(ReadAll(folder + "icones/" + Uuid(1)).size(), 2000);
  EXPECT_FALSE(QFileInfo::exists(folder + "icones/" + Uuid(2)));  // over the limit
  EXPECT_FALSE(QFileInfo::exists(folder + "icones/" + Uuid(2) + ".part"));
  EXPECT_FALSE(QFileInfo::exists(data.path() + "/escaped"));
  EXPECT_EQ(QDir(folder + "icones").entryList(QDir::Files).size(), 1);

  // Once stored (or failed) in this run, it is not asked again.
  const int requests = int(server.Requests().size());
  directory.FetchFavicon(folder, Uuid(1));
  directory.FetchFavicon(folder, Uuid(2));
  EXPECT_TRUE(directory.WaitIdle(10000));
  EXPECT_EQ(int(server.Requests().size()), requests);
}

}  // namespace
