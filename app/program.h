// The program object: owns, for the whole run, the folders and settings, the catalogue
// (tables, HTTP client, loader), the station player, the recorder and its page state, the
// playlist and the file player, the favourites, the windows and the desktop's media
// controls. Windows get what they use from it through their constructors (references or
// narrow interfaces) and never find one another through a global.
//
// The start builds, in order, each to its end before the next: the settings and folders,
// the audio engine, the main window, the configuration and information windows, the
// splash window, the station browser (which loads the catalogue), the station editor and
// the three list editors, the playlist window. A start may build only what it shows and
// uses at once (the main window, the splash window, the browser and the playlist) and
// make the others on first use, with the start's state.
//
// Thread: interface thread only.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "catalogue/catalogue.h"
#include "common/appcontext.h"
#include "common/favourites.h"
#include "playback/engine/engine.h"
#include "recording/recordpage.h"
#include "windows/formlisteradio.h"

class QWidget;
class TConfigForm;
class TDownLoadForm;
class TFilePlayer;
class TFormListeFile;
class TInfoForm;
class TListEditForm;
class TMainForm;
class TMpris;
class TPlanRunner;
class TPlaylistModel;
class TRadioEditForm;
class TRecorder;
class TSleepRunner;
class TStationPlayer;
class TcountryForm;
class TgenreForm;
class TnetworkForm;

// How much the start builds: every window, or what a start shows and uses at once.
enum class TFormCreation { All, OnDemand };

class TProgram : public QObject, private TBrowserHost {
  Q_OBJECT
 public:
  // `output` is the sound output the engine starts on: the desktop's sound server for the
  // program, a null output in tests.
  explicit TProgram(zengine::OutputKind output = zengine::OutputKind::Default);
  ~TProgram() override;

  // Runs the start. False when the engine could not start: then no window but the main
  // one was made, and the caller ends with StartupExitCode() after printing StartupError().
  // A settings or folder failure is shown to the user and the program carries on
  // without an audio engine.
  bool Start(TFormCreation creation = TFormCreation::All);
  bool StartupFailed() const { return startupExitCode_ != 0; }
  int StartupExitCode() const { return startupExitCode_; }
  QString StartupError() const { return startupError_; }

  // The state.
  TAppContext& App() { return app_; }
  TCatalogue& Catalogue() { return catalogue_; }
  TFavourites& Favourites() { return favourites_; }
  TRecordPage& RecordPage() { return recordPage_; }
  TStationPlayer* Player() const { return player_.get(); }
  TRecorder* Recorder() const { return recorder_.get(); }
  TPlaylistModel* Playlist() const { return playlistModel_.get(); }
  TFilePlayer* FilePlayer() const { return filePlayer_.get(); }
  // Planned recordings (nullptr when the data folder is missing: no list to keep) and the
  // sleep timer.
  TPlanRunner* PlanRunner() const { return planRunner_; }
  TSleepRunner* SleepRunner() const { return sleepRunner_; }

  // The windows made so far (nullptr when not yet made).
  TMainForm* MainForm() const { return mainForm_; }
  TConfigForm* ConfigForm() const { return configForm_; }
  TInfoForm* InfoForm() const { return infoForm_; }
  TDownLoadForm* DownLoadForm() const { return downLoadForm_; }
  TFormListeRadio* FormListeRadio() const { return formListeRadio_; }
  TRadioEditForm* RadioEditForm() const { return radioEditForm_; }
  TgenreForm* genreForm() const { return genreForm_; }
  TnetworkForm* networkForm() const { return networkForm_; }
  TcountryForm* countryForm() const { return countryForm_; }
  TFormListeFile* FormListeFile() const { return formListeFile_; }

  // The window, made (and given the current state) the first time it is asked for.
  TConfigForm* EnsureConfigForm();
  TInfoForm* EnsureInfoForm();
  TRadioEditForm* EnsureRadioEditForm();
  TgenreForm* EnsuregenreForm();
  TnetworkForm* EnsurenetworkForm();
  TcountryForm* EnsurecountryForm();

  // The windows in creation order.
  const std::vector<QWidget*>& AllForms() const { return forms_; }

 private:
  bool PrepareState();
  void StartCatalogue();
  void StartPlaylist();
  void StartPlansAndSleep();
  template <typename T>
  T* Track(T* window);
  template <typename T>
  T* EnsureListEditor(T*& instance);
  void ShowError(const QString& message);

  // TBrowserHost
  QWidget* MainWindow() override;
  void SetTrayHint(const QString& text) override;
  void ShowBalloon(const QString& title, const QString& text, bool error, int timeoutMs) override;
  bool EditStation() override;
  void SendMail(const TSupportMail& mail) override;

  zengine::OutputKind output_;
  TAppContext app_;
  TCatalogue catalogue_;
  TFavourites favourites_;
  TRecordPage recordPage_;
  std::unique_ptr<TStationPlayer> player_;
  std::unique_ptr<TRecorder> recorder_;
  std::unique_ptr<TPlaylistModel> playlistModel_;
  std::unique_ptr<TFilePlayer> filePlayer_;
  TPlanRunner* planRunner_ = nullptr;
  TSleepRunner* sleepRunner_ = nullptr;
  bool engineStarted_ = false;
  int startupExitCode_ = 0;
  QString startupError_;

  std::vector<QWidget*> forms_;
  TMainForm* mainForm_ = nullptr;
  TConfigForm* configForm_ = nullptr;
  TInfoForm* infoForm_ = nullptr;
  TDownLoadForm* downLoadForm_ = nullptr;
  TFormListeRadio* formListeRadio_ = nullptr;
  TRadioEditForm* radioEditForm_ = nullptr;
  TgenreForm* genreForm_ = nullptr;
  TnetworkForm* networkForm_ = nullptr;
  TcountryForm* countryForm_ = nullptr;
  TFormListeFile* formListeFile_ = nullptr;
};
