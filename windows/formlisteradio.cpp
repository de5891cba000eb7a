#include "windows/formlisteradio.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QUrl>

#include "catalogue/proxydetect.h"
#include "catalogue/stationedit.h"
#include "catalogue/stationgrid.h"
#include "catalogue/stationgridmodel.h"
#include "catalogue/updatedescriptor.h"
#include "common/appfolders.h"
#include "common/placement.h"
#include "windows/formcontrols.h"
#include "common/versiontext.h"
#include "windows/infoform.h"

namespace {

using F = TBrowserFilter;

QFont Tahoma(int pixelSize) {
  QFont f(QStringLiteral("Tahoma"));
  f.setPixelSize(pixelSize);
  return f;
}

QLabel* WhiteLabel(QWidget* parent, const QString& name, const QString& text, QPoint at) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(Tahoma(11));
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(pal);
  label->move(at);
  label->adjustSize();
  return label;
}

// The browser's colours: white text on black, dark fields and headers, a steel-blue
// selection that reads on the dark grey skin.
QPalette DarkPalette(QPalette pal) {
  const QColor text = Qt::white;
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(group, QPalette::Window, Qt::black);
    pal.setColor(group, QPalette::WindowText, text);
    pal.setColor(group, QPalette::Base, Qt::black);
    pal.setColor(group, QPalette::AlternateBase, QColor(16, 16, 16));
    pal.setColor(group, QPalette::Text, text);
    pal.setColor(group, QPalette::Button, QColor(38, 38, 40));
    pal.setColor(group, QPalette::ButtonText, text);
    pal.setColor(group, QPalette::Light, QColor(70, 70, 74));
    pal.setColor(group, QPalette::Midlight, QColor(56, 56, 60));
    pal.setColor(group, QPalette::Mid, QColor(44, 44, 48));
    pal.setColor(group, QPalette::Dark, QColor(24, 24, 26));
    pal.setColor(group, QPalette::Shadow, Qt::black);
    pal.setColor(group, QPalette::Highlight, QColor(46, 88, 134));
    pal.setColor(group, QPalette::HighlightedText, text);
  }
  pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(38, 64, 94));
  pal.setColor(QPalette::Disabled, QPalette::Text, QColor(110, 110, 110));
  pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(110, 110, 110));
  pal.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(110, 110, 110));
  return pal;
}

struct TFilterControl {
  const char* Button;
  const char* Label;
  const char* Caption;
  int X;
};

// Indexed by TBrowserFilter: the radio buttons and their labels along the top.
const TFilterControl kFilterControls[kBrowserFilterCount] = {
    {"rbByName", "lbByName", "Nom", 14},          {"rbByGenre", "lbByGenre", "Style", 64},
    {"rbByCountry", "lbByCountry", "Pays", 117},  {"rbByNetwork", "lbByNetwork", "Réseau", 172},
    {"rbByStream", "lbByStream", "Flux", 239},    {"rbByQuality", "lbByQuality", "Qualité", 288},
};

QComboBox* DropDownList(QWidget* parent, const char* name) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(QLatin1String(name));
  combo->setGeometry(353, 32, 111, 21);
  combo->setFont(Tahoma(11));
  combo->setMaxVisibleItems(20);
  return combo;
}

}  // namespace

