// Opening by address in-process: the dialog (clipboard pre-fill, the buttons following
// the field, Enter that plays), the main window's menu item and Ctrl+L, a station played
// from its address, "Ajouter au tuner local" opening the station editor on a new local
// row filled with what is known, and the items of a drop sorted between the station
// player and the playlist window.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "../catalogue/servers.h"
#include "app/mainform.h"
#include "catalogue/catalogueschema.h"
#include "localfiles/playlistmodel.h"
#include "support/program.h"
#include "windows/formlistefile.h"
#include "windows/formlisteradio.h"
#include "windows/openaddressform.h"
#include "windows/radioeditform.h"

namespace {

TEST(OpenAddressForm, PreFilledFromTheClipboardAndEnterPlays) {
  TOpenAddressForm dialog("  https://radio.example.org/live.pls\n");
  EXPECT_EQ(dialog.windowTitle(), "Ouvrir une adresse");
  EXPECT_EQ(dialog.edAddress()->text(), "https://radio.example.org/live.pls");
  EXPECT_TRUE(dialog.btPlay()->isEnabled());
  EXPECT_TRUE(dialog.btAddLocal()->isEnabled());
  EXPECT_EQ(dialog.btAddLocal()->text(), "Ajouter au tuner local");

  // Typing something that is no address: nothing can be opened, and the field says why.
  dialog.edAddress()->clear();
  EXPECT_FALSE(dialog.btPlay()->isEnabled());
  EXPECT_EQ(dialog.lbHint()->text(), "");
  QTest::keyClicks(dialog.edAddress(), "bonjour");
  EXPECT_FALSE(dialog.btPlay()->isEnabled());
  EXPECT_FALSE(dialog.btAddLocal()->isEnabled());
  EXPECT_EQ(dialog.lbHint()->text(), "Adresse non reconnue.");

  QList<TStationRecord> played, added;
  QObject::connect(&dialog, &TOpenAddressForm::PlayRequested, [&](const TStationRecord& s) { played << s; });
  QObject::connect(&dialog, &TOpenAddressForm::AddRequested, [&](const TStationRecord& s) { added << s; });
  // Enter on a text that is no address does nothing.
  dialog.show();
  QTest::keyClick(dialog.edAddress(), Qt::Key_Return);
  EXPECT_TRUE(played.isEmpty());

  dialog.edAddress()->clear();
  QTest::keyClicks(dialog.edAddress(), "icy://127.0.0.1:8000/jazz");
  EXPECT_EQ(dialog.lbHint()->text(), "");
  QTest::keyClick(dialog.edAddress(), Qt::Key_Return);
  ASSERT_EQ(played.size(), 1);
  EXPECT_EQ(played[0].Url, "http://127.0.0.1:8000/jazz");
  EXPECT_EQ(played[0].Radio, "http://127.0.0.1:8000/jazz");
  EXPECT_TRUE(added.isEmpty());
  EXPECT_FALSE(dialog.isVisible());
}

TEST(OpenAddressForm, ClipboardWithoutAnAddressLeavesTheFieldEmpty) {
  for (const char* clipboard : {"", "Un texte copié", "file:///etc/passwd", "http://a b/"}) {
    TOpenAddressForm dialog(QString::fromUtf8(clipboard));
    EXPECT_EQ(dialog.edAddress()->text(), "") << clipboard;
    EXPECT_FALSE(dialog.btPlay()->isEnabled()) << clipboard;
  }
  TOpenAddressForm dialog("http://a.example/x");
  QList<TStationRecord> added;
  QObject::connect(&dialog, &TOpenAddressForm::AddRequested, [&](const TStationRecord& s) { added << s; });
  QTest::mouseClick(dialog.btAddLocal(), Qt::LeftButton);
  ASSERT_EQ(added.size(), 1);
  EXPECT_EQ(added[0].Url, "http://a.example/x");
}

class OpeningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CreateForms(zengine::OutputKind::NullFast));
    m = MainForm();
    m->SetMenusModal(false);
    b = FormListeRadio();
    b->Loader().Tuner.Mode = "local";
    ASSERT_TRUE(QDir().mkpath(b->Loader().TunerFolder() + "icones"));
    ASSERT_TRUE(CreateCatalogueTable(b->radiosDataset, TCatalogueKind::Stations));
    ASSERT_TRUE(CreateCatalogueTable(b->countryDataSet, TCatalogueKind::Countries));
    ASSERT_TRUE(CreateCatalogueTable(b->genreDataSet, TCatalogueKind::Genres));
    ASSERT_TRUE(CreateCatalogueTable(b->networkDataSet, TCatalogueKind::Networks));
    refused = QStringLiteral("http://127.0.0.1:%1/flux").arg(CatalogueTest::FreePort());
  }
  void TearDown() override { DestroyForms(); }

  template <typename F>
  static bool WaitFor(F done, int ms = 20000) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) QTest::qWait(50);
    return done();
  }

  TMainForm* m = nullptr;
  TFormListeRadio* b = nullptr;
  QString refused;
};

