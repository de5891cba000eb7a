#include "windows/listeditform.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

#include "windows/formcontrols.h"
#include "windows/formlisteradio.h"
#include "windows/radioeditform.h"
#include "catalogue/stationedit.h"

TListEditForm::TListEditForm(const QString& instanceName, const QString& title, TCatalogueKind kind,
                             QList<TListTableModel::TColumn> columns, QWidget* parent)
    : TSkinnedForm(SecondaryLayout(instanceName, QSize(403, 290), QStringLiteral("listeditor.png"), title,
                                   QRect(353, 0, 44, 19), QPoint(42, 5), QPoint(10, 4)),
                   parent),
      kind_(kind),
      columns_(std::move(columns)) {
  setWindowModality(Qt::ApplicationModal);
  ChoosePicture = [this](const QString& caption, const QString& folder) {
    return QFileDialog::getOpenFileName(this, caption, folder, QStringLiteral("Images (*.png *.gif *.jpg *.bmp *.ico)"));
  };
  ShowError = [this](const QString& text) { QMessageBox::critical(this, QString(), text); };
  grid_ = new QTableView(this);
  grid_->setObjectName(QStringLiteral("DBGrid1"));
  grid_->setGeometry(12, 32, 379, 214);
  grid_->verticalHeader()->hide();
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(11);
  grid_->setFont(font);
  grid_->verticalHeader()->setDefaultSectionSize(18);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  editMenu_ = new QMenu(this);
  editMenu_->setObjectName(QStringLiteral("EditMenu"));
  editMenu_->addAction(QStringLiteral("&Ajouter"), this, &TListEditForm::mnAddClick);
  editMenu_->addAction(QStringLiteral("&Modifier"), this, &TListEditForm::mnUdpateClick);
  editMenu_->addAction(QStringLiteral("&Supprimer"), this, &TListEditForm::mnDeleteClick);
  connect(grid_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { editMenu_->popup(grid_->viewport()->mapToGlobal(at)); });
  if (kind_ == TCatalogueKind::Countries) {
    // Double click chooses the flag; the name is edited by typing or F2.
    grid_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                           QAbstractItemView::SelectedClicked);
    connect(grid_, &QTableView::doubleClicked, this, &TListEditForm::DBGrid1DblClick);
  }
  btSave_ = new QPushButton(QStringLiteral("Sauvegarder"), this);
  btSave_->setObjectName(QStringLiteral("btSave"));
  btSave_->setGeometry(291, 255, 100, 25);
  connect(btSave_, &QPushButton::clicked, this, &TListEditForm::btSaveClick);
}

TCatalogueTable* TListEditForm::Table() const {
  if (!browser_) return nullptr;
  switch (kind_) {
    case TCatalogueKind::Countries: return &browser_->countryDataSet;
    case TCatalogueKind::Genres: return &browser_->genreDataSet;
    case TCatalogueKind::Networks: return &browser_->networkDataSet;
    case TCatalogueKind::Stations: break;
  }
  return &browser_->radiosDataset;
}

void TListEditForm::Attach(TFormListeRadio* browser, std::function<TRadioEditForm*()> stationEditor) {
  browser_ = browser;
  stationEditor_ = std::move(stationEditor);
  model_ = new TListTableModel(*Table(), columns_, this);
  model_->ShowError = [this](const QString& text) { ShowError(text); };
  grid_->setModel(model_);
  for (int i = 0; i < columns_.size(); ++i) grid_->setColumnWidth(i, columns_[i].Width);
}

bool TListEditForm::Execute() {
  if (!browser_) return false;
  TRadioEditForm* editor = stationEditor_ ? stationEditor_() : nullptr;
  if (editor && editor->isVisible()) move(editor->x() + 32, editor->y() + 32);
  model_->PostPending();  // a row left pending by an earlier showing
  result_ = false;
  RunUntilFinished(this, loop_);
  return result_;
}

void TListEditForm::Finish(bool ok) {
  result_ = ok;
  if (loop_) loop_->quit();
}

void TListEditForm::CloseBtnClick() {
  Finish(false);
}

void TListEditForm::mnAddClick() {
  if (!model_->AddRow()) return;
  const QModelIndex last = model_->index(model_->rowCount() - 1, 0);
  grid_->setCurrentIndex(last);
  grid_->edit(last);
}

void TListEditForm::mnUdpateClick() {
  const QModelIndex current = grid_->currentIndex();
  if (current.isValid()) grid_->edit(current);
}

void TListEditForm::mnDeleteClick() {
  const QModelIndex current = grid_->currentIndex();
  if (current.isValid()) model_->DeleteRow(current.row());
}

void TListEditForm::DBGrid1DblClick() {
  const QModelIndex current = grid_->currentIndex();
  TCatalogueTable* table = Table();
  if (!current.isValid() || !table) return;
  const QString name = model_->data(model_->index(current.row(), 0)).toString();
  const QString file = ChoosePicture(QStringLiteral("Choisissez un drapeau pour ") + name,
                                     browser_->Loader().ExeFolder() + QStringLiteral("tuner/drapeaux/"));
  if (file.isEmpty()) return;
  QString error;
  const std::optional<QString> picture =
      TakePicture(file, browser_->Loader().TunerFolder() + QStringLiteral("drapeaux/"), &error);
  if (!picture) {
    ShowError(error);
    return;
  }
  model_->SetText(current.row(), QStringLiteral("Flag"), *picture);
}

void TListEditForm::btSaveClick() {
  TCatalogueTable* table = Table();
  if (!table) return;
  // A row that cannot be posted stays pending; the file keeps every stored row.
  model_->PostPending();
  if (TTableResult r = table->SaveToFile(browser_->Loader().TunerFolder() + CatalogueFileName(kind_)); !r) {
    ShowError(r.Error->Text());
  }
  table->SuspendDisplay();
  if (TRadioEditForm* editor = stationEditor_ ? stationEditor_() : nullptr) {
    if (kind_ == TCatalogueKind::Countries) editor->RefillCountries();
    if (kind_ == TCatalogueKind::Genres) editor->RefillGenres();
    if (kind_ == TCatalogueKind::Networks) editor->RefillNetworks();
  }
  browser_->RefillFilterList(*table);
  table->ResumeDisplay();
  Finish(true);
}
