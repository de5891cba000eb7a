// Opening streams from outside the tuners, in the real program: an address copied from
// another program, pasted by the "Ouvrir une adresse ..." dialog (Ctrl+L) and played with
// its stream's name, title and recording; a ".pls" dragged from a file manager onto the
// main window; and the command line, of a first start and of a second start handed over
// to the running program. Each start's own station is one that does not answer, so any
// sound the sink plays comes from what was opened.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QThread>

#include "programharness.h"
#include "support/icecast.h"

namespace {

void Shoot(const ProgramHarness& h, const QString& name) {
  const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS");
  if (!shots.isEmpty()) h.Run("import", {"-window", "root", QString::fromUtf8(shots) + "/" + name + ".png"});
}

class OpenProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(h.Start(&error)) << error;
    ASSERT_TRUE(icecast.Start(&error)) << error;
    ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, 440, 128, "Zova Adresse", "Jazz"}, &error,
                                  "", "", "http://zova.example/"))
        << error;
    ASSERT_TRUE(icecast.SetTitle("/live", "Artiste - Par adresse", &error)) << error;
    url = QString::fromStdString(icecast.Url("/live"));
    // The start's own station: nothing answers there.
    ASSERT_TRUE(h.WriteLocalStation("Zova Muette", QString("http://127.0.0.1:%1/rien").arg(ztest::Icecast::FreePort())));
    records = h.home.Path() + "/records";
    QDir().mkpath(records);
    QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
    settings.setValue("Volume", 100);
    settings.setValue("Top", 0);
    settings.setValue("Left", 0);
    settings.setValue("RecordDir", records);
    settings.setValue("RecordEncoder", "MP3");
    settings.setValue("CutByTitle", 0);
    h.faceOrigin = {0, 0};
  }

  // Whether the sink plays the station within `timeoutMs`.
  bool Heard(int timeoutMs = 30000) { return h.WaitFor([&] { return h.SinkLevel() > 0.01; }, timeoutMs); }

  ProgramHarness h;
  ztest::Icecast icecast;
  QString url, records;
};

TEST_F(OpenProgram, AnAddressFromTheClipboardPlaysWithItsStreamsNameAndRecords) {
  // Another program holds the address on the clipboard.
  QProcess* copier = h.Launch(QStringLiteral(ZOVALIS_DRAGSOURCE), {"--clipboard", "  " + url + "\n"});
  ASSERT_TRUE(copier->waitForReadyRead(10000)) << "the clipboard holder did not start";

  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << program->readAllStandardError().toStdString();
  QThread::msleep(1500);
  EXPECT_LT(h.SinkLevel(), 0.001) << "the start's station does not answer: nothing plays yet";

  h.ClickFace(300, 10);  // the window takes the keyboard
  h.Run("xdotool", {"key", "--delay", "150", "ctrl+l"});
  ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled("Ouvrir une adresse"); }, 10000)) << "Ctrl+L showed no dialog";
  QThread::msleep(500);
  Shoot(h, "address-dialog");
  // A blank typed inside: no address, Enter does nothing and the dialog says why.
  h.Run("xdotool", {"key", "--delay", "100", "End", "space", "x", "Return"});
  QThread::msleep(800);
  Shoot(h, "address-dialog-refused");
  EXPECT_TRUE(h.WindowTitled("Ouvrir une adresse")) << "Enter on no address closed the dialog";
  EXPECT_LT(h.SinkLevel(), 0.001);
  // Back to the pasted address.
  h.Run("xdotool", {"key", "--delay", "100", "BackSpace", "BackSpace", "Return"});
  EXPECT_TRUE(h.WaitFor([&] { return !h.WindowTitled("Ouvrir une adresse"); }, 10000));

  ASSERT_TRUE(Heard()) << "the address did not play";
  // The stream's title, as for a tuner station.
  EXPECT_TRUE(h.WaitFor([&] { return h.WindowTitled("Artiste - Par adresse - Zovalis"); }, 20000));
  QThread::msleep(1000);
  Shoot(h, "address-playing");

  // Recorded under the name the stream gives itself.
  h.ClickFace(112, 207);
  QThread::msleep(3000);
  h.ClickFace(112, 207);
  const QString folder = records + "/Zova Adresse/";
  EXPECT_TRUE(h.WaitFor([&] { return !QDir(folder).entryList(QDir::Files).isEmpty(); }, 10000))
      << QDir(records).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(", ").toStdString();

  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0);
  // The station of the next start is still the tuner's.
  EXPECT_EQ(QSettings(h.home.ConfigFile(), QSettings::IniFormat).value("LastRadio").toString(), "Zova Muette");
  copier->kill();
}

