// The real program under faults a user meets at length.
//
// A full disk while recording: the recording folder is a small file system (a tmpfs
// mounted for the program alone, in its own mount namespace), mostly filled before the
// program starts and holding an earlier recording. The record button is clicked and the
// disk fills: the station is still heard, the recorder stops and says why in French, the
// file written so far decodes whole to the station's tone (a WAV's header counts exactly
// its sound), the earlier recording is untouched, and the settings are saved at exit.
//
// Outages: the station's server drops its stream 20 times while the program records MP3
// cut by title, then stays away: the sound comes back after each return, the status line
// says "Reconnexion (i/3) ..." and then gives the error, and the recordings are whole
// files that hold no more sound than the time recorded.
//
// Killed at any moment: the settings, the local catalogue and an M3U list are saved over
// and over by the program's own save functions and the saving process is killed (-9) at
// random instants; what is left is always the one version or the other, whole. A
// recording killed at a random instant decodes up to its last written block.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "programharness.h"
#include "savestormversions.h"
#include "localfiles/m3ufile.h"
#include <QRandomGenerator>
#include "tonepower.h"
#include "support/qtprint.h"
#include "support/icecast.h"

namespace {

constexpr int kTone = 440;

// Samples (8 kHz mono) that ffmpeg decodes from `path`, and the tone's share of their
// energy; `errors` holds what ffmpeg complained about.
struct Decoded {
  qint64 samples = 0;
  double share = 0;
  QString errors;
};

Decoded Decode(const QString& path) {
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-v", "error", "-i", path, "-ac", "1", "-ar", "8000", "-f", "s16le", "-"});
  ffmpeg.waitForFinished(30000);
  const QByteArray pcm = ffmpeg.readAllStandardOutput();
  Decoded d;
  d.errors = QString::fromUtf8(ffmpeg.readAllStandardError()).trimmed();
  const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
  d.samples = pcm.size() / 2;
  constexpr int kBlock = 800;
  double atTone = 0, total = 0;
  // The first half second (the encoder's start) is left out.
  for (qint64 start = 4000; start + kBlock <= d.samples; start += kBlock) {
    const auto at = [&](size_t i) { return static_cast<double>(s[start + qint64(i)]); };
    for (int i = 0; i < kBlock; ++i) total += at(i) * at(i);
    atTone += TonePower(at, kBlock, kTone, 8000.0);
  }
  if (total > 0) d.share = atTone / total;
  return d;
}

// Visible windows named "Zovalis" that are not the 480 x 241 face: a message box.
bool MessageBoxShown(const ProgramHarness& h) {
  const QString ids = h.Run("xdotool", {"search", "--onlyvisible", "--name", "^Zovalis$"});
  for (const QString& id : ids.split('\n', Qt::SkipEmptyParts))
    if (!h.Run("xdotool", {"getwindowgeometry", id}).contains("Geometry: 480x241")) return true;
  return false;
}

void Shoot(const ProgramHarness& h, const QString& name) {
  const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS");
  if (!shots.isEmpty()) h.Run("import", {"-window", "root", QString::fromUtf8(shots) + "/" + name + ".png"});
}

struct FullDiskCase {
  const char* format;
  int freeKb;  // room left for the recording on the small file system
};

class FullDiskProgram : public ::testing::TestWithParam<FullDiskCase> {};

TEST_P(FullDiskProgram, TheRecorderStopsWithAMessageAndKeepsAWholeFile) {
  const FullDiskCase& c = GetParam();
  // The program runs in its own mount namespace, where the recording folder is a tmpfs.
  const QStringList unshare = ::geteuid() == 0 ? QStringList{"-m"} : QStringList{"-r", "-m"};
  if (QProcess::execute("unshare", unshare + QStringList{"true"}) != 0)
    GTEST_SKIP() << "no mount namespace for a small file system here (unshare " << unshare.join(' ').toStdString() << ")";

  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, kTone, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste - Long titre", &error)) << error;
  ASSERT_TRUE(h.PrepareLoudStation(QString::fromStdString(icecast.Url("/live"))));
  const QString recordDir = h.home.Path() + "/records";
  QDir().mkpath(recordDir);
  {
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("RecordDir", recordDir);
    settings.setValue("RecordEncoder", c.format);
    settings.setValue("CutByTitle", 1);
  }
  // An earlier recording, copied onto the small file system before the program starts.
  QTemporaryDir outside;
  const QString earlier = outside.filePath("Avant.mp3");
  ASSERT_EQ(QProcess::execute("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=660:duration=2", "-ac",
                                         "2", "-b:a", "128k", earlier}),
            0);
  const QString station = recordDir + "/Zova Live";
  // 4 MB, of which all but `freeKb` are taken by a filler file.
  const QString script = QStringLiteral(
                             "mount -t tmpfs -o size=4m tmpfs \"$1\" && mkdir \"$1/Zova Live\" && "
                             "cp \"$2\" \"$1/Zova Live/Avant.mp3\" && "
                             "head -c $(( 4096 * 1024 - 64 * 1024 - %1 * 1024 - $(stat -c %s \"$2\") )) /dev/zero "
                             "> \"$1/remplissage\" && exec \"$3\"")
                             .arg(c.freeKb);
  const qint64 launched = QDateTime::currentSecsSinceEpoch();
  QProcess* program =
      h.Launch("unshare", unshare + QStringList{"sh", "-c", script, "sh", recordDir, earlier, ZOVALIS_EXE});
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste - Long titre"); }, 40000))
      << program->readAllStandardError().toStdString();
  const QString inside = QStringLiteral("/proc/%1/root").arg(program->processId()) + station;
  ASSERT_TRUE(QFileInfo::exists(inside + "/Avant.mp3")) << inside.toStdString();
  QThread::msleep(1000);

