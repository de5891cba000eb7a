#include "support/icecast.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace ztest {

namespace {

using namespace std::chrono_literals;

std::string RandomWord() {
  std::random_device rd;
  std::string s;
  for (int i = 0; i < 12; ++i) s += static_cast<char>('a' + rd() % 26);
  return s;
}

// Waits for a child for at most `limit`; SIGKILL after. Reaps it.
void EndChild(pid_t pid, std::chrono::milliseconds limit) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(20ms);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

Icecast::~Icecast() { Stop(); }

int Icecast::FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof(addr);
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  close(fd);
  return port;
}

pid_t Icecast::Spawn(const std::vector<std::string>& argv, const std::string& logFile) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const int out = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
    }
    execvp(args[0], args.data());
    _exit(127);
  }
  if (out >= 0) close(out);
  return pid;
}

int Icecast::RunProgram(const std::vector<std::string>& argv, std::string* output,
                        int timeout_ms) {
  char path[] = "/tmp/zovalis-run-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return -1;
  close(fd);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(path, O_WRONLY | O_TRUNC);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = -1;
  bool done = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (pid > 0 && std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid, &status, WNOHANG) == pid) {
      done = true;
      break;
    }
    std::this_thread::sleep_for(10ms);
  }
  if (pid > 0 && !done) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  if (output) *output = ReadFile(path);
  unlink(path);
  return done && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Icecast::Start(std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why + "\n" + Log();
    Stop();
    return false;
  };
  char pattern[] = "/tmp/zovalis-icecast-XXXXXX";
  if (!mkdtemp(pattern)) return fail("mkdtemp failed");
  folder_ = pattern;
  // The server may run as nobody: it must read the folder and write its logs.
  chmod(folder_.c_str(), 0755);
  const std::string logDir = folder_ + "/log";
  mkdir(logDir.c_str(), 0777);
  chmod(logDir.c_str(), 0777);
  sourcePassword_ = RandomWord();
  adminPassword_ = RandomWord();
  // The server's location, which its status page shows: tells this server's answer from
  // that of another test's server that took the port first.
  const std::string location = RandomWord();
  // The port is free when chosen but another test may take it before the server binds
  // it: a server that ends at once is started again on another port.
  for (int attempt = 0;; ++attempt) {
    port_ = FreePort();
    if (port_ == 0) return fail("no free port");
    const std::string config = folder_ + "/icecast.xml";
    {
      std::ofstream xml(config);
      xml << "<icecast>\n"
          << " <location>" << location << "</location><admin>test@localhost</admin>\n"
          << " <limits><clients>50</clients><sources>10</sources><queue-size>524288</queue-size>"
          << "<client-timeout>30</client-timeout><header-timeout>15</header-timeout>"
          << "<source-timeout>10</source-timeout><burst-on-connect>1</burst-on-connect>"
          << "<burst-size>65535</burst-size></limits>\n"
          << " <authentication><source-password>" << sourcePassword_ << "</source-password>"
          << "<relay-password>" << sourcePassword_ << "</relay-password>"
          << "<admin-user>admin</admin-user><admin-password>" << adminPassword_
          << "</admin-password></authentication>\n"
          << " <hostname>127.0.0.1</hostname>\n"
          << " <listen-socket><port>" << port_ << "</port><bind-address>127.0.0.1</bind-address>"
          << "</listen-socket>\n"
          << " <fileserve>1</fileserve>\n"
          << " <paths><basedir>/usr/share/icecast2</basedir><logdir>" << logDir << "</logdir>"
          << "<webroot>/usr/share/icecast2/web</webroot><adminroot>/usr/share/icecast2/admin"
          << "</adminroot></paths>\n"
          << " <logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog>"
          << "<loglevel>3</loglevel></logging>\n"
          << " <security><chroot>0</chroot></security>\n"
          << "</icecast>\n";
    }
    chmod(config.c_str(), 0644);
    std::vector<std::string> argv = {"icecast2", "-c", config};
    if (geteuid() == 0)
      argv.insert(argv.begin(), {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
    server_ = Spawn(argv, folder_ + "/server.out");
    if (server_ <= 0) return fail("could not start icecast2");
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    bool taken = false;
    while (std::chrono::steady_clock::now() < deadline) {
      if (waitpid(server_, nullptr, WNOHANG) == server_) {
        server_ = -1;
        if (attempt < 2) break;
        return fail("icecast2 exited: " + ReadFile(folder_ + "/server.out"));
      }
      std::string body;
      if (RunProgram({"curl", "-s", "-f", "-m", "2", Url("/status-json.xsl")}, &body, 3000) == 0) {
        // A server shows its location once its statistics are up (not in its first
        // answers); another location is another server's, which took the port first.
        if (body.find("\"location\":\"" + location + "\"") != std::string::npos) return true;
        if (body.find("\"location\":") != std::string::npos) {
          taken = true;
          break;
        }
      }
      std::this_thread::sleep_for(50ms);
    }
    if (taken) {
      EndChild(server_, 5000ms);
      server_ = -1;
      if (attempt < 2) continue;
      return fail("another server holds every port tried");
    }
    if (server_ > 0) break;  // it ran but did not answer
  }
  return fail("icecast2 did not answer in 10 s");
}

bool Icecast::MountListed(const std::string& mount) {
  std::string body;
  if (RunProgram({"curl", "-s", "-f", "-m", "2", Url("/status-json.xsl")}, &body, 3000) != 0)
    return false;
  return body.find("\"listenurl\":\"" + Url(mount) + "\"") != std::string::npos;
}

bool Icecast::AddSource(const Source& source, std::string* error, const std::string& artist,
                        const std::string& title, const std::string& web) {
  if (server_ <= 0) {
    if (error) *error = "server not started";
    return false;
  }
  std::vector<std::string> argv = {
      "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
      "sine=frequency=" + std::to_string(source.frequency) + ":sample_rate=44100", "-ac", "2"};
  const std::string rate = std::to_string(source.bitrateKbps) + "k";
  switch (source.codec) {
    case Codec::Mp3:
      argv.insert(argv.end(), {"-c:a", "libmp3lame", "-b:a", rate, "-content_type", "audio/mpeg",
                               "-f", "mp3"});
      break;
    case Codec::Aac:
      argv.insert(argv.end(),
                  {"-c:a", "aac", "-b:a", rate, "-content_type", "audio/aac", "-f", "adts"});
      break;
    case Codec::Ogg:
      argv.insert(argv.end(), {"-c:a", "libvorbis", "-b:a", rate, "-content_type",
                               "application/ogg", "-f", "ogg"});
      break;
    case Codec::OggOpus:
      argv.insert(argv.end(), {"-ar", "48000", "-c:a", "libopus", "-b:a", rate, "-content_type",
                               "audio/ogg", "-f", "ogg"});
      break;
    case Codec::OggFlac:
      argv.insert(argv.end(), {"-c:a", "flac", "-content_type", "audio/ogg", "-f", "ogg"});
      break;
  }
  if (!artist.empty()) argv.insert(argv.end(), {"-metadata", "artist=" + artist});
  if (!title.empty()) argv.insert(argv.end(), {"-metadata", "title=" + title});
  if (!web.empty()) argv.insert(argv.end(), {"-ice_url", web});
  argv.insert(argv.end(), {"-ice_name", source.name, "-ice_genre", source.genre,
                           "icecast://source:" + sourcePassword_ + "@127.0.0.1:" +
                               std::to_string(port_) + source.mount});
  const pid_t pid = Spawn(argv, folder_ + "/source.out");
  if (pid <= 0) {
    if (error) *error = "could not start ffmpeg";
    return false;
  }
  sources_.push_back(pid);
  const auto deadline = std::chrono::steady_clock::now() + 15s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (MountListed(source.mount)) return true;
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      sources_.pop_back();
      if (error) *error = "ffmpeg source exited: " + ReadFile(folder_ + "/source.out");
      return false;
    }
    std::this_thread::sleep_for(50ms);
  }
  if (error) *error = "mount " + source.mount + " not listed after 15 s\n" + Log();
  return false;
}

