// The configuration and information windows in-process: every menu item opens its page,
// each setting takes effect at once and is written at close, the format list follows the
// encoder folder, the favourites page and menu stay in step, the title history is saved,
// the support page builds its mails, and every page's controls fit inside it.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStringListModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "support/program.h"
#include "common/translations.h"
#include "app/mainform.h"
#include "windows/formlisteradio.h"
#include "widgets/paintbox.h"
#include "widgets/simplebtn.h"
#include "widgets/spectrum.h"
#include "windows/configform.h"
#include "windows/formcontrols.h"
#include "windows/infoform.h"

namespace {

class ConfigInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFontSubstitutes();  // as the program does
    ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast));
    MainForm()->SetMenusModal(false);
  }
  void TearDown() override { DestroyForms(); }

  // Clicks a check box through its caption label, as a user does.
  static void ClickCaption(QWidget* page, const char* label) {
    auto* l = page->findChild<QLabel*>(QLatin1String(label));
    ASSERT_NE(l, nullptr) << label;
    QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(3, 3));
  }
  static void Choose(QComboBox* box, const QString& text) {
    const int i = box->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    box->setCurrentIndex(i);
    Q_EMIT box->activated(i);
  }
};

TEST_F(ConfigInfoTest, EveryMenuItemOpensItsPage) {
  const QStringList setup{"Affichage", "Tuner", "Connexion", "Enregistrement", "Favoris", "Programmation"};
  for (int i = 0; i < setup.size(); ++i) {
    ConfigForm()->hide();
    MainForm()->PopupSetupMenu()->actions()[i]->trigger();
    EXPECT_TRUE(ConfigForm()->isVisible());
    EXPECT_EQ(ConfigForm()->CurrentPage(), setup[i]);
    EXPECT_EQ(ConfigForm()->PageControl1()->currentWidget()->isVisible(), true);
  }
  const QStringList info{"Radio PlayList", "Support", "Sountenez le projet !", "A propos de ..."};
  for (int i = 0; i < info.size(); ++i) {
    InfoForm()->hide();
    MainForm()->PopupInfoMenu()->actions()[i]->trigger();
    EXPECT_TRUE(InfoForm()->isVisible());
    EXPECT_EQ(InfoForm()->CurrentPage(), info[i]);
  }
  // The close buttons hide; the short press of the buttons toggles, on the last page.
  QTest::mouseClick(ConfigForm()->CloseBtn(), Qt::LeftButton);
  EXPECT_FALSE(ConfigForm()->isVisible());
  QTest::mousePress(MainForm()->Face().ConfigBtn, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(ConfigForm()->isVisible());
  EXPECT_EQ(ConfigForm()->CurrentPage(), "Programmation");
}

TEST_F(ConfigInfoTest, DisplayPageActsAtOnceOnTrayMenuAndAnalyser) {
  QWidget* page = ConfigForm()->PageControl1()->widget(0);
  QAction* trayItem = MainForm()->SystrayPopupMenu()->actions()[1];
  const bool before = ConfigForm()->cbInfoSystray()->isChecked();
  ClickCaption(page, "Label13");
  EXPECT_NE(ConfigForm()->cbInfoSystray()->isChecked(), before);
  EXPECT_EQ(MainForm()->Settings.TrayInformation, !before);
  EXPECT_EQ(trayItem->text(), before ? "Activer les infos bulles" : "Désactiver les infos bulles");
  trayItem->trigger();  // the tray menu flips the box back
  EXPECT_EQ(ConfigForm()->cbInfoSystray()->isChecked(), before);

  // Peaks: the box wins again after the analyser was clicked.
  TSpectrum* spectrum = MainForm()->Spectrum();
  ASSERT_NE(spectrum, nullptr);
  const bool peaks = ConfigForm()->cbSpectroPeaks()->isChecked();
  QTest::mouseClick(MainForm()->Face().PaintBox1, Qt::LeftButton);
  EXPECT_EQ(spectrum->ShowPeaks, !peaks);
  ClickCaption(page, "Label1");
  EXPECT_EQ(spectrum->ShowPeaks, !peaks);
  EXPECT_EQ(ConfigForm()->cbSpectroPeaks()->isChecked(), !peaks);

  Choose(ConfigForm()->SpectroColorBox(0), "Bleu");
  Choose(ConfigForm()->SpectroColorBox(2), "Sélection");
  EXPECT_EQ(spectrum->ColorLow, ColorValue(0, 0, 255));
  EXPECT_EQ(spectrum->ColorHigh, 0xFF00000Du);
}

TEST_F(ConfigInfoTest, ChangesAreWrittenAtCloseAndReadBack) {
  TConfigForm* c = ConfigForm();
  ClickCaption(c->PageControl1()->widget(2), "Label2");
  EXPECT_TRUE(c->edProxyServer()->isEnabled());
  QTest::keyClicks(c->edProxyServer(), "proxy.example");
  QTest::keyClicks(c->edProxyPort(), "3128");
  QTemporaryDir folder;
  c->SelectFolder = [&](const QString& title) {
    EXPECT_EQ(title, "Sélectionnez un répertoire où stocker vos enregistrements");
    return folder.path();
  };
  QTest::mouseClick(c->PageControl1()->widget(3)->findChild<QPushButton*>("btnSelectDir"), Qt::LeftButton);
  EXPECT_EQ(c->edRecordDir()->text(), folder.path());
  EXPECT_EQ(MainForm()->RecordPage.edRecordDir, folder.path());  // the next recording's folder
  if (!c->cbCutByTitle()->isChecked()) ClickCaption(c->PageControl1()->widget(3), "Label4");
  EXPECT_TRUE(c->cbRecordOcc()->isEnabled());
  Choose(c->cbRecordOcc(), "50");
  EXPECT_EQ(MainForm()->Settings.RecordOcc, 50);  // at once
  Choose(c->cbEncoder(), "WAV");
  EXPECT_EQ(c->Label19()->text(), "Non compressé, Sans perte de qualité , Support du 5.1.");
  ClickCaption(c->PageControl1()->widget(2), "Label2");  // off again: the texts stay
  EXPECT_FALSE(c->edProxyServer()->isEnabled());

  MainForm()->close();
  std::unique_ptr<QSettings> store(OpenUserSettings());
  EXPECT_EQ(store->value("IsProxyServer").toString(), "0");
  EXPECT_EQ(store->value("ProxyServer").toString(), "proxy.example");
  EXPECT_EQ(store->value("ProxyPort").toString(), "3128");
  EXPECT_EQ(store->value("RecordDir").toString(), folder.path());
  EXPECT_EQ(store->value("RecordOcc").toInt(), 50);
  EXPECT_EQ(store->value("RecordEncoder").toString(), "WAV");
  EXPECT_EQ(store->value("CutByTitle").toString(), "1");
}

TEST_F(ConfigInfoTest, TunerPageAsksBeforeEmptyingAndRefusesAFolderWithoutStations) {
  TConfigForm* c = ConfigForm();
  QStringList asked, errors;
  c->Confirm = [&](const QString& text) {
    asked << text;
    return false;
  };
  c->ShowError = [&](const QString& text) { errors << text; };
  const QString mode = FormListeRadio()->Loader().Tuner.Mode;
  QTest::mouseClick(c->NewButtonDb(), Qt::LeftButton);
  EXPECT_EQ(asked, QStringList({"Voulez-vous vraiment supprimer toutes les radios du tuner local ?"}));
  EXPECT_EQ(FormListeRadio()->Loader().Tuner.Mode, mode);  // No: nothing changes
  QTemporaryDir empty;
  QStringList titles;
  c->SelectFolder = [&](const QString& title) {
    titles << title;
    return empty.path();
  };
  QTest::mouseClick(c->ImportButtonDB(), Qt::LeftButton);
  EXPECT_EQ(titles, QStringList({"Sélectionnez le répertoire à importer dans votre tuner local"}));
  EXPECT_EQ(errors, QStringList({"Impossible de trouver le fichier radios.xml dans ce répertoire !"}));
  EXPECT_EQ(FormListeRadio()->Loader().Tuner.Mode, mode);
}

TEST_F(ConfigInfoTest, FormatListFollowsTheEncoderFolderAndFallsBackToWMA) {
  QTemporaryDir exe;
  ASSERT_TRUE(QDir(exe.path()).mkpath("encoder"));
  const QString base = exe.path() + "/";
  ConfigForm()->FillEncoderList(base);
  QStringList items;
  for (int i = 0; i < ConfigForm()->cbEncoder()->count(); ++i) items << ConfigForm()->cbEncoder()->itemText(i);
  EXPECT_EQ(items, QStringList({"WAV", "WMA"}));
  for (const char* program : {"lame", "oggenc", "faac", "aften"}) {
    QFile f(base + "encoder/" + program);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
  }
  // The chosen format when offered (exact case), else WMA.
  const struct {
    const char* stored;
    const char* selected;
  } cases[] = {{"MP3", "MP3"}, {"WAV", "WAV"}, {"mp3", "WMA"}, {"", "WMA"}, {"FLAC", "WMA"}};
  for (const auto& c : cases) {
    MainForm()->RecordPage.cbEncoder = c.stored;
    ConfigForm()->FillEncoderList(base);
    EXPECT_EQ(ConfigForm()->cbEncoder()->count(), 6);
    EXPECT_EQ(ConfigForm()->cbEncoder()->currentText(), c.selected) << c.stored;
    EXPECT_EQ(MainForm()->RecordPage.cbEncoder, c.selected);  // what the next recording uses
  }
  MainForm()->RecordPage.cbEncoder = "MP3";
  QFile::remove(base + "encoder/lame");
  ConfigForm()->FillEncoderList(base);  // as the next start does
  EXPECT_EQ(ConfigForm()->cbEncoder()->findText("MP3"), -1);
  EXPECT_EQ(ConfigForm()->cbEncoder()->currentText(), "WMA");
  EXPECT_EQ(ConfigForm()->Label19()->text(), "Compression au format Windows Media Player.");
}

TEST_F(ConfigInfoTest, FavouritesPageAndMenuStayInStep) {
  MainForm()->Favourites.SetNames({"Zeta", "Alpha", "beta"});
  MainForm()->CopyFavouritesToConfig();
  MainForm()->BuildFavouritesMenu();
  QListWidget* list = ConfigForm()->FavoritesListBox();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "Alpha");
  EXPECT_FALSE(ConfigForm()->btDeleteFavorites()->isEnabled());
  const QRect row = list->visualItemRect(list->item(1));
  ConfigForm()->ShowPage("Favoris");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
  EXPECT_TRUE(ConfigForm()->btDeleteFavorites()->isEnabled());
  EXPECT_TRUE(ConfigForm()->btPlayFavorites()->isEnabled());
  QTest::mouseClick(ConfigForm()->btDeleteFavorites(), Qt::LeftButton);
  EXPECT_EQ(MainForm()->Favourites.Names(), QStringList({"Alpha", "Zeta"}));
  QStringList menu;
  for (QAction* a : MainForm()->PopupFavorisMenu()->actions()) menu << a->text();
  EXPECT_EQ(menu, QStringList({"Ajouter aux favoris", "", "Alpha", "Zeta"}));
  EXPECT_FALSE(ConfigForm()->btDeleteFavorites()->isEnabled());
  EXPECT_FALSE(ConfigForm()->btPlayFavorites()->isEnabled());
}

