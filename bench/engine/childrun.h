// ChildRun: runs a program to its end and measures it from outside: wall time, CPU
// time and peak resident memory (wait4's rusage), as a benchmark compares programs.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace zbench {

struct RunResult {
  bool ok = false;        // it ran and exited with status 0
  double wallSeconds = 0;
  double cpuSeconds = 0;  // user + system
  double maxRssMb = 0;
};

inline RunResult RunMeasured(const std::vector<std::string>& argv) {
  RunResult r;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (pid < 0) return r;
  int status = 0;
  rusage usage = {};
  if (wait4(pid, &status, 0, &usage) != pid) return r;
  r.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  r.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                 usage.ru_stime.tv_usec / 1e6;
  r.maxRssMb = usage.ru_maxrss / 1024.0;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return r;
}

inline bool HaveProgram(const std::string& name) {
  return RunMeasured({"sh", "-c", "command -v " + name}).ok;
}

}  // namespace zbench
