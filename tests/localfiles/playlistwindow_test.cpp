// The playlist window and local playback in-process, with real files made by ffmpeg and
// real clicks, keys and drops on the real widgets: adding by dialog and drop, M3U load
// and save, new list, Delete, reorder, and the main window's file side (order, wrap,
// pause, seek, pictures, CD tracks of a BIN/CUE image). The engine plays on its null
// output paced in real time, so positions move as they would on a sound card.
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QProcess>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <thread>

#include "support/program.h"
#include "app/mainform.h"
#include "audiofiles.h"
#include "localfiles/cdfolders.h"
#include "localfiles/fileplayer.h"
#include "windows/formlistefile.h"
#include "localfiles/m3ufile.h"
#include "localfiles/playlistmodel.h"
#include "localfiles/playlistview.h"
#include "playback/engine/engine.h"
#include "recording/cdimage.h"
#include "support/icecast.h"
#include "widgets/scrolltext.h"
#include "widgets/simplebtn.h"
#include "widgets/skinnedform.h"

namespace {

void Click(QWidget* w, QPoint at = {10, 10}) {
  QTest::mousePress(w, Qt::LeftButton, {}, at);
  QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

// Answers the next modal window of type T (a dialog this test's click opens) once it
// shows.
template <typename T>
void WhenModal(std::function<void(T*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      answer(w);
    }
  });
  timer->start();
}

// Types the quoted names into the dialog's file name box and presses Return.
void TypeInDialog(QFileDialog* d, const QStringList& paths) {
  QString text;
  for (const QString& p : paths) text += (text.isEmpty() ? "\"" : " \"") + p + "\"";
  auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(edit, nullptr);
  edit->setText(paths.size() == 1 ? paths.first() : text);
  QTest::keyClick(edit, Qt::Key_Return);
}

void SendDrop(QWidget* viewport, const QMimeData* mime, QPoint at) {
  QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, {});
  QApplication::sendEvent(viewport, &enter);
  QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, {});
  QApplication::sendEvent(viewport, &move);
  QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, mime, Qt::LeftButton, {});
  QApplication::sendEvent(viewport, &drop);
}

class PlaylistWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(CreateForms(zengine::OutputKind::Null));
    MainForm()->Settings.RecordDir = dir.path() + "/";
    list = FormListeFile();
    list->show();
    QApplication::setActiveWindow(list);
  }
  void TearDown() override { DestroyForms(); }

  QString Make(const QString& name, double seconds, const QString& artist = {}, const QString& title = {},
               const QString& format = {}) {
    const QString path = dir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    EXPECT_TRUE(ztest::MakeAudio(path, seconds, artist, title, format)) << name.toStdString();
    return path;
  }
  void WaitAdded() { EXPECT_TRUE(QTest::qWaitFor([this] { return !list->Adding(); }, 30000)); }
  void Add(const QStringList& paths) {
    list->AddFilesToPlaylist(paths);
    WaitAdded();
  }
  QString Cell(int row, int column) const {
    return list->Model()->data(list->Model()->index(row, column)).toString();
  }
  QPoint RowPoint(int row) const {
    return list->PlayListView()->visualRect(list->Model()->index(row, TPlaylistModel::ColTitle)).center();
  }
  int Marked() const {
    int marked = -1;
    for (int r = 0; r < list->Model()->Count(); ++r)
      if (list->Model()->data(list->Model()->index(r, 0), Qt::DecorationRole).isValid()) marked = r;
    return marked;
  }
  zengine::Handle Channel() const { return MainForm()->Player()->CurrentChannel; }
  double Seconds() const { return zengine::ChannelBytes2Seconds(Channel(), zengine::ChannelGetPosition(Channel())); }
  const TMainFace& Face() const { return MainForm()->Face(); }

  QTemporaryDir dir;
  TFormListeFile* list = nullptr;
};

