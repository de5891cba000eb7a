// The engine against a real PulseAudio server started by each test (see
// support/pulsedaemon.h), and without any server.
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>

#include <gtest/gtest.h>

#include "eventually.h"
#include "playback/engine/engine.h"
#include "playback/engine/enginemix.h"
#include "scopedenv.h"
#include "support/pulsedaemon.h"
#include "testsource.h"

namespace {

using namespace std::chrono_literals;
using ztest::Eventually;
using ztest::PulseDaemon;
using ztest::ScopedEnv;

// A private temporary folder, removed at the end of the scope.
class TempDir {
 public:
  TempDir() {
    std::string templ = "/tmp/zovalis-engine-XXXXXX";
    if (mkdtemp(templ.data())) path_ = templ;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string Pactl(const PulseDaemon& daemon, const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"pactl"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string out;
  const int status = daemon.RunClient(argv, &out);
  EXPECT_EQ(status, 0) << out;
  return out;
}

bool ProgramConnected(const PulseDaemon& daemon) {
  return Pactl(daemon, {"list", "clients"}).find("application.name = \"Zovalis\"") !=
         std::string::npos;
}

// "yes"/"no" for the program's one playback stream, "" when it has none.
std::string StreamCorked(const PulseDaemon& daemon) {
  const std::string text = Pactl(daemon, {"list", "sink-inputs"});
  std::istringstream in(text);
  std::string block_corked, corked;
  // Each "Sink Input #" block gives "Corked:" before its properties.
  for (std::string l; std::getline(in, l);) {
    if (l.find("Corked: ") != std::string::npos) block_corked = l.substr(l.find("Corked: ") + 8);
    if (l.find("application.name = \"Zovalis\"") != std::string::npos) corked = block_corked;
  }
  return corked;
}

// PIDs of pulseaudio processes whose environment names `runtime_dir`: a daemon that
// a client spawned on its own would run with the client's XDG_RUNTIME_DIR.
std::vector<pid_t> DaemonsUsing(const std::string& runtime_dir) {
  std::vector<pid_t> pids;
  const std::string wanted = "XDG_RUNTIME_DIR=" + runtime_dir;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream comm(entry.path() / "comm");
    std::string command;
    std::getline(comm, command);
    if (command != "pulseaudio") continue;
    std::ifstream environ_file(entry.path() / "environ", std::ios::binary);
    for (std::string var; std::getline(environ_file, var, '\0');)
      if (var == wanted) pids.push_back(static_cast<pid_t>(std::stoi(name)));
  }
  return pids;
}

class PulseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(daemon_.Start(&error)) << error;
    env_ = std::make_unique<ScopedEnv>(daemon_.ClientEnv());
  }
  void TearDown() override {
    if (zengine::IsInitialised()) zengine::Free();
  }

  PulseDaemon daemon_;  // destroyed last: stops the daemon, removes its folder
  std::unique_ptr<ScopedEnv> env_;
};

TEST_F(PulseTest, DaemonServesClients) {
  EXPECT_GT(daemon_.Pid(), 0);
  EXPECT_EQ(daemon_.ServerAddress(), "unix:" + daemon_.RuntimeDir() + "/pulse/native");
  const std::string info = Pactl(daemon_, {"info"});
  EXPECT_NE(info.find("Default Sink: rec"), std::string::npos) << info;
  const std::string folder = daemon_.Folder();
  const pid_t pid = daemon_.Pid();
  daemon_.Stop();
  EXPECT_FALSE(daemon_.Running());
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_NE(kill(pid, 0), 0);  // reaped, so gone (barring a reused PID)
}

TEST_F(PulseTest, InitConnectsAndFreeDisconnects) {
  for (auto kind : {zengine::OutputKind::Default, zengine::OutputKind::Pulse}) {
    ASSERT_TRUE(zengine::Init(-1, 44100, kind)) << zengine::ErrorGetCode();
    EXPECT_EQ(zengine::OutputName(), "pulse");
    EXPECT_TRUE(ProgramConnected(daemon_));
    // Nothing plays yet: the stream exists but sends nothing.
    EXPECT_EQ(StreamCorked(daemon_), "yes");
    ASSERT_TRUE(zengine::Free());
    EXPECT_TRUE(Eventually([&] { return !ProgramConnected(daemon_); }));
  }
}

TEST_F(PulseTest, FirstSourceUncorksAndIsPulledLastOneCorks) {
  ASSERT_TRUE(zengine::Init(-1, 44100, zengine::OutputKind::Default));
  auto source = std::make_shared<ztest::TestSource>(0.1f);
  ASSERT_TRUE(zengine::AttachSource(source));
  EXPECT_TRUE(Eventually([&] { return source->Frames() >= 44100 / 5; }));
  EXPECT_EQ(StreamCorked(daemon_), "no");
  // Playing: some audio is queued, less than a second of it.
  EXPECT_TRUE(Eventually([] { return zengine::OutputQueuedFrames() > 0; }));
  EXPECT_LT(zengine::OutputQueuedFrames(), 44100u);

  zengine::DetachSource(source.get());
  EXPECT_TRUE(Eventually([&] { return StreamCorked(daemon_) == "yes"; }));
  EXPECT_EQ(source.use_count(), 1);
}

