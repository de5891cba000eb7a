// The song playing, saved from its start, and clean tracks, in the real program: a
// station plays from a local Icecast server whose title the test changes.
//
// "Enregistrer ce titre" (through the record button's menu, and through Ctrl+Shift+R)
// pressed several seconds into a song saves it whole: the file holds the seconds heard
// before the press, ends at the next title, and the recording stops there. With the
// hold shortened (ZOVALIS_HOLD_SECONDS) the song is saved from the oldest sound kept,
// and the file's comment says its start is missing.
//
// Clean tracks: a recording cut by title across a sequence of titles keeps only the whole
// songs: not the partial first and last, not the jingle, not the advertisement, not the
// song already saved; every file kept decodes whole.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>

#include "programharness.h"
#include "recording/mediaprobe.h"
#include "support/icecast.h"
#include "support/qtprint.h"

namespace {

void PrepareStation(ProgramHarness& h, const std::string& url, const QString& recordDir, const QString& format) {
  ASSERT_TRUE(h.WriteLocalStation("Zova Live", QString::fromStdString(url)));
  QDir().mkpath(recordDir);
  QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
  settings.setValue("RecordDir", recordDir);
  settings.setValue("RecordEncoder", format);
  settings.setValue("CutByTitle", 1);
  settings.setValue("Top", 0);
  settings.setValue("Left", 0);
  h.faceOrigin = {0, 0};
}

void Shoot(const ProgramHarness& h, const QString& name) {
  const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS");
  if (!shots.isEmpty()) h.Run("import", {"-window", "root", QString::fromUtf8(shots) + "/" + name + ".png"});
}

// Whether ffmpeg decodes the whole file without a complaint.
bool DecodesWhole(const QString& path, QString* errors) {
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-v", "error", "-nostdin", "-i", path, "-f", "null", "-"});
  ffmpeg.waitForFinished(60000);
  *errors = QString::fromUtf8(ffmpeg.readAllStandardError()).trimmed();
  return ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0 && errors->isEmpty();
}

struct TitleCase {
  const char* name;
  const char* format;
  bool byMenu;       // the record button's menu, else Ctrl+Shift+R
  int holdSeconds;   // 0: the program's own bound
};

class RecordTitleProgram : public ::testing::TestWithParam<TitleCase> {};

TEST_P(RecordTitleProgram, SavesTheSongPlayingFromItsStartToItsEnd) {
  const TitleCase& c = GetParam();
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Un - Premier", &error)) << error;
  const QString recordDir = h.home.Path() + "/records";
  PrepareStation(h, icecast.Url("/live"), recordDir, c.format);
  if (c.holdSeconds) h.extraEnv.push_back({"ZOVALIS_HOLD_SECONDS", QString::number(c.holdSeconds)});

  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Un - Premier"); }, 40000))
      << program->readAllStandardError().toStdString();
  QThread::msleep(1000);
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Deux - Second", &error)) << error;
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Deux - Second"); }, 20000));
  QElapsedTimer song;
  song.start();
  QThread::msleep(7000);  // well into the song
  // The press lies between these two moments.
  const double before = song.elapsed() / 1000.0;
  if (c.byMenu) {
    h.ClickFace(112, 194 + 21);  // the record button's lower half
    QThread::msleep(800);
    Shoot(h, QString("record-menu-%1").arg(c.name));
    h.Run("xdotool", {"key", "Down", "Return"});  // its first item
  } else {
    h.ClickFace(300, 10);  // a click on the face's title gives the window the keyboard
    QThread::msleep(300);
    h.Run("xdotool", {"key", "--delay", "150", "ctrl+shift+r"});
  }
  const double pressed = song.elapsed() / 1000.0;
  const QString file = recordDir + "/Zova Live/Artiste Deux - Second." + QString(c.format).toLower();
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return QFile::exists(file); }, 10000));
  QThread::msleep(3000);
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Trois - Troisième", &error)) << error;
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Trois"); }, 20000));
  const double heard = song.elapsed() / 1000.0;  // the song's length as heard (a little more)
  QThread::msleep(4000);
  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));

  // One file: the recording stopped at the song's end, nothing of the next title.
  EXPECT_EQ(QDir(recordDir + "/Zova Live").entryList(QDir::Files), QStringList({QFileInfo(file).fileName()}));
  const ztest::MediaInfo info = ztest::Probe(file.toStdString());
  ASSERT_TRUE(info.ok) << info.raw;
  QString errors;
  EXPECT_TRUE(DecodesWhole(file, &errors)) << errors.toStdString();
  std::printf("pressed %.1f-%.1f s into the song, heard %.1f s, file %.2f s\n", before, pressed, heard,
              info.duration);
  const auto comment = info.tags.count("comment") ? info.tags.at("comment") : std::string();
  if (c.holdSeconds) {
    // From the oldest sound kept: the bound, then what followed the press (the song's
    // end is heard, and seen here, a little after it is cut).
    EXPECT_GT(info.duration, c.holdSeconds + (heard - pressed) - 1.5) << info.raw;
    EXPECT_LT(info.duration, c.holdSeconds + (heard - before) + 0.5) << info.raw;
    EXPECT_NE(comment.find("Début du titre manquant"), std::string::npos) << info.raw;
  } else {
    // The whole song: the seconds before the press are there, and no more than it lasted.
    EXPECT_GT(info.duration, before + 1.0) << info.raw;
    EXPECT_LT(info.duration, heard + 1.0) << info.raw;
    EXPECT_EQ(comment, "") << info.raw;
  }
}

