// Station playback against a real Icecast server (MP3, AAC and Ogg mounts, titles
// through the admin API) and a real HTTP server for playlists, with the engine's null
// output; and the metadata and playlist rules as tables of cases.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

#include "../catalogue/servers.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "catalogue/httpclient.h"
#include "playback/engine/engine.h"
#include "playback/metadata.h"
#include "playback/playlistcandidates.h"
#include "playback/stationplayer.h"
#include "support/hlsstream.h"
#include "support/icecast.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

TEST(Metadata, TitlesFromMetadataTexts) {
  struct Case {
    const char* name;
    const char* text;
    bool found;
    const char* title;
  } cases[] = {
      {"icecast form", "StreamTitle='Artist - Song';StreamUrl='';", true, "Artist - Song"},
      {"empty title", "StreamTitle='';", true, ""},
      {"semicolon inside", "StreamTitle='AB;C';", true, "A"},
      {"semicolon too early", "StreamTitle='A;B';", true, ""},
      {"apostrophe kept", "StreamTitle='L'amour à la plage';", true, "L'amour à la plage"},
      {"no end", "StreamTitle='Endless", true, ""},
      {"caption form", "CAPTION : My Song (live)", true, "My Song"},
      {"data form", "data : title=Song Name&artist=x", true, "Song Name"},
      {"no key", "something else", false, ""},
  };
  for (const Case& c : cases) {
    const TMetaTitle t = ParseMetadataTitle(QString::fromUtf8(c.text));
    EXPECT_EQ(t.KeyFound, c.found) << c.name;
    EXPECT_EQ(t.Title, QString::fromUtf8(c.title)) << c.name;
  }
}