TFormListeRadio::TFormListeRadio(TAppContext& app, TCatalogue& catalogue, TBrowserHost& host, QWidget* parent)
    : TSkinnedForm(SecondaryLayout(QStringLiteral("FormListeRadio"), QSize(480, 320), QStringLiteral("browser.png"),
                                   QStringLiteral("Tuner"), QRect(428, 0, 44, 19), QPoint(42, 5), QPoint(10, 4)),
                   parent),
      Tables(catalogue.Tables),
      radiosDataset(catalogue.radiosDataset),
      countryDataSet(catalogue.countryDataSet),
      genreDataSet(catalogue.genreDataSet),
      networkDataSet(catalogue.networkDataSet),
      IdHTTP(catalogue.IdHTTP),
      app_(app),
      catalogue_(catalogue),
      host_(host) {
  // The tuner mode and folder follow the loader's switches.
  connect(&Loader(), &TCatalogueLoader::ModeChanged, this, [this](const QString& mode) {
    app_.Settings.Mode = mode;
    app_.TunerFolder = Loader().TunerFolder();
  });
  connect(&Loader(), &TCatalogueLoader::ListsChanged, this, &TFormListeRadio::FillLists);
  connect(&Loader(), &TCatalogueLoader::EditMenuEnabledChanged, this, [this](bool enabled) {
    editMenuState_ = TEditMenuState{enabled, enabled, enabled, enabled};
    ApplyEditMenu();
  });

  setPalette(DarkPalette(palette()));
  CreateFilterControls();
  CreateGrid();
  CreateEditMenu();

  WhiteLabel(this, QStringLiteral("Label1"), QStringLiteral("Tuner :"), QPoint(10, 300));
  tunerComboBox_ = new QComboBox(this);
  tunerComboBox_->setObjectName(QStringLiteral("TunerComboBox"));
  tunerComboBox_->addItems({QStringLiteral("Distant"), QStringLiteral("Local"), QStringLiteral("Annuaire mondial")});
  tunerComboBox_->setGeometry(47, 297, 112, 19);
  tunerComboBox_->setFont(Tahoma(11));
  // Only the user's choice switches tuners; selecting from the code does not.
  connect(tunerComboBox_, &QComboBox::activated, this, &TFormListeRadio::TunerComboBoxChange);
  lbStatusBar_ = WhiteLabel(this, QStringLiteral("lbStatusBar"), QString(), QPoint(165, 300));
  lbStatusBar_->resize(308, 14);

  // After the grid model's own connection: the model is reset before the status line,
  // the hints and the grid's current row follow the change.
  connect(&radiosDataset, &TCatalogueTable::DataChange, this, [this] { radiosDataSourceDataChange(); });
  RegisterLiveSettings();

  FormCreate();
}

TFormListeRadio::~TFormListeRadio() {
}

