// The open station directory in the real program, as a user reaches it: the browser's
// tuner list switched to "Annuaire mondial" (a directory served on 127.0.0.1 in its API's
// form, gzip), the country then the genre filter chosen from their lists, and the station
// left double-clicked: its stream (a local Icecast mount) is heard on the sink monitor and
// the play is reported to the directory.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSettings>

#include "catalogue/directoryserver.h"
#include "programharness.h"
#include "support/icecast.h"

namespace {

using namespace DirectoryTest;

TEST(DirectoryProgram, ChosenFilteredAndPlayed) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/annuaire", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Annuaire", "Jazz"}, &error))
      << error;

  // Three stations: only the French jazz one plays (the others' addresses are closed).
  DirectoryServer directory;
  ASSERT_TRUE(directory.Start(StationListJson(
      {{"Aaa Berlin", "http://127.0.0.1:9/berlin", "rock", "Germany", "DE", "MP3"},
       {"Bbb Paris Rock", "http://127.0.0.1:9/paris", "Rock,Pop", "France", "FR", "AAC"},
       {"Zova Annuaire", QString::fromStdString(icecast.Url("/annuaire")), "Jazz,Blues", "France", "FR", "MP3"}})));
  h.extraEnv.push_back({"ZOVALIS_DIRECTORY_SERVER", directory.Base()});
  // The program starts on the user's own tuner, whose one station's address is closed.
  ASSERT_TRUE(h.WriteLocalStation("Locale", "http://127.0.0.1:9/closed"));
  {
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Volume", 100);
    settings.setValue("Top", 0);
    settings.setValue("Left", 0);
    settings.setValue("Filter", "Name");
    settings.setValue("FilterName", "");
  }
  h.faceOrigin = {0, 0};
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << program->readAllStandardError().toStdString();

  // The station button's upper part opens the browser.
  h.ClickFace(15 + 10, 28 + 8);
  ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled("Tuner"); }, 10000));
  const QString browserId = h.Run("xdotool", {"search", "--onlyvisible", "--name", "^Tuner"}).section('\n', 0, 0);
  const auto m = QRegularExpression(R"(Position: (-?\d+),(-?\d+))")
                     .match(h.Run("xdotool", {"getwindowgeometry", browserId}));
  ASSERT_TRUE(m.hasMatch()) << browserId.toStdString();
  const int bx = m.captured(1).toInt(), by = m.captured(2).toInt();
  const auto click = [&](int x, int y, const char* button = "1") {
    h.Run("xdotool", {"mousemove", QString::number(bx + x), QString::number(by + y), "click", button});
    QThread::msleep(400);
  };
  const auto key = [&](const QStringList& keys) { h.Run("xdotool", QStringList{"key", "--delay", "200"} + keys); };
  const auto shot = [&](const char* name) {
    const QString path = QDir::tempPath() + "/zovalis-directory-" + name + ".png";
    h.Run("import", {"-window", "root", path});
    return path.toStdString();
  };

  // The tuner list, on "Local": "Distant", "Local", "Annuaire mondial".
  click(47 + 50, 297 + 9);
  key({"Down", "Return"});
  ASSERT_TRUE(h.WaitFor([&] {
    return directory.Requests().filter(QRegularExpression("^/json/stations\\?hidebroken=true\t")).size() == 1;
  }, 20000)) << shot("no-request") << "\n" << directory.Requests().join('\n').toStdString();
  EXPECT_TRUE(directory.Requests().last().contains(QRegularExpression("\tZovalis/\\d+\\.\\d+\\.\\d+\tgzip$")))
      << directory.Requests().join('\n').toStdString();
  ASSERT_TRUE(h.WaitForFace()) << shot("loading");  // the splash of the load is gone

  // "Pays": France (the delivered catalogue's French name); then "Style": jazz.
  click(117 + 7, 34 + 7);
  click(353 + 50, 32 + 10);
  key({"F", "Return"});
  click(64 + 7, 34 + 7);
  click(353 + 50, 32 + 10);
  key({"j", "Return"});

  // The one station left is played from the grid.
  h.Run("xdotool", {"mousemove", QString::number(bx + 58), QString::number(by + 85), "click", "--repeat", "2",
                    "--delay", "80", "1"});
  const double level = h.SteadyLevel(3, 40000);
  EXPECT_GT(level, 0.05) << shot("silent");
  EXPECT_TRUE(h.WaitFor([&] { return directory.Clicks() == QStringList{Uuid(3)}; }, 20000))
      << directory.Clicks().join(',').toStdString() << " " << shot("no-click");

  program->terminate();
  program->waitForFinished(15000);
}

}  // namespace
