// Recording in the real program, as a user does it: a station plays from a local Icecast
// server, the record button of the face is clicked, the title changes on the server (cut
// by title is on), the button is clicked again. For each of the six formats the station's
// folder then holds one file per title (WMA, written outside the engine's encoders, is
// not cut: one file named after the first title), each read by ffprobe with the format's codec, a
// true duration and its tags, and each decoding to the station's tone. The sink is
// listened to meanwhile: recording never silences what plays.
//
// The finished files are listed in the playlist window (saved from there as a list).
//
// The recording folder's menu item opens the folder through the desktop (a stand-in
// `xdg-open` first in PATH writes down what it was asked to open).
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <cmath>
#include <vector>

#include "programharness.h"
#include "tonepower.h"
#include "support/qtprint.h"
#include "support/icecast.h"
#include "recording/mediaprobe.h"

namespace {

constexpr int kTone = 440;  // Hz of the station's sound

// Share of the sound's energy at `frequency` (Goertzel over 0.1 s blocks) and its RMS
// level, from the file decoded by ffmpeg to 8 kHz mono; the first half second (encoder
// start-up) is left out.
struct ToneInfo {
  double share = 0;
  double rms = 0;
};

ToneInfo Tone(const QString& path, double frequency) {
  QProcess ffmpeg;
  ffmpeg.start("ffmpeg", {"-v", "error", "-i", path, "-ss", "0.5", "-ac", "1", "-ar", "8000", "-f", "s16le", "-"});
  ffmpeg.waitForFinished(30000);
  const QByteArray pcm = ffmpeg.readAllStandardOutput();
  const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
  const int count = static_cast<int>(pcm.size() / 2);
  constexpr int kBlock = 800;
  double atTone = 0, total = 0;
  for (int start = 0; start + kBlock <= count; start += kBlock) {
    const auto at = [&](size_t i) { return static_cast<double>(s[start + i]); };
    for (int i = 0; i < kBlock; ++i) total += at(i) * at(i);
    atTone += TonePower(at, kBlock, frequency, 8000.0);
  }
  ToneInfo info;
  if (total > 0) info.share = atTone / total;
  if (count > 0) info.rms = std::sqrt(total / count);
  return info;
}

// A local tuner holding the one station, played at start, and the recorder's settings.
void PrepareStation(ProgramHarness& h, const std::string& url, const QString& recordDir, const QString& format) {
  ASSERT_TRUE(h.WriteLocalStation("Zova Live", QString::fromStdString(url)));
  QDir().mkpath(recordDir);
  QSettings settings(h.home.ConfigFile(), QSettings::IniFormat);
  settings.setValue("RecordDir", recordDir);
  settings.setValue("RecordEncoder", format);
  settings.setValue("CutByTitle", 1);
  // The main window at the top left, the playlist window below it at (0, 241).
  settings.setValue("Top", 0);
  settings.setValue("Left", 0);
  h.faceOrigin = {0, 0};
}

void Shoot(const ProgramHarness& h, const QString& name) {
  const QByteArray shots = qgetenv("ZOVALIS_TEST_SHOTS");
  if (!shots.isEmpty()) h.Run("import", {"-window", "root", QString::fromUtf8(shots) + "/" + name + ".png"});
}

struct FormatCase {
  const char* format;
  const char* codec;
  bool tags;
  bool cuts;  // the WMA writer is outside the engine's encoders: one file whatever the titles
};

class RecordProgram : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RecordProgram, TheRecordButtonGivesOneTaggedFilePerTitleWithTheStationsSound) {
  const FormatCase& c = GetParam();
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  ztest::Icecast icecast;
  ASSERT_TRUE(icecast.Start(&error)) << error;
  ASSERT_TRUE(icecast.AddSource({"/live", ztest::Icecast::Codec::Mp3, kTone, 128, "Zova Live", "Jazz"}, &error))
      << error;
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Un - Premier", &error)) << error;
  const QString recordDir = h.home.Path() + "/records";
  PrepareStation(h, icecast.Url("/live"), recordDir, c.format);

  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  // The last station plays at start; its title shows in the window's title.
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Un - Premier"); }, 40000))
      << program->readAllStandardError().toStdString();
  QThread::msleep(1000);  // the record button shows once the station plays

  h.ClickFace(112, 207);  // record
  QThread::msleep(1500);
  // What plays is still heard while it is recorded.
  EXPECT_GT(h.SinkLevel(), 0.01);  // RMS of full scale
  Shoot(h, QString("recording-%1").arg(c.format));
  ASSERT_TRUE(icecast.SetTitle("/live", "Artiste Deux - Second", &error)) << error;
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Artiste Deux - Second"); }, 20000));
  QThread::msleep(3000);
  Shoot(h, QString("cut-%1").arg(c.format));
  h.ClickFace(112, 207);  // stop recording
  QThread::msleep(1000);