TEST_F(OpenProgram, APlsDroppedOnTheMainWindowPlays) {
  const QString pls = h.home.Path() + "/Ma radio.pls";
  QFile f(pls);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QString("[playlist]\nNumberOfEntries=2\nFile1=http://127.0.0.1:%1/morte\nFile2=%2\n")
              .arg(ztest::Icecast::FreePort())
              .arg(url)
              .toUtf8());
  f.close();

  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << program->readAllStandardError().toStdString();
  QThread::msleep(1500);

  QProcess* source = h.Launch(QStringLiteral(ZOVALIS_DRAGSOURCE), {"600", "600", pls});
  ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled("dragsource"); }, 10000));
  QThread::msleep(300);
  h.Run("xdotool", {"mousemove", "640", "640", "mousedown", "1"});
  for (const char* at : {"630 630", "500 400", "300 200", "240 120"}) {
    const QStringList xy = QString(at).split(' ');
    QThread::msleep(150);
    h.Run("xdotool", {"mousemove", xy[0], xy[1]});
  }
  QThread::msleep(300);
  h.Run("xdotool", {"mouseup", "1"});
  EXPECT_TRUE(source->waitForFinished(15000)) << "the drag did not end";

  EXPECT_TRUE(Heard()) << "the dropped playlist did not play: " << program->readAllStandardError().toStdString();
  EXPECT_TRUE(h.WaitFor([&] { return h.WindowTitled("Artiste - Par adresse - Zovalis"); }, 20000));
  h.ClickFace(453, 9);
  EXPECT_TRUE(program->waitForFinished(20000));
}

TEST_F(OpenProgram, TheCommandLinePlaysAtStartAndInTheRunningProgram) {
  // A first start with an address plays it instead of its last station.
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE), {url});
  ASSERT_TRUE(h.WaitForFace()) << program->readAllStandardError().toStdString();
  ASSERT_TRUE(Heard()) << "the command line's address did not play";

  h.ClickFace(300, 10);
  h.Run("xdotool", {"key", "--delay", "150", "s"});
  ASSERT_TRUE(h.WaitFor([&] { return h.SinkLevel() < 0.001; }, 10000)) << "S did not stop";

  // A second start hands its address over and ends; the running program plays it.
  int code = -1;
  h.Run(QStringLiteral(ZOVALIS_EXE), {"icy://127.0.0.1:" + QString::number(icecast.Port()) + "/live"}, &code, 30000);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(Heard()) << "the second start's address did not play in the running program";
  EXPECT_EQ(program->state(), QProcess::Running);

  // An audio file goes to the playlist window.
  const QString wav = h.home.Path() + "/Un morceau.wav";
  QProcess ff;
  ff.start("ffmpeg", {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=660:duration=2", wav});
  ASSERT_TRUE(ff.waitForFinished(60000));
  h.Run(QStringLiteral(ZOVALIS_EXE), {wav}, &code, 30000);
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(h.WaitFor([&] { return h.WindowTitled("Playlist"); }, 10000)) << "the playlist window did not show";
  Shoot(h, "command-line-file");

  h.ClickFace(453, 9);
  EXPECT_TRUE(program->waitForFinished(20000));
}

TEST_F(OpenProgram, AddedToTheLocalTunerWithWhatTheStreamAnnounced) {
  QProcess* copier = h.Launch(QStringLiteral(ZOVALIS_DRAGSOURCE), {"--clipboard", url});
  ASSERT_TRUE(copier->waitForReadyRead(10000)) << "the clipboard holder did not start";
  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace()) << program->readAllStandardError().toStdString();
  QThread::msleep(1500);

  h.ClickFace(300, 10);
  h.Run("xdotool", {"key", "--delay", "150", "ctrl+l"});
  ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled("Ouvrir une adresse"); }, 10000)) << "Ctrl+L showed no dialog";
  QThread::msleep(500);
  // From the field, Tab reaches "Ajouter au tuner local".
  h.Run("xdotool", {"key", "--delay", "150", "Tab", "space"});

  // The station plays, and once it has said what it is, the editor shows it.
  const QString editor = "Edition d";  // "Edition d'une radio": xdotool's pattern takes no quote
  ASSERT_TRUE(h.WaitFor([&] { return h.WindowTitled(editor); }, 30000))
      << "no station editor: " << program->readAllStandardError().toStdString();
  EXPECT_TRUE(Heard()) << "the station does not play meanwhile";
  QThread::msleep(500);
  Shoot(h, "address-add-editor");
  const QString id = h.Run("xdotool", {"search", "--onlyvisible", "--name", editor}).section('\n', 0, 0);
  const auto m = QRegularExpression(R"(Position: (-?\d+),(-?\d+))").match(h.Run("xdotool", {"getwindowgeometry", id}));
  ASSERT_TRUE(m.hasMatch());
  h.Run("xdotool", {"mousemove", QString::number(m.captured(1).toInt() + 210 + 44),
                    QString::number(m.captured(2).toInt() + 253 + 12), "click", "1"});  // "&Sauvegarder"
  ASSERT_TRUE(h.WaitFor([&] { return !h.WindowTitled(editor); }, 10000)) << "the editor stayed";

  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  copier->kill();

  TCatalogueTable radios("radios");
  ASSERT_TRUE(radios.LoadFromFile(h.home.DataFolder() + "tuner/local/radios.xml"));
  const int row = radios.FindRow("Radio", "Zova Adresse", Qt::CaseSensitive);
  ASSERT_GE(row, 0) << "the station is not in the local tuner's file";
  const struct {
    const char* field;
    QString value;
  } fields[] = {{"Url", url},          {"Genre", "Jazz"},          {"Web", "http://zova.example/"},
                {"StreamType", "MP3"}, {"SampleRate", "44100"},    {"Channels", "Stereo"}};
  for (const auto& f : fields) EXPECT_EQ(radios.RowText(row, f.field), f.value) << f.field;
  EXPECT_GE(radios.FindRow("Radio", "Zova Muette", Qt::CaseSensitive), 0) << "the tuner's station was lost";
}

}  // namespace