QStringList Rows(QListView* view) {
  return static_cast<QStringListModel*>(view->model())->stringList();
}

TEST_F(ConfigInfoTest, TitleHistoryIsShownAndSavedWithCrLf) {
  TInfoForm* f = InfoForm();
  f->SyncLists({"21:05:09 Un - Deux"}, {"StreamTitle='Un - Deux';"}, {"------- TAG HTTP -------", "icy-name:X"});
  f->SyncLists({"21:05:09 Un - Deux", "21:08:10 Trois"}, {"StreamTitle='Un - Deux';"},
               {"------- TAG HTTP -------", "icy-name:X"});
  EXPECT_EQ(Rows(f->PlayListBox()), QStringList({"21:05:09 Un - Deux", "21:08:10 Trois"}));
  EXPECT_EQ(f->PlayListBox()->currentIndex().row(), 1);  // scrolled to the last line
  EXPECT_EQ(Rows(f->Informations()).size(), 2);

  QTemporaryDir dir;
  QString proposed, startFolder;
  f->SaveFileName = [&](const QString& folder, const QString& name) {
    startFolder = folder;
    proposed = name;
    return dir.filePath("liste.txt");
  };
  QTest::mouseClick(f->SimpleBtn1(), Qt::LeftButton);
  EXPECT_EQ(proposed, ".txt");  // no station playing
  EXPECT_EQ(startFolder, MainForm()->RecordPage.edRecordDir);
  QFile saved(dir.filePath("liste.txt"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), QByteArray("21:05:09 Un - Deux\r\n21:08:10 Trois\r\n"));

  // Stopping empties the lists; saving an empty list makes an empty file.
  f->SyncLists({}, {}, {});
  EXPECT_TRUE(Rows(f->PlayListBox()).isEmpty());
  QTest::mouseClick(f->SimpleBtn1(), Qt::LeftButton);
  EXPECT_EQ(QFileInfo(dir.filePath("liste.txt")).size(), 0);
  QString error;
  EXPECT_FALSE(SavePlayListText(dir.filePath("absent/x.txt"), {"a"}, &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST_F(ConfigInfoTest, HotSpotsShowTheDiagnosticViewsAndTheButtonBringsThePlaylistBack) {
  TInfoForm* f = InfoForm();
  f->ShowPage("A propos de ...");
  QWidget* about = f->PageControl1()->currentWidget();
  QTest::mouseClick(about->findChild<QLabel*>("Label10"), Qt::LeftButton);
  EXPECT_EQ(f->CurrentPage(), "Radio PlayList");
  EXPECT_TRUE(f->Meta()->isVisibleTo(f));
  EXPECT_FALSE(f->PlayListBox()->isVisibleTo(f));
  EXPECT_EQ(f->Label2()->text(), "Données de synchronisation");
  EXPECT_FALSE(f->SimpleBtn1()->isVisibleTo(f));
  f->ShowPage("A propos de ...");
  QTest::mouseClick(about->findChild<QLabel*>("Label11"), Qt::LeftButton);
  EXPECT_EQ(f->Label2()->text(), "Tags d'informations");
  f->hide();
  QTest::mousePress(MainForm()->Face().InfoBtn, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(f->CurrentPage(), "Radio PlayList");  // the page last used
  EXPECT_TRUE(f->PlayListBox()->isVisibleTo(f));
  EXPECT_TRUE(f->SimpleBtn1()->isVisibleTo(f));
  EXPECT_EQ(f->Label2()->text(), "Liste de lecture pour ");
  EXPECT_EQ(f->lbVersion()->text(), "Version 2.1.1 ( Build 273 )");
}

TEST_F(ConfigInfoTest, SupportPageBuildsItsMailsAndOpensItsLinks) {
  TInfoForm* f = InfoForm();
  std::vector<TSupportMail> sent;
  f->SendMail = [&](const TSupportMail& m) { sent.push_back(m); };
  QStringList opened;
  f->OpenUrl = [&](const QString& url) { opened << url; };
  f->ShowPage("Support");
  QWidget* page = f->PageControl1()->currentWidget();
  QTest::mouseClick(page->findChild<QPushButton*>("Button1"), Qt::LeftButton);  // all empty
  QTest::keyClicks(f->edRadioName(), "Radio Test");
  QTest::keyClicks(f->edRadioWeb(), "https://radio.example");
  QTest::keyClicks(f->edRadioUrl(), "http://127.0.0.1:8000/live");
  QTest::mouseClick(page->findChild<QPushButton*>("Button1"), Qt::LeftButton);
  f->SetStationNames({"Zeta", "Alpha"});
  QStringList told;
  f->Inform = [&](const QString& text) { told << text; };
  f->DBRadioComboBox()->setCurrentIndex(-1);
  QTest::mouseClick(page->findChild<QPushButton*>("Button2"), Qt::LeftButton);  // nothing chosen
  EXPECT_EQ(told, QStringList({"Choisissez la radio à signaler."}));        // and nothing sent
  f->DBRadioComboBox()->setCurrentIndex(1);
  QTest::mouseClick(page->findChild<QPushButton*>("Button2"), Qt::LeftButton);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].Subject, "Proposition de radio : ");
  EXPECT_EQ(sent[0].Body, "Site WEB de la radio : \n\rUrl du flux : \n\r");
  EXPECT_EQ(sent[1].Subject, "Proposition de radio : Radio Test");
  EXPECT_EQ(sent[1].Body, "Site WEB de la radio : https://radio.example\n\rUrl du flux : http://127.0.0.1:8000/live\n\r");
  EXPECT_EQ(sent[2].Subject, "Disfonctionnement de : Zeta");  // the list is sorted
  EXPECT_EQ(sent[2].Body, "Un disfonctionnement a été signalé avec la radio  Zeta");
  EXPECT_EQ(f->edRadioName()->text(), "Radio Test");         // kept after sending

  QTest::mouseClick(page->findChild<QLabel*>("Label3"), Qt::LeftButton);
  QTest::mouseClick(page->findChild<QLabel*>("Label9"), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 2);
  EXPECT_TRUE(opened[0].endsWith("index.php?page=136"));
  EXPECT_TRUE(opened[1].endsWith("index.php?page=137"));
}

// Every control lies inside its page, and no one-line label is cut short.
TEST_F(ConfigInfoTest, EveryPageHoldsItsControls) {
  const QString shots = qEnvironmentVariable("ZOVALIS_SHOTS");
  for (QTabWidget* tabs : {ConfigForm()->PageControl1(), InfoForm()->PageControl1()}) {
    QWidget* window = tabs->window();
    window->show();
    for (int i = 0; i < tabs->count(); ++i) {
      tabs->setCurrentIndex(i);
      QWidget* page = tabs->widget(i);
      QApplication::processEvents();
      for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(page) || w->parentWidget() == nullptr || w->inherits("QScrollBar")) continue;
        if (w->parentWidget() != page && !w->parentWidget()->inherits("QGroupBox")) continue;
        // (a group box may start one pixel above its page, hiding its top line)
        EXPECT_TRUE(w->parentWidget()->rect().adjusted(0, -1, 0, 0).contains(w->geometry()))
            << tabs->tabText(i).toStdString() << ": " << w->objectName().toStdString();
        auto* label = qobject_cast<QLabel*>(w);
        if (label && !label->wordWrap() && !label->text().isEmpty()) {
          EXPECT_LE(label->sizeHint().width(), label->width() + 1)
              << tabs->tabText(i).toStdString() << ": " << label->objectName().toStdString();
        }
      }
      if (!shots.isEmpty()) window->grab().save(shots + "/" + window->objectName() + "-" + QString::number(i) + ".png");
    }
    window->hide();
  }
}

}  // namespace

