// TID3v1: version detection, fixed fields, genres and the Lyrics3 v2.00 block, from
// inline bytes.
#include <gtest/gtest.h>

#include "tags/id3v1.h"
#include "tags/memorysource.h"
#include "tagbytes.h"

using namespace tagbytes;

namespace {

// A 128-byte tag: 30-byte title, artist, album, 4-byte year, 30-byte comment area
// (whose bytes 28 and 29 are given apart), genre.
QByteArray Tag(const QByteArray& title, const QByteArray& comment28, char c28, char c29,
               unsigned char genre = 17, const QByteArray& artist = "Artist",
               const QByteArray& year = "1999") {
  return "TAG" + Field(title, 30) + Field(artist, 30) + Field("Album", 30) + Field(year, 4) +
         Field(comment28, 28) + QByteArray(1, c28) + QByteArray(1, c29) + QByteArray(1, char(genre));
}

TID3v1 Read(const QByteArray& bytes) {
  TID3v1 tag;
  EXPECT_TRUE(tag.ReadTag(TMemorySource(bytes)));
  return tag;
}

struct VersionCase {
  const char* name;
  char c28, c29;
  int version;
  int track;
  const char* comment;
};

TEST(ID3v1, VersionFromBytes125And126) {
  const VersionCase cases[] = {
      {"zero_then_track_is_1_1", 0, 5, 2, 5, "Comment"},
      {"spaces_are_1_0", ' ', ' ', 1, 0, "Comment"},
      {"space_then_track_is_1_1", ' ', 7, 2, 7, "Comment"},
      {"zero_zero_is_1_0", 0, 0, 1, 0, "Comment"},
      {"letters_are_1_0", 'x', 'y', 1, 0, "Comment"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v1 tag = Read(QByteArray(500, '\x11') + Tag("T", "Comment", c.c28, c.c29));
    EXPECT_TRUE(tag.TagFound);
    EXPECT_EQ(tag.TagVersion, c.version);
    EXPECT_EQ(tag.Track, c.track);
    EXPECT_EQ(tag.Comment, QString::fromLatin1(c.comment));
  }
}

TEST(ID3v1, FixedFields) {
  struct Case {
    const char* name;
    QByteArray title;
    QString expected;
  } cases[] = {
      {"trailing_spaces_trimmed", "Title   ", "Title"},
      {"leading_spaces_kept", "  Title", "  Title"},
      {"old_bytes_after_the_zero_dropped", QByteArray("Title\0junk", 10), "Title"},
      {"windows_1252", "Caf\xe9 \x80", QString::fromUtf8("Café €")},
      {"full_30_bytes", QByteArray(30, 'a'), QString(30, 'a')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v1 tag = Read(Tag(c.title, "", 0, 0));
    EXPECT_EQ(tag.Title, c.expected);
    EXPECT_TRUE(tag.LongTitle.isEmpty());  // 30 bytes never reach the long slot
  }
  const TID3v1 tag = Read(Tag("T", "", 0, 0, 17, "Artist", "19991"));
  EXPECT_EQ(tag.Year, "1999");
  EXPECT_EQ(tag.Artist, "Artist");
  EXPECT_EQ(tag.Album, "Album");
}

TEST(ID3v1, GenreNames) {
  const struct {
    unsigned char index;
    const char* name;
  } cases[] = {{0, "Blues"}, {17, "Rock"}, {67, "Psychadelic"}, {93, "Psychedelic Rock"},
               {123, "A capella"}, {147, "Synthpop"}, {148, ""}, {255, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    const TID3v1 tag = Read(Tag("T", "", 0, 0, c.index));
    EXPECT_EQ(tag.GenreIndex, c.index);
    EXPECT_EQ(tag.Genre(), QString::fromLatin1(c.name));
  }
}

TEST(ID3v1, NoTag) {
  const QByteArray cases[] = {"", "TAG", QByteArray(127, 'x'), "TAG" + QByteArray(124, ' '),
                              QByteArray(1000, '\0')};
  for (const auto& bytes : cases) {
    const TID3v1 tag = Read(bytes);
    EXPECT_FALSE(tag.TagFound);
    EXPECT_EQ(tag.GenreIndex, 255);
    EXPECT_EQ(tag.TagVersion, 1);
  }
  TID3v1 tag;
  EXPECT_FALSE(tag.ReadTag(QStringLiteral("/nonexistent/file.mp3")));
  EXPECT_FALSE(tag.TagFound);
}

// A Lyrics3 v2.00 block with the given fields; `sizeField` overrides its size digits.
QByteArray Lyrics3(const QByteArray& fields, const QByteArray& sizeField = {}) {
  const QByteArray body = "LYRICSBEGIN" + fields;
  const QByteArray size = sizeField.isEmpty()
                              ? QByteArray::number(body.size()).rightJustified(6, '0')
                              : sizeField;
  return body + size + "LYRICS200";
}

QByteArray L3Field(const char* name, const QByteArray& data) {
  return QByteArray(name) + QByteArray::number(data.size()).rightJustified(5, '0') + data;
}

TEST(ID3v1, Lyrics3Fields) {
  const QByteArray longTitle(45, 'T');
  const QByteArray fields = L3Field("IND", "11") + L3Field("ETT", longTitle) +
                            L3Field("EAR", " Long Artist ") + L3Field("EAL", "Long Album") +
                            L3Field("INF", "Info") + L3Field("AUT", "Writer") +
                            L3Field("LYR", "one\rtwo\r\nthree\r\n") + L3Field("IMG", "pic.jpg||  ");
  for (bool withTag : {true, false}) {
    SCOPED_TRACE(withTag);
    const QByteArray file =
        QByteArray(200, '\x11') + Lyrics3(fields) + (withTag ? Tag("Short", "c", 0, 3) : QByteArray());
    const TID3v1 tag = Read(file);
    EXPECT_EQ(tag.TagFound, withTag);
    EXPECT_TRUE(tag.Lyrics3Found);
    EXPECT_EQ(tag.Lyrics3Size, 11 + fields.size());
    EXPECT_EQ(tag.Title, QString::fromLatin1(longTitle));
    EXPECT_EQ(tag.LongTitle, QString::fromLatin1(longTitle));
    EXPECT_EQ(tag.Artist, "Long Artist");
    EXPECT_TRUE(tag.LongArtist.isEmpty());
    EXPECT_EQ(tag.Album, "Long Album");
    EXPECT_EQ(tag.Comment, "Info");
    EXPECT_EQ(tag.Author, "Writer");
    EXPECT_EQ(tag.Lyrics, "one\r\ntwo\r\nthree");
    EXPECT_EQ(tag.Image, QByteArray("pic.jpg||  "));
    EXPECT_EQ(tag.Track, withTag ? 3 : 0);
  }
}

TEST(ID3v1, Lyrics3SizesThatLie) {
  const QByteArray fields = L3Field("ETT", "Lyrics title");
  const QByteArray tag = Tag("Tag title", "", 0, 0);
  const struct {
    const char* name;
    QByteArray file;
  } cases[] = {
      {"size_beyond_the_file", Lyrics3(fields, "999999") + tag},
      {"size_short_of_the_marker", QByteArray(50, 'x') + Lyrics3(fields, "000010") + tag},
      {"size_not_a_number", Lyrics3(fields, "12a456") + tag},
      {"size_zero", Lyrics3(fields, "000000") + tag},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v1 t = Read(c.file);
    EXPECT_TRUE(t.TagFound);
    EXPECT_FALSE(t.Lyrics3Found);
    EXPECT_EQ(t.Lyrics3Size, 0);
    EXPECT_EQ(t.Title, "Tag title");
  }
  // Without a tag, the last 15 bytes alone: nothing read, nothing found.
  const TID3v1 t = Read("000000LYRICS200");
  EXPECT_FALSE(t.TagFound);
  EXPECT_FALSE(t.Lyrics3Found);
  EXPECT_EQ(t.Lyrics3Size, 0);
}

TEST(ID3v1, Lyrics3FieldsStopInsideTheBlock) {
  const struct {
    const char* name;
    QByteArray fields;
    const char* title;
    const char* artist;
  } cases[] = {
      // The second field claims more bytes than the block holds: it would swallow the
      // trailer and the ID3v1 tag.
      {"field_running_past_the_block", L3Field("EAR", "Who") + "ETT00200abc", "Tag title", "Who"},
      {"unknown_field_ends_the_reading", L3Field("EAR", "Who") + L3Field("XYZ", "?") + L3Field("ETT", "No"),
       "Tag title", "Who"},
      {"size_not_digits", L3Field("EAR", "Who") + "ETT0x003abc", "Tag title", "Who"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TID3v1 t = Read(Lyrics3(c.fields) + Tag("Tag title", "", 0, 0));
    EXPECT_TRUE(t.Lyrics3Found);
    EXPECT_EQ(t.Title, c.title);
    EXPECT_EQ(t.Artist, c.artist);
  }
}

}  // namespace
