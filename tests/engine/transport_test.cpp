// Transport on file channels at real-time pace: positions, seek, pause and resume,
// DSP hooks, the spectrum of what is heard, freeing from a callback, module music.
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "eventually.h"
#include "playback/engine/engine.h"
#include "tempfolder.h"

namespace {

using namespace zengine;
using ztest::Eventually;
using namespace std::chrono_literals;

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Init(-1, 44100, OutputKind::Null)) << ErrorGetCode();
    path_ = dir_.File("tone.wav");
    ASSERT_EQ(ztest::Run({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                          "sine=frequency=1000:sample_rate=44100:duration=10", "-ac", "2",
                          "-c:a", "pcm_s16le", path_}),
              0);
  }
  void TearDown() override {
    if (IsInitialised()) Free();
  }
  double Seconds(Handle h) { return ChannelBytes2Seconds(h, ChannelGetPosition(h)); }
  ztest::TempFolder dir_;
  std::string path_;
};

TEST_F(TransportTest, PositionFollowsPlaybackPauseKeepsItPlayResumes) {
  const Handle h = StreamCreateFile(path_);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(ChannelGetPosition(h), 0) << "nothing heard before play";
  EXPECT_FALSE(ChannelPause(h)) << "pausing what does not play";
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(600ms);
  const double played = Seconds(h);
  EXPECT_GT(played, 0.3);
  EXPECT_LT(played, 0.9);
  ASSERT_TRUE(ChannelPause(h));
  const double paused = Seconds(h);
  std::this_thread::sleep_for(400ms);
  EXPECT_DOUBLE_EQ(Seconds(h), paused) << "a paused channel keeps its position";
  float fft[512];
  EXPECT_EQ(ChannelGetData(h, fft, kDataFFT1024), -1) << "nothing heard while paused";
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(400ms);
  const double resumed = Seconds(h);
  EXPECT_GT(resumed, paused + 0.2) << "play resumes, never restarts";
  EXPECT_LT(resumed, paused + 0.7);
  StreamFree(h);
}

TEST_F(TransportTest, SeekMovesThePositionAndOutOfRangeFails) {
  const Handle h = StreamCreateFile(path_);
  ASSERT_NE(h, 0u);
  const int64_t length = ChannelGetLength(h);
  ASSERT_EQ(length, 10 * 44100 * 4);
  ASSERT_TRUE(ChannelSetPosition(h, 6 * 44100 * 4));
  EXPECT_NEAR(Seconds(h), 6.0, 0.01);
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(500ms);
  EXPECT_NEAR(Seconds(h), 6.5, 0.3);
  ASSERT_TRUE(ChannelSetPosition(h, 2 * 44100 * 4));
  std::this_thread::sleep_for(300ms);
  EXPECT_NEAR(Seconds(h), 2.3, 0.3) << "a backward seek while playing";
  EXPECT_FALSE(ChannelSetPosition(h, length + 4));
  EXPECT_EQ(ErrorGetCode(), kErrPosition);
  EXPECT_FALSE(ChannelSetPosition(h, -4));
  EXPECT_EQ(ErrorGetCode(), kErrPosition);
  StreamFree(h);
}

TEST_F(TransportTest, SeekNearTheEndEndsOnceAndPlayAfterTheEndStartsOver) {
  const Handle h = StreamCreateFile(path_);
  ASSERT_NE(h, 0u);
  std::atomic<int> ends{0};
  ChannelSetSync(h, kSyncEnd, [&](Handle, const std::string&) { ends++; });
  ASSERT_TRUE(ChannelSetPosition(h, ChannelGetLength(h) - 44100 * 4 / 4));
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(Eventually([&] { return ends.load() == 1; }, 5s));
  EXPECT_EQ(ChannelGetPosition(h), ChannelGetLength(h));
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(300ms);
  EXPECT_LT(Seconds(h), 1.0);
  EXPECT_EQ(ends.load(), 1);
  StreamFree(h);
}

