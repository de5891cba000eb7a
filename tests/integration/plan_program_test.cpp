// Planned recordings and the sleep timer in the real program, with a local Icecast server:
// - a plan a few seconds ahead tunes its station, records in its own format from its time
//   and stops at its end (the file's appearance, the told end and the file measured);
// - a plan whose time passes while the program is closed is told once at the next start,
//   and not again at the one after;
// - a plan whose station cannot be reached is marked failed in the list, and the user is
//   told;
// - of two overlapping plans the later waits for the first to end (the user is told), then
//   records what is left of its time;
// - the sleep timer chosen from the station button's menu (minutes shortened to seconds
//   for the test) fades the sound out, then stops playback and the recording, whose file
//   is complete, while the program stays open.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <vector>

#include "programharness.h"
#include "recording/mediaprobe.h"
#include "support/icecast.h"
#include "support/qtprint.h"

namespace {

constexpr int kTone = 440;

void Shoot(const ProgramHarness& h, const QString& name) {
  const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS");
  if (!shots.isEmpty()) h.Run("import", {"-window", "root", QString::fromUtf8(shots) + "/" + name + ".png"});
}

// The one station "Zova Live" at `url` in the local tuner, not played at start, the
// recording folder, and the logs of the status line and of the plans in `h.errorFile`.
QString Prepare(ProgramHarness& h, const QString& url) {
  EXPECT_TRUE(h.PrepareLoudStation(url));
  const QString recordDir = h.home.Path() + "/records";
  QDir().mkpath(recordDir);
  QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
  settings.setValue("LastRadio", "Aucune radio");  // no such station: nothing plays at start
  settings.setValue("RecordDir", recordDir);
  settings.setValue("RecordEncoder", "MP3");
  settings.setValue("CutByTitle", 1);
  h.extraEnv.push_back({"QT_LOGGING_RULES", "zovalis.status.info=true;zovalis.plan.info=true"});
  h.errorFile = h.home.Path() + "/errors.log";
  return recordDir;
}

// The plans file keeps whole seconds.
QDateTime WholeSeconds(const QDateTime& t) { return t.addMSecs(-t.time().msec()); }

QString PlansPath(const ProgramHarness& h) { return h.home.DataFolder() + "programmation.json"; }

// A plan made a day ago.
QJsonObject PlanJson(const QString& id, const QString& station, const QString& url, const QDateTime& start, int seconds,
                     const QString& format, bool cut) {
  return QJsonObject{{"id", id},
                     {"station", station},
                     {"url", url},
                     {"start", start.toString(Qt::ISODate)},
                     {"repeat", "once"},
                     {"duration", seconds},
                     {"format", format},
                     {"cut", cut},
                     {"since", start.addDays(-1).toString(Qt::ISODate)},
                     {"state", "waiting"}};
}

void WritePlans(const ProgramHarness& h, const QJsonArray& plans) {
  QDir().mkpath(h.home.DataFolder());
  QFile f(PlansPath(h));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(QJsonDocument(QJsonObject{{"version", 1}, {"plans", plans}}).toJson());
}

// One plan for "Zova Live".
void WritePlan(const ProgramHarness& h, const QString& url, const QDateTime& start, int seconds, const QString& format,
               bool cut) {
  WritePlans(h, QJsonArray{PlanJson("p1", "Zova Live", url, start, seconds, format, cut)});
}

// The saved state of plan `index` ("done", "missed", "failed" ...) and its note.
QString PlanState(const ProgramHarness& h, QString* note = nullptr, int index = 0) {
  QFile f(PlansPath(h));
  if (!f.open(QIODevice::ReadOnly)) return QString();
  const QJsonObject plan =
      QJsonDocument::fromJson(f.readAll()).object().value("plans").toArray().at(index).toObject();
  if (note) *note = plan["note"].toString();
  return plan["state"].toString();
}

QString Log(const ProgramHarness& h) {
  QFile f(h.errorFile);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// How many times the plans' log told `text`.
int Told(const ProgramHarness& h, const QString& text) { return int(Log(h).count("zovalis.plan: " + text)); }

QStringList Files(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

void Quit(ProgramHarness& h, QProcess* program) {
  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0) << Log(h).toStdString();
}

TEST(PlanProgram, APlanTunesItsStationRecordsInItsFormatFromItsTimeAndStopsAtItsEnd) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, kTone, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste - Titre", &error)) << error;
  const QString url = QString::fromStdString(icecast.Url("/live"));
  const QString recordDir = Prepare(h, url);
  // OGG, not the recording page's MP3: the plan's own format. 35 s ahead: the program's
  // start on a loaded machine and the station's tuning, ten seconds ahead, fit before it.
  const QDateTime at = WholeSeconds(QDateTime::currentDateTime().addSecs(35));
  constexpr int kSeconds = 10;
  WritePlan(h, url, at, kSeconds, "OGG", false);
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << Log(h).toStdString();
  const QString folder = recordDir + "/Zova Live";

  // Nothing is recorded before its time; the file appears within 2 s of it.
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return !Files(folder).isEmpty(); }, 60000)) << Log(h).toStdString();
  const qint64 startError = at.msecsTo(QDateTime::currentDateTime());
  EXPECT_GE(startError, -200) << "started early";
  EXPECT_LE(startError, 2000) << Log(h).toStdString();
  EXPECT_GT(h.SinkLevel(), 0.01);  // the tuned station is heard meanwhile
  // The configuration button's menu opens the page, which shows the plan recording.
  h.ClickFace(107 + 20, 28 + 25);
  QThread::msleep(700);
  h.Run("xdotool", {"key", "r"});
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Configuration"); }, 10000));
  QThread::msleep(700);
  Shoot(h, "plan-page");
  // Its "Ajouter ..." button opens the editor (shot, then left with Escape).
  const QString id = h.Run("xdotool", {"search", "--onlyvisible", "--name", "^Configuration$"}).section('\n', 0, 0);
  const auto where = QRegularExpression(R"(Position: (\d+),(\d+))").match(h.Run("xdotool", {"getwindowgeometry", id}));
  if (where.hasMatch()) {
    h.Run("xdotool", {"mousemove", QString::number(where.captured(1).toInt() + 77),
                      QString::number(where.captured(2).toInt() + 239), "click", "1"});
    if (ProgramHarness::WaitFor([&] { return h.WindowTitled("Enregistrement programmé"); }, 5000)) {
      QThread::msleep(500);
      Shoot(h, "plan-editor");
      h.Run("xdotool", {"key", "Escape"});
    }
  }

  // The end is told within 2 s of its time; the station the plan tuned stops with it.
  const QString ended = "Enregistrement programmé de « Zova Live » terminé.";
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return Log(h).contains(ended); }, 30000)) << Log(h).toStdString();
  const qint64 endError = at.addSecs(kSeconds).msecsTo(QDateTime::currentDateTime());
  EXPECT_GE(endError, -200) << "ended early";
  EXPECT_LE(endError, 2000) << Log(h).toStdString();
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return PlanState(h) == "done"; }, 5000)) << PlanState(h).toStdString();
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return h.SinkLevel() < 0.002; }, 15000));

  const QStringList files = Files(folder);
  ASSERT_EQ(files.size(), 1) << files.join('|').toStdString();
  EXPECT_TRUE(files[0].endsWith(".ogg")) << files[0].toStdString();
  const ztest::MediaInfo info = ztest::Probe((folder + "/" + files[0]).toStdString());
  ASSERT_TRUE(info.ok) << info.raw;
  EXPECT_EQ(info.codec, "vorbis") << info.raw;
  // Its length is the plan's, give or take the 2 s at each end.
  EXPECT_GT(info.duration, kSeconds - 2.5) << info.raw;
  EXPECT_LT(info.duration, kSeconds + 2.5) << info.raw;
  Quit(h, program);
}

