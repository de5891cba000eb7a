#include "windows/radioeditform.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "common/appfolders.h"
#include "windows/formcontrols.h"
#include "windows/formlisteradio.h"

namespace {

const QColor kLabelColour(192, 192, 192);

QPushButton* Button(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QLatin1String(name));
  b->setGeometry(geometry);
  return b;
}

QLineEdit* Edit(QWidget* parent, const char* name, QRect geometry) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QLatin1String(name));
  e->setGeometry(geometry);
  return e;
}

QComboBox* Picker(QWidget* parent, const char* name, QRect geometry) {
  auto* c = new QComboBox(parent);  // not editable: only its entries can be chosen
  c->setObjectName(QLatin1String(name));
  c->setGeometry(geometry);
  return c;
}

// Fills `box` with the Name of every row of `table`, in its order.
void FillNames(QComboBox* box, TCatalogueTable& table) {
  box->clear();
  if (!table.Active()) return;
  const int field = table.FieldIndex(QStringLiteral("Name"));
  for (int i = 0; i < table.RecordCount(); ++i) {
    const TRow* row = table.ViewRow(i);
    if (row && field >= 0 && field < int(row->size())) box->addItem((*row)[size_t(field)].Text);
  }
}

void SelectExact(QComboBox* box, const QString& text) {
  box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

}  // namespace

TRadioEditForm::TRadioEditForm(QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("RadioEditForm"), QSize(403, 285), QStringLiteral("editor.png"),
                                   QStringLiteral("Edition d'une radio"), QRect(353, 0, 44, 19), QPoint(42, 5),
                                   QPoint(10, 4)),
                   parent) {
  setWindowModality(Qt::ApplicationModal);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  setFont(font);
  TitleLabel()->setFont([] {
    QFont title(QStringLiteral("MS Sans Serif"));
    title.setPixelSize(13);
    return title;
  }());
  ChoosePicture = [this](const QString& title, const QString& folder) {
    return QFileDialog::getOpenFileName(this, title, folder, QStringLiteral("Images (*.png *.jpg *.jpeg *.gif *.bmp *.ico)"));
  };
  ShowError = [this](const QString& text) { QMessageBox::critical(this, QStringLiteral("Zovalis"), text); };

  const struct {
    const char* name;
    const char* text;
    int y;
  } labels[] = {{"Label1", "Nom de la radio", 36}, {"Label2", "URL du Flux", 60}, {"Label3", "Genre", 84},
                {"Label4", "Pays", 156},          {"Label5", "Réseau", 180},     {"Label6", "Site Web", 204},
                {"Label7", "Icône", 228}};
  for (const auto& l : labels)
    MakeLabel(this, l.name, QString::fromUtf8(l.text), QRect(12, l.y, 0, 0), "Tahoma", 11, false, kLabelColour);

  edRadio_ = Edit(this, "edRadio", QRect(110, 32, 281, 21));
  edUrl_ = Edit(this, "edUrl", QRect(110, 56, 281, 21));
  edGenre_ = new QListWidget(this);
  edGenre_->setObjectName(QStringLiteral("EdGenre"));
  edGenre_->setGeometry(110, 80, 120, 68);
  connect(edGenre_, &QListWidget::itemClicked, this, &TRadioEditForm::EdGenreClick);
  genreComboBox_ = Picker(this, "genreComboBox", QRect(236, 80, 128, 21));
  genreBtn_ = Button(this, "genreBtn", QStringLiteral("..."), QRect(368, 80, 23, 21));
  btAddGenre_ = Button(this, "btAddGenre", QStringLiteral("<<<< Ajouter"), QRect(236, 104, 100, 21));
  btDeleteGenre_ = Button(this, "btDeleteGenre", QStringLiteral(">>>> Retirer"), QRect(236, 127, 100, 21));
  connect(btAddGenre_, &QPushButton::clicked, this, &TRadioEditForm::btAddGenreClick);
  connect(btDeleteGenre_, &QPushButton::clicked, this, &TRadioEditForm::btDeleteGenreClick);
  edCountry_ = Picker(this, "edCountry", QRect(110, 152, 254, 21));
  countryBtn_ = Button(this, "countryBtn", QStringLiteral("..."), QRect(368, 152, 23, 21));
  edNetWork_ = Picker(this, "edNetWork", QRect(110, 176, 254, 21));
  networkBtn_ = Button(this, "networkBtn", QStringLiteral("..."), QRect(368, 176, 23, 21));
  edWeb_ = Edit(this, "edWeb", QRect(110, 200, 281, 21));
  edIcon_ = Edit(this, "edIcon", QRect(110, 224, 254, 21));
  iconButton_ = Button(this, "IconButton", QStringLiteral("..."), QRect(368, 224, 23, 21));
  connect(iconButton_, &QPushButton::clicked, this, &TRadioEditForm::IconButtonClick);
  btSave_ = Button(this, "btSave", QStringLiteral("&Sauvegarder"), QRect(210, 253, 88, 25));
  btCancel_ = Button(this, "btCancel", QStringLiteral("&Annuler"), QRect(303, 253, 88, 25));
  connect(btSave_, &QPushButton::clicked, this, &TRadioEditForm::btSaveClick);
  connect(btCancel_, &QPushButton::clicked, this, &TRadioEditForm::btCancelClick);
  connect(genreBtn_, &QPushButton::clicked, this, [this] {
    if (EditList) EditList(TCatalogueKind::Genres);
  });
  connect(countryBtn_, &QPushButton::clicked, this, [this] {
    if (EditList) EditList(TCatalogueKind::Countries);
  });
  connect(networkBtn_, &QPushButton::clicked, this, [this] {
    if (EditList) EditList(TCatalogueKind::Networks);
  });
}