TEST(Metadata, TagBlockRules) {
  struct Case {
    const char* name;
    TTagKind kind;
    QStringList texts;
    const char* bitRate;  // nullptr: unchanged
    const char* radioName;
  } cases[] = {
      {"icy bit rate", TTagKind::Icy, {"icy-br:128"}, "128", nullptr},
      {"icy bit rate keeps its space", TTagKind::Icy, {"ICY-BR: 128"}, " 128", nullptr},
      {"blank icy name ignored", TTagKind::Icy, {"icy-name:   "}, nullptr, nullptr},
      {"icy name", TTagKind::Http, {"icy-name:Radio X"}, nullptr, "Radio X"},
      {"wma bit rate rounds to even", TTagKind::Wma, {"currentbitrate : 128500"}, "128", nullptr},
      {"wma bit rate rounds", TTagKind::Wma, {"currentbitrate : 127500"}, "128", nullptr},
      {"wma bit rate not a number", TTagKind::Wma, {"currentbitrate : fast"}, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const TTagEffects e = DumpTags(c.kind, c.texts);
    EXPECT_EQ(e.BitRate.has_value(), c.bitRate != nullptr) << c.name;
    if (c.bitRate && e.BitRate) {
      EXPECT_EQ(*e.BitRate, QString::fromUtf8(c.bitRate)) << c.name;
    }
    EXPECT_EQ(e.RadioName.has_value(), c.radioName != nullptr) << c.name;
    EXPECT_EQ(e.Lines.size(), c.texts.size() + 1) << c.name;
  }
  EXPECT_TRUE(DumpTags(TTagKind::Ogg, {"TITLE=x"}).Lines.isEmpty());
  EXPECT_EQ(OggBitRate("Quality 5"), "160");
  EXPECT_EQ(OggBitRate("Quality 11"), "Quality 11");
  // A title that is not UTF-8 is read as Windows-1252.
  EXPECT_EQ(StreamText("Caf\xe9 \x80"), QString::fromUtf8("Café €"));
}

TEST(Playlists, Candidates) {
  QByteArray twelve = "[playlist]\r\n";
  for (int i = 1; i <= 12; ++i) twelve += "File" + QByteArray::number(i) + "=http://h/" + QByteArray::number(i) + "\r\n";
  EXPECT_EQ(PlaylistCandidates(TPlaylistKind::Pls, twelve).size(), 12);
  EXPECT_EQ(PlaylistCandidates(TPlaylistKind::Pls, "file2=http://b\nTitle1=x\nFILE1=http://a=b\n"),
            QStringList({"http://b", "http://a=b"}));
  EXPECT_EQ(PlaylistCandidates(TPlaylistKind::M3u, "#EXTM3U\nHTTPS://s/1\nrtsp://x\nhttp://p/2\n"),
            QStringList({"HTTPS://s/1", "http://p/2"}));
  EXPECT_EQ(PlaylistKindOf("http://x/a.pls"), TPlaylistKind::Pls);
  EXPECT_EQ(PlaylistKindOf("http://x/a.PLS"), TPlaylistKind::None);
  EXPECT_EQ(PlaylistKindOf("http://x/a.m3u"), TPlaylistKind::M3u);
}

// ---- The player against real servers.

class StationPlayerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(zengine::Init(-1, 44100, zengine::OutputKind::Null));
    zengine::SetConfig(zengine::Option::NetTimeout, 3000);
  }
  static void TearDownTestSuite() { zengine::Free(); }

  void SetUp() override {
    std::string error;
    ASSERT_TRUE(icecast.Start(&error)) << error;
    ASSERT_TRUE(icecast.AddSource({"/mp3", ztest::Icecast::Codec::Mp3, 440, 128, "Zova MP3", "Jazz"}, &error)) << error;
    CreateCatalogueTable(stations, TCatalogueKind::Stations);
    CreateCatalogueTable(countries, TCatalogueKind::Countries);
    QDir().mkpath(dir.path() + "/tuner/icones");
    TStationPlayer::TContext c;
    c.Stations = &stations;
    c.Countries = &countries;
    c.Http = &http;
    c.TunerFolder = [this] { return dir.path() + "/tuner/"; };
    c.DataFolder = [this] { return dir.path() + "/"; };
    c.RemoteBase = [] { return QString(); };
    c.Remote = [this] { return remote; };
    c.Directory = [this] { return directory; };
    c.FetchPicture = [this](const QString& icon) { fetched << icon; };
    c.Played = [this](const TCurrentRadio& station) { played << station.Radio; };
    c.Proxy = [] { return TProxyFields{}; };
    c.Recording = [] { return false; };
    player = std::make_unique<TStationPlayer>(c);
    player->SetReconnectDelays(200, 400);
    QObject::connect(player.get(), &TStationPlayer::StatusChanged, [this](const QString& t, bool error) {
      statuses.append((error ? "E:" : "") + t);
    });
    QObject::connect(player.get(), &TStationPlayer::StreamInfoShown,
                     [this](const QString& a, const QString& b, const QString& c2, const QString& d) {
                       shown = QStringList{a, b, c2, d};
                     });
    QObject::connect(player.get(), &TStationPlayer::TitleShown, [this](const QString& t) { title = t; });
  }
  void TearDown() override { player.reset(); }

  void AddStation(const QString& name, const QString& url) {
    stations.Append();
    stations.SetFieldText("Radio", name);
    stations.SetFieldText("Url", url);
    stations.SetFieldText("StreamType", "N/A");
    stations.SetFieldText("BitRate", "128");  // the stream's headers may not tell it
    stations.SetFieldText("Channels", "N/A");
    ASSERT_TRUE(stations.Post());
  }

  void Play(const QString& name) {
    const std::optional<TStationRecord> station = FindStationRecord(stations, name);
    ASSERT_TRUE(station) << qPrintable(name);
    player->LoadCurrentStation(*station);
    player->OpenStation();
  }

  QTemporaryDir dir;
  ztest::Icecast icecast;
  TCatalogueTable stations{"radiosDataset"}, countries{"countryDataSet"};
  THttpClient http;
  bool remote = false;
  bool directory = false;
  QStringList fetched, played;  // pictures asked for, stations reported as playing
  std::unique_ptr<TStationPlayer> player;
  QStringList statuses, shown;
  QString title;
};

