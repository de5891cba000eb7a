// Editing the local catalogue in-process: the station editor (add, cancel, modify,
// delete, genre lines, icon), the list editors (a genre added and listed, a country's
// flag), the suggestion mail, and the files on disk read back after each save.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "support/program.h"
#include "app/mainform.h"
#include "catalogue/catalogueschema.h"
#include "windows/countryform.h"
#include "windows/formlisteradio.h"
#include "windows/genreform.h"
#include "windows/radioeditform.h"
#include "catalogue/stationedit.h"
#include "windows/infoform.h"

namespace {

class EditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast));
    b = FormListeRadio();
    b->Loader().Tuner.Mode = "local";
    folder = b->Loader().TunerFolder();
    ASSERT_TRUE(QDir().mkpath(folder + "icones"));
    ASSERT_TRUE(QDir().mkpath(folder + "drapeaux"));
    ASSERT_TRUE(CreateCatalogueTable(b->radiosDataset, TCatalogueKind::Stations));
    ASSERT_TRUE(CreateCatalogueTable(b->countryDataSet, TCatalogueKind::Countries));
    ASSERT_TRUE(CreateCatalogueTable(b->genreDataSet, TCatalogueKind::Genres));
    ASSERT_TRUE(CreateCatalogueTable(b->networkDataSet, TCatalogueKind::Networks));
    for (const char* g : {"Jazz", "Rock"}) Add(b->genreDataSet, {{"Name", g}});
    Add(b->countryDataSet, {{"Name", "France"}, {"Flag", "fr.png"}});
    Add(b->countryDataSet, {{"Name", "Suisse"}, {"Flag", "ch.png"}});
    Add(b->networkDataSet, {{"Name", "Radio France"}});
    Add(b->radiosDataset, {{"Radio", "Alpha"}, {"Url", "http://127.0.0.1:9/a"}, {"Genre", "Jazz,"}, {"Country", "Suisse"}});
  }
  void TearDown() override { DestroyForms(); }

  static void Add(TCatalogueTable& t, std::initializer_list<std::pair<const char*, const char*>> fields) {
    ASSERT_TRUE(t.Append());
    for (const auto& [f, v] : fields) ASSERT_TRUE(t.SetFieldText(f, QString::fromUtf8(v)));
    ASSERT_TRUE(t.Post());
  }
  // The station names written in the tuner's station file.
  QStringList StationsOnDisk() const {
    TCatalogueTable t("disk");
    if (!t.LoadFromFile(folder + "radios.xml")) return {"<unreadable>"};
    QStringList names;
    for (t.First(); !t.Eof() && t.RecordCount() > 0; t.Next()) {
      names << t.FieldText("Radio").Value;
      if (t.RecNo() == t.RecordCount()) break;
    }
    return names;
  }
  // Runs `inside` once the modal window's loop runs.
  static void WhenShown(std::function<void()> inside) { QTimer::singleShot(0, std::move(inside)); }

  TFormListeRadio* b = nullptr;
  QString folder;
};

TEST_F(EditingTest, AddCancelModifyAndDeleteStations) {
  TRadioEditForm* e = RadioEditForm();
  // Add, then cancel: nothing changes.
  WhenShown([e] {
    EXPECT_EQ(e->edRadio()->text(), "<Sans Nom>");
    QTest::mouseClick(e->btCancel(), Qt::LeftButton);
  });
  b->mnAddRadioClick();
  EXPECT_EQ(b->radiosDataset.RecordCount(), 1);

  // Add a station with accents, an apostrophe and two genres.
  WhenShown([e] {
    e->edRadio()->setText("L'Écho d'Été");
    e->edUrl()->setText("http://127.0.0.1:9/echo");
    e->genreComboBox()->setCurrentIndex(e->genreComboBox()->findText("Rock"));
    QTest::mouseClick(e->btAddGenre(), Qt::LeftButton);
    e->genreComboBox()->setCurrentIndex(e->genreComboBox()->findText("Jazz"));
    QTest::mouseClick(e->btAddGenre(), Qt::LeftButton);
    e->edCountry()->setCurrentIndex(e->edCountry()->findText("France"));
    QTest::mouseClick(e->btSave(), Qt::LeftButton);
  });
  b->mnAddRadioClick();
  EXPECT_EQ(b->radiosDataset.RecordCount(), 2);
  EXPECT_EQ(StationsOnDisk(), QStringList({"Alpha", "L'Écho d'Été"}));
  ASSERT_TRUE(b->radiosDataset.SetFilter("Radio = 'L''Écho d''Été'"));
  EXPECT_EQ(b->radiosDataset.FieldText("Genre").Value, "Rock,Jazz");
  EXPECT_EQ(b->radiosDataset.FieldText("Country").Value, "France");
  EXPECT_EQ(b->radiosDataset.FieldText("StreamType").Value, "N/A");

  // Modify (rename); the genre lines keep the trailing empty piece.
  ASSERT_TRUE(b->radiosDataset.SetFilter("Radio = 'Alpha'"));
  WhenShown([e] {
    EXPECT_EQ(e->EdGenre()->count(), 2);  // "Jazz," opens as "Jazz" and an empty line
    EXPECT_EQ(e->edCountry()->currentText(), "Suisse");
    EXPECT_EQ(e->edNetWork()->currentIndex(), -1);
    EXPECT_FALSE(e->btDeleteGenre()->isEnabled());
    e->edRadio()->setText("Alpha Jazz");
    QTest::mouseClick(e->btSave(), Qt::LeftButton);
  });
  b->mnUdpateRadioClick();
  ASSERT_TRUE(b->radiosDataset.SetFilter("Radio = 'Alpha Jazz'"));
  EXPECT_EQ(b->radiosDataset.FieldText("Genre").Value, "Jazz,");
  ASSERT_TRUE(b->radiosDataset.SetFilter(""));
  EXPECT_EQ(StationsOnDisk(), QStringList({"Alpha Jazz", "L'Écho d'Été"}));

  // Delete asks first; No keeps the station.
  QStringList asked;
  bool answer = false;
  b->ConfirmDelete = [&](const QString& text) {
    asked << text;
    return answer;
  };
  b->radiosDataset.First();
  b->mnDeleteRadioClick();
  EXPECT_EQ(b->radiosDataset.RecordCount(), 2);
  answer = true;
  b->mnDeleteRadioClick();
  EXPECT_EQ(asked.first(), "Voulez vraimment supprimer la radio Alpha Jazz ?");
  EXPECT_EQ(b->radiosDataset.RecordCount(), 1);
}

