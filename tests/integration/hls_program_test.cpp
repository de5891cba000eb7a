// An HLS live station in the real program: the stream (MPEG-TS, titles as timed ID3)
// is published by hlsserver.py; the program plays it at start to the sink, shows its
// title in the window's title, shows the next title when its sound comes, and the record
// button (MP3, cut by title) gives one file per title.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSettings>

#include "programharness.h"
#include "support/hlsstream.h"
#include "support/qtprint.h"
#include "recording/mediaprobe.h"

namespace {

void Shoot(const ProgramHarness& h, const QString& name) {
  const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS");
  if (!shots.isEmpty()) h.Run("import", {"-window", "root", QString::fromUtf8(shots) + "/" + name + ".png"});
}

TEST(HlsProgram, PlaysAnHlsStationWithItsTitlesAndRecordsOneFilePerTitle) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::HlsStream stream;
  // The stream's clock starts when the program first asks for the playlist.
  ASSERT_TRUE(stream.Start({ztest::HlsStream::Form::Ts,
                            ztest::HlsStream::Tagging::Id3Frames,
                            {{"Artiste Un", "Premier", 440, 6}, {"Artiste Deux", "Second", 660, 20}},
                            {}},
                           &error))
      << error;
  ASSERT_TRUE(h.PrepareLoudStation(QString::fromStdString(stream.Url())));
  const QString recordDir = h.home.Path() + "/records";
  QDir().mkpath(recordDir);
  {
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("RecordDir", recordDir);
    settings.setValue("RecordEncoder", "MP3");
    settings.setValue("CutByTitle", 1);
  }
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  const bool titled = ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Un - Premier"); }, 40000);
  if (!titled) Shoot(h, "hls-no-title");
  ASSERT_TRUE(titled) << program->readAllStandardError().toStdString() << "\nrequests:\n"
                      << [&] {
                           std::string all;
                           for (const std::string& r : stream.Requests()) all += r + "\n";
                           return all;
                         }();
  EXPECT_GT(h.SteadyLevel(2), 0.01) << "the station is heard";
  Shoot(h, "hls-playing");
  h.ClickFace(112, 207);  // record
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Deux - Second"); }, 30000));
  Shoot(h, "hls-second-title");
  QThread::msleep(3000);
  h.ClickFace(112, 207);  // stop recording
  QThread::msleep(1000);
  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0) << program->readAllStandardError().toStdString();

  const QString folder = recordDir + "/Zova Live/";
  EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
            QStringList({"Artiste Deux - Second.mp3", "Artiste Un - Premier.mp3"}));
  for (const QString& name : {QString("Artiste Un - Premier.mp3"), QString("Artiste Deux - Second.mp3")}) {
    const ztest::MediaInfo info = ztest::Probe((folder + name).toStdString());
    ASSERT_TRUE(info.ok) << info.raw;
    EXPECT_EQ(info.codec, "mp3") << info.raw;
    EXPECT_GT(info.duration, 2.0) << name.toStdString() << info.raw;
  }
}

}  // namespace
