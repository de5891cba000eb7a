// Catalogue loading: the first load in both tuner modes, imports with their pictures,
// remote downloads, the tuner switch, the mends for damaged files, and the start-up
// sequence with its proxy offer, connection test and update offer.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include "common/settings.h"
#include "catalogue/browserstartup.h"
#include "catalogue/catalogueloader.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/httpclient.h"
#include "catalogue/updatedescriptor.h"
#include "servers.h"

namespace {

using namespace CatalogueTest;

// Records what a load shows instead of showing it.
struct FakeDisplay : TLoadDisplay {
  QStringList statuses;
  QStringList errors;
  QList<int> positions;
  int max = 100;
  bool visible = false;
  int shows = 0;
  void ShowSplash() override {
    visible = true;
    ++shows;
  }
  void HideSplash() override { visible = false; }
  void SetStatus(const QString& text) override { statuses.append(text); }
  void SetProgressMax(int m) override { max = m; }
  void SetProgress(int p) override { positions.append(p); }
  void ProcessEvents() override {}
  void ShowError(const QString& text) override { errors.append(text); }
};

struct Station {
  QString name, country, icon;
};

// Writes a catalogue folder: `stations` rows, two countries with flags, two genres, one
// network, and the pictures the rows name.
void MakeCatalogue(const QString& folder, const QList<Station>& stations, bool pictures = true) {
  QDir().mkpath(folder + "/icones");
  QDir().mkpath(folder + "/drapeaux");
  TCatalogueTable radios("r"), countries("c"), genres("g"), networks("n");
  CreateCatalogueTable(radios, TCatalogueKind::Stations);
  CreateCatalogueTable(countries, TCatalogueKind::Countries);
  CreateCatalogueTable(genres, TCatalogueKind::Genres);
  CreateCatalogueTable(networks, TCatalogueKind::Networks);
  for (const Station& s : stations) {
    radios.Append();
    radios.SetFieldText("Radio", s.name);
    radios.SetFieldText("Url", "http://127.0.0.1:1/" + s.name);
    radios.SetFieldText("Genre", "Jazz,Rock");
    radios.SetFieldText("Country", s.country);
    radios.SetFieldText("Network", "Radio France");
    radios.SetFieldText("Icon", s.icon);
    radios.SetFieldText("StreamType", "MP3");
    radios.SetFieldInt("BitRate", 128);
    radios.SetFieldInt("SampleRate", 44100);
    radios.SetFieldText("Channels", "Stereo");
    ASSERT_TRUE(radios.Post());
    if (pictures && !s.icon.contains('/')) {
      QFile f(folder + "/icones/" + s.icon);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("png");
    }
  }
  for (const char* c : {"France", "Suisse"}) {
    countries.Append();
    countries.SetFieldText("Name", c);
    countries.SetFieldText("Flag", QString(c).left(2).toLower() + ".png");
    ASSERT_TRUE(countries.Post());
    QFile f(folder + "/drapeaux/" + QString(c).left(2).toLower() + ".png");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  for (const char* g : {"Rock", "Jazz"}) {
    genres.Append();
    genres.SetFieldText("Name", g);
    ASSERT_TRUE(genres.Post());
  }
  networks.Append();
  networks.SetFieldText("Name", "Radio France");
  ASSERT_TRUE(networks.Post());
  ASSERT_TRUE(radios.SaveToFile(folder + "/radios.xml"));
  ASSERT_TRUE(countries.SaveToFile(folder + "/country.xml"));
  ASSERT_TRUE(genres.SaveToFile(folder + "/genre.xml"));
  ASSERT_TRUE(networks.SaveToFile(folder + "/network.xml"));
}

QList<Station> Stations(int n) {
  QList<Station> list;
  for (int i = 1; i <= n; ++i)
    list.append({QStringLiteral("Station %1").arg(i, 3, 10, QLatin1Char('0')), i % 2 ? "France" : "Suisse",
                 QStringLiteral("s%1.png").arg(i)});
  return list;
}

int FieldCountOf(const QString& file) {
  TCatalogueTable t("t");
  return t.LoadFromFile(file) ? t.FieldCount() : -1;
}

class LoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe = dir.path() + "/program/";
    data = dir.path() + "/data/";
    for (const char* sub : {"tuner/local/icones", "tuner/local/drapeaux", "tuner/remote/icones",
                            "tuner/remote/drapeaux"})
      QDir().mkpath(data + sub);
    http.SetTimeouts(2000, 1500);
  }

