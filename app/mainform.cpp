#include "app/mainform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QThread>
#include <memory>

#include "app/appfolders.h"
#include "app/enginestart.h"
#include "app/forms.h"
#include "catalogue/formlisteradio.h"
#include "app/versiontext.h"
#include "playback/engineerror.h"

namespace {

const QColor kSilver(192, 192, 192);
const QColor kRed(255, 0, 0);

TSkinnedFormLayout MainLayout() {
  TSkinnedFormLayout l;
  l.InstanceName = QStringLiteral("MainForm");
  l.ClientSize = QSize(kMainFormWidth, kMainFormHeight);
  l.Background = QStringLiteral("main.png");
  l.Title = QStringLiteral("Zovalis");
  l.TitlePos = QPoint(41, 5);
  l.IconPos = QPoint(11, 4);
  l.CloseRect = QRect(431, 0, 44, 19);
  l.BackgroundName = QStringLiteral("Image1");
  l.TitleName = QStringLiteral("NomAppli");
  l.IconName = QStringLiteral("RadioImage");
  return l;
}

QLabel* MakeLabel(QWidget* parent, const char* name, QRect geometry, QColor colour, int pixelSize) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(pixelSize);
  label->setFont(font);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  return label;
}

}  // namespace

TMainForm::TMainForm(zengine::OutputKind output) : TSkinnedForm(MainLayout()), output_(output) {
  statut_ = MakeLabel(this, "Statut", QRect(229, 33, 196, 14), kSilver, 11);
  FormCreate();
}

TMainForm::~TMainForm() {
  FormDestroy();
}

void TMainForm::FailStartup(int exitCode, const QString& message) {
  startupExitCode_ = exitCode;
  startupError_ = message;
}

void TMainForm::FormCreate() {
  FirstShow = true;

  const QSize screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry().size()
                                                        : QSize(kMainFormWidth, kMainFormHeight);
  {
    std::unique_ptr<QSettings> store(OpenUserSettings());
    const TLoadResult loaded = LoadSettings(*store, Settings, screen, GetSpecialFolderPath(SpecialFolder::Documents));
    if (!loaded.Ok) {
      // A folder that cannot be made skips the rest of the creation: the program carries
      // on without an audio engine, and the user is told why.
      std::fprintf(stderr, "zovalis: %s\n", qUtf8Printable(loaded.Message));
      QMessageBox::critical(nullptr, QStringLiteral("Zovalis"), loaded.Message);
      return;
    }
  }

  const QString versionText = GetVersionText(QStringLiteral(" %d.%d.%d"));
  NomAppli()->setText(QStringLiteral("Zovalis") + versionText);
  NomAppli()->adjustSize();
  MenuAProposCaption = QStringLiteral("&A Propos de Zovalis") + versionText;

  ExeFolder = ExecutableFolder();
  const QString localData = GetSpecialFolderPath(SpecialFolder::LocalAppData);
  DataFolder = localData + QStringLiteral("ZOVA/");
  const TFolderResult folders = localData.isEmpty()
                                    ? TFolderResult{false, DataFolder, FolderCreationMessage(DataFolder)}
                                    : CreateDataFolders(DataFolder);
  if (!folders.Ok) {
    std::fprintf(stderr, "zovalis: %s\n", qUtf8Printable(folders.Message));
    QMessageBox::critical(nullptr, QStringLiteral("Zovalis"), folders.Message);
    return;
  }
  TunerFolder = TunerFolderFor(DataFolder, Settings.Mode);

  move(Settings.Left, Settings.Top);
  SettingsLive.Top = [this] { return y(); };
  SettingsLive.Left = [this] { return x(); };

  const TEngineStart engine = StartEngine(output_);
  switch (engine.Result) {
    case TEngineStart::Ok:
      engineStarted_ = true;
      break;
    case TEngineStart::WrongVersion:
      QMessageBox::critical(nullptr, QString(), WrongEngineVersionText());
      FailStartup(1, WrongEngineVersionText());
      return;
    case TEngineStart::OutputFailed:
    case TEngineStart::RecordFailed:
      ShowEngineError(engine.ErrorCode);
      FailStartup(1, EngineErrorMessage(engine.ErrorCode));
      return;
  }

  // The tray icon lives as long as the program, with the program's icon.
  trayIcon_ = new QSystemTrayIcon(QIcon(LoadSkinPicture(QStringLiteral("icon48.png"))), this);
  trayIcon_->setToolTip(QStringLiteral("Zovalis"));
  if (QSystemTrayIcon::isSystemTrayAvailable()) trayIcon_->show();

  InitRadioButton();
  CreateSpectrum();
  ApplyVolume(Settings.Volume);
}

void TMainForm::SetTrayHint(const QString& text) {
  if (trayIcon_) trayIcon_->setToolTip(text);
}

void TMainForm::ShowBalloon(const QString& title, const QString& text, bool error, int timeoutMs) {
  if (!trayIcon_ || !trayIcon_->isVisible()) return;
  trayIcon_->showMessage(title, text, error ? QSystemTrayIcon::Critical : QSystemTrayIcon::Information, timeoutMs);
}

void TMainForm::InitRadioButton() {
  // The playback display's idle state comes with the station display; the station name
  // label is emptied then.
}

void TMainForm::CreateSpectrum() {
  // The spectrum analyser and its 20 ms timer plug in here, with the settings
  // SpectroPeaks and SpectroColorL/M/H.
}

void TMainForm::ApplyVolume(int volume) {
  zengine::SetVolume(volume);
  // The volume slider takes the same value here once it exists, and reports it like a
  // user move.
}

void TMainForm::showEvent(QShowEvent* event) {
  TSkinnedForm::showEvent(event);
  if (FirstShow) FormShow();
}

void TMainForm::FormShow() {
  // Let the window paint before any work starts.
  QCoreApplication::processEvents();
  if (FirstShow) AutoPlayLastStation();
  FirstShow = false;
}

void TMainForm::AutoPlayLastStation() {
  // With the station browser: clear its filter, order by "radio", open LastRadio (or the
  // first station), then restore the saved filter selection.
}

void TMainForm::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
  // Closing the main window ends the program, whatever other window is shown.
  QCoreApplication::quit();
}

void TMainForm::CloseBtnClick() {
  // Playback is stopped first (StopAll) once there is playback; then the window closes.
  close();
}

void TMainForm::FormClose() {
  if (closed_) return;
  closed_ = true;
  if (Settings.Mode == QLatin1String("local")) SaveLocalCatalogue();
  std::unique_ptr<QSettings> store(OpenUserSettings());
  if (!SaveSettings(*store, Settings, SettingsLive)) {
    std::fprintf(stderr, "zovalis: impossible d'enregistrer les réglages dans %s\n",
                 qUtf8Printable(store->fileName()));
  }
}

void TMainForm::SaveLocalCatalogue() {
  if (FormListeRadio) FormListeRadio->SaveLocalStations();
}

void TMainForm::FormDestroy() {
  if (engineStarted_) EndEngine();
  engineStarted_ = false;
}

void TMainForm::ShowEngineError(int code) {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(this, [this, code] { ShowEngineError(code); }, Qt::QueuedConnection);
    return;
  }
  QPalette pal = statut_->palette();
  pal.setColor(QPalette::WindowText, kRed);
  statut_->setPalette(pal);
  statut_->setText(EngineErrorMessage(code));
  QApplication::beep();
}
