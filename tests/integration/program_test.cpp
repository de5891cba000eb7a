// The program as users run it: a real process on a real X server (Xvfb) and a real
// PulseAudio daemon, both started here and stopped by PID.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <csignal>

#include "common/appfolders.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "support/icecast.h"
#include "support/pulsedaemon.h"
#include "support/testenv.h"

namespace {

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QString xError;
    ASSERT_TRUE(xvfb.Start(&xError)) << xError.toStdString();
  }

  void TearDown() override {
    for (QProcess* p : processes) {
      const std::string race = TestEnv::RaceReport(*p);
      if (!race.empty()) ADD_FAILURE() << race;
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
      delete p;
    }
  }

  void StartPulse() {
    std::string error;
    ASSERT_TRUE(pulse.Start(&error)) << error;
  }

  QProcessEnvironment Environment(const QString& pulseServer) const {
    QProcessEnvironment env = home.Environment();
    env.insert("DISPLAY", xvfb.Display());
    env.insert("PULSE_SERVER", pulseServer);
    for (const std::string& entry : pulse.ClientEnv()) {
      const QString e = QString::fromStdString(entry);
      if (e.startsWith("PULSE_CLIENTCONFIG=")) env.insert("PULSE_CLIENTCONFIG", e.section('=', 1));
    }
    return env;
  }

  QProcess* Launch(const QString& pulseServer) {
    auto* p = new QProcess;
    processes.push_back(p);
    p->setProcessEnvironment(Environment(pulseServer));
    p->start(QStringLiteral(ZOVALIS_EXE), {});
    EXPECT_TRUE(p->waitForStarted(10000));
    return p;
  }

  QProcess* LaunchWithSound() { return Launch(QString::fromStdString(pulse.ServerAddress())); }

  // Ids of the top-level windows of 480 x 241 that the X server has mapped.
  QStringList MainWindows() const {
    QStringList ids;
    static const QRegularExpression line(R"(^\s*(0x[0-9a-f]+) .*\s480x241[+-])");
    for (const QString& l : xvfb.WindowTree()) {
      const auto m = line.match(l);
      if (!m.hasMatch()) continue;
      QProcess info;
      QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
      env.insert("DISPLAY", xvfb.Display());
      info.setProcessEnvironment(env);
      info.start("xwininfo", {"-id", m.captured(1)});
      info.waitForFinished(5000);
      if (info.readAllStandardOutput().contains("Map State: IsViewable")) ids << m.captured(1);
    }
    return ids;
  }

  bool WaitForMainWindow(int timeoutMs = 20000) const {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
      if (!MainWindows().isEmpty()) return true;
      QThread::msleep(200);
    }
    return false;
  }

  static void Signal(QProcess* p, int sig) { ::kill(static_cast<pid_t>(p->processId()), sig); }

  TestEnv::Xvfb xvfb;
  ztest::PulseDaemon pulse;
  TestEnv::Home home;
  std::vector<QProcess*> processes;
};

