// The station player's candidate list and the engine read a playlist through one reader:
// every case runs through both, so they cannot drift apart again.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>

#include <ostream>
#include <string>
#include <vector>

#include "support/qtprint.h"

#include "playback/engine/net/playlistparse.h"
#include "playback/playlistcandidates.h"

namespace {

struct PlaylistCase {
  const char* name;
  TPlaylistKind kind;
  std::string body;
  std::vector<std::string> urls;
};

void PrintTo(const PlaylistCase& c, std::ostream* os) { *os << c.name; }

class PlaylistReading : public ::testing::TestWithParam<PlaylistCase> {};

TEST_P(PlaylistReading, StationAndEngineAgree) {
  const PlaylistCase& c = GetParam();
  QStringList expected;
  for (const std::string& u : c.urls) expected.append(QString::fromStdString(u));
  EXPECT_EQ(PlaylistCandidates(c.kind, QByteArray::fromStdString(c.body)), expected);

  const auto format = c.kind == TPlaylistKind::Pls ? zengine::PlaylistFormat::Pls : zengine::PlaylistFormat::M3u;
  EXPECT_EQ(zengine::ParsePlaylistUrls(c.body, format), c.urls);
  // A body that says what it is reads the same when the engine tells the kind itself.
  if (c.body.starts_with("[playlist]") || c.body.starts_with("#EXTM3U")) {
    EXPECT_EQ(zengine::ParsePlaylistUrls(c.body), c.urls);
  }
}

const PlaylistCase kCases[] = {
    {"PlsBlanksAroundValue", TPlaylistKind::Pls,
     "[playlist]\r\nNumberOfEntries=2\r\nFile1 = http://a.example/1 \r\nFile2=\thttps://a.example/2\t \r\n",
     {"http://a.example/1", "https://a.example/2"}},
    {"PlsKeysInAnyCase", TPlaylistKind::Pls, "[playlist]\nFILE1=http://b/1\nfile2=http://b/2\nFiLe3=http://b/3\n",
     {"http://b/1", "http://b/2", "http://b/3"}},
    {"PlsWithoutItsFirstLine", TPlaylistKind::Pls, "file2=http://b\nTitle1=x\nFILE1=http://a=b\n",
     {"http://b", "http://a=b"}},
    {"PlsOtherSchemesSkipped", TPlaylistKind::Pls,
     "[playlist]\nFile1=ftp://c/\nFile2=relative.mp3\nFile3=rtsp://c/x\nFile4=http://c/ok\n", {"http://c/ok"}},
    {"PlsCarriageReturnsOnly", TPlaylistKind::Pls, "[playlist]\rFile1=http://d/1\rFile2=http://d/2\r",
     {"http://d/1", "http://d/2"}},
    {"M3uTrailingBlanksAndTabs", TPlaylistKind::M3u,
     "#EXTM3U\r\n#EXTINF:-1,Radio\r\nhttp://e.example/s  \t\r\n \thttps://e.example/t \n",
     {"http://e.example/s", "https://e.example/t"}},
    {"SchemesInAnyCase", TPlaylistKind::M3u, "#EXTM3U\nHTTP://f/1\nHttps://f/2\nICY://f/3\n",
     {"HTTP://f/1", "Https://f/2", "http://f/3"}},
    {"IcyBecomesHttp", TPlaylistKind::Pls, "[playlist]\nFile1= icy://g.example:8000/live \n",
     {"http://g.example:8000/live"}},
    {"M3uFileUrlsOfThisMachine", TPlaylistKind::M3u,
     "file://localhost/music/a.mp3\nFILE:///music/b.mp3\nfile://server/share/c.mp3\nfile://LocalHost/d.mp3 \n"
     "file://\nfile:///\n",
     {"file:///music/a.mp3", "file:///music/b.mp3", "file:///d.mp3"}},
    {"PlsFileUrls", TPlaylistKind::Pls,
     "[playlist]\nFile1= file:///srv/x.ogg \nFile2=file://localhost/srv/y.ogg\nFile3=file://nas/z.ogg\n",
     {"file:///srv/x.ogg", "file:///srv/y.ogg"}},
    {"BomAndBlankLines", TPlaylistKind::M3u, "\xef\xbb\xbf#EXTM3U\n\n   \n\t\nhttp://h/1\n", {"http://h/1"}},
    {"NothingUsable", TPlaylistKind::M3u, "<html><body>no list</body></html>", {}},
};

INSTANTIATE_TEST_SUITE_P(Rows, PlaylistReading, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PlaylistCase>& info) { return info.param.name; });

// A body listing more than the cap gives the first 1000 addresses, on both paths.
TEST(PlaylistReadingLimits, AtMostAThousandAddresses) {
  std::string pls = "[playlist]\n";
  std::string m3u = "#EXTM3U\n";
  for (int i = 1; i <= 1500; ++i) {
    pls += "File" + std::to_string(i) + "=http://h/" + std::to_string(i) + "\n";
    m3u += "http://h/" + std::to_string(i) + "\n";
  }
  for (const std::string& body : {pls, m3u}) {
    const bool isPls = body == pls;
    const QStringList candidates =
        PlaylistCandidates(isPls ? TPlaylistKind::Pls : TPlaylistKind::M3u, QByteArray::fromStdString(body));
    ASSERT_EQ(candidates.size(), 1000);
    EXPECT_EQ(candidates.back(), "http://h/1000");
    const auto urls = zengine::ParsePlaylistUrls(body);
    ASSERT_EQ(urls.size(), 1000u);
    EXPECT_EQ(urls.back(), "http://h/1000");
  }
}

}  // namespace
