// HLS live streams against a real HTTP server started here (hlsserver.py, fed with
// segments cut from a tone that ffmpeg encodes): MPEG-TS with timed ID3 and packed AAC
// with an ID3 tag per segment, a master playlist, a playlist that stops moving and
// segments that are missing.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "eventually.h"
#include "playback/engine/engine.h"
#include "support/hlsstream.h"
#include "support/icecast.h"
#include "support/proxychild.h"
#include "tagblock.h"
#include "tempfolder.h"

namespace {

using namespace zengine;
using namespace std::chrono_literals;
using ztest::Eventually;
using ztest::HasText;
using ztest::HlsStream;

// Power of `hz` in `n` frames of the left channel from frame `from` (Goertzel),
// normalised to the amplitude.
double ToneLevel(const std::vector<float>& left, size_t from, size_t n, double hz, int rate) {
  const double w = 2 * M_PI * hz / rate, c = 2 * std::cos(w);
  double a = 0, b = 0;
  for (size_t i = from; i < from + n && i < left.size(); ++i) {
    const double x = left[i] + c * a - b;
    b = a;
    a = x;
  }
  return 2 * std::sqrt(std::max(0.0, a * a + b * b - c * a * b)) / static_cast<double>(n);
}

// What a channel gave: the left channel of every decoded block, and each title with
// the heard position (seconds) when its sync came.
struct Capture {
  std::mutex mutex;
  std::vector<float> left;
  int rate = 0;
  std::vector<std::pair<std::string, double>> titles;

  void Attach(Handle h) {
    ChannelSetDSP(h, [this](const float* s, size_t frames, int channels, int r) {
      std::lock_guard<std::mutex> lock(mutex);
      rate = r;
      for (size_t i = 0; i < frames; ++i) left.push_back(s[i * channels]);
    });
    ChannelSetSync(h, kSyncMeta, [this](Handle c, const std::string& text) {
      const double heard = ChannelBytes2Seconds(c, ChannelGetPosition(c));
      std::lock_guard<std::mutex> lock(mutex);
      titles.emplace_back(text, heard);
    });
  }
  bool Has(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& t : titles)
      if (t.first == text) return true;
    return false;
  }
  // Seconds into the sound where `hz` first holds for 100 ms after `from` seconds; -1 if never.
  double ToneStart(double hz, double from) {
    std::lock_guard<std::mutex> lock(mutex);
    const size_t win = static_cast<size_t>(rate / 100);
    for (size_t at = static_cast<size_t>(from * rate); at + 10 * win <= left.size(); at += win) {
      bool all = true;
      for (size_t k = 0; k < 10 && all; ++k) all = ToneLevel(left, at + k * win, win, hz, rate) > 0.05;
      if (all) return static_cast<double>(at) / rate;
    }
    return -1;
  }
};

class HlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Init(-1, 44100, OutputKind::Null));
    SetProxy("");
  }
  void TearDown() override {
    if (IsInitialised()) Free();
  }
};

struct FormCase {
  const char* name;
  HlsStream::Form form;
  HlsStream::Tagging tagging;
  uint32_t type;
};
void PrintTo(const FormCase& c, std::ostream* os) { *os << c.name; }

class HlsFormTest : public HlsTest, public ::testing::WithParamInterface<FormCase> {};