INSTANTIATE_TEST_SUITE_P(Ways, RecordTitleProgram,
                         ::testing::Values(TitleCase{"menu", "MP3", true, 0}, TitleCase{"keys", "OGG", false, 3},
                                           TitleCase{"wav", "WAV", false, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CleanTracksProgram, KeepsOnlyTheWholeSongs) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Un - Premier", &error)) << error;
  const QString recordDir = h.home.Path() + "/records";
  PrepareStation(h, icecast.Url("/live"), recordDir, "MP3");
  {
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("CleanDropPartial", 1);
    settings.setValue("CleanMinSeconds", 5);
    settings.setValue("CleanIgnore", QString::fromUtf8("Publicité; Zova Live"));
    settings.setValue("CleanSkipRepeats", 1);
  }
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Un - Premier"); }, 40000))
      << program->readAllStandardError().toStdString();
  QThread::msleep(1000);
  h.ClickFace(112, 194 + 8);  // record (the button's upper half)
  QThread::msleep(2000);
  // Each title for a few seconds of the stream: heard (and cut) a few seconds later, as
  // long as it was sent.
  const auto play = [&](const char* title, int ms) {
    ASSERT_TRUE(icecast.SetTitle("/live", title, &error)) << error;
    QThread::msleep(ms);
  };
  play("Artiste Deux - Second", 7000);        // kept
  play("Publicité - Marque", 7000);           // ignored
  play("Jingle", 2000);                       // too short
  play("Artiste Deux - Second", 7000);        // saved already: skipped
  play("Artiste Trois - Troisième", 7000);    // kept
  play("Artiste Quatre - Dernier", 0);        // stopped mid-song: dropped
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Quatre"); }, 20000));
  QThread::msleep(2000);
  h.ClickFace(112, 194 + 8);                  // stop
  QThread::msleep(1500);
  Shoot(h, "clean-tracks");
  // The record button's menu also leads to the recording page, where the rules are.
  h.ClickFace(112, 194 + 21);
  QThread::msleep(800);
  h.Run("xdotool", {"key", "Down", "Down", "Down", "Return"});  // its last item
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Configuration"); }, 10000));
  QThread::msleep(500);
  Shoot(h, "recording-page");
  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));

  const QString folder = recordDir + "/Zova Live/";
  EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
            QStringList({"Artiste Deux - Second.mp3", QString::fromUtf8("Artiste Trois - Troisième.mp3")}));
  for (const QString& name : QDir(folder).entryList(QDir::Files)) {
    SCOPED_TRACE(name.toStdString());
    const ztest::MediaInfo info = ztest::Probe((folder + name).toStdString());
    ASSERT_TRUE(info.ok) << info.raw;
    QString errors;
    EXPECT_TRUE(DecodesWhole(folder + name, &errors)) << errors.toStdString();
    // Whole songs: each lasted about 7 s from title to title.
    EXPECT_NEAR(info.duration, 7.0, 1.5) << info.raw;
  }
}

}  // namespace
