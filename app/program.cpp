#include "app/program.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <cstdio>

#include "app/enginestart.h"
#include "app/mainform.h"
#include "app/mpris.h"
#include "app/planrunner.h"
#include "app/sleeprunner.h"
#include "common/appfolders.h"
#include "localfiles/fileplayer.h"
#include "localfiles/playlistmodel.h"
#include "playback/engineerror.h"
#include "playback/stationplayer.h"
#include "recording/recorder.h"
#include "windows/configform.h"
#include "windows/countryform.h"
#include "windows/downloadform.h"
#include "windows/formlistefile.h"
#include "windows/genreform.h"
#include "windows/infoform.h"
#include "windows/networkform.h"
#include "windows/planpage.h"
#include "windows/radioeditform.h"

TProgram::TProgram(zengine::OutputKind output) : output_(output) {}

TProgram::~TProgram() {
  // The windows first, the last made first (the main window last); then what they showed,
  // and the engine at the very end.
  while (!forms_.empty()) {
    delete forms_.back();
    forms_.pop_back();
  }
  filePlayer_.reset();
  playlistModel_.reset();
  recorder_.reset();
  player_.reset();
  if (engineStarted_) EndEngine();
}

void TProgram::ShowError(const QString& message) {
  std::fprintf(stderr, "zovalis: %s\n", qUtf8Printable(message));
  QMessageBox::critical(nullptr, QStringLiteral("Zovalis"), message);
}

// Settings, folders and the engine. False only when the engine failed.
bool TProgram::PrepareState() {
  const QScreen* primary = QGuiApplication::primaryScreen();
  const QSize screen = primary ? primary->geometry().size() : QSize(kMainFormWidth, kMainFormHeight);
  {
    std::unique_ptr<QSettings> store(OpenUserSettings());
    const TLoadResult loaded =
        LoadSettings(*store, app_.Settings, screen, GetSpecialFolderPath(SpecialFolder::Documents));
    if (!loaded.Ok) {
      // A folder that cannot be made: the program carries on without an audio engine, and
      // the user is told why.
      ShowError(loaded.Message);
      return true;
    }
  }
  app_.ExeFolder = ExecutableFolder();
  const QString localData = GetSpecialFolderPath(SpecialFolder::LocalAppData);
  app_.DataFolder = localData + QStringLiteral("ZOVA/");
  const TFolderResult folders = localData.isEmpty()
                                    ? TFolderResult{false, app_.DataFolder, FolderCreationMessage(app_.DataFolder)}
                                    : CreateDataFolders(app_.DataFolder);
  if (!folders.Ok) {
    ShowError(folders.Message);
    return true;
  }
  app_.TunerFolder = TunerFolderFor(app_.DataFolder, app_.Settings.Mode);

  const TEngineStart engine = StartEngine(output_);
  switch (engine.Result) {
    case TEngineStart::Ok:
      engineStarted_ = true;
      return true;
    case TEngineStart::WrongVersion:
      QMessageBox::critical(nullptr, QString(), WrongEngineVersionText());
      startupError_ = WrongEngineVersionText();
      break;
    case TEngineStart::OutputFailed:
    case TEngineStart::RecordFailed:
      startupError_ = EngineErrorMessage(engine.ErrorCode);
      break;
  }
  startupExitCode_ = 1;
  return false;
}

template <typename T>
T* TProgram::Track(T* window) {
  forms_.push_back(window);
  return window;
}

bool TProgram::Start(TFormCreation creation) {
  if (!PrepareState()) return false;

  // The settings record keeps the favourites as the list changes.
  // The addresses are read before the first notification replaces the record's.
  const QMap<QString, QString> addresses = app_.Settings.FavoriteAddresses;
  favourites_.Changed = [this](const QStringList& names) {
    app_.Settings.Favorites = names;
    app_.Settings.FavoriteAddresses = favourites_.Addresses();
  };
  favourites_.SetNames(app_.Settings.Favorites);
  favourites_.SetAddresses(addresses);
  player_ = std::make_unique<TStationPlayer>(TStationPlayer::TContext{});
  recorder_ = std::make_unique<TRecorder>();

  TMainFormParts parts;
  parts.App = &app_;
  parts.Player = player_.get();
  parts.Recorder = recorder_.get();
  parts.RecordPage = &recordPage_;
  parts.Favourites = &favourites_;
  mainForm_ = Track(new TMainForm(parts));
  mainForm_->Windows.Config = [this](bool create) { return create ? EnsureConfigForm() : configForm_; };
  mainForm_->Windows.Info = [this](bool create) { return create ? EnsureInfoForm() : infoForm_; };
  mainForm_->Windows.All = [this] { return forms_; };
  StartPlansAndSleep();
  if (creation == TFormCreation::All) EnsureConfigForm(), EnsureInfoForm();

  StartCatalogue();
  if (creation == TFormCreation::All) {
    configForm_->AttachBrowser(formListeRadio_);
    infoForm_->AttachBrowser(formListeRadio_);
    EnsureRadioEditForm();
    EnsuregenreForm();
    EnsurenetworkForm();
    EnsurecountryForm();
  }
  StartPlaylist();
  // The desktop's media controls (owned by the main window).
  new TMpris(mainForm_);
  return true;
}