// Three titles, every segment naming its title again: the first is the connection's,
// each later one is raised once, when its tone is heard (within 150 ms); the stream's
// information and its bit rate are known.
TEST_P(HlsFormTest, PlaysAndRaisesEachTitleWhenItsSoundIsHeard) {
  const FormCase& c = GetParam();
  const std::vector<HlsStream::Title> titles = {
      {"Zova", "Premier", 440, 3}, {"Zova", "Deuxième été", 1000, 3}, {"Zova", "Troisième", 660, 6}};
  HlsStream stream;
  std::string error;
  ASSERT_TRUE(stream.Start({c.form, c.tagging, titles, {}}, &error)) << error;
  const Handle h = StreamCreateURL(stream.Url());
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, c.type);
  EXPECT_EQ(info.freq, 48000);
  EXPECT_EQ(info.chans, 2);
  EXPECT_EQ(ChannelGetLength(h), -1);
  // The bit rate measured on the first second: 128 kbit/s with the frames' headers.
  const std::string http = ChannelGetTags(h, kTagHttp);
  const size_t br = http.find("icy-br:");
  ASSERT_NE(br, std::string::npos) << http;
  const int kbps = std::atoi(http.c_str() + br + 7);
  EXPECT_TRUE(kbps >= 115 && kbps <= 145) << kbps;
  EXPECT_NE(StreamGetFilePosition(h, 2), -1);
  // The first title is known when the stream opens, as an ICY station's is.
  EXPECT_TRUE(HasText(ChannelGetTags(h, kTagMeta), HlsStream::StreamTitle(titles[0])))
      << ChannelGetTags(h, kTagMeta);

  Capture capture;
  capture.Attach(h);
  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_TRUE(Eventually([&] { return capture.Has(HlsStream::StreamTitle(titles[2])); }, 40s));
  ChannelStop(h);
  StreamFree(h);

  std::vector<std::pair<std::string, double>> got;
  {
    std::lock_guard<std::mutex> lock(capture.mutex);
    got = capture.titles;
  }
  // The connection's title, then each change once though every segment repeats it.
  got.insert(got.begin(), {HlsStream::StreamTitle(titles[0]), 0.0});
  ASSERT_EQ(got.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(got[i].first, HlsStream::StreamTitle(titles[i])) << i;
  // Title 2 and 3 against their tones in what was decoded.
  const double second = capture.ToneStart(1000, 0);
  const double third = capture.ToneStart(660, second);
  ASSERT_GT(second, 0);
  ASSERT_GT(third, second);
  std::printf("title 2 at %.3f s (sound %.3f s), title 3 at %.3f s (sound %.3f s)\n", got[1].second, second,
              got[2].second, third);
  EXPECT_NEAR(got[1].second, second, 0.15) << "title 2 raised at " << got[1].second << " s, sound at " << second;
  EXPECT_NEAR(got[2].second, third, 0.15) << "title 3 raised at " << got[2].second << " s, sound at " << third;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, HlsFormTest,
    ::testing::Values(FormCase{"TsWithTimedId3", HlsStream::Form::Ts, HlsStream::Tagging::Id3Frames, kTypeAac},
                      FormCase{"PackedAacWithId3", HlsStream::Form::PackedAac, HlsStream::Tagging::Id3Frames,
                               kTypeAac},
                      FormCase{"PackedMp3WithId3", HlsStream::Form::PackedMp3, HlsStream::Tagging::Id3Frames,
                               kTypeMp3},
                      FormCase{"TsWithTxxxStreamTitle", HlsStream::Form::Ts, HlsStream::Tagging::TxxxStreamTitle,
                               kTypeAac}),
    [](const ::testing::TestParamInfo<FormCase>& i) { return std::string(i.param.name); });

}  // namespace