TEST_F(ProgramTest, FirstStartShowsTheWindowMakesTheFoldersAndSavesOnSigterm) {
  StartPulse();
  QProcess* first = LaunchWithSound();
  ASSERT_TRUE(WaitForMainWindow()) << first->readAllStandardError().toStdString();
  EXPECT_EQ(MainWindows().size(), 1);

  // The folder layout of a new user.
  const QString data = home.DataFolder();
  EXPECT_TRUE(QFileInfo(data).isDir());
  for (const QString& sub : DataSubFolders()) EXPECT_TRUE(QFileInfo(data + sub).isDir()) << sub.toStdString();
  EXPECT_TRUE(QFileInfo(home.Path() + "/Documents/Zovalis").isDir());

  // The engine is connected to the sound server.
  std::string clients;
  ASSERT_EQ(pulse.RunClient({"pactl", "list", "clients"}, &clients), 0);
  EXPECT_NE(clients.find("Zovalis"), std::string::npos) << clients;

  // A second start ends at once, silently, and leaves the first running with its window.
  QProcess* second = LaunchWithSound();
  ASSERT_TRUE(second->waitForFinished(15000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_EQ(second->readAllStandardError(), "");
  EXPECT_EQ(first->state(), QProcess::Running);
  EXPECT_EQ(MainWindows().size(), 1);

  EXPECT_FALSE(QFile::exists(home.ConfigFile()));  // nothing is written while running
  Signal(first, SIGTERM);
  ASSERT_TRUE(first->waitForFinished(15000));
  EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first->exitCode(), 0) << first->readAllStandardError().toStdString();

  ASSERT_TRUE(QFile::exists(home.ConfigFile()));
  QSettings saved(home.ConfigFile(), QSettings::IniFormat);
  const QStringList names = {"TrayInformation", "SpectroPeaks",  "SpectroColorL", "SpectroColorM", "SpectroColorH",
                             "IsProxyServer",   "ProxyServer",   "ProxyUser",     "ProxyPasswd",   "ProxyPort",
                             "LastRadio",       "Filter",        "FilterName",    "FilterCountry", "FilterGenre",
                             "FilterNetwork",   "FilterQuality", "FilterStream",  "RecordDir",     "CutByTitle",
                             "RecordOcc",       "RecordEncoder", "Top",           "Left",          "Mode",
                             "FavoritesCount",  "Volume"};
  for (const QString& name : names) EXPECT_TRUE(saved.contains(name)) << name.toStdString();
  EXPECT_EQ(saved.value("TrayInformation").toString(), "1");
  EXPECT_EQ(saved.value("SpectroPeaks").toString(), "0");
  EXPECT_EQ(saved.value("Volume").toString(), "100");
  EXPECT_EQ(saved.value("Top").toString(), "263");  // centred on the 1024 x 768 screen
  EXPECT_EQ(saved.value("Left").toString(), "272");
  EXPECT_EQ(saved.value("Mode").toString(), "remote");
}

// Rows of a catalogue file, or -1 when it cannot be read.
int RowsOf(const QString& file) {
  TCatalogueTable t("t");
  return t.LoadFromFile(file) ? t.RecordCount() : -1;
}

TEST_F(ProgramTest, FirstStartLoadsTheDeliveredCatalogueInBothTunerModes) {
  StartPulse();
  const int delivered = RowsOf(QStringLiteral(ZOVALIS_PROGRAM_DIR "/server/catalogue/radios.xml"));
  ASSERT_GE(delivered, 120);
  const QString data = home.DataFolder();

  // Default tuner: the remote catalogue, fetched from the program folder's own server
  // without any network.
  QProcess* remote = LaunchWithSound();
  ASSERT_TRUE(WaitForMainWindow()) << remote->readAllStandardError().toStdString();
  EXPECT_EQ(RowsOf(data + "tuner/remote/radios.xml"), delivered);
  EXPECT_TRUE(QFile::exists(data + "version.xml"));
  EXPECT_FALSE(QFile::exists(data + "tuner/local/radios.xml"));
  Signal(remote, SIGTERM);
  ASSERT_TRUE(remote->waitForFinished(15000));

  // The local tuner's first start imports the delivered catalogue with its pictures.
  {
    QSettings settings(home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Mode", "local");
  }
  QProcess* local = LaunchWithSound();
  ASSERT_TRUE(WaitForMainWindow()) << local->readAllStandardError().toStdString();
  EXPECT_EQ(RowsOf(data + "tuner/local/radios.xml"), delivered);
  EXPECT_GE(QDir(data + "tuner/local/icones").entryList(QDir::Files).size(), delivered);
  EXPECT_GE(QDir(data + "tuner/local/drapeaux").entryList(QDir::Files).size(), 25);
  Signal(local, SIGTERM);
  ASSERT_TRUE(local->waitForFinished(15000));
  EXPECT_EQ(local->exitCode(), 0);
  EXPECT_EQ(QSettings(home.ConfigFile(), QSettings::IniFormat).value("Mode").toString(), "local");
  EXPECT_EQ(RowsOf(data + "tuner/local/radios.xml"), delivered);
}

// Whether a visible window's title contains `text` (xdotool).
bool WindowTitled(const QString& display, const QString& text) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  p.setProcessEnvironment(env);
  p.start("xdotool", {"search", "--onlyvisible", "--name", QRegularExpression::escape(text)});
  p.waitForFinished(5000);
  return p.exitCode() == 0 && !p.readAllStandardOutput().trimmed().isEmpty();
}

TEST_F(ProgramTest, PlaysTheLastStationAtStartWithItsTitleAndSavesIt) {
  StartPulse();
  ztest::Icecast icecast;
  std::string error;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error)) << error;

  // A local tuner whose catalogue names the local mount, and that station as the last one.
  const QString local = home.DataFolder() + "tuner/local/";
  QDir().mkpath(local);
  TCatalogueTable radios("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(radios, TCatalogueKind::Stations));
  for (const auto& [name, url] : {std::pair<QString, QString>{"Autre", "http://127.0.0.1:9/none"},
                                  {"Zova Live", QString::fromStdString(icecast.Url("/live"))}}) {
    radios.Append();
    radios.SetFieldText("Radio", name);
    radios.SetFieldText("Url", url);
    ASSERT_TRUE(radios.Post());
  }
  ASSERT_TRUE(radios.SaveToFile(local + "radios.xml"));
  {
    QSettings settings(home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Mode", "local");
    settings.setValue("LastRadio", "Zova Live");
  }

  QProcess* program = LaunchWithSound();
  ASSERT_TRUE(WaitForMainWindow()) << program->readAllStandardError().toStdString();

  // Sound reaches the sink: the monitor carries the 440 Hz tone.
  const auto level = [this] {
    std::string out;
    pulse.RunClient({"sh", "-c",
                     "timeout 1.5 parec -d rec.monitor --rate=44100 --channels=2 --format=s16le --latency-msec=50 "
                     "| sox -t raw -r 44100 -e signed -b 16 -c 2 - -n stat 2>&1"},
                    &out, 10000);
    const auto m = QRegularExpression(R"(RMS\s+amplitude:\s+([0-9.]+))").match(QString::fromStdString(out));
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
  };
  QElapsedTimer t;
  t.start();
  double rms = 0;
  while (t.elapsed() < 20000 && rms < 0.01) rms = level();
  EXPECT_GT(rms, 0.01) << "no sound on the sink monitor";

  // The speaker button mutes, as a user clicks it (the window is centred on the screen).
  const auto click = [this](int x, int y) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", xvfb.Display());
    p.setProcessEnvironment(env);
    p.start("xdotool", {"mousemove", QString::number(272 + x), QString::number(263 + y), "click", "1"});
    p.waitForFinished(5000);
  };
  click(309 + 12, 194 + 13);
  QThread::msleep(500);
  EXPECT_LT(level(), 0.001) << "still sounding after mute";
  click(309 + 12, 194 + 13);
  t.restart();
  rms = 0;
  while (t.elapsed() < 10000 && rms < 0.01) rms = level();
  EXPECT_GT(rms, 0.01) << "no sound after unmuting";

  // A new title reaches the window.
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Test - Chanson", &error)) << error;
  t.restart();
  while (t.elapsed() < 20000 && !WindowTitled(xvfb.Display(), "Artiste Test - Chanson")) QThread::msleep(250);
  EXPECT_TRUE(WindowTitled(xvfb.Display(), "Artiste Test - Chanson"));
  if (const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS"); !shots.isEmpty()) {
    QProcess shot;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", xvfb.Display());
    shot.setProcessEnvironment(env);
    shot.start("import", {"-window", "root", QString::fromUtf8(shots) + "/playing.png"});
    shot.waitForFinished(10000);
  }

  Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0);
  EXPECT_EQ(QSettings(home.ConfigFile(), QSettings::IniFormat).value("LastRadio").toString(), "Zova Live");
  // The stream information measured while playing is in the local catalogue.
  TCatalogueTable saved("t");
  ASSERT_TRUE(saved.LoadFromFile(local + "radios.xml"));
  ASSERT_TRUE(saved.SetFilter("Radio = 'Zova Live'"));
  saved.First();
  EXPECT_EQ(saved.FieldText("StreamType").Value, "MP3");
  EXPECT_EQ(saved.FieldText("SampleRate").Value, "44100");
}