  TCatalogueLoader& Loader(const QString& mode) {
    loader = std::make_unique<TCatalogueLoader>(tables, http, display, exe, data);
    loader->Tuner.Mode = mode;
    return *loader;
  }

  QTemporaryDir dir;
  QString exe, data;
  TCatalogueTables tables;
  THttpClient http;
  FakeDisplay display;
  std::unique_ptr<TCatalogueLoader> loader;
};

TEST_F(LoaderTest, RemoteFirstLoadFromAFileServerIsReadOnly) {
  MakeCatalogue(exe + "server/catalogue", Stations(3));
  TCatalogueLoader& l = Loader("remote");
  l.Tuner.RemoteBase = QUrl::fromLocalFile(exe + "server/catalogue/").toString();
  l.FirstLoad(true);

  EXPECT_TRUE(display.errors.isEmpty()) << display.errors.join("\n").toStdString();
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 3);
  EXPECT_EQ(tables.countryDataSet.RecordCount(), 2);
  EXPECT_TRUE(tables.radiosDataset.ReadOnly());
  EXPECT_FALSE(tables.radiosDataset.Append().Ok());
  EXPECT_FALSE(l.EditMenuEnabled());
  EXPECT_EQ(l.StationNames(), QStringList({"Station 001", "Station 002", "Station 003"}));
  EXPECT_EQ(l.CountryNames(), QStringList({"France", "Suisse"}));
  EXPECT_EQ(l.GenreNames(), QStringList({"Rock", "Jazz"}));  // file order; the filter lists sort
  EXPECT_TRUE(QFile::exists(data + "tuner/remote/radios.xml"));
  EXPECT_FALSE(display.visible);
  // The splash texts in order: creation, the update check, then each phase's counts.
  EXPECT_EQ(display.statuses.first(), "Initialisation de la base de données ...");
  EXPECT_TRUE(display.statuses.contains("Vérification des mises à jour ..."));
  EXPECT_TRUE(display.statuses.contains("Chargement des radios (1/3) ..."));
  EXPECT_TRUE(display.statuses.contains("Chargement des pays (2/2) ..."));
  EXPECT_TRUE(display.statuses.contains("Chargement des styles musicaux (1/2) ..."));
  EXPECT_EQ(display.statuses.last(), "Chargement des réseaux (1/1) ...");
  EXPECT_EQ(display.positions.last(), 400);
  EXPECT_EQ(display.max, TCatalogueLoader::kLoadProgressMax);
}

TEST_F(LoaderTest, RemoteWithoutConnectionLoadsNothing) {
  Loader("remote").FirstLoad(false);
  EXPECT_FALSE(tables.radiosDataset.Active());
  EXPECT_EQ(display.shows, 0);
}