  h.ClickFace(112, 207);  // record
  // The disk fills within seconds; the recorder says so in a box.
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return MessageBoxShown(h); }, 60000))
      << program->readAllStandardError().toStdString();
  Shoot(h, QString("full-disk-%1").arg(c.format));
  // The station plays on.
  EXPECT_GT(h.SteadyLevel(2), 0.01);

  const QString file = inside + "/Artiste - Long titre." + QString(c.format).toLower();
  ASSERT_TRUE(QFileInfo::exists(file)) << QDir(inside).entryList().join(", ").toStdString();
  const qint64 size = QFileInfo(file).size();
  // Nearly the room that was left, so the recording did run into the full disk.
  EXPECT_GT(size, qint64(c.freeKb) * 1024 / 2);
  const Decoded d = Decode(file);
  EXPECT_GT(d.samples, 8000) << d.errors.toStdString();  // more than a second
  EXPECT_GT(d.share, 0.8);
  if (QString(c.format) == "WAV") {
    // The header counts the sound that reached the disk, in whole frames.
    QFile wav(file);
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    const QByteArray header = wav.read(44);
    const quint32 dataSize = qFromLittleEndian<quint32>(header.constData() + 40);
    EXPECT_EQ(dataSize % 4, 0u);
    EXPECT_LE(qint64(dataSize) + 44, size);
    EXPECT_GT(qint64(dataSize) + 44, size - 4);
    EXPECT_TRUE(d.errors.isEmpty()) << d.errors.toStdString();
  }
  // The earlier recording is as it was.
  QFile before(earlier), after(inside + "/Avant.mp3");
  ASSERT_TRUE(before.open(QIODevice::ReadOnly) && after.open(QIODevice::ReadOnly));
  EXPECT_TRUE(before.readAll() == after.readAll());

  h.Run("xdotool", {"key", "Return"});  // the box
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return !MessageBoxShown(h); }, 10000));
  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0) << program->readAllStandardError().toStdString();
  // The settings were saved at exit.
  EXPECT_GE(QFileInfo(h.home.ConfigFile()).lastModified().toSecsSinceEpoch(), launched);
}

// The texts the status line showed, from the program's status log.
QStringList StatusTexts(const QByteArray& log) {
  QStringList out;
  for (QString line : QString::fromUtf8(log).split('\n')) {
    if (line.startsWith("zovalis.status: ")) line = line.mid(16);
    if (line.startsWith("statut: ") || line.startsWith("erreur: ")) out << line;
  }
  return out;
}

