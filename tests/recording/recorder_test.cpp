// The recorder through the main window's record button, on a real Icecast MP3 mount with
// the real encoder programs: the six formats (codec, duration, tags, the finished-file
// list, labels and status line), the cut by title, numbering against existing files, and
// the refusals (5.1, missing encoder, station folder that cannot be made).
#include <gtest/gtest.h>

#include "support/qtprint.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include "support/program.h"
#include "app/mainface.h"
#include "app/mainform.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "windows/formlisteradio.h"
#include "windows/infoform.h"
#include "mediaprobe.h"
#include "support/icecast.h"
#include "widgets/simplebtn.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 15000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

QColor TextColour(const QLabel* l) {
  return l->palette().color(QPalette::WindowText);
}

class RecorderWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(icecast.Start(&error)) << error;
    ASSERT_TRUE(icecast.AddSource({"/mp3", ztest::Icecast::Codec::Mp3, 440, 128, "Zova MP3", "Jazz"}, &error))
        << error;
    ASSERT_TRUE(icecast.SetTitle("/mp3", "Artiste Un - Chanson Une", &error)) << error;
    ASSERT_TRUE(CreateForms(zengine::OutputKind::Null));
    // The encoder programs of the program folder (the tests run from another folder).
    zengine::EncodeSetProgramFolder(ZOVALIS_PROGRAM_DIR);
    main = MainForm();
    main->RecordPage.edRecordDir = dir.path();
    // Message boxes are answered as a user would, and kept.
    boxCloser.setInterval(20);
    QObject::connect(&boxCloser, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        boxes << box->text();
        box->done(QMessageBox::Ok);
      }
    });
    boxCloser.start();
    TCatalogueTable& t = FormListeRadio()->radiosDataset;
    ASSERT_TRUE(CreateCatalogueTable(t, TCatalogueKind::Stations));
    t.Append();
    t.SetFieldText("Radio", station);
    t.SetFieldText("Url", QString::fromStdString(icecast.Url("/mp3")));
    ASSERT_TRUE(t.Post());
    t.First();
  }
  void TearDown() override {
    boxCloser.stop();
    if (MainForm()) {
      MainForm()->Player()->StopAll();
      DestroyForms();
    }
    icecast.Stop();
  }

  // Plays the station and waits for the record button and the title.
  void Play(const QString& title = QStringLiteral("Artiste Un - Chanson Une")) {
    main->Player()->LoadCurrentStation(CurrentStationRecord(FormListeRadio()->radiosDataset));
    main->Player()->OpenStation();
    ASSERT_TRUE(WaitFor([&] { return !main->Face().RecordBtn->isHidden(); })) << "the station did not connect";
    ASSERT_TRUE(WaitFor([&] { return main->Player()->CurrentRadio.Title == title; }))
        << qPrintable(main->Player()->CurrentRadio.Title);
  }

  void Record() { QTest::mouseClick(main->Face().RecordBtn, Qt::LeftButton); }
  int RecordFace() const { return main->Face().RecordBtn->Glyphs()->G0_Up(); }
  QString StationFolder() const { return dir.path() + "/" + station; }

  QTemporaryDir dir;
  ztest::Icecast icecast;
  TMainForm* main = nullptr;
  QString station = QStringLiteral("Zova Jazz");
  QTimer boxCloser;
  QStringList boxes;
};

// ---- The six formats.

struct FormatCase {
  const char* format;
  const char* codec;
  bool tags;
};

class RecorderFormats : public RecorderWindow, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(RecorderFormats, TenSecondsThroughTheRecordButton) {
  const FormatCase& c = GetParam();
  main->RecordPage.cbEncoder = c.format;
  main->RecordPage.cbCutByTitleClick(true);
  Play();

