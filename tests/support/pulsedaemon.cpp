#include "support/pulsedaemon.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace ztest {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kReadyTimeout = 10s;
constexpr auto kStopTimeout = 5s;

const char kMinimalPa[] =
    "load-module module-native-protocol-unix\n"
    "load-module module-null-sink sink_name=rec rate=44100 channels=2\n"
    "set-default-sink rec\n";
// A client must never start a server of its own (a stray daemon would outlive the
// test); with PULSE_SERVER set it would not try, this makes sure.
const char kClientConf[] = "autospawn = no\n";

bool WriteFile(const std::string& path, const char* text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out.flush());
}

std::string NameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

// `base` with the NAME=value entries of `over` replacing or adding to it, minus the
// names in `drop`.
std::vector<std::string> MergeEnv(const std::vector<std::string>& over,
                                  const std::vector<std::string>& drop) {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry(*e);
    const std::string name = NameOf(entry);
    bool skip = false;
    for (const auto& d : drop) skip = skip || d == name;
    for (const auto& o : over) skip = skip || NameOf(o) == name;
    if (!skip) env.push_back(entry);
  }
  env.insert(env.end(), over.begin(), over.end());
  return env;
}

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

// Forks and runs `path` with `argv` and `env`; stdin from /dev/null, stdout and
// stderr to out_fd. Everything the child needs is prepared before fork: the test
// process has threads, so the child may only make async-signal-safe calls.
pid_t Spawn(const std::string& path, std::vector<std::string> argv, std::vector<std::string> env,
            int out_fd, bool die_with_parent) {
  std::vector<char*> c_argv = CStrings(argv);
  std::vector<char*> c_env = CStrings(env);
  const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (null_fd < 0) return -1;
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    if (die_with_parent) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(127);
    }
    // The test may have ignored SIGPIPE or blocked signals: a child starts clean.
    signal(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    dup2(null_fd, 0);
    dup2(out_fd, 1);
    dup2(out_fd, 2);
    execve(path.c_str(), c_argv.data(), c_env.data());
    _exit(127);
  }
  close(null_fd);
  return pid;
}

// Waits for `pid` until `deadline`; true (with *status) when it was reaped.
bool WaitUntil(pid_t pid, Clock::time_point deadline, int* status) {
  for (;;) {
    const pid_t r = waitpid(pid, status, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
}

bool SocketAccepts(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof(addr.sun_path)) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
  close(fd);
  return ok;
}

std::string TempBase() {
  const char* tmp = getenv("TMPDIR");
  // The socket path must fit in sockaddr_un (108 bytes) with "/XXXXXX/run/pulse/native".
  if (tmp && *tmp && std::strlen(tmp) < 60) return tmp;
  return "/tmp";
}

}  // namespace