TEST(PlanProgram, APlanMissedWhileTheProgramWasClosedIsToldOnceAtTheNextStart) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  const QString url = "http://127.0.0.1:9/none";
  Prepare(h, url);
  // A plan 50 s ahead, for 3 s; the program runs, and is closed before its time.
  const QDateTime start = WholeSeconds(QDateTime::currentDateTime());
  WritePlan(h, url, start.addSecs(50), 3, "MP3", true);
  QProcess* first = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << Log(h).toStdString();
  Quit(h, first);
  ASSERT_EQ(PlanState(h), "waiting");
  const QDateTime after = start.addSecs(54);
  while (QDateTime::currentDateTime() < after) QThread::msleep(200);

  // The next start tells it, in a window that does not block, and keeps it told.
  const QString told = "L'enregistrement programmé de « Zova Live » du ";
  QProcess* second = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return Log(h).contains(told); }, 40000)) << Log(h).toStdString();
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Programmation des enregistrements"); }, 10000));
  Shoot(h, "plan-missed");
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return PlanState(h) == "missed"; }, 5000));
  ASSERT_TRUE(h.WaitForFace()) << Log(h).toStdString();
  Quit(h, second);
  EXPECT_EQ(Told(h, told), 1) << Log(h).toStdString();
  EXPECT_TRUE(Log(h).contains("n'a pas été fait : le programme était fermé.")) << Log(h).toStdString();

  QProcess* third = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << Log(h).toStdString();
  QThread::msleep(3000);  // several polls
  EXPECT_EQ(Told(h, told), 1) << Log(h).toStdString();
  EXPECT_FALSE(h.WindowTitled("Programmation des enregistrements"));
  Quit(h, third);
}