  // What the sound output played while recording: the wall clock's time, unless the
  // output ran short of sound (a slow, checked build on a loaded machine stutters), when
  // the recording holds the sound heard, gaps left out.
  const zengine::Handle channel = main->Player()->CurrentChannel;
  const auto heard = [channel] { return zengine::ChannelBytes2Seconds(channel, zengine::ChannelGetPosition(channel)); };
  const int64_t underruns = zengine::ChannelGetUnderruns(channel);
  Record();
  QElapsedTimer clock;
  clock.start();
  const double heardAtStart = heard();
  ASSERT_EQ(RecordFace(), 3);
  EXPECT_EQ(main->Face().RecordBtn->toolTip(), QString::fromUtf8("Arrêter l'enregistrement."));
  EXPECT_EQ(main->Statut()->text(), "Lecture/Enregistrement en cours.");
  EXPECT_FALSE(main->Face().LabelRecordType->isHidden());
  EXPECT_FALSE(main->Face().labelRecordEllapsed->isHidden());
  EXPECT_EQ(main->Face().LabelRecordType->text(), c.format);
  EXPECT_EQ(TextColour(main->Face().LabelRecordType), QColor(255, 0, 0));
  EXPECT_EQ(TextColour(main->Face().labelRecordEllapsed), QColor(255, 0, 0));
  EXPECT_EQ(main->Settings.RecordEncoder, c.format);
  Pump(10000);
  EXPECT_TRUE(main->Face().labelRecordEllapsed->text() == "00:00:09" ||
              main->Face().labelRecordEllapsed->text() == "00:00:10")
      << qPrintable(main->Face().labelRecordEllapsed->text());
  const double heardSeconds = heard() - heardAtStart;
  const bool stuttered = zengine::ChannelGetUnderruns(channel) != underruns;
  Record();
  const double seconds = clock.elapsed() / 1000.0;
  EXPECT_EQ(RecordFace(), 0);
  EXPECT_EQ(main->Face().RecordBtn->toolTip(), QString::fromUtf8("Démarrer l'enregistrement."));
  EXPECT_EQ(main->Statut()->text(), QString::fromUtf8("Enregistrement Stoppé."));
  EXPECT_TRUE(main->Face().LabelRecordType->isHidden());
  EXPECT_TRUE(main->Face().labelRecordEllapsed->isHidden());
  EXPECT_TRUE(boxes.isEmpty()) << qPrintable(boxes.join('|'));

  const QString file = StationFolder() + "/Artiste Un - Chanson Une." + QString(c.format).toLower();
  ASSERT_EQ(main->RecordedFiles(), QStringList{file});
  const ztest::MediaInfo info = ztest::Probe(file.toStdString());
  ASSERT_TRUE(info.ok) << info.raw;
  EXPECT_EQ(info.codec, c.codec) << info.raw;
  EXPECT_NEAR(info.duration, heardSeconds, 0.5) << info.raw;
  if (!stuttered) {
    EXPECT_NEAR(info.duration, seconds, 0.5) << info.raw;
  }
  EXPECT_EQ(info.sampleRate, 44100);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.tags.count("tlen"), 0u) << "no bogus length tag: " << info.raw;
  if (c.tags) {
    EXPECT_EQ(info.tags.count("artist") ? info.tags.at("artist") : "", "Artiste Un") << info.raw;
    EXPECT_EQ(info.tags.count("title") ? info.tags.at("title") : "", "Chanson Une") << info.raw;
  }
}

INSTANTIATE_TEST_SUITE_P(Six, RecorderFormats,
                         ::testing::Values(FormatCase{"AAC", "aac", false}, FormatCase{"AC3", "ac3", false},
                                           FormatCase{"MP3", "mp3", true}, FormatCase{"OGG", "vorbis", true},
                                           FormatCase{"WAV", "pcm_s16le", false}, FormatCase{"WMA", "wmav2", true}),
                         [](const auto& info) { return std::string(info.param.format); });

// ---- "Enregistrer ce titre": the song playing, from its first sample.

