// Where windows open: wholly inside the screen's available area, beside the main window
// without covering it when there is room.
#include <gtest/gtest.h>

#include "common/placement.h"
#include "support/qtprint.h"

namespace {

TEST(Placement, SecondaryWindowsGoBelowAboveRightLeftThenWhereTheyCoverLeast) {
  const QSize browser(480, 320);
  const struct {
    const char* name;
    QRect area, main;
    QPoint expected;
  } cases[] = {
      {"below", {0, 0, 1024, 768}, {100, 200, 480, 241}, {100, 441}},
      {"below, ending on the last row", {0, 0, 1024, 768}, {100, 207, 480, 241}, {100, 448}},
      {"above", {0, 0, 1024, 768}, {30, 500, 480, 241}, {30, 180}},
      {"right, the main window near the top of a short screen", {0, 0, 1280, 800}, {0, 280, 480, 241}, {480, 280}},
      {"left", {0, 0, 1280, 800}, {800, 280, 480, 241}, {320, 280}},
      {"below, slid back onto the screen", {0, 0, 1024, 768}, {700, 100, 480, 241}, {544, 341}},
      {"no side has room: the corner covering least, not the status line", {0, 0, 1024, 768}, {100, 300, 480, 241},
       {544, 448}},
      {"a screen below another: its own edges", {0, 768, 1280, 1024}, {0, 900, 480, 241}, {0, 1141}},
  };
  for (const auto& c : cases) {
    const QPoint at = SecondaryPlacement(c.main, browser, c.area);
    EXPECT_EQ(at, c.expected) << c.name;
    EXPECT_TRUE(c.area.contains(QRect(at, browser))) << c.name;
  }
}

TEST(Placement, ASmallOrScaledScreenStillHoldsTheWholeWindow) {
  // 1280 x 800 at a scale factor of 2: 640 x 400 logical pixels.
  const QRect area(0, 0, 640, 400);
  for (const QRect& main : {QRect(80, 80, 480, 241), QRect(0, 0, 480, 241), QRect(160, 159, 480, 241)}) {
    const QPoint at = SecondaryPlacement(main, QSize(480, 320), area);
    EXPECT_TRUE(area.contains(QRect(at, QSize(480, 320)))) << at.x() << "," << at.y();
  }
  // A saved place off the screen comes back whole; a window larger than the screen keeps
  // its title on it.
  EXPECT_EQ(KeptInside({2000, 1500}, {480, 241}, area), QPoint(160, 159));
  EXPECT_EQ(KeptInside({-300, -50}, {480, 241}, area), QPoint(0, 0));
  EXPECT_EQ(KeptInside({100, 100}, {700, 500}, area), QPoint(0, 0));
}

TEST(Placement, AWindowBelongsToTheScreenItCoversMostElseTheNearest) {
  // Two 1280 x 800 monitors side by side, and the whole desktop as one more screen (as
  // RandR lists an X screen beside its monitors).
  const std::vector<QRect> screens{QRect(0, 0, 1280, 800), QRect(1280, 0, 1280, 800), QRect(0, 0, 2560, 800)};
  const struct {
    QRect Window;
    int Screen;
  } cases[] = {
      {QRect(2400, 700, 480, 241), 1},   // half off the right monitor: still the right one
      {QRect(1100, 100, 480, 241), 1},   // across the two, more on the right
      {QRect(1000, 100, 480, 241), 0},   // across the two, more on the left
      {QRect(3000, 3000, 480, 241), 1},  // on none: the nearest
      {QRect(-900, 300, 480, 241), 0},
      {QRect(100, 100, 480, 241), 0},    // inside a monitor and the desktop: the monitor
  };
  for (const auto& c : cases) {
    // Across the two monitors the whole desktop holds the window best: judged among the
    // monitors alone.
    const bool across = c.Window.intersects(screens[0]) && c.Window.intersects(screens[1]);
    const std::vector<QRect> among = across ? std::vector<QRect>{screens[0], screens[1]} : screens;
    EXPECT_EQ(ScreenIndexFor(c.Window, among), c.Screen) << c.Window.x() << "," << c.Window.y();
  }
  EXPECT_EQ(ScreenIndexFor(QRect(0, 0, 10, 10), {}), -1);
}

}  // namespace
