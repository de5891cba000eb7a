#include "windows/configform.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include "common/appcontext.h"
#include "recording/recordpage.h"
#include "widgets/spectrum.h"
#include "windows/formlisteradio.h"
#include "windows/configoptions.h"
#include "windows/formcontrols.h"

namespace {

const char* const kPageTitles[] = {"Affichage", "Tuner", "Connexion", "Enregistrement", "Favoris"};

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  b->setGeometry(geometry);
  return b;
}

QFont PageFont() {
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(11);
  return f;
}

QPixmap Swatch(TColorValue value, const QPalette& palette) {
  QPixmap pix(12, 12);
  pix.fill(ColorFromValue(value, palette));
  QPainter p(&pix);
  p.setPen(Qt::black);
  p.drawRect(0, 0, 11, 11);
  return pix;
}

}  // namespace

TConfigForm::TConfigForm(TAppContext& app, TRecordPage& page, TConfigHost& host, QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("ConfigForm"), QSize(405, 288), QStringLiteral("config.png"),
                                   QStringLiteral("Configuration"), QRect(355, 2, 44, 18), QPoint(49, 5),
                                   QPoint(10, 4)),
                   parent),
      app_(app),
      page_(page),
      host_(host) {
  SelectFolder = [this](const QString& title) { return QFileDialog::getExistingDirectory(this, title); };
  Confirm = [this](const QString& text) {
    // Its one use empties the local tuner: "Non" is the default.
    return QMessageBox::question(this, QStringLiteral("Zovalis"), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  };
  ShowError = [](const QString& text) { QMessageBox::critical(nullptr, QString(), text); };
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  UseDialogPalette(pages_);
  pages_->setGeometry(12, 31, 382, 232);
  pages_->setFont(PageFont());
  pages_->tabBar()->setAttribute(Qt::WA_Hover);
  BuildDisplayPage();
  BuildTunerPage();
  BuildConnectionPage();
  BuildRecordingPage();
  BuildFavouritesPage();
  pages_->setCurrentIndex(0);
  FormCreate();
}

QWidget* TConfigForm::AddPage(const QString& title, const char* name) {
  auto* page = new QWidget;
  page->setObjectName(QLatin1String(name));
  page->setAutoFillBackground(true);
  pages_->addTab(page, title);
  return page;
}

void TConfigForm::BuildDisplayPage() {
  QWidget* p = AddPage(QStringLiteral("Affichage"), "TabSheet1");
  MakeTextLabel(p, "Label17", QStringLiteral("Affichage des titres dans la barre de tâches:"), {12, 11}, true);
  cbInfoSystray_ = MakeCheckWithLabel(p, "cbInfoSystray", "Label13",
                                      QStringLiteral("Afficher les informations bulles dans la barre d'icônes"), {18, 35});
  connect(cbInfoSystray_, &QCheckBox::clicked, this, &TConfigForm::cbInfoSystrayClick);
  MakeTextLabel(p, "Label12", QStringLiteral("Spectromètre:"), {12, 63}, true);
  cbSpectroPeaks_ = MakeCheckWithLabel(p, "cbSpectroPeaks", "Label1", QStringLiteral("Afficher les crêtes"), {28, 84});
  connect(cbSpectroPeaks_, &QCheckBox::clicked, this, &TConfigForm::cbSpectroPeaksClick);
  const struct {
    const char* box;
    const char* label;
    const char* caption;
    int y;
  } pickers[] = {{"SpectroColorBoxL", "Label14", "Couleur pour les amplitudes basses:", 110},
                 {"SpectroColorBoxM", "Label15", "Couleur pour les amplitudes moyennes:", 134},
                 {"SpectroColorBoxH", "Label16", "Couleur pour les amplitudes hautes:", 157}};
  for (int i = 0; i < 3; ++i) {
    MakeTextLabel(p, pickers[i].label, QString::fromUtf8(pickers[i].caption), {28, pickers[i].y + 4});
    auto* box = new QComboBox(p);
    box->setObjectName(QLatin1String(pickers[i].box));
    box->setGeometry(245, pickers[i].y, 94, 20);
    box->setIconSize(QSize(12, 12));
    for (const TNamedColor& c : PickerColors()) box->addItem(QIcon(Swatch(c.Value, palette())), c.Name, c.Value);
    box->view()->setMinimumWidth(190);
    connect(box, &QComboBox::activated, this, [this, i] { SpectroColorChange(i); });
    colorBoxes_[i] = box;
  }
}

void TConfigForm::BuildTunerPage() {
  QWidget* p = AddPage(QStringLiteral("Tuner"), "TabSheet5");
  MakeTextLabel(p, "Label5", QStringLiteral("Tuner Local"), {16, 14}, true);
  MakeTextLabel(p, "Label7", QStringLiteral("Maintenir et gérer la liste des radios"), {26, 40});
  newButtonDb_ = MakeButton(p, "NewButtonDb", QStringLiteral("Nouveau"), QRect(25, 67, 105, 25));
  importButtonDb_ = MakeButton(p, "ImportButtonDB", QStringLiteral("Importer ..."), QRect(136, 67, 105, 25));
  exportButtonDb_ = MakeButton(p, "ExportButtonDB", QStringLiteral("Exporter ..."), QRect(246, 67, 105, 25));
  connect(newButtonDb_, &QPushButton::clicked, this, &TConfigForm::NewButtonDbClick);
  connect(importButtonDb_, &QPushButton::clicked, this, &TConfigForm::ImportButtonDBClick);
  connect(exportButtonDb_, &QPushButton::clicked, this, &TConfigForm::ExportButtonDBClick);
  MakeTextLabel(p, "Label20", QStringLiteral("Tuner Distant"), {16, 105}, true);
  QLabel* l21 = MakeTextLabel(
      p, "Label21", QStringLiteral("Ne pas gérer la liste des radios et utiliser la liste stockée sur le serveur  :"),
      {26, 124});
  l21->setWordWrap(true);
  l21->setGeometry(26, 124, 205, 26);
  remoteTunerComboBox_ = new QComboBox(p);
  remoteTunerComboBox_->setObjectName(QStringLiteral("RemoteTunerComboBox"));
  remoteTunerComboBox_->setGeometry(73, 164, 245, 20);
  connect(remoteTunerComboBox_, &QComboBox::activated, this, &TConfigForm::RemoteTunerComboBoxChange);
  // The open station directory, in the free column beside the remote tuner's text.
  MakeTextLabel(p, "LabelDirectory", QStringLiteral("Annuaire mondial"), {245, 105}, true);
  directoryButton_ = MakeButton(p, "DirectoryButton", QStringLiteral("Afficher l'annuaire"), QRect(245, 122, 125, 20));
  updateDirectoryButton_ =
      MakeButton(p, "UpdateDirectoryButton", QStringLiteral("Mettre à jour l'annuaire"), QRect(245, 144, 125, 20));
  connect(directoryButton_, &QPushButton::clicked, this, &TConfigForm::DirectoryButtonClick);
  connect(updateDirectoryButton_, &QPushButton::clicked, this, &TConfigForm::UpdateDirectoryButtonClick);
}

void TConfigForm::BuildConnectionPage() {
  QWidget* p = AddPage(QStringLiteral("Connexion"), "TabSheet2");
  cbProxyConnexion_ =
      MakeCheckWithLabel(p, "cbProxyConnexion", "Label2", QStringLiteral("Connexion via un serveur proxy"), {31, 29});
  connect(cbProxyConnexion_, &QCheckBox::clicked, this, &TConfigForm::cbProxyConnexionClick);
  const struct {
    QLineEdit** edit;
    const char* name;
    const char* label;
    const char* caption;
    int y, width;
  } edits[] = {{&edProxyServer_, "edProxyServer", "Label11", "Serveur Proxy:", 70, 180},
               {&edProxyUser_, "edProxyUser", "Label10", "Utilisateur:", 92, 85},
               {&edProxyPasswd_, "edProxyPasswd", "Label9", "Mot de Passe:", 114, 67},
               {&edProxyPort_, "edProxyPort", "Label8", "Port:", 136, 45}};  // "65535" whole
  for (const auto& e : edits) {
    auto* edit = new QLineEdit(p);
    edit->setObjectName(QLatin1String(e.name));
    edit->setGeometry(145, e.y, e.width, 20);
    edit->setMaxLength(100);
    *e.edit = edit;
    QLabel* label = MakeTextLabel(p, e.label, QString::fromUtf8(e.caption), {0, e.y + 4});
    label->move(140 - label->width(), e.y + 4);  // right-aligned against its edit
    proxyControls_ << edit << label;
  }
  edProxyPasswd_->setEchoMode(QLineEdit::Password);
  // Every edit keeps the record up to date, so the next connection uses it.
  connect(edProxyServer_, &QLineEdit::textEdited, this, [this](const QString& t) { Record().ProxyServer = t; });
  connect(edProxyUser_, &QLineEdit::textEdited, this, [this](const QString& t) { Record().ProxyUser = t; });
  connect(edProxyPasswd_, &QLineEdit::textEdited, this, [this](const QString& t) { Record().ProxyPasswd = t; });
  connect(edProxyPort_, &QLineEdit::textEdited, this, [this](const QString& t) { Record().ProxyPort = t; });
}

void TConfigForm::BuildRecordingPage() {
  QWidget* p = AddPage(QStringLiteral("Enregistrement"), "TabSheet3");
  MakeTextLabel(p, "Label3", QStringLiteral("Répertoire de stockage des enregistrements"), {11, 11}, true);
  edRecordDir_ = new QLineEdit(p);
  edRecordDir_->setObjectName(QStringLiteral("edRecordDir"));
  edRecordDir_->setGeometry(24, 32, 313, 21);
  connect(edRecordDir_, &QLineEdit::textEdited, this, [this](const QString& t) { Page().edRecordDir = t; });
  auto* select = MakeButton(p, "btnSelectDir", QStringLiteral("..."), QRect(339, 32, 23, 21));
  connect(select, &QPushButton::clicked, this, &TConfigForm::btnSelectDirClick);
  cbCutByTitle_ = MakeCheckWithLabel(p, "cbCutByTitle", "Label4", QStringLiteral("Découpage par Titre"), {13, 60});
  connect(cbCutByTitle_, &QCheckBox::clicked, this, &TConfigForm::cbCutByTitleClick);
  label6_ = MakeTextLabel(p, "Label6", QStringLiteral("Nombre d'occurences maximum toléré par fichier:"), {30, 84});
  cbRecordOcc_ = new QComboBox(p);
  cbRecordOcc_->setObjectName(QStringLiteral("cbRecordOcc"));
  cbRecordOcc_->setGeometry(275, 80, 55, 20);
  cbRecordOcc_->addItems(TRecordPage::RecordOccItems());
  connect(cbRecordOcc_, &QComboBox::activated, this, &TConfigForm::cbRecordOccChange);
  MakeTextLabel(p, "Label18", QStringLiteral("Format d'enregistrement : "), {30, 108});
  cbEncoder_ = new QComboBox(p);
  cbEncoder_->setObjectName(QStringLiteral("cbEncoder"));
  cbEncoder_->setGeometry(174, 104, 55, 20);
  connect(cbEncoder_, &QComboBox::activated, this, &TConfigForm::cbEncoderChange);
  label19_ = MakeTextLabel(p, "Label19", QStringLiteral("Description des fonctionnalités du format"), {14, 128});
  label19_->setGeometry(14, 128, 347, 26);
  label19_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label19_->setWordWrap(true);
  BuildCleanControls(p);
}

void TConfigForm::BuildCleanControls(QWidget* p) {
  // Clean tracks: which titles of a recording cut by title are kept.
  cbCleanPartial_ = MakeCheckWithLabel(p, "cbCleanPartial", "LabelCleanPartial",
                                       QStringLiteral("Sans titres incomplets"), {13, 158});
  cbCleanPartial_->setToolTip(QStringLiteral("Ne garde ni le premier ni le dernier titre, commencés ou finis en cours."));
  connect(cbCleanPartial_, &QCheckBox::clicked, this, [this](bool on) { Page().cbCleanPartialClick(on); });
  cleanControls_ << cbCleanPartial_ << p->findChild<QLabel*>(QStringLiteral("LabelCleanPartial"));
  cleanControls_ << MakeTextLabel(p, "LabelCleanLength", QStringLiteral("Garder de"), {168, 160});
  edCleanMinSeconds_ = new QSpinBox(p);
  edCleanMinSeconds_->setObjectName(QStringLiteral("edCleanMinSeconds"));
  edCleanMinSeconds_->setGeometry(228, 156, 56, 20);
  edCleanMinSeconds_->setRange(0, 600);
  edCleanMinSeconds_->setSuffix(QStringLiteral(" s"));
  edCleanMinSeconds_->setSpecialValueText(QStringLiteral("0 s"));
  edCleanMinSeconds_->setToolTip(QStringLiteral("Les titres plus courts (jingles, annonces) ne sont pas gardés."));
  connect(edCleanMinSeconds_, &QSpinBox::valueChanged, this, [this](int v) { Page().edCleanMinSecondsChange(v); });
  cleanControls_ << edCleanMinSeconds_ << MakeTextLabel(p, "LabelCleanTo", QStringLiteral("à"), {288, 160});
  edCleanMaxMinutes_ = new QSpinBox(p);
  edCleanMaxMinutes_->setObjectName(QStringLiteral("edCleanMaxMinutes"));
  edCleanMaxMinutes_->setGeometry(300, 156, 62, 20);
  edCleanMaxMinutes_->setRange(0, 600);
  edCleanMaxMinutes_->setSuffix(QStringLiteral(" min"));
  edCleanMaxMinutes_->setSpecialValueText(QStringLiteral("sans fin"));
  edCleanMaxMinutes_->setToolTip(QStringLiteral("Les titres plus longs ne sont pas gardés."));
  connect(edCleanMaxMinutes_, &QSpinBox::valueChanged, this, [this](int v) { Page().edCleanMaxMinutesChange(v); });
  cleanControls_ << edCleanMaxMinutes_;
  cleanControls_ << MakeTextLabel(p, "LabelCleanIgnore", QStringLiteral("Ignorer :"), {13, 186});
  edCleanIgnore_ = new QLineEdit(p);
  edCleanIgnore_->setObjectName(QStringLiteral("edCleanIgnore"));
  edCleanIgnore_->setGeometry(60, 182, 150, 20);
  edCleanIgnore_->setPlaceholderText(QStringLiteral("Publicité; nom de la radio"));
  edCleanIgnore_->setToolTip(QStringLiteral("Les titres contenant un de ces mots (séparés par ;) ne sont pas gardés."));
  connect(edCleanIgnore_, &QLineEdit::textEdited, this, [this](const QString& t) { Page().edCleanIgnoreChange(t); });
  cleanControls_ << edCleanIgnore_;
  cbCleanRepeat_ = new QComboBox(p);
  cbCleanRepeat_->setObjectName(QStringLiteral("cbCleanRepeat"));
  cbCleanRepeat_->setGeometry(220, 182, 142, 20);
  cbCleanRepeat_->addItems({QStringLiteral("Numéroter les doublons"), QStringLiteral("Sauter les doublons")});
  cbCleanRepeat_->setToolTip(QStringLiteral("Un titre déjà enregistré dans le dossier de la radio."));
  connect(cbCleanRepeat_, &QComboBox::activated, this, [this](int index) { Page().cbCleanRepeatChange(index == 1); });
  cleanControls_ << cbCleanRepeat_;
}

void TConfigForm::BuildFavouritesPage() {
  QWidget* p = AddPage(QStringLiteral("Favoris"), "TabSheet4");
  favoritesListBox_ = new QListWidget(p);
  favoritesListBox_->setObjectName(QStringLiteral("FavoritesListBox"));
  favoritesListBox_->setGeometry(6, 12, 201, 176);
  QPalette pal = favoritesListBox_->palette();
  pal.setColor(QPalette::Base, QColor(192, 192, 192));
  favoritesListBox_->setPalette(pal);
  connect(favoritesListBox_, &QListWidget::itemClicked, this, &TConfigForm::FavoritesListBoxClick);
  btPlayFavorites_ = MakeButton(p, "btPlayFavorites", QStringLiteral("Jouer"), QRect(222, 12, 100, 25));
  btDeleteFavorites_ = MakeButton(p, "btDeleteFavorites", QStringLiteral("Retirer"), QRect(222, 45, 100, 25));
  btPlayFavorites_->setEnabled(false);
  btDeleteFavorites_->setEnabled(false);
  connect(btPlayFavorites_, &QPushButton::clicked, this, &TConfigForm::btPlayFavoritesClick);
  connect(btDeleteFavorites_, &QPushButton::clicked, this, &TConfigForm::btDeleteFavoritesClick);
}

TSettings& TConfigForm::Record() { return app_.Settings; }

void TConfigForm::FormCreate() {
  TSettings& s = Record();
  cbInfoSystray_->setChecked(s.TrayInformation);
  cbSpectroPeaks_->setChecked(s.SpectroPeaks);
  SelectColor(colorBoxes_[0], TColorValue(s.SpectroColorL));
  SelectColor(colorBoxes_[1], TColorValue(s.SpectroColorM));
  SelectColor(colorBoxes_[2], TColorValue(s.SpectroColorH));
  FillProxyControls();
  FillRecordingControls();
  FillEncoderList(app_.ExeFolder);
}

void TConfigForm::FillRecordingControls() {
  TRecordPage& p = Page();
  edRecordDir_->setText(p.edRecordDir);
  cbCutByTitle_->setChecked(p.cbCutByTitle);
  // A stored count that is none of the items leaves the list without a selection.
  cbRecordOcc_->setCurrentIndex(cbRecordOcc_->findText(p.cbRecordOccText, Qt::MatchExactly));
  cbRecordOcc_->setEnabled(p.cbRecordOccEnabled);
  label6_->setEnabled(p.cbRecordOccEnabled);
  cbCleanPartial_->setChecked(p.cbCleanPartial);
  edCleanMinSeconds_->setValue(p.edCleanMinSeconds);
  edCleanMaxMinutes_->setValue(p.edCleanMaxMinutes);
  edCleanIgnore_->setText(p.edCleanIgnore);
  cbCleanRepeat_->setCurrentIndex(p.cbCleanSkipRepeats ? 1 : 0);
  for (QWidget* w : cleanControls_) w->setEnabled(p.cbCutByTitle);
}

void TConfigForm::FillEncoderList(const QString& exeFolder) {
  TRecordPage& p = Page();
  p.Encoders = TRecordPage::AvailableEncoders(exeFolder);
  cbEncoder_->clear();
  cbEncoder_->addItems(p.Encoders);
  // The stored format when it is offered (exact case), else the last one, WMA.
  int index = int(p.Encoders.indexOf(p.cbEncoder));
  if (index < 0) index = int(p.Encoders.size()) - 1;
  cbEncoder_->setCurrentIndex(index);
  cbEncoderChange();
}

void TConfigForm::FillProxyControls() {
  const TSettings& s = Record();
  cbProxyConnexion_->setChecked(s.IsProxyServer);
  for (QWidget* w : proxyControls_) w->setEnabled(s.IsProxyServer);
  edProxyServer_->setText(s.ProxyServer);
  edProxyUser_->setText(s.ProxyUser);
  edProxyPasswd_->setText(s.ProxyPasswd);
  edProxyPort_->setText(s.ProxyPort);
}

void TConfigForm::SelectColor(QComboBox* box, TColorValue value) {
  int index = box->findData(value);
  if (index < 0) {
    // A colour that is none of the named ones is shown by its value.
    box->addItem(QIcon(Swatch(value, palette())), QStringLiteral("#%1").arg(value, 6, 16, QLatin1Char('0')), value);
    index = box->count() - 1;
  }
  box->setCurrentIndex(index);
}

void TConfigForm::AttachBrowser(TFormListeRadio* browser) {
  browser_ = browser;
  remoteTunerComboBox_->clear();
  remoteTunerComboBox_->addItems(browser->Startup().RemoteTuners);
  if (remoteTunerComboBox_->count() > 0) remoteTunerComboBox_->setCurrentIndex(0);
  // The browser's start-up may have taken the desktop's proxy.
  FillProxyControls();
}

void TConfigForm::showEvent(QShowEvent* event) {
  PlaceNextToMain(host_.MainWindow(), this);
  TSkinnedForm::showEvent(event);
}

void TConfigForm::ShowPage(const QString& page) {
  for (int i = 0; i < pages_->count(); ++i) {
    if (pages_->tabText(i) == page) pages_->setCurrentIndex(i);
  }
  show();
  raise();
}

QString TConfigForm::CurrentPage() const {
  return pages_->tabText(pages_->currentIndex());
}

// ---- Affichage ----------------------------------------------------------------------------

void TConfigForm::SetBalloonSwitch(bool on) {
  cbInfoSystray_->setChecked(on);
}

void TConfigForm::cbInfoSystrayClick() {
  host_.SetBalloonSwitch(cbInfoSystray_->isChecked());
}

void TConfigForm::cbSpectroPeaksClick() {
  Record().SpectroPeaks = cbSpectroPeaks_->isChecked();
  if (TSpectrum* spectrum = host_.Spectrum()) spectrum->ShowPeaks = cbSpectroPeaks_->isChecked();
}

void TConfigForm::SpectroColorChange(int which) {
  const auto value = TColorValue(colorBoxes_[which]->currentData().toUInt());
  TSettings& s = Record();
  int* stored[] = {&s.SpectroColorL, &s.SpectroColorM, &s.SpectroColorH};
  *stored[which] = int(value);
  TSpectrum* spectrum = host_.Spectrum();
  if (!spectrum) return;
  TColorValue* target[] = {&spectrum->ColorLow, &spectrum->ColorMid, &spectrum->ColorHigh};
  *target[which] = value;
}

// ---- Connexion ----------------------------------------------------------------------------

void TConfigForm::cbProxyConnexionClick() {
  const bool on = cbProxyConnexion_->isChecked();
  Record().IsProxyServer = on;
  for (QWidget* w : proxyControls_) w->setEnabled(on);
}

// ---- Enregistrement -----------------------------------------------------------------------

void TConfigForm::btnSelectDirClick() {
  TRecordPage& p = Page();
  p.btnSelectDirClick([this](const QString& title, int) { return SelectFolder(title); });
  edRecordDir_->setText(p.edRecordDir);
}

void TConfigForm::cbCutByTitleClick() {
  TRecordPage& p = Page();
  p.cbCutByTitleClick(cbCutByTitle_->isChecked());
  cbRecordOcc_->setEnabled(p.cbRecordOccEnabled);
  label6_->setEnabled(p.cbRecordOccEnabled);
  for (QWidget* w : cleanControls_) w->setEnabled(p.cbCutByTitle);
}

void TConfigForm::cbRecordOccChange() {
  Page().cbRecordOccChange(cbRecordOcc_->currentText());
}

void TConfigForm::cbEncoderChange() {
  TRecordPage& p = Page();
  p.cbEncoderChange(cbEncoder_->currentText());
  if (!p.Label19.isEmpty()) label19_->setText(p.Label19);
}

// ---- Tuner --------------------------------------------------------------------------------

void TConfigForm::RemoteTunerComboBoxChange(int index) {
  if (!browser_ || index < 0) return;
  browser_->RemoteTunerComboBoxChange(remoteTunerComboBox_->itemText(index));
}

void TConfigForm::DirectoryButtonClick() {
  if (browser_) browser_->TunerComboBoxChange(2);
}

void TConfigForm::UpdateDirectoryButtonClick() {
  if (browser_) browser_->UpdateDirectory();
}

void TConfigForm::NewButtonDbClick() {
  if (!browser_ || !Confirm(QStringLiteral("Voulez-vous vraiment supprimer toutes les radios du tuner local ?"))) return;
  browser_->NewLocalTuner();
}

void TConfigForm::ImportButtonDBClick() {
  if (!browser_) return;
  const QString folder = SelectFolder(QStringLiteral("Sélectionnez le répertoire à importer dans votre tuner local"));
  if (folder.isEmpty()) return;
  if (!browser_->ImportLocalTuner(folder))
    ShowError(QStringLiteral("Impossible de trouver le fichier radios.xml dans ce répertoire !"));
}

void TConfigForm::ExportButtonDBClick() {
  if (!browser_) return;
  const QString folder = SelectFolder(QStringLiteral("Sélectionnez un répertoire pour  sauvegarder votre tuner local"));
  if (folder.isEmpty()) return;
  browser_->ExportLocalTuner(folder);
}

// ---- Favoris ------------------------------------------------------------------------------

void TConfigForm::MirrorFavourites(const QStringList& names) {
  btDeleteFavorites_->setEnabled(false);
  favoritesListBox_->clear();
  favoritesListBox_->addItems(names);
}

QStringList TConfigForm::FavouriteNames() const {
  QStringList names;
  for (int i = 0; i < favoritesListBox_->count(); ++i) names << favoritesListBox_->item(i)->text();
  return names;
}

void TConfigForm::FavoritesListBoxClick() {
  btDeleteFavorites_->setEnabled(true);
  btPlayFavorites_->setEnabled(true);
}

void TConfigForm::btPlayFavoritesClick() {
  QListWidgetItem* item = favoritesListBox_->currentItem();
  if (item) host_.PlayFavourite(item->text());
}

void TConfigForm::btDeleteFavoritesClick() {
  const int row = favoritesListBox_->currentRow();
  if (row < 0) return;
  delete favoritesListBox_->takeItem(row);
  btDeleteFavorites_->setEnabled(false);
  btPlayFavorites_->setEnabled(false);
  host_.FavouritesEdited(FavouriteNames());
}
