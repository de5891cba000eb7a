// TID3v2: header, frame layouts of 2.2/2.3/2.4, encodings, fallbacks and the picture,
// from inline bytes.
#include <gtest/gtest.h>

#include <QHash>

#include "tags/id3v2.h"
#include "tags/memorysource.h"
#include "tagbytes.h"

using namespace tagbytes;

namespace {

// A 2.3 frame: name, plain 32-bit size, two flag bytes, data.
QByteArray F3(const char* name, const QByteArray& data, char flags2 = 0) {
  return QByteArray(name) + BE32(data.size()) + QByteArray(1, 0) + QByteArray(1, flags2) + data;
}
// A 2.4 frame: name, 7-bit-byte size, flags, data.
QByteArray F4(const char* name, const QByteArray& data, char flags2 = 0) {
  return QByteArray(name) + Syncsafe(data.size()) + QByteArray(1, 0) + QByteArray(1, flags2) + data;
}
QByteArray F2(const char* name, const QByteArray& data) { return QByteArray(name) + BE24(data.size()) + data; }

// A tag of the given version around the frames, then some audio bytes.
QByteArray Tag(int version, const QByteArray& frames, char flags = 0, int padding = 20) {
  const QByteArray body = frames + QByteArray(padding, '\0');
  return "ID3" + QByteArray(1, char(version)) + QByteArray(1, 0) + QByteArray(1, flags) +
         Syncsafe(body.size()) + body + QByteArray(300, '\x55');
}

QByteArray Text0(const QByteArray& s) { return QByteArray(1, 0) + s; }
QByteArray Utf16Bom(const QString& s) { return QByteArray("\x01\xff\xfe", 3) + Utf16LE(s) + QByteArray(2, 0); }

TID3v2 Read(const QByteArray& bytes, bool withPicture = false) {
  TID3v2 tag;
  EXPECT_TRUE(tag.ReadTag(TMemorySource(bytes), withPicture));
  return tag;
}

TEST(ID3v2, TextFramesAndFallbacks) {
  const struct {
    const char* name;
    QByteArray frames;
    QString artist = {}, title = {}, album = {}, year = {}, genre = {}, trackText = {};
    int track = 0;
  } cases[] = {
      {"empty_lead_artist_falls_back", F3("TPE1", Text0("")) + F3("TOPE", Text0("Someone")), "Someone"},
      {"content_group_for_title", F3("TIT1", Text0("Group")), {}, "Group"},
      {"original_album", F3("TOAL", Text0("Orig")) + F3("TALB", Text0(" ")), {}, {}, "Orig"},
      {"year_from_recording_time", F3("TDRC", Text0("2004-05-06")), {}, {}, {}, "2004"},
      {"year_frame_wins", F3("TDRC", Text0("2004")) + F3("TYER", Text0("1999")), {}, {}, {}, "1999"},
      {"track_of_total", F3("TRCK", Text0("07/12")), {}, {}, {}, {}, {}, "07/12", 7},
      {"track_not_a_number", F3("TRCK", Text0("A1")), {}, {}, {}, {}, {}, "A1", 0},
      // mend: a bare reference gave an empty genre; it gives the ID3v1 name of its number.
      {"genre_reference_alone", F3("TCON", Text0("(17)")), {}, {}, {}, {}, "Rock"},
      {"genre_reference_alone_padded", F3("TCON", Text0(" (017) ")), {}, {}, {}, {}, "Rock"},
      {"genre_reference_past_the_list", F3("TCON", Text0("(200)")), {}, {}, {}, {}, ""},
      {"genre_two_references", F3("TCON", Text0("(17)(18)")), {}, {}, {}, {}, ""},
      {"genre_special_reference", F3("TCON", Text0("(RX)")), {}, {}, {}, {}, ""},
      {"genre_name_then_reference", F3("TCON", Text0("Jazz(17)")), {}, {}, {}, {}, ""},
      {"genre_reference_then_name", F3("TCON", Text0("(17)Rock")), {}, {}, {}, {}, "Rock"},
      {"genre_name", F3("TCON", Text0("Rock")), {}, {}, {}, {}, "Rock"},
      {"later_frame_replaces", F3("TIT2", Text0("One")) + F3("TIT2", Text0("Two")), {}, "Two"},
      {"windows_1252", F3("TIT2", Text0("Caf\xe9 \x80")), {}, QString::fromUtf8("Café €")},
      {"utf16_with_mark", F3("TIT2", Utf16Bom(QString::fromUtf8("Ça"))), {}, QString::fromUtf8("Ça")},
      {"utf16_big_endian_mark", F3("TIT2", QByteArray("\x01\xfe\xff", 3) + Utf16BE(QString::fromUtf8("ÿé"))),
       {}, QString::fromUtf8("ÿé")},
      {"unknown_encoding_not_stored", F3("TIT2", "\x04" "abc") + F3("TIT1", Text0("Group")), {}, "Group"},
      {"compressed_2_3_frame_not_stored", F3("TIT2", Text0("zz"), char(0x80)) + F3("TIT1", Text0("G")), {}, "G"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v2 tag = Read(Tag(3, c.frames));
    EXPECT_TRUE(tag.TagFound);
    EXPECT_EQ(tag.TagVersion, 3);
    EXPECT_EQ(tag.Artist, c.artist);
    EXPECT_EQ(tag.Title, c.title);
    EXPECT_EQ(tag.Album, c.album);
    EXPECT_EQ(tag.Year, c.year);
    EXPECT_EQ(tag.Genre, c.genre);
    EXPECT_EQ(tag.TrackText, c.trackText);
    EXPECT_EQ(tag.Track, c.track);
  }
}

TEST(ID3v2, EncodingsTwoAndThreeAreDecoded) {  // mend: they were ignored
  const QString text = QString::fromUtf8("Ça été 日本");
  const struct {
    const char* name;
    QByteArray data;
  } cases[] = {
      {"utf16_big_endian_without_mark", "\x02" + Utf16BE(text)},
      {"utf8", "\x03" + text.toUtf8()},
      {"utf8_with_terminator", "\x03" + text.toUtf8() + QByteArray(1, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (int version : {3, 4}) {
      const QByteArray frames = version == 3 ? F3("TIT2", c.data) + F3("TIT1", Text0("Group"))
                                             : F4("TIT2", c.data) + F4("TIT1", Text0("Group"));
      EXPECT_EQ(Read(Tag(version, frames)).Title, text);
    }
  }
  // Not valid UTF-8: read as Windows-1252.
  EXPECT_EQ(Read(Tag(3, F3("TALB", "\x03" "Caf\xe9"))).Album, QString::fromUtf8("Café"));
}

TEST(ID3v2, DescribedTexts) {
  const struct {
    const char* name;
    QByteArray frame;
    QString comment = {}, link = {};
  } cases[] = {
      {"comment_latin1", F3("COMM", QByteArray("\0eng", 4) + QByteArray("desc\0Hello", 10)), "Hello"},
      {"comment_utf16", F3("COMM", QByteArray("\x01" "eng", 4) + "\xff\xfe" + Utf16LE("d") + QByteArray(2, 0) +
                                       "\xff\xfe" + Utf16LE(QString::fromUtf8("Héllo"))),
       QString::fromUtf8("Héllo")},
      // "AĀ" is 41 00 00 01 in UTF-16LE: an unaligned search for the zero pair would cut there.
      {"comment_utf16_aligned_separator", F3("COMM", QByteArray("\x01" "eng", 4) + "\xff\xfe" +
                                                         Utf16LE(QString::fromUtf8("AĀ")) + QByteArray(2, 0) +
                                                         "\xff\xfe" + Utf16LE("Text")),
       "Text"},
      {"comment_utf8", F3("COMM", QByteArray("\x03" "fra", 4) + QByteArray("\0", 1) + "été"), QString::fromUtf8("été")},
      {"comment_without_separator", F3("COMM", QByteArray("\0eng", 4) + "no separator"), ""},
      {"link", F3("WXXX", QByteArray("\0home\0http://example.org/", 26)), {}, "http://example.org/"},
      {"link_url_is_latin1_whatever_the_encoding",
       F3("WXXX", "\x01\xff\xfe" + Utf16LE("h") + QByteArray(2, 0) + "http://a.b/"), {}, "http://a.b/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v2 tag = Read(Tag(3, c.frame));
    EXPECT_EQ(tag.Comment, c.comment);
    EXPECT_EQ(tag.Link, c.link);
  }
}

TEST(ID3v2, Version24SizesAreSyncsafe) {  // mend: they were read as plain numbers
  const QByteArray comment = QByteArray("\0eng\0", 5) + QByteArray(300, 'c');
  const QByteArray frames = F4("COMM", comment) + F4("TALB", Text0("Album after"));
  const TID3v2 tag = Read(Tag(4, frames));
  EXPECT_EQ(tag.Comment, QString(300, 'c'));
  EXPECT_EQ(tag.Album, "Album after");
  // 2.3 keeps plain sizes: the same frame of 305 bytes there is 0x131.
  EXPECT_EQ(Read(Tag(3, F3("COMM", comment) + F3("TALB", Text0("A")))).Album, "A");
}

TEST(ID3v2, Version24FrameFlags) {
  const struct {
    const char* name;
    QByteArray frame;
    QString title;
  } cases[] = {
      {"data_length_indicator", F4("TIT2", Syncsafe(4) + Text0("Abc"), 0x01), "Abc"},
      {"unsynchronised", F4("TIT2", QByteArray("\x01\xff\x00\xfe", 4) + Utf16LE("Ok"), 0x02), "Ok"},
      {"compressed_not_stored", F4("TIT2", Text0("zz"), 0x08), ""},
      {"encrypted_not_stored", F4("TIT2", Text0("zz"), 0x04), ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(Tag(4, c.frame)).Title, c.title);
  }
}

// Unsynchronisation as taggers write it: a 0x00 after every 0xFF that is followed by
// 0xE0 or more or by 0x00, and after a last 0xFF.
QByteArray Unsynchronised(const QByteArray& data) {
  QByteArray out;
  for (qsizetype i = 0; i < data.size(); ++i) {
    out += data[i];
    const bool ff = static_cast<unsigned char>(data[i]) == 0xFF;
    if (ff && (i + 1 == data.size() || static_cast<unsigned char>(data[i + 1]) >= 0xE0 || data[i + 1] == 0))
      out += '\0';
  }
  return out;
}

// mend: a tag unsynchronised as a whole (header flag 0x80, 2.2 and 2.3) gave garbled
// titles and lost the frames after the first unsynchronised byte; in 2.4 the flag says
// every frame is unsynchronised.
TEST(ID3v2, UnsynchronisedTagsAreResynchronisedFirst) {
  // UTF-16 texts start with the mark FF FE, which unsynchronisation changes to FF 00 FE;
  // the frame sizes count the bytes before it.
  const QString title = QString::fromUtf8("Ÿé ÿ");  // U+0178 and U+00FF: more 0xFF bytes
  const auto frames = [&](auto frame) {
    return frame("TIT2", Utf16Bom(title)) + frame("TPE1", Utf16Bom("Artist")) +
           frame("TALB", Utf16Bom("Album")) + frame("TYER", Text0("1999")) +
           frame("TCON", Utf16Bom("(8)Jazz")) + frame("TRCK", Utf16Bom("4/9")) +
           frame("COMM", QByteArray("\x01" "eng\xff\xfe\0\0\xff\xfe", 10) + Utf16LE("Comment"));
  };
  const auto f3 = [](const char* name, const QByteArray& data) { return F3(name, data); };
  const auto f4 = [](const char* name, const QByteArray& data) { return F4(name, Unsynchronised(data)); };
  const auto f2 = [](const char* name, const QByteArray& data) {
    static const QHash<QByteArray, const char*> short2 = {{"TIT2", "TT2"}, {"TPE1", "TP1"}, {"TALB", "TAL"},
                                                          {"TYER", "TYE"}, {"TCON", "TCO"}, {"TRCK", "TRK"},
                                                          {"COMM", "COM"}};
    return F2(short2.value(name), data);
  };
  const struct {
    const char* name;
    QByteArray tag;
  } cases[] = {
      {"version_2_3", Tag(3, Unsynchronised(frames(f3)), char(0x80))},
      {"version_2_2", Tag(2, Unsynchronised(frames(f2)), char(0x80))},
      {"version_2_4_header_flag_only", Tag(4, frames(f4), char(0x80))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.tag.indexOf(QByteArray("\xff\x00\xfe", 3)), -1) << "the bytes are unsynchronised";
    const TID3v2 tag = Read(c.tag);
    EXPECT_EQ(tag.Title, title);
    EXPECT_EQ(tag.Artist, "Artist");
    EXPECT_EQ(tag.Album, "Album");
    EXPECT_EQ(tag.Year, "1999");
    EXPECT_EQ(tag.Genre, "Jazz");
    EXPECT_EQ(tag.Track, 4);
    EXPECT_EQ(tag.Comment, "Comment");
  }
  // Without the flag the same bytes are taken as they are: FF 00 is no mark.
  EXPECT_NE(Read(Tag(3, Unsynchronised(frames(f3)))).Title, title);
}

TEST(ID3v2, LargeFramesAreSkippedNotTheEnd) {  // mend: a large frame ended the reading
  const QByteArray jpeg = "\xff\xd8\xff\xe0" + QByteArray(80000, '\x42') + "\xff\xd9";
  const QByteArray apic = QByteArray("\0image/jpeg\0\x03" "cover\0", 19) + jpeg;
  const QByteArray frames = F3("APIC", apic) + F3("TALB", Text0("After the cover"));
  const TID3v2 without = Read(Tag(3, frames), false);
  EXPECT_EQ(without.Album, "After the cover");
  EXPECT_TRUE(without.Picture.isEmpty());
  const TID3v2 with = Read(Tag(3, frames), true);
  EXPECT_EQ(with.Album, "After the cover");
  EXPECT_EQ(with.Picture, jpeg);
  // Over the 1 000 000-byte limit: skipped even with the picture asked for.
  const QByteArray huge = F3("APIC", QByteArray("\0image/jpeg\0\x03\0", 14) + QByteArray(1000001, 'x'));
  const TID3v2 big = Read(Tag(3, huge + F3("TALB", Text0("Still read"))), true);
  EXPECT_EQ(big.Album, "Still read");
  EXPECT_TRUE(big.Picture.isEmpty());
}

TEST(ID3v2, Pictures) {
  const QByteArray jpeg("\xff\xd8\xff\xe0 jpeg \0 bytes \xff\xd9", 20);
  const struct {
    const char* name;
    QByteArray apic;
    QByteArray picture;
  } cases[] = {
      {"jpeg", QByteArray("\0image/jpeg\0\x03" "desc\0", 18) + jpeg, jpeg},
      {"jpg_upper_case", QByteArray("\0IMAGE/JPG\0\x03\0", 13) + jpeg, jpeg},
      {"utf16_description", QByteArray("\x01image/jpeg\0\x03\xff\xfe" "d\0\0\0", 19) + jpeg, jpeg},
      {"png_not_kept", QByteArray("\0image/png\0\x03\0", 13) + "\x89PNG", {}},
      {"no_mime_end", QByteArray("\0image/jpeg", 11), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(Tag(3, F3("APIC", c.apic)), true).Picture, c.picture);
    EXPECT_TRUE(Read(Tag(3, F3("APIC", c.apic)), false).Picture.isEmpty());
  }
}

TEST(ID3v2, ExtendedHeaderIsSkipped) {  // mend: it ended the frame reading
  const QByteArray ext3 = BE32(6) + QByteArray(6, 0);  // size excludes its 4 size bytes
  EXPECT_EQ(Read(Tag(3, ext3 + F3("TIT2", Text0("Three")), 0x40)).Title, "Three");
  const QByteArray ext4 = Syncsafe(6) + QByteArray("\x01\x00", 2);  // size includes itself
  EXPECT_EQ(Read(Tag(4, ext4 + F4("TIT2", Text0("Four")), 0x40)).Title, "Four");
}

TEST(ID3v2, Version22) {
  const QByteArray frames = F2("TT2", Text0("Title 22")) + F2("TP1", Utf16Bom("Who")) +
                            F2("COM", QByteArray("\0eng\0Note", 9)) + F2("TXX", Text0("ignored")) +
                            F2("TAL", Text0(QByteArray(600, 'a')));  // cut to 500 bytes
  const TID3v2 tag = Read(Tag(2, frames));
  EXPECT_EQ(tag.TagVersion, 2);
  EXPECT_EQ(tag.Title, "Title 22");
  EXPECT_EQ(tag.Artist, "Who");
  EXPECT_EQ(tag.Comment, "Note");
  EXPECT_EQ(tag.Album, QString(499, 'a'));
}

TEST(ID3v2, HeaderCases) {
  const QByteArray frames = F3("TIT2", Text0("T"));
  const QByteArray plain = Tag(3, frames);
  const QByteArray footer = Tag(3, frames, 0x10);
  EXPECT_EQ(Read(footer).TagSize, Read(plain).TagSize + 10);

  QByteArray tooLarge = plain.left(60);
  tooLarge[6] = 0x7F;  // a size far beyond the file
  const TID3v2 big = Read(tooLarge);
  EXPECT_TRUE(big.TagFound);
  EXPECT_EQ(big.TagSize, 0);
  EXPECT_TRUE(big.Title.isEmpty());

  QByteArray v5 = plain;
  v5[3] = 5;
  const TID3v2 five = Read(v5);
  EXPECT_TRUE(five.TagFound);
  EXPECT_EQ(five.TagVersion, 5);
  EXPECT_TRUE(five.Title.isEmpty());

  EXPECT_FALSE(Read("not an id3 tag").TagFound);
  TID3v2 tag;
  EXPECT_FALSE(tag.ReadTag(TMemorySource(QByteArrayView("ID3\x03\0\0\0\0", 9)), false));  // 9 bytes
  EXPECT_FALSE(tag.ReadTag(QStringLiteral("/nonexistent/file.mp3"), false));
}

TEST(ID3v2, DamagedFramesStopCleanly) {
  const struct {
    const char* name;
    QByteArray bytes;
    QString title;
  } cases[] = {
      {"size_of_2_31_ends_the_list", Tag(3, F3("TIT2", Text0("Kept")) + "TALB\x80\0\0\0\0\0" + F3("TIT1", Text0("x"))),
       "Kept"},
      {"frame_cut_by_the_end_of_the_file",
       QByteArray("ID3\x03\0\0", 6) + Syncsafe(14) + QByteArray("TIT2\0\0\0\x40\0\0\0Cut", 14), "Cut"},
      {"garbage_after_the_frames", Tag(3, F3("TIT2", Text0("T")) + "\x01garbage", 0, 0), "T"},
      {"zero_size_frames", Tag(3, "TIT2" + QByteArray(6, 0) + F3("TIT2", Text0("After"))), "After"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Read(c.bytes, true).Title, c.title);
  }
}

}  // namespace
