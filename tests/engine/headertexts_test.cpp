// Response headers and tag texts the engine reads itself: header lines as libcurl hands
// them, the icy-metaint and icy-br numbers, the engine's ID3v1 texts and the title of
// Ogg comments. All from in-memory bytes.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "playback/engine/decode/tagtexts.h"
#include "playback/engine/net/httpdownload.h"
#include "playback/engine/net/httpheaders.h"

namespace {

using namespace zengine;
using namespace std::string_literals;

TEST(HttpHeaders, LinesOfTheLastResponseAreKept) {
  std::vector<std::string> lines;
  for (const char* raw : {"HTTP/1.1 302 Found\r\n", "Location: /live\r\n", "\r\n", "ICY 200 OK\r\n",
                          "icy-name: Caf\xe9\r\n", "Content-Type: Audio/MPEG; charset=x\r\n",
                          "icy-metaint:   8192\r\n", "\r\n"})
    AddHeaderLine(lines, raw);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "ICY 200 OK");
  EXPECT_EQ(HeaderValue(lines, "ICY-NAME"), "Caf\xc3\xa9") << "Windows-1252 read as such";
  EXPECT_EQ(HeaderValue(lines, "location"), "") << "the redirect's headers are gone";
  EXPECT_EQ(ContentTypeOf(HeaderValue(lines, "content-type")), "audio/mpeg");
  EXPECT_EQ(MetaIntervalOf(HeaderValue(lines, "icy-metaint")), 8192u);
  // The status line is no header, and a flood of lines or a giant line is bounded.
  EXPECT_EQ(HeaderValue(lines, "ICY 200 OK"), "");
  for (int i = 0; i < 1000; ++i) AddHeaderLine(lines, "x-filler: " + std::string(10000, 'a'));
  EXPECT_EQ(lines.size(), 200u);
  EXPECT_EQ(lines.back().size(), 4096u);
}

// The numbers are read as their leading digits, as before, but a value of any length
// gives no overflow: beyond the limits there is no interval and no bit rate.
TEST(HttpHeaders, NumbersOfAnyLengthAreBounded) {
  struct Case {
    const char* value;
    size_t interval;
    int64_t bitRate;
  };
  const Case cases[] = {
      {"8192", 8192, 8192000},
      {"128, 128", 128, 128000},
      {" +16000x", 16000, 16000000},
      {"1048576", 1048576, 0},
      {"1048577", 0, 0},
      {"2147484", 0, 0},  // x 1000 once overflowed an int
      {"99999999999999999999999999", 0, 0},
      {"-5", 0, 0},
      {"0", 0, 0},
      {"", 0, 0},
      {"abc", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MetaIntervalOf(c.value), c.interval) << c.value;
    EXPECT_EQ(IcyBitRateOf(c.value), c.bitRate) << c.value;
  }
  EXPECT_EQ(BufferBytesFor(IcyBitRateOf("2147484")), 128u * 1024) << "unknown rate: the default";
}

std::string Id3v1(const std::string& fields, char byte125, char byte126, char genre) {
  std::string tag = "TAG" + fields;
  tag.resize(125, '\0');
  return tag + byte125 + byte126 + genre;
}

TEST(TagTexts, Id3v1FieldsOfTheEngine) {
  std::string fields = "Title" + std::string(25, ' ') + std::string("Artist\0junk", 11);
  fields.resize(60, ' ');
  fields += "Album" + std::string(25, ' ') + "1999" + "Caf\xe9";
  const std::vector<std::string> v11 = Id3v1Texts(Id3v1(fields, '\0', 7, 17));
  const std::vector<std::string> expected = {"title=Title", "artist=Artist", "album=Album", "date=1999",
                                             "comment=Caf\xc3\xa9", "track=7", "genre=17"};
  EXPECT_EQ(v11, expected);
  EXPECT_EQ(Id3v1Texts(Id3v1(fields, 'x', 7, 0)).size(), 6u) << "ID3v1.0: no track";
  EXPECT_TRUE(Id3v1Texts(Id3v1(fields, 0, 0, 0).substr(1)).empty()) << "127 bytes";
  EXPECT_TRUE(Id3v1Texts("TAB" + Id3v1(fields, 0, 0, 0).substr(3)).empty());
  EXPECT_TRUE(Id3v1Texts("").empty());
}

TEST(TagTexts, OggCommentsGiveTheTitle) {
  struct Case {
    std::string block;
    std::string meta;
  };
  const Case cases[] = {
      {"ARTIST=A\0title=T\0\0"s, "StreamTitle='A - T';"},
      {"TITLE=T\0\0"s, "StreamTitle='T';"},
      {"Artist=A\0\0"s, "StreamTitle='A - ';"},
      {"TITLE=old\0TITLE=new\0\0"s, "StreamTitle='new';"},
      {"title\0\0"s, "StreamTitle='title';"},  // no "=": the text is its value
      {"GENRE=Jazz\0\0TITLE=after the end\0\0"s, ""},
      {"TITLE=\0ARTIST=\0\0"s, ""},
      {"TITLE=unended"s, "StreamTitle='unended';"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(StreamTitleFromComments(c.block), c.meta) << c.block;
}

}  // namespace