// The server going away while a station plays must not hang or crash the program.
TEST_F(PulseTest, ServerExitWhilePlaying) {
  ASSERT_TRUE(zengine::Init(-1, 44100, zengine::OutputKind::Default));
  auto source = std::make_shared<ztest::TestSource>(0.1f);
  ASSERT_TRUE(zengine::AttachSource(source));
  ASSERT_TRUE(Eventually([&] { return source->Calls() > 0; }));
  daemon_.Stop();
  zengine::DetachSource(source.get());
  EXPECT_EQ(zengine::OutputQueuedFrames(), 0u);
  EXPECT_TRUE(zengine::Free());
  // With the server gone a new start reports the missing driver.
  EXPECT_FALSE(zengine::Init(-1, 44100, zengine::OutputKind::Default));
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrDriver);
}

// ---- No server ----

enum class NoServer { MissingSocket, StoppedDaemon, NothingConfigured };

const char* NameOf(NoServer c) {
  switch (c) {
    case NoServer::MissingSocket: return "MissingSocket";
    case NoServer::StoppedDaemon: return "StoppedDaemon";
    case NoServer::NothingConfigured: return "NothingConfigured";
  }
  return "";
}
void PrintTo(NoServer c, std::ostream* os) { *os << NameOf(c); }

class NoServerTest : public ::testing::TestWithParam<NoServer> {
 protected:
  void TearDown() override {
    if (zengine::IsInitialised()) zengine::Free();
  }
};

TEST_P(NoServerTest, InitFailsWithDriverErrorAndSpawnsNothing) {
  TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string run = dir.Path() + "/run";
  const std::string home = dir.Path() + "/home";
  ASSERT_EQ(mkdir(run.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(home.c_str(), 0700), 0);

  std::string server;
  switch (GetParam()) {
    case NoServer::MissingSocket:
      server = "PULSE_SERVER=unix:" + dir.Path() + "/nothing/native";
      break;
    case NoServer::StoppedDaemon: {
      PulseDaemon stopped;
      std::string error;
      ASSERT_TRUE(stopped.Start(&error)) << error;
      server = "PULSE_SERVER=" + stopped.ServerAddress();
      break;  // the daemon stops here
    }
    case NoServer::NothingConfigured:
      // The client looks in its runtime folder, where nothing runs; a client
      // allowed to autospawn would start a daemon there (libpulse never does so
      // for root, so this row bites on non-root machines only).
      if (std::filesystem::exists("/run/pulse/native") ||
          std::filesystem::exists("/var/run/pulse/native"))
        GTEST_SKIP() << "a system-wide PulseAudio server runs on this machine";
      server = "PULSE_SERVER";
      break;
  }
  ScopedEnv env({server, "PULSE_CLIENTCONFIG", "PULSE_COOKIE", "DISPLAY",
                 "XDG_RUNTIME_DIR=" + run, "HOME=" + home});

  EXPECT_FALSE(zengine::Init(-1, 44100, zengine::OutputKind::Default));
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrDriver);
  EXPECT_FALSE(zengine::IsInitialised());
  EXPECT_FALSE(std::filesystem::exists(run + "/pulse/native"));
  const std::vector<pid_t> spawned = DaemonsUsing(run);
  for (pid_t pid : spawned) kill(pid, SIGKILL);
  EXPECT_TRUE(spawned.empty()) << "a pulseaudio daemon was spawned";
  // The engine stays usable.
  EXPECT_TRUE(zengine::Init(-1, 44100, zengine::OutputKind::Null));
}

INSTANTIATE_TEST_SUITE_P(Engine, NoServerTest,
                         ::testing::Values(NoServer::MissingSocket, NoServer::StoppedDaemon,
                                           NoServer::NothingConfigured),
                         [](const auto& info) { return std::string(NameOf(info.param)); });

// A server that accepts the connection but never answers: Init gives up after its
// few seconds instead of freezing the program's start.
TEST(NoServer, SilentServerTimesOut) {
  TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string path = dir.Path() + "/native";
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, path.c_str(), sizeof(addr.sun_path) - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
  ASSERT_EQ(listen(fd, 4), 0);
  {
    ScopedEnv env({"PULSE_SERVER=unix:" + path, "HOME=" + dir.Path()});
    EXPECT_FALSE(zengine::Init(-1, 44100, zengine::OutputKind::Default));
    EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrDriver);
  }
  close(fd);
  EXPECT_FALSE(zengine::IsInitialised());
}

}  // namespace