TEST_F(StationPlayerTest, PlaysTitlesAndStoresStreamInformation) {
  AddStation("Zova Jazz", QString::fromStdString(icecast.Url("/mp3")));
  Play("Zova Jazz");
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); })) << statuses.join("\n").toStdString();
  EXPECT_EQ(statuses.value(0), "Connexion en cours (1/1) ...");
  EXPECT_EQ(statuses.value(1), "Connexion établie.");
  EXPECT_TRUE(statuses.value(2).startsWith("Mise en mémoire ... "));
  EXPECT_EQ(statuses.last(), "Lecture en cours.");
  EXPECT_EQ(shown, QStringList({"MP3", "128 Kbps", "44100 Hz", "Stereo"}));
  EXPECT_EQ(player->LastRadio, "Zova Jazz");
  // Once the sound plays, the status says so at each tick (the bar shows the buffer).
  for (int tick = 0; tick < 3; ++tick) {
    QThread::msleep(300);
    player->RadioTimerTimer();
    EXPECT_EQ(statuses.last(), "Lecture en cours.") << statuses.join("\n").toStdString();
  }
  EXPECT_TRUE(player->Informations.contains("------- TAG HTTP -------")) << player->Informations.join("\n").toStdString();
  // Stored in the local catalogue.
  stations.First();
  EXPECT_EQ(stations.FieldText("StreamType").Value, "MP3");
  EXPECT_EQ(stations.FieldText("BitRate").Value, "128");
  EXPECT_EQ(stations.FieldText("SampleRate").Value, "44100");

  std::string error;
  ASSERT_TRUE(icecast.SetTitle("/mp3", "Artiste - L'été", &error, "UTF-8")) << error;
  ASSERT_TRUE(WaitFor([&] { return title == QString::fromUtf8("Artiste - L'été"); }, 20000)) << title.toStdString();
  EXPECT_EQ(player->CurrentRadio.Title, QString::fromUtf8("Artiste - L'été"));
  ASSERT_FALSE(player->PlayListBox.isEmpty());
  EXPECT_TRUE(player->PlayListBox.last().endsWith(QString::fromUtf8("Artiste - L'été")));

  player->StopAll();
  EXPECT_EQ(player->CurrentChannel, 0u);
  EXPECT_TRUE(player->PlayListBox.isEmpty());
  EXPECT_EQ(player->CurrentRadio.Title, "Titre non disponible");
}

TEST_F(StationPlayerTest, AacAndOggMountsGiveTheirStreamTypes) {
  std::string error;
  ASSERT_TRUE(icecast.AddSource({"/aac", ztest::Icecast::Codec::Aac, 660, 96, "Zova AAC", "Pop"}, &error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/ogg", ztest::Icecast::Codec::Ogg, 550, 96, "Zova Ogg", "Rock"}, &error)) << error;
  const struct {
    const char* name;
    const char* mount;
    const char* type;
  } cases[] = {{"Zova AAC", "/aac", "AAC"}, {"Zova Ogg", "/ogg", "OGG"}};
  for (const auto& c : cases) {
    AddStation(c.name, QString::fromStdString(icecast.Url(c.mount)));
    Play(c.name);
    ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); }, 40000)) << c.name << statuses.join("\n").toStdString();
    EXPECT_EQ(player->CurrentRadio.StreamType, c.type) << c.name;
    EXPECT_EQ(shown.value(0), c.type) << c.name;
    player->StopAll();
  }
}

TEST_F(StationPlayerTest, RemoteTunerStoresNothing) {
  remote = true;
  AddStation("Zova Jazz", QString::fromStdString(icecast.Url("/mp3")));
  Play("Zova Jazz");
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); }));
  stations.First();
  EXPECT_EQ(stations.FieldText("StreamType").Value, "N/A");
}

// The open station directory: the icon is asked for in the background (the placeholder
// shows meanwhile, the picture once it arrives, for the station still shown only), the
// play is reported once it plays, and nothing is written into the read-only table.
TEST_F(StationPlayerTest, DirectoryStationAsksItsIconAndReportsItsPlay) {
  directory = true;
  const QString uuid = "96062a7b-0601-11e8-ae97-52543be04c81";
  const QString noicon = dir.path() + "/tuner/icones/noicon.png";
  QFile(noicon).open(QIODevice::WriteOnly);
  AddStation("Zova Jazz", QString::fromStdString(icecast.Url("/mp3")));
  stations.First();
  ASSERT_TRUE(stations.Edit() && stations.SetFieldText("Icon", uuid) && stations.Post());
  QStringList icons;
  QObject::connect(player.get(), &TStationPlayer::IconChanged, [&](const QString& path) { icons << path; });
  Play("Zova Jazz");
  EXPECT_EQ(fetched, QStringList{uuid});
  EXPECT_EQ(icons, QStringList{noicon});
  EXPECT_TRUE(played.isEmpty());  // not before it plays
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); }));
  EXPECT_EQ(played, QStringList{"Zova Jazz"});
  stations.First();
  EXPECT_EQ(stations.FieldText("StreamType").Value, "N/A");

  const QString picture = dir.path() + "/tuner/icones/" + uuid;
  QFile(picture).open(QIODevice::WriteOnly);
  player->PictureArrived("96062a7b-0601-11e8-ae97-52543be04c99", picture);  // another station's
  EXPECT_EQ(icons.size(), 1);
  player->PictureArrived(uuid, picture);
  EXPECT_EQ(icons.last(), picture);
  // Shown again, the stored picture is used at once: nothing more is asked.
  player->StopAll();
  Play("Zova Jazz");
  EXPECT_EQ(fetched, QStringList{uuid});
  EXPECT_EQ(icons.last(), picture);
}