TEST_F(PlaylistWindowTest, AddDialogWithItsFilterAddsTheChosenFilesWithTheirInformation) {
  const QString a = Make("Artist - Song.mp3", 1);
  const QString b = Make("Song.wav", 1);
  const QString c = Make("tagged.ogg", 1, "Groupe", "Chanson");
  WhenModal<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Ajouter des fichiers à la liste de lecture");
    EXPECT_EQ(d->nameFilters(), QStringList({"Fichiers audio supportés (*.mp3 *.mp4 *.aac *.ogg *.wav *.wma *.cda)",
                                             "Fichiers AAC (*.aac)", "Fichiers CDA (Piste CD Audio) (*.cda)",
                                             "Fichiers MP3 (*.mp3)", "Fichiers MP4 (*.mp4)", "Fichiers OGG (*.ogg)",
                                             "Fichiers WAV (*.wav)", "Fichiers WMA (*.wma)"}));
    EXPECT_EQ(d->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(QDir(d->directory()).absolutePath(), QDir(dir.path()).absolutePath());
    TypeInDialog(d, {a, b, c});
  });
  Click(list->AddFileBtn());
  WaitAdded();
  ASSERT_EQ(list->Model()->Count(), 3);
  const QStringList expected[] = {{"Artist ", " Song", "00:01", "MP3", "32", "8000", "Mono"},
                                  {"", "Song", "00:01", "PCM", "128", "8000", "Mono"},
                                  {"Groupe", "Chanson", "00:01", "OGG", "", "8000", "Mono"}};
  for (int r = 0; r < 3; ++r) {
    SCOPED_TRACE(r);
    for (int c = 1; c < TPlaylistModel::ColumnCount; ++c) {
      if (r == 2 && c == TPlaylistModel::ColBitRate) continue;  // the Ogg reader's estimate
      EXPECT_EQ(Cell(r, c), expected[r][c - 1]) << c;
    }
  }
  EXPECT_EQ(list->Model()->Paths(), QStringList({a, b, c}));
  EXPECT_EQ(list->NbTracks()->text(), "00003");

  // A dialog left with Cancel adds nothing.
  WhenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
  Click(list->AddFileBtn());
  EXPECT_EQ(list->Model()->Count(), 3);
}

TEST_F(PlaylistWindowTest, DroppedFilesComeInDropOrderWhateverTheirNamesAndLength) {
  const QString accented = Make("Éléphant - Ça été.wav", 0.5);
  QString deep = "deep";
  while (deep.size() < 260) deep += "/dossier-assez-long-pour-un-chemin";
  const QString longPath = Make(deep + "/long.wav", 0.5);
  ASSERT_GT(longPath.size(), 300);
  const QString plain = Make("b.wav", 0.5);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(accented), QUrl::fromLocalFile(dir.path() + "/deep"),
                QUrl::fromLocalFile(dir.filePath("missing.wav")), QUrl::fromLocalFile(longPath),
                QUrl::fromLocalFile(plain)});
  SendDrop(list->PlayListView()->viewport(), &mime, {100, 50});
  // Reading runs in the background, under the busy cursor.
  EXPECT_TRUE(list->Adding());
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
  EXPECT_TRUE(list->Statut()->text().startsWith("Ajout ... ")) << list->Statut()->text().toStdString();
  WaitAdded();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(list->Model()->Paths(), QStringList({accented, longPath, plain}));
  EXPECT_EQ(Cell(0, 1), "Éléphant ");
  EXPECT_EQ(Cell(0, 2), " Ça été");
  EXPECT_EQ(Cell(1, 2), "long");
  EXPECT_EQ(list->NbTracks()->text(), "00003");
  EXPECT_EQ(list->Statut()->text(), "Ajouter vos fichiers");
}

TEST_F(PlaylistWindowTest, OpeningAnM3UReplacesTheRowsWithItsEntries) {
  const QString a = Make("sub/Été.mp3", 0.5);
  const QString b = Make("b.wav", 0.5);
  Add({b});
  QFile m3u(dir.filePath("liste.m3u"));
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write("#EXTM3U\r\n#EXTINF:123,A - B\r\nsub/\xC3\x89t\xC3\xA9.mp3\r\n#EXTINF:1,x\r\nmissing.mp3\r\n" +
            b.toUtf8() + "\r\nhttp://127.0.0.1:9/flux\r\n");
  m3u.close();
  WhenModal<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Ouvrir une liste de lecture ...");
    EXPECT_EQ(d->nameFilters(), QStringList({"Liste de lecture (*.m3u)"}));
    TypeInDialog(d, {m3u.fileName()});
  });
  Click(list->OpenPlaylistBtn());
  WaitAdded();
  EXPECT_EQ(list->Model()->Paths(), QStringList({a, b, "http://127.0.0.1:9/flux"}));
  EXPECT_EQ(Cell(2, TPlaylistModel::ColTitle), "http://127.0.0.1:9/flux");
  EXPECT_EQ(list->PlayListName()->text(), "liste.m3u");
  EXPECT_EQ(list->NbTracks()->text(), "00003");
}

