// The hand-made fixture files (tests/fixtures/tags), read by path: each quirk ends in a
// clean result.
#include <gtest/gtest.h>

#include "tags/apetag.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/oggvorbis.h"
#include "tags/songinfo.h"
#include "tags/wmafile.h"

namespace {

QString Fixture(const char* name) { return QStringLiteral(ZOVALIS_TAG_FIXTURES "/") + QLatin1String(name); }

TEST(TagFixtures, Lyrics3SizeLies) {
  TID3v1 tag;
  EXPECT_TRUE(tag.ReadTag(Fixture("lyrics3-size-lies.mp3")));
  EXPECT_TRUE(tag.TagFound);
  EXPECT_FALSE(tag.Lyrics3Found);
  EXPECT_EQ(tag.Lyrics3Size, 0);
  EXPECT_EQ(tag.Title, "Title v1");
  EXPECT_EQ(tag.Track, 5);
  EXPECT_EQ(tag.Genre(), "Rock");
}

TEST(TagFixtures, ID3v2LargerThanFile) {
  TID3v2 tag;
  EXPECT_TRUE(tag.ReadTag(Fixture("id3v2-larger-than-file.mp3"), true));
  EXPECT_TRUE(tag.TagFound);
  EXPECT_EQ(tag.TagSize, 0);
  EXPECT_TRUE(tag.Title.isEmpty());
  // The song information keeps the empty tag: an ID3v2 tag hides any ID3v1 tag.
  TSongInfo info;
  info.ReadSongInfo(Fixture("id3v2-larger-than-file.mp3"), false, false);
  EXPECT_TRUE(info.HasTag);
  EXPECT_TRUE(info.Title.isEmpty());
  EXPECT_EQ(info.BitRate, "");
}

TEST(TagFixtures, AsfTruncatedHeader) {
  TWMAfile wma;
  EXPECT_FALSE(wma.ReadTag(Fixture("asf-truncated-header.wma")));
  EXPECT_FALSE(wma.ValidFile);
  EXPECT_TRUE(wma.Title.isEmpty());
  TSongInfo info;
  info.ReadSongInfo(Fixture("asf-truncated-header.wma"), false, false);
  EXPECT_FALSE(info.HasTag);
  EXPECT_EQ(info.BitRate, "???");
}

TEST(TagFixtures, OggWithoutCommentPage) {
  TOggVorbis ogg;
  EXPECT_TRUE(ogg.ReadTag(Fixture("ogg-no-comment-page.ogg")));
  EXPECT_TRUE(ogg.ValidFile());
  EXPECT_TRUE(ogg.Title.isEmpty());
  EXPECT_EQ(ogg.SampleCount, 88200);
  TSongInfo info;
  info.ReadSongInfo(Fixture("ogg-no-comment-page.ogg"), false, false);
  EXPECT_TRUE(info.HasTag);
  EXPECT_EQ(info.Track, "00");
}

TEST(TagFixtures, ApeItemSize2GB) {
  TAPETag ape;
  EXPECT_TRUE(ape.ReadTag(Fixture("ape-item-size-2gb.ape")));
  EXPECT_TRUE(ape.TagFound);
  ASSERT_EQ(ape.Items.size(), 1);
  EXPECT_EQ(ape.ItemValue("title"), "Kept!");
  EXPECT_TRUE(ape.ItemValue("artist").isEmpty());
}

}  // namespace