TEST(OutageProgram, ReconnectsAfterEachDropThenReportsTheLongOutageWithWholeRecordings) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  const ztest::Icecast::Source source{"/live", ztest::Icecast::Codec::Mp3, kTone, 128, "Zova Live", "Jazz"};
  ASSERT_TRUE(icecast.AddSource(source, &error)) << error;
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste - Titre 0", &error)) << error;
  ASSERT_TRUE(h.PrepareLoudStation(QString::fromStdString(icecast.Url("/live"))));
  const QString recordDir = h.home.Path() + "/records";
  QDir().mkpath(recordDir);
  {
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("RecordDir", recordDir);
    settings.setValue("RecordEncoder", "MP3");
    settings.setValue("CutByTitle", 1);
  }
  h.extraEnv.push_back({"QT_LOGGING_RULES", "zovalis.status.info=true"});
  h.errorFile = h.home.Path() + "/errors.log";
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  QByteArray log;
  const auto readLog = [&] {
    QFile f(h.errorFile);
    if (f.open(QIODevice::ReadOnly)) log = f.readAll();
  };
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste - Titre 0"); }, 40000));
  QThread::msleep(1000);
  h.ClickFace(112, 207);  // record
  QElapsedTimer recording;
  recording.start();
  QThread::msleep(3000);

  // 20 drops, one about every 5 s; every fifth return brings a new title.
  std::vector<qint64> backAfterMs;
  qint64 silentMs = 0;  // from each drop to the sound heard again
  for (int drop = 1; drop <= 20; ++drop) {
    QElapsedTimer outage;
    outage.start();
    icecast.StopSources();
    QThread::msleep(1000);
    ASSERT_TRUE(icecast.AddSource(source, &error)) << error;
    QElapsedTimer returned;
    returned.start();
    ASSERT_TRUE(icecast.SetTitle("/live", "Artiste - Titre " + std::to_string(drop / 5), &error)) << error;
    ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.SinkLevel() > 0.01; }, 15000))
        << "drop " << drop << ": no sound back; " << StatusTexts((readLog(), log)).join('|').toStdString();
    backAfterMs.push_back(returned.elapsed());
    silentMs += outage.elapsed();
    QThread::msleep(1500);
  }
  readLog();
  const QStringList statuses = StatusTexts(log);
  EXPECT_TRUE(statuses.contains("statut: Reconnexion (1/3) ...")) << statuses.join('|').toStdString();
  // Each return was heard promptly: the next reconnection attempt (at most 3 s away),
  // its connection and the sink capture's 1.5 s.
  for (size_t i = 0; i < backAfterMs.size(); ++i) EXPECT_LT(backAfterMs[i], 8000) << "drop " << i + 1;

  // The long outage: the attempts run out and the error shows; the recording ends.
  icecast.StopSources();
  const qint64 recordedMs = recording.elapsed();
  // The last attempt, then the error stays.
  const auto givenUp = [&] {
    readLog();
    const QStringList texts = StatusTexts(log);
    const qsizetype last = texts.lastIndexOf("statut: Reconnexion (3/3) ...");
    return last >= 0 && texts.size() > last + 1 && texts.back().startsWith("erreur: ");
  };
  ASSERT_TRUE(ProgramHarness::WaitFor(givenUp, 60000)) << StatusTexts(log).join('|').toStdString();
  EXPECT_LT(h.SinkLevel(), 0.002);  // silence, and no hang
  QThread::msleep(5000);
  ASSERT_TRUE(icecast.AddSource(source, &error)) << error;  // the server returns
  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0);

  // One file per title, each whole; together no more sound than the time recorded
  // (nothing doubled), and most of the sound heard.
  const QString folder = recordDir + "/Zova Live/";
  const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
  EXPECT_EQ(files, QStringList({"Artiste - Titre 0.mp3", "Artiste - Titre 1.mp3", "Artiste - Titre 2.mp3",
                                "Artiste - Titre 3.mp3", "Artiste - Titre 4.mp3"}));
  double total = 0;
  for (const QString& f : files) {
    const Decoded d = Decode(folder + f);
    EXPECT_TRUE(d.errors.isEmpty()) << f.toStdString() << ": " << d.errors.toStdString();
    EXPECT_GT(d.share, 0.8) << f.toStdString();
    total += d.samples / 8000.0;
  }
  const double heard = (recordedMs - silentMs) / 1000.0;
  EXPECT_LT(total, recordedMs / 1000.0 + 1.0) << "heard " << heard;
  EXPECT_GT(total, heard * 0.8) << "recorded for " << recordedMs / 1000.0;
  std::printf("statuses: %s\n", StatusTexts(log).join(" | ").toUtf8().constData());
  std::printf("recorded %.1f s, sound %.1f s, files %.1f s; sound back after each return (ms):", recordedMs / 1000.0,
              heard, total);
  for (qint64 ms : backAfterMs) std::printf(" %lld", static_cast<long long>(ms));
  std::printf("\n");
}