TEST(PlanProgram, APlanWhoseStationFailsIsMarkedFailedAndTheUserIsTold) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  // Nothing listens on this port.
  const QString url = QString("http://127.0.0.1:%1/none").arg(ztest::Icecast::FreePort());
  const QString recordDir = Prepare(h, url);
  WritePlan(h, url, WholeSeconds(QDateTime::currentDateTime()).addSecs(20), 30, "MP3", true);
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << Log(h).toStdString();
  const QString told = "L'enregistrement programmé de « Zova Live » a échoué";
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return Log(h).contains(told); }, 90000)) << Log(h).toStdString();
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Programmation des enregistrements"); }, 10000));
  QString note;
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return PlanState(h, &note) == "failed"; }, 5000));
  EXPECT_TRUE(note.contains("Zova Live")) << note.toStdString();
  Shoot(h, "plan-failed");
  EXPECT_TRUE(Files(recordDir + "/Zova Live").isEmpty());
  Quit(h, program);
}

TEST(PlanProgram, OfTwoOverlappingPlansTheLaterWaitsIsToldAndRecordsWhatIsLeftOfItsTime) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, kTone, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(icecast.AddSource({"/deux", ztest::Icecast::Codec::Mp3, 660, 128, "Zova Deux", "Jazz"}, &error))
      << error;
  const QString one = QString::fromStdString(icecast.Url("/live"));
  const QString two = QString::fromStdString(icecast.Url("/deux"));
  const QString recordDir = Prepare(h, one);
  {
    // The local tuner holds both stations.
    TCatalogueTable radios("radiosDataset");
    ASSERT_TRUE(CreateCatalogueTable(radios, TCatalogueKind::Stations));
    for (const auto& [name, url] : {std::pair{QString("Zova Live"), one}, std::pair{QString("Zova Deux"), two}}) {
      radios.Append();
      radios.SetFieldText("Radio", name);
      radios.SetFieldText("Url", url);
      ASSERT_TRUE(radios.Post());
    }
    ASSERT_TRUE(radios.SaveToFile(h.home.DataFolder() + "tuner/local/radios.xml"));
  }
  // The first from T to T + 12 s; the second from T + 5 s to T + 20 s.
  const QDateTime at = WholeSeconds(QDateTime::currentDateTime().addSecs(30));
  WritePlans(h, QJsonArray{PlanJson("a", "Zova Live", one, at, 12, "MP3", false),
                           PlanJson("b", "Zova Deux", two, at.addSecs(5), 15, "MP3", false)});
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << Log(h).toStdString();

  const QString waits = "L'enregistrement programmé de « Zova Deux » (" + at.addSecs(5).toString("HH:mm:ss") +
                        ") attend la fin de celui de « Zova Live ».";
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return Log(h).contains(waits); }, 60000)) << Log(h).toStdString();
  const QString late = "L'enregistrement programmé de « Zova Deux » prévu à " + at.addSecs(5).toString("HH:mm:ss") +
                       " commence en retard";
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return Log(h).contains(late); }, 30000)) << Log(h).toStdString();
  // It began when the first ended, not before.
  EXPECT_GE(at.addSecs(12).msecsTo(QDateTime::currentDateTime()), -200);
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return Log(h).contains("Enregistrement programmé de « Zova Deux » terminé."); },
                                      30000))
      << Log(h).toStdString();
  EXPECT_TRUE(ProgramHarness::WaitFor([&] { return PlanState(h, nullptr, 0) == "done" && PlanState(h, nullptr, 1) == "done"; },
                                      5000));
  const auto length = [&](const QString& station) {
    const QStringList files = Files(recordDir + "/" + station);
    EXPECT_EQ(files.size(), 1) << station.toStdString() << ": " << files.join('|').toStdString();
    if (files.isEmpty()) return 0.0;
    const ztest::MediaInfo info = ztest::Probe((recordDir + "/" + station + "/" + files[0]).toStdString());
    EXPECT_TRUE(info.ok) << info.raw;
    return info.duration;
  };
  const double first = length("Zova Live");
  EXPECT_GT(first, 9.5);
  EXPECT_LT(first, 14.5);
  // What was left of the second's time: 8 s, less its station's connection.
  const double second = length("Zova Deux");
  EXPECT_GT(second, 3.0);
  EXPECT_LT(second, 10.0);
  Quit(h, program);
}