bool Icecast::SetTitle(const std::string& mount, const std::string& title, std::string* error,
                       const std::string& charset) {
  std::vector<std::string> argv = {"curl", "-s", "-f", "-m", "5", "-u", "admin:" + adminPassword_,
                                   "-G", Url("/admin/metadata"), "--data-urlencode",
                                   "mount=" + mount, "--data-urlencode", "mode=updinfo",
                                   "--data-urlencode", "song=" + title};
  if (!charset.empty()) argv.insert(argv.end(), {"--data-urlencode", "charset=" + charset});
  std::string out;
  if (RunProgram(argv, &out, 6000) == 0) return true;
  if (error) *error = "admin metadata request failed: " + out;
  return false;
}

void Icecast::StopSources() {
  for (pid_t pid : sources_) EndChild(pid, 3000ms);
  sources_.clear();
}

void Icecast::Stop() {
  for (pid_t pid : sources_) EndChild(pid, 3000ms);
  sources_.clear();
  if (server_ > 0) EndChild(server_, 5000ms);
  server_ = -1;
  if (!folder_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
    folder_.clear();
  }
}

std::string Icecast::Url(const std::string& mount) const {
  return "http://127.0.0.1:" + std::to_string(port_) + mount;
}

std::string Icecast::Log() const {
  return folder_.empty() ? std::string() : ReadFile(folder_ + "/log/error.log");
}

}  // namespace ztest
