// The main window's face in-process: drop-down buttons by press height, menus and their
// captions, sending to the tray and back, favourites, and Previous/Next over the table.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include "common/favourites.h"
#include "support/program.h"
#include "app/mainform.h"
#include "catalogue/catalogueschema.h"
#include "windows/formlisteradio.h"
#include "widgets/simplebtn.h"
#include "widgets/trackskin.h"
#include "windows/configform.h"

namespace {

QStringList Captions(const QMenu* menu) {
  QStringList out;
  for (const QAction* a : menu->actions()) out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast));
    MainForm()->SetMenusModal(false);
  }
  void TearDown() override {
    for (QMenu* m : MainForm()->findChildren<QMenu*>()) m->hide();
    DestroyForms();
  }
};

TEST_F(MainFormTest, DropDownButtonsTogglesOrMenusByPressHeight) {
  auto* config = MainForm()->Face().ConfigBtn;
  QTest::mousePress(config, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseRelease(config, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(ConfigForm()->isVisible());
  EXPECT_EQ(MainForm()->LastPoppedMenu(), nullptr);

  QTest::mousePress(config, Qt::LeftButton, {}, QPoint(10, 25));
  QTest::mouseRelease(config, Qt::LeftButton, {}, QPoint(10, 25));
  EXPECT_TRUE(ConfigForm()->isVisible());  // left as it was
  EXPECT_EQ(MainForm()->LastPoppedMenu(), MainForm()->PopupSetupMenu());
  EXPECT_EQ(MainForm()->LastPopupPoint(), QPoint(MainForm()->x() + 107, MainForm()->y() + 28 + 31));
  MainForm()->PopupSetupMenu()->hide();

  QTest::mousePress(MainForm()->Face().FavorisBtn, Qt::LeftButton, {}, QPoint(10, 5));
  EXPECT_EQ(MainForm()->LastPoppedMenu(), MainForm()->PopupFavorisMenu());
  MainForm()->PopupFavorisMenu()->hide();

  // The setup menu opens the configuration window on the chosen page.
  MainForm()->PopupSetupMenu()->actions()[2]->trigger();
  EXPECT_EQ(ConfigForm()->CurrentPage(), "Connexion");
}

TEST_F(MainFormTest, MenusCarryTheirCaptions) {
  EXPECT_EQ(Captions(MainForm()->PopupRadioMenu()),
            QStringList({"Ouvrir une &radio ...", "Ouvrir une adresse ...", "Annuaire mondial", "Mettre à jour l'annuaire",
                         "Arrêt &programmé", "-", "&Quitter"}));
  EXPECT_EQ(Captions(MainForm()->PopupOpenMenu()),
            QStringList({"Ouvrir la liste de lecture ...", "Explorer le répertoire d'enregistrement ..."}));
  EXPECT_EQ(Captions(MainForm()->PopupSetupMenu()),
            QStringList({"&Affichage ...", "Tuner ...", "Mode de connexion ...", "&Enregistrement ...", "&Favoris ...",
                         "P&rogrammation ..."}));
  EXPECT_EQ(Captions(MainForm()->PopupInfoMenu()),
            QStringList({"&Radio Playlist", "Documentation - Support - FAQ", "Soutenez le projet : faites un don !",
                         "&A Propos de Zovalis 2.1.1"}));
  EXPECT_EQ(Captions(MainForm()->PopupFavorisMenu()), QStringList({"&Ajouter cette radio aux favoris", "-"}));
  const QStringList tray = Captions(MainForm()->SystrayPopupMenu());
  ASSERT_EQ(tray.size(), 4);
  EXPECT_EQ(tray[0], "&Afficher le tuner");
  EXPECT_EQ(tray[1], "Désactiver les infos bulles");  // balloons are on by default
  EXPECT_EQ(tray[2], "Arrêt &programmé");
  EXPECT_EQ(tray[3], "&Quitter");
  // The sleep timer's menu, the same in both.
  const QMenu* sleep = MainForm()->PopupRadioMenu()->actions()[4]->menu();
  ASSERT_NE(sleep, nullptr);
  EXPECT_EQ(MainForm()->SystrayPopupMenu()->actions()[2]->menu(), sleep);
  EXPECT_EQ(Captions(sleep), QStringList({"&15 minutes", "&30 minutes", "&45 minutes", "&60 minutes", "&90 minutes",
                                          "à une &heure ...", "-", "&Annuler"}));
  MainForm()->SystrayPopupMenu()->actions()[1]->trigger();
  EXPECT_EQ(Captions(MainForm()->SystrayPopupMenu())[1], "Activer les infos bulles");
  EXPECT_FALSE(MainForm()->Settings.TrayInformation);
}

TEST_F(MainFormTest, TrayHidesEveryWindowAndRestoresOnlyTheMainOne) {
  MainForm()->TrayShown = [] { return true; };
  MainForm()->show();
  FormListeRadio()->show();
  QTest::mouseClick(MainForm()->Face().MinBtn, Qt::LeftButton);
  EXPECT_FALSE(MainForm()->isVisible());
  EXPECT_FALSE(FormListeRadio()->isVisible());
  MainForm()->SystrayPopupMenu()->actions()[0]->trigger();
  EXPECT_TRUE(MainForm()->isVisible());
  EXPECT_FALSE(FormListeRadio()->isVisible());
}

TEST(Favourites, SortedCaseInsensitiveDuplicatesCaseSensitive) {
  TFavourites f;
  QStringList told;  // what the settings record is given
  f.Changed = [&](const QStringList& names) { told = names; };
  EXPECT_TRUE(f.Add("Zeta"));
  EXPECT_TRUE(f.Add("Alpha"));
  EXPECT_EQ(f.Names(), QStringList({"Alpha", "Zeta"}));
  EXPECT_FALSE(f.Add("Zeta"));
  EXPECT_TRUE(f.Add("zeta"));
  EXPECT_TRUE(f.Add("beta"));
  EXPECT_EQ(f.Names().size(), 4);
  EXPECT_EQ(f.Names()[1], "beta");
  EXPECT_TRUE(f.RemoveAt(0));
  EXPECT_FALSE(f.RemoveAt(9));
  EXPECT_EQ(told, f.Names());
}

TEST(Favourites, AnAddressGoesWithItsName) {
  TFavourites f;
  QMap<QString, QString> told;
  f.Changed = [&](const QStringList&) { told = f.Addresses(); };
  EXPECT_TRUE(f.Add("Zova Adresse", "http://127.0.0.1:8000/live"));
  EXPECT_TRUE(f.Add("Alpha"));
  EXPECT_FALSE(f.Add("Zova Adresse", "http://autre/")) << "a name is listed once";
  EXPECT_EQ(f.AddressOf("Zova Adresse"), "http://127.0.0.1:8000/live");
  EXPECT_EQ(f.AddressOf("Alpha"), "");
  EXPECT_EQ(told.size(), 1);
  // Removed from the menu's list or the configuration page's: the address goes too.
  EXPECT_TRUE(f.RemoveAt(1));
  EXPECT_EQ(f.AddressOf("Zova Adresse"), "");
  f.Add("Zova Adresse", "http://127.0.0.1:8000/live");
  f.SetNames({"Alpha"});
  EXPECT_TRUE(told.isEmpty());
  // Addresses of names that are not listed are not taken.
  f.SetAddresses({{"Alpha", "http://a/"}, {"Absente", "http://b/"}});
  EXPECT_EQ(f.Addresses(), (QMap<QString, QString>{{"Alpha", "http://a/"}}));
}

TEST_F(MainFormTest, AFavouriteOpenedByAddressPlaysFromIt) {
  TCatalogueTable& t = FormListeRadio()->radiosDataset;
  ASSERT_TRUE(CreateCatalogueTable(t, TCatalogueKind::Stations));
  MainForm()->Favourites.Add("Zova Adresse", "http://127.0.0.1:9/live");
  MainForm()->BuildFavouritesMenu();
  MainForm()->PopupFavorisMenu()->actions()[2]->trigger();
  TStationPlayer* p = MainForm()->Player();
  EXPECT_TRUE(p->AddressStation());
  EXPECT_EQ(p->CurrentRadio.Radio, "Zova Adresse");
  EXPECT_EQ(p->CurrentRadio.Url, "http://127.0.0.1:9/live");
  p->StopAll();
  // The settings record follows.
  EXPECT_EQ(MainForm()->Settings.FavoriteAddresses.value("Zova Adresse"), "http://127.0.0.1:9/live");
}

TEST_F(MainFormTest, FavouritesMenuAndPlayingOne) {
  TCatalogueTable& t = FormListeRadio()->radiosDataset;
  ASSERT_TRUE(CreateCatalogueTable(t, TCatalogueKind::Stations));
  for (const char* name : {"Zeta FM", "L'Écho du Jazz", "Alpha"}) {
    t.Append();
    t.SetFieldText("Radio", name);
    t.SetFieldText("Url", "http://127.0.0.1:9/none");
    ASSERT_TRUE(t.Post());
  }
  MainForm()->Favourites.SetNames({"Zeta FM", "l'écho du jazz"});
  MainForm()->BuildFavouritesMenu();
  EXPECT_EQ(Captions(MainForm()->PopupFavorisMenu()),
            QStringList({"Ajouter aux favoris", "-", "l'écho du jazz", "Zeta FM"}));
  ASSERT_TRUE(t.SetFilter("Radio <> 'Alpha'"));
  MainForm()->PopupFavorisMenu()->actions()[2]->trigger();
  EXPECT_EQ(MainForm()->Player()->CurrentRadio.Radio, QString::fromUtf8("L'Écho du Jazz"));
  // Looked up without touching the browser's filter; the grid marks the station.
  EXPECT_EQ(t.Filter(), "Radio <> 'Alpha'");
  QStringList grid;
  const QAbstractItemModel* m = FormListeRadio()->ListeRadio()->model();
  for (int r = 0; r < m->rowCount(); ++r) grid << m->index(r, 0).data().toString();
  EXPECT_TRUE(grid.contains(QString::fromUtf8("\u25B6 L'Écho du Jazz"))) << grid.join('|').toStdString();
  EXPECT_TRUE(grid.contains("Zeta FM"));
  MainForm()->Player()->StopAll();
}

TEST_F(MainFormTest, PreviousAndNextWrapAroundTheFilteredList) {
  TCatalogueTable& t = FormListeRadio()->radiosDataset;
  ASSERT_TRUE(CreateCatalogueTable(t, TCatalogueKind::Stations));
  for (const char* name : {"Un", "Deux", "Trois", "Quatre"}) {
    t.Append();
    t.SetFieldText("Radio", name);
    t.SetFieldText("Url", "http://127.0.0.1:9/none");
    t.SetFieldText("Genre", QString(name) == "Deux" ? "Rock" : "Jazz");
    ASSERT_TRUE(t.Post());
  }
  ASSERT_TRUE(t.SetFilter("lower(genre) like '%jazz%'"));
  t.First();
  TStationPlayer* p = MainForm()->Player();
  QTest::mouseClick(MainForm()->Face().PrevBtn, Qt::LeftButton);
  EXPECT_EQ(p->CurrentRadio.Radio, "Quatre");  // before the first: the last
  QTest::mouseClick(MainForm()->Face().NextBtn, Qt::LeftButton);
  EXPECT_EQ(p->CurrentRadio.Radio, "Un");  // after the last: the first
  QTest::mouseClick(MainForm()->Face().NextBtn, Qt::LeftButton);
  EXPECT_EQ(p->CurrentRadio.Radio, "Trois");  // "Deux" is filtered out
  // The station's labels show at once; the connection goes on in the worker.
  EXPECT_EQ(MainForm()->Face().RadioName->text(), "Trois");
  p->StopAll();
  EXPECT_EQ(MainForm()->Statut()->text(), "");
  EXPECT_EQ(MainForm()->Face().labelTimeEllapsed->text(), "00:00:00");
}

}  // namespace

namespace {

// The settings record is the one model of the settings: what the user changes in a window
// is in it at once, and the save at exit writes it alone.
TEST_F(MainFormTest, TheSettingsRecordFollowsWhatTheUserChanges) {
  TSettings& s = Program().App().Settings;
  MainForm()->show();
  QCoreApplication::processEvents();

  // A click left of the volume slider's thumb lowers the volume by one.
  TTrackSkin* volume = MainForm()->Face().VolumeBar;
  const int before = volume->Position();
  QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(volume->ThumbRect().left() - 2, volume->height() / 2));
  ASSERT_EQ(volume->Position(), before - 1);
  EXPECT_EQ(s.Volume, before - 1);

  MainForm()->move(123, 45);
  QCoreApplication::processEvents();
  EXPECT_EQ(s.Left, MainForm()->x());
  EXPECT_EQ(s.Top, MainForm()->y());

  ASSERT_TRUE(MainForm()->Favourites.Add("Zeta FM"));
  EXPECT_TRUE(s.Favorites.contains("Zeta FM"));

  // The browser's name filter, typed by the user.
  FormListeRadio()->FilterButton(TBrowserFilter::Name)->click();
  QTest::keyClicks(FormListeRadio()->nameEditBox(), "jazz");
  EXPECT_EQ(s.Filter, "Name");
  EXPECT_EQ(s.FilterName, "jazz");

  // The recording page's box.
  auto* cut = ConfigForm()->findChild<QCheckBox*>("cbCutByTitle");
  ASSERT_NE(cut, nullptr);
  const bool wasCut = s.CutByTitle;
  cut->click();
  EXPECT_EQ(s.CutByTitle, !wasCut);
}

}  // namespace

