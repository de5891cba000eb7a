// TOggVorbis: headers, comments, last-page search and the derived values, from Ogg
// pages built inline (the reader does not check page checksums).
#include <gtest/gtest.h>

#include <QList>

#include "tags/memorysource.h"
#include "tags/oggvorbis.h"
#include "tagbytes.h"

using namespace tagbytes;

namespace {

QByteArray Lacing(int size) { return QByteArray(size / 255, '\xff') + char(size % 255); }

// An Ogg page: "OggS", version, type, granule (6), serial, sequence, checksum, segment
// count (26), segment table, data.
QByteArray Page(const QByteArray& segments, const QByteArray& data, uint64_t granule) {
  return "OggS" + QByteArray(2, 0) + LE64(granule) + LE32(7) + LE32(0) + LE32(0) +
         char(segments.size()) + segments + data;
}

QByteArray Ident(int channels, uint32_t rate, int32_t nominal = 128000) {
  return "\x01vorbis" + LE32(0) + char(channels) + LE32(rate) + LE32(0) + LE32(uint32_t(nominal)) +
         LE32(0) + "\xb8\x01";
}

QByteArray Comments(const QList<QByteArray>& texts, const QByteArray& vendor = "Xiph.Org libVorbis") {
  QByteArray p = "\x03vorbis" + LE32(vendor.size()) + vendor + LE32(texts.size());
  for (const QByteArray& t : texts) p += LE32(t.size()) + t;
  return p + "\x01";
}

// Identification page, comment page, an audio page of `audioBytes` bytes ending at
// `samples`.
QByteArray OggFile(const QByteArray& comments, int channels = 2, uint32_t rate = 44100,
                   uint64_t samples = 441000, int audioBytes = 3000) {
  const QByteArray setup = "\x05vorbis setup";
  return Page(Lacing(30), Ident(channels, rate), 0) +
         Page(Lacing(comments.size()) + Lacing(setup.size()), comments + setup, 0) +
         Page(QByteArray(audioBytes / 255, '\xff') + char(audioBytes % 255), QByteArray(audioBytes, 'a'), samples);
}

TOggVorbis Read(const QByteArray& bytes, bool expected = true) {
  TOggVorbis ogg;
  EXPECT_EQ(ogg.ReadTag(TMemorySource(bytes)), expected);
  return ogg;
}

TEST(OggVorbis, Comments) {
  const QByteArray cut = "TITLE=" + QByteArray(243, 'a') + "\xc3\xa9";  // é split by the 250 cap
  const struct {
    const char* name;
    QList<QByteArray> texts;
    QString artist = {}, title = {}, comment = {};
    int track = 0;
  } cases[] = {
      {"name_in_any_case", {"artist=Foo"}, "Foo"},
      {"performer_fallback", {"PERFORMER=Bar"}, "Bar"},
      {"artist_wins_over_performer", {"PERFORMER=Bar", "ARTIST=Foo"}, "Foo"},
      {"later_replaces_earlier", {"TITLE=One", "TITLE=Two"}, {}, "Two"},
      {"utf8_value", {"TITLE=\xc3\x87" "a \xf0\x9f\x8e\xb5"}, {}, QString::fromUtf8("Ça 🎵")},
      {"not_utf8_is_windows_1252", {"TITLE=Caf\xe9"}, {}, QString::fromUtf8("Café")},
      {"value_cut_to_250_bytes", {"COMMENT=" + QByteArray(400, 'c')}, {}, {}, QString(242, 'c')},
      {"character_cut_in_two_dropped", {cut}, {}, QString(243, 'a')},
      {"description_fallback", {"DESCRIPTION=About"}, {}, {}, "About"},
      {"track_of_total", {"TRACKNUMBER=3/12"}, {}, {}, {}, 3},
      {"track_kept_to_8_bits", {"TRACKNUMBER=300"}, {}, {}, {}, 44},
      {"track_not_a_number", {"TRACKNUMBER=x3"}, {}, {}, {}, 0},
      {"unknown_names_ignored", {"FOO=bar", "=x", "noequals"}},
      {"spaces_around_value", {"TITLE=  padded  "}, {}, "padded"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TOggVorbis ogg = Read(OggFile(Comments(c.texts)));
    EXPECT_EQ(ogg.Artist, c.artist);
    EXPECT_EQ(ogg.Title, c.title);
    EXPECT_EQ(ogg.Comment, c.comment);
    EXPECT_EQ(ogg.Track, c.track);
    EXPECT_EQ(ogg.Vendor, "Xiph.Org libVorbis");
    EXPECT_TRUE(ogg.ValidFile());
  }
}

TEST(OggVorbis, CommentPacketOverSeveralPages) {
  // A 70 000-byte picture comment first: the packet continues on a third page.
  const QByteArray packet = Comments({"METADATA_BLOCK_PICTURE=" + QByteArray(70000, 'p'), "TITLE=After"});
  const QByteArray first = packet.left(255 * 255);
  const QByteArray rest = packet.mid(255 * 255);
  const QByteArray file = Page(Lacing(30), Ident(2, 44100), 0) + Page(QByteArray(255, '\xff'), first, 0) +
                          Page(Lacing(rest.size()), rest, 0) + Page(Lacing(500), QByteArray(500, 'a'), 88200);
  const TOggVorbis ogg = Read(file);
  EXPECT_EQ(ogg.Title, "After");
  EXPECT_DOUBLE_EQ(ogg.DurationSeconds(), 2.0);
}

TEST(OggVorbis, DurationAndBitRate) {
  // 3 minutes of stereo at 44100 Hz in 2 160 000 bytes: 96 kbit/s.
  const QByteArray head = Page(Lacing(30), Ident(2, 44100), 0) + Page(Lacing(20), Comments({}).left(20), 0);
  const QByteArray last = Page(Lacing(100), QByteArray(100, 'a'), 7938000);
  const QByteArray file = head + QByteArray(2160000 - head.size() - last.size(), '\0') + last;
  const TOggVorbis ogg = Read(file);
  EXPECT_EQ(ogg.SampleCount, 7938000);
  EXPECT_DOUBLE_EQ(ogg.DurationSeconds(), 180.0);
  EXPECT_EQ(ogg.AverageKbps(), 96);
  EXPECT_TRUE(ogg.ValidFile());

  // A granule beyond 32 bits (a 27-hour recording) keeps its whole value.
  const TOggVorbis longOne = Read(OggFile(Comments({}), 2, 44100, 4410000000ull));
  EXPECT_DOUBLE_EQ(longOne.DurationSeconds(), 100000.0);

  // No granule anywhere: the nominal bit rate gives an estimate.
  const TOggVorbis noGranule = Read(OggFile(Comments({}), 2, 44100, 0, 20000));
  EXPECT_EQ(noGranule.SampleCount, 0);
  EXPECT_EQ(noGranule.NominalKbps, 125);  // 128000 / 1024
  EXPECT_NEAR(noGranule.DurationSeconds(), double(noGranule.FileBytes) / 125 / 2 / 125 * 2, 1e-9);
}

TEST(OggVorbis, Validity) {
  const struct {
    const char* name;
    int channels;
    uint32_t rate;
    uint64_t samples;
    bool valid;
  } cases[] = {
      {"mono", 1, 44100, 441000, true},       {"stereo", 2, 48000, 480000, true},
      {"six_channels", 6, 48000, 480000, true}, {"four_channels", 4, 44100, 441000, false},
      {"zero_rate", 2, 0, 441000, false},     {"shorter_than_a_tenth", 2, 44100, 4000, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(OggFile(Comments({}), c.channels, c.rate, c.samples)).ValidFile(), c.valid);
  }
}

TEST(OggVorbis, Structure) {
  const QByteArray id3 = QByteArray("ID3\x03\0\0", 6) + Syncsafe(40) + QByteArray(40, 0);
  const TOggVorbis tagged = Read(id3 + OggFile(Comments({"TITLE=T"})));
  EXPECT_EQ(tagged.LeadingTagBytes, 50);
  EXPECT_EQ(tagged.Title, "T");

  // No comment header on the second page: valid, no texts.
  const QByteArray noComments = Page(Lacing(30), Ident(2, 44100), 0) +
                                Page(Lacing(3000), QByteArray(3000, 'a'), 441000);
  const TOggVorbis bare = Read(noComments);
  EXPECT_TRUE(bare.ValidFile());
  EXPECT_TRUE(bare.Title.isEmpty());
  EXPECT_TRUE(bare.Vendor.isEmpty());

  // A comment length of 2^31 ends the reading; what came before stays.
  QByteArray forged = "\x03vorbis" + LE32(6) + "vendor" + LE32(3) + LE32(7) + "TITLE=T" + LE32(0x80000000u) +
                      "ARTIST=A";
  EXPECT_EQ(Read(OggFile(forged)).Title, "T");
  EXPECT_TRUE(Read(OggFile(forged)).Artist.isEmpty());

  const QByteArray notVorbis = Page(Lacing(30), "\x01" "opus" + QByteArray(25, 0), 0) + QByteArray(500, 0);
  EXPECT_FALSE(Read(notVorbis, false).ValidFile());
  EXPECT_FALSE(Read("RIFF....WAVE", false).ValidFile());
  EXPECT_FALSE(Read(QByteArray(), false).ValidFile());
  TOggVorbis ogg;
  EXPECT_FALSE(ogg.ReadTag(QStringLiteral("/nonexistent/file.ogg")));
}

}  // namespace