void TFormListeRadio::CreateFilterControls() {
  filterGroup_ = new QButtonGroup(this);
  filterGroup_->setExclusive(true);
  for (int i = 0; i < kBrowserFilterCount; ++i) {
    const TFilterControl& c = kFilterControls[i];
    auto* button = new QRadioButton(this);
    button->setObjectName(QLatin1String(c.Button));
    button->setGeometry(c.X, 34, 15, 15);
    // Light discs with a dark dot, as radio buttons look: a dark disc would vanish on black.
    QPalette pal = button->palette();
    pal.setColor(QPalette::Base, QColor(224, 224, 224));
    pal.setColor(QPalette::Text, Qt::black);
    button->setPalette(pal);
    filterGroup_->addButton(button, i);
    filterButtons_[size_t(i)] = button;
    // The label beside the button chooses the filter too.
    QLabel* label = WhiteLabel(this, QLatin1String(c.Label), QString::fromUtf8(c.Caption), QPoint(c.X + 16, 35));
    label->installEventFilter(this);
    filterLabels_[size_t(i)] = label;
  }
  void (TFormListeRadio::*const clicks[kBrowserFilterCount])() = {
      &TFormListeRadio::rbByNameClick,   &TFormListeRadio::rbByGenreClick,  &TFormListeRadio::rbByCountryClick,
      &TFormListeRadio::rbByNetworkClick, &TFormListeRadio::rbByStreamClick, &TFormListeRadio::rbByQualityClick};
  for (int i = 0; i < kBrowserFilterCount; ++i) connect(filterButtons_[size_t(i)], &QRadioButton::clicked, this, clicks[i]);

  nameEditBox_ = new QLineEdit(this);
  nameEditBox_->setObjectName(QStringLiteral("nameEditBox"));
  nameEditBox_->setGeometry(353, 32, 111, 21);
  nameEditBox_->setFont(Tahoma(11));
  connect(nameEditBox_, &QLineEdit::textEdited, this, &TFormListeRadio::nameEditBoxChange);
  // Escape in the name box empties it: every station shows again.
  auto* clear = new QShortcut(Qt::Key_Escape, nameEditBox_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(clear, &QShortcut::activated, this, [this] {
    if (nameEditBox_->text().isEmpty()) return;
    nameEditBox_->clear();
    nameEditBoxChange();
  });
  genreComboBox_ = DropDownList(this, "genreComboBox");
  countryComboBox_ = DropDownList(this, "countryComboBox");
  networkComboBox_ = DropDownList(this, "networkComboBox");
  streamComboBox_ = DropDownList(this, "streamComboBox");
  streamComboBox_->addItems(SortedListItems(StreamTypeItems()));
  streamComboBox_->setCurrentIndex(-1);
  qualityComboBox_ = DropDownList(this, "qualityComboBox");
  qualityComboBox_->addItems(SortedListItems(QualityItems()));
  qualityComboBox_->setCurrentIndex(-1);
  connect(genreComboBox_, &QComboBox::activated, this, &TFormListeRadio::genreComboBoxChange);
  connect(countryComboBox_, &QComboBox::activated, this, &TFormListeRadio::countryComboBoxChange);
  connect(networkComboBox_, &QComboBox::activated, this, &TFormListeRadio::networkComboBoxChange);
  connect(streamComboBox_, &QComboBox::activated, this, &TFormListeRadio::streamComboBoxChange);
  connect(qualityComboBox_, &QComboBox::activated, this, &TFormListeRadio::qualityComboBoxChange);
  valueControls_ = {nameEditBox_, genreComboBox_, countryComboBox_, networkComboBox_, streamComboBox_, qualityComboBox_};

  // At first show the name filter is checked with an empty text: every station shows.
  filterButtons_[size_t(F::Name)]->setChecked(true);
  for (int i = 0; i < kBrowserFilterCount; ++i) valueControls_[size_t(i)]->setVisible(i == int(F::Name));
}

void TFormListeRadio::CreateGrid() {
  model_ = new TStationGridModel(radiosDataset, this);
  listeRadio_ = new TStationGrid(this);
  listeRadio_->setObjectName(QStringLiteral("ListeRadio"));
  listeRadio_->setGeometry(7, 59, 462, 235);
  listeRadio_->setFont(Tahoma(11));
  listeRadio_->horizontalHeader()->setFont(Tahoma(11));
  listeRadio_->setModel(model_);
  for (int c = 0; c < TStationBrowser::kColumnCount; ++c) {
    if (TStationGridModel::kColumns[c].Width > 0) listeRadio_->setColumnWidth(c, TStationGridModel::kColumns[c].Width);
  }
  listeRadio_->FilterKey = [this](QKeyEvent* event) { return GridKeyToNameFilter(event); };
  connect(listeRadio_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TFormListeRadio::ListeRadioTitleClick);
  connect(listeRadio_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid()) GridCurrentRowChanged(index.row());
    ListeRadioDblClick();
  });
  connect(listeRadio_, &TStationGrid::EnterPressed, this, &TFormListeRadio::ListeRadioDblClick);
  connect(listeRadio_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) GridCurrentRowChanged(current.row());
          });
}

