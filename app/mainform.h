// The main window: start-up, the face with its station display and commands, the menus,
// the tray icon, favourites, first showing, closing and the end of the program. Station
// playback itself is the station player's (playback/stationplayer.h); this window shows
// what it reports.
#pragma once

#include <QMenu>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "app/desktopnotify.h"
#include "app/mainface.h"
#include "common/appcontext.h"
#include "common/favourites.h"
#include "common/settings.h"
#include "playback/engine/engine.h"
#include "playback/stationplayer.h"
#include "recording/recorder.h"
#include "recording/recordpage.h"
#include "widgets/skinnedform.h"
#include "widgets/spectrum.h"
#include "widgets/spectrumbands.h"
#include "windows/configform.h"

class QLabel;
class QSystemTrayIcon;
class TCatalogue;
class TFormListeRadio;
class TFormListeFile;
class TFilePlayer;
class TInfoForm;
class TOpenAddressForm;

// What the main window is given by the program object: the state it shows and drives.
struct TMainFormParts {
  TAppContext* App = nullptr;
  TStationPlayer* Player = nullptr;
  TRecorder* Recorder = nullptr;
  TRecordPage* RecordPage = nullptr;
  TFavourites* Favourites = nullptr;
};

// The other windows as the main window reaches them, handed over by the program object.
// The configuration and information windows are made on first use (`create`).
struct TMainFormWindows {
  std::function<TConfigForm*(bool create)> Config;
  std::function<TInfoForm*(bool create)> Info;
  std::function<std::vector<QWidget*>()> All;  // every window made so far
};

class TMainForm : public TSkinnedForm, public TConfigHost {
  Q_OBJECT
 public:
  // The status line: silver progress text, or a red error with a beep.
  void SetStatus(const QString& text, bool error);
  // Creation runs the window's start-up (FormCreate): title, position, tray, menus, the
  // player's and recorder's display, the analyser and the volume. The settings, folders
  // and engine are ready before (the program object's start).
  explicit TMainForm(const TMainFormParts& parts);
  ~TMainForm() override;

  TMainFormWindows Windows;

  // Engine error to the red status line, with a beep. Callable from any thread: from
  // another thread the message is queued to the interface thread, in call order.
  void ShowEngineError(int code);

  // Joins the catalogue and its browser once they exist: the station player reads the
  // tables, Previous and Next follow the browser's filter.
  void AttachCatalogue(TCatalogue& catalogue, TFormListeRadio* browser);

  // Local playback (app/mainformfiles.cpp): joins the playlist window and the file player
  // over its rows, which the file side of Play/Pause, Previous, Next and the progress bar
  // then drive.
  void AttachPlaylist(TFormListeFile* playlist, TFilePlayer* filePlayer);
  TFilePlayer* FilePlayer() const { return filePlayer_; }

  // The program's settings record: the window writes its position and volume into it.
  TSettings& Settings;

  // The program's folders, each ending with "/".
  QString& ExeFolder;
  QString& DataFolder;
  QString& TunerFolder;

  bool FirstShow = false;

  // Caption of the information menu's about item: "&A Propos de " + title + version.
  QString MenuAProposCaption;

  TStationPlayer* Player() const { return player_; }
  TSpectrum* Spectrum() override { return spectrum_.get(); }
  QWidget* MainWindow() override { return this; }
  const TMainFace& Face() const { return face_; }
  QLabel* NomAppli() const { return TitleLabel(); }
  QLabel* Statut() const { return statut_; }

  // The tray icon's hint, and a balloon with the information or error icon. Without a
  // notification area the balloon goes to the desktop's notification service.
  void SetTrayHint(const QString& text);
  void ShowBalloon(const QString& title, const QString& text, bool error, int timeoutMs);
  // The title balloons' switch (tray menu and configuration page): the setting, the tray
  // menu's caption, and BalloonSwitchChanged for the page's box.
  void SetBalloonSwitch(bool on) override;
  QSystemTrayIcon* TrayIcon() const { return trayIcon_; }
  // Whether the tray icon is shown in a notification area (tests stand in for one).
  std::function<bool()> TrayShown;

  // Menus, by the names the handlers use.
  QMenu* PopupRadioMenu() const { return popupRadioMenu_; }
  QMenu* PopupOpenMenu() const { return popupOpenMenu_; }
  QMenu* PopupSetupMenu() const { return popupSetupMenu_; }
  QMenu* PopupInfoMenu() const { return popupInfoMenu_; }
  QMenu* PopupFavorisMenu() const { return popupFavorisMenu_; }
  QMenu* SystrayPopupMenu() const { return systrayPopupMenu_; }
  // The menu the last drop-down press opened (tests), and where.
  QMenu* LastPoppedMenu() const { return lastPopped_; }
  QPoint LastPopupPoint() const { return lastPopupPoint_; }
  // Pop-up menus open with exec() for users; tests turn that off to inspect them.
  void SetMenusModal(bool modal) { menusModal_ = modal; }

  // Favourites (the program's list).
  TFavourites& Favourites;
  void BuildFavouritesMenu();
  void PlayFavourite(const QString& name) override;
  void MenuAjouterFavorisClick();
  // The configuration page's list follows the menu's; the page's removals come back.
  void CopyFavouritesToConfig();
  void FavouritesEdited(const QStringList& names) override;
  // Gives the information window the now-playing lists (when it exists).
  void SyncInfoForm();