namespace {

// With no notification area, the minimise button sends the window to the taskbar: nothing
// is hidden beyond the user's reach.
TEST_F(MainFormTest, WithoutATrayMinimiseGoesToTheTaskbar) {
  MainForm()->TrayShown = [] { return false; };
  MainForm()->show();
  FormListeRadio()->show();
  QTest::mouseClick(MainForm()->Face().MinBtn, Qt::LeftButton);
  EXPECT_TRUE(MainForm()->isMinimized());
  EXPECT_TRUE(MainForm()->isVisible());
  EXPECT_TRUE(FormListeRadio()->isVisible());
}

// The lower half of a top button opens its menu; Ctrl+F opens the browser with the name
// box ready, where Escape empties the filter.
TEST_F(MainFormTest, MenusFromTheLowerHalfAndTheSearchKeys) {
  auto* config = MainForm()->Face().ConfigBtn;
  QTest::mousePress(config, Qt::LeftButton, {}, QPoint(10, config->height() / 2 + 1));
  QTest::mouseRelease(config, Qt::LeftButton, {}, QPoint(10, config->height() / 2 + 1));
  EXPECT_EQ(MainForm()->LastPoppedMenu(), MainForm()->PopupSetupMenu());
  MainForm()->PopupSetupMenu()->hide();

  MainForm()->show();
  MainForm()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(MainForm()));
  // Keys through the window system, as a keyboard sends them (shortcuts are matched there).
  QTest::keyClick(MainForm()->windowHandle(), Qt::Key_F, Qt::ControlModifier);
  TFormListeRadio* browser = FormListeRadio();
  ASSERT_TRUE(browser->isVisible());
  ASSERT_TRUE(QTest::qWaitForWindowActive(browser));
  EXPECT_TRUE(browser->FilterButton(TBrowserFilter::Name)->isChecked());
  EXPECT_TRUE(browser->nameEditBox()->hasFocus());
  QTest::keyClicks(browser->nameEditBox(), "zzz");
  EXPECT_EQ(browser->nameEditBox()->text(), "zzz");
  QTest::keyClick(browser->windowHandle(), Qt::Key_Escape);
  EXPECT_EQ(browser->nameEditBox()->text(), "");
  EXPECT_TRUE(browser->lbStatusBar()->text().startsWith("Nombre total de radios"));
}

}  // namespace
