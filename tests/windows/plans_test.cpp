// The "Programmation" page and the sleep timer in-process: a plan added, changed and
// deleted through the page reaches the list's file at once; a damaged list is told at
// start and kept aside, never lost to the next save; the editor refuses what
// cannot be recorded; the sleep timer's time left shows in the status line's hint and
// leaves it when cancelled.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/mainform.h"
#include "app/planrunner.h"
#include "app/sleeprunner.h"
#include "recording/planlistmodel.h"
#include "support/program.h"
#include "windows/configform.h"
#include "windows/planeditform.h"
#include "windows/planpage.h"

namespace {

class PlansTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast));
    MainForm()->SetMenusModal(false);
  }
  void TearDown() override { DestroyForms(); }

  static std::vector<TRecordPlan> Saved() {
    QString error;
    std::vector<TRecordPlan> plans = LoadPlansFile(Program().PlanRunner()->FilePath(), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return plans;
  }
};

TEST_F(PlansTest, ThePageAddsChangesAndDeletesPlansAndTheFileFollows) {
  MainForm()->PopupSetupMenu()->actions().last()->trigger();
  ASSERT_TRUE(ConfigForm()->isVisible());
  EXPECT_EQ(ConfigForm()->CurrentPage(), "Programmation");
  auto* page = ConfigForm()->findChild<TPlanPage*>();
  ASSERT_NE(page, nullptr);
  auto* edit = page->findChild<QPushButton*>("btEditPlan");
  auto* del = page->findChild<QPushButton*>("btDeletePlan");
  EXPECT_FALSE(edit->isEnabled());
  EXPECT_FALSE(del->isEnabled());

  const QDateTime tomorrow(QDate::currentDate().addDays(1), QTime(7, 0));
  page->EditPlan = [&](const TRecordPlan& plan) -> std::optional<TRecordPlan> {
    TRecordPlan p = plan;
    p.Station = "Radio Matin";
    p.Url = "http://127.0.0.1:9/matin";
    p.Start = tomorrow;
    p.Repeat = TPlanRepeat::Weekdays;
    p.DurationSeconds = 5400;
    p.Format = "MP3";
    return p;
  };
  QTest::mouseClick(page->findChild<QPushButton*>("btAddPlan"), Qt::LeftButton);
  ASSERT_EQ(page->Model()->rowCount(), 1);
  EXPECT_EQ(page->Model()->index(0, TPlanListModel::Station).data().toString(), "Radio Matin");
  std::vector<TRecordPlan> saved = Saved();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].Start, tomorrow);
  EXPECT_EQ(saved[0].Repeat, TPlanRepeat::Weekdays);
  EXPECT_TRUE(edit->isEnabled());  // the new row is chosen

  // Cancelled: nothing changes.
  page->EditPlan = [](const TRecordPlan&) { return std::optional<TRecordPlan>(); };
  QTest::mouseClick(edit, Qt::LeftButton);
  EXPECT_EQ(Saved()[0].Format, "MP3");

  page->EditPlan = [](const TRecordPlan& plan) -> std::optional<TRecordPlan> {
    TRecordPlan p = plan;
    p.Format = "OGG";
    p.CutByTitle = false;
    return p;
  };
  QTest::mouseClick(edit, Qt::LeftButton);
  saved = Saved();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].Format, "OGG");
  EXPECT_FALSE(saved[0].CutByTitle);
  EXPECT_EQ(page->Model()->index(0, TPlanListModel::Format).data().toString(), "OGG");

  page->Confirm = [](const QString&) { return false; };
  QTest::mouseClick(del, Qt::LeftButton);
  EXPECT_EQ(Saved().size(), 1u);
  page->Confirm = [](const QString&) { return true; };
  QTest::mouseClick(del, Qt::LeftButton);
  EXPECT_EQ(page->Model()->rowCount(), 0);
  EXPECT_TRUE(Saved().empty());
}

