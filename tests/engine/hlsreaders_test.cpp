// The readers of untrusted HLS bytes: the ID3 tags that carry titles, and the master
// playlist's variants.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "playback/engine/decode/id3frames.h"
#include "playback/engine/net/hlsplaylist.h"

namespace {

using namespace zengine;

std::string SyncSafe(size_t n) {
  std::string s(4, '\0');
  for (int i = 3; i >= 0; --i, n >>= 7) s[i] = static_cast<char>(n & 0x7f);
  return s;
}
std::string Be32(size_t n) {
  return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
}
std::string F4(const std::string& id, const std::string& data) { return id + SyncSafe(data.size()) + std::string(2, '\0') + data; }
std::string F3(const std::string& id, const std::string& data) { return id + Be32(data.size()) + std::string(2, '\0') + data; }
std::string Tag(char major, const std::string& frames, char flags = 0) {
  return std::string("ID3") + major + '\0' + flags + SyncSafe(frames.size()) + frames;
}
std::string Bytes(const char* s, size_t n) { return std::string(s, n); }

struct Id3Case {
  const char* name;
  std::string tag;
  std::string expected;  // Id3StreamTitle
  int64_t timestamp;
};

TEST(Id3Frames, ReadsTheTitleFormsBroadcastersUse) {
  const std::string priv = "com.apple.streaming.transportStreamTimestamp" + Bytes("\0\0\0\0\0\0\x01\x5f\x90", 9);
  const std::vector<Id3Case> cases = {
      {"v2.4 artist and title in UTF-8", Tag(4, F4("TPE1", "\x03Zova") + F4("TIT2", "\x03" "Été")),
       "StreamTitle='Zova - Été';", -1},
      {"v2.3 UTF-16 with a byte-order mark", Tag(3, F3("TIT2", Bytes("\x01\xff\xfeS\0o\0n\0g\0", 11))),
       "StreamTitle='Song';", -1},
      {"v2.3 Latin-1", Tag(3, F3("TPE1", Bytes("\0Caf\xe9", 5))), "StreamTitle='Café';", -1},
      {"UTF-16 big-endian", Tag(4, F4("TIT2", Bytes("\x02\0A\0B", 5))), "StreamTitle='AB';", -1},
      {"TXXX StreamTitle", Tag(4, F4("TXXX", Bytes("\x03StreamTitle\0Zova - Live", 24))),
       "StreamTitle='Zova - Live';", -1},
      {"TXXX title and artist", Tag(4, F4("TXXX", Bytes("\x03title\0T", 9)) + F4("TXXX", Bytes("\x03" "artist\0A", 10))),
       "StreamTitle='A - T';", -1},
      {"PRIV holding an ICY text", Tag(4, F4("PRIV", Bytes("owner\0StreamTitle='X - Y';", 26))),
       "StreamTitle='X - Y';", -1},
      {"segment timestamp with the title", Tag(4, F4("PRIV", priv) + F4("TIT2", "\x03T")), "StreamTitle='T';", 90000},
      {"timestamp alone", Tag(4, F4("PRIV", priv)), "", 90000},
      {"v2.2 frames", Tag(2, "TT2" + Bytes("\0\0\x03", 3) + Bytes("\0Hi", 3)), "StreamTitle='Hi';", -1},
      {"frame larger than the tag", Tag(4, F4("TIT2", "\x03T").substr(0, 10) + "\x03"), "", -1},
      {"unknown text encoding", Tag(4, F4("TIT2", "\x07T")), "", -1},
      {"padding after the frames", Tag(4, F4("TIT2", "\x03T") + std::string(20, '\0')), "StreamTitle='T';", -1},
      {"unsynchronised v2.3", Tag(3, F3("TIT2", Bytes("\x03\xff\0X", 4)), '\x80'), "", -1},
      {"header only", Tag(4, ""), "", -1},
  };
  for (const Id3Case& c : cases) {
    Id3Info info;
    EXPECT_TRUE(ParseId3(c.tag, &info)) << c.name;
    EXPECT_EQ(Id3StreamTitle(info), c.expected) << c.name;
    EXPECT_EQ(info.timestamp, c.timestamp) << c.name;
  }
}

TEST(Id3Frames, RejectsWhatIsNoTagAndSurvivesEveryCut) {
  Id3Info info;
  EXPECT_FALSE(ParseId3("", &info));
  EXPECT_FALSE(ParseId3("ID3", &info));
  EXPECT_FALSE(ParseId3(Bytes("ID3\x05\0\0\0\0\0\0", 10), &info)) << "unknown major version";
  EXPECT_FALSE(ParseId3(Bytes("ID3\x04\0\0\x80\0\0\0", 10), &info)) << "size not sync-safe";
  const std::string tag = Tag(4, F4("TPE1", "\x03Zova") + F4("TXXX", Bytes("\x01\xff\xfeT\0\0\0", 7)) +
                                     F4("PRIV", "com.apple.streaming.transportStreamTimestamp"));
  for (size_t n = 0; n <= tag.size(); ++n) {
    Id3Info cut;
    ParseId3(tag.substr(0, n), &cut);  // never reads past the bytes given
  }
}

struct VariantCase {
  const char* name;
  std::string body;
  std::string expected;
  int64_t bandwidth;
};

TEST(HlsPlaylist, ChoosesTheVariantThatFitsAudioFirst) {
  const std::string base = "https://radio.example/live/master.m3u8?token=1";
  const std::vector<VariantCase> cases = {
      {"media playlist plays as it is", "#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\na.ts\n", base, 0},
      {"highest that fits",
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000\nlow.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=320000\nhi.m3u8\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=900000\nhuge.m3u8\n",
       "https://radio.example/live/hi.m3u8", 320000},
      {"audio-only before a video variant that fits",
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=400000,RESOLUTION=320x180\nv.m3u8\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=96000,CODECS=\"mp4a.40.5\"\n/abs/a.m3u8\n",
       "https://radio.example/abs/a.m3u8", 96000},
      {"nothing fits: the lowest",
       "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=2000000\nb.m3u8\n#EXT-X-STREAM-INF:BANDWIDTH=800000\nc.m3u8\n",
       "https://radio.example/live/c.m3u8", 800000},
      {"video only: its audio rendition",
       "#EXTM3U\n#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"x\",DEFAULT=YES,URI=\"//cdn.example/aud.m3u8\"\n"
       "#EXT-X-STREAM-INF:BANDWIDTH=3000000,CODECS=\"avc1.64001f,mp4a.40.2\",AUDIO=\"aud\"\nv.m3u8\n",
       "https://cdn.example/aud.m3u8", 3000000},
      {"quoted codecs with commas",
       "#EXTM3U\n#EXT-X-STREAM-INF:CODECS=\"mp4a.40.2,avc1.4d\",BANDWIDTH=100000\nv.m3u8\n"
       "#EXT-X-STREAM-INF:CODECS=\"mp4a.40.2\",BANDWIDTH=50000\na.m3u8\n",
       "https://radio.example/live/a.m3u8", 50000},
      {"absolute variant address", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nhttp://other/x.m3u8\n",
       "http://other/x.m3u8", 1},
      {"master without addresses", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\n", "", 0},
  };
  for (const VariantCase& c : cases) {
    int64_t bandwidth = -1;
    EXPECT_EQ(ChooseHlsVariant(c.body, base, &bandwidth), c.expected) << c.name;
    EXPECT_EQ(bandwidth, c.bandwidth) << c.name;
  }
}

TEST(HlsPlaylist, TellsHlsFromPlainM3u) {
  EXPECT_TRUE(IsHlsPlaylist("#EXTM3U\n#EXT-X-TARGETDURATION:10\n"));
  EXPECT_TRUE(IsHlsPlaylist("\xEF\xBB\xBF#EXTM3U\r\n#EXT-X-STREAM-INF:BANDWIDTH=1\r\na.m3u8\r\n"));
  EXPECT_FALSE(IsHlsPlaylist("#EXTM3U\n#EXTINF:-1,Radio\nhttp://radio.example/stream\n"));
  EXPECT_FALSE(IsHlsPlaylist("http://radio.example/stream\n"));
  EXPECT_FALSE(IsHlsPlaylist(""));
}

}  // namespace
