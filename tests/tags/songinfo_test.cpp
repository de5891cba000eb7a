// TSongInfo: extension lists, which reader wins, texts, and the engine measurements.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tags/songinfo.h"
#include "tagbytes.h"
#include "testengine.h"

using namespace tagbytes;

namespace {

TEST(SongInfo, Extension) {
  const struct {
    const char *path, *ext;
  } cases[] = {{"/music/song.mp3", ".mp3"}, {"/music/SONG.MP3", ".MP3"},   {"/music.d/song", ""},
               {"/a/b.tar.gz", ".gz"},     {"/a/.hidden", ".hidden"},    {"/a/name.", "."},
               {"relative.ogg", ".ogg"},   {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(TSongInfo::Extension(c.path), c.ext) << c.path;
}

TEST(SongInfo, DurationText) {
  const struct {
    double seconds;
    const char* text;
  } cases[] = {{0, "00:00"},          {59.4, "00:59"},         {3599, "59:59"},
               {3600, "01:00:00"},    {86399, "23:59:59"},     {86400, "00:00:00"},
               {90000, "01:00:00"},   {-1, ""}};
  for (const auto& c : cases) EXPECT_EQ(TSongInfo::DurationText(c.seconds), c.text) << c.seconds;
}

// Tag bytes for the files below.
QByteArray ID3v2(const QByteArray& title, const QByteArray& album) {
  auto frame = [](const char* name, const QByteArray& text) {
    return QByteArray(name) + BE32(text.size() + 1) + QByteArray(3, 0) + text;
  };
  QByteArray frames = frame("TIT2", title);
  if (!album.isNull()) frames += frame("TALB", album);
  return QByteArray("ID3\x03\0\0", 6) + Syncsafe(frames.size()) + frames;
}
QByteArray ID3v1(const QByteArray& title, const QByteArray& album) {
  return "TAG" + Field(title, 30) + Field("V1 artist", 30) + Field(album, 30) + Field("1999", 4) +
         Field("", 28) + QByteArray(1, 0) + QByteArray(1, 9) + QByteArray(1, 17);
}
QByteArray Ape(const QByteArray& title, const QByteArray& track) {
  const QByteArray items = LE32(title.size()) + LE32(0) + "Title" + QByteArray(1, 0) + title +
                           LE32(track.size()) + LE32(0) + "Track" + QByteArray(1, 0) + track;
  return items + "APETAGEX" + LE32(2000) + LE32(items.size() + 32) + LE32(2) + LE32(0) + QByteArray(8, 0);
}
// MPEG-1 layer 3 frames at 128 kbit/s.
const QByteArray kFrames = QByteArray("\xff\xfb\x90\x44", 4) + QByteArray(2000, '\x11');

class SongInfoFiles : public ::testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QTemporaryDir dir_;
};

TEST_F(SongInfoFiles, WhichReaderWins) {
  const QByteArray cover = QByteArray("\0image/jpeg\0\x03\0", 14) + "\xff\xd8\xff\xe0" + QByteArray(3000, 'j');
  const QByteArray withCover =
      QByteArray("ID3\x03\0\0", 6) + Syncsafe(10 + cover.size()) + "APIC" + BE32(cover.size()) + QByteArray(2, 0) + cover;
  const struct {
    const char* name;
    QString file;
    QByteArray bytes;
    bool hasTag;
    const char *title, *album, *track, *bitRate;
  } cases[] = {
      {"id3v2_hides_id3v1_even_empty", "a.mp3", ID3v2("V2", "") + kFrames + ID3v1("V1", "V1 album"), true, "V2",
       "", "00", "128"},
      {"upper_case_extension", "a.MP3", ID3v2("V2", "") + kFrames + ID3v1("V1", "V1 album"), true, "V2", "", "00",
       "128"},
      {"id3v1_without_id3v2", "a.mp2", kFrames + ID3v1("V1", "V1 album"), true, "V1", "V1 album", "09", "128"},
      {"ape_before_id3v1_in_mpc", "a.mpc", kFrames + Ape("Ape", "3/9") + ID3v1("V1", "x"), true, "Ape", "", "3/9",
       "???"},
      {"ape_never_read_in_mp3", "a.mp3", kFrames + Ape("Ape", "3") + ID3v1("V1", "x"), true, "V1", "x", "09", "128"},
      {"ape_extension_without_ape_tag", "a.ape", kFrames + ID3v1("V1", "x"), false, "", "", "", "???"},
      {"extension_in_no_list", "a.flac", ID3v2("V2", "A") + kFrames, false, "", "", "", "???"},
      {"no_extension", "noext", ID3v2("V2", "A") + kFrames, false, "", "", "", "???"},
      {"mp3_without_frames", "a.mp3", QByteArray(1000, '\x12'), false, "", "", "", ""},
      // A cover's JPEG markers are not a frame header (mend).
      {"cover_before_the_frames", "a.mp3", withCover + kFrames, true, "", "", "00", "128"},
  };
  TSongInfo info;  // reused, as the playlist does
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = Write(c.file, c.bytes);
    info.ReadSongInfo(path, false, false);
    EXPECT_EQ(info.FileName, path);
    EXPECT_EQ(info.HasTag, c.hasTag);
    EXPECT_EQ(info.Title, c.title);
    EXPECT_EQ(info.Album, c.album);
    EXPECT_EQ(info.Track, c.track);
    EXPECT_EQ(info.BitRate, c.bitRate);
    EXPECT_EQ(info.Duration, "");  // not measured
    EXPECT_EQ(info.LengthBytes, -1);
    QFile::remove(path);
  }
}

TEST_F(SongInfoFiles, MissingFileLeavesFieldsCleared) {
  TSongInfo info;
  info.ReadSongInfo(Write("a.mp3", ID3v2("Old", "Old") + kFrames), false, false);
  ASSERT_EQ(info.Title, "Old");
  for (const QString& path : {dir_.filePath("missing.mp3"), dir_.path()}) {
    info.ReadSongInfo(path, true, true);
    EXPECT_EQ(info.FileName, path);
    EXPECT_TRUE(info.Title.isEmpty());
    EXPECT_FALSE(info.HasTag);
    EXPECT_EQ(info.BitRate, "???");
    EXPECT_EQ(info.LengthSeconds, -1.0f);
  }
}

TEST_F(SongInfoFiles, PictureOnRequest) {
  const QByteArray jpeg = "\xff\xd8\xff\xe0" + QByteArray(700, 'j') + "\xff\xd9";
  const QByteArray apic = QByteArray("\0image/jpeg\0\x03\0", 14) + jpeg;
  const QByteArray file = QByteArray("ID3\x03\0\0", 6) + Syncsafe(10 + apic.size()) + "APIC" + BE32(apic.size()) +
                          QByteArray(2, 0) + apic + kFrames;
  const QString path = Write("cover.mp3", file);
  TSongInfo info;
  info.ReadSongInfo(path, false, true);
  EXPECT_EQ(info.Picture, jpeg);
  info.ReadSongInfo(path, false, false);
  EXPECT_TRUE(info.Picture.isEmpty());
}

TEST_F(SongInfoFiles, WmaAndOggBitRatesOnlyWhenValid) {
  TSongInfo info;
  info.ReadSongInfo(Write("bad.wma", QByteArray(500, 'w')), false, false);
  EXPECT_EQ(info.BitRate, "???");
  EXPECT_FALSE(info.HasTag);
  info.ReadSongInfo(Write("bad.ogg", "OggS" + QByteArray(500, 0)), false, false);
  EXPECT_EQ(info.BitRate, "???");
  EXPECT_FALSE(info.HasTag);
}

// A WAV of 60 s (44.1 kHz, 16-bit stereo) is 10 584 044 bytes: 1411 kbit/s rounded, then
// lowered to the even 1410.
TEST_F(SongInfoFiles, SizeBasedBitRateOfWav) {
  ASSERT_TRUE(StartTestEngine()) << zengine::ErrorGetCode();
  const uint32_t data = 60 * 44100 * 4;
  const QByteArray header = "RIFF" + LE32(36 + data) + "WAVEfmt " + LE32(16) + LE16(1) + LE16(2) + LE32(44100) +
                            LE32(44100 * 4) + LE16(4) + LE16(16) + "data" + LE32(data);
  const QString path = Write("minute.wav", header + QByteArray(data, '\0'));
  ASSERT_EQ(QFileInfo(path).size(), 10584044);
  const zengine::Handle probe = zengine::StreamCreateFile(QFile::encodeName(path).toStdString());
  if (probe == 0) GTEST_SKIP() << "the engine's file streams cannot open a valid WAV (error " << zengine::ErrorGetCode() << ")";
  zengine::StreamFree(probe);
  TSongInfo info;
  info.ReadSongInfo(path, true, false);
  EXPECT_FLOAT_EQ(info.LengthSeconds, 60.0f);
  EXPECT_EQ(info.LengthBytes, int64_t(data));
  EXPECT_EQ(info.Duration, "01:00");
  EXPECT_EQ(info.BitRate, "1410");
  EXPECT_EQ(info.StreamType, "PCM");
  EXPECT_EQ(info.SampleRate, "44100");
  EXPECT_EQ(info.Channels, "Stereo");
  EXPECT_FALSE(info.HasTag);
}

TEST_F(SongInfoFiles, FileTheEngineCannotOpenStillGetsItsTags) {
  ASSERT_TRUE(StartTestEngine());
  TSongInfo info;
  for (const char* name : {"junk.mp3", "junk.CDA", "junk.cda"}) {
    SCOPED_TRACE(name);
    info.ReadSongInfo(Write(name, QByteArray(2000, 0) + ID3v1("V1", "A")), true, false);
    EXPECT_TRUE(info.Duration.isEmpty());
    EXPECT_TRUE(info.StreamType.isEmpty());
    EXPECT_EQ(info.LengthBytes, -1);
    EXPECT_EQ(info.LengthSeconds, -1.0f);
    EXPECT_EQ(info.HasTag, QByteArray(name).endsWith(".mp3"));
  }
}

}  // namespace
