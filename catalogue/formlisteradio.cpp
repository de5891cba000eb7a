#include "catalogue/formlisteradio.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QTableView>
#include <QUrl>

#include "app/appfolders.h"
#include "app/forms.h"
#include "app/mainform.h"
#include "app/versiontext.h"
#include "catalogue/proxydetect.h"
#include "catalogue/stationgridmodel.h"
#include "catalogue/updatedescriptor.h"
#include "windows/downloadform.h"

namespace {

QFont Tahoma(int pixelSize) {
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(pixelSize);
  return f;
}

QLabel* WhiteLabel(QWidget* parent, const char* name, const QString& text, QPoint at) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setFont(Tahoma(11));
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(pal);
  label->move(at);
  label->adjustSize();
  return label;
}

}  // namespace

TFormListeRadio::TFormListeRadio(QWidget* parent, TLoadDisplay* display)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("FormListeRadio"), QSize(480, 320), QStringLiteral("browser.png"),
                                   QStringLiteral("Tuner"), QRect(428, 0, 44, 19), QPoint(42, 5), QPoint(10, 4)),
                   parent) {
  if (!display) display = DownLoadForm;
  if (!display) {
    ownDisplay_ = std::make_unique<TDownLoadForm>();
    display = ownDisplay_.get();
  }
  const QString exeFolder = MainForm ? MainForm->ExeFolder : ExecutableFolder();
  const QString dataFolder =
      MainForm ? MainForm->DataFolder : GetSpecialFolderPath(SpecialFolder::LocalAppData) + QStringLiteral("ZOVA/");
  loader_ = std::make_unique<TCatalogueLoader>(Tables, IdHTTP, *display, exeFolder, dataFolder);
  if (MainForm) loader_->Tuner.Mode = MainForm->Settings.Mode;
  IdHTTP.SetProcessEvents([display] { display->ProcessEvents(); });
  IdHTTP.SetProgress({[display](qint64 expected) { display->SetProgressMax(int(qMin<qint64>(expected, INT_MAX))); },
                      [display](qint64 received) { display->SetProgress(int(qMin<qint64>(received, INT_MAX))); }});
  connect(loader_.get(), &TCatalogueLoader::ModeChanged, this, [this](const QString& mode) {
    if (!MainForm) return;
    MainForm->Settings.Mode = mode;
    MainForm->TunerFolder = loader_->TunerFolder();
  });

  // The grid, the tuner list and the status line; the filters join them above the grid.
  model_ = new TStationGridModel(radiosDataset, this);
  listeRadio_ = new QTableView(this);
  listeRadio_->setObjectName(QStringLiteral("ListeRadio"));
  listeRadio_->setGeometry(7, 59, 462, 235);
  listeRadio_->setModel(model_);
  listeRadio_->setSelectionBehavior(QAbstractItemView::SelectRows);
  listeRadio_->setSelectionMode(QAbstractItemView::SingleSelection);
  listeRadio_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  listeRadio_->verticalHeader()->hide();
  listeRadio_->verticalHeader()->setDefaultSectionSize(17);
  listeRadio_->setFont(Tahoma(11));
  listeRadio_->setStyleSheet(QStringLiteral(
      "QTableView { background: black; color: white; gridline-color: #303030; "
      "selection-background-color: #2a4d7a; selection-color: white; }"
      "QHeaderView::section { background: #202020; color: white; border: 1px solid #404040; padding: 1px 3px; }"));
  for (int c = 0; c < int(std::size(TStationGridModel::kColumns)); ++c) {
    if (TStationGridModel::kColumns[c].Width > 0)
      listeRadio_->setColumnWidth(c, TStationGridModel::kColumns[c].Width);
  }

  connect(listeRadio_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (!index.isValid()) return;
    radiosDataset.SetRecNo(index.row() + 1);
    Q_EMIT StationChosen();
  });

  WhiteLabel(this, "Label1", QStringLiteral("Tuner :"), QPoint(10, 300));
  tunerComboBox_ = new QComboBox(this);
  tunerComboBox_->setObjectName(QStringLiteral("TunerComboBox"));
  tunerComboBox_->addItems({QStringLiteral("Distant"), QStringLiteral("Local")});
  tunerComboBox_->setGeometry(47, 297, 80, 19);
  tunerComboBox_->setFont(Tahoma(11));
  // Only the user's choice switches tuners; selecting from the code does not.
  connect(tunerComboBox_, &QComboBox::activated, this, &TFormListeRadio::TunerComboBoxChange);
  lbStatusBar_ = WhiteLabel(this, "lbStatusBar", QString(), QPoint(133, 300));
  lbStatusBar_->resize(330, 14);
  connect(&radiosDataset, &TCatalogueTable::DataChange, this, [this] { radiosDataSourceDataChange(); });

  FormCreate();
}

