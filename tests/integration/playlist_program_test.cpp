// The playlist window in the real program, driven as a user does it: a list loaded
// through the open-list dialog, files dropped from another program (a stand-in file
// manager dragging text/uri-list with non-ASCII names), a CD track of a disc image added
// through the add-files dialog, the list saved, then played in order with pause, a seek
// on the progress bar and Next. Each file is a tone of its own, so what the sink plays
// tells which file, and which part of it, is heard.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cmath>

#include "programharness.h"
#include "tonepower.h"
#include "support/qtprint.h"

namespace {

// Main window at the top left: the playlist window opens below it, at (0, 241).
constexpr int kList = 241;

bool Ffmpeg(const QStringList& args) {
  QProcess p;
  p.start("ffmpeg", QStringList({"-nostdin", "-v", "error", "-y"}) + args);
  return p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A disc image of one audio track: `seconds` of a `hz` tone.
bool WriteDiscImage(const QString& folder, int hz, int seconds) {
  const QString bin = folder + "/disc.bin";
  if (!Ffmpeg({"-f", "lavfi", "-i", QString("sine=frequency=%1:sample_rate=44100:duration=%2").arg(hz).arg(seconds),
               "-ac", "2", "-f", "s16le", bin}))
    return false;
  QFile b(bin);
  if (!b.open(QIODevice::Append)) return false;
  const qint64 pad = (2352 - b.size() % 2352) % 2352;
  b.write(QByteArray(pad, '\0'));
  b.close();
  QFile cue(folder + "/disc.cue");
  if (!cue.open(QIODevice::WriteOnly)) return false;
  cue.write("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
  return true;
}

// What the sink played, 100 ms at a time: the tone among `tones` that holds most of the
// block's energy, 0 for silence, -1 for anything else.
std::vector<int> Heard(const QByteArray& pcm, const std::vector<int>& tones) {
  constexpr int kRate = 44100, kBlock = 4410;
  const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
  const int frames = static_cast<int>(pcm.size() / 4);
  std::vector<int> heard;
  for (int start = 0; start + kBlock <= frames; start += kBlock) {
    const auto at = [&](size_t i) { return (s[2 * (start + i)] + s[2 * (start + i) + 1]) / 2.0; };
    double energy = 0;
    for (int i = 0; i < kBlock; ++i) energy += at(i) * at(i);
    if (std::sqrt(energy / kBlock) < 100) {
      heard.push_back(0);
      continue;
    }
    int best = -1;
    for (int f : tones)
      if (TonePower(at, kBlock, f, kRate) > 0.6 * energy) best = f;
    heard.push_back(best);
  }
  return heard;
}

// The tones heard for at least three blocks in a row, in order, each once per run.
std::vector<int> Sequence(const std::vector<int>& heard) {
  std::vector<int> out;
  for (size_t i = 0; i + 2 < heard.size(); ++i) {
    const int t = heard[i];
    if (t > 0 && heard[i + 1] == t && heard[i + 2] == t && (out.empty() || out.back() != t)) out.push_back(t);
  }
  return out;
}

std::string Show(const std::vector<int>& v) {
  std::string s;
  for (int x : v) s += std::to_string(x) + " ";
  return s;
}

class PlaylistProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(h.Start(&error)) << error;
    music = h.home.Path() + "/Musique";
    QDir().mkpath(music);
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Top", 0);
    settings.setValue("Left", 0);
    settings.setValue("RecordDir", music);
  }

  void Click(int x, int y, int settleMs = 400) {
    h.Run("xdotool", {"mousemove", QString::number(x), QString::number(y), "click", "1"});
    QThread::msleep(settleMs);
  }

  // Types a path into the file dialog titled `title` that a click has just shown, and
  // accepts it; the dialog closes.
  void TypeInDialog(const QString& title, const QString& path) {
    ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled(title); }, 10000)) << title.toStdString();
    QThread::msleep(500);
    h.Run("xdotool", {"type", "--delay", "15", path});
    Shoot(QString("dialog-%1").arg(++dialogs));
    h.Run("xdotool", {"key", "Return"});
    EXPECT_TRUE(h.WaitFor([&] { return !h.WindowTitled(title); }, 10000)) << title.toStdString();
    QThread::msleep(300);
  }

  // `seconds` of what the sink plays, starting now; `during` runs while it is captured.
  template <typename F>
  QByteArray Capture(double seconds, F during) {
    const QString file = music + "/../capture.raw";
    QFile::remove(file);
    QProcess* parec = h.Launch("sh", {"-c", QString("exec timeout %1 parec -d rec.monitor --rate=44100 --channels=2 "
                                                    "--format=s16le --latency-msec=50 > '%2'")
                                                .arg(seconds)
                                                .arg(file)});
    QThread::msleep(200);
    during();
    parec->waitForFinished(static_cast<int>(seconds * 1000) + 10000);
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  void Shoot(const QString& name) {
    const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS");
    if (!shots.isEmpty()) h.Run("import", {"-window", "root", QString::fromUtf8(shots) + "/" + name + ".png"});
  }

  ProgramHarness h;
  QString music;
  int dialogs = 0;
};