TEST_F(StationPlayerTest, PlaylistCandidatesAreTriedInOrder) {
  const int dead = CatalogueTest::FreePort();
  QDir().mkpath(dir.path() + "/www");
  QFile pls(dir.path() + "/www/three.pls");
  ASSERT_TRUE(pls.open(QIODevice::WriteOnly));
  pls.write("[playlist]\nNumberOfEntries=3\nFile1=http://127.0.0.1:" + QByteArray::number(dead) +
            "/nothing\nFile2=" + QByteArray::fromStdString(icecast.Url("/mp3")) + "\nFile3=http://never/\n");
  pls.close();
  QFile m3u(dir.path() + "/www/list.m3u");
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write("#EXTM3U\nHTTP://127.0.0.1:" + QByteArray::number(icecast.Port()) + "/mp3\n");
  m3u.close();
  CatalogueTest::UpdateServer server;
  ASSERT_TRUE(server.Start(dir.path() + "/www"));

  AddStation("Three", server.Url("three.pls"));
  Play("Three");
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); })) << statuses.join("\n").toStdString();
  EXPECT_EQ(statuses.value(0), "Détection fichier .pls ...");
  EXPECT_EQ(statuses.value(1), "Connexion en cours (1/3) ...");
  EXPECT_TRUE(statuses.value(2).startsWith("E:Erreur! ")) << statuses.value(2).toStdString();
  EXPECT_EQ(statuses.value(3), "Connexion en cours (2/3) ...");
  EXPECT_FALSE(statuses.join("|").contains("(3/3)"));
  EXPECT_EQ(http.UserAgent(), THttpClient::kPlaylistUserAgent);

  statuses.clear();
  AddStation("M3u", server.Url("list.m3u"));
  Play("M3u");
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); })) << statuses.join("\n").toStdString();

  statuses.clear();
  AddStation("Missing", server.Url("missing.pls"));
  Play("Missing");
  EXPECT_FALSE(player->Connecting());
  ASSERT_FALSE(statuses.isEmpty());
  EXPECT_TRUE(statuses.last().startsWith("E:Erreur: ")) << statuses.last().toStdString();
}

TEST_F(StationPlayerTest, RefusedStationShowsTheErrorInRed) {
  AddStation("Refused", QStringLiteral("http://127.0.0.1:%1/x").arg(CatalogueTest::FreePort()));
  // The tuner's placeholder picture stands in for a station without an icon.
  const QString noicon = dir.path() + "/tuner/icones/noicon.png";
  QFile(noicon).open(QIODevice::WriteOnly);
  QString icon = "none yet";
  QObject::connect(player.get(), &TStationPlayer::IconChanged, [&](const QString& path) { icon = path; });
  Play("Refused");
  ASSERT_TRUE(WaitFor([&] { return !player->Connecting(); }));
  ASSERT_FALSE(statuses.isEmpty());
  EXPECT_TRUE(statuses.last().startsWith("E:Erreur! ")) << statuses.last().toStdString();
  EXPECT_EQ(player->PlayFace(), TPlayFace::Ready);
  EXPECT_EQ(player->CurrentChannel, 0u);
  EXPECT_EQ(icon, noicon);
  // What was never measured shows nothing ("N/A", no rate): the catalogue's bit rate stays.
  EXPECT_EQ(shown, QStringList({"", "128 Kbps", "", ""}));
}