// Pressed four seconds into a song, in each format: the file holds those seconds too,
// ends with the song (the recording stops by itself at the next title) and is the only
// one made.
class RecordTitleFormats : public RecorderWindow, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(RecordTitleFormats, TheSongPlayingFromItsStartToItsEnd) {
  const FormatCase& c = GetParam();
  main->RecordPage.cbEncoder = c.format;
  main->RecordPage.cbCutByTitleClick(true);
  Play();
  std::string error;
  ASSERT_TRUE(icecast.SetTitle("/mp3", "Artiste Deux - Chanson Deux", &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return main->Player()->CurrentRadio.Title == "Artiste Deux - Chanson Deux"; }, 20000));
  QElapsedTimer song;
  song.start();
  Pump(4000);
  const double before = song.elapsed() / 1000.0;
  main->RecordTitleClick();
  ASSERT_EQ(RecordFace(), 3);
  EXPECT_TRUE(main->Recorder()->RecordingTitle());
  Pump(2000);
  ASSERT_TRUE(icecast.SetTitle("/mp3", "Artiste Trois - Chanson Trois", &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return RecordFace() == 0; }, 20000)) << "the recording did not stop with the song";
  const double heard = song.elapsed() / 1000.0;
  EXPECT_EQ(main->Statut()->text(), QString::fromUtf8("Titre enregistré."));
  Pump(1500);
  EXPECT_FALSE(main->Recorder()->Recording());
  EXPECT_TRUE(boxes.isEmpty()) << qPrintable(boxes.join('|'));
  const QString file = StationFolder() + "/Artiste Deux - Chanson Deux." + QString(c.format).toLower();
  ASSERT_EQ(main->RecordedFiles(), QStringList{file});
  EXPECT_EQ(QDir(StationFolder()).entryList(QDir::Files), QStringList{QFileInfo(file).fileName()});
  const ztest::MediaInfo info = ztest::Probe(file.toStdString());
  ASSERT_TRUE(info.ok) << info.raw;
  EXPECT_EQ(info.codec, c.codec) << info.raw;
  EXPECT_GT(info.duration, before + 1.0) << "pressed " << before << " s in; " << info.raw;
  EXPECT_LT(info.duration, heard + 0.5) << "the song lasted " << heard << " s; " << info.raw;
}

INSTANTIATE_TEST_SUITE_P(Six, RecordTitleFormats,
                         ::testing::Values(FormatCase{"AAC", "aac", false}, FormatCase{"AC3", "ac3", false},
                                           FormatCase{"MP3", "mp3", true}, FormatCase{"OGG", "vorbis", true},
                                           FormatCase{"WAV", "pcm_s16le", false}, FormatCase{"WMA", "wmav2", true}),
                         [](const auto& info) { return std::string(info.param.format); });

// A song longer than the hold (shortened here to 2 s) is saved from the oldest sound
// kept, and the file's comment says its start is missing: in the formats whose comment
// is not written by an encoder program's own option.
class RecordTitleBound : public RecorderWindow, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(RecordTitleBound, ALongerSongSaysItsStartIsMissing) {
  const FormatCase& c = GetParam();
  qputenv("ZOVALIS_HOLD_SECONDS", "2");
  main->RecordPage.cbEncoder = c.format;
  main->RecordPage.cbCutByTitleClick(true);
  Play();
  qunsetenv("ZOVALIS_HOLD_SECONDS");
  std::string error;
  ASSERT_TRUE(icecast.SetTitle("/mp3", "Artiste Deux - Chanson Deux", &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return main->Player()->CurrentRadio.Title == "Artiste Deux - Chanson Deux"; }, 20000));
  Pump(5000);
  main->RecordTitleClick();
  QElapsedTimer after;
  after.start();
  ASSERT_EQ(RecordFace(), 3);
  Pump(2000);
  Record();  // stopped by the user
  const double recorded = after.elapsed() / 1000.0;
  const QString file = StationFolder() + "/Artiste Deux - Chanson Deux." + QString(c.format).toLower();
  ASSERT_EQ(main->RecordedFiles(), QStringList{file});
  const ztest::MediaInfo info = ztest::Probe(file.toStdString());
  ASSERT_TRUE(info.ok) << info.raw;
  EXPECT_NEAR(info.duration, 2.0 + recorded, 0.75) << info.raw;
  const std::string comment = info.tags.count("comment") ? info.tags.at("comment") : "";
  EXPECT_EQ(comment, "Début du titre manquant : enregistré à partir des 2 dernières secondes gardées") << info.raw;
}