TEST_F(PlaylistProgram, ListDropDialogAndCdTrackPlayInOrderWithPauseSeekAndNext) {
  // The files: a list naming a WAV tone beside it; two files to drop (an MP3 with tags and
  // a 4-minute Ogg whose second half is another tone); a disc image of one track.
  const QString wav = music + QString::fromUtf8("/Un été.wav");
  const QString mp3 = music + QString::fromUtf8("/Deux - Chanson à deux.mp3");
  const QString ogg = music + QString::fromUtf8("/Trois ü - Longue.ogg");
  ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=3", "-ac", "2", wav}));
  ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i", "sine=frequency=660:sample_rate=44100:duration=3", "-ac", "2",
                      "-metadata", "artist=Deux", "-metadata", QString::fromUtf8("title=Chanson à deux"), mp3}));
  ASSERT_TRUE(Ffmpeg({"-f", "lavfi", "-i", "sine=frequency=880:sample_rate=44100:duration=120", "-f", "lavfi", "-i",
                      "sine=frequency=1320:sample_rate=44100:duration=120", "-filter_complex",
                      "[0:a][1:a]concat=n=2:v=0:a=1", "-ac", "2", "-c:a", "libvorbis", "-q:a", "2", ogg}));
  QFile list(music + "/liste.m3u");
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write(QString::fromUtf8("#EXTM3U\r\n#EXTINF:3,Un été\r\nUn été.wav\r\n").toUtf8());
  list.close();
  QTemporaryDir disc;
  ASSERT_TRUE(WriteDiscImage(disc.path(), 550, 3));
  h.extraEnv.push_back({"ZOVALIS_CD_DRIVES", disc.path() + "/disc.cue"});

  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace())
      << program->readAllStandardError().toStdString();
  QThread::msleep(500);
  Click(60 + 20, 28 + 10);  // the open button's upper half: the playlist window
  ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled("Playlist"); }, 10000));

  // 1. The list, through "Ouvrir une liste de lecture ...".
  Click(333 + 20, kList + 28 + 12);
  TypeInDialog("Ouvrir une liste de lecture", music + "/liste.m3u");

  // 2. Two files dropped on the list from the stand-in file manager.
  QProcess* source = h.Launch(QStringLiteral(ZOVALIS_DRAGSOURCE), {"600", "600", mp3, ogg});
  ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled("dragsource"); }, 10000));
  QThread::msleep(300);
  h.Run("xdotool", {"mousemove", "640", "640", "mousedown", "1"});
  for (const char* at : {"630 630", "500 500", "300 420", "250 400"}) {
    const QStringList xy = QString(at).split(' ');
    QThread::msleep(150);
    h.Run("xdotool", {"mousemove", xy[0], xy[1]});
  }
  Shoot("dragging");
  QThread::msleep(300);
  h.Run("xdotool", {"mouseup", "1"});
  EXPECT_TRUE(source->waitForFinished(15000)) << "the drag did not end";

  // 3. The disc's track, through the add-files dialog, from the folder it offers.
  Click(110 + 20, kList + 28 + 12);
  TypeInDialog("Ajouter des fichiers", h.home.DataFolder() + "CD/disc/Track01.cda");
  QThread::msleep(1000);
  Shoot("playlist-rows");

  // The rows, in order, as the saved list shows them.
  Click(377 + 20, kList + 28 + 12);
  TypeInDialog("Sauvegarder une liste de lecture", music + "/sauvee.m3u");
  QFile saved(music + "/sauvee.m3u");
  ASSERT_TRUE(h.WaitFor([&] { return saved.exists(); }, 5000));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(saved.readAll()).split("\r\n", Qt::SkipEmptyParts);
  QStringList files;
  for (const QString& l : lines)
    if (!l.startsWith('#')) files << l;
  EXPECT_EQ(files, QStringList({wav, mp3, ogg, h.home.DataFolder() + "CD/disc/Track01.cda"}))
      << lines.join(" | ").toStdString();

  // 4. "Jouer la liste de lecture": the WAV, then the MP3, then the Ogg's first tone.
  const std::vector<int> tones = {440, 550, 660, 880, 1320};
  const QByteArray run = Capture(8.5, [&] { Click(425 + 20, kList + 28 + 12, 0); });
  EXPECT_EQ(Sequence(Heard(run, tones)), std::vector<int>({440, 660, 880})) << Show(Heard(run, tones));
  Shoot("playlist-playing");

  // 5. Play/Pause on the face pauses and resumes.
  Click(228, 207, 700);
  EXPECT_LT(h.SinkLevel(), 0.001) << "still sounding after pause";
  Click(228, 207, 300);
  EXPECT_GT(h.SinkLevel(), 0.01) << "silent after play";

  // 6. A press two thirds along the progress bar seeks into the Ogg's second half.
  Click(16 + 300, 178, 500);
  const QByteArray seek = Capture(1.5, [] {});
  EXPECT_EQ(Sequence(Heard(seek, tones)), std::vector<int>({1320})) << Show(Heard(seek, tones));

  // 7. Next: the CD track, to its end; the list then stops.
  const QByteArray next = Capture(5.0, [&] { Click(252 + 26, 207, 0); });
  const std::vector<int> afterNext = Sequence(Heard(next, tones));
  EXPECT_TRUE(!afterNext.empty() && afterNext.back() == 550) << Show(Heard(next, tones));
  EXPECT_EQ(Heard(next, tones).back(), 0) << "the list goes on after its last row";
  Shoot("playlist-end");

  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));

  EXPECT_EQ(program->exitCode(), 0) << program->readAllStandardError().toStdString();
}

}  // namespace
