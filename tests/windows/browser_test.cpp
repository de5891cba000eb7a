// The station browser and the splash window in the real windows: the delivered catalogue
// at first start in both tuner modes, and the switch through the tuner list.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QComboBox>
#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>
#include <QUrl>

#include "support/program.h"
#include "app/mainform.h"
#include "common/settings.h"
#include "windows/formlisteradio.h"
#include "windows/downloadform.h"

namespace {

// The program folder of the build, with its delivered catalogue.
const QString kProgramDir = QStringLiteral(ZOVALIS_PROGRAM_DIR "/");

class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A fresh data folder for every test: the first start each time.
    QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/ZOVA").removeRecursively();
    qputenv("ZOVALIS_UPDATE_SERVER", QUrl::fromLocalFile(kProgramDir + "server/").toString().toUtf8());
  }
  void TearDown() override {
    DestroyForms();
    qunsetenv("ZOVALIS_UPDATE_SERVER");
  }
  void Start(const char* mode) {
    QSettings* store = OpenUserSettings();
    store->setValue("Mode", mode);
    store->sync();
    delete store;
    ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast));
  }
  int Delivered() {
    TCatalogueTable t("t");
    EXPECT_TRUE(t.LoadFromFile(kProgramDir + "server/catalogue/radios.xml").Ok());
    return t.RecordCount();
  }
};

TEST_F(BrowserTest, RemoteFirstStartShowsTheDeliveredCatalogueReadOnly) {
  Start("remote");
  const int delivered = Delivered();
  ASSERT_GE(delivered, 120);
  EXPECT_EQ(FormListeRadio()->radiosDataset.RecordCount(), delivered);
  EXPECT_TRUE(FormListeRadio()->radiosDataset.ReadOnly());
  EXPECT_EQ(FormListeRadio()->ListeRadio()->model()->rowCount(), delivered);
  EXPECT_EQ(FormListeRadio()->TunerComboBox()->currentText(), "Distant");
  EXPECT_EQ(FormListeRadio()->TitleLabel()->text(), "Tuner distant");
  EXPECT_EQ(FormListeRadio()->lbStatusBar()->text(),
            "Nombre total de radios : " + QString::number(delivered) + " radios trouvées");
  EXPECT_EQ(FormListeRadio()->Loader().Tuner.RemoteBase,
            QUrl::fromLocalFile(kProgramDir + "server/catalogue/").toString());
  // The splash window keeps the last texts of the load, hidden.
  EXPECT_FALSE(DownLoadForm()->isVisible());
  EXPECT_EQ(DownLoadForm()->lbMessage()->text().left(24), "Chargement des réseaux (");
  EXPECT_EQ(DownLoadForm()->ProgressBar()->value(), 400);
  EXPECT_EQ(DownLoadForm()->lbAppVersion()->text(), "Version  2.1.1.273");
}

TEST_F(BrowserTest, LocalFirstStartImportsAndTheTunerListSwitches) {
  // The local tuner's first catalogue comes from the program folder's base/: this test
  // program's folder gets the build's one.
  const QString base = QCoreApplication::applicationDirPath() + "/base";
  if (!QFileInfo::exists(base)) {
    ASSERT_TRUE(QFile::link(kProgramDir + "base", base));
  }
  Start("local");
  const int delivered = Delivered();
  EXPECT_EQ(FormListeRadio()->radiosDataset.RecordCount(), delivered);
  EXPECT_FALSE(FormListeRadio()->radiosDataset.ReadOnly());
  EXPECT_EQ(FormListeRadio()->TunerComboBox()->currentText(), "Local");
  EXPECT_EQ(FormListeRadio()->TitleLabel()->text(), "Tuner local");
  EXPECT_TRUE(QFile::exists(MainForm()->DataFolder + "tuner/local/radios.xml"));
  EXPECT_TRUE(QFile::exists(MainForm()->DataFolder + "tuner/local/icones/noicon.png"));

  // The user picks "Distant" in the tuner list (keyboard, as a user may).
  FormListeRadio()->show();
  QComboBox* tuner = FormListeRadio()->TunerComboBox();
  tuner->setFocus();
  QTest::keyClick(tuner, Qt::Key_Up);
  EXPECT_EQ(tuner->currentText(), "Distant");
  EXPECT_EQ(MainForm()->Settings.Mode, "remote");
  EXPECT_EQ(MainForm()->TunerFolder, MainForm()->DataFolder + "tuner/remote/");
  EXPECT_TRUE(FormListeRadio()->radiosDataset.ReadOnly());
  EXPECT_EQ(FormListeRadio()->radiosDataset.RecordCount(), delivered);
  EXPECT_EQ(FormListeRadio()->TitleLabel()->text(), "Tuner distant");
}

}  // namespace
