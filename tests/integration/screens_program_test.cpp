// Windows on a desk of two screens side by side (two monitors of one X screen, as RandR
// shows them), at scale factors 1 and 2: the main window saved half off the right screen
// comes back wholly inside that screen, and the playlist, browser and information windows
// the keys open land wholly inside it too, never on the other screen or across the two.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QSettings>

#include "programharness.h"

namespace {

struct TScreensCase {
  const char* Scale;
};

class ScreensProgram : public ::testing::TestWithParam<TScreensCase> {};

// The visible windows whose title matches `name`, with their geometry on the X screen
// (and their ids in `ids`).
QList<QRect> Windows(const ProgramHarness& h, const QString& name, QStringList* ids = nullptr) {
  QList<QRect> found;
  if (ids) ids->clear();
  const QString list = h.Run("xdotool", {"search", "--onlyvisible", "--name", name});
  for (const QString& id : list.split('\n', Qt::SkipEmptyParts)) {
    const QString out = h.Run("xdotool", {"getwindowgeometry", id});
    const auto at = QRegularExpression(R"(Position: (-?\d+),(-?\d+))").match(out);
    const auto size = QRegularExpression(R"(Geometry: (\d+)x(\d+))").match(out);
    if (at.hasMatch() && size.hasMatch())
    {
      found << QRect(at.captured(1).toInt(), at.captured(2).toInt(), size.captured(1).toInt(), size.captured(2).toInt());
      if (ids) *ids << id;
    }
  }
  return found;
}

TEST_P(ScreensProgram, EveryWindowOpensWhollyInsideTheScreenOfTheMainWindow) {
  const int scale = QString(GetParam().Scale).toInt();
  ProgramHarness h;
  h.xvfb.screen = "2560x800x24";
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  // Two monitors of 1280 x 800: "gauche" at 0,0 and "droite" at 1280,0.
  int code = 0;
  h.Run("xrandr", {"--setmonitor", "gauche", "1280/338x800/211+0+0", "none"}, &code);
  ASSERT_EQ(code, 0) << "xrandr could not set the monitors";
  h.Run("xrandr", {"--setmonitor", "droite", "1280/338x800/211+1280+0", "none"}, &code);
  ASSERT_EQ(code, 0);
  const QRect right(1280, 0, 1280, 800);

  ASSERT_TRUE(h.WriteLocalStation("Zova Muette", "http://127.0.0.1:9/"));
  {
    // Saved by a run on a larger screen: the face's lower right part is off the right
    // screen (positions are in the program's own units).
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Left", 2400 / scale);
    settings.setValue("Top", 700 / scale);
  }
  h.extraEnv.push_back({"QT_SCALE_FACTOR", GetParam().Scale});
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));

  const QSize face(480 * scale, 241 * scale);
  QRect main;
  QString mainId;
  ASSERT_TRUE(h.WaitFor([&] {
    QStringList ids;
    const QList<QRect> found = Windows(h, "Zovalis", &ids);
    for (int i = 0; i < found.size(); ++i)
      if (found[i].size() == face) {
        main = found[i];
        mainId = ids[i];
      }
    return main.isValid();
  }, 40000)) << program->readAllStandardError().toStdString();
  EXPECT_TRUE(right.contains(main)) << "main window at " << main.x() << "," << main.y();

  h.faceOrigin = {main.x(), main.y()};
  const struct {
    const char* Key;
    const char* Title;
  } opened[] = {{"ctrl+o", "^Playlist$"}, {"F1", "Informations"}, {"ctrl+f", "^Tuner"}};
  for (const auto& o : opened) {
    // The keyboard to the main window, which the windows opened before may cover (at
    // scale 2 nothing else fits on the screen).
    h.Run("xdotool", {"windowfocus", "--sync", mainId});
    h.Run("xdotool", {"key", "--delay", "150", o.Key});
    QRect window;
    EXPECT_TRUE(h.WaitFor([&] {
      const QList<QRect> found = Windows(h, o.Title);
      if (!found.isEmpty()) window = found.front();
      return window.isValid();
    }, 20000)) << o.Key << " opened no window titled " << o.Title;
    EXPECT_TRUE(right.contains(window)) << o.Title << " at " << window.x() << "," << window.y() << " size "
                                        << window.width() << "x" << window.height();
  }

  program->terminate();  // as the session ends: the program closes in order
  EXPECT_TRUE(program->waitForFinished(20000));
}

INSTANTIATE_TEST_SUITE_P(Scales, ScreensProgram, ::testing::Values(TScreensCase{"1"}, TScreensCase{"2"}),
                         [](const auto& info) { return std::string("Scale") + info.param.Scale; });

}  // namespace
