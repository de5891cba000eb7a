// The station browser window in the real program's windows, on a local catalogue written
// by the test: the six filters driven as a user drives them, the status line, the sort
// by column titles with their markers, keyboard and mouse in the grid, Previous and Next,
// the editing menu, the placement, and the filter kept across a tuner switch and a restart.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QUrl>

#include "support/program.h"
#include "app/mainform.h"
#include "common/settings.h"
#include "catalogue/catalogueschema.h"
#include "windows/formlisteradio.h"
#include "catalogue/stationfixture.h"
#include "catalogue/directoryserver.h"
#include "support/testenv.h"

namespace {

using F = TBrowserFilter;

const QString kProgramDir = QStringLiteral(ZOVALIS_PROGRAM_DIR "/");

// The catalogue's stations: the filter fixture and a station from a country whose name
// holds an apostrophe. By name: Aac Stereo, FIP, Jazz Radio, L'Esprit Libre, Nouveau
// Poste, Ogg Classique, Ogg Low, Radio d'Abidjan, rock'n'roll FM, Surround Live,
// Windows Talk.
std::vector<cattest::TStation> Stations() {
  std::vector<cattest::TStation> s = cattest::FilterStations();
  s.push_back({"Radio d'Abidjan", "Zouk", "Côte d'Ivoire", "", "MP3", 64, 44100, "Stereo"});
  return s;
}

// Writes a local tuner's four files into `folder`.
void WriteCatalogue(const QString& folder, const std::vector<cattest::TStation>& stations) {
  QDir().mkpath(folder + "icones");
  QDir().mkpath(folder + "drapeaux");
  TCatalogueTable radios("r"), countries("c"), genres("g"), networks("n");
  ASSERT_TRUE(cattest::FillStations(radios, stations));
  ASSERT_TRUE(CreateCatalogueTable(countries, TCatalogueKind::Countries));
  ASSERT_TRUE(CreateCatalogueTable(genres, TCatalogueKind::Genres));
  ASSERT_TRUE(CreateCatalogueTable(networks, TCatalogueKind::Networks));
  for (const char* c : {"Allemagne", "Belgique", "Canada", "Côte d'Ivoire", "France", "Suisse"}) {
    ASSERT_TRUE(countries.Append() && countries.SetFieldText("Name", c) && countries.SetFieldText("Flag", "f.png") &&
                countries.Post());
  }
  for (const char* g : {"Blues", "Classique", "Eclectique", "Electro", "Electronique", "Jazz", "Pop", "Rock", "Talk",
                        "Zouk"}) {
    ASSERT_TRUE(genres.Append() && genres.SetFieldText("Name", g) && genres.Post());
  }
  for (const char* n : {"CBC", "Radio France"})
    ASSERT_TRUE(networks.Append() && networks.SetFieldText("Name", n) && networks.Post());
  ASSERT_TRUE(radios.SaveToFile(folder + "radios.xml"));
  ASSERT_TRUE(countries.SaveToFile(folder + "country.xml"));
  ASSERT_TRUE(genres.SaveToFile(folder + "genre.xml"));
  ASSERT_TRUE(networks.SaveToFile(folder + "network.xml"));
}

class StationBrowserWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/ZOVA/";
    QDir(data).removeRecursively();
    qputenv("ZOVALIS_UPDATE_SERVER", QUrl::fromLocalFile(kProgramDir + "server/").toString().toUtf8());
    WriteCatalogue(data + "tuner/local/", Stations());
    std::unique_ptr<QSettings> store(OpenUserSettings());
    store->clear();
    store->setValue("Mode", "local");
  }
  void TearDown() override {
    DestroyForms();
    qunsetenv("ZOVALIS_UPDATE_SERVER");
  }
  // Creates the windows as the program does and shows the browser, its filters as at
  // first show (the name filter, empty).
  void Start() {
    ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast));
    w = FormListeRadio();
    grid = w->ListeRadio();
    QObject::connect(w, &TFormListeRadio::StationChosen, [this] { chosen << Current(); });
    QObject::connect(w, &TFormListeRadio::NavigationHintsChanged,
                     [this](const QString& p, const QString& n) { hints = {p, n}; });
    w->show();
  }

  QString Current() { return w->radiosDataset.FieldText("Radio").Value; }
  QString Status() { return w->lbStatusBar()->text(); }
  // The names in the grid, top to bottom.
  QStringList GridNames() {
    QStringList names;
    for (int r = 0; r < grid->model()->rowCount(); ++r) names << grid->model()->index(r, 0).data().toString();
    return names;
  }
  // The grid's current row and the table's agree.
  void ExpectGridOnCurrentRow() {
    EXPECT_EQ(grid->currentIndex().row(), w->radiosDataset.RecNo() - 1);
    if (w->radiosDataset.RecNo() > 0) {
      EXPECT_TRUE(grid->selectionModel()->isRowSelected(w->radiosDataset.RecNo() - 1, {}));
    }
  }

  // The user's ways of choosing: a click on the filter's button, typing in the name box,
  // the arrow keys on a closed list.
  void ClickFilter(F filter) { QTest::mouseClick(w->FilterButton(filter), Qt::LeftButton); }
  void TypeName(const QString& text) {
    w->nameEditBox()->selectAll();
    QTest::keyClick(w->nameEditBox(), Qt::Key_Backspace);
    QTest::keyClicks(w->nameEditBox(), text);
  }
  void Pick(QComboBox* list, const QString& text) {
    const int target = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_GE(target, 0) << text.toStdString();
    if (list->currentIndex() == target)  // step away first: choosing again applies again
      QTest::keyClick(list, target + 1 < list->count() ? Qt::Key_Down : Qt::Key_Up);
    while (list->currentIndex() != target) QTest::keyClick(list, list->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
  }
  void Choose(F filter, const QString& value) {
    ClickFilter(filter);
    if (filter == F::Name) TypeName(value);
    else Pick(static_cast<QComboBox*>(w->ValueControl(filter)), value);
  }
  void ClickTitle(int column) {
    QHeaderView* header = grid->horizontalHeader();
    grid->scrollTo(grid->model()->index(0, column));  // titles right of the view scroll in
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    ASSERT_GT(x, 0);
    ASSERT_LT(x, header->viewport()->width());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  }

  QString data;
  TFormListeRadio* w = nullptr;
  QTableView* grid = nullptr;
  QStringList chosen;
  TNavigationHints hints;
};

