// TAPETag: footer placement, items, caps and text decoding, from inline bytes.
#include <gtest/gtest.h>

#include "tags/apetag.h"
#include "tags/memorysource.h"
#include "tagbytes.h"

using namespace tagbytes;

namespace {

QByteArray Item(const QByteArray& key, const QByteArray& value, uint32_t declaredSize = UINT32_MAX) {
  return LE32(declaredSize == UINT32_MAX ? value.size() : declaredSize) + LE32(0) + key +
         QByteArray(1, 0) + value;
}

// Items then the footer; `count` and `size` override the footer's fields.
QByteArray Ape(const QByteArray& items, int count, int64_t size = -1, uint32_t version = 2000) {
  return items + "APETAGEX" + LE32(version) + LE32(size < 0 ? items.size() + 32 : uint32_t(size)) +
         LE32(count) + LE32(0) + QByteArray(8, 0);
}

const QByteArray kAudio(400, '\x33');
const QByteArray kID3v1 = "TAG" + QByteArray(125, ' ');

TAPETag Read(const QByteArray& bytes) {
  TAPETag tag;
  EXPECT_TRUE(tag.ReadTag(TMemorySource(bytes)));
  return tag;
}

TEST(APETag, FooterPlaces) {
  const QByteArray items = Item("Artist", "Someone") + Item("Title", "Song");
  const struct {
    const char* name;
    QByteArray file;
    bool found;
  } cases[] = {
      {"at_the_end", kAudio + Ape(items, 2), true},
      {"before_an_id3v1_tag", kAudio + Ape(items, 2) + kID3v1, true},
      {"at_the_start_only", Ape(items, 2) + kAudio, false},
      {"with_a_header_in_front", kAudio + "APETAGEX" + QByteArray(24, 0) + Ape(items, 2), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TAPETag tag = Read(c.file);
    EXPECT_EQ(tag.TagFound, c.found);
    EXPECT_EQ(tag.ItemValue("artist"), c.found ? "Someone" : "");
    EXPECT_EQ(tag.ItemValue("TITLE"), c.found ? "Song" : "");
  }
  const TAPETag tag = Read(kAudio + Ape(items, 2, -1, 1000));
  EXPECT_EQ(tag.TagVersion, 1000);
  EXPECT_EQ(tag.TagSize, items.size() + 32);
  ASSERT_EQ(tag.Items.size(), 2);
  EXPECT_EQ(tag.Items[0].Name, "Artist");
}

TEST(APETag, Values) {
  const struct {
    const char* name;
    QByteArray value;
    QString expected;
  } cases[] = {
      {"utf8_decoded", "\xc3\xa9t\xc3\xa9", QString::fromUtf8("été")},  // mend: no code page
      {"four_byte_utf8", "\xf0\x9f\x8e\xb5", QString::fromUtf8("🎵")},
      {"not_utf8_is_windows_1252", "caf\xe9", QString::fromUtf8("café")},
      {"trimmed", "  padded \0\0", "padded"},
      {"cut_to_250_bytes", QByteArray(300, 'v'), QString(250, 'v')},
      {"character_cut_at_250_dropped", QByteArray(249, 'v') + "\xc3\xa9", QString(249, 'v')},
      {"empty", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TAPETag tag = Read(kAudio + Ape(Item("Comment", c.value) + Item("Next", "after"), 2));
    EXPECT_EQ(tag.ItemValue("Comment"), c.expected);
    EXPECT_EQ(tag.ItemValue("Next"), "after");
  }
  const TAPETag twice = Read(kAudio + Ape(Item("Album", "First") + Item("ALBUM", "Second"), 2));
  EXPECT_EQ(twice.ItemValue("album"), "First");
}

TEST(APETag, ForgedSizesStopCleanly) {
  const QByteArray good = Item("Artist", "A");
  const struct {
    const char* name;
    QByteArray file;
    int items;
  } cases[] = {
      {"count_larger_than_items", kAudio + Ape(good, 1000000), 1},
      {"count_of_4_billion", kAudio + Ape(good, -1), 1},
      {"value_size_of_2_31", kAudio + Ape(good + Item("Title", "x", 0x80000000u), 2), 1},
      {"value_size_past_the_footer", kAudio + Ape(good + Item("Title", "x", 5000), 2), 1},
      {"key_without_end", kAudio + Ape(good + LE32(1) + LE32(0) + "Title", 2), 1},
      {"tag_size_larger_than_file", kAudio + Ape(good, 1, 100000), 0},
      {"tag_size_smaller_than_footer", kAudio + Ape(good, 1, 10), 0},
      {"zero_items", kAudio + Ape({}, 0), 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TAPETag tag = Read(c.file);
    EXPECT_TRUE(tag.TagFound);
    EXPECT_EQ(tag.Items.size(), c.items);
  }
}

TEST(APETag, NoTag) {
  TAPETag tag;
  EXPECT_FALSE(tag.ReadTag(TMemorySource(QByteArray(32, 'x'))));  // 33 bytes needed
  EXPECT_TRUE(tag.ReadTag(TMemorySource(QByteArray(33, 'x'))));
  EXPECT_FALSE(tag.TagFound);
  EXPECT_FALSE(tag.ReadTag(QStringLiteral("/nonexistent/file.ape")));
  EXPECT_TRUE(Read(kAudio + kID3v1).Items.isEmpty());
}

}  // namespace