void TFormListeRadio::CreateEditMenu() {
  // The entries' actions come with the station editor; their enabling is kept here.
  editMenu_ = new QMenu(this);
  editMenu_->setObjectName(QStringLiteral("EditMenu"));
  const struct {
    const char* Name;
    const char* Caption;
  } entries[] = {{"mnAddRadio", "&Ajouter une radio"},
                 {"mnUdpateRadio", "&Modifier cette radio"},
                 {"mnDeleteRadio", "&Supprimer cette radio"},
                 {"mnSuggestRadio", "&Proposer cette radio ..."}};
  for (size_t i = 0; i < editActions_.size(); ++i) {
    if (i == 3) editMenu_->addSeparator();
    editActions_[i] = editMenu_->addAction(QString::fromUtf8(entries[i].Caption));
    editActions_[i]->setObjectName(QLatin1String(entries[i].Name));
  }
  connect(editActions_[0], &QAction::triggered, this, &TFormListeRadio::mnAddRadioClick);
  connect(editActions_[1], &QAction::triggered, this, &TFormListeRadio::mnUdpateRadioClick);
  connect(editActions_[2], &QAction::triggered, this, &TFormListeRadio::mnDeleteRadioClick);
  connect(editActions_[3], &QAction::triggered, this, &TFormListeRadio::mnSuggestRadioClick);
  ConfirmDelete = [this](const QString& text) {
    // A deletion cannot be undone: "Non" is the default.
    return QMessageBox::question(this, QStringLiteral("Demande de confirmation"), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
  };
  ApplyEditMenu();
  listeRadio_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(listeRadio_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { editMenu_->popup(listeRadio_->viewport()->mapToGlobal(at)); });
}

void TFormListeRadio::RegisterLiveSettings() {
  // The settings record follows the filter controls as they change, once the saved filter
  // was put back into them (or the user chose one): until then the record keeps what the
  // last run left.
  const auto follow = [this] {
    if (filterFollowed_) SaveFilterState();
  };
  connect(filterGroup_, &QButtonGroup::idToggled, this, [follow](int, bool checked) {
    if (checked) follow();
  });
  connect(nameEditBox_, &QLineEdit::textChanged, this, follow);
  for (QComboBox* combo : {genreComboBox_, countryComboBox_, networkComboBox_, qualityComboBox_, streamComboBox_})
    connect(combo, &QComboBox::currentTextChanged, this, follow);
}

QTableView* TFormListeRadio::ListeRadio() const { return listeRadio_; }

void TFormListeRadio::FormCreate() {
  serverBase_ = UpdateServerBase(app_.ExeFolder);
  TitleLabel()->setText(Loader().TunerTitle(serverBase_));
  TitleLabel()->adjustSize();

  TStartupContext context;
  context.Settings = &SettingsRecord();
  context.Http = &IdHTTP;
  context.Loader = &Loader();
  context.Prompts = this;
  context.ServerBase = serverBase_;
  context.DataFolder = app_.DataFolder;
  const TFileVersion v = CompiledFileVersion();
  context.ProgramVersion = ProgramVersionNumber(v.Major, v.Minor, v.Release);
  context.ReadSystemProxy = [] { return ReadSystemProxy(); };
  startup_ = RunBrowserStartup(context);
  SelectTunerEntry();
  radiosDataSourceDataChange();
}

void TFormListeRadio::showEvent(QShowEvent* event) {
  TSkinnedForm::showEvent(event);
  FormShow();
}

void TFormListeRadio::FormShow() {
  const QWidget* main = host_.MainWindow();
  if (!main) return;
  move(SecondaryPlacement(main->frameGeometry(), frameSize(), AvailableAreaFor(main->frameGeometry())));
}

bool TFormListeRadio::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    for (int i = 0; i < kBrowserFilterCount; ++i) {
      if (watched == filterLabels_[size_t(i)]) {
        filterButtons_[size_t(i)]->click();
        return true;
      }
    }
  }
  return TSkinnedForm::eventFilter(watched, event);
}

// ---- Filters ------------------------------------------------------------------------------

TBrowserFilter TFormListeRadio::CheckedFilter() const {
  const int id = filterGroup_->checkedId();
  return id >= 0 ? F(id) : F::Name;
}

QString TFormListeRadio::FilterValue(TBrowserFilter filter) const {
  if (filter == F::Name) return nameEditBox_->text();
  return static_cast<QComboBox*>(valueControls_[size_t(filter)])->currentText();
}