TEST_F(ProgramTest, AFileAddedInThePlaylistWindowIsHeard) {
  StartPulse();
  // A tone in the recording folder, and the main window at the top left so the playlist
  // window opens below it.
  const QString music = home.Path() + "/Musique";
  QDir().mkpath(music);
  const QString song = music + "/Groupe - Chanson.wav";
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                          "sine=frequency=440:sample_rate=44100:duration=60", "-ac", "2", song});
  ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
  {
    QSettings settings(home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Top", 0);
    settings.setValue("Left", 0);
    settings.setValue("RecordDir", music);
  }
  QProcess* program = LaunchWithSound();
  ASSERT_TRUE(WaitForMainWindow()) << program->readAllStandardError().toStdString();

  const auto xdotool = [this](const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", xvfb.Display());
    p.setProcessEnvironment(env);
    p.start("xdotool", args);
    p.waitForFinished(10000);
  };
  const auto click = [&](int x, int y) {
    xdotool({"mousemove", QString::number(x), QString::number(y), "click", "1"});
    QThread::msleep(400);
  };
  click(60 + 20, 28 + 10);          // OpenBtn, upper half: the playlist window
  click(110 + 20, 241 + 28 + 12);   // its AddFileBtn: the open dialog
  QThread::msleep(1000);
  xdotool({"type", "--delay", "20", song});
  xdotool({"key", "Return"});
  QThread::msleep(1500);
  click(425 + 20, 241 + 28 + 12);   // RunPlayListBtn

  const auto level = [this] {
    std::string out;
    pulse.RunClient({"sh", "-c",
                     "timeout 1.5 parec -d rec.monitor --rate=44100 --channels=2 --format=s16le --latency-msec=50 "
                     "| sox -t raw -r 44100 -e signed -b 16 -c 2 - -n stat 2>&1"},
                    &out, 10000);
    const auto m = QRegularExpression(R"(RMS\s+amplitude:\s+([0-9.]+))").match(QString::fromStdString(out));
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
  };
  QElapsedTimer t;
  t.start();
  double rms = 0;
  while (t.elapsed() < 20000 && rms < 0.01) rms = level();
  EXPECT_GT(rms, 0.01) << "no sound on the sink monitor";
  if (const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS"); !shots.isEmpty()) {
    QProcess shot;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", xvfb.Display());
    shot.setProcessEnvironment(env);
    shot.start("import", {"-window", "root", QString::fromUtf8(shots) + "/playlist.png"});
    shot.waitForFinished(10000);
  }
  Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0);
}