TEST(SleepProgram, TheSoundFadesOutThenPlaybackAndTheRecordingStopAndTheProgramStaysOpen) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, kTone, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste - Titre", &error)) << error;
  const QString recordDir = Prepare(h, QString::fromStdString(icecast.Url("/live")));
  {
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("LastRadio", "Zova Live");  // played at start
  }
  // One menu minute lasts a second: "15 minutes" is 15 s, the last 10 of them fading.
  h.extraEnv.push_back({"ZOVALIS_TEST_MINUTE_SECONDS", "1"});
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste - Titre"); }, 40000)) << Log(h).toStdString();
  QThread::msleep(1000);
  h.ClickFace(112, 207);  // record
  const double full = h.SteadyLevel(2);
  ASSERT_GT(full, 0.01);

  // The station button's lower half opens its menu; "p" opens "Arrêt programmé", "1" its
  // "15 minutes".
  h.ClickFace(15 + 20, 28 + 25);
  QThread::msleep(700);
  Shoot(h, "sleep-menu-closed");
  h.Run("xdotool", {"key", "p"});
  QThread::msleep(700);
  Shoot(h, "sleep-menu");
  h.Run("xdotool", {"key", "1"});
  QElapsedTimer chosen;
  chosen.start();
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return Log(h).contains("Arrêt programmé à "); }, 5000))
      << Log(h).toStdString();

  // Levels until well after the stop, each with the time its measure ended.
  std::vector<std::pair<qint64, double>> levels;
  while (chosen.elapsed() < 22000) levels.push_back({chosen.elapsed(), h.SinkLevel()});
  std::string trace;
  for (const auto& [ms, level] : levels) trace += std::to_string(ms) + ":" + std::to_string(level) + " ";
  // Full before the fade (measures ending before 4.5 s); a partial level during it (the
  // sound falls gradually, not at once); silent once the time is over.
  bool fullBefore = false, partial = false, silentAfter = false;
  double lastInFade = 1.0;
  for (const auto& [ms, level] : levels) {
    if (ms < 4500 && level > full * 0.8) fullBefore = true;
    if (ms > 6500 && ms < 14500 && level > full * 0.1 && level < full * 0.85) partial = true;
    if (ms > 6500 && ms < 14500) lastInFade = level;
    if (ms > 17500) silentAfter = level < 0.002 || silentAfter;
  }
  EXPECT_TRUE(fullBefore) << trace;
  EXPECT_TRUE(partial) << trace;
  EXPECT_LT(lastInFade, full * 0.6) << trace;
  EXPECT_TRUE(silentAfter) << trace;
  for (const auto& [ms, level] : levels) {
    if (ms > 17500) {
      EXPECT_LT(level, 0.002) << trace;
    }
  }
  EXPECT_TRUE(Log(h).contains("Arrêt programmé : lecture arrêtée.")) << Log(h).toStdString();

  // The program is still there; the recording was completed.
  EXPECT_EQ(program->state(), QProcess::Running);
  EXPECT_TRUE(h.WindowTitled("Zovalis"));
  const QString folder = recordDir + "/Zova Live";
  const QStringList files = Files(folder);
  ASSERT_EQ(files.size(), 1) << files.join('|').toStdString();
  const ztest::MediaInfo info = ztest::Probe((folder + "/" + files[0]).toStdString());
  ASSERT_TRUE(info.ok) << info.raw;
  EXPECT_EQ(info.codec, "mp3") << info.raw;
  EXPECT_GT(info.duration, 14.0) << info.raw;
  EXPECT_LT(info.duration, 30.0) << info.raw;
  Quit(h, program);
}

}  // namespace