TEST_F(StationPlayerTest, AStationBackWithinTheAttemptsPlaysOn) {
  AddStation("Zova Jazz", QString::fromStdString(icecast.Url("/mp3")));
  bool lost = false;
  zengine::Handle before = 0, after = 0;
  QObject::connect(player.get(), &TStationPlayer::Lost, [&] { lost = true; });
  QObject::connect(player.get(), &TStationPlayer::Reconnected, [&](zengine::Handle o, zengine::Handle n) {
    before = o;
    after = n;
  });
  Play("Zova Jazz");
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); }));
  const zengine::Handle first = player->CurrentChannel;
  // The source goes away (the listeners are dropped) and comes back while the player
  // is still trying: the station plays on, on a new channel, with no error.
  icecast.StopSources();
  ASSERT_TRUE(WaitFor([&] { return statuses.contains("Reconnexion (1/3) ..."); }, 20000))
      << statuses.join("\n").toStdString();
  statuses.clear();
  std::string error;
  ASSERT_TRUE(icecast.AddSource({"/mp3", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Jazz", "Jazz"}, &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return after != 0; }, 30000)) << statuses.join("\n").toStdString();
  EXPECT_FALSE(lost);
  EXPECT_EQ(before, first);
  EXPECT_EQ(player->CurrentChannel, after);
  ASSERT_TRUE(WaitFor([&] { return statuses.contains("Lecture en cours."); }, 20000)) << statuses.join("\n").toStdString();
  EXPECT_FALSE(statuses.join("|").contains("E:")) << statuses.join("\n").toStdString();
  const int64_t at = zengine::ChannelGetPosition(after);
  EXPECT_TRUE(WaitFor([&] { return zengine::ChannelGetPosition(after) > at; }, 5000)) << "the new channel does not play";
}

TEST_F(StationPlayerTest, ADroppedStreamReconnects) {
  AddStation("Zova Jazz", QString::fromStdString(icecast.Url("/mp3")));
  bool lost = false;
  QObject::connect(player.get(), &TStationPlayer::Lost, [&] { lost = true; });
  Play("Zova Jazz");
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); }));
  // The server goes away: three attempts, then playback stops with the error.
  icecast.Stop();
  ASSERT_TRUE(WaitFor([&] { return statuses.contains("Reconnexion (1/3) ..."); }, 20000))
      << statuses.join("\n").toStdString();
  ASSERT_TRUE(WaitFor([&] { return lost; }, 30000)) << statuses.join("\n").toStdString();
  EXPECT_EQ(player->CurrentChannel, 0u);
  EXPECT_TRUE(statuses.contains("Reconnexion (3/3) ..."));
  EXPECT_TRUE(statuses.last().startsWith("E:Erreur! "));
}

TStationRecord AddressStation(const QString& address) {
  TStationRecord r;
  r.Radio = address;
  r.Url = address;
  return r;
}

// A station opened from its address is in no tuner: it takes the name, genre and web
// page its stream announces, and a tuner station of that name is left as it was.
TEST_F(StationPlayerTest, AnAddressTakesWhatItsStreamAnnounces) {
  std::string error;
  ASSERT_TRUE(icecast.AddSource({"/named", ztest::Icecast::Codec::Mp3, 660, 96, "Zova Adresse", "Jazz,Blues"}, &error,
                                "", "", "http://zova.example/"))
      << error;
  AddStation("Zova Adresse", "http://127.0.0.1:9/other");
  player->LastRadio = "Avant";
  QList<bool> finished;
  QObject::connect(player.get(), &TStationPlayer::ConnectionFinished, [&](bool played) { finished << played; });
  QString shownName;
  QObject::connect(player.get(), &TStationPlayer::RadioNameChanged, [&](const QString& n) { shownName = n; });

  const QString url = QString::fromStdString(icecast.Url("/named"));
  player->OpenAddress(AddressStation(url));
  EXPECT_TRUE(player->AddressStation());
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); })) << statuses.join("\n").toStdString();
  EXPECT_EQ(finished, QList<bool>({true}));
  EXPECT_EQ(shownName, "Zova Adresse");
  const TStationRecord a = player->AnnouncedStation();
  EXPECT_EQ(a.Radio, "Zova Adresse");
  EXPECT_EQ(a.Url, url);
  EXPECT_EQ(a.Genre, "Jazz,Blues");
  EXPECT_EQ(a.Web, "http://zova.example/");
  EXPECT_EQ(a.StreamType, "MP3");
  EXPECT_EQ(a.BitRate, "96") << "this server announces no icy-br: the rate of its frames";
  EXPECT_EQ(a.SampleRate, "44100");
  EXPECT_EQ(a.Channels, "Stereo");
  EXPECT_EQ(a.Country, "");
  // The tuner's station of the same name keeps its fields; the next start's station stays.
  stations.First();
  EXPECT_EQ(stations.FieldText("StreamType").Value, "N/A");
  EXPECT_EQ(stations.FieldText("Url").Value, "http://127.0.0.1:9/other");
  EXPECT_EQ(player->LastRadio, "Avant");

  // A tuner station chosen next is a tuner station again.
  Play("Zova Adresse");
  EXPECT_FALSE(player->AddressStation());
  ASSERT_TRUE(WaitFor([&] { return !player->Connecting(); }));
  EXPECT_EQ(finished, QList<bool>({true, false}));
}