// Starts the save storm on `path` and waits for its first complete save.
QProcess* StartStorm(QProcess& storm, const QString& mode, const QString& path) {
  storm.start(ZOVALIS_SAVESTORM, {mode, path});
  if (!storm.waitForStarted(10000)) return nullptr;
  while (!storm.canReadLine())
    if (!storm.waitForReadyRead(20000)) return nullptr;
  return &storm;
}

TEST(KilledWhileSaving, TheFileIsTheOldVersionOrTheNewOneNeverAMix) {
  QTemporaryDir dir;
  QRandomGenerator random(20261211);
  for (const QString mode : {"settings", "catalogue", "m3u"}) {
    int versions[2] = {0, 0};
    for (int kill = 0; kill < 20; ++kill) {
      SCOPED_TRACE(mode.toStdString() + " kill " + std::to_string(kill));
      const QString path = dir.filePath(mode + (mode == "settings" ? ".ini" : mode == "m3u" ? ".m3u" : ".xml"));
      QFile::remove(path);
      QProcess storm;
      ASSERT_TRUE(StartStorm(storm, mode, path)) << storm.readAllStandardError().toStdString();
      QThread::usleep(random.bounded(1000, 120000));
      ::kill(static_cast<pid_t>(storm.processId()), SIGKILL);
      storm.waitForFinished(10000);
      int version = -1;
      if (mode == "settings") {
        QSettings store(path, QSettings::IniFormat);
        ASSERT_EQ(store.status(), QSettings::NoError);
        TSettings read;
        ReadSettingsValues(store, read, TSettings{});
        for (int v = 0; v < 2; ++v) {
          const TSettings want = StormSettings(v);
          if (read.Volume == want.Volume && read.LastRadio == want.LastRadio && read.RecordDir == want.RecordDir &&
              read.Mode == want.Mode && read.Favorites == want.Favorites)
            version = v;
        }
      } else if (mode == "catalogue") {
        TCatalogueTable table("radiosDataset");
        ASSERT_TRUE(table.LoadFromFile(path));
        ASSERT_EQ(table.RecordCount(), kStormRows);
        for (int v = 0; v < 2 && version < 0; ++v) {
          bool all = true;
          for (int i = 0; i < kStormRows && all; ++i) all = table.RowText(i, "Radio") == StormStation(v, i);
          if (all) version = v;
        }
      } else {
        const TM3URead read = ReadM3UFile(path);
        ASSERT_TRUE(read.Ok);
        for (int v = 0; v < 2; ++v)
          if (read.Entries == StormPaths(v)) version = v;
      }
      ASSERT_GE(version, 0) << "a mix of the two versions";
      ++versions[version];
    }
    std::printf("%s: killed 20 times, left version A %d times, B %d times\n", qPrintable(mode), versions[0],
                versions[1]);
  }
}

// A recording killed with its player (no chance to finish the file) still decodes, up to
// its last written block, to the sound recorded.
TEST(KilledWhileRecording, TheFileDecodesUpToItsLastBlock) {
  QTemporaryDir dir;
  const QString source = dir.filePath("tone.wav");
  ASSERT_EQ(QProcess::execute("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=30", "-ac",
                                         "2", "-ar", "44100", source}),
            0);
  QRandomGenerator random(1211);
  const QStringList formats = {"mp3", "ogg", "wav", "aac", "ac3", "wma"};
  for (int kill = 0; kill < 20; ++kill) {
    const QString format = formats[kill % formats.size()];
    SCOPED_TRACE(format.toStdString() + " kill " + std::to_string(kill));
    const QString file = dir.filePath(QString("killed-%1.%2").arg(kill).arg(format));
    QProcess player;
    player.start(ZOVALIS_ZPLAYER, {"-q", "-o", "null", "-t", "20", "-r", file, source});
    ASSERT_TRUE(player.waitForStarted(10000));
    QThread::msleep(random.bounded(2000, 5000));
    ::kill(static_cast<pid_t>(player.processId()), SIGKILL);
    player.waitForFinished(10000);
    // An encoder program of the killed player finishes the file from what it was given.
    QThread::msleep(1500);
    const Decoded d = Decode(file);
    EXPECT_GT(d.samples, 4000) << d.errors.toStdString();  // half a second or more
    EXPECT_GT(d.share, 0.8) << d.errors.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, FullDiskProgram,
                         ::testing::Values(FullDiskCase{"WAV", 700}, FullDiskCase{"MP3", 160},
                                           FullDiskCase{"OGG", 24}),
                         [](const auto& info) { return std::string(info.param.format); });

}  // namespace