namespace {

// What a modal box showed: its buttons' texts and the default one's.
struct TBoxSeen {
  QStringList Buttons;
  QString Default;
};

// Runs `ask` (which shows a modal question box) and answers the box with its default
// button (Enter), after reading it.
TBoxSeen AnswerWithDefault(const std::function<void()>& ask) {
  TBoxSeen seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    for (QAbstractButton* b : box->buttons()) seen.Buttons << b->text();
    if (box->defaultButton()) seen.Default = box->defaultButton()->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  ask();
  return seen;
}

// Qt's standard buttons speak French, and the questions that destroy something answer
// "Non" when the user just presses Enter.
TEST_F(ConfigInfoTest, DestructiveQuestionsAreInFrenchAndDefaultToNo) {
  ASSERT_TRUE(InstallQtFrench(*qApp)) << "Qt's French catalogue is not installed";
  bool answer = true;
  TBoxSeen emptyTuner = AnswerWithDefault([&] { answer = EnsureConfigForm()->Confirm("Vider ?"); });
  EXPECT_FALSE(answer);
  EXPECT_EQ(emptyTuner.Default.remove('&'), "Non");
  QStringList texts = emptyTuner.Buttons;
  texts.replaceInStrings("&", "");
  texts.sort();
  EXPECT_EQ(texts, QStringList({"Non", "Oui"}));

  answer = true;
  TBoxSeen deletion = AnswerWithDefault([&] { answer = FormListeRadio()->ConfirmDelete("Supprimer ?"); });
  EXPECT_FALSE(answer);
  EXPECT_EQ(deletion.Default.remove('&'), "Non");
}

}  // namespace