TEST_F(LoaderTest, LocalFirstLoadImportsTheDeliveredCatalogue) {
  QList<Station> stations = Stations(4);
  stations.append({"Evil", "France", "../../escape.png"});
  MakeCatalogue(exe + "base", stations);
  QFile noicon(exe + "base/icones/noicon.png");
  ASSERT_TRUE(noicon.open(QIODevice::WriteOnly));
  noicon.close();
  TCatalogueLoader& l = Loader("local");
  l.FirstLoad(false);

  EXPECT_TRUE(display.errors.isEmpty()) << display.errors.join("\n").toStdString();
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 5);
  EXPECT_FALSE(tables.radiosDataset.ReadOnly());
  EXPECT_TRUE(l.EditMenuEnabled());
  EXPECT_TRUE(l.StationNames().isEmpty());  // filled for the remote tuner only
  const QString local = data + "tuner/local/";
  for (const char* f : {"radios.xml", "country.xml", "genre.xml", "network.xml"})
    EXPECT_TRUE(QFile::exists(local + f)) << f;
  EXPECT_EQ(FieldCountOf(local + "radios.xml"), 11);
  EXPECT_TRUE(QFile::exists(local + "icones/s1.png"));
  EXPECT_TRUE(QFile::exists(local + "icones/noicon.png"));
  EXPECT_TRUE(QFile::exists(local + "drapeaux/fr.png"));
  // A picture name that would leave its folder is not followed.
  EXPECT_FALSE(QFile::exists(data + "tuner/escape.png"));
  EXPECT_FALSE(QFile::exists(dir.path() + "/escape.png"));
  EXPECT_TRUE(display.statuses.contains("Mode Local détecté."));
  EXPECT_TRUE(display.statuses.contains("Importation de radios.xml ..."));
  EXPECT_TRUE(display.statuses.contains("Importation de s2.png ..."));
}

TEST_F(LoaderTest, LocalFirstLoadFallsBackToTheBlankTemplate) {
  MakeCatalogue(exe + "tuner/blank", {});
  Loader("local").FirstLoad(false);
  EXPECT_TRUE(display.errors.isEmpty());
  EXPECT_TRUE(tables.radiosDataset.Active());
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 0);
  EXPECT_EQ(tables.genreDataSet.RecordCount(), 2);
}

TEST_F(LoaderTest, SevenFieldFileIsRewrittenWithElevenFields) {
  const QString local = data + "tuner/local/";
  ASSERT_TRUE(QFile::copy(ZOVALIS_SOURCE_DIR "/tests/fixtures/catalogue/seven-fields.xml", local + "radios.xml"));
  Loader("local").FirstLoad(false);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 2);
  EXPECT_EQ(tables.radiosDataset.FieldText("StreamType").Value, "N/A");
  EXPECT_EQ(FieldCountOf(local + "radios.xml"), 11);
  // The missing list files were written empty at the tables' creation.
  EXPECT_EQ(FieldCountOf(local + "country.xml"), 2);
}

TEST_F(LoaderTest, APhaseThatFailsPartWayKeepsTheUsersFile) {
  const QString local = data + "tuner/local/";
  const QString fixture = ZOVALIS_SOURCE_DIR "/tests/fixtures/catalogue/row-without-radio.xml";
  ASSERT_TRUE(QFile::copy(fixture, local + "radios.xml"));
  QFile original(fixture);
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  TCatalogueLoader& l = Loader("local");
  l.FirstLoad(false);
  ASSERT_EQ(display.errors.size(), 1);
  EXPECT_TRUE(display.errors[0].startsWith("RequiredField : ")) << display.errors[0].toStdString();
  QFile after(local + "radios.xml");
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), original.readAll());
  EXPECT_FALSE(l.StationsReadWhole());
  // The other phases still ran.
  EXPECT_TRUE(tables.networkDataSet.Active());
}

TEST_F(LoaderTest, CountTextsAndProgressOfALargeCatalogue) {
  MakeCatalogue(data + "tuner/local", Stations(500), false);
  Loader("local").FirstLoad(false);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 500);
  const int first = display.statuses.indexOf("Chargement des radios (1/500) ...");
  const int last = display.statuses.indexOf("Chargement des radios (500/500) ...");
  ASSERT_GE(first, 0);
  ASSERT_GT(last, first);
  EXPECT_TRUE(display.positions.contains(100));
  EXPECT_TRUE(std::is_sorted(display.positions.begin() + display.positions.indexOf(0, 1), display.positions.end()));
}