  // Handlers of the face.
  void PlayBtnClick();
  void StopBtnClick();
  void PrevBtnClick();
  void NextBtnClick();
  void SpeakerBtnClick();
  void VolumeBarChange();
  void MinBtnClick();
  void Restore();
  bool Muted() const { return muted_; }

  // Recording: the record button, the recording folder's menu entry, the recording
  // page's live state (the configuration window lays it out), and the finished files.
  TRecordPage& RecordPage;
  TRecorder* Recorder() const { return recorder_; }
  void RecordBtnClick();
  // "Enregistrer ce titre" (the record button's menu, the information window,
  // Ctrl+Shift+R): the song playing, from its first sample to its end.
  void RecordTitleClick();
  QMenu* PopupRecordMenu() const { return popupRecordMenu_; }
  void MenuExplorerRecordDirClick();
  // Every finished recording comes here, once, in order.
  void RecordingFinished(const QString& path);
  const QStringList& RecordedFiles() const { return recordedFiles_; }
  // Planned recordings (app/planrunner.h): while set, the plan's format and cut replace the
  // page's in every request (the start and each cut by title); RecordPlanned starts a
  // recording of what plays, as the record button does.
  std::function<void(TRecordRequest&)> PlanRequest;
  void RecordPlanned() { StartRecording(); }

  // Opening by address (app/mainformopen.cpp): the "Ouvrir une adresse ..." dialog (menu
  // and Ctrl+L), a station played from its address, added to the local tuner with what
  // its stream announced once it has connected, and the items of a command line or a
  // drop (app/openrequest.h) played or handed to the playlist window. Texts that are
  // none of these are named in red on the status line.
  void OpenAddressClick();
  void PlayAddress(const TStationRecord& station);
  void AddAddressToLocalTuner(const TStationRecord& station);
  void OpenItems(const QStringList& items, const QString& folder);
  // Items of the command line, opened at the first showing instead of the last station.
  void OpenAtStart(const QStringList& items, const QString& folder);
  // The clipboard text the dialog starts from (the desktop's clipboard; tests replace it).
  std::function<QString()> ClipboardText;
  // Runs the dialog; tests replace it to drive the dialog themselves.
  std::function<void(TOpenAddressForm* dialog)> RunOpenAddress;

  // Windows of other parts, shown on a page or toggled, each through one place.
  void ShowConfigPage(const QString& page);
  void ShowInfoPage(const QString& page);
  void ToggleWindow(QWidget* window);

 Q_SIGNALS:
  void BalloonSwitchChanged(bool on);

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void CloseBtnClick() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  void FormClose();
  void FormDestroy();

  void BuildMenus();
  void BuildKeys();
  void BuildTray();
  // The volume moved by `steps` of 5 (keys and the mouse wheel).
  void StepVolume(int steps);
  void ConnectPlayer();
  void DropDown(TSimpleBtn* button, QMenu* menu, QMouseEvent* event, const std::function<void()>& shortPress);
  void InitRadioButton();
  void CreateSpectrum();
  void SpectrumTimerTimer();
  // Back to the analyser's full pace at once (a station or a file starts).
  void WakeSpectrum();
  void ApplyVolume(int volume);
  void AutoPlayLastStation(bool play);
  void ConnectOpening();
  void SaveLocalCatalogue();
  void MoveStation(bool next);
  void ImgRadioClick();
  void UpdateBalloonSwitchCaption();

  void ConnectRecorder();
  void StartRecording();
  TRecordRequest RecordRequest() const;
  void SetRecordFace(bool recording);

  QLabel* statut_ = nullptr;
  TMainFace face_;
  TStationPlayer* player_;
  TRecorder* recorder_;
  TFilePlayer* filePlayer_ = nullptr;
  QStringList recordedFiles_;
  TCatalogue* catalogue_ = nullptr;
  TFormListeRadio* browser_ = nullptr;
  TFormListeFile* playlist_ = nullptr;
  QSystemTrayIcon* trayIcon_ = nullptr;
  TDesktopNotifier notifier_;
  QMenu *popupRadioMenu_ = nullptr, *popupOpenMenu_ = nullptr, *popupSetupMenu_ = nullptr,
        *popupInfoMenu_ = nullptr, *popupFavorisMenu_ = nullptr, *systrayPopupMenu_ = nullptr;
  QAction* balloonSwitch_ = nullptr;
  QMenu* lastPopped_ = nullptr;
  QMenu* popupRecordMenu_ = nullptr;
  bool recordPressLower_ = false;  // the record button's last press opened its menu
  QPoint lastPopupPoint_;
  bool menusModal_ = true;
  // Pixels above and below the progress bar that still take a seeking press.
  static constexpr int kSeekSlack = 4;
  bool muted_ = false;
  QTimer spectrumTimer_;
  // The analyser's pace while sound plays, and while it rests (nothing played for 2 s).
  static constexpr int kSpectrumFrameMs = 20;
  static constexpr int kSpectrumRestMs = 250;
  std::unique_ptr<TSpectrum> spectrum_;
  std::array<float, kSpectrumFftSize> fft_{};
  std::array<float, kSpectrumBandCount> bands_{};
  int idleFrames_ = 0;
  bool closed_ = false;
  // The address whose station goes to the local tuner once its connection ends.
  QString pendingAdd_;
  QStringList startItems_;
  QString startFolder_;
};