  // The finished files are in the playlist window, in order: saved from there as a list.
  h.ClickFace(60 + 20, 28 + 10);  // the open button's upper half
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Playlist"); }, 10000));
  QThread::msleep(300);
  h.ClickFace(377 + 20, 241 + 28 + 12);  // its save button
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return h.WindowTitled("Sauvegarder une liste"); }, 10000));
  QThread::msleep(500);
  const QString saved = h.home.Path() + "/recorded.m3u";
  h.Run("xdotool", {"type", "--delay", "15", saved});
  h.Run("xdotool", {"key", "Return"});
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return QFile::exists(saved); }, 10000));
  Shoot(h, QString("playlist-%1").arg(c.format));
  ProgramHarness::Signal(program, SIGTERM);
  ASSERT_TRUE(program->waitForFinished(15000));
  EXPECT_EQ(program->exitCode(), 0) << program->readAllStandardError().toStdString();

  const QString folder = recordDir + "/Zova Live/";
  const QString ext = QString(c.format).toLower();
  const QStringList titles = c.cuts ? QStringList({"Artiste Un - Premier", "Artiste Deux - Second"})
                                    : QStringList({"Artiste Un - Premier"});
  QStringList expected;
  QStringList listed;
  for (const QString& name : titles) {
    expected << name + "." + ext;
    listed << folder + name + "." + ext;
  }
  QFile list(saved);
  ASSERT_TRUE(list.open(QIODevice::ReadOnly));
  QStringList rows;
  for (const QString& line : QString::fromUtf8(list.readAll()).split("\r\n", Qt::SkipEmptyParts))
    if (!line.startsWith('#')) rows << line;
  EXPECT_EQ(rows, listed);
  expected.sort();
  ASSERT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name), expected);
  for (const QString& name : titles) {
    const QString path = folder + name + "." + ext;
    SCOPED_TRACE(path.toStdString());
    const ztest::MediaInfo info = ztest::Probe(path.toStdString());
    ASSERT_TRUE(info.ok) << info.raw;
    EXPECT_EQ(info.codec, c.codec) << info.raw;
    EXPECT_EQ(info.sampleRate, 44100) << info.raw;
    // A true length: no "unknown size" turned into hours, no empty file.
    EXPECT_GT(info.duration, c.cuts ? 2.5 : 6.0) << info.raw;
    EXPECT_LT(info.duration, 40.0) << info.raw;
    EXPECT_EQ(info.tags.count("tlen"), 0u) << info.raw;
    if (c.tags) {
      EXPECT_EQ(info.tags.count("artist") ? info.tags.at("artist") : "", name.section(" - ", 0, 0).toStdString())
          << info.raw;
      EXPECT_EQ(info.tags.count("title") ? info.tags.at("title") : "", name.section(" - ", 1).toStdString())
          << info.raw;
    }
    // The station's tone, loud, and little else.
    const ToneInfo tone = Tone(path, kTone);
    EXPECT_GT(tone.rms, 1000.0);
    EXPECT_GT(tone.share, 0.8);
  }
}

INSTANTIATE_TEST_SUITE_P(Six, RecordProgram,
                         ::testing::Values(FormatCase{"AAC", "aac", false, true}, FormatCase{"AC3", "ac3", false, true},
                                           FormatCase{"MP3", "mp3", true, true}, FormatCase{"OGG", "vorbis", true, true},
                                           FormatCase{"WAV", "pcm_s16le", false, true},
                                           FormatCase{"WMA", "wmav2", true, false}),
                         [](const auto& info) { return std::string(info.param.format); });

TEST(RecordFolderProgram, TheMenuItemOpensTheRecordingFolderOnTheDesktop) {
  ProgramHarness h;
  std::string error;
  ASSERT_TRUE(h.Start(&error)) << error;
  QTemporaryDir bin;
  const QString asked = bin.filePath("asked.txt");
  {
    QFile script(bin.filePath("xdg-open"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(("#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + asked + "'\n").toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
  }
  h.extraEnv.push_back({"PATH", bin.path() + ":" + qEnvironmentVariable("PATH")});
  const QString recordDir = h.home.Path() + QString::fromUtf8("/Mes enregistrements été");
  PrepareStation(h, "http://127.0.0.1:9/none", recordDir, "MP3");

  QProcess* program = h.Launch(QStringLiteral(ZOVALIS_EXE));
  ASSERT_TRUE(h.WaitForFace())
      << program->readAllStandardError().toStdString();
  QThread::msleep(500);
  // The lower part of the open button drops its menu; its second item is the folder.
  h.ClickFace(80, 52);
  QThread::msleep(800);
  h.Run("xdotool", {"key", "Down", "Down", "Return"});
  ASSERT_TRUE(ProgramHarness::WaitFor([&] { return QFile::exists(asked); }, 10000));
  QFile f(asked);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 1) << lines.join('|').toStdString();
  EXPECT_EQ(QUrl(lines[0]).toLocalFile(), recordDir) << lines[0].toStdString();
  ProgramHarness::Signal(program, SIGTERM);
  EXPECT_TRUE(program->waitForFinished(15000));
}

}  // namespace
