// A file channel played through a real PulseAudio daemon (support/pulsedaemon.h):
// the null sink's monitor, captured with parec, holds the tone at its pitch, and its
// level follows the global volume.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "playback/engine/engine.h"
#include "scopedenv.h"
#include "support/pulsedaemon.h"
#include "tempfolder.h"

namespace {

using namespace zengine;
using namespace std::chrono_literals;

// The left channel's level and pitch: medians over 100 ms blocks, the pitch from the
// rising zero crossings.
struct Capture {
  double rms = 0;
  double frequency = 0;
};

// Records `ms` of the sink's monitor and measures its left channel.
Capture Record(const ztest::PulseDaemon& daemon, int ms) {
  std::string raw;
  daemon.RunClient({"parec", "-d", "rec.monitor", "--rate=44100", "--channels=2",
                    "--format=s16le", "--latency-msec=50", "--raw"},
                   &raw, ms);
  Capture c;
  const size_t frames = raw.size() / 4;
  if (frames < 4410) {
    ADD_FAILURE() << "parec gave " << raw.size() << " bytes: " << raw.substr(0, 200);
    return c;
  }
  std::vector<double> left(frames);
  for (size_t i = 0; i < frames; ++i) {
    int16_t s;
    std::memcpy(&s, raw.data() + i * 4, 2);
    left[i] = s / 32768.0;
  }
  // Skip the first 100 ms (stream start-up), then measure 100 ms blocks and keep the
  // median of each figure: a block where the sound server skipped (a busy machine) is an
  // outlier, not a change of pitch or level.
  const size_t from = 4410, block = 4410;
  std::vector<double> levels, frequencies;
  for (size_t start = from; start + block <= frames; start += block) {
    double sum = 0;
    int crossings = 0;
    double first = 0, last = 0;
    for (size_t i = start; i < start + block; ++i) {
      sum += left[i] * left[i];
      if (left[i - 1] < 0 && left[i] >= 0) {
        // Where the line crosses zero between the two samples.
        const double at = static_cast<double>(i) - left[i] / (left[i] - left[i - 1]);
        if (crossings == 0) first = at;
        last = at;
        ++crossings;
      }
    }
    levels.push_back(std::sqrt(sum / block));
    if (crossings > 1) frequencies.push_back((crossings - 1) * 44100.0 / (last - first));
  }
  const auto median = [](std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
  };
  c.rms = median(levels);
  c.frequency = median(frequencies);
  return c;
}

TEST(PulseChannel, ToneIsHeardAtItsPitchAndFollowsTheVolume) {
  ztest::PulseDaemon daemon;
  std::string error;
  ASSERT_TRUE(daemon.Start(&error)) << error;
  ztest::ScopedEnv env(daemon.ClientEnv());
  ztest::TempFolder dir;
  const std::string path = dir.File("tone.wav");
  ASSERT_EQ(ztest::Run({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                        "sine=frequency=1000:sample_rate=48000:duration=20", "-ac", "2", path}),
            0);
  ASSERT_TRUE(Init(-1, 44100, OutputKind::Pulse)) << ErrorGetCode();
  const Handle h = StreamCreateFile(path);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(300ms);

  const Capture full = Record(daemon, 3000);
  EXPECT_NEAR(full.frequency, 1000.0, 10.0) << "resampled from 48 kHz, still 1 kHz";
  EXPECT_NEAR(full.rms, 0.125 / std::sqrt(2.0) / std::sqrt(2.0), 0.01) << "sine of 0.088 peak";

  ASSERT_TRUE(SetVolume(50));
  std::this_thread::sleep_for(300ms);
  const Capture half = Record(daemon, 3000);
  EXPECT_NEAR(half.rms / full.rms, 0.5, 0.05);
  EXPECT_NEAR(half.frequency, 1000.0, 10.0);

  ASSERT_TRUE(ChannelPause(h));
  std::this_thread::sleep_for(300ms);
  std::string raw;
  daemon.RunClient({"parec", "-d", "rec.monitor", "--raw", "--format=s16le"}, &raw, 2500);
  int peak = 0;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) {
    int16_t s;
    std::memcpy(&s, raw.data() + i, 2);
    peak = std::max(peak, std::abs(static_cast<int>(s)));
  }
  EXPECT_LT(peak, 30) << "nothing plays while paused";
  StreamFree(h);
  Free();
}

}  // namespace