INSTANTIATE_TEST_SUITE_P(Formats, RecordTitleBound,
                         ::testing::Values(FormatCase{"AAC", "aac", false}, FormatCase{"WMA", "wmav2", true}),
                         [](const auto& info) { return std::string(info.param.format); });

// The record button's lower half opens its menu (and records nothing); the information
// window's button records the title; with cutting off, the recording keeps everything
// heard since the title began and goes on past the next title until stopped.
TEST_F(RecorderWindow, WithoutCutTheTitleRecordingGoesOnPastTheSong) {
  main->RecordPage.cbEncoder = "WAV";
  main->RecordPage.cbCutByTitleClick(false);
  main->SetMenusModal(false);
  Play();
  QTest::mouseClick(main->Face().RecordBtn, Qt::LeftButton, {}, QPoint(12, main->Face().RecordBtn->height() - 4));
  ASSERT_EQ(main->LastPoppedMenu(), main->PopupRecordMenu());
  EXPECT_EQ(main->PopupRecordMenu()->actions().value(0)->text(), "Enregistrer ce titre");
  main->PopupRecordMenu()->hide();
  EXPECT_EQ(RecordFace(), 0);
  EXPECT_FALSE(main->Recorder()->Recording());

  std::string error;
  ASSERT_TRUE(icecast.SetTitle("/mp3", "Artiste Deux - Chanson Deux", &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return main->Player()->CurrentRadio.Title == "Artiste Deux - Chanson Deux"; }, 20000));
  QElapsedTimer song;
  song.start();
  Pump(3000);
  EnsureInfoForm()->btRecordTitle()->click();
  ASSERT_EQ(RecordFace(), 3);
  ASSERT_TRUE(icecast.SetTitle("/mp3", "Artiste Trois - Chanson Trois", &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return main->Player()->CurrentRadio.Title == "Artiste Trois - Chanson Trois"; }, 20000));
  Pump(3000);
  EXPECT_EQ(RecordFace(), 3) << "the recording stopped at the title without cutting";
  Record();
  const double heard = song.elapsed() / 1000.0;
  const QString file = StationFolder() + "/Artiste Deux - Chanson Deux.wav";
  ASSERT_EQ(main->RecordedFiles(), QStringList{file});
  const ztest::MediaInfo info = ztest::Probe(file.toStdString());
  ASSERT_TRUE(info.ok) << info.raw;
  // From the title's start to the stop.
  EXPECT_NEAR(info.duration, heard, 1.0) << info.raw;
}

// ---- Cut by title, numbering, names.

TEST_F(RecorderWindow, ATitleChangeCutsTheMp3RecordingIntoTwoNamedFiles) {
  main->RecordPage.cbEncoder = "MP3";
  main->RecordPage.cbCutByTitleClick(true);
  // A file of the first title exists already: the recording is numbered.
  QDir().mkpath(StationFolder());
  QFile(StationFolder() + "/Artiste Un - Chanson Une.mp3").open(QIODevice::WriteOnly);
  Play();
  Record();
  ASSERT_EQ(RecordFace(), 3);
  Pump(3000);
  std::string error;
  ASSERT_TRUE(icecast.SetTitle("/mp3", "AC/DC - T.N.T.", &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return main->RecordedFiles().size() == 1; }, 20000));
  EXPECT_EQ(main->Face().labelRecordEllapsed->text(), "00:00:00");  // starts again
  Pump(3000);
  Record();
  const QStringList expected = {StationFolder() + "/Artiste Un - Chanson Une(1).mp3",
                                StationFolder() + "/AC DC - T.N.T..mp3"};
  ASSERT_EQ(main->RecordedFiles(), expected);
  const ztest::MediaInfo first = ztest::Probe(expected[0].toStdString());
  const ztest::MediaInfo second = ztest::Probe(expected[1].toStdString());
  EXPECT_GT(first.duration, 2.5) << first.raw;
  EXPECT_GT(second.duration, 2.5) << second.raw;
  EXPECT_EQ(second.tags.count("artist") ? second.tags.at("artist") : "", "AC/DC") << second.raw;
  EXPECT_EQ(second.tags.count("title") ? second.tags.at("title") : "", "T.N.T.") << second.raw;
}

