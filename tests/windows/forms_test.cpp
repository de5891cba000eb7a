// The ten windows: order, names, sizes, chrome; the main window's status line for engine
// errors.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QLabel>
#include <QThread>
#include <thread>

#include "support/program.h"
#include "app/mainform.h"
#include "windows/formlisteradio.h"
#include "windows/genreform.h"
#include "windows/configform.h"
#include "windows/infoform.h"
#include "widgets/simplebtn.h"

namespace {

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast)); }
  void TearDown() override { DestroyForms(); }
};

TEST_F(FormsTest, TenWindowsInOrderWithTheirNamesAndSizes) {
  struct Expected {
    const char* cls;
    const char* instance;
    QSize size;
  } expected[] = {
      {"TMainForm", "MainForm", {480, 241}},          {"TConfigForm", "ConfigForm", {405, 288}},
      {"TInfoForm", "InfoForm", {406, 290}},          {"TDownLoadForm", "DownLoadForm", {441, 162}},
      {"TFormListeRadio", "FormListeRadio", {480, 320}}, {"TRadioEditForm", "RadioEditForm", {403, 285}},
      {"TgenreForm", "genreForm", {403, 290}},        {"TnetworkForm", "networkForm", {403, 290}},
      {"TcountryForm", "countryForm", {403, 290}},    {"TFormListeFile", "FormListeFile", {480, 320}},
  };
  const auto& forms = AllForms();
  ASSERT_EQ(forms.size(), std::size(expected));
  for (size_t i = 0; i < forms.size(); ++i) {
    SCOPED_TRACE(expected[i].instance);
    EXPECT_STREQ(forms[i]->metaObject()->className(), expected[i].cls);
    EXPECT_EQ(forms[i]->objectName(), expected[i].instance);
    EXPECT_EQ(forms[i]->size(), expected[i].size);
    EXPECT_TRUE(forms[i]->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(forms[i]->isVisible());  // nothing is shown before the event loop
  }
  EXPECT_EQ(forms[0], static_cast<QWidget*>(MainForm()));
}

// The program itself builds only what a start shows; the other windows come on first use
// with the state the start gave them.
TEST(FormsOnDemand, WindowsOpenedLaterTakeTheStartsState) {
  ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast, TFormCreation::OnDemand));
  EXPECT_EQ(AllForms().size(), 4u);
  EXPECT_EQ(ConfigForm(), nullptr);
  EXPECT_EQ(InfoForm(), nullptr);
  EXPECT_EQ(genreForm(), nullptr);

  MainForm()->Favourites.SetNames({"Zeta", "Alpha"});
  MainForm()->ShowConfigPage("Favoris");
  ASSERT_NE(ConfigForm(), nullptr);
  EXPECT_TRUE(ConfigForm()->isVisible());
  EXPECT_EQ(ConfigForm()->CurrentPage(), "Favoris");
  QStringList shown;
  for (int i = 0; i < ConfigForm()->FavoritesListBox()->count(); ++i) shown << ConfigForm()->FavoritesListBox()->item(i)->text();
  EXPECT_EQ(shown, QStringList({"Alpha", "Zeta"}));  // the page lists them sorted
  EXPECT_EQ(ConfigForm()->RemoteTunerComboBox()->count(), FormListeRadio()->Startup().RemoteTuners.size());

  MainForm()->ShowInfoPage("Support");
  ASSERT_NE(InfoForm(), nullptr);
  EXPECT_EQ(InfoForm()->CurrentPage(), "Support");
  EXPECT_EQ(EnsureInfoForm(), InfoForm());  // once only

  TgenreForm* genres = EnsuregenreForm();
  ASSERT_NE(genres, nullptr);
  EXPECT_EQ(AllForms().size(), 7u);
  EXPECT_EQ(AllForms()[0], static_cast<QWidget*>(MainForm()));  // destroyed last
  DestroyForms();
}

TEST_F(FormsTest, MainWindowTitleCarriesTheVersion) {
  EXPECT_EQ(MainForm()->NomAppli()->text(), "Zovalis 2.1.1");
  EXPECT_EQ(MainForm()->NomAppli()->pos(), QPoint(41, 5));
  EXPECT_EQ(MainForm()->MenuAProposCaption, "&A Propos de Zovalis 2.1.1");
  EXPECT_FALSE(MainForm()->DataFolder.isEmpty());
  EXPECT_TRUE(MainForm()->DataFolder.endsWith("/ZOVA/"));
  EXPECT_EQ(MainForm()->TunerFolder, MainForm()->DataFolder + "tuner/remote/");
}

TEST_F(FormsTest, SecondaryCloseButtonHidesItsWindow) {
  auto* config = AllForms()[1];
  config->show();
  ASSERT_TRUE(config->isVisible());
  auto* close = config->findChild<TSimpleBtn*>("CloseBtn");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->CurrentPicture(), 2);  // the up face of the close strip
  close->Click();
  EXPECT_FALSE(config->isVisible());
  EXPECT_NE(MainForm(), nullptr);  // only hidden, never destroyed
}

TEST_F(FormsTest, EngineErrorsGoToTheStatusLineInRed) {
  MainForm()->ShowEngineError(40);
  EXPECT_EQ(MainForm()->Statut()->text(), "Erreur! Délai de connexion dépassé.");
  EXPECT_EQ(MainForm()->Statut()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(FormsTest, EngineErrorsFromAnotherThreadArriveInOrderOnTheInterfaceThread) {
  // At start the status line shows the volume, as a move of the slider would.
  const QString before = MainForm()->Statut()->text();
  EXPECT_EQ(before, "Volume :100 %");
  std::thread worker([] {
    MainForm()->ShowEngineError(2);
    MainForm()->ShowEngineError(32);
    MainForm()->ShowEngineError(40);
  });
  worker.join();
  EXPECT_EQ(MainForm()->Statut()->text(), before);  // nothing touched the label off its thread
  QCoreApplication::processEvents();
  EXPECT_EQ(MainForm()->Statut()->text(), "Erreur! Délai de connexion dépassé.");
}

}  // namespace
