// Mixer: sums sources, applies the volume, and lets a source go safely.
#include <atomic>
#include <chrono>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "playback/engine/output/mixer.h"
#include "eventually.h"
#include "testsource.h"

namespace {

using zengine::Mixer;
using ztest::TestSource;

std::vector<float> Pull(Mixer& mixer, size_t frames) {
  std::vector<float> out(frames * static_cast<size_t>(mixer.Channels()), 123.0f);
  EXPECT_EQ(mixer.Pull(out.data(), frames), frames);
  return out;
}

struct MixCase {
  const char* name;
  std::vector<float> sources;  // one constant source per value
  int volume;
  float expected;
};

const MixCase kMixCases[] = {
    {"NoSourceIsSilence", {}, 100, 0.0f},
    {"OneSource", {0.25f}, 100, 0.25f},
    {"SourcesAddUp", {0.25f, 0.5f}, 100, 0.75f},
    {"HalfVolumeHalvesSamples", {0.5f}, 50, 0.25f},
    {"ZeroVolumeIsSilence", {0.5f, 0.5f}, 0, 0.0f},
};

void PrintTo(const MixCase& c, std::ostream* os) { *os << c.name; }

class MixTest : public ::testing::TestWithParam<MixCase> {};

TEST_P(MixTest, Mixes) {
  const MixCase& c = GetParam();
  Mixer mixer(2);
  for (float v : c.sources) mixer.Add(std::make_shared<TestSource>(v));
  mixer.SetVolume(c.volume);
  for (float sample : Pull(mixer, 64)) ASSERT_FLOAT_EQ(sample, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Mixer, MixTest, ::testing::ValuesIn(kMixCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A source that runs dry part-way leaves silence, not stale buffer contents.
TEST(Mixer, ShortSourceLeavesSilenceAfterItsFrames) {
  Mixer mixer(2);
  mixer.Add(std::make_shared<TestSource>(0.5f, 10));
  const std::vector<float> out = Pull(mixer, 64);
  for (size_t i = 0; i < out.size(); ++i) ASSERT_FLOAT_EQ(out[i], i < 20 ? 0.5f : 0.0f) << i;
}

TEST(Mixer, AddingTwiceMixesOnce) {
  Mixer mixer(2);
  auto source = std::make_shared<TestSource>(0.25f);
  mixer.Add(source);
  mixer.Add(source);
  EXPECT_EQ(mixer.Count(), 1u);
  EXPECT_FLOAT_EQ(Pull(mixer, 4)[0], 0.25f);
  mixer.Remove(source.get());
  EXPECT_EQ(mixer.Count(), 0u);
  EXPECT_FLOAT_EQ(Pull(mixer, 4)[0], 0.0f);
}

// A source slow to mix, recording whether a call is in progress.
class SlowSource : public zengine::MixerSource {
 public:
  size_t MixInto(float*, size_t frames, int) override {
    inside = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    calls++;
    inside = false;
    return frames;
  }
  std::atomic<bool> inside{false};
  std::atomic<int> calls{0};
};

// After Remove returns, the owner may destroy the source: no call may be running
// or start later, even while the output thread keeps pulling.
TEST(Mixer, RemoveWaitsForTheMixInProgress) {
  Mixer mixer(2);
  auto source = std::make_shared<SlowSource>();
  mixer.Add(source);
  std::atomic<bool> stop{false};
  std::thread output([&] {
    std::vector<float> buffer(2 * 256);
    while (!stop) mixer.Pull(buffer.data(), 256);
  });
  ASSERT_TRUE(ztest::Eventually([&] { return source->calls >= 3; }));
  mixer.Remove(source.get());
  EXPECT_FALSE(source->inside.load());
  const int calls = source->calls;
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(source->calls.load(), calls);
  stop = true;
  output.join();
  EXPECT_EQ(source.use_count(), 1);
}

}  // namespace
