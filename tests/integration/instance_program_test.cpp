// One program at a time, with no session bus: a second start shows the running program's
// window and ends. The window is first pushed off the screen (as a screen that went
// away leaves it): shown again, it is wholly back on the screen.
#include <gtest/gtest.h>

#include <QPoint>
#include <QProcess>
#include <QRegularExpression>

#include "programharness.h"

namespace {

TEST(InstanceProgram, ASecondStartShowsTheRunningWindowWithoutASessionBus) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  h.extraEnv.push_back({"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + h.home.DataFolder() + "no-bus"});

  QProcess* first = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << first->readAllStandardError().toStdString();
  const QString id = h.Run("xdotool", {"search", "--onlyvisible", "--name", "Zovalis"}).section('\n', 0, 0);
  ASSERT_FALSE(id.isEmpty());
  const auto position = [&] {
    const QString out = h.Run("xdotool", {"getwindowgeometry", id});
    const auto m = QRegularExpression(R"(Position: (-?\d+),(-?\d+))").match(out);
    return m.hasMatch() ? QPoint(m.captured(1).toInt(), m.captured(2).toInt()) : QPoint(-1, -1);
  };
  h.Run("xdotool", {"windowmove", id, "3000", "3000"});
  ASSERT_TRUE(h.WaitFor([&] { return position().x() >= 2000; }, 10000)) << "the window could not be moved away";

  QProcess* second = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(second->waitForFinished(60000)) << "the second start kept running";
  EXPECT_EQ(second->exitCode(), 0);
  // Back wholly on the 1024 x 768 screen.
  EXPECT_TRUE(h.WaitFor([&] {
    const QPoint at = position();
    return at.x() >= 0 && at.y() >= 0 && at.x() + 480 <= 1024 && at.y() + 241 <= 768;
  }, 10000)) << "the running window was not shown on the screen";
  EXPECT_EQ(first->state(), QProcess::Running);

  h.faceOrigin = {position().x(), position().y()};
  h.ClickFace(453, 9);
  EXPECT_TRUE(first->waitForFinished(20000));
}

}  // namespace