TEST_F(StationBrowserWindow, ControlsInPlace) {
  Start();
  EXPECT_EQ(w->size(), QSize(480, 320));
  EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(w->TitleLabel()->text(), "Tuner local");
  const struct {
    F Filter;
    const char* Button;
    const char* Label;
    int X;
  } filters[] = {{F::Name, "rbByName", "Nom", 14},           {F::Genre, "rbByGenre", "Style", 64},
                 {F::Country, "rbByCountry", "Pays", 117},   {F::Network, "rbByNetwork", "Réseau", 172},
                 {F::Stream, "rbByStream", "Flux", 239},     {F::Quality, "rbByQuality", "Qualité", 288}};
  for (const auto& f : filters) {
    SCOPED_TRACE(f.Button);
    EXPECT_EQ(w->FilterButton(f.Filter)->objectName(), f.Button);
    EXPECT_EQ(w->FilterButton(f.Filter)->pos(), QPoint(f.X, 34));
    EXPECT_EQ(w->FilterButton(f.Filter)->isChecked(), f.Filter == F::Name);
    QLabel* label = w->findChild<QLabel*>(QString(f.Button).replace("rb", "lb"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), f.Label);
    EXPECT_EQ(w->ValueControl(f.Filter)->geometry().topLeft(), QPoint(353, 32));
    EXPECT_EQ(w->ValueControl(f.Filter)->width(), 111);
    EXPECT_EQ(w->ValueControl(f.Filter)->isVisible(), f.Filter == F::Name);
  }
  EXPECT_EQ(grid->geometry(), QRect(7, 59, 462, 235));
  const char* titles[] = {"Radios", "Pays", "Genre", "Flux", "Débit", "Fréquence", "Canaux"};
  const int widths[] = {192, 106, 146, 38, 41, 64, 47};
  for (int c = 0; c < 7; ++c) {
    EXPECT_EQ(grid->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    EXPECT_EQ(grid->columnWidth(c), widths[c]);
  }
  EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(w->streamComboBox()->count(), 4);
  EXPECT_EQ(w->qualityComboBox()->itemText(3), "Surround 5.1");
  EXPECT_EQ(w->genreComboBox()->count(), 10);
  EXPECT_EQ(w->genreComboBox()->currentIndex(), -1);  // the loader leaves no selection
  EXPECT_EQ(w->genreComboBox()->maxVisibleItems(), 20);
  EXPECT_EQ(w->TunerComboBox()->pos(), QPoint(47, 297));
  // The status line starts after the tuner list, wide enough for "Annuaire mondial".
  EXPECT_EQ(w->lbStatusBar()->pos(), QPoint(165, 300));
  EXPECT_EQ(Status(), "Nombre total de radios : 11 radios trouvées");
  // The label beside a button chooses its filter too.
  QTest::mouseClick(w->findChild<QLabel*>("lbByStream"), Qt::LeftButton);
  EXPECT_TRUE(w->FilterButton(F::Stream)->isChecked());
  EXPECT_TRUE(w->streamComboBox()->isVisible());
  EXPECT_FALSE(w->nameEditBox()->isVisible());
  QStringList menu;
  for (QAction* a : w->EditMenu()->actions()) menu << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(menu, (QStringList{"&Ajouter une radio", "&Modifier cette radio", "&Supprimer cette radio", "-",
                               "&Proposer cette radio ..."}));
}

TEST_F(StationBrowserWindow, EachFilterShowsItsStationsAndCountsThem) {
  Start();
  const struct {
    F Filter;
    const char* Value;
    const char* Status;
    QStringList Names;
  } cases[] = {
      {F::Name, "fip", "Nom contenant \"fip\" : 1 radio trouvée", {"FIP"}},
      {F::Name, "l'esprit", "Nom contenant \"l'esprit\" : 1 radio trouvée", {"L'Esprit Libre"}},
      {F::Name, "'N'", "Nom contenant \"'N'\" : 1 radio trouvée", {"rock'n'roll FM"}},
      {F::Name, "og", "Nom contenant \"og\" : 2 radios trouvées", {"Ogg Classique", "Ogg Low"}},
      {F::Name, "zzz", "Nom contenant \"zzz\" : 0 radio trouvée", {}},
      {F::Name, "", "Nombre total de radios : 11 radios trouvées",
       {"Aac Stereo", "FIP", "Jazz Radio", "L'Esprit Libre", "Nouveau Poste", "Ogg Classique", "Ogg Low",
        "Radio d'Abidjan", "rock'n'roll FM", "Surround Live", "Windows Talk"}},
      // "Electro" is part of "Electronique"; "Blues" is the second genre of its station.
      {F::Genre, "Electro", "Style Electro : 2 radios trouvées", {"Ogg Low", "Surround Live"}},
      {F::Genre, "Blues", "Style Blues : 1 radio trouvée", {"rock'n'roll FM"}},
      {F::Genre, "Eclectique", "Style Eclectique : 1 radio trouvée", {"FIP"}},
      {F::Country, "Côte d'Ivoire", "Pays Côte d'Ivoire : 1 radio trouvée", {"Radio d'Abidjan"}},
      {F::Country, "Belgique", "Pays Belgique : 2 radios trouvées", {"L'Esprit Libre", "Windows Talk"}},
      {F::Network, "CBC", "Réseau CBC : 1 radio trouvée", {"Ogg Classique"}},
      {F::Network, "Radio France", "Réseau Radio France : 1 radio trouvée", {"FIP"}},
      {F::Stream, "MP3", "Flux MP3 : 4 radios trouvées",
       {"FIP", "L'Esprit Libre", "Radio d'Abidjan", "rock'n'roll FM"}},
      {F::Stream, "OGG", "Flux OGG : 2 radios trouvées", {"Ogg Classique", "Ogg Low"}},
      {F::Stream, "WMA", "Flux WMA : 1 radio trouvée", {"Windows Talk"}},
      // Never measured (bit rate 0) counts as LO-FI; 5.1 is "Surround 5.1" and never "CD".
      {F::Quality, "LO-FI", "Qualité LO-FI : 3 radios trouvées", {"Jazz Radio", "Nouveau Poste", "Radio d'Abidjan"}},
      {F::Quality, "HI-FI", "Qualité HI-FI : 8 radios trouvées",
       {"Aac Stereo", "FIP", "L'Esprit Libre", "Ogg Classique", "Ogg Low", "rock'n'roll FM", "Surround Live",
        "Windows Talk"}},
      {F::Quality, "CD", "Qualité CD : 4 radios trouvées",
       {"Aac Stereo", "L'Esprit Libre", "Ogg Classique", "Windows Talk"}},
      {F::Quality, "Surround 5.1", "Qualité Surround 5.1 : 1 radio trouvée", {"Surround Live"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Value);
    Choose(c.Filter, c.Value);
    EXPECT_TRUE(w->FilterButton(c.Filter)->isChecked());
    for (int i = 0; i < kBrowserFilterCount; ++i) EXPECT_EQ(w->ValueControl(F(i))->isVisible(), F(i) == c.Filter);
    EXPECT_EQ(Status(), c.Status);
    EXPECT_EQ(GridNames(), c.Names);
    EXPECT_EQ(w->radiosDataset.RecNo(), c.Names.isEmpty() ? 0 : 1);  // the first row is current
    ExpectGridOnCurrentRow();
    EXPECT_EQ(grid->columnWidth(0), 192);  // the grid keeps its columns through the change
    EXPECT_EQ(grid->columnWidth(2), 146);
  }
}

// Typing a name without its accents, or in capitals, finds it.
TEST_F(StationBrowserWindow, TypedNamesIgnoreAccentsAndCase) {
  std::vector<cattest::TStation> stations = Stations();
  stations.push_back({"FIP Sacré français !", "Eclectique", "France", "Radio France", "MP3", 128, 44100, "Stereo"});
  stations.push_back({"L'Écho des Montagnes", "Rock", "Suisse", "", "MP3", 128, 44100, "Stereo"});
  WriteCatalogue(data + "tuner/local/", stations);
  Start();
  ClickFilter(F::Name);
  TypeName("sacre");
  EXPECT_EQ(GridNames(), (QStringList{"FIP Sacré français !"}));
  EXPECT_EQ(Status(), "Nom contenant \"sacre\" : 1 radio trouvée");
  TypeName("ECHO");
  EXPECT_EQ(GridNames(), (QStringList{"L'Écho des Montagnes"}));
  TypeName("");
  // All listed by name, "L'Écho" among the L's.
  EXPECT_EQ(GridNames().mid(2, 3), (QStringList{"FIP Sacré français !", "Jazz Radio", "L'Écho des Montagnes"}));
}

TEST_F(StationBrowserWindow, TitleClicksSortAndMarkTheColumn) {
  Start();
  QHeaderView* header = grid->horizontalHeader();
  // The header draws Qt's descending order as an up arrow: the ascending marker.
  const auto marked = [&](int column, bool ascending) {
    return header->sortIndicatorSection() == column &&
           header->sortIndicatorOrder() == (ascending ? Qt::DescendingOrder : Qt::AscendingOrder);
  };
  EXPECT_EQ(header->sortIndicatorSection(), -1);  // no marker at first
  ClickTitle(4);                                  // "Débit", scrolled into view first
  EXPECT_EQ(w->radiosDataset.IndexName(), "BitRate__IdxA");
  // The grid went to the first row without scrolling the clicked title away.
  EXPECT_GE(header->sectionViewportPosition(4), 0);
  EXPECT_LE(header->sectionViewportPosition(4) + header->sectionSize(4), header->viewport()->width());
  EXPECT_TRUE(marked(4, true));
  EXPECT_EQ(grid->model()->index(0, 4).data().toString(), "0");
  EXPECT_EQ(w->radiosDataset.RecNo(), 1);
  ClickTitle(4);
  EXPECT_EQ(w->radiosDataset.IndexName(), "BitRate__IdxD");
  EXPECT_TRUE(marked(4, false));
  EXPECT_EQ(grid->model()->index(0, 4).data().toString(), "384");
  EXPECT_EQ(Current(), "Surround Live");
  ClickTitle(4);
  EXPECT_TRUE(marked(4, true));
  ClickTitle(1);  // "Pays": ascending, the only marker
  EXPECT_EQ(w->radiosDataset.IndexName(), "Country__IdxA");
  EXPECT_TRUE(marked(1, true));
  EXPECT_EQ(grid->model()->index(0, 1).data().toString(), "Allemagne");
  ExpectGridOnCurrentRow();

  // A filter orders by name again, and the marker follows.
  Choose(F::Stream, "OGG");
  EXPECT_EQ(w->radiosDataset.IndexName(), "Radio__IdxA");
  EXPECT_TRUE(marked(0, true));
  ClickTitle(0);  // already ascending by name: descending
  EXPECT_TRUE(marked(0, false));
  EXPECT_EQ(GridNames(), (QStringList{"Ogg Low", "Ogg Classique"}));
  EXPECT_EQ(Status(), "Flux OGG : 2 radios trouvées");
}

TEST_F(StationBrowserWindow, PreviousAndNextWrapAndTheGridFollows) {
  Start();
  Choose(F::Genre, "Rock");
  EXPECT_EQ(hints, (TNavigationHints{"Radio dans le style Rock précédente.", "Radio dans le style Rock suivante."}));
  EXPECT_EQ(w->PreviousHint(), "Radio dans le style Rock précédente.");
  EXPECT_EQ(w->NextHint(), "Radio dans le style Rock suivante.");
  const struct {
    bool Next;
    const char* Current;
  } moves[] = {{true, "rock'n'roll FM"}, {true, "L'Esprit Libre"}, {false, "rock'n'roll FM"}, {false, "L'Esprit Libre"}};
  EXPECT_EQ(Current(), "L'Esprit Libre");
  for (const auto& m : moves) {
    m.Next ? w->NextStation() : w->PreviousStation();
    EXPECT_EQ(Current(), m.Current);
    ExpectGridOnCurrentRow();
  }
  EXPECT_EQ(Status(), "Style Rock : 2 radios trouvées");

  Choose(F::Name, "zzz");  // nothing to move to
  EXPECT_EQ(hints.Next, "Radio dont le nom contient \"zzz\" suivante.");
  w->NextStation();
  w->PreviousStation();
  EXPECT_EQ(w->radiosDataset.RecNo(), 0);
  EXPECT_TRUE(chosen.isEmpty());

  Choose(F::Name, "");
  EXPECT_EQ(hints, (TNavigationHints{"Radio précédente.", "Radio suivante."}));
  w->PreviousStation();  // first -> last
  EXPECT_EQ(Current(), "Windows Talk");
  ExpectGridOnCurrentRow();
}

TEST_F(StationBrowserWindow, KeyboardAndMouseInTheGrid) {
  Start();
  Choose(F::Name, "");  // by name
  grid->setFocus();
  const struct {
    Qt::Key Key;
    const char* Current;
  } keys[] = {{Qt::Key_Down, "FIP"}, {Qt::Key_End, "Windows Talk"}, {Qt::Key_Up, "Surround Live"},
              {Qt::Key_Home, "Aac Stereo"}, {Qt::Key_PageDown, nullptr}, {Qt::Key_PageUp, "Aac Stereo"}};
  for (const auto& k : keys) {
    QTest::keyClick(grid, k.Key);
    if (k.Current) {
      EXPECT_EQ(Current(), k.Current) << k.Key;
    }
    ExpectGridOnCurrentRow();
  }
  EXPECT_GT(w->radiosDataset.RecNo(), 0);

  // Typing over the grid searches by name: the keys go on in the name filter, Backspace
  // takes one back, Escape empties it. Any other filter gives way to the name filter.
  Choose(F::Genre, "Jazz");
  grid->setFocus();
  QTest::keyClicks(grid, "og");
  EXPECT_TRUE(w->FilterButton(F::Name)->isChecked());
  EXPECT_EQ(w->nameEditBox()->text(), "og");
  EXPECT_EQ(w->focusWidget(), w->nameEditBox());  // the next keys go on the text
  QTest::keyClicks(w->nameEditBox(), "g l");
  EXPECT_EQ(Current(), "Ogg Low");
  EXPECT_EQ(w->radiosDataset.RecordCount(), 1);
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_Backspace);
  EXPECT_EQ(w->nameEditBox()->text(), "ogg ");
  EXPECT_EQ(w->radiosDataset.RecordCount(), 2);
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_Escape);
  EXPECT_EQ(w->nameEditBox()->text(), "");
  EXPECT_EQ(w->radiosDataset.RecordCount(), 11);
  // Keys with Ctrl are no typing: the grid keeps them.
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(w->nameEditBox()->text(), "");
  Choose(F::Name, "ogg");
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_End);
  EXPECT_EQ(Current(), "Ogg Low");
  ExpectGridOnCurrentRow();

  // Enter plays the current row; a double click plays the row clicked.
  QTest::keyClick(grid, Qt::Key_Return);
  EXPECT_EQ(chosen, QStringList{"Ogg Low"});
  Choose(F::Name, "");
  const QRect row2 = grid->visualRect(grid->model()->index(2, 0));
  // As the window system delivers it: a click, then the double click.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
  EXPECT_EQ(chosen, (QStringList{"Ogg Low", "Jazz Radio"}));
  EXPECT_EQ(w->radiosDataset.RecNo(), 3);
  ExpectGridOnCurrentRow();
  // A single click only makes the row current.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(4, 0)).center());
  EXPECT_EQ(Current(), "Nouveau Poste");
  EXPECT_EQ(chosen.size(), 2);
  // The grid edits nothing.
  QTest::keyClick(grid, Qt::Key_F2);
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(w->radiosDataset.State(), TCatalogueTable::TState::Browse);
  EXPECT_EQ(w->radiosDataset.RecordCount(), 11);
}