TEST_F(PlansTest, ADamagedListIsToldAtStartKeptAsideAndReplacedByTheNextSave) {
  const QString path = Program().PlanRunner()->FilePath();
  DestroyForms();
  QFile::remove(path + ".illisible");
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(R"({"version":1,"plans":[{"id":"1","station":"Radio)");
  }
  ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast));
  QMessageBox* told = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) told = box;
  }
  ASSERT_NE(told, nullptr);
  EXPECT_EQ(told->windowTitle(), "Programmation des enregistrements");
  EXPECT_TRUE(told->text().contains("est endommagé")) << told->text().toStdString();
  EXPECT_TRUE(told->text().contains(path + ".illisible")) << told->text().toStdString();
  EXPECT_TRUE(Program().PlanRunner()->Scheduler().Plans().empty());
  told->close();

  // The program goes on; the next save writes a sound list, the damaged one stays aside.
  auto* page = EnsureConfigForm()->findChild<TPlanPage*>();
  ASSERT_NE(page, nullptr);
  page->EditPlan = [](const TRecordPlan& plan) -> std::optional<TRecordPlan> {
    TRecordPlan p = plan;
    p.Station = "Radio Soir";
    return p;
  };
  QTest::mouseClick(page->findChild<QPushButton*>("btAddPlan"), Qt::LeftButton);
  ASSERT_EQ(Saved().size(), 1u);
  QFile aside(path + ".illisible");
  ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
  EXPECT_TRUE(aside.readAll().startsWith(R"({"version":1,"plans":[{"id":"1")"));
  // The next test of this process starts from an empty list.
  Program().PlanRunner()->Scheduler().Remove(0);
  Program().PlanRunner()->Edited();
  QFile::remove(path + ".illisible");
}

TEST_F(PlansTest, TheEditorSaysWhatKeepsAPlanFromBeingRecorded) {
  const std::vector<std::pair<QString, QString>> stations{{"Radio A", "http://127.0.0.1:9/a"}};
  TRecordPlan plan;
  plan.Start = QDateTime::currentDateTime().addDays(-1);
  plan.Repeat = TPlanRepeat::Once;
  {
    TPlanEditForm editor(plan, {}, {"MP3"});
    EXPECT_EQ(editor.Problem(), "Choisissez une radio.");
  }
  TPlanEditForm editor(plan, stations, {"MP3", "OGG"});
  EXPECT_EQ(editor.Problem(), "Cet horaire est déjà passé.");
  editor.cbRepeat()->setCurrentIndex(1);  // daily: its next day is to come
  EXPECT_EQ(editor.Problem(), QString());
  editor.sbDuration()->setValue(45);
  editor.cbFormat()->setCurrentIndex(1);
  const TRecordPlan made = editor.Plan();
  EXPECT_EQ(made.Station, "Radio A");
  EXPECT_EQ(made.Url, "http://127.0.0.1:9/a");
  EXPECT_EQ(made.Repeat, TPlanRepeat::Daily);
  EXPECT_EQ(made.DurationSeconds, 45 * 60);
  EXPECT_EQ(made.Format, "OGG");
  EXPECT_EQ(made.Start.time().second(), 0);
}

TEST_F(PlansTest, TheSleepTimersTimeLeftShowsInTheStatusHint) {
  TSleepRunner* sleep = Program().SleepRunner();
  ASSERT_NE(sleep, nullptr);
  QAction* cancel = sleep->Menu()->actions().last();
  EXPECT_FALSE(cancel->isEnabled());
  sleep->Menu()->actions()[0]->trigger();  // 15 minutes
  QLabel* status = MainForm()->Statut();
  EXPECT_TRUE(status->text().startsWith("Arrêt programmé à ")) << status->text().toStdString();
  const QString hint = status->toolTip();
  EXPECT_TRUE(hint.contains("Arrêt programmé dans 15:00") || hint.contains("Arrêt programmé dans 14:59"))
      << hint.toStdString();
  EXPECT_TRUE(cancel->isEnabled());
  cancel->trigger();
  EXPECT_EQ(status->text(), "Arrêt programmé annulé.");
  QTest::qWait(600);
  EXPECT_FALSE(status->toolTip().contains("Arrêt programmé dans"));
  EXPECT_FALSE(cancel->isEnabled());
}

}  // namespace
