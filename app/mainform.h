// The main window: start-up, first showing, closing and the end of the program.
#pragma once

#include <QString>

#include "app/settings.h"
#include "playback/engine/engine.h"
#include "widgets/skinnedform.h"

class QLabel;
class QSystemTrayIcon;

class TMainForm : public TSkinnedForm {
  Q_OBJECT
 public:
  // Creation runs the start-up sequence (FormCreate). `output` is the sound output the
  // engine starts on: the desktop's sound server for the program, a null output in tests.
  explicit TMainForm(zengine::OutputKind output = zengine::OutputKind::Default);
  ~TMainForm() override;

  // How the start-up went. A failure of the engine ends the program before any window is
  // shown: the caller ends with StartupExitCode() after printing StartupError().
  bool StartupFailed() const { return startupExitCode_ != 0; }
  int StartupExitCode() const { return startupExitCode_; }
  QString StartupError() const { return startupError_; }

  // Engine error to the red status line, with a beep. Callable from any thread: from
  // another thread the message is queued to the interface thread, in call order.
  void ShowEngineError(int code);

  // The settings record and the live controls that hold settings until the save.
  TSettings Settings;
  TSettingsLive SettingsLive;

  // Application folders, each ending with "/".
  QString ExeFolder;
  QString DataFolder;
  QString TunerFolder;

  bool FirstShow = false;

  // Caption of the information menu's about item: "&A Propos de " + title + version.
  QString MenuAProposCaption;

  // The tray icon's hint, and a balloon with the information or error icon. Without a
  // notification area nothing is shown.
  void SetTrayHint(const QString& text);
  void ShowBalloon(const QString& title, const QString& text, bool error, int timeoutMs);
  QSystemTrayIcon* TrayIcon() const { return trayIcon_; }

  QLabel* NomAppli() const { return TitleLabel(); }
  QLabel* Statut() const { return statut_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void CloseBtnClick() override;

 private:
  void FormCreate();
  void FormShow();
  void FormClose();
  void FormDestroy();

  // Start-up steps that the playback display, the analyser and the volume slider join.
  void InitRadioButton();
  void CreateSpectrum();
  void ApplyVolume(int volume);
  // First-show auto-play of the last station; the station browser joins it.
  void AutoPlayLastStation();
  // Writes the local tuner's catalogue at close; the catalogue joins it.
  void SaveLocalCatalogue();

  void FailStartup(int exitCode, const QString& message);

  zengine::OutputKind output_;
  QLabel* statut_ = nullptr;
  QSystemTrayIcon* trayIcon_ = nullptr;
  bool engineStarted_ = false;
  bool closed_ = false;
  int startupExitCode_ = 0;
  QString startupError_;
};
