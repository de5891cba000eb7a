// The volume a user leaves is the volume of the next start: in the real program, a station
// from a local Icecast server plays at full level, the face's volume slider is dragged
// down with the mouse, the program is closed by its close button; the settings file then
// holds the slider's position and the next start plays at that lower level, as heard on
// the sink's monitor.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSettings>
#include <QThread>

#include "programharness.h"
#include "support/icecast.h"

namespace {

TEST(VolumeProgram, TheSlidersPositionIsSavedAtCloseAndHeardAtTheNextStart) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(h.PrepareLoudStation(QString::fromStdString(icecast.Url("/live"))));

  QProcess* first = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << first->readAllStandardError().toStdString();
  const double full = h.SteadyLevel();
  ASSERT_GT(full, 0.01) << "no sound at full volume";

  // The slider (338, 197, 46 x 20) has its thumb at the right end: the user drags it about
  // two thirds of the way to the left.
  h.Run("xdotool", {"mousemove", "381", "207", "mousedown", "1", "sleep", "0.2", "mousemove", "370", "207", "sleep",
                    "0.2", "mousemove", "358", "207", "sleep", "0.2", "mouseup", "1"});
  QThread::msleep(500);
  const double lowered = h.SteadyLevel();
  EXPECT_LT(lowered, full * 0.8) << "the drag did not lower the sound";
  EXPECT_GT(lowered, 0.002) << "the drag silenced the sound";

  // Closed by the close button of the face (431, 0, 44 x 19).
  h.ClickFace(453, 9);
  ASSERT_TRUE(first->waitForFinished(20000)) << "the close button did not end the program";
  EXPECT_EQ(first->exitCode(), 0);
  const int saved = QSettings(h.home.ConfigFile(), QSettings::IniFormat).value("Volume").toInt();
  EXPECT_GT(saved, 0);
  EXPECT_LT(saved, 90) << "the settings file kept the old volume";

  // The next start plays at the level the user left.
  QProcess* second = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << second->readAllStandardError().toStdString();
  const double again = h.SteadyLevel();
  EXPECT_GT(again, 0.002) << "no sound at the next start";
  EXPECT_LT(again, full * 0.8) << "the next start played at full level";
  EXPECT_NEAR(again, lowered, lowered * 0.3) << "saved " << saved << ", heard " << again << " against " << lowered;
  h.ClickFace(453, 9);
  EXPECT_TRUE(second->waitForFinished(20000));
}

}  // namespace
