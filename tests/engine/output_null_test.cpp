// The null output's two paces, and the engine's mix through it. Bounds on time are
// deliberately loose: they tell a paced output from an unpaced one, nothing finer.
#include <atomic>
#include <chrono>
#include <memory>
#include <ostream>
#include <thread>

#include <gtest/gtest.h>

#include "eventually.h"
#include "playback/engine/engine.h"
#include "playback/engine/enginemix.h"
#include "playback/engine/output/output_null.h"
#include "testsource.h"

namespace {

using namespace std::chrono_literals;
using zengine::NullOutput;
using ztest::Eventually;

constexpr int kRate = 44100;

// A pull function that counts the frames asked for and fills them with a value.
struct CountingPull {
  std::atomic<uint64_t> frames{0};
  zengine::Output::PullFn Fn() {
    return [this](float* dst, size_t n) {
      for (size_t i = 0; i < n * 2; ++i) dst[i] = 0.1f;
      frames += n;
      return n;
    };
  }
};

TEST(NullOutput, FastPaceRunsFarAheadOfRealTime) {
  CountingPull pull;
  NullOutput out(NullOutput::Pace::Fast);
  EXPECT_STREQ(out.Name(), "null-fast");
  ASSERT_EQ(out.Open(kRate, 2, pull.Fn()), zengine::kOk);
  out.Start();
  // A minute of audio within 20 s; real-time pacing would need the whole minute.
  EXPECT_TRUE(Eventually([&] { return pull.frames >= 60ull * kRate; }, 20s));
  out.Close();
  EXPECT_EQ(out.FramesPulled(), pull.frames.load());
}

TEST(NullOutput, RealTimePaceFollowsTheClock) {
  CountingPull pull;
  NullOutput out(NullOutput::Pace::RealTime);
  EXPECT_STREQ(out.Name(), "null");
  ASSERT_EQ(out.Open(kRate, 2, pull.Fn()), zengine::kOk);
  const auto start = std::chrono::steady_clock::now();
  out.Start();
  std::this_thread::sleep_for(500ms);
  out.Pause();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double audio = static_cast<double>(pull.frames.load()) / kRate;
  // About `wall` seconds of audio: some, and never minutes ahead.
  EXPECT_GT(audio, 0.0);
  EXPECT_LT(audio, wall + 1.0);
  out.Close();
}

TEST(NullOutput, PullsNothingBeforeStartOrWhilePaused) {
  for (auto pace : {NullOutput::Pace::Fast, NullOutput::Pace::RealTime}) {
    CountingPull pull;
    NullOutput out(pace);
    ASSERT_EQ(out.Open(kRate, 2, pull.Fn()), zengine::kOk);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(pull.frames.load(), 0u);
    out.Start();
    ASSERT_TRUE(Eventually([&] { return pull.frames > 0; }));
    out.Pause();
    std::this_thread::sleep_for(50ms);  // a block in progress may end
    const uint64_t paused_at = pull.frames;
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(pull.frames.load(), paused_at);
    // And it resumes.
    out.Start();
    EXPECT_TRUE(Eventually([&] { return pull.frames > paused_at; }));
  }
}

TEST(NullOutput, ClosesWhileRunningAndTwice) {
  for (auto pace : {NullOutput::Pace::Fast, NullOutput::Pace::RealTime}) {
    CountingPull pull;
    auto out = std::make_unique<NullOutput>(pace);
    ASSERT_EQ(out->Open(kRate, 2, pull.Fn()), zengine::kOk);
    out->Start();
    ASSERT_TRUE(Eventually([&] { return pull.frames > 0; }));
    out->Close();
    const uint64_t closed_at = pull.frames;
    out->Close();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(pull.frames.load(), closed_at);
    out.reset();  // the destructor after Close
  }
}

TEST(NullOutput, DestructorStopsARunningOutput) {
  CountingPull pull;
  {
    NullOutput out(NullOutput::Pace::Fast);
    ASSERT_EQ(out.Open(kRate, 2, pull.Fn()), zengine::kOk);
    out.Start();
    ASSERT_TRUE(Eventually([&] { return pull.frames > 0; }));
  }
  const uint64_t after = pull.frames;
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(pull.frames.load(), after);
}

TEST(NullOutput, OpenTwiceFails) {
  CountingPull pull;
  NullOutput out(NullOutput::Pace::Fast);
  ASSERT_EQ(out.Open(kRate, 2, pull.Fn()), zengine::kOk);
  EXPECT_EQ(out.Open(kRate, 2, pull.Fn()), zengine::kErrAlready);
}

// ---- The engine's mix on a null output ----

struct MixOutput {
  const char* name;
  zengine::OutputKind kind;
};
void PrintTo(const MixOutput& c, std::ostream* os) { *os << c.name; }

class EngineMixTest : public ::testing::TestWithParam<MixOutput> {
 protected:
  void TearDown() override {
    if (zengine::IsInitialised()) zengine::Free();
  }
};

TEST_P(EngineMixTest, SourcesArePulledOnlyWhileAttached) {
  ASSERT_TRUE(zengine::Init(-1, kRate, GetParam().kind));
  EXPECT_EQ(zengine::OutputRate(), kRate);
  EXPECT_EQ(zengine::OutputChannels(), 2);
  auto source = std::make_shared<ztest::TestSource>(0.5f);
  ASSERT_TRUE(zengine::AttachSource(source));
  EXPECT_TRUE(Eventually([&] { return source->Frames() >= static_cast<uint64_t>(kRate) / 10; }));
  zengine::DetachSource(source.get());
  const uint64_t calls = source->Calls();
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(source->Calls(), calls);
  EXPECT_EQ(source.use_count(), 1);  // the engine let go of it
}

TEST_P(EngineMixTest, FreeLetsGoOfAttachedSources) {
  ASSERT_TRUE(zengine::Init(-1, kRate, GetParam().kind));
  auto source = std::make_shared<ztest::TestSource>(0.5f);
  ASSERT_TRUE(zengine::AttachSource(source));
  ASSERT_TRUE(Eventually([&] { return source->Calls() > 0; }));
  ASSERT_TRUE(zengine::Free());
  EXPECT_EQ(source.use_count(), 1);
  zengine::DetachSource(source.get());  // after Free: harmless
}

INSTANTIATE_TEST_SUITE_P(Engine, EngineMixTest,
                         ::testing::Values(MixOutput{"Null", zengine::OutputKind::Null},
                                           MixOutput{"NullFast", zengine::OutputKind::NullFast}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EngineMix, AttachNeedsInit) {
  ASSERT_FALSE(zengine::IsInitialised());
  EXPECT_FALSE(zengine::AttachSource(std::make_shared<ztest::TestSource>()));
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrInit);
  EXPECT_EQ(zengine::OutputQueuedFrames(), 0u);
}

}  // namespace