TEST_F(RecorderWindow, WithoutCutTheFileIsNamedByTheStampsAndATitleDoesNotCut) {
  main->RecordPage.cbEncoder = "OGG";
  main->RecordPage.cbCutByTitleClick(false);
  Play();
  Record();
  ASSERT_EQ(RecordFace(), 3);
  const QString date = main->Player()->MetaDateStamp, time = main->Player()->MetaTimeStamp;
  std::string error;
  ASSERT_TRUE(icecast.SetTitle("/mp3", "Autre - Titre", &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return main->Player()->CurrentRadio.Title == "Autre - Titre"; }, 20000));
  Pump(500);
  Record();
  ASSERT_EQ(main->RecordedFiles().size(), 1);
  EXPECT_EQ(main->RecordedFiles()[0], StationFolder() + "/Enregistrement_" + QString(date).remove('/') + "_" +
                                          QString(time).remove(':') + ".ogg");
}

TEST_F(RecorderWindow, WmaIsNotCutByATitle) {
  main->RecordPage.cbEncoder = "WMA";
  main->RecordPage.cbCutByTitleClick(true);
  Play();
  Record();
  ASSERT_EQ(RecordFace(), 3);
  std::string error;
  ASSERT_TRUE(icecast.SetTitle("/mp3", "Autre - Titre", &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return main->Player()->CurrentRadio.Title == "Autre - Titre"; }, 20000));
  Pump(500);
  EXPECT_TRUE(main->RecordedFiles().isEmpty());
  Record();
  EXPECT_EQ(main->RecordedFiles(), QStringList{StationFolder() + "/Artiste Un - Chanson Une.wma"});
}

// ---- Refusals.

TEST_F(RecorderWindow, Surround51IsRefusedWithTheMessage) {
  main->RecordPage.cbEncoder = "MP3";
  Play();
  main->Player()->CurrentRadio.Channels = "5.1";
  Record();
  EXPECT_EQ(RecordFace(), 0);
  EXPECT_EQ(boxes, QStringList{QString::fromUtf8("Encodage 5.1 non supporté en MP3 !")});
  EXPECT_EQ(main->Statut()->text(), QString::fromUtf8("Enregistrement Stoppé."));
  EXPECT_EQ(TextColour(main->Statut()), QColor(255, 0, 0));
  EXPECT_TRUE(main->Face().LabelRecordType->isHidden());
  EXPECT_TRUE(main->RecordedFiles().isEmpty());
  EXPECT_TRUE(QDir(StationFolder()).entryList(QDir::Files).isEmpty());

  // WAV takes 5.1; "7.1" goes to the encoder.
  boxes.clear();
  main->RecordPage.cbEncoder = "WAV";
  Record();
  EXPECT_EQ(RecordFace(), 3);
  Record();
  main->RecordPage.cbEncoder = "MP3";
  main->Player()->CurrentRadio.Channels = "7.1";
  Record();
  EXPECT_EQ(RecordFace(), 3);
  Record();
  EXPECT_TRUE(boxes.isEmpty()) << qPrintable(boxes.join('|'));
  EXPECT_EQ(main->RecordedFiles().size(), 2);
}