void TFormListeRadio::rbByNameClick() {
  ChooseFilter(F::Name);
  FollowFilter();
}
void TFormListeRadio::rbByGenreClick() {
  ChooseFilter(F::Genre);
  FollowFilter();
}
void TFormListeRadio::rbByCountryClick() {
  ChooseFilter(F::Country);
  FollowFilter();
}
void TFormListeRadio::rbByNetworkClick() {
  ChooseFilter(F::Network);
  FollowFilter();
}
void TFormListeRadio::rbByStreamClick() {
  ChooseFilter(F::Stream);
  FollowFilter();
}
void TFormListeRadio::rbByQualityClick() {
  ChooseFilter(F::Quality);
  FollowFilter();
}

void TFormListeRadio::nameEditBoxChange() {
  ApplyFilter(F::Name);
  FollowFilter();
}
void TFormListeRadio::genreComboBoxChange() {
  ApplyFilter(F::Genre);
  FollowFilter();
}
void TFormListeRadio::countryComboBoxChange() {
  ApplyFilter(F::Country);
  FollowFilter();
}
void TFormListeRadio::networkComboBoxChange() {
  ApplyFilter(F::Network);
  FollowFilter();
}
void TFormListeRadio::streamComboBoxChange() {
  ApplyFilter(F::Stream);
  FollowFilter();
}
void TFormListeRadio::qualityComboBoxChange() {
  ApplyFilter(F::Quality);
  FollowFilter();
}

void TFormListeRadio::ChooseFilter(TBrowserFilter filter) {
  filterButtons_[size_t(filter)]->setChecked(true);  // the group unchecks the others
  for (int i = 0; i < kBrowserFilterCount; ++i) valueControls_[size_t(i)]->setVisible(i == int(filter));
  if (filter == F::Name && isActiveWindow()) nameEditBox_->setFocus();
  ApplyFilter(filter);
}

void TFormListeRadio::ApplyFilter(TBrowserFilter filter) {
  // Applied at once for every keystroke: a filter over 50,000 stations takes well under a
  // frame, so the grid always shows the text in the box.
  const TTableResult r = browser_.ApplyFilter(filter, FilterValue(filter));
  if (!r.Ok()) ShowStandardError(r.Error->Text());
  UpdateSortMarkers();
  // A table never created (no catalogue could be loaded) sends no change notification.
  if (r.Found && !radiosDataset.Active()) radiosDataSourceDataChange();
}

void TFormListeRadio::FillLists() {
  // The loader empties and refills the reference lists: no entry is selected afterwards.
  const struct {
    QComboBox* Combo;
    const QStringList& Names;
  } lists[] = {{countryComboBox_, Loader().CountryNames()},
               {genreComboBox_, Loader().GenreNames()},
               {networkComboBox_, Loader().NetworkNames()}};
  for (const auto& l : lists) {
    l.Combo->clear();
    l.Combo->addItems(SortedListItems(l.Names));
    l.Combo->setCurrentIndex(-1);
  }
}

// ---- Editing -------------------------------------------------------------------------------

void TFormListeRadio::mnAddRadioClick() {
  if (!AppendNewStation(radiosDataset)) return;
  // A cancelled editor drops the new row, which was never posted.
  if (!host_.EditStation() && radiosDataset.State() == TCatalogueTable::TState::Insert) radiosDataset.Cancel();
}

bool TFormListeRadio::AddStationRecord(const TStationRecord& station) {
  if (Loader().Loading()) return false;
  if (Loader().Tuner.Mode != QLatin1String("local")) {
    tunerComboBox_->setCurrentIndex(1);
    TunerComboBoxChange(1);
  }
  if (Loader().Tuner.Mode != QLatin1String("local") || !radiosDataset.Active()) return false;
  if (!AppendStationRecord(radiosDataset, station)) {
    if (radiosDataset.State() == TCatalogueTable::TState::Insert) radiosDataset.Cancel();
    return false;
  }
  show();
  raise();
  if (!host_.EditStation() && radiosDataset.State() == TCatalogueTable::TState::Insert) radiosDataset.Cancel();
  return true;
}