TEST_F(StationBrowserWindow, EditMenuFollowsTheCountInTheLocalTunerOnly) {
  Start();
  const auto enabled = [&] {
    QList<bool> states;
    for (QAction* a : w->EditMenu()->actions())
      if (!a->isSeparator()) states << a->isEnabled();
    return states;
  };
  EXPECT_EQ(enabled(), (QList<bool>{true, true, true, true}));
  Choose(F::Name, "zzz");
  EXPECT_EQ(enabled(), (QList<bool>{true, false, false, false}));
  Choose(F::Name, "fip");
  EXPECT_EQ(enabled(), (QList<bool>{true, true, true, true}));
  // The remote tuner: read-only, nothing can be used whatever the count.
  Pick(w->TunerComboBox(), "Distant");
  EXPECT_TRUE(w->radiosDataset.ReadOnly());
  EXPECT_EQ(enabled(), (QList<bool>{false, false, false, false}));
  Choose(F::Name, "");
  EXPECT_EQ(enabled(), (QList<bool>{false, false, false, false}));
}

TEST_F(StationBrowserWindow, ShownNextToTheMainWindow) {
  Start();
  w->hide();
  const QRect desktop = MainForm()->screen()->availableGeometry();
  MainForm()->move(desktop.x() + 20, desktop.y() + 10);
  MainForm()->show();
  w->show();
  EXPECT_EQ(w->pos(), QPoint(desktop.x() + 20, desktop.y() + 10 + MainForm()->height()));
  w->hide();
  MainForm()->move(desktop.x() + 50, desktop.bottom() - MainForm()->height() - 100);
  w->show();
  EXPECT_EQ(w->pos(), QPoint(desktop.x() + 50, MainForm()->y() - w->height()));
}

