#include "app/signalbridge.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int pipeFds[2] = {-1, -1};

// Runs in signal context: only an async-signal-safe write of the signal number.
void OnSignal(int signal) {
  const unsigned char byte = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
}

}  // namespace

TSignalBridge::TSignalBridge(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeFds) != 0) return;
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TSignalBridge::Drain);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

TSignalBridge::~TSignalBridge() {
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGINT, SIG_DFL);
  if (pipeFds[0] >= 0) ::close(pipeFds[0]);
  if (pipeFds[1] >= 0) ::close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

void TSignalBridge::Drain() {
  unsigned char byte = 0;
  while (::read(pipeFds[0], &byte, 1) == 1) Q_EMIT TerminateRequested(byte);
}