// Seconds of a media file, as ffprobe reads it; -1 when unreadable.
double MediaSeconds(const QString& path) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1", path});
  p.waitForFinished(10000);
  bool ok = false;
  const double d = p.readAllStandardOutput().trimmed().toDouble(&ok);
  return ok ? d : -1;
}

TEST_F(ProgramTest, RecordsWithTheRecordButtonOneFilePerTitle) {
  StartPulse();
  ztest::Icecast icecast;
  std::string error;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error)) << error;
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Un - Premier", &error)) << error;

  const QString local = home.DataFolder() + "tuner/local/";
  QDir().mkpath(local);
  TCatalogueTable radios("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(radios, TCatalogueKind::Stations));
  radios.Append();
  radios.SetFieldText("Radio", "Zova Live");
  radios.SetFieldText("Url", QString::fromStdString(icecast.Url("/live")));
  ASSERT_TRUE(radios.Post());
  ASSERT_TRUE(radios.SaveToFile(local + "radios.xml"));
  const QString recordDir = home.Path() + "/records";
  QDir().mkpath(recordDir);
  {
    QSettings settings(home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Mode", "local");
    settings.setValue("LastRadio", "Zova Live");
    settings.setValue("RecordDir", recordDir);
    settings.setValue("RecordEncoder", "MP3");
    settings.setValue("CutByTitle", 1);
  }
  QProcess* program = LaunchWithSound();
  ASSERT_TRUE(WaitForMainWindow()) << program->readAllStandardError().toStdString();
  const auto shoot = [this](const QString& name) {
    const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS");
    if (shots.isEmpty()) return;
    QProcess shot;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", xvfb.Display());
    shot.setProcessEnvironment(env);
    shot.start("import", {"-window", "root", QString::fromUtf8(shots) + "/" + name + ".png"});
    shot.waitForFinished(10000);
  };
  QElapsedTimer t;
  t.start();
  // A first start may take a while (fonts, skins): the station's title shows once it plays.
  while (t.elapsed() < 40000 && !WindowTitled(xvfb.Display(), "Artiste Un - Premier")) QThread::msleep(250);
  shoot("connected");
  ASSERT_TRUE(WindowTitled(xvfb.Display(), "Artiste Un - Premier"));
  QThread::msleep(1000);  // the record button shows once the station plays

  const auto click = [this](int x, int y) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", xvfb.Display());
    p.setProcessEnvironment(env);
    p.start("xdotool", {"mousemove", QString::number(272 + x), QString::number(263 + y), "click", "1"});
    p.waitForFinished(5000);
  };
  click(100 + 12, 194 + 13);  // RecordBtn
  QThread::msleep(4000);
  shoot("recording");
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Deux - Second", &error)) << error;
  t.restart();
  while (t.elapsed() < 20000 && !WindowTitled(xvfb.Display(), "Artiste Deux - Second")) QThread::msleep(250);
  ASSERT_TRUE(WindowTitled(xvfb.Display(), "Artiste Deux - Second"));
  QThread::msleep(3000);
  click(100 + 12, 194 + 13);
  QThread::msleep(1000);
  Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));

  // One file per title in the station's folder, each whole.
  const QString folder = recordDir + "/Zova Live/";
  EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
            QStringList({"Artiste Deux - Second.mp3", "Artiste Un - Premier.mp3"}));
  EXPECT_GT(MediaSeconds(folder + "Artiste Un - Premier.mp3"), 3.0);
  EXPECT_GT(MediaSeconds(folder + "Artiste Deux - Second.mp3"), 2.0);
}