// The saved filter comes back after a tuner switch; a value missing from the new tuner's
// list leaves that list without selection and filters on the empty text.
TEST_F(StationBrowserWindow, FilterKeptAcrossTunerSwitches) {
  Start();
  TCatalogueTable remote("remote");
  ASSERT_TRUE(remote.LoadFromFile(kProgramDir + "server/catalogue/radios.xml"));
  ASSERT_TRUE(remote.SetFilter("lower(genre) like  '%rock%'"));
  const int remoteRock = remote.RecordCount();
  ASSERT_GT(remoteRock, 0);

  Choose(F::Genre, "Rock");
  Pick(w->TunerComboBox(), "Distant");
  EXPECT_TRUE(w->FilterButton(F::Genre)->isChecked());
  EXPECT_EQ(w->genreComboBox()->currentText(), "Rock");
  EXPECT_EQ(Status(), "Style Rock : " + QString::number(remoteRock) + " radios trouvées");
  EXPECT_EQ(w->radiosDataset.RecordCount(), remoteRock);
  Pick(w->TunerComboBox(), "Local");
  EXPECT_EQ(Status(), "Style Rock : 2 radios trouvées");
  EXPECT_EQ(GridNames(), (QStringList{"L'Esprit Libre", "rock'n'roll FM"}));

  Choose(F::Country, "Côte d'Ivoire");  // not a country of the remote tuner
  Pick(w->TunerComboBox(), "Distant");
  EXPECT_TRUE(w->FilterButton(F::Country)->isChecked());
  EXPECT_EQ(w->countryComboBox()->currentIndex(), -1);
  remote.SetFilter(QString());
  EXPECT_EQ(Status(), "Pays : " + QString::number(remote.RecordCount()) + " radios trouvées");
  EXPECT_EQ(w->genreComboBox()->currentText(), "Rock");  // the other saved values came back
}

