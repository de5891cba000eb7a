// A helper program a test starts (a server, a proxy), ended by PID when the object goes,
// and a tinyproxy on 127.0.0.1 with basic authentication.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace ztest {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Runs `argv`, its output and errors to the file `log`.
  bool Start(const std::vector<std::string>& argv, const std::string& log) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, 1);
      dup2(out, 2);
      execvp(args[0], args.data());
      _exit(127);
    }
    return pid_ > 0;
  }
  ~ChildProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100 && waitpid(pid_, nullptr, WNOHANG) != pid_; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

 private:
  pid_t pid_ = -1;
};

// Starts tinyproxy on 127.0.0.1:`port`, asking the user "zova" and the password "s3cret",
// its files in `folder`; `logLevel` "Info" logs every request. The caller waits until
// the proxy answers.
inline bool StartTinyproxy(ChildProcess& proxy, const std::string& folder, int port,
                           const std::string& logLevel = "Error") {
  const std::string cfg = folder + "/tinyproxy.conf";
  {
    std::ofstream out(cfg);
    out << "Port " << port << "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\n"
        << "BasicAuth zova s3cret\nPidFile \"" << folder << "/tinyproxy.pid\"\n"
        << "LogLevel " << logLevel << "\nMaxClients 20\n";
  }
  return proxy.Start({"tinyproxy", "-d", "-c", cfg}, folder + "/tinyproxy.log");
}

}  // namespace ztest