TEST_F(OpeningTest, MenuAndCtrlLOpenTheDialogFromTheClipboard) {
  int shown = 0;
  QString field;
  m->ClipboardText = [] { return QStringLiteral("http://radio.example.org/live"); };
  m->RunOpenAddress = [&](TOpenAddressForm* dialog) {
    ++shown;
    field = dialog->edAddress()->text();
    dialog->reject();
  };
  QAction* item = m->PopupRadioMenu()->actions().value(1);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->text(), "Ouvrir une adresse ...");
  item->trigger();
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(field, "http://radio.example.org/live");

  m->show();
  m->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m));
  QTest::keyClick(m->windowHandle(), Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(m->toolTip().contains("Ctrl+L : ouvrir une adresse"));
}

TEST_F(OpeningTest, EnterPlaysTheAddressThroughTheStationPlayer) {
  m->ClipboardText = [this] { return refused; };
  m->RunOpenAddress = [](TOpenAddressForm* dialog) {
    dialog->show();
    QTest::keyClick(dialog->edAddress(), Qt::Key_Return);
  };
  m->OpenAddressClick();
  TStationPlayer* p = m->Player();
  EXPECT_TRUE(p->AddressStation());
  EXPECT_EQ(p->CurrentRadio.Url, refused);
  EXPECT_EQ(m->Face().RadioName->text(), refused) << "named after its address until the stream names itself";
  // Nothing answers there: the error, in red, as for a tuner station.
  ASSERT_TRUE(WaitFor([&] { return !p->Connecting(); }));
  EXPECT_TRUE(m->Statut()->text().startsWith("Erreur! ")) << m->Statut()->text().toStdString();
}

TEST_F(OpeningTest, AddToTheLocalTunerOpensTheEditorOnWhatIsKnown) {
  TRadioEditForm* e = RadioEditForm();
  QString name, url;
  bool editorShown = false;
  m->ClipboardText = [this] { return refused; };
  m->RunOpenAddress = [](TOpenAddressForm* dialog) { QTest::mouseClick(dialog->btAddLocal(), Qt::LeftButton); };
  // The editor comes once the connection has ended (here it fails: only the address is
  // known), on a new row of the local tuner; saving it keeps the station.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!e->isVisible() || editorShown) return;
    editorShown = true;
    name = e->edRadio()->text();
    url = e->edUrl()->text();
    e->edRadio()->setText("Ma radio");
    QTest::mouseClick(e->btSave(), Qt::LeftButton);
  });
  poll.start(50);
  m->OpenAddressClick();
  ASSERT_TRUE(WaitFor([&] { return editorShown && !e->isVisible(); }, 30000));
  EXPECT_EQ(name, refused);
  EXPECT_EQ(url, refused);
  // Every row, whatever filter an earlier test left in the settings.
  ASSERT_TRUE(b->radiosDataset.SetFilter(""));
  ASSERT_EQ(b->radiosDataset.RecordCount(), 1);
  b->radiosDataset.First();
  EXPECT_EQ(b->radiosDataset.FieldText("Radio").Value, "Ma radio");
  EXPECT_EQ(b->radiosDataset.FieldText("Url").Value, refused);
  EXPECT_EQ(b->radiosDataset.FieldText("StreamType").Value, "N/A");
}