TEST_F(LoaderTest, NewerRemoteFilesAreDownloadedOlderOnesNot) {
  const QString served = dir.path() + "/www/cat";
  MakeCatalogue(served, Stations(2));
  UpdateServer server;
  ASSERT_TRUE(server.Start(dir.path() + "/www"));
  TCatalogueLoader& l = Loader("remote");
  l.Tuner.RemoteBase = server.Url("cat/");
  l.FirstLoad(true);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 2);

  // The server's stations change with a date in the past: the local copy is kept.
  MakeCatalogue(served, Stations(5));
  {
    QFile f(served + "/radios.xml");
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime);
  }
  l.SwitchTuner(0);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 2);
  // Now newer than the copy: downloaded.
  {
    QFile f(served + "/radios.xml");
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(600), QFileDevice::FileModificationTime);
  }
  l.SwitchTuner(0);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 5);

  // A server that cuts the body: the earlier copy is read, whole.
  l.Tuner.RemoteBase = server.Url("half/cat/");
  l.SwitchTuner(0);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 5);
  EXPECT_TRUE(display.errors.isEmpty()) << display.errors.join("\n").toStdString();
}

TEST_F(LoaderTest, ServerWithoutDatesNeverFillsAnEmptyTuner) {
  MakeCatalogue(dir.path() + "/www/cat", Stations(2));
  UpdateServer server;
  ASSERT_TRUE(server.Start(dir.path() + "/www"));
  TCatalogueLoader& l = Loader("remote");
  l.Tuner.RemoteBase = server.Url("nodate/cat/");
  l.FirstLoad(true);
  // Each phase reports its missing file.
  EXPECT_EQ(display.errors.size(), 4);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 0);
}

TEST_F(LoaderTest, SwitchingTunersKeepsTheTablesFilter) {
  MakeCatalogue(exe + "tuner", Stations(6));
  MakeCatalogue(data + "tuner/remote", Stations(3));
  TCatalogueLoader& l = Loader("remote");
  l.FirstLoad(true);
  ASSERT_TRUE(tables.radiosDataset.SetFilter("Country = 'Suisse'"));
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 1);
  l.SwitchTuner(1);  // Local, without a file: imports the program's "tuner/"
  EXPECT_EQ(l.Tuner.Mode, "local");
  EXPECT_EQ(tables.radiosDataset.Filter(), "Country = 'Suisse'");
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 3);
  EXPECT_TRUE(QFile::exists(data + "tuner/local/radios.xml"));
  l.SwitchTuner(0);
  EXPECT_EQ(l.Tuner.Mode, "remote");
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 1);
  EXPECT_TRUE(tables.radiosDataset.ReadOnly());
}

TEST_F(LoaderTest, ChoosingAnotherRemoteTunerLoadsItAndKeepsTheFirstAsBase) {
  MakeCatalogue(exe + "server/first", Stations(3));
  MakeCatalogue(exe + "server/second", Stations(5));
  TCatalogueLoader& l = Loader("remote");
  const QString first = QUrl::fromLocalFile(exe + "server/first/").toString();
  l.Tuner.RemoteBase = first;
  l.FirstLoad(true);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 3);
  // The second tuner's files are newer than the copies just downloaded.
  for (const QString& name : QDir(exe + "server/second").entryList(QDir::Files)) {
    QFile f(exe + "server/second/" + name);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
  }
  l.SwitchToRemote(QUrl::fromLocalFile(exe + "server/second/").toString());
  EXPECT_EQ(l.Tuner.Mode, "remote");
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 5);
  EXPECT_TRUE(tables.radiosDataset.ReadOnly());
  EXPECT_EQ(l.Tuner.RemoteBase, first);  // the icons and flags still come from the first
}

