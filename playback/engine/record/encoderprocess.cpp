#include "playback/engine/record/encoderprocess.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"

extern char** environ;

namespace zengine {

std::unique_ptr<EncoderProcess> EncoderProcess::Start(const std::vector<std::string>& argv) {
  if (argv.empty() || access(argv[0].c_str(), X_OK) != 0) {
    SetLastError(kErrFileOpen);
    return nullptr;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    SetLastError(kErrFileOpen);
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, argv[0].c_str(), &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(fds[0]);
  if (rc != 0) {
    close(fds[1]);
    SetLastError(kErrFileOpen);
    return nullptr;
  }
  // Non-blocking, so a program that stops reading cannot hold the writer past its
  // deadline.
  fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
  return std::unique_ptr<EncoderProcess>(new EncoderProcess(pid, fds[1]));
}

EncoderProcess::~EncoderProcess() {
  // Finish normally ran; this only covers a sink dropped without it.
  std::lock_guard<std::mutex> lock(mutex_);
  CloseInputLocked();
  if (!ReapedLocked()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    reaped_ = true;
  }
}

bool EncoderProcess::ReapedLocked() {
  if (reaped_) return true;
  int status = 0;
  const pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == pid_ || (r < 0 && errno == ECHILD)) reaped_ = true;
  return reaped_;
}

void EncoderProcess::CloseInputLocked() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

// Writer thread.
bool EncoderProcess::Write(const uint8_t* data, size_t size, const StopDeadline& stop) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd_, data + done, size - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      // The program is busy: wait for room, looking at the stop deadline meanwhile.
      if (stop.Passed()) return false;
      pollfd p{fd_, POLLOUT, 0};
      poll(&p, 1, 50);
      continue;
    }
    // EPIPE (SIGPIPE is blocked on this thread and ignored by the engine) or another
    // error: the program has closed its input or died.
    std::lock_guard<std::mutex> lock(mutex_);
    broken_ = true;
    return false;
  }
  return true;
}

// Writer thread.
void EncoderProcess::Finish(Deadline deadline) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    CloseInputLocked();  // end of input: the program completes its file and exits
  }
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (ReapedLocked()) return;
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  reaped_ = true;
}

// Any thread.
bool EncoderProcess::Alive() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (broken_ || fd_ < 0 || ReapedLocked()) return false;
  // A program that closed its standard input but still runs no longer accepts data:
  // the write end of the pipe reports an error at once.
  pollfd p{fd_, POLLOUT, 0};
  if (poll(&p, 1, 0) > 0 && (p.revents & (POLLERR | POLLHUP))) {
    broken_ = true;
    return false;
  }
  return true;
}

}  // namespace zengine