TEST_F(RecorderWindow, WmaWithoutACodecForTheRateSaysSoThenRefuses) {
  main->RecordPage.cbEncoder = "WMA";
  Play();
  main->Player()->CurrentRadio.SampleRate = "96000";  // no WMA codec takes it
  Record();
  EXPECT_EQ(RecordFace(), 0);
  EXPECT_EQ(boxes, QStringList({"Impossible de trouver le codec WMA",
                                QString::fromUtf8("Encodage Stereo non supporté en WMA !")}));
  EXPECT_TRUE(main->RecordedFiles().isEmpty());
}

TEST_F(RecorderWindow, AMissingEncoderProgramIsRefused) {
  // A program folder without encoder programs.
  QTemporaryDir empty;
  const std::string saved = zengine::EncodeGetProgramFolder();
  zengine::EncodeSetProgramFolder(empty.path().toStdString());
  main->RecordPage.cbEncoder = "OGG";
  Play();
  Record();
  zengine::EncodeSetProgramFolder(saved);
  EXPECT_EQ(RecordFace(), 0);
  EXPECT_EQ(boxes, QStringList{QString::fromUtf8("Encodage Stereo non supporté en OGG !")});
  EXPECT_TRUE(main->RecordedFiles().isEmpty());
}

TEST_F(RecorderWindow, AStationFolderThatCannotBeMadeStopsTheStart) {
  main->RecordPage.cbEncoder = "WAV";
  main->RecordPage.edRecordDir = dir.path() + "/missing";  // the recording folder must exist
  Play();
  Record();
  EXPECT_EQ(RecordFace(), 0);
  EXPECT_EQ(boxes, QStringList{"I/O error 2"});  // ENOENT
  EXPECT_FALSE(QFileInfo::exists(dir.path() + "/missing"));
  EXPECT_TRUE(main->RecordedFiles().isEmpty());
}

TEST_F(RecorderWindow, StoppingPlaybackFinishesTheRecording) {
  main->RecordPage.cbEncoder = "WAV";
  Play();
  Record();
  Pump(1000);
  main->Player()->StopAll();
  EXPECT_EQ(RecordFace(), 0);
  EXPECT_TRUE(main->Face().RecordBtn->isHidden());
  ASSERT_EQ(main->RecordedFiles().size(), 1);
  EXPECT_NEAR(ztest::Probe(main->RecordedFiles()[0].toStdString()).duration, 1.0, 0.5);
}

TEST_F(RecorderWindow, ARecordingSurvivesAReconnection) {
  main->RecordPage.cbEncoder = "MP3";
  main->Player()->SetReconnectDelays(300, 600);
  Play();
  Record();
  ASSERT_EQ(RecordFace(), 3);
  Pump(3000);
  // The source goes away (the server drops the listener) and comes back.
  icecast.StopSources();
  QElapsedTimer outage;
  outage.start();
  std::string error;
  ASSERT_TRUE(WaitFor([&] { return main->Statut()->text().startsWith("Reconnexion"); }, 20000))
      << qPrintable(main->Statut()->text());
  ASSERT_TRUE(icecast.AddSource({"/mp3", ztest::Icecast::Codec::Mp3, 440, 128, "Zova MP3", "Jazz"}, &error)) << error;
  ASSERT_TRUE(WaitFor([&] { return main->Statut()->text() == "Lecture/Enregistrement en cours." ||
                                   main->Statut()->text() == "Lecture en cours."; }, 20000))
      << qPrintable(main->Statut()->text());
  Pump(3000);
  EXPECT_EQ(RecordFace(), 3);
  Record();
  // One file, decoded whole to its end.
  ASSERT_EQ(main->RecordedFiles().size(), 1);
  const QString file = main->RecordedFiles()[0];
  std::string out;
  EXPECT_EQ(ztest::Icecast::RunProgram({"ffmpeg", "-v", "error", "-xerror", "-i", file.toStdString(), "-f", "null", "-"},
                                       &out, 30000),
            0)
      << out;
  const ztest::MediaInfo info = ztest::Probe(file.toStdString());
  // Before the drop, and after the reconnection.
  EXPECT_GT(info.duration, 5.0) << info.raw;
}

}  // namespace
