// Private folders and environments for tests, and the program run as a real process.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>

namespace TestEnv {

// The open station directory's address in tests: a port nobody listens on (discard), so
// no test ever reaches the real directory unless it names a local one.
inline constexpr const char* kNoDirectory = "http://127.0.0.1:9/";

// Points HOME and the XDG folders of this test process at a fresh temporary folder that
// lives until the process ends, and removes the proxy and update-server variables.
void UsePrivateHome();

// A fresh home for a child process: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME
// and XDG_RUNTIME_DIR (mode 700) under one temporary folder.
class Home {
 public:
  Home();
  QString Path() const { return dir_.path(); }
  QString ConfigFile() const;   // the settings file the program writes
  QString DataFolder() const;   // ~/.local/share/ZOVA/
  QString RuntimeDir() const;
  QProcessEnvironment Environment() const;

 private:
  QTemporaryDir dir_;
};

// A real X server for the program's windows, on a free display number.
class Xvfb {
 public:
  ~Xvfb();
  bool Start(QString* error);
  void Stop();
  QString Display() const { return display_; }
  // The lines of `xwininfo -root -tree` (every window the server has).
  QStringList WindowTree() const;
  // The screen's size and depth, set before Start.
  QByteArray screen = "1024x768x24";

 private:
  bool StartOnce(QString* error);
  bool Answers();

  qint64 pid_ = 0;
  QString display_;
};

// ThreadSanitizer ends a program in which it saw a race with status 66 (at once under
// halt_on_error, else at its exit). For a program a test started that ended so: what it
// wrote on its error output (the report), or where that went; empty otherwise, and
// always in other builds. Tests check it before they stop their programs.
std::string RaceReport(QProcess& program, const QString& errorFile = QString());

}  // namespace TestEnv
