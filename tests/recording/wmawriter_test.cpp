// The WMA writer through the engine's calls: rate lists, tags, files ffprobe reads, and
// a write racing the close (the recorder closes the writer before it unhooks the feed).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "mediaprobe.h"
#include "playback/engine/engine.h"
#include "synthpcm.h"

namespace {

struct RatesCase {
  const char* name;
  int freq;
  int chans;
  bool offered;
};

void PrintTo(const RatesCase& c, std::ostream* os) { *os << c.name; }

class WmaRatesTest : public testing::TestWithParam<RatesCase> {};

TEST_P(WmaRatesTest, OffersRatesOnlyForFormatsTheCodecTakes) {
  const RatesCase& c = GetParam();
  const std::vector<int> rates = zengine::WmaEncodeGetRates(c.freq, c.chans, 0);
  EXPECT_EQ(!rates.empty(), c.offered);
  for (size_t i = 1; i < rates.size(); ++i) EXPECT_GT(rates[i - 1], rates[i]);
  if (c.offered) {
    EXPECT_EQ(zengine::ErrorGetCode(), zengine::kOk);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, WmaRatesTest,
                         testing::Values(RatesCase{"Stereo44k", 44100, 2, true},
                                         RatesCase{"Stereo48k", 48000, 2, true},
                                         RatesCase{"Mono8k", 8000, 1, true},
                                         RatesCase{"Stereo96k", 96000, 2, false},
                                         RatesCase{"SixChannels", 44100, 6, false},
                                         RatesCase{"Stereo7k", 7000, 2, false}),
                         [](const testing::TestParamInfo<RatesCase>& info) { return info.param.name; });

TEST(WmaRates, StereoCdRateOffersTheRecorderRate) {
  const std::vector<int> rates = zengine::WmaEncodeGetRates(44100, 2, 0);
  EXPECT_NE(std::find(rates.begin(), rates.end(), 192000), rates.end());
}

// Writes `seconds` of sine of `channels` channels at `rate` in hook-sized blocks.
void WriteSine(zengine::Handle w, int rate, int channels, double seconds) {
  const size_t total = static_cast<size_t>(rate * seconds);
  for (size_t done = 0; done < total; done += 1024) {
    const size_t n = std::min<size_t>(1024, total - done);
    const std::vector<float> b = ztest::SineBlock(rate, channels, n, done);
    ASSERT_TRUE(zengine::WmaEncodeWrite(w, b.data(), n, channels, rate));
    if (done % (1024 * 16) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

struct FeedCase {
  const char* name;
  int fileRate;
  int feedChannels;
  int feedRate;
};

void PrintTo(const FeedCase& c, std::ostream* os) { *os << c.name; }

class WmaFileTest : public testing::TestWithParam<FeedCase> {};

TEST_P(WmaFileTest, TenSecondsWithTagsPlay) {
  const FeedCase& c = GetParam();
  ztest::TempDir dir;
  const std::string file = dir.File("AC DC - T.N.T..wma");
  const zengine::Handle w = zengine::WmaEncodeOpenFile(c.fileRate, 2, 0x6000, 192000, file);
  ASSERT_NE(w, 0u) << zengine::ErrorGetCode();
  EXPECT_TRUE(zengine::WmaEncodeSetTag(w, "Author", "AC/DC"));
  EXPECT_TRUE(zengine::WmaEncodeSetTag(w, "Title", "T.N.T. été"));
  WriteSine(w, c.feedRate, c.feedChannels, 10.0);
  EXPECT_FALSE(zengine::WmaEncodeSetTag(w, "Title", "late"));  // the header is fixed now
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrNotAvail);
  ASSERT_TRUE(zengine::WmaEncodeClose(w));
  ztest::MediaInfo info = ztest::Probe(file);
  ASSERT_TRUE(info.ok) << info.raw;
  EXPECT_EQ(info.codec, "wmav2");
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.sampleRate, c.fileRate);
  EXPECT_NEAR(info.duration, 10.0, 0.5) << info.raw;
  EXPECT_EQ(info.tags["artist"], "AC/DC") << info.raw;
  EXPECT_EQ(info.tags["title"], "T.N.T. été") << info.raw;
}

// The recorder always opens a stereo file at the station's rate; a mono station or a
// block at another rate must keep its duration, not play at double or half speed.
INSTANTIATE_TEST_SUITE_P(Feeds, WmaFileTest,
                         testing::Values(FeedCase{"StereoFeed", 44100, 2, 44100},
                                         FeedCase{"MonoFeed", 22050, 1, 22050},
                                         FeedCase{"OtherRateFeed", 48000, 2, 44100}),
                         [](const testing::TestParamInfo<FeedCase>& info) { return info.param.name; });

TEST(WmaWriter, RefusedOpens) {
  ztest::TempDir dir;
  EXPECT_EQ(zengine::WmaEncodeOpenFile(96000, 2, 0x6000, 192000, dir.File("a.wma")), 0u);
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrFormat);
  EXPECT_EQ(zengine::WmaEncodeOpenFile(44100, 2, 0x6000, 192000, "/nonexistent-folder/a.wma"), 0u);
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrCreate);
  EXPECT_EQ(zengine::WmaEncodeOpenFile(44100, 2, 0x6000, 1000, dir.File("b.wma")), 0u);
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrCodec);
}

TEST(WmaWriter, CloseWithoutSoundGivesAValidEmptyFile) {
  ztest::TempDir dir;
  const std::string file = dir.File("empty.wma");
  const zengine::Handle w = zengine::WmaEncodeOpenFile(44100, 2, 0x6000, 192000, file);
  ASSERT_NE(w, 0u);
  EXPECT_TRUE(zengine::WmaEncodeSetTag(w, "Title", "rien"));
  EXPECT_TRUE(zengine::WmaEncodeClose(w));
  EXPECT_FALSE(zengine::WmaEncodeClose(w));
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrHandle);
  EXPECT_EQ(ztest::Probe(file).tags["title"], "rien");
}

TEST(WmaWriter, WritesRacingTheCloseAreSafe) {
  ztest::TempDir dir;
  const std::string file = dir.File("race.wma");
  const zengine::Handle w = zengine::WmaEncodeOpenFile(44100, 2, 0x6000, 192000, file);
  ASSERT_NE(w, 0u);
  std::atomic<bool> refused{false};
  std::thread feeder([&] {
    // Writes as fast as it can (some are dropped when the writer falls behind) until
    // the handle is gone; gives up after a few seconds.
    const std::vector<float> b = ztest::SineBlock(44100, 2, 512, 0);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!refused && std::chrono::steady_clock::now() < limit)
      if (!zengine::WmaEncodeWrite(w, b.data(), 512, 2, 44100) &&
          zengine::ErrorGetCode() == zengine::kErrHandle)
        refused = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(zengine::WmaEncodeClose(w));
  feeder.join();
  EXPECT_TRUE(refused.load());
  EXPECT_EQ(ztest::Probe(file).codec, "wmav2");
}

}  // namespace
