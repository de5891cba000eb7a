// The real program under test: an X server (Xvfb), a PulseAudio daemon and a private home,
// all started by the test and stopped by PID; helpers to launch the program, wait for its
// main window, click at its face's coordinates and measure what the sink plays.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QThread>
#include <csignal>
#include <string>
#include <vector>

#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "support/pulsedaemon.h"
#include "support/testenv.h"

class ProgramHarness {
 public:
  ~ProgramHarness() {
    for (QProcess* p : processes_) {
      const std::string race = TestEnv::RaceReport(*p, errorFile);
      if (!race.empty()) ADD_FAILURE() << race;
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
      delete p;
    }
  }

  bool Start(std::string* error) {
    QString x;
    if (!xvfb.Start(&x)) {
      *error = x.toStdString();
      return false;
    }
    return pulse.Start(error);
  }

  // The user's own catalogue (local mode) of one station, which the program plays at start.
  bool WriteLocalStation(const QString& name, const QString& url) const {
    const QString local = home.DataFolder() + "tuner/local/";
    QDir().mkpath(local);
    TCatalogueTable radios("radiosDataset");
    if (!CreateCatalogueTable(radios, TCatalogueKind::Stations)) return false;
    radios.Append();
    radios.SetFieldText("Radio", name);
    radios.SetFieldText("Url", url);
    if (!radios.Post() || !radios.SaveToFile(local + "radios.xml")) return false;
    QSettings settings(home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Mode", "local");
    settings.setValue("LastRadio", name);
    return true;
  }

  // The one station at `url` played at start at full volume, the face at the screen's top
  // left corner.
  bool PrepareLoudStation(const QString& url) {
    if (!WriteLocalStation("Zova Live", url)) return false;
    QSettings settings(home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Volume", 100);
    settings.setValue("Top", 0);
    settings.setValue("Left", 0);
    faceOrigin = {0, 0};
    return true;
  }

  // Environment of the program and of the tools that talk to it.
  QProcessEnvironment Environment() const {
    QProcessEnvironment env = home.Environment();
    env.insert("DISPLAY", xvfb.Display());
    env.insert("PULSE_SERVER", QString::fromStdString(pulse.ServerAddress()));
    for (const std::string& entry : pulse.ClientEnv()) {
      const QString e = QString::fromStdString(entry);
      if (e.startsWith("PULSE_CLIENTCONFIG=")) env.insert("PULSE_CLIENTCONFIG", e.section('=', 1));
    }
    for (const auto& [name, value] : extraEnv) env.insert(name, value);
    return env;
  }

  QProcess* Launch(const QString& program, const QStringList& args = {}) {
    auto* p = new QProcess;
    processes_.push_back(p);
    p->setProcessEnvironment(Environment());
    // A program that writes much to its error output would block once the pipe is full
    // unless the test reads it all the time: a file takes it all.
    if (!errorFile.isEmpty()) p->setStandardErrorFile(errorFile, QIODevice::Append);
    p->start(program, args);
    p->waitForStarted(10000);
    return p;
  }

  // Runs a tool to its end in the program's environment; its standard output.
  QString Run(const QString& program, const QStringList& args, int* exitCode = nullptr, int timeoutMs = 10000) const {
    QProcess p;
    p.setProcessEnvironment(Environment());
    p.start(program, args);
    p.waitForFinished(timeoutMs);
    if (exitCode) *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  }

  // Whether a visible window's title contains `text`.
  bool WindowTitled(const QString& text) const {
    int code = 0;
    const QString out = Run("xdotool", {"search", "--onlyvisible", "--name", QRegularExpression::escape(text)}, &code);
    return code == 0 && !out.isEmpty();
  }

  // Waits until the main window (480 x 241) is shown and no other window titled like it
  // (the splash of a catalogue load) is: the face then takes clicks.
  bool WaitForFace(int timeoutMs = 40000) const {
    return WaitFor([this] {
      bool face = false;
      const QString ids = Run("xdotool", {"search", "--onlyvisible", "--name", "Zovalis"});
      for (const QString& id : ids.split('\n', Qt::SkipEmptyParts)) {
        if (!Run("xdotool", {"getwindowgeometry", id}).contains("Geometry: 480x241")) return false;
        face = true;
      }
      return face;
    }, timeoutMs);
  }

  // Waits until `done` holds, for at most `timeoutMs`.
  template <typename F>
  static bool WaitFor(F done, int timeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
      if (done()) return true;
      // Calls to services the test itself offers on the bus are answered meanwhile.
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
      QThread::msleep(100);
    }
    return done();
  }

  // A click at `x`, `y` of the main window, at `faceOrigin` on the screen (centred on the
  // 1024 x 768 screen unless the settings place it).
  void ClickFace(int x, int y) const {
    Run("xdotool", {"mousemove", QString::number(faceOrigin.first + x), QString::number(faceOrigin.second + y),
                    "click", "1"});
  }

  // RMS level of 1.5 s of what the sink plays.
  double SinkLevel() {
    std::string out;
    pulse.RunClient({"sh", "-c",
                     "timeout 1.5 parec -d rec.monitor --rate=44100 --channels=2 --format=s16le --latency-msec=50 "
                     "| sox -t raw -r 44100 -e signed -b 16 -c 2 - -n stat 2>&1"},
                    &out, 10000);
    const auto m = QRegularExpression(R"(RMS\s+amplitude:\s+([0-9.]+))").match(QString::fromStdString(out));
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
  }

  // The mean of `count` sink levels, once the sound is there (at most `timeoutMs`).
  double SteadyLevel(int count = 3, int timeoutMs = 30000) {
    WaitFor([&] { return SinkLevel() > 0.002; }, timeoutMs);
    double sum = 0;
    for (int i = 0; i < count; ++i) sum += SinkLevel();
    return sum / count;
  }

  static void Signal(QProcess* p, int sig) { ::kill(static_cast<pid_t>(p->processId()), sig); }

  TestEnv::Xvfb xvfb;
  ztest::PulseDaemon pulse;
  TestEnv::Home home;
  std::vector<std::pair<QString, QString>> extraEnv;
  QString errorFile;  // where launched programs write their error output (else a pipe)
  std::pair<int, int> faceOrigin{272, 263};

 private:
  std::vector<QProcess*> processes_;
};