// The sleep timer's menu, in the station button's menu (above "Quitter") and the tray's;
// the planned recordings, their page in the configuration window and its menu entry.
void TProgram::StartPlansAndSleep() {
  sleepRunner_ = new TSleepRunner(*mainForm_);
  QMenu* radio = mainForm_->PopupRadioMenu();
  radio->insertMenu(radio->actions().at(radio->actions().size() - 2), sleepRunner_->Menu());
  QMenu* tray = mainForm_->SystrayPopupMenu();
  tray->insertMenu(tray->actions().last(), sleepRunner_->Menu());
  if (!QFileInfo(app_.DataFolder).isDir()) return;
  planRunner_ = new TPlanRunner(*mainForm_, *player_, *recorder_, catalogue_, app_.DataFolder, mainForm_);
  mainForm_->PopupSetupMenu()->addAction(QStringLiteral("P&rogrammation ..."), mainForm_,
                                         [this] { mainForm_->ShowConfigPage(QStringLiteral("Programmation")); });
  planRunner_->Start();
}

// The splash window, the catalogue's loader showing its progress there, and the station
// browser, whose creation loads the first catalogue.
void TProgram::StartCatalogue() {
  downLoadForm_ = Track(new TDownLoadForm());
  catalogue_.Prepare(*downLoadForm_, app_.ExeFolder, app_.DataFolder, app_.Settings.Mode);
  catalogue_.Directory.SetBase(DirectoryBaseAddress(app_.Settings.DirectoryServer));
  // The directory's fetch and its failures are told on the main window's status line.
  connect(&catalogue_.Loader(), &TCatalogueLoader::StatusLine, mainForm_, &TMainForm::SetStatus);
  formListeRadio_ = Track(new TFormListeRadio(app_, catalogue_, *this));
  mainForm_->AttachCatalogue(catalogue_, formListeRadio_);
  // The grid marks the station that plays.
  connect(player_.get(), &TStationPlayer::StationShown, formListeRadio_,
          [this](const QString& name) { formListeRadio_->SetPlayingStation(name); });
  connect(player_.get(), &TStationPlayer::DisplayReset, formListeRadio_,
          [this] { formListeRadio_->SetPlayingStation(QString()); });
}

// The playlist, its window and the file player over its rows.
void TProgram::StartPlaylist() {
  playlistModel_ = std::make_unique<TPlaylistModel>();
  formListeFile_ = Track(new TFormListeFile(app_, *playlistModel_, mainForm_));
  filePlayer_ = std::make_unique<TFilePlayer>(player_.get(), playlistModel_.get());
  mainForm_->AttachPlaylist(formListeFile_, filePlayer_.get());
}

// A window made after the start takes the state the start gave the others: the browser's
// lists and tuners, the favourites, the now-playing lists.
TConfigForm* TProgram::EnsureConfigForm() {
  if (configForm_) return configForm_;
  configForm_ = Track(new TConfigForm(app_, recordPage_, *mainForm_));
  if (formListeRadio_) configForm_->AttachBrowser(formListeRadio_);
  mainForm_->CopyFavouritesToConfig();
  connect(mainForm_, &TMainForm::BalloonSwitchChanged, configForm_, &TConfigForm::SetBalloonSwitch);
  if (planRunner_) {
    auto* plans = new TPlanPage(planRunner_->Scheduler());
    plans->Edited = [this] { planRunner_->Edited(); };
    plans->Stations = [this] { return planRunner_->Stations(); };
    plans->Formats = [this] { return recordPage_.Encoders; };
    // A sixth tab: the tab bar scrolls (squeezed, the titles would be cut to a letter).
    configForm_->PageControl1()->addTab(plans, QStringLiteral("Programmation"));
    connect(planRunner_, &TPlanRunner::PlansChanged, plans, &TPlanPage::Refresh);
  }
  return configForm_;
}

TInfoForm* TProgram::EnsureInfoForm() {
  if (infoForm_) return infoForm_;
  infoForm_ = Track(new TInfoForm(mainForm_, *player_, recordPage_));
  if (formListeRadio_) infoForm_->AttachBrowser(formListeRadio_);
  infoForm_->RecordTitle = [main = mainForm_] { main->RecordTitleClick(); };
  mainForm_->SyncInfoForm();
  return infoForm_;
}

TRadioEditForm* TProgram::EnsureRadioEditForm() {
  if (radioEditForm_) return radioEditForm_;
  radioEditForm_ = Track(new TRadioEditForm());
  if (formListeRadio_) radioEditForm_->Attach(formListeRadio_);
  radioEditForm_->EditList = [this](TCatalogueKind kind) {
    switch (kind) {
      case TCatalogueKind::Genres: EnsuregenreForm()->Execute(); break;
      case TCatalogueKind::Countries: EnsurecountryForm()->Execute(); break;
      case TCatalogueKind::Networks: EnsurenetworkForm()->Execute(); break;
      case TCatalogueKind::Stations: break;
    }
  };
  return radioEditForm_;
}

template <typename T>
T* TProgram::EnsureListEditor(T*& instance) {
  if (instance) return instance;
  instance = Track(new T());
  if (formListeRadio_) instance->Attach(formListeRadio_, [this] { return radioEditForm_; });
  return instance;
}

TgenreForm* TProgram::EnsuregenreForm() { return EnsureListEditor(genreForm_); }
TnetworkForm* TProgram::EnsurenetworkForm() { return EnsureListEditor(networkForm_); }
TcountryForm* TProgram::EnsurecountryForm() { return EnsureListEditor(countryForm_); }

// ---- What the station browser asks -------------------------------------------------------

QWidget* TProgram::MainWindow() { return mainForm_; }

void TProgram::SetTrayHint(const QString& text) {
  if (mainForm_) mainForm_->SetTrayHint(text);
}

void TProgram::ShowBalloon(const QString& title, const QString& text, bool error, int timeoutMs) {
  if (mainForm_) mainForm_->ShowBalloon(title, text, error, timeoutMs);
}

bool TProgram::EditStation() { return EnsureRadioEditForm()->Execute(); }

void TProgram::SendMail(const TSupportMail& mail) {
  TInfoForm* info = EnsureInfoForm();
  if (info->SendMail) info->SendMail(mail);
}