TFormListeRadio::~TFormListeRadio() = default;

void TFormListeRadio::FormCreate() {
  serverBase_ = UpdateServerBase(MainForm ? MainForm->ExeFolder : ExecutableFolder());
  TitleLabel()->setText(loader_->TunerTitle(serverBase_));
  TitleLabel()->adjustSize();

  TStartupContext context;
  TSettings fallback;
  context.Settings = MainForm ? &MainForm->Settings : &fallback;
  context.Http = &IdHTTP;
  context.Loader = loader_.get();
  context.Prompts = this;
  context.ServerBase = serverBase_;
  context.DataFolder = MainForm ? MainForm->DataFolder
                                : GetSpecialFolderPath(SpecialFolder::LocalAppData) + QStringLiteral("ZOVA/");
  const TFileVersion v = CompiledFileVersion();
  context.ProgramVersion = ProgramVersionNumber(v.Major, v.Minor, v.Release);
  context.ReadSystemProxy = [] { return ReadSystemProxy(); };
  startup_ = RunBrowserStartup(context);
  SelectTunerEntry();
  radiosDataSourceDataChange();
}

void TFormListeRadio::SelectTunerEntry() {
  // Setting the index from the code does not emit `activated`, so no switch runs.
  tunerComboBox_->setCurrentIndex(loader_->Tuner.Mode == QLatin1String("remote") ? 0 : 1);
}

void TFormListeRadio::TunerComboBoxChange(int index) {
  if (loader_->Loading()) return;
  SaveFilterState();
  loader_->SwitchTuner(index);
  TitleLabel()->setText(loader_->TunerTitle(loader_->Tuner.RemoteBase));
  TitleLabel()->adjustSize();
  RestoreFilterState();
}

void TFormListeRadio::SaveFilterState() {
  savedFilter_ = radiosDataset.Filter();
}

void TFormListeRadio::RestoreFilterState() {
  radiosDataset.SetFilter(savedFilter_);
}

void TFormListeRadio::PreviousStation() {
  if (!radiosDataset.Active() || radiosDataset.RecordCount() == 0) return;
  if (!radiosDataset.FindPrior().Found) radiosDataset.FindLast();
}

void TFormListeRadio::NextStation() {
  if (!radiosDataset.Active() || radiosDataset.RecordCount() == 0) return;
  if (!radiosDataset.FindNext().Found) radiosDataset.FindFirst();
}

void TFormListeRadio::SaveLocalStations() {
  if (loader_->Tuner.Mode != QLatin1String("local") || !loader_->StationsReadWhole() || !radiosDataset.Active())
    return;
  if (TTableResult r = radiosDataset.SaveToFile(loader_->TunerFolder() + QStringLiteral("radios.xml")); !r)
    std::fprintf(stderr, "zovalis: %s\n", qUtf8Printable(r.Error->Text()));
}

void TFormListeRadio::radiosDataSourceDataChange() {
  const int count = radiosDataset.Active() ? radiosDataset.RecordCount() : 0;
  const QString s = count > 1 ? QStringLiteral("s") : QString();
  lbStatusBar_->setText(QString::number(count) + QStringLiteral(" radio") + s + QStringLiteral(" trouvée") + s);
}

bool TFormListeRadio::Confirm(const QString& text) {
  return QMessageBox::question(nullptr, QStringLiteral("Zovalis"), text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

std::optional<QString> TFormListeRadio::AskText(const QString& caption, const QString& prompt) {
  bool ok = false;
  const QString answer = QInputDialog::getText(nullptr, caption, prompt, QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return answer;
}

void TFormListeRadio::SetBalloonText(const QString& text) {
  if (MainForm) MainForm->SetTrayHint(text);
}

void TFormListeRadio::Balloon(const QString& text, bool error, int timeoutMs) {
  if (MainForm) MainForm->ShowBalloon(QStringLiteral("Zovalis"), text, error, timeoutMs);
}

void TFormListeRadio::OpenUrl(const QString& url) {
  QDesktopServices::openUrl(QUrl(url));
}

void TFormListeRadio::ShowStandardError(const QString& text) {
  QMessageBox::critical(nullptr, QStringLiteral("Zovalis"), text);
}