namespace {

std::vector<HlsStream::Title> ToneTitles(int segments) {
  return {{"Zova", "Long", 440, segments}};
}

int Count(const std::vector<std::string>& requests, const std::string& path) {
  return static_cast<int>(std::count(requests.begin(), requests.end(), path));
}

// A master playlist with a low, a fitting and a video variant: the fitting audio one
// plays (the others do not exist on the server), with its bit rate.
TEST_F(HlsTest, MasterPlaylistPlaysTheVariantThatFits) {
  HlsStream stream;
  std::string error;
  ASSERT_TRUE(stream.Start({HlsStream::Form::Ts, HlsStream::Tagging::Id3Frames, ToneTitles(12), {}}, &error))
      << error;
  const Handle h = StreamCreateURL(stream.Url("master.m3u8"));
  ASSERT_NE(h, 0u) << ErrorGetCode();
  Capture capture;
  capture.Attach(h);
  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_TRUE(Eventually([&] { return ChannelBytes2Seconds(h, ChannelGetPosition(h)) > 2.5; }, 20s));
  EXPECT_GT(capture.ToneStart(440, 0), -1);
  StreamFree(h);
  const auto requests = stream.Requests();
  EXPECT_GE(Count(requests, "/live.m3u8"), 1);
  EXPECT_EQ(Count(requests, "/low.m3u8"), 0);
  EXPECT_EQ(Count(requests, "/video.m3u8"), 0);
}

// The ways a live stream goes wrong: the stream ends (the download reported ended, the
// end sync raised) after the sound it had, or goes on when the server recovers.
struct FailureCase {
  const char* name;
  std::vector<std::string> serverArgs;
  bool ends;
  const char* retried;  // a request that must have been made more than once, or null
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class HlsFailureTest : public HlsTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(HlsFailureTest, EndsOrGoesOnAsTheServerDoes) {
  const FailureCase& c = GetParam();
  HlsStream stream;
  std::string error;
  ASSERT_TRUE(stream.Start({HlsStream::Form::Ts, HlsStream::Tagging::Id3Frames, ToneTitles(20), c.serverArgs},
                           &error))
      << error;
  const Handle h = StreamCreateURL(stream.Url());
  ASSERT_NE(h, 0u) << ErrorGetCode();
  std::atomic<bool> ended{false};
  ChannelSetSync(h, kSyncEnd, [&](Handle, const std::string&) { ended = true; });
  ASSERT_TRUE(ChannelPlay(h, false));
  if (c.ends) {
    EXPECT_TRUE(Eventually([&] { return StreamGetFilePosition(h, 2) == -1; }, 40s)) << "never reported ended";
    EXPECT_TRUE(Eventually([&] { return ended.load(); }, 10s)) << "no end sync";
    // What came before the failure was heard.
    EXPECT_GT(ChannelBytes2Seconds(h, ChannelGetPosition(h)), 5.0);
  } else {
    EXPECT_TRUE(Eventually([&] { return ChannelBytes2Seconds(h, ChannelGetPosition(h)) > 16.0; }, 40s))
        << ChannelBytes2Seconds(h, ChannelGetPosition(h));
    EXPECT_NE(StreamGetFilePosition(h, 2), -1);
    EXPECT_FALSE(ended.load());
  }
  StreamFree(h);
  if (c.retried) EXPECT_GE(Count(stream.Requests(), c.retried), 2) << c.retried;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, HlsFailureTest,
    ::testing::Values(FailureCase{"PlaylistStopsMoving", {"--stall-after", "4"}, true, nullptr},
                      FailureCase{"SegmentMissingForGood", {"--missing", "5"}, true, "/seg/s5.ts"},
                      FailureCase{"SegmentMissingOnce", {"--missing", "5:1"}, false, "/seg/s5.ts"}),
    [](const ::testing::TestParamInfo<FailureCase>& i) { return std::string(i.param.name); });

}  // namespace

namespace {

// Fragmented MP4 segments (an initialisation section, then fragments): the sound plays.
TEST_F(HlsTest, FragmentedMp4SegmentsPlay) {
  HlsStream stream;
  std::string error;
  ASSERT_TRUE(stream.Start({HlsStream::Form::Fmp4, HlsStream::Tagging::Id3Frames, ToneTitles(10), {}}, &error))
      << error;
  const Handle h = StreamCreateURL(stream.Url());
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.freq, 48000);
  EXPECT_EQ(info.chans, 2);
  Capture capture;
  capture.Attach(h);
  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_TRUE(Eventually([&] { return ChannelBytes2Seconds(h, ChannelGetPosition(h)) > 5.0; }, 20s));
  StreamFree(h);
  EXPECT_GT(capture.ToneStart(440, 0), -1) << "the tone was not decoded";
  EXPECT_GE(Count(stream.Requests(), "/seg/init.mp4"), 1);
}

// Through a proxy asking for a password: the playlists and every segment go through it
// (its log names each one); a wrong password is refused at the first request.
TEST_F(HlsTest, PlaysThroughAProxyWithBasicAuthentication) {
  HlsStream stream;
  std::string error;
  ASSERT_TRUE(stream.Start({HlsStream::Form::Ts, HlsStream::Tagging::Id3Frames,
                            {{"Zova", "Par le proxy", 440, 3}, {"Zova", "Toujours", 1000, 8}}, {}},
                           &error))
      << error;
  ztest::TempFolder dir;
  ztest::ChildProcess proxy;
  const int proxyPort = ztest::Icecast::FreePort();
  ASSERT_TRUE(ztest::StartTinyproxy(proxy, dir.Path(), proxyPort, "Info"));
  const std::string hostPort = "127.0.0.1:" + std::to_string(proxyPort);
  ASSERT_TRUE(Eventually([&] {
    return ztest::Icecast::RunProgram({"curl", "-s", "-o", "/dev/null", "http://" + hostPort + "/"}, nullptr,
                                      2000) == 0;
  }, 10s));
  const auto proxied = [&](const std::string& path) {
    std::ifstream in(dir.File("tinyproxy.log"));
    std::string line;
    int n = 0;
    while (std::getline(in, line))
      if (line.find("GET ") != std::string::npos && line.find(path) != std::string::npos) ++n;
    return n;
  };

  SetProxy("zova:wrong@" + hostPort);
  EXPECT_EQ(StreamCreateURL(stream.Url()), 0u) << "a refused proxy lets nothing through";

  SetProxy("zova:s3cret@" + hostPort);
  const Handle h = StreamCreateURL(stream.Url());
  ASSERT_NE(h, 0u) << ErrorGetCode();
  Capture capture;
  capture.Attach(h);
  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_TRUE(Eventually([&] { return capture.Has("StreamTitle='Zova - Toujours';"); }, 40s));
  StreamFree(h);
  SetProxy("");
  EXPECT_GT(capture.ToneStart(1000, 0), -1) << "the second title's sound was not decoded";
  // Every playlist and segment the server served was asked through the proxy.
  for (const std::string& path : stream.Requests()) {
    if (path.find(".m3u8") == std::string::npos && path.find("/seg") == std::string::npos) continue;
    EXPECT_GE(proxied(path), 1) << path << " did not go through the proxy";
  }
  EXPECT_GE(proxied("/seg"), 3);
}

// HTTPS: the playlist and every segment over TLS, certificates verified as for other
// streams (CURL_CA_BUNDLE names the authority to trust).
TEST_F(HlsTest, HttpsPlaysWithAVerifiedCertificate) {
  char pattern[] = "/tmp/zovalis-tls-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  const std::string cert = folder + "/cert.pem";
  const std::string key = folder + "/key.pem";
  const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                              "-addext subjectAltName=IP:127.0.0.1 -keyout " + key + " -out " + cert +
                              " >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  HlsStream stream;
  std::string error;
  ASSERT_TRUE(stream.Start({HlsStream::Form::PackedAac, HlsStream::Tagging::Id3Frames,
                            {{"Zova", "Sûr", 440, 4}, {"Zova", "Chiffré", 1000, 8}},
                            {"--tls", cert, key}},
                           &error))
      << error;
  unsetenv("CURL_CA_BUNDLE");
  EXPECT_EQ(StreamCreateURL(stream.Url()), 0u) << "a self-signed certificate is refused";
  setenv("CURL_CA_BUNDLE", cert.c_str(), 1);
  const Handle h = StreamCreateURL(stream.Url());
  ASSERT_NE(h, 0u) << ErrorGetCode();
  Capture capture;
  capture.Attach(h);
  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_TRUE(Eventually([&] { return capture.Has("StreamTitle='Zova - Chiffré';"); }, 30s));
  StreamFree(h);
  unsetenv("CURL_CA_BUNDLE");
  std::filesystem::remove_all(folder);
}

}  // namespace