TEST_F(TransportTest, DspHookSeesTheSamplesUntilRemoved) {
  const Handle h = StreamCreateFile(path_);
  ASSERT_NE(h, 0u);
  std::atomic<size_t> frames{0};
  std::atomic<int> badFormat{0};
  std::atomic<float> peak{0};
  const uint32_t dsp = ChannelSetDSP(h, [&](const float* s, size_t n, int chans, int rate) {
    if (chans != 2 || rate != 44100) badFormat++;
    for (size_t i = 0; i < n * 2; ++i) peak = std::max(peak.load(), std::fabs(s[i]));
    frames += n;
  });
  ASSERT_NE(dsp, 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(Eventually([&] { return frames.load() > 44100 / 2; }, 3s));
  EXPECT_EQ(badFormat.load(), 0);
  // ffmpeg's sine is at 1/8 of full scale, spread to two channels at -3 dB.
  EXPECT_NEAR(peak.load(), 0.125 / std::sqrt(2.0), 0.005);
  ASSERT_TRUE(ChannelRemoveDSP(h, dsp));
  const size_t after = frames.load();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(frames.load(), after) << "no call once removal returned";
  EXPECT_FALSE(ChannelRemoveDSP(h, dsp));
  StreamFree(h);
}

TEST_F(TransportTest, HookMayRemoveItselfAndSyncMayFreeItsChannel) {
  const Handle h = StreamCreateFile(path_);
  ASSERT_NE(h, 0u);
  std::atomic<uint32_t> dsp{0};
  std::atomic<int> calls{0};
  dsp = ChannelSetDSP(h, [&](const float*, size_t, int, int) {
    if (++calls == 3) ChannelRemoveDSP(h, dsp.load());
  });
  std::atomic<bool> freed{false};
  ChannelSetSync(h, kSyncEnd, [&](Handle c, const std::string&) { freed = StreamFree(c); });
  ASSERT_TRUE(ChannelSetPosition(h, ChannelGetLength(h) - 44100));
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(Eventually([&] { return freed.load(); }, 5s));
  EXPECT_EQ(calls.load(), 3);
  EXPECT_FALSE(ChannelPlay(h, false));
  EXPECT_EQ(ErrorGetCode(), kErrHandle);
}

TEST_F(TransportTest, SpectrumPeaksAtTheToneThatIsHeard) {
  const Handle h = StreamCreateFile(path_);
  ASSERT_NE(h, 0u);
  float fft[512];
  EXPECT_EQ(ChannelGetData(h, fft, kDataFFT1024), -1) << "not playing yet";
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(500ms);
  ASSERT_EQ(ChannelGetData(h, fft, kDataFFT1024), 2048);
  const int peak = static_cast<int>(std::max_element(fft, fft + 512) - fft);
  EXPECT_NEAR(peak, 1000.0 * 1024 / 44100, 1.0);  // bin 23.2
  for (float v : fft) EXPECT_GE(v, 0.0f);
  // 0.088 of full scale, the tone between two bins: about 0.07 on the nearest one.
  EXPECT_GT(fft[peak], 0.05f);
  EXPECT_LT(fft[peak], 0.13f);
  EXPECT_LT(fft[200], 0.001f);
  EXPECT_EQ(ChannelGetData(h, fft, 1024), -1) << "only the 1024-sample FFT is offered";
  StreamFree(h);
}

// A minimal four-channel MOD: one sample (a square wave), one pattern playing it.
std::string WriteMod(const std::string& path) {
  std::vector<unsigned char> mod(20 + 31 * 30 + 2 + 128 + 4 + 1024, 0);
  std::copy_n("zovalis test", 12, mod.begin());
  unsigned char* s1 = &mod[20];
  std::copy_n("square", 6, s1);
  const int sampleWords = 64;
  s1[22] = 0;
  s1[23] = sampleWords;  // length in words, big-endian
  s1[25] = 64;           // volume
  s1[29] = 1;            // loop length 1 word: no loop... then loop the whole sample:
  s1[28] = sampleWords;  // loop length = whole sample
  size_t at = 20 + 31 * 30;
  mod[at] = 1;      // song length: one order
  mod[at + 1] = 0;  // restart
  at += 2;          // order table: pattern 0 (already zero)
  at += 128;
  std::copy_n("M.K.", 4, &mod[at]);
  at += 4;
  // Row 0, channel 0: sample 1, period 428 (C-2).
  mod[at] = 0x01;
  mod[at + 1] = 0xAC;
  mod[at + 2] = 0x10;
  for (int i = 0; i < sampleWords * 2; ++i) mod.push_back((i / 8) % 2 ? 0x60 : 0xA0);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(mod.data(), 1, mod.size(), f);
  std::fclose(f);
  return path;
}

TEST_F(TransportTest, ModuleMusicLoadsAndPlays) {
  const std::string path = WriteMod(dir_.File("square.mod"));
  const Handle h = MusicLoad(path);
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, 0x20000u) << "MOD";
  EXPECT_GT(ChannelGetLength(h), 0);
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(ChannelGetPosition(h), 0);
  StreamFree(h);
}

}  // namespace