TEST_F(ProgramTest, ALockLeftByAKilledProcessDoesNotBlockTheNextStart) {
  StartPulse();
  QProcess* first = LaunchWithSound();
  ASSERT_TRUE(WaitForMainWindow());
  Signal(first, SIGKILL);
  ASSERT_TRUE(first->waitForFinished(10000));
  QThread::msleep(300);  // let the server drop the dead client's window

  QProcess* next = LaunchWithSound();
  ASSERT_TRUE(WaitForMainWindow()) << next->readAllStandardError().toStdString();
  EXPECT_EQ(next->state(), QProcess::Running);
  Signal(next, SIGINT);  // Ctrl-C closes in order as well
  ASSERT_TRUE(next->waitForFinished(15000));
  EXPECT_EQ(next->exitCode(), 0);
  EXPECT_TRUE(QFile::exists(home.ConfigFile()));
}

TEST_F(ProgramTest, WithoutASoundServerTheProgramSaysWhyAndEnds) {
  // The daemon is not started: the address names a socket that nothing listens on.
  QProcess* p = Launch("unix:" + home.Path() + "/no-server/native");
  ASSERT_TRUE(p->waitForFinished(20000));
  EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
  EXPECT_NE(p->exitCode(), 0);
  const QString err = QString::fromUtf8(p->readAllStandardError());
  EXPECT_TRUE(err.contains("Erreur! Impossible de trouver un pilote son.")) << err.toStdString();
  EXPECT_EQ(err.trimmed().count('\n'), 0) << "one line: " << err.toStdString();
  EXPECT_TRUE(MainWindows().isEmpty());
  EXPECT_FALSE(QFile::exists(home.ConfigFile()));
}

}  // namespace