// ---- Tuner maintenance.

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST_F(LoaderTest, NewImportAndExportOfTheLocalTuner) {
  MakeCatalogue(exe + "tuner/blank", {});
  MakeCatalogue(dir.path() + "/import", Stations(4));
  MakeCatalogue(data + "tuner/remote", Stations(2));
  TCatalogueLoader& l = Loader("remote");
  l.FirstLoad(true);
  ASSERT_EQ(tables.radiosDataset.RecordCount(), 2);

  // A folder without a station file is refused and changes nothing.
  QDir().mkpath(dir.path() + "/empty");
  EXPECT_EQ(l.ImportLocalTuner(dir.path() + "/empty/"), TCatalogueLoader::TImport::NoStationFile);
  EXPECT_EQ(l.Tuner.Mode, "remote");
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 2);

  // The import replaces the local tuner and brings the pictures its rows name.
  EXPECT_EQ(l.ImportLocalTuner(dir.path() + "/import/"), TCatalogueLoader::TImport::Done);
  EXPECT_EQ(l.Tuner.Mode, "local");
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 4);
  EXPECT_FALSE(tables.radiosDataset.ReadOnly());
  EXPECT_TRUE(QFile::exists(data + "tuner/local/icones/s3.png"));
  EXPECT_TRUE(QFile::exists(data + "tuner/local/drapeaux/fr.png"));

  // The export copies the files as written and the pictures; a name that would leave
  // the picture folder is not followed.
  tables.radiosDataset.Last();
  ASSERT_TRUE(tables.radiosDataset.Edit());
  ASSERT_TRUE(tables.radiosDataset.SetFieldText("Icon", "../../secret.png"));
  ASSERT_TRUE(tables.radiosDataset.Post());
  ASSERT_TRUE(tables.radiosDataset.SaveToFile(data + "tuner/local/radios.xml"));
  QFile secret(data + "tuner/secret.png");
  ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
  secret.close();
  const QString out = dir.path() + "/export/deep/";
  display.statuses.clear();
  display.positions.clear();
  EXPECT_TRUE(l.ExportLocalTuner(out));
  for (const char* file : {"radios.xml", "country.xml", "genre.xml", "network.xml", "icones/s1.png", "drapeaux/su.png"})
    EXPECT_EQ(ReadAll(out + file), ReadAll(data + "tuner/local/" + file)) << file;
  EXPECT_FALSE(QFile::exists(dir.path() + "/export/secret.png"));
  EXPECT_FALSE(QFile::exists(out + "secret.png"));
  EXPECT_EQ(display.statuses.first(), "Exportation vers le répertoire " + out);
  EXPECT_TRUE(display.statuses.contains("Exportation de s2.png ..."));
  EXPECT_TRUE(display.statuses.contains("Exportation de fr.png ..."));
  EXPECT_EQ(display.positions.last(), 400);
  EXPECT_FALSE(display.visible);
  EXPECT_TRUE(display.errors.isEmpty());

  // "New": the blank template's empty tables replace the local ones.
  l.NewLocalTuner();
  EXPECT_EQ(l.Tuner.Mode, "local");
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 0);
  EXPECT_EQ(FieldCountOf(data + "tuner/local/radios.xml"), 11);
  TCatalogueTable written("w");
  ASSERT_TRUE(written.LoadFromFile(data + "tuner/local/radios.xml"));
  EXPECT_EQ(written.RecordCount(), 0);
}

TEST_F(LoaderTest, ADamagedImportKeepsTheLocalTuner) {
  MakeCatalogue(data + "tuner/local", Stations(3));
  const QByteArray before = ReadAll(data + "tuner/local/radios.xml");
  QDir().mkpath(dir.path() + "/bad");
  QFile bad(dir.path() + "/bad/radios.xml");
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("<?xml version=\"1.0\"?><DATAPACKET><METADATA><FIELDS>");
  bad.close();
  TCatalogueLoader& l = Loader("local");
  l.FirstLoad(true);
  ASSERT_EQ(tables.radiosDataset.RecordCount(), 3);
  EXPECT_EQ(l.ImportLocalTuner(dir.path() + "/bad/"), TCatalogueLoader::TImport::Damaged);
  EXPECT_EQ(display.errors.size(), 1);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 3);
  EXPECT_EQ(ReadAll(data + "tuner/local/radios.xml"), before);
}