TEST_F(PlaylistWindowTest, AListTooLargeToReadIsRefusedAndTheRowsStay) {
  const QString b = Make("b.wav", 0.5);
  Add({b});
  QFile huge(dir.filePath("huge.m3u"));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
  ASSERT_TRUE(huge.resize(kMaxM3USize + 1));  // sparse: nothing is written
  huge.close();
  WhenModal<QFileDialog>([&](QFileDialog* d) {
    TypeInDialog(d, {huge.fileName()});
    WhenModal<QMessageBox>([&](QMessageBox* box) {
      EXPECT_EQ(box->text(), "La liste de lecture " + huge.fileName() + " est trop grande pour être lue.");
      box->accept();
    });
  });
  Click(list->OpenPlaylistBtn());
  EXPECT_EQ(list->Model()->Paths(), QStringList({b}));
  EXPECT_EQ(list->PlayListName()->text(), "Sans Nom");
}

TEST_F(PlaylistWindowTest, SavingWritesThePathsAndAsksBeforeReplacing) {
  const QString a = Make("Artist - Song.mp3", 0.5);
  const QString b = Make("Été.wav", 0.5);
  Add({a, b});
  const QString target = dir.filePath("mes titres");  // the dialog adds ".m3u"
  WhenModal<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Sauvegarder une liste de lecture ...");
    TypeInDialog(d, {target});
  });
  Click(list->SavePlaylistBtn());
  QFile saved(target + ".m3u");
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  const QByteArray two = a.toUtf8() + "\r\n" + b.toUtf8() + "\r\n";
  EXPECT_EQ(saved.readAll(), two);
  saved.close();
  EXPECT_EQ(list->PlayListName()->text(), "mes titres.m3u");

  // Onto the same file again: No writes nothing and keeps the name; Yes replaces.
  Add({a});
  list->PlayListName()->setText("autre");
  for (const auto button : {QMessageBox::No, QMessageBox::Yes}) {
    WhenModal<QFileDialog>([&](QFileDialog* d) {
      TypeInDialog(d, {target + ".m3u"});
      WhenModal<QMessageBox>([&, button](QMessageBox* box) {
        EXPECT_EQ(box->text(), "Le fichier " + target + ".m3u existe déjà voulez-vous le remplacer ?");
        Click(box->button(button));
      });
    });
    Click(list->SavePlaylistBtn());
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), button == QMessageBox::No ? two : two + a.toUtf8() + "\r\n");
    saved.close();
    EXPECT_EQ(list->PlayListName()->text(), button == QMessageBox::No ? "autre" : "mes titres.m3u");
  }
}

TEST_F(PlaylistWindowTest, NewListEmptiesNameAndCountAndPlayThenDoesNothing) {
  Add({Make("a.wav", 3), Make("b.wav", 3)});
  Click(list->RunPlayListBtn());
  ASSERT_NE(Channel(), 0u);
  Click(Face().StopBtn);
  EXPECT_EQ(Channel(), 0u);
  Click(list->ClearPlaylistBtn());
  EXPECT_EQ(list->PlayListName()->text(), "Sans Nom");
  EXPECT_EQ(list->NbTracks()->text(), "00000");
  EXPECT_EQ(list->Model()->PlayingIndex(), -1);
  Click(Face().PlayBtn);
  EXPECT_EQ(Channel(), 0u);
  Click(Face().NextBtn);  // Next in file mode on an empty list only stops
  EXPECT_EQ(Channel(), 0u);
}

