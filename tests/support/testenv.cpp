#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace TestEnv {

namespace {

void MakeHomeFolders(const QString& root) {
  const QStringList dirs = {".config", ".local/share", ".cache", "run"};
  for (const QString& d : dirs) QDir().mkpath(root + u'/' + d);
  QFile::setPermissions(root + QStringLiteral("/run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                          QFileDevice::ExeOwner);
}

// Sets the home variables in `env`, or in this process's own environment when null.
void SetHomeVariables(const QString& root, QProcessEnvironment* env) {
  auto set = [&](const char* name, const QString& value) {
    if (env) {
      env->insert(QLatin1String(name), value);
    } else {
      qputenv(name, value.toLocal8Bit());
    }
  };
  set("HOME", root);
  set("XDG_CONFIG_HOME", root + QStringLiteral("/.config"));
  set("XDG_DATA_HOME", root + QStringLiteral("/.local/share"));
  set("XDG_CACHE_HOME", root + QStringLiteral("/.cache"));
  set("XDG_RUNTIME_DIR", root + QStringLiteral("/run"));
}

}  // namespace

void UsePrivateHome() {
  static QTemporaryDir dir;  // removed when the test process ends
  MakeHomeFolders(dir.path());
  SetHomeVariables(dir.path(), nullptr);
  // A proxy of the machine running the tests would make the program ask about it.
  qunsetenv("http_proxy");
  qunsetenv("HTTP_PROXY");
  qunsetenv("ZOVALIS_UPDATE_SERVER");
  // The open station directory is never asked from a test: a test that wants one serves
  // it on 127.0.0.1 and names it here.
  qputenv("ZOVALIS_DIRECTORY_SERVER", kNoDirectory);
}

Home::Home() {
  MakeHomeFolders(dir_.path());
}

QString Home::ConfigFile() const {
  return dir_.path() + QStringLiteral("/.config/Kestrune/Zovaline.ini");
}

QString Home::DataFolder() const {
  return dir_.path() + QStringLiteral("/.local/share/ZOVA/");
}

QString Home::RuntimeDir() const {
  return dir_.path() + QStringLiteral("/run");
}

QProcessEnvironment Home::Environment() const {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  env.remove(QStringLiteral("PULSE_SERVER"));
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  env.remove(QStringLiteral("http_proxy"));
  env.remove(QStringLiteral("HTTP_PROXY"));
  env.remove(QStringLiteral("ZOVALIS_UPDATE_SERVER"));
  env.insert(QStringLiteral("ZOVALIS_DIRECTORY_SERVER"), QString::fromLatin1(kNoDirectory));
  SetHomeVariables(dir_.path(), &env);
  return env;
}

Xvfb::~Xvfb() {
  Stop();
}

bool Xvfb::StartOnce(QString* error) {
  // A display number drawn from a wide range, not the lowest free one (-displayfd): a
  // server another test is stopping removes its socket file as it ends, and would remove
  // that of a new server that had just taken its number. The server's lock file makes
  // the number ours or makes the server end (then another number is tried).
  int number = 0;
  for (int i = 0; i < 100 && number == 0; ++i) {
    const int n = static_cast<int>(QRandomGenerator::global()->bounded(200, 30000));
    if (!QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) &&
        !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
      number = n;
  }
  if (number == 0) {
    *error = QStringLiteral("no free X display number");
    return false;
  }
  const QByteArray display = ":" + QByteArray::number(number);
  const QByteArray size = screen;
  const pid_t pid = ::fork();
  if (pid == 0) {
    // -noreset: by default the server resets itself each time its last client leaves
    // (the probe below, a program between two starts, an xdotool call), and a client
    // that connects during that reset is dropped before its set-up is answered: the
    // program then reports it "could not connect to display".
    ::execlp("Xvfb", "Xvfb", display.constData(), "-screen", "0", size.constData(), "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (pid < 0) {
    *error = QStringLiteral("fork failed");
    return false;
  }
  pid_ = pid;
  display_ = QString::fromLatin1(display);
  return true;
}

// Whether our server is still running and answers on its display.
bool Xvfb::Answers() {
  for (int i = 0; i < 50; ++i) {
    if (pid_ <= 0) return false;
    if (::waitpid(static_cast<pid_t>(pid_), nullptr, WNOHANG) != 0) {
      pid_ = 0;  // ended (and reaped): nothing left to stop
      return false;
    }
    QProcess probe;
    probe.start(QStringLiteral("xdpyinfo"), {QStringLiteral("-display"), display_});
    if (probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0) return true;
    QThread::msleep(100);
  }
  return false;
}

bool Xvfb::Start(QString* error) {
  // A server that ends (its number was taken meanwhile) or does not answer is replaced.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (!StartOnce(error)) return false;
    if (Answers()) return true;
    Stop();
  }
  *error = QStringLiteral("Xvfb did not answer on its display (is the xvfb package installed?)");
  return false;
}

void Xvfb::Stop() {
  if (pid_ <= 0) return;
  ::kill(static_cast<pid_t>(pid_), SIGTERM);
  for (int i = 0; i < 50; ++i) {
    if (::waitpid(static_cast<pid_t>(pid_), nullptr, WNOHANG) != 0) {
      pid_ = 0;
      return;
    }
    QThread::msleep(100);
  }
  ::kill(static_cast<pid_t>(pid_), SIGKILL);
  ::waitpid(static_cast<pid_t>(pid_), nullptr, 0);
  pid_ = 0;
}

QStringList Xvfb::WindowTree() const {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), display_);
  p.setProcessEnvironment(env);
  p.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
  p.waitForFinished(10000);
  return QString::fromLocal8Bit(p.readAllStandardOutput()).split(u'\n');
}

std::string RaceReport(QProcess& program, const QString& errorFile) {
  constexpr int kRaceStatus = 66;
  if (program.state() != QProcess::NotRunning || program.exitStatus() != QProcess::NormalExit ||
      program.exitCode() != kRaceStatus)
    return std::string();
  const std::string name = program.program().toStdString();
  if (!errorFile.isEmpty()) return name + " ended with a race report, written to " + errorFile.toStdString();
  return name + " ended with a race report:\n" + program.readAllStandardError().toStdString();
}

}  // namespace TestEnv