// The open station directory chosen in the tuner list: its stations (served on
// 127.0.0.1 in the directory's API form) load read-only, with its countries and genres in
// the filter lists, and the local tuner comes back as it was.
TEST_F(StationBrowserWindow, TheDirectoryTunerLoadsReadOnlyWithItsLists) {
  using namespace DirectoryTest;
  DirectoryServer server;
  ASSERT_TRUE(server.Start(StationListJson({{"Jazz Paris", "http://127.0.0.1:1/a", "Jazz", "France", "FR", "MP3"},
                                            {"Berlin Rock", "http://127.0.0.1:1/b", "rock,Pop", "Germany", "DE", "AAC"},
                                            {"Rock Lyon", "http://127.0.0.1:1/c", "ROCK", "France", "FR", "OGG"}})));
  qputenv("ZOVALIS_DIRECTORY_SERVER", server.Base().toUtf8());
  Start();
  Pick(w->TunerComboBox(), "Annuaire mondial");
  EXPECT_EQ(w->TunerComboBox()->currentText(), "Annuaire mondial");
  EXPECT_EQ(w->TitleLabel()->text(), "Annuaire mondial");
  EXPECT_EQ(w->radiosDataset.RecordCount(), 3);
  EXPECT_TRUE(w->radiosDataset.ReadOnly());
  for (QAction* a : w->EditMenu()->actions()) EXPECT_FALSE(a->isEnabled() && !a->isSeparator());
  EXPECT_EQ(Status(), "Nombre total de radios : 3 radios trouvées");
  QStringList countries;
  for (int i = 0; i < w->countryComboBox()->count(); ++i) countries << w->countryComboBox()->itemText(i);
  // The test's program folder holds no delivered catalogue, whose French names would be
  // shown: the directory's own names are.
  EXPECT_EQ(countries, (QStringList{"France", "Germany"}));

  Choose(F::Country, "France");
  EXPECT_EQ(GridNames(), (QStringList{"Jazz Paris", "Rock Lyon"}));
  Choose(F::Genre, "rock");
  EXPECT_EQ(GridNames(), (QStringList{"Berlin Rock", "Rock Lyon"}));
  EXPECT_TRUE(server.Requests().size() >= 2);

  Choose(F::Name, "");
  Pick(w->TunerComboBox(), "Local");
  EXPECT_EQ(w->radiosDataset.RecordCount(), int(Stations().size()));
  EXPECT_FALSE(w->radiosDataset.ReadOnly());
  qputenv("ZOVALIS_DIRECTORY_SERVER", TestEnv::kNoDirectory);
}