TEST_F(PlaylistWindowTest, DeleteAndReorderKeepThePlayingMarkOnItsRow) {
  Add({Make("0.wav", 5), Make("1.wav", 5), Make("2.wav", 5), Make("3.wav", 5)});
  QWidget* viewport = list->PlayListView()->viewport();
  // A double click as the window system delivers it: a click, then the double click.
  QTest::mouseClick(viewport, Qt::LeftButton, {}, RowPoint(2));
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, RowPoint(2));
  ASSERT_NE(Channel(), 0u);
  EXPECT_EQ(list->Model()->PlayingIndex(), 2);
  EXPECT_EQ(Marked(), 2);

  QTest::mouseClick(viewport, Qt::LeftButton, {}, RowPoint(0));
  QTest::keyClick(list->PlayListView(), Qt::Key_Delete);
  EXPECT_EQ(list->NbTracks()->text(), "00003");
  EXPECT_EQ(list->Model()->PlayingIndex(), 1);
  EXPECT_EQ(Marked(), 1);
  EXPECT_TRUE(list->Model()->Row(1).FileName.endsWith("/2.wav"));

  // Drag the playing row below the last row, then the first row onto the playing one.
  std::unique_ptr<QMimeData> drag(list->Model()->mimeData({list->Model()->index(1, 1)}));
  SendDrop(viewport, drag.get(), {100, viewport->height() - 5});
  EXPECT_EQ(list->Model()->Paths().last(), dir.filePath("2.wav"));
  EXPECT_EQ(list->Model()->PlayingIndex(), 2);
  drag.reset(list->Model()->mimeData({list->Model()->index(0, 1)}));
  SendDrop(viewport, drag.get(), RowPoint(2));
  EXPECT_EQ(list->Model()->Paths(), QStringList({dir.filePath("3.wav"), dir.filePath("1.wav"), dir.filePath("2.wav")}));
  EXPECT_EQ(list->Model()->PlayingIndex(), 2);
  EXPECT_EQ(Marked(), 2);

  // Deleting the playing row: the sound goes on, no row is marked; Next plays the row
  // that took its place (none: the first, by wrap).
  QTest::mouseClick(viewport, Qt::LeftButton, {}, RowPoint(2));
  QTest::keyClick(list->PlayListView(), Qt::Key_Delete);
  EXPECT_EQ(list->Model()->PlayingIndex(), -1);
  EXPECT_EQ(Marked(), -1);
  EXPECT_NE(Channel(), 0u);
  EXPECT_EQ(Face().PlayBtn->Glyphs()->G0_Up(), 3);
  Click(Face().NextBtn);
  EXPECT_EQ(list->Model()->PlayingIndex(), 0);
}

TEST_F(PlaylistWindowTest, RowsPlayInOrderThenStopAndTheDisplayResets) {
  Add({Make("Artist - Song.mp3", 1.2), Make("b.wav", 1.2), Make("c.wav", 1.2)});
  QList<int> played;
  QObject::connect(MainForm()->FilePlayer(), &TFilePlayer::RowShown, list, [&](int row) { played << row; });
  QStringList balloons;
  MainForm()->Settings.TrayInformation = true;
  QObject::connect(MainForm()->FilePlayer(), &TFilePlayer::Balloon, list,
                   [&](const QString& title, const QString& text) { balloons << title + " | " + text; });
  Click(list->RunPlayListBtn());
  EXPECT_EQ(balloons, QStringList({"Liste de lecture : Sans Nom | Artist  -  Song"}));
  // What the main window shows of the first row.
  EXPECT_EQ(Face().EdTitle->ScrollMessage(), "Artist  -  Song ( 00:01 )");
  EXPECT_EQ(Face().RadioName->text(), "Liste de lecture : Sans Nom (1/3)");
  EXPECT_EQ(Face().TypeFlux->text(), "MP3");
  EXPECT_EQ(Face().Debit->text(), "32 Kbps");
  EXPECT_EQ(Face().Frequence->text(), "8000 Hz");
  EXPECT_EQ(Face().Canaux->text(), "Mono");
  EXPECT_EQ(MainForm()->Statut()->text(), "Lecture en cours.");
  EXPECT_EQ(Face().PlayBtn->Glyphs()->G0_Up(), 3);
  EXPECT_EQ(Face().StopBtn->Glyphs()->G0_Up(), 0);
  EXPECT_EQ(Face().PrevBtn->toolTip(), "Morceau précédent.");
  EXPECT_EQ(Face().NextBtn->toolTip(), "Morceau suivant.");
  EXPECT_EQ(Face().ImgRadio->pixmap().toImage(), LoadSkinPicture("AudioFile.png").toImage());
  EXPECT_EQ(MainForm()->Player()->PlayMode, "File");
  EXPECT_TRUE(MainForm()->FilePlayer()->FileTimerActive());
  ASSERT_TRUE(QTest::qWaitFor([this] { return Channel() == 0; }, 15000));
  EXPECT_EQ(played, QList<int>({0, 1, 2}));
  EXPECT_FALSE(MainForm()->FilePlayer()->FileTimerActive());
  EXPECT_EQ(Face().PlayBtn->Glyphs()->G0_Up(), 1);
  EXPECT_EQ(Face().StopBtn->Glyphs()->G0_Up(), 3);
  EXPECT_EQ(Face().labelTimeEllapsed->text(), "00:00:00");
  EXPECT_EQ(list->Model()->PlayingIndex(), 2);
  // Play after the end starts the last played row again.
  Click(Face().PlayBtn);
  EXPECT_NE(Channel(), 0u);
  EXPECT_EQ(list->Model()->PlayingIndex(), 2);
  // The emptied list leaves no old name or count on the face.
  Click(list->ClearPlaylistBtn());
  EXPECT_EQ(Face().RadioName->text(), "");
}