// ---- The start-up sequence.

struct FakePrompts : TStartupPrompts {
  QStringList confirms, asked, balloons, errors, opened;
  bool answerYes = true;
  QStringList answers;
  QString hint;
  bool Confirm(const QString& text) override {
    confirms.append(text);
    return answerYes;
  }
  std::optional<QString> AskText(const QString& caption, const QString& prompt) override {
    asked.append(caption + "|" + prompt);
    if (answers.isEmpty()) return std::nullopt;
    return answers.takeFirst();
  }
  void SetBalloonText(const QString& text) override { hint = text; }
  void Balloon(const QString& text, bool error, int) override { balloons.append((error ? "E:" : "I:") + text); }
  void OpenUrl(const QString& url) override { opened.append(url); }
  void ShowStandardError(const QString& text) override { errors.append(text); }
};

class StartupTest : public LoaderTest {
 protected:
  TStartupResult Run(const QString& proxyText = QString()) {
    TStartupContext c;
    c.Settings = &settings;
    c.Http = &http;
    c.Loader = loader.get();
    c.Prompts = &prompts;
    c.ServerBase = QUrl::fromLocalFile(exe + "server/").toString();
    c.DataFolder = data;
    c.ProgramVersion = ProgramVersionNumber(2, 1, 1);
    c.ReadSystemProxy = [proxyText] { return proxyText; };
    return RunBrowserStartup(c);
  }
  void WriteDescriptor(const QByteArray& xml) {
    QDir().mkpath(exe + "server");
    QFile f(exe + "server/version.xml");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(xml);
  }
  TSettings settings;
  FakePrompts prompts;
};

TEST_F(StartupTest, FirstStartWithTheDeliveredServer) {
  MakeCatalogue(exe + "server/catalogue", Stations(3));
  WriteDescriptor("<CurrentVersion><Major>2</Major><Minor>1</Minor><Release>1</Release>"
                  "<DownloadUrl>http://dl/</DownloadUrl><Tuner><A>catalogue/</A></Tuner></CurrentVersion>");
  Loader("remote");
  const TStartupResult r = Run();
  EXPECT_TRUE(r.Connected);
  EXPECT_EQ(r.ServerVersion, 20101);
  ASSERT_EQ(r.RemoteTuners.size(), 1);
  EXPECT_EQ(r.RemoteTuners[0], QUrl::fromLocalFile(exe + "server/catalogue/").toString());
  EXPECT_EQ(loader->Tuner.RemoteBase, r.RemoteTuners[0]);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 3);
  EXPECT_EQ(prompts.hint, "Détection du proxy ...");
  EXPECT_EQ(prompts.balloons, QStringList({"I:Connexion à Internet ...", "I:Connexion OK."}));
  EXPECT_TRUE(prompts.confirms.isEmpty());  // same version: no offer
  EXPECT_TRUE(QFile::exists(data + "version.xml"));
}

TEST_F(StartupTest, NewerVersionIsOfferedAndOpened) {
  WriteDescriptor("<CurrentVersion><Major>2</Major><Minor>1</Minor><Release>2</Release>"
                  "<DownloadUrl>http://dl/</DownloadUrl><Tuner/></CurrentVersion>");
  Loader("local");
  const TStartupResult r = Run();
  EXPECT_TRUE(r.RemoteTuners.isEmpty());
  EXPECT_TRUE(loader->Tuner.RemoteBase.isEmpty());
  ASSERT_EQ(prompts.confirms.size(), 1);
  EXPECT_EQ(prompts.confirms[0],
            "Une version plus récente est disponible, voulez-vous visiter le site web pour plus d'informations ?");
  EXPECT_EQ(prompts.opened, QStringList{"http://dl/"});
  // Local mode: no "connecting" balloon, only the result.
  EXPECT_EQ(prompts.balloons, QStringList{"I:Connexion OK."});
}