std::string FindInPath(const std::string& program) {
  if (program.find('/') != std::string::npos)
    return access(program.c_str(), X_OK) == 0 ? program : std::string();
  const char* path = getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    const std::string candidate = dir + "/" + program;
    struct stat st{};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

PulseDaemon::~PulseDaemon() { Stop(); }

bool PulseDaemon::Start(std::string* error) {
  // Reports, then undoes whatever this start did.
  auto fail = [&](const std::string& message) {
    std::string text = "PulseDaemon: " + message;
    const std::string log = folder_.empty() ? std::string() : Log();
    if (!log.empty()) text += "\n--- pulseaudio output ---\n" + log;
    if (error) *error = text;
    Stop();
    return false;
  };
  if (pid_ > 0) {
    if (error) *error = "PulseDaemon: already started";
    return false;
  }
  const std::string exe = FindInPath("pulseaudio");
  if (exe.empty())
    return fail("the pulseaudio program is not installed (scripts/install-deps installs it)");

  std::string templ = TempBase() + "/zovalis-pulse-XXXXXX";
  if (!mkdtemp(templ.data())) return fail("mkdtemp: " + std::string(std::strerror(errno)));
  folder_ = templ;
  if (mkdir(RuntimeDir().c_str(), 0700) != 0 || mkdir(HomeDir().c_str(), 0700) != 0)
    return fail("mkdir: " + std::string(std::strerror(errno)));
  if (!WriteFile(folder_ + "/minimal.pa", kMinimalPa) ||
      !WriteFile(folder_ + "/client.conf", kClientConf))
    return fail("cannot write the configuration files in " + folder_);

  const std::string log_path = folder_ + "/daemon.log";
  const int log_fd = open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (log_fd < 0) return fail("cannot create " + log_path);
  // Running as root is accepted (with a warning) without --system. No real-time or
  // raised priority for a test server; no session bus (it would register there).
  std::vector<std::string> argv = {"pulseaudio",
                                   "-n",
                                   "-F",
                                   folder_ + "/minimal.pa",
                                   "--daemonize=no",
                                   "--exit-idle-time=-1",
                                   "--realtime=no",
                                   "--high-priority=no"};
  std::vector<std::string> env = MergeEnv(
      {"XDG_RUNTIME_DIR=" + RuntimeDir(), "HOME=" + HomeDir()},
      {"PULSE_SERVER", "PULSE_CLIENTCONFIG", "PULSE_COOKIE", "PULSE_RUNTIME_PATH",
       "PULSE_STATE_PATH", "DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY"});
  pid_ = Spawn(exe, std::move(argv), std::move(env), log_fd, /*die_with_parent=*/true);
  close(log_fd);
  if (pid_ < 0) return fail("fork: " + std::string(std::strerror(errno)));

  const auto deadline = Clock::now() + kReadyTimeout;
  for (;;) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return fail(WIFEXITED(status)
                      ? "pulseaudio exited during start-up with code " +
                            std::to_string(WEXITSTATUS(status))
                      : "pulseaudio died during start-up (signal " +
                            std::to_string(WTERMSIG(status)) + ")");
    }
    if (SocketAccepts(SocketPath())) break;
    if (Clock::now() >= deadline) return fail("no connection on " + SocketPath() + " after 10 s");
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

void PulseDaemon::Stop() {
  if (pid_ > 0) {
    int status = 0;
    kill(pid_, SIGTERM);
    if (!WaitUntil(pid_, Clock::now() + kStopTimeout, &status)) {
      kill(pid_, SIGKILL);
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
    }
    pid_ = -1;
  }
  if (!folder_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    folder_.clear();
  }
}

std::vector<std::string> PulseDaemon::ClientEnv() const {
  return {"PULSE_SERVER=" + ServerAddress(), "PULSE_CLIENTCONFIG=" + folder_ + "/client.conf",
          "HOME=" + HomeDir(), "XDG_RUNTIME_DIR=" + RuntimeDir()};
}

std::vector<std::string> PulseDaemon::ClientEnvironment() const {
  return MergeEnv(ClientEnv(), {"PULSE_COOKIE", "PULSE_RUNTIME_PATH"});
}

int PulseDaemon::RunClient(const std::vector<std::string>& argv, std::string* output,
                           int timeout_ms) const {
  if (output) output->clear();
  if (argv.empty()) return -1;
  const std::string exe = FindInPath(argv[0]);
  if (exe.empty()) {
    if (output) *output = argv[0] + ": not found in PATH";
    return -1;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  const pid_t pid = Spawn(exe, argv, ClientEnvironment(), fds[1], /*die_with_parent=*/true);
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return -1;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  bool timed_out = false;
  char buffer[4096];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      timed_out = true;
      break;
    }
    pollfd pfd{fds[0], POLLIN, 0};
    const int r = poll(&pfd, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) continue;  // timeout is caught at the top
    const ssize_t n = read(fds[0], buffer, sizeof(buffer));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // EOF: the client closed its output
    if (output) output->append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  if (timed_out || !WaitUntil(pid, deadline, &status)) {
    kill(pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string PulseDaemon::Log() const {
  std::ifstream in(folder_ + "/daemon.log", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace ztest