// The filter is saved with the settings when the main window closes and restored at the
// next start, as the main window's first showing asks.
TEST_F(StationBrowserWindow, FilterKeptAcrossARestart) {
  Start();
  Choose(F::Name, "fm");
  Choose(F::Genre, "Rock");
  Choose(F::Country, "Belgique");
  Choose(F::Stream, "OGG");
  Choose(F::Quality, "CD");
  EXPECT_EQ(Status(), "Qualité CD : 4 radios trouvées");
  MainForm()->close();  // saves the settings
  {
    std::unique_ptr<QSettings> store(OpenUserSettings());
    EXPECT_EQ(store->value("Filter").toString(), "Quality");
    EXPECT_EQ(store->value("FilterName").toString(), "fm");
    EXPECT_EQ(store->value("FilterGenre").toString(), "Rock");
    EXPECT_EQ(store->value("FilterCountry").toString(), "Belgique");
    EXPECT_EQ(store->value("FilterNetwork").toString(), "");
    EXPECT_EQ(store->value("FilterStream").toString(), "OGG");
    EXPECT_EQ(store->value("FilterQuality").toString(), "CD");
  }
  DestroyForms();
  chosen.clear();
  Start();
  EXPECT_EQ(Status(), "Nombre total de radios : 11 radios trouvées");  // before the first showing
  w->RestoreFilterState();
  EXPECT_TRUE(w->FilterButton(F::Quality)->isChecked());
  EXPECT_TRUE(w->qualityComboBox()->isVisible());
  EXPECT_FALSE(w->nameEditBox()->isVisible());
  EXPECT_EQ(w->qualityComboBox()->currentText(), "CD");
  EXPECT_EQ(w->nameEditBox()->text(), "fm");
  EXPECT_EQ(w->genreComboBox()->currentText(), "Rock");
  EXPECT_EQ(w->countryComboBox()->currentText(), "Belgique");
  EXPECT_EQ(w->streamComboBox()->currentText(), "OGG");
  EXPECT_EQ(Status(), "Qualité CD : 4 radios trouvées");
  EXPECT_EQ(GridNames(), (QStringList{"Aac Stereo", "L'Esprit Libre", "Ogg Classique", "Windows Talk"}));
}