TEST_F(PlaylistWindowTest, NextAndPreviousWrapAndPauseResumesWhereItStopped) {
  Add({Make("a.wav", 10), Make("b.wav", 10), Make("c.wav", 10)});
  Click(list->RunPlayListBtn());
  Click(Face().PrevBtn);
  EXPECT_EQ(list->Model()->PlayingIndex(), 2);
  Click(Face().NextBtn);
  EXPECT_EQ(list->Model()->PlayingIndex(), 0);
  Click(Face().NextBtn);
  EXPECT_EQ(list->Model()->PlayingIndex(), 1);
  EXPECT_EQ(Face().RadioName->text(), "Liste de lecture : Sans Nom (2/3)");

  QTest::qWait(700);
  Click(Face().PlayBtn);  // pause
  EXPECT_EQ(Face().PlayBtn->Glyphs()->G0_Up(), 1);
  EXPECT_EQ(Face().PlayBtn->Glyphs()->G1_MSMove(), -1);
  EXPECT_EQ(MainForm()->Statut()->text(), "Lecture en pause.");
  const double paused = Seconds();
  EXPECT_GT(paused, 0.3);
  QTest::qWait(1300);  // a timer tick passes: the position and the status stand still
  EXPECT_NEAR(Seconds(), paused, 0.05);
  EXPECT_EQ(MainForm()->Statut()->text(), "Lecture en pause.");
  Click(Face().PlayBtn);  // resume
  EXPECT_EQ(Face().PlayBtn->Glyphs()->G0_Up(), 3);
  EXPECT_EQ(MainForm()->Statut()->text(), "Lecture en cours.");
  QTest::qWait(500);
  EXPECT_GT(Seconds(), paused + 0.2);
  EXPECT_LT(Seconds(), paused + 2.0);
  EXPECT_EQ(list->Model()->PlayingIndex(), 1);
}

TEST_F(PlaylistWindowTest, PressingTheProgressBarSeeksAndUpperCaseCdaIsAFile) {
  Add({Make("quatre minutes.wav", 240), Make("Track01.CDA", 1, {}, {}, "wav")});
  Click(list->RunPlayListBtn());
  QProgressBar* bar = Face().ProgressBar;
  ASSERT_EQ(bar->width(), 448);
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(222, 1));
  EXPECT_EQ(Face().labelTimeEllapsed->text(), "00:02:00");
  EXPECT_EQ(bar->value(), 50);
  EXPECT_NEAR(Seconds(), 120.0, 0.5);
  // Dragging with the button held follows the pointer.
  QMouseEvent move(QEvent::MouseMove, QPointF(333, 1), bar->mapToGlobal(QPointF(333, 1)), Qt::NoButton,
                   Qt::LeftButton, {});
  QApplication::sendEvent(bar, &move);
  EXPECT_EQ(bar->value(), 75);
  EXPECT_NEAR(Seconds(), 180.0, 0.5);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(333, 1));

  Click(Face().NextBtn);
  EXPECT_NE(Channel(), 0u);  // the general opener took it
  EXPECT_EQ(Cell(1, TPlaylistModel::ColType), "PCM");
  EXPECT_EQ(Face().ImgRadio->pixmap().toImage(), LoadSkinPicture("AudioFile.png").toImage());
}