TEST_F(OpeningTest, AnnouncedFieldsFillTheNewRow) {
  // What a stream announced, as the station player hands it over.
  TStationRecord announced;
  announced.Radio = "Zova Jazz";
  announced.Url = "http://127.0.0.1:8000/jazz";
  announced.Genre = "Jazz,Blues";
  announced.Web = "http://zova.example/";
  announced.StreamType = "MP3";
  announced.BitRate = "128";
  announced.SampleRate = "44100";
  announced.Channels = "Stereo";
  TRadioEditForm* e = RadioEditForm();
  QStringList seen;
  QTimer::singleShot(0, [&] {
    seen << e->edRadio()->text() << e->edUrl()->text() << e->edWeb()->text() << QString::number(e->EdGenre()->count());
    QTest::mouseClick(e->btSave(), Qt::LeftButton);
  });
  ASSERT_TRUE(b->AddStationRecord(announced));
  ASSERT_TRUE(b->radiosDataset.SetFilter(""));
  EXPECT_EQ(seen, QStringList({"Zova Jazz", "http://127.0.0.1:8000/jazz", "http://zova.example/", "2"}));
  b->radiosDataset.First();
  const struct {
    const char* field;
    const char* value;
  } fields[] = {{"Radio", "Zova Jazz"}, {"Genre", "Jazz,Blues"}, {"Web", "http://zova.example/"}, {"StreamType", "MP3"},
                {"BitRate", "128"},     {"SampleRate", "44100"}, {"Channels", "Stereo"},       {"Country", ""}};
  for (const auto& f : fields) EXPECT_EQ(b->radiosDataset.FieldText(f.field).Value, f.value) << f.field;

  // Cancelled: no row is left.
  QTimer::singleShot(0, [&] { QTest::mouseClick(e->btCancel(), Qt::LeftButton); });
  ASSERT_TRUE(b->AddStationRecord(announced));
  ASSERT_TRUE(b->radiosDataset.SetFilter(""));
  EXPECT_EQ(b->radiosDataset.RecordCount(), 1);
}

TEST_F(OpeningTest, DropsPlayAddressesAndListAudioFiles) {
  QTemporaryDir dir;
  const QString song = dir.path() + "/Une chanson.wav";
  const QString notes = dir.path() + "/notes.txt";
  for (const QString& path : {song, notes}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
  }
  const auto drop = [this](QMimeData* mime) {
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m, &enter);
    const bool accepted = enter.isAccepted();
    QDropEvent dropped(QPointF(100, 100), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m, &dropped);
    QTest::qWait(100);
    delete mime;
    return accepted;
  };

  // An address dragged from a web browser's address bar (text), then a station link.
  auto* text = new QMimeData;
  text->setText(refused);
  EXPECT_TRUE(drop(text));
  EXPECT_TRUE(m->Player()->AddressStation());
  EXPECT_EQ(m->Player()->CurrentRadio.Url, refused);

  // Files from a file manager: the audio file goes to the playlist window, the other is
  // named in red.
  auto* files = new QMimeData;
  files->setUrls({QUrl::fromLocalFile(song), QUrl::fromLocalFile(notes)});
  EXPECT_TRUE(drop(files));
  EXPECT_TRUE(FormListeFile()->isVisible());
  ASSERT_TRUE(WaitFor([&] { return !FormListeFile()->Adding() && FormListeFile()->Model()->rowCount() == 1; }));
  EXPECT_EQ(m->Statut()->text(), "Format non reconnu : notes.txt");

  // Nothing usable: the drop is refused before it happens.
  auto* empty = new QMimeData;
  empty->setData("application/octet-stream", "x");
  EXPECT_FALSE(drop(empty));
}

TEST_F(OpeningTest, FromTheRemoteTunerTheStationGoesToTheLocalOne) {
  b->Loader().Tuner.Mode = "remote";
  TStationRecord station;
  station.Radio = "Zova Jazz";
  station.Url = "http://127.0.0.1:8000/jazz";
  TRadioEditForm* e = RadioEditForm();
  // The tuner's load runs its own events first: the editor is saved once it shows.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (e->isVisible()) QTest::mouseClick(e->btSave(), Qt::LeftButton);
  });
  poll.start(50);
  ASSERT_TRUE(b->AddStationRecord(station));
  poll.stop();
  EXPECT_EQ(b->Loader().Tuner.Mode, "local");
  EXPECT_EQ(b->TunerComboBox()->currentIndex(), 1);
  ASSERT_TRUE(b->radiosDataset.SetFilter(""));
  EXPECT_GE(b->radiosDataset.FindRow("Radio", "Zova Jazz", Qt::CaseSensitive), 0);
  // Written to the local tuner's station file at once.
  TCatalogueTable disk("disk");
  ASSERT_TRUE(disk.LoadFromFile(b->Loader().TunerFolder() + "radios.xml"));
  EXPECT_GE(disk.FindRow("Radio", "Zova Jazz", Qt::CaseSensitive), 0);
}

}  // namespace