QString TRadioEditForm::TunerFolder() const {
  return browser_ ? browser_->Loader().TunerFolder() : QString();
}

bool TRadioEditForm::Execute() {
  if (!browser_) return false;
  FormShow();
  result_ = false;
  RunUntilFinished(this, loop_);
  return result_;
}

void TRadioEditForm::Finish(bool ok) {
  result_ = ok;
  if (loop_) loop_->quit();
}

void TRadioEditForm::FormShow() {
  move(browser_->x() + 32, browser_->y() + 32);
  const TStationFields f = ReadStationFields(browser_->radiosDataset);
  edRadio_->setText(f.Radio);
  edUrl_->setText(f.Url);
  edGenre_->clear();
  edGenre_->addItems(GenreLines(f.Genre));
  stationCountry_ = f.Country;
  stationNetwork_ = f.Network;
  RefillGenres();
  genreComboBox_->setCurrentIndex(genreComboBox_->count() > 0 ? 0 : -1);
  RefillCountries();
  RefillNetworks();
  edWeb_->setText(f.Web);
  edIcon_->setText(f.Icon);
}

void TRadioEditForm::RefillGenres() {
  if (!browser_) return;
  FillNames(genreComboBox_, browser_->genreDataSet);
  genreComboBox_->setCurrentIndex(-1);
  btDeleteGenre_->setEnabled(false);
}

void TRadioEditForm::RefillCountries() {
  if (!browser_) return;
  FillNames(edCountry_, browser_->countryDataSet);
  SelectExact(edCountry_, stationCountry_);
}

void TRadioEditForm::RefillNetworks() {
  if (!browser_) return;
  FillNames(edNetWork_, browser_->networkDataSet);
  SelectExact(edNetWork_, stationNetwork_);
}

void TRadioEditForm::btAddGenreClick() {
  edGenre_->addItem(genreComboBox_->currentText());
}

void TRadioEditForm::EdGenreClick() {
  btDeleteGenre_->setEnabled(true);
}

void TRadioEditForm::btDeleteGenreClick() {
  const int row = edGenre_->currentRow();
  if (row >= 0) delete edGenre_->takeItem(row);
  btDeleteGenre_->setEnabled(false);
}

void TRadioEditForm::IconButtonClick() {
  const QString target = TunerFolder() + QStringLiteral("icones/");
  const QString file =
      ChoosePicture(QStringLiteral("Choisissez un icone"), GetSpecialFolderPath(SpecialFolder::Documents));
  if (file.isEmpty()) return;
  QString error;
  if (const std::optional<QString> name = TakePicture(file, target, &error)) {
    edIcon_->setText(*name);
  } else {
    ShowError(error);
  }
}

void TRadioEditForm::btSaveClick() {
  QStringList lines;
  for (int i = 0; i < edGenre_->count(); ++i) lines << edGenre_->item(i)->text();
  const TStationFields f{edRadio_->text(), edUrl_->text(), JoinGenreLines(lines), edCountry_->currentText(),
                         edNetWork_->currentText(), edWeb_->text(), edIcon_->text()};
  if (TTableResult r = SaveStation(browser_->radiosDataset, f, TunerFolder() + QStringLiteral("radios.xml")); !r)
    ShowError(r.Error->Text());
  Finish(true);
}

void TRadioEditForm::btCancelClick() {
  Finish(false);
}

void TRadioEditForm::CloseBtnClick() {
  Finish(false);
}