TEST_F(PlaylistWindowTest, CdTracksOfADiscImageAreOfferedListedAndPlayedInOrder) {
  ztest::CdImage image(dir.path().toStdString(), {44100, 44100});
  const QString cue = QString::fromStdString(image.Cue());
  list->CdDriveList = {cue};
  const QString folder = CdFolderOf(MainForm()->DataFolder, cue);
  WhenModal<QFileDialog>([&](QFileDialog* d) {
    QStringList places;
    for (const QUrl& u : d->sidebarUrls()) places << QDir::cleanPath(u.toLocalFile());
    EXPECT_TRUE(places.contains(QDir::cleanPath(folder))) << places.join(", ").toStdString();
    TypeInDialog(d, {folder + "Track01.cda", folder + "Track02.cda"});
  });
  Click(list->AddFileBtn());
  WaitAdded();
  ASSERT_EQ(list->Model()->Count(), 2);
  for (int r = 0; r < 2; ++r) {
    EXPECT_EQ(Cell(r, TPlaylistModel::ColType), "CDA");
    EXPECT_EQ(Cell(r, TPlaylistModel::ColDuration), "00:01");
    EXPECT_EQ(Cell(r, TPlaylistModel::ColSampleRate), "44100");
    EXPECT_EQ(Cell(r, TPlaylistModel::ColTitle), QString("Track0%1").arg(r + 1));
  }
  QList<int> played;
  QObject::connect(MainForm()->FilePlayer(), &TFilePlayer::RowShown, list, [&](int row) { played << row; });
  Click(list->RunPlayListBtn());
  ASSERT_NE(Channel(), 0u);
  EXPECT_EQ(Face().TypeFlux->text(), "CDA");
  EXPECT_EQ(Face().ImgRadio->pixmap().toImage(), LoadSkinPicture("AudioCD.png").toImage());
  ASSERT_TRUE(QTest::qWaitFor([this] { return Channel() == 0; }, 15000));
  EXPECT_EQ(played, QList<int>({0, 1}));
}