void TFormListeRadio::mnUdpateRadioClick() {
  if (radiosDataset.RecordCount() == 0 || !radiosDataset.Edit()) return;
  if (!host_.EditStation() && radiosDataset.State() == TCatalogueTable::TState::Edit) radiosDataset.Cancel();
}

void TFormListeRadio::mnDeleteRadioClick() {
  if (radiosDataset.RecordCount() == 0) return;
  const QString name = radiosDataset.FieldText(QStringLiteral("Radio")).Value;
  // The file is written with the next write of the station table (at close at the latest).
  if (ConfirmDelete(DeleteStationQuestion(name))) radiosDataset.Delete();
}

void TFormListeRadio::mnSuggestRadioClick() {
  if (radiosDataset.RecordCount() == 0) return;
  const TStationFields f = ReadStationFields(radiosDataset);
  host_.SendMail(StationSuggestionMail(f.Radio, f.Web, f.Url));
}

void TFormListeRadio::RefillFilterList(const TCatalogueTable& table) {
  QComboBox* combo = &table == &countryDataSet ? countryComboBox_
                     : &table == &genreDataSet ? genreComboBox_
                     : &table == &networkDataSet ? networkComboBox_
                                                 : nullptr;
  if (!combo || !table.Active()) return;
  const QString remembered = combo->currentText();
  const QSignalBlocker quiet(combo);
  combo->clear();
  const int field = table.FieldIndex(QStringLiteral("Name"));
  for (int i = 0; i < table.RecordCount(); ++i) {
    const TRow* row = table.ViewRow(i);
    if (row && field >= 0 && field < int(row->size())) combo->addItem((*row)[size_t(field)].Text);
  }
  combo->setCurrentIndex(combo->findText(remembered, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TFormListeRadio::SaveFilterState() {
  TSettings& s = SettingsRecord();
  if (filterGroup_->checkedButton()) s.Filter = FilterSettingName(CheckedFilter());
  s.FilterName = nameEditBox_->text();
  s.FilterGenre = genreComboBox_->currentText();
  s.FilterCountry = countryComboBox_->currentText();
  s.FilterNetwork = networkComboBox_->currentText();
  s.FilterQuality = qualityComboBox_->currentText();
  s.FilterStream = streamComboBox_->currentText();
}

void TFormListeRadio::SuspendFilterFollowing() {
  // A tuner change refills the lists: the record keeps the filter to put back after it.
  SaveFilterState();
  filterFollowed_ = false;
}

void TFormListeRadio::FollowFilter() {
  filterFollowed_ = true;
  SaveFilterState();
}

void TFormListeRadio::RestoreFilterState() {
  // A copy: the record follows the controls while they are set.
  const TSettings s = SettingsRecord();
  const std::optional<F> saved = FilterFromSettingName(s.Filter);
  nameEditBox_->setText(s.FilterName);
  if (saved == F::Name) ChooseFilter(F::Name);
  // A saved value missing from its list leaves the list's selection as it is.
  const struct {
    F Filter;
    QComboBox* Combo;
    const QString& Value;
  } lists[] = {{F::Genre, genreComboBox_, s.FilterGenre},
               {F::Country, countryComboBox_, s.FilterCountry},
               {F::Network, networkComboBox_, s.FilterNetwork},
               {F::Quality, qualityComboBox_, s.FilterQuality},
               {F::Stream, streamComboBox_, s.FilterStream}};
  for (const auto& l : lists) {
    const int index = l.Combo->findText(l.Value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) l.Combo->setCurrentIndex(index);
    if (saved == l.Filter) ChooseFilter(l.Filter);
  }
  filterFollowed_ = true;
  SaveFilterState();
}

// ---- Order, moves and the grid --------------------------------------------------------------

void TFormListeRadio::ListeRadioTitleClick(int column) {
  browser_.TitleClick(column);
  UpdateSortMarkers();
}

void TFormListeRadio::UpdateSortMarkers() {
  QHeaderView* header = listeRadio_->horizontalHeader();
  for (int c = 0; c < TStationBrowser::kColumnCount; ++c) {
    const TSortMarker m = browser_.Marker(c);
    if (m == TSortMarker::None) continue;
    // The header draws Qt's descending order as an arrow pointing up: the marker of an
    // ascending order, smallest first.
    header->setSortIndicator(c, m == TSortMarker::Ascending ? Qt::DescendingOrder : Qt::AscendingOrder);
    return;
  }
  header->setSortIndicator(-1, Qt::AscendingOrder);
}

void TFormListeRadio::ListeRadioDblClick() {
  if (!radiosDataset.Active() || radiosDataset.RecNo() < 1) return;
  Q_EMIT StationChosen(CurrentStationRecord(radiosDataset));
}

void TFormListeRadio::FocusNameFilter() {
  if (!FilterButton(F::Name)->isChecked()) rbByNameClick();
  nameEditBox_->setFocus();
  nameEditBox_->selectAll();
}

bool TFormListeRadio::GridKeyToNameFilter(QKeyEvent* event) {
  // Typing over the grid searches by name: the name filter takes the key (switching to it
  // if another filter was checked) and keeps the focus, so the next keys go on the text.
  if (event->key() == Qt::Key_Escape) {
    if (!FilterButton(F::Name)->isChecked() || nameEditBox_->text().isEmpty()) return false;
    nameEditBox_->clear();
    nameEditBoxChange();
    return true;
  }
  if (event->key() == Qt::Key_Backspace && (!FilterButton(F::Name)->isChecked() || nameEditBox_->text().isEmpty()))
    return false;
  if (!FilterButton(F::Name)->isChecked()) rbByNameClick();
  nameEditBox_->setFocus();
  nameEditBox_->deselect();
  nameEditBox_->end(false);
  QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text(), event->isAutoRepeat(),
                 ushort(event->count()));
  QCoreApplication::sendEvent(nameEditBox_, &copy);
  return true;
}

void TFormListeRadio::SetPlayingStation(const QString& name) { model_->SetPlaying(name); }

void TFormListeRadio::PreviousStation() { browser_.PreviousStation(); }

void TFormListeRadio::NextStation() { browser_.NextStation(); }

void TFormListeRadio::GridCurrentRowChanged(int row) {
  if (syncingGrid_ || !radiosDataset.Active() || radiosDataset.RecNo() == row + 1) return;
  syncingGrid_ = true;
  radiosDataset.SetRecNo(row + 1);
  syncingGrid_ = false;
}

void TFormListeRadio::SyncGridToTable() {
  if (syncingGrid_) return;
  syncingGrid_ = true;
  const int row = radiosDataset.Active() ? radiosDataset.RecNo() - 1 : -1;
  const QModelIndex current = listeRadio_->currentIndex();
  if (row < 0) {
    listeRadio_->selectionModel()->clear();
  } else if (current.row() != row || !listeRadio_->selectionModel()->isRowSelected(row, {})) {
    // The grid scrolls to the row, not sideways: a title clicked at the right stays in view.
    QScrollBar* sideways = listeRadio_->horizontalScrollBar();
    const int x = sideways->value();
    const int column = current.isValid() ? current.column() : std::max(listeRadio_->columnAt(0), 0);
    listeRadio_->setCurrentIndex(model_->index(row, column));
    sideways->setValue(x);
  }
  syncingGrid_ = false;
}

void TFormListeRadio::radiosDataSourceDataChange() {
  const F filter = CheckedFilter();
  const QString value = FilterValue(filter);
  const int count = radiosDataset.Active() ? radiosDataset.RecordCount() : 0;
  lbStatusBar_->setText(BrowserStatusText(filter, value, count));
  hints_ = BrowserNavigationHints(filter, value);
  Q_EMIT NavigationHintsChanged(hints_.Previous, hints_.Next);
  ApplyEditMenu();
  SyncGridToTable();
}

void TFormListeRadio::ApplyEditMenu() {
  const bool local = Loader().Tuner.Mode == QLatin1String("local");
  const int count = radiosDataset.Active() ? radiosDataset.RecordCount() : 0;
  editMenuState_ = EditMenuAfterChange(local, count, editMenuState_);
  editActions_[0]->setEnabled(editMenuState_.Add);
  editActions_[1]->setEnabled(editMenuState_.Update);
  editActions_[2]->setEnabled(editMenuState_.Delete);
  editActions_[3]->setEnabled(editMenuState_.Suggest);
}

// ---- Tuners ---------------------------------------------------------------------------------

void TFormListeRadio::SelectTunerEntry() {
  // Setting the index from the code does not emit `activated`, so no switch runs.
  tunerComboBox_->setCurrentIndex(Loader().TunerIndex());
}

void TFormListeRadio::TunerComboBoxChange(int index) {
  if (Loader().Loading()) return;
  SuspendFilterFollowing();
  Loader().SwitchTuner(index);
  SelectTunerEntry();  // also when the choice came from a menu
  TitleLabel()->setText(Loader().TunerTitle(Loader().Tuner.RemoteBase));
  TitleLabel()->adjustSize();
  RestoreFilterState();
}

void TFormListeRadio::UpdateDirectory() {
  if (Loader().Loading()) return;
  SuspendFilterFollowing();
  Loader().UpdateDirectory();
  SelectTunerEntry();
  TitleLabel()->setText(Loader().TunerTitle(Loader().Tuner.RemoteBase));
  TitleLabel()->adjustSize();
  RestoreFilterState();
}

void TFormListeRadio::NewLocalTuner() {
  if (Loader().Loading()) return;
  SuspendFilterFollowing();
  Loader().NewLocalTuner();
  SelectTunerEntry();
  RestoreFilterState();
}

bool TFormListeRadio::ImportLocalTuner(const QString& folder) {
  if (Loader().Loading()) return false;
  const QString source = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
  if (!QFileInfo(source + QStringLiteral("radios.xml")).isFile()) return false;
  SuspendFilterFollowing();
  const TCatalogueLoader::TImport result = Loader().ImportLocalTuner(source);
  SelectTunerEntry();
  RestoreFilterState();
  // A damaged folder's error was shown by the loader.
  return result != TCatalogueLoader::TImport::NoStationFile;
}

bool TFormListeRadio::ExportLocalTuner(const QString& folder) {
  return Loader().ExportLocalTuner(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

void TFormListeRadio::RemoteTunerComboBoxChange(const QString& base) {
  if (Loader().Loading() || base.isEmpty()) return;
  Loader().SwitchToRemote(base.endsWith(QLatin1Char('/')) ? base : base + QLatin1Char('/'));
  SelectTunerEntry();
  TitleLabel()->setText(Loader().TunerTitle(base));
  TitleLabel()->adjustSize();
}

void TFormListeRadio::SaveLocalStations() {
  if (Loader().Tuner.Mode != QLatin1String("local") || !Loader().StationsReadWhole() || !radiosDataset.Active())
    return;
  if (TTableResult r = radiosDataset.SaveToFile(Loader().TunerFolder() + QStringLiteral("radios.xml")); !r)
    std::fprintf(stderr, "zovalis: %s\n", qUtf8Printable(r.Error->Text()));
}

// ---- TStartupPrompts ---------------------------------------------------------------------------

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
  host_.SetTrayHint(text);
}

void TFormListeRadio::Balloon(const QString& text, bool error, int timeoutMs) {
  host_.ShowBalloon(QStringLiteral("Zovalis"), text, error, timeoutMs);
}

void TFormListeRadio::OpenUrl(const QString& url) {
  QDesktopServices::openUrl(QUrl(url));
}

void TFormListeRadio::ShowStandardError(const QString& text) {
  QMessageBox::critical(nullptr, QStringLiteral("Zovalis"), text);
}