TEST_F(EditingTest, IconIsCopiedUnderItsNameAndUnsafeNamesAreRefused) {
  QTemporaryDir pictures;
  QFile logo(pictures.filePath("logo.png"));
  ASSERT_TRUE(logo.open(QIODevice::WriteOnly));
  logo.write("png");
  logo.close();
  TRadioEditForm* e = RadioEditForm();
  QStringList errors;
  e->ShowError = [&](const QString& text) { errors << text; };
  e->ChoosePicture = [&](const QString& title, const QString&) {
    EXPECT_EQ(title, "Choisissez un icone");
    return pictures.filePath("logo.png");
  };
  WhenShown([e] {
    QTest::mouseClick(e->findChild<QPushButton*>("IconButton"), Qt::LeftButton);
    QTest::mouseClick(e->btSave(), Qt::LeftButton);
  });
  b->mnUdpateRadioClick();
  EXPECT_EQ(b->radiosDataset.FieldText("Icon").Value, "logo.png");
  EXPECT_TRUE(QFile::exists(folder + "icones/logo.png"));

  // Names that cannot be kept in the picture folder.
  for (const char* bad : {"", ".", "..", "a/b.png", "new\nline.png"})
    EXPECT_FALSE(IsSafePictureName(QString::fromUtf8(bad))) << bad;
  EXPECT_FALSE(IsSafePictureName(QString(256, 'x')));
  EXPECT_TRUE(IsSafePictureName("Été à Paris.png"));
  QString error;
  EXPECT_FALSE(TakePicture(pictures.filePath("new\nline.png"), folder + "icones/", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(GenreLines(""), QStringList());
  EXPECT_EQ(GenreLines(",a,,b"), QStringList({"", "a", "", "b"}));
  EXPECT_EQ(JoinGenreLines({"", "a", "", "b"}), ",a,,b");
}

TEST_F(EditingTest, ListEditorsSaveAndRefreshTheLists) {
  TListEditForm* g = genreForm();
  WhenShown([g] {
    g->mnAddClick();
    g->DBGrid1()->closePersistentEditor(g->DBGrid1()->currentIndex());
    ASSERT_TRUE(g->Model()->SetText(g->Model()->rowCount() - 1, "Name", "Blues"));
    QTest::mouseClick(g->btSave(), Qt::LeftButton);
  });
  EXPECT_TRUE(g->Execute());
  TCatalogueTable disk("disk");
  ASSERT_TRUE(disk.LoadFromFile(folder + "genre.xml"));
  EXPECT_EQ(disk.RecordCount(), 3);
  EXPECT_GE(b->genreComboBox()->findText("Blues"), 0);

  // The country editor: a new country needs its flag, chosen by double click.
  QTemporaryDir pictures;
  QFile flag(pictures.filePath("be.png"));
  ASSERT_TRUE(flag.open(QIODevice::WriteOnly));
  flag.close();
  TListEditForm* c = countryForm();
  QStringList errors;
  c->ShowError = [&](const QString& text) { errors << text; };
  c->ChoosePicture = [&](const QString& title, const QString&) {
    EXPECT_EQ(title, "Choisissez un drapeau pour Belgique");
    return pictures.filePath("be.png");
  };
  WhenShown([c] {
    c->mnAddClick();
    const int row = c->Model()->rowCount() - 1;
    ASSERT_TRUE(c->Model()->SetText(row, "Name", "Belgique"));
    EXPECT_TRUE(c->Model()->HasPending());  // no flag yet
    c->DBGrid1()->setCurrentIndex(c->Model()->index(row, 0));
    c->DBGrid1DblClick();
    EXPECT_FALSE(c->Model()->HasPending());
    QTest::mouseClick(c->btSave(), Qt::LeftButton);
  });
  EXPECT_TRUE(c->Execute());
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_TRUE(QFile::exists(folder + "drapeaux/be.png"));
  ASSERT_TRUE(disk.LoadFromFile(folder + "country.xml"));
  ASSERT_TRUE(disk.SetFilter("Name = 'Belgique'"));
  EXPECT_EQ(disk.FieldText("Flag").Value, "be.png");
  EXPECT_GE(b->countryComboBox()->findText("Belgique"), 0);
}

TEST_F(EditingTest, SuggestionMailOfTheCurrentStation) {
  std::vector<TSupportMail> sent;
  InfoForm()->SendMail = [&](const TSupportMail& m) { sent.push_back(m); };
  b->radiosDataset.First();
  b->mnSuggestRadioClick();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Subject, "Proposition de radio : Alpha");
  EXPECT_EQ(sent[0].Body, "Site WEB de la radio : \n\rUrl du flux : http://127.0.0.1:9/a\n\r");
}

}  // namespace
