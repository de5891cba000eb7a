// Turns SIGTERM and SIGINT (desktop logout, Ctrl-C) into a Qt signal on the interface
// thread, so the program closes in order and saves its settings.
#pragma once

#include <QObject>

class QSocketNotifier;

class TSignalBridge : public QObject {
  Q_OBJECT
 public:
  // Installs the handlers; only one bridge may exist.
  explicit TSignalBridge(QObject* parent = nullptr);
  ~TSignalBridge() override;

 Q_SIGNALS:
  void TerminateRequested(int signal);

 private:
  void Drain();
  QSocketNotifier* notifier_ = nullptr;
};
