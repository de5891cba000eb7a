// EncoderProcess: an encoder program started with its standard input on a pipe.
//
// The program runs with the default signal dispositions and an empty signal mask (our
// ignored SIGPIPE is not passed on), its standard output and error on /dev/null, and no
// other descriptor of ours (every descriptor the engine opens is close-on-exec).
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "playback/engine/record/encodersink.h"

namespace zengine {

class EncoderProcess : public EncoderSink {
 public:
  // Starts argv[0] (a path; no PATH search) with `argv`. nullptr with the engine's last
  // error set (kErrFileOpen: not an executable file or could not start). Any thread.
  static std::unique_ptr<EncoderProcess> Start(const std::vector<std::string>& argv);

  ~EncoderProcess() override;

  bool Write(const uint8_t* data, size_t size, const StopDeadline& stop) override;
  void Finish(Deadline deadline) override;
  bool Alive() override;

  pid_t Pid() const { return pid_; }

 private:
  EncoderProcess(pid_t pid, int fd) : pid_(pid), fd_(fd) {}
  // Reaps the child if it has ended; true when it has. Caller holds mutex_.
  bool ReapedLocked();
  void CloseInputLocked();

  std::mutex mutex_;  // guards fd_ closing and the reaping against Alive
  const pid_t pid_;
  int fd_;            // write end of the program's standard input; -1 once closed
  bool reaped_ = false;
  bool broken_ = false;  // a write failed: the program no longer reads
};

}  // namespace zengine