TEST_F(PlaylistWindowTest, AFileTheEngineCannotOpenIsListedAndSaysWhy) {
  QFile bad(dir.filePath("Groupe - pas du son.mp3"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write(QByteArray(4000, 'x'));
  bad.close();
  Add({bad.fileName()});
  ASSERT_EQ(list->Model()->Count(), 1);
  EXPECT_EQ(Cell(0, TPlaylistModel::ColArtist), "Groupe ");
  Click(list->RunPlayListBtn());
  EXPECT_EQ(Channel(), 0u);
  EXPECT_FALSE(MainForm()->Statut()->text().isEmpty());
  EXPECT_EQ(Face().PlayBtn->Glyphs()->G0_Up(), 1);
  EXPECT_EQ(list->Model()->PlayingIndex(), 0);
  EXPECT_EQ(Face().EdTitle->ScrollMessage(), "Groupe  -  pas du son (  )");
}

TEST_F(PlaylistWindowTest, RecordingsHandedFromAnotherThreadArriveInOrder) {
  const QString a = Make("rec1.wav", 0.5), b = Make("rec2.wav", 0.5);
  std::thread recorder([&] {
    list->AddFileToPlaylist(a);
    list->AddFileToPlaylist(b);
  });
  recorder.join();
  EXPECT_TRUE(QTest::qWaitFor([this] { return list->Model()->Count() == 2; }, 20000));
  EXPECT_EQ(list->Model()->Paths(), QStringList({a, b}));
}

TEST_F(PlaylistWindowTest, AStreamAddressOfAnM3UPlaysThroughTheEngine) {
  ztest::Icecast icecast;
  std::string error;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Live", "Jazz"}, &error)) << error;
  const QString url = QString::fromStdString(icecast.Url("/live"));
  QFile m3u(dir.filePath("radio.m3u"));
  ASSERT_TRUE(m3u.open(QIODevice::WriteOnly));
  m3u.write("#EXTM3U\n#EXTINF:-1,Zova Live\n" + url.toUtf8() + "\n");
  m3u.close();
  WhenModal<QFileDialog>([&](QFileDialog* d) { TypeInDialog(d, {m3u.fileName()}); });
  Click(list->OpenPlaylistBtn());
  WaitAdded();
  ASSERT_EQ(list->Model()->Paths(), QStringList({url}));
  EXPECT_EQ(Cell(0, TPlaylistModel::ColType), "URL");
  Click(list->RunPlayListBtn());
  ASSERT_TRUE(QTest::qWaitFor([this] { return Channel() != 0; }, 10000)) << MainForm()->Statut()->text().toStdString();
  EXPECT_EQ(MainForm()->Statut()->text(), "Lecture en cours.");
  EXPECT_EQ(Face().PlayBtn->Glyphs()->G0_Up(), 3);
  EXPECT_TRUE(QTest::qWaitFor([this] { return Seconds() > 0.2; }, 10000));
  // The bar shows no position for a live stream, and a press on it moves nothing.
  QTest::mousePress(Face().ProgressBar, Qt::LeftButton, {}, QPoint(222, 1));
  EXPECT_NE(Channel(), 0u);
}

TEST_F(PlaylistWindowTest, ANewListWhileFilesAreStillReadGetsNoneOfThem) {
  QStringList many;
  for (int i = 0; i < 40; ++i) many << Make(QString("f%1.wav").arg(i), 0.2);
  list->AddFilesToPlaylist(many);
  Click(list->ClearPlaylistBtn());
  EXPECT_FALSE(list->Adding());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  const QString after = Make("after.wav", 0.2);
  Add({after});
  QTest::qWait(300);
  EXPECT_EQ(list->Model()->Paths(), QStringList({after}));
  EXPECT_EQ(list->NbTracks()->text(), "00001");
}

TEST_F(PlaylistWindowTest, AStreamThatDoesNotAnswerNeitherFreezesTheWindowNorReplacesTheNextRow) {
  // A server that accepts the connection and never answers.
  QProcess silent;
  silent.start("/usr/bin/python3", {"-c",
                                    "import socket,time\n"
                                    "s=socket.socket(); s.bind(('127.0.0.1',0)); s.listen()\n"
                                    "print(s.getsockname()[1], flush=True); time.sleep(60)"});
  ASSERT_TRUE(silent.waitForReadyRead(10000));
  const QString url = "http://127.0.0.1:" + QString::fromLatin1(silent.readLine().trimmed()) + "/flux";
  const QString file = Make("b.wav", 20);
  Add({url, file});
  QElapsedTimer clock;
  clock.start();
  Click(list->RunPlayListBtn());
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_EQ(MainForm()->Statut()->text(), "Connexion en cours ...");
  EXPECT_EQ(Channel(), 0u);
  Click(Face().NextBtn);
  ASSERT_NE(Channel(), 0u);
  const zengine::Handle fileChannel = Channel();
  QStringList errors;
  QObject::connect(MainForm()->FilePlayer(), &TFilePlayer::StatusChanged, list,
                   [&](const QString& text, bool error) { if (error) errors << text; });
  QTest::qWait(6500);  // past the engine's 5 s time-out: the stream's failure is dropped
  EXPECT_EQ(Channel(), fileChannel);
  EXPECT_TRUE(errors.isEmpty()) << errors.join(", ").toStdString();
  EXPECT_EQ(list->Model()->PlayingIndex(), 1);
  silent.kill();
  silent.waitForFinished();
}

TEST_F(PlaylistWindowTest, OpensBelowTheMainWindowOrAboveWhenThereIsNoRoom) {
  list->hide();
  MainForm()->move(10, 20);
  list->show();
  EXPECT_EQ(list->pos(), QPoint(MainForm()->frameGeometry().left(), MainForm()->frameGeometry().bottom() + 1));
  list->hide();
  const int desktop = MainForm()->screen()->virtualGeometry().height();
  MainForm()->move(10, desktop - 300);
  list->show();
  EXPECT_EQ(list->frameGeometry().bottom() + 1, MainForm()->frameGeometry().top());
}

TEST_F(PlaylistWindowTest, OpeningAStationTakesThePlayingMarkOffTheList) {
  Add({Make("a.wav", 5)});
  Click(list->RunPlayListBtn());
  EXPECT_EQ(Marked(), 0);
  Q_EMIT MainForm()->Player()->StationShown("Zova", "Jazz", "France", "");
  EXPECT_EQ(Marked(), -1);
  EXPECT_EQ(list->Model()->PlayingIndex(), 0);  // the row is remembered for Play in file mode
}

}  // namespace
