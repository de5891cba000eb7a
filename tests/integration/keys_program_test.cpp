// The keyboard and the mouse wheel as people use them, in the real program: a station from
// a local Icecast server plays, and the user mutes and unmutes with M, lowers the volume
// with the Down key and the wheel over the face, stops with S and plays again with Space,
// all heard on the sink's monitor; the volume left is the one saved at close.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSettings>
#include <QThread>

#include "programharness.h"
#include "support/icecast.h"

namespace {

TEST(KeysProgram, KeysAndTheWheelDriveTheSoundAsTheButtonsDo) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(h.PrepareLoudStation(QString::fromStdString(icecast.Url("/live"))));

  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << program->readAllStandardError().toStdString();
  ASSERT_TRUE(h.WaitFor([&] { return h.SinkLevel() > 0.01; }, 30000)) << "no sound";
  const double full = h.SteadyLevel(2);

  // A click on the face's title gives the window the keyboard.
  h.ClickFace(300, 10);
  const auto key = [&](const char* name) { h.Run("xdotool", {"key", "--delay", "150", name}); };

  key("m");
  EXPECT_TRUE(h.WaitFor([&] { return h.SinkLevel() < 0.001; }, 5000)) << "M did not mute";
  key("m");
  EXPECT_TRUE(h.WaitFor([&] { return h.SinkLevel() > 0.01; }, 5000)) << "M did not bring the sound back";

  // 4 x Down and 2 wheel notches down over the face: 100 - 6 x 5.
  for (int i = 0; i < 4; ++i) key("Down");
  h.Run("xdotool", {"mousemove", "240", "120", "click", "5", "sleep", "0.2", "click", "5"});
  QThread::msleep(500);
  const double lowered = h.SteadyLevel(2);
  EXPECT_LT(lowered, full * 0.85) << "the keys and the wheel did not lower the sound";

  key("s");
  EXPECT_TRUE(h.WaitFor([&] { return h.SinkLevel() < 0.001; }, 5000)) << "S did not stop";
  key("space");
  EXPECT_TRUE(h.WaitFor([&] { return h.SinkLevel() > 0.005; }, 30000)) << "Space did not play the station again";

  h.ClickFace(453, 9);
  ASSERT_TRUE(program->waitForFinished(20000));
  EXPECT_EQ(QSettings(h.home.ConfigFile(), QSettings::IniFormat).value("Volume").toInt(), 70);
}

}  // namespace