// Playlists given as local files (dropped, on the command line) are read from the disk;
// an HLS playlist is handed to the engine as the stream itself.
TEST_F(StationPlayerTest, LocalPlaylistFilesAndHlsRouting) {
  QList<bool> finished;
  QObject::connect(player.get(), &TStationPlayer::ConnectionFinished, [&](bool played) { finished << played; });
  const QString xspf = dir.path() + "/radio.xspf";
  QFile f(xspf);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("<?xml version=\"1.0\"?><playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
          "<track><location>http://127.0.0.1:" + QByteArray::number(CatalogueTest::FreePort()) + "/dead</location></track>"
          "<track><location>" + QByteArray::fromStdString(icecast.Url("/mp3")) + "</location></track>"
          "</trackList></playlist>");
  f.close();
  player->OpenAddress(AddressStation(xspf));
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); })) << statuses.join("\n").toStdString();
  EXPECT_EQ(statuses.value(0), "Détection fichier .xspf ...");
  EXPECT_EQ(statuses.value(1), "Connexion en cours (1/2) ...");
  EXPECT_TRUE(statuses.contains("Connexion en cours (2/2) ..."));
  EXPECT_EQ(player->AnnouncedStation().Radio, "Zova MP3");

  const QString hls = dir.path() + "/live.m3u8";
  QFile h(hls);
  ASSERT_TRUE(h.open(QIODevice::WriteOnly));
  h.write("#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXT-X-MEDIA-SEQUENCE:1\n#EXTINF:6.0,\nseg1.ts\n");
  h.close();
  statuses.clear();
  player->OpenAddress(AddressStation(hls));
  EXPECT_EQ(player->UrlListBox, QStringList({hls}));
  EXPECT_TRUE(statuses.contains("Détection fichier .m3u8 ...")) << statuses.join("\n").toStdString();
  ASSERT_TRUE(WaitFor([&] { return !player->Connecting(); }, 30000));

  // A catalogue's station naming a file on this disk does not get it read: a catalogue
  // is anyone's text, only the user's own choice opens local files.
  player->StopAll();
  statuses.clear();
  AddStation("Locale", xspf);
  Play("Locale");
  ASSERT_TRUE(WaitFor([&] { return !player->Connecting(); }));
  EXPECT_FALSE(player->RadioTimerActive());
  EXPECT_FALSE(statuses.contains("Connexion en cours (2/2) ...")) << statuses.join("\n").toStdString();

  // A playlist file that is gone: the error in red, and the connection ends there.
  statuses.clear();
  finished.clear();
  const QString gone = dir.path() + "/gone.pls";
  player->OpenAddress(AddressStation(gone));
  ASSERT_FALSE(statuses.isEmpty());
  EXPECT_TRUE(statuses.last().startsWith("E:Erreur: ")) << statuses.last().toStdString();
  EXPECT_EQ(finished, QList<bool>({false}));
  EXPECT_FALSE(player->Connecting());
}

TEST_F(StationPlayerTest, AnHlsPlaylistThatStopsMovingIsRetriedThenGivesTheError) {
  ztest::HlsStream stream;
  std::string error;
  ASSERT_TRUE(stream.Start({ztest::HlsStream::Form::Ts, ztest::HlsStream::Tagging::Id3Frames,
                            {{"Zova", "Figé", 440, 20}}, {"--stall-after", "2"}},
                           &error))
      << error;
  AddStation("Zova HLS", QString::fromStdString(stream.Url()));
  bool lost = false;
  QObject::connect(player.get(), &TStationPlayer::Lost, [&] { lost = true; });
  Play("Zova HLS");
  ASSERT_TRUE(WaitFor([&] { return player->RadioTimerActive() && !player->Connecting(); }, 20000))
      << statuses.join("\n").toStdString();
  // The segments it had play, then the playlist that no longer moves counts as a drop;
  // the reconnections find nothing new to play, and the error ends it.
  ASSERT_TRUE(WaitFor([&] { return statuses.contains("Reconnexion (1/3) ..."); }, 40000))
      << statuses.join("\n").toStdString();
  ASSERT_TRUE(WaitFor([&] { return lost; }, 90000)) << statuses.join("\n").toStdString();
  EXPECT_EQ(player->CurrentChannel, 0u);
  EXPECT_TRUE(statuses.contains("Reconnexion (3/3) ..."));
  EXPECT_TRUE(statuses.last().startsWith("E:Erreur! "));
}

}  // namespace
