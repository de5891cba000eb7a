#include "mediaprobe.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ztest {

namespace {

// Runs argv, feeding `input`, collecting stdout and stderr. Exit status or -1.
int Run(const std::vector<std::string>& argv, const std::string& input, std::string* out,
        std::string* err) {
  int in[2], o[2], e[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(o, O_CLOEXEC) || pipe2(e, O_CLOEXEC)) return -1;
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGPIPE, SIG_DFL);
    dup2(in[0], 0);
    dup2(o[1], 1);
    dup2(e[1], 2);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(o[1]);
  close(e[1]);
  // Feed and read without deadlock: the inputs here are small, the outputs too, but a
  // program may refuse its input early, so ignore write errors.
  signal(SIGPIPE, SIG_IGN);
  size_t done = 0;
  while (done < input.size()) {
    const ssize_t n = write(in[1], input.data() + done, input.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(in[1]);
  auto drain = [](int fd, std::string* to) {
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
      if (to) to->append(buf, static_cast<size_t>(n));
    close(fd);
  };
  drain(o[0], out);
  drain(e[0], err);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

MediaInfo Probe(const std::string& path) {
  MediaInfo info;
  std::string out;
  const int rc = Run({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
                      "stream=codec_name,sample_rate,channels,duration:stream_tags:format=duration:format_tags",
                      "-of", "flat=s=_", path},
                     "", &out, &info.raw);
  info.raw += out;
  if (rc != 0) return info;
  std::istringstream lines(out);
  std::string line;
  double streamDuration = 0;
  while (std::getline(lines, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (value.size() >= 2 && value.front() == '"') {
      // The flat writer escapes \ " ` and $ with a backslash inside its quotes.
      const std::string quoted = value.substr(1, value.size() - 2);
      value.clear();
      for (size_t i = 0; i < quoted.size(); ++i)
        value += quoted[i] == '\\' && i + 1 < quoted.size() ? quoted[++i] : quoted[i];
    }
    if (key == "streams_stream_0_codec_name") info.codec = value;
    else if (key == "streams_stream_0_sample_rate") info.sampleRate = atoi(value.c_str());
    else if (key == "streams_stream_0_channels") info.channels = atoi(value.c_str());
    else if (key == "streams_stream_0_duration") streamDuration = atof(value.c_str());
    else if (key == "format_duration") info.duration = atof(value.c_str());
    else if (key.rfind("format_tags_", 0) == 0 || key.rfind("streams_stream_0_tags_", 0) == 0) {
      // Ogg keeps its comments on the stream, the other formats on the file.
      std::string tag = key.substr(key.rfind("tags_", std::string::npos) + 5);
      std::transform(tag.begin(), tag.end(), tag.begin(), [](unsigned char c) { return std::tolower(c); });
      info.tags[tag] = value;
    }
  }
  if (info.duration <= 0) info.duration = streamDuration;
  info.ok = !info.codec.empty();
  return info;
}

int RunWithInput(const std::vector<std::string>& argv, const std::string& input, std::string* err) {
  return Run(argv, input, nullptr, err);
}

TempDir::TempDir() {
  char templ[] = "/tmp/zovalis-rec-XXXXXX";
  const char* made = mkdtemp(templ);
  path_ = made ? made : "/tmp";
}

TempDir::~TempDir() {
  std::error_code ec;
  if (path_ != "/tmp") std::filesystem::remove_all(path_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

}  // namespace ztest