// A catalogue of one station: the singular, and moves that stay on it.
TEST_F(StationBrowserWindow, OneStation) {
  WriteCatalogue(data + "tuner/local/", {cattest::FilterStations().front()});
  Start();
  EXPECT_EQ(Status(), "Nombre total de radios : 1 radio trouvée");
  w->NextStation();
  w->PreviousStation();
  EXPECT_EQ(Current(), "FIP");
  QTest::keyClick(grid, Qt::Key_Enter);
  EXPECT_EQ(chosen, QStringList{"FIP"});
}

// The remote tuner without a connection: no catalogue, an empty browser, and restoring
// the filter shows no error.
TEST_F(StationBrowserWindow, NoCatalogueWithoutConnection) {
  qputenv("ZOVALIS_UPDATE_SERVER", "http://127.0.0.1:9/");
  {
    std::unique_ptr<QSettings> store(OpenUserSettings());
    store->setValue("Mode", "remote");
    store->setValue("Filter", "Quality");
    store->setValue("FilterQuality", "CD");
  }
  Start();
  w->RestoreFilterState();
  EXPECT_EQ(Status(), "Qualité CD : 0 radio trouvée");
  EXPECT_EQ(grid->model()->rowCount(), 0);
  w->NextStation();
  w->ListeRadioDblClick();
  EXPECT_TRUE(chosen.isEmpty());
}

}  // namespace
