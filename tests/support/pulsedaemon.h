// PulseDaemon: a private PulseAudio server for one test, with a null sink "rec".
//
// Everything lives in a fresh temporary folder T: the daemon runs with
// XDG_RUNTIME_DIR=T/run and HOME=T/home (set in its environment only), loads
// T/minimal.pa (native protocol on T/run/pulse/native, null sink "rec" at 44100 Hz
// stereo as the default sink) and never exits on idle. Clients reach it with the
// variables of ClientEnv(); the client configuration there forbids autospawn, so a
// client never starts a server of its own by accident.
//
// Stop() (also run by the destructor) ends the daemon by PID and removes T. If the
// test process dies first, the daemon gets SIGTERM (parent-death signal of the
// thread that called Start, so call Start from a thread that outlives the daemon).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace ztest {

class PulseDaemon {
 public:
  PulseDaemon() = default;
  ~PulseDaemon();
  PulseDaemon(const PulseDaemon&) = delete;
  PulseDaemon& operator=(const PulseDaemon&) = delete;

  // Starts the daemon and waits (at most 10 s) until its socket accepts connections.
  // On failure (pulseaudio not installed, daemon exited, no socket) returns false,
  // sets *error (may be null) to a message including the daemon's output, and
  // leaves nothing behind.
  bool Start(std::string* error);

  // Ends the daemon (SIGTERM, SIGKILL after 5 s), reaps it, removes the folder.
  // Safe to call twice or without Start.
  void Stop();

  bool Running() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

  std::string Folder() const { return folder_; }                  // T
  std::string RuntimeDir() const { return folder_ + "/run"; }     // its XDG_RUNTIME_DIR
  std::string HomeDir() const { return folder_ + "/home"; }       // its HOME
  std::string SocketPath() const { return RuntimeDir() + "/pulse/native"; }
  std::string ServerAddress() const { return "unix:" + SocketPath(); }  // for PULSE_SERVER

  // NAME=value entries that make a client talk to this daemon only: PULSE_SERVER,
  // PULSE_CLIENTCONFIG (autospawn off), HOME and XDG_RUNTIME_DIR.
  std::vector<std::string> ClientEnv() const;

  // The calling process's environment with ClientEnv() applied on top, ready for
  // execve or a process launcher.
  std::vector<std::string> ClientEnvironment() const;

  // Runs a client program (looked up in PATH: "pactl", "parec"...) with
  // ClientEnvironment(), stdin from /dev/null, stdout and stderr into *output (may
  // be null). Kills it after timeout_ms. Returns its exit status, or -1 when it could
  // not run, was killed or timed out.
  int RunClient(const std::vector<std::string>& argv, std::string* output,
                int timeout_ms = 10000) const;

  // What the daemon printed so far (its log file), for failure messages.
  std::string Log() const;

 private:
  std::string folder_;
  pid_t pid_ = -1;
};

// Full path of `program` found in PATH, or empty.
std::string FindInPath(const std::string& program);

}  // namespace ztest
