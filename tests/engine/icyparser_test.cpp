// The readers of untrusted stream bytes: ICY metadata splitting, Windows-1252 text,
// stream playlists and the proxy text. All from in-memory bytes.
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "playback/engine/net/icyparser.h"
#include "playback/engine/net/playlistparse.h"
#include "playback/engine/net/proxytext.h"
#include "playback/engine/textutil.h"

namespace {

using namespace zengine;

struct Split {
  std::string audio;
  std::vector<std::string> texts;
};

// Feeds `body` in pieces of `piece` bytes (1 = every byte alone).
Split Parse(size_t metaInt, const std::string& body, size_t piece) {
  Split out;
  IcyParser parser(
      metaInt, [&](const char* p, size_t n) { out.audio.append(p, n); return true; },
      [&](const std::string& t) { out.texts.push_back(t); });
  for (size_t at = 0; at < body.size(); at += piece)
    parser.Feed(body.data() + at, std::min(piece, body.size() - at));
  return out;
}

// A metadata block as a server sends it: length byte, text, NUL padding.
std::string Block(const std::string& text) {
  const size_t len = (text.size() + 15) / 16;
  std::string b(1, static_cast<char>(len));
  b += text;
  b.append(len * 16 - text.size(), '\0');
  return b;
}

struct IcyCase {
  const char* name;
  size_t metaInt;
  std::string body;
  std::string audio;
  std::vector<std::string> texts;
};

// Test names and failure messages show the case by its name.
void PrintTo(const IcyCase& c, std::ostream* os) { *os << c.name; }

class IcyParserTest : public ::testing::TestWithParam<IcyCase> {};

TEST_P(IcyParserTest, SplitsAudioAndTextsWhateverThePieceSize) {
  const IcyCase& c = GetParam();
  for (size_t piece : {size_t{1}, size_t{3}, size_t{7}, size_t{4096}}) {
    const Split s = Parse(c.metaInt, c.body, piece);
    EXPECT_EQ(s.audio, c.audio) << "piece " << piece;
    EXPECT_EQ(s.texts, c.texts) << "piece " << piece;
  }
}

const IcyCase kIcyCases[] = {
    {"NoInterval", 0, "abcdef" + Block("x"), "abcdef" + Block("x"), {}},
    {"TwoBlocks", 4,
     "abcd" + Block("StreamTitle='A - B';") + "efgh" + Block("StreamTitle='C';") + "ij",
     "abcdefghij",
     {"StreamTitle='A - B';", "StreamTitle='C';"}},
    {"ZeroLengthMeansNoText", 3, "abc" + std::string(1, '\0') + "def" + std::string(1, '\0') + "g",
     "abcdefg", {}},
    {"GarbageIsNoText", 2,
     "ab" + Block("\xff\xfb\x90StreamTitle='x';") + "cd" + Block("title") + "ef", "abcdef", {}},
    {"OnlyNulsIsNoText", 2, "ab" + std::string(1, '\1') + std::string(16, '\0') + "cd", "abcd", {}},
    {"JunkAfterTheTitleIsKept", 2, "ab" + Block("StreamTitle='X';garbage") + "cd", "abcd",
     {"StreamTitle='X';garbage"}},
    {"TextEndsAtTheFirstNul", 2,
     "ab" + std::string(1, '\2') + "StreamTitle='Y';" + std::string(1, '\0') + "junk" +
         std::string(11, 'z') + "cd",
     "abcd", {"StreamTitle='Y';"}},
    {"ApostropheInsideTheTitle", 2, "ab" + Block("StreamTitle='Rock'n'Roll - Live';") + "cd",
     "abcd", {"StreamTitle='Rock'n'Roll - Live';"}},
    {"Latin1BecomesUtf8", 2, "ab" + Block("StreamTitle='Caf\xe9 \x80';") + "cd", "abcd",
     {"StreamTitle='Caf\xc3\xa9 \xe2\x82\xac';"}},
    {"Utf8StaysAsIs", 2, "ab" + Block("StreamTitle='Caf\xc3\xa9';") + "cd", "abcd",
     {"StreamTitle='Caf\xc3\xa9';"}},
    // The length byte announces 2 x 16 bytes but the server sent 16: the next audio
    // is taken as text. Nothing is read past the body.
    {"LengthLargerThanWhatFollows", 2,
     "ab" + std::string(1, '\2') + "StreamTitle='Z';" + "cdefghijklmnopqr" + "st",
     "abst", {"StreamTitle='Z';cdefghijklmnopqr"}},
    {"BodyEndsInsideABlock", 2, "ab" + std::string(1, '\5') + "StreamTitle='cut", "ab", {}},
};

INSTANTIATE_TEST_SUITE_P(Bytes, IcyParserTest, ::testing::ValuesIn(kIcyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IcyParser, StopsWhenTheAudioSinkRefuses) {
  int calls = 0;
  IcyParser parser(4, [&](const char*, size_t) { return ++calls < 2; }, nullptr);
  const std::string body = "abcd" + Block("StreamTitle='x';") + "efgh";
  EXPECT_FALSE(parser.Feed(body.data(), body.size()));
  EXPECT_EQ(calls, 2);
}

TEST(TextUtil, Utf8CheckAndWindows1252) {
  struct Case {
    std::string in;
    std::string out;
  };
  const Case cases[] = {
      {"plain", "plain"},
      {"\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9"},           // valid UTF-8 kept
      {"\xe9t\xe9", "\xc3\xa9t\xc3\xa9"},                   // Latin-1
      {"\x93quoted\x94", "\xe2\x80\x9cquoted\xe2\x80\x9d"},  // cp1252 quotes
      {"\xc0\xaf", "\xc3\x80\xc2\xaf"},                     // overlong form is not UTF-8
      {"\xed\xa0\x80", "\xc3\xad\xc2\xa0\xe2\x82\xac"},     // a surrogate is not UTF-8
      {"\x81", "\xef\xbf\xbd"},                             // undefined in cp1252
      {"\xe2\x82", "\xc3\xa2\xe2\x80\x9a"},                 // truncated sequence
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(c.in), c.out) << c.in;
}

TEST(TextUtil, TagBlocksEndWithAnEmptyText) {
  EXPECT_EQ(MakeTagBlock({}), "");
  EXPECT_EQ(MakeTagBlock({"a=1", "b=2"}), std::string("a=1\0b=2\0\0", 9));
  EXPECT_EQ(MakeTagBlock({"a", "", "b\0c"}), std::string("a\0b\0\0", 5)) << "no early end";
}

// Texts that are only NUL bytes are skipped wherever they stand, the first one included
// (which once read the last byte of an empty block).
TEST(TextUtil, TagBlocksSkipTextsOfOnlyNuls) {
  const std::string nuls("\0\0", 2);
  EXPECT_EQ(MakeTagBlock({nuls}), "");
  EXPECT_EQ(MakeTagBlock({nuls, "a"}), std::string("a\0\0", 3));
  EXPECT_EQ(MakeTagBlock({"a", nuls, "b"}), std::string("a\0b\0\0", 5));
  EXPECT_EQ(MakeTagBlock({std::string("x\0y", 3)}), std::string("xy\0\0", 4)) << "NULs inside are dropped";
}

TEST(Playlists, DetectionAndAddresses) {
  struct Case {
    const char* name;
    std::string body;
    bool playlist;
    std::vector<std::string> urls;
  };
  const Case cases[] = {
      {"Pls",
       "[playlist]\r\nNumberOfEntries=2\r\nFile1=http://a.example/1\r\nTitle1=x\r\n"
       "File2=https://b.example/2\r\n",
       true, {"http://a.example/1", "https://b.example/2"}},
      {"PlsLowerCaseAndSpaces", "  [Playlist]\nfile1 = http://c.example/ \n", true,
       {"http://c.example/"}},
      {"M3u", "#EXTM3U\n#EXTINF:-1,Radio\nhttp://d.example/s\n\nicy://e.example/t\n", true,
       {"http://d.example/s", "http://e.example/t"}},
      {"BareUrl", "\xef\xbb\xbfhttp://f.example/live\n", true, {"http://f.example/live"}},
      {"Mp3Bytes", std::string("\xff\xfb\x90\x64\0\0http://", 12), false, {}},
      {"Html", "<html><body>http://x</body></html>", false, {}},
      {"PlsWithoutStreams", "[playlist]\nFile1=ftp://g.example/\nFile2=/local/file\n", true, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LooksLikePlaylist(c.body), c.playlist) << c.name;
    if (c.playlist) {
      EXPECT_EQ(ParsePlaylistUrls(c.body), c.urls) << c.name;
    }
  }
}

TEST(ProxyText, AnyPartMayBeEmpty) {
  struct Case {
    std::string text;
    ProxySetting expected;
  };
  const Case cases[] = {
      {"user:pass@proxy.example:3128", {"proxy.example", 3128, "user", "pass"}},
      {":@proxy.example:8080", {"proxy.example", 8080, "", ""}},
      {"user:@host:", {"host", 0, "user", ""}},
      {"u:p@word@host:1", {"host", 1, "u", "p@word"}},
      {"host:99999", {"host", 0, "", ""}},
      {"host:80x", {"host", 0, "", ""}},
      {"user:pass@:8080", {"", 8080, "user", "pass"}},
      {"[::1]:3128", {"[::1]", 3128, "", ""}},
      {"", {"", 0, "", ""}},
  };
  for (const auto& c : cases) {
    const ProxySetting p = ParseProxyText(c.text);
    EXPECT_EQ(p.host, c.expected.host) << c.text;
    EXPECT_EQ(p.port, c.expected.port) << c.text;
    EXPECT_EQ(p.user, c.expected.user) << c.text;
    EXPECT_EQ(p.password, c.expected.password) << c.text;
  }
}

// A port written outside 1-65535 (or not a number) is an error, however many digits it
// has; no port at all means the usual one.
TEST(ProxyText, PortOutsideTheRangeIsAnError) {
  struct Case {
    std::string text;
    bool valid;
    int port;
  };
  const Case cases[] = {
      {"host:99999999999", false, 0},
      {"host:99999999999999999999999", false, 0},
      {"u:p@host:4294967297", false, 0},
      {"host:65536", false, 0},
      {"host:0", false, 0},
      {"host:00000", false, 0},
      {"host:-1", false, 0},
      {"host:80x", false, 0},
      {"[::1]:123456", false, 0},
      {"host:65535", true, 65535},
      {"host: 3128 ", true, 3128},
      {"host:00080", true, 80},
      {"host:", true, 0},
      {"host", true, 0},
      {"", true, 0},
  };
  for (const auto& c : cases) {
    const ProxySetting p = ParseProxyText(c.text);
    EXPECT_EQ(p.portValid, c.valid) << c.text;
    EXPECT_EQ(p.port, c.port) << c.text;
    if (c.text.find("host") != std::string::npos) {
      EXPECT_EQ(p.host, "host") << c.text;
    }
  }
}

}  // namespace