TEST_F(StartupTest, DamagedDescriptorIsReportedOnceAndTheCatalogueStillLoads) {
  WriteDescriptor("<CurrentVersion><Major>deux</Major></CurrentVersion>");
  MakeCatalogue(data + "tuner/remote", Stations(2));
  Loader("remote");
  loader->Tuner.RemoteBase.clear();
  const TStartupResult r = Run();
  EXPECT_EQ(prompts.errors.size(), 1);
  EXPECT_EQ(r.ServerVersion, 0);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 2);
  EXPECT_TRUE(prompts.confirms.isEmpty());
}

TEST_F(StartupTest, NoServerGivesTheErrorBalloonAndLocalStillLoads) {
  MakeCatalogue(exe + "base", Stations(2));
  Loader("local");
  const TStartupResult r = Run();
  EXPECT_FALSE(r.Connected);
  EXPECT_EQ(prompts.balloons.last(),
            "E:Erreur lors de la connexion à internet : vérifiez vos paramètres de connexion.");
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 2);
}

TEST_F(StartupTest, ProxyOffer) {
  WriteDescriptor("<CurrentVersion><Major>2</Major><Minor>1</Minor><Release>1</Release></CurrentVersion>");
  struct Case {
    const char* name;
    bool yes;
    QStringList answers;
    bool checked;
    const char* user;
    const char* password;
  };
  const Case cases[] = {
      {"accepted with login", true, {"moi", "secret"}, true, "moi", "secret"},
      {"accepted without login", true, {""}, true, "", ""},
      {"refused", false, {}, false, "", ""},
  };
  for (const Case& c : cases) {
    settings = TSettings();
    prompts = FakePrompts();
    prompts.answerYes = c.yes;
    prompts.answers = c.answers;
    Loader("local");
    Run("http=cache.lan:3128;https=cache.lan:3129");
    ASSERT_FALSE(prompts.confirms.isEmpty()) << c.name;
    EXPECT_EQ(prompts.confirms[0],
              "Le serveur proxy cache.lan a été détecté, souhaitez-vous vous connecter via celui-ci ?")
        << c.name;
    EXPECT_EQ(settings.IsProxyServer, c.checked) << c.name;
    EXPECT_EQ(settings.ProxyUser, c.user) << c.name;
    EXPECT_EQ(settings.ProxyPasswd, c.password) << c.name;
    if (c.checked) {
      EXPECT_EQ(settings.ProxyServer, "cache.lan");
      EXPECT_EQ(settings.ProxyPort, "3128");
      EXPECT_EQ(http.Proxy().Host, "cache.lan");
      EXPECT_EQ(http.Proxy().Port, 3128);
    }
  }
  // Once accepted, the offer is not made again.
  settings.IsProxyServer = true;
  prompts = FakePrompts();
  Loader("local");
  Run("cache.lan:3128");
  EXPECT_TRUE(prompts.confirms.isEmpty());
}

TEST_F(StartupTest, StalledServerDoesNotHangTheStart) {
  UpdateServer server;
  ASSERT_TRUE(server.Start(dir.path()));
  MakeCatalogue(exe + "base", Stations(1));
  Loader("local");
  TStartupContext c;
  c.Settings = &settings;
  c.Http = &http;
  c.Loader = loader.get();
  c.Prompts = &prompts;
  c.ServerBase = server.Url("stall/");
  c.DataFolder = data;
  c.ProgramVersion = 20101;
  QElapsedTimer t;
  t.start();
  const TStartupResult r = RunBrowserStartup(c);
  EXPECT_FALSE(r.Connected);
  EXPECT_LT(t.elapsed(), 10000);
  EXPECT_EQ(tables.radiosDataset.RecordCount(), 1);
}

}  // namespace
