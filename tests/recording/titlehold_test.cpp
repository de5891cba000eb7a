// The title hold on its own: a synthetic channel whose every frame carries its own
// number, so what a follower receives shows exactly where it begins, whether anything
// was lost or doubled at the hand-over from the held sound to the live sound, where the
// title places fall, and what the bound keeps.
#include <dirent.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mediaprobe.h"
#include "playback/engine/record/titlehold.h"

namespace {

using zengine::TitleHold;

constexpr int kRate = 8000;
constexpr int kChans = 2;
constexpr size_t kBlock = 160;  // 20 ms

// The value frame `n` carries: exact in 16 bits, different for 20000 frames in a row.
float FrameValue(int64_t n) { return static_cast<float>(n % 20000 - 10000) / 32767.0f; }
int64_t ValueFrame(float v, int64_t near) {
  const int64_t r = static_cast<int64_t>(v * 32767.0f + (v >= 0 ? 0.5f : -0.5f)) + 10000;  // 0..19999
  // The frame number near `near` with that remainder.
  const int64_t base = near - near % 20000;
  int64_t best = base + r;
  for (int64_t c : {base + r - 20000, base + r + 20000})
    if (std::llabs(c - near) < std::llabs(best - near)) best = c;
  return best;
}

// Feeds frames [from, to) to the hold in blocks, the way a decoding thread does.
void Feed(TitleHold& hold, int64_t from, int64_t to, std::chrono::microseconds pause = {}) {
  std::vector<float> block;
  for (int64_t n = from; n < to;) {
    const size_t frames = static_cast<size_t>(std::min<int64_t>(kBlock, to - n));
    block.resize(frames * kChans);
    for (size_t i = 0; i < frames; ++i)
      for (int c = 0; c < kChans; ++c) block[i * kChans + c] = FrameValue(n + static_cast<int64_t>(i));
    hold.Sound(block.data(), frames, kChans, kRate);
    n += static_cast<int64_t>(frames);
    if (pause.count()) std::this_thread::sleep_for(pause);
  }
}

// What a follower received: its frame numbers in order and the titles with the frame
// they came before.
struct Received {
  std::mutex mutex;
  std::vector<int64_t> frames;
  std::vector<std::pair<std::string, int64_t>> titles;
  std::atomic<int64_t> count{0};
  TitleHold::SoundFn Sound(int64_t firstGuess) {
    return [this, firstGuess](const float* s, size_t n, int chans, int rate) {
      ASSERT_EQ(chans, kChans);
      ASSERT_EQ(rate, kRate);
      std::lock_guard<std::mutex> lock(mutex);
      for (size_t i = 0; i < n; ++i) {
        const int64_t near = frames.empty() ? firstGuess : frames.back() + 1;
        frames.push_back(ValueFrame(s[i * kChans], near));
      }
      count += static_cast<int64_t>(n);
    };
  }
  TitleHold::TitleFn Title() {
    return [this](const std::string& text) {
      std::lock_guard<std::mutex> lock(mutex);
      titles.emplace_back(text, frames.empty() ? -1 : frames.back() + 1);
    };
  }
};

bool WaitFor(const std::function<bool()>& done, int seconds = 30) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Files of this process open in `folder` (the hold's unnamed file shows as one).
int OpenFilesIn(const std::string& folder) {
  int n = 0;
  DIR* d = opendir("/proc/self/fd");
  while (dirent* e = readdir(d)) {
    char target[4096];
    const std::string link = std::string("/proc/self/fd/") + e->d_name;
    const ssize_t len = readlink(link.c_str(), target, sizeof target - 1);
    if (len > 0 && std::string(target, static_cast<size_t>(len)).rfind(folder + "/", 0) == 0) ++n;
  }
  closedir(d);
  return n;
}

// A follower started in the middle of a song gets it from its first frame, then the
// live sound with nothing lost or doubled, and the next title at its exact frame; the
// song before the place is not in it.
TEST(TitleHold, AFollowerGetsTheSongFromItsFirstFrameThenTheLiveSound) {
  ztest::TempDir dir;
  TitleHold hold(60, "StreamTitle='A';", dir.Path());
  Feed(hold, 0, kRate * 2);  // "A", tuned in mid-song
  EXPECT_FALSE(hold.Get().fromStart);
  const int64_t placeB = kRate * 2 + 37;  // not on a block boundary
  Feed(hold, kRate * 2, placeB);
  hold.Title("StreamTitle='B';");
  hold.Title("StreamTitle='B';");  // the same text again is no new song
  Feed(hold, placeB, kRate * 8);
  const TitleHold::State s = hold.Get();
  EXPECT_TRUE(s.fromStart);
  EXPECT_FALSE(s.truncated);
  EXPECT_EQ(s.title, "StreamTitle='B';");
  EXPECT_NEAR(s.seconds, double(kRate * 8 - placeB) / kRate, 1e-9);

  Received r;
  std::string began;
  // A slow taker at first: the catch-up waits for its room rather than dropping.
  std::atomic<int> asks{0};
  const uint32_t id = hold.Follow(
      r.Sound(placeB), r.Title(), [&] { return ++asks > 9 || asks % 3 == 0; }, [&](const std::string& t) { began = t; });
  EXPECT_EQ(began, "StreamTitle='B';");
  // The stream goes on while the follower catches up (faster than real time here),
  // until it has caught up and gets the live sound; then comes "C".
  int64_t placeC = 0, end = 0;
  std::thread decoding([&] {
    int64_t n = kRate * 8;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (r.count.load() < n - placeB && std::chrono::steady_clock::now() < deadline) {
      Feed(hold, n, n + static_cast<int64_t>(kBlock), std::chrono::microseconds(1000));
      n += static_cast<int64_t>(kBlock);
    }
    Feed(hold, n, n + kRate + 5, std::chrono::microseconds(1000));
    placeC = n + kRate + 5;
    hold.Title("StreamTitle='C';");
    end = placeC + kRate;
    Feed(hold, placeC, end, std::chrono::microseconds(1000));
  });
  decoding.join();
  ASSERT_TRUE(WaitFor([&] { return r.count.load() >= end - placeB; })) << r.count.load();
  hold.Unfollow(id);
  Feed(hold, end, end + kRate);  // after Unfollow nothing more arrives

  std::lock_guard<std::mutex> lock(r.mutex);
  ASSERT_EQ(r.frames.size(), static_cast<size_t>(end - placeB));
  EXPECT_EQ(r.frames.front(), placeB);
  for (size_t i = 1; i < r.frames.size(); ++i)
    ASSERT_EQ(r.frames[i], r.frames[i - 1] + 1) << "gap or double at " << i;
  // The place of "B" is where the follower begins; "C" comes before its first frame.
  ASSERT_EQ(r.titles.size(), 2u);
  EXPECT_EQ(r.titles.front().first, "StreamTitle='B';");
  EXPECT_EQ(r.titles.back().first, "StreamTitle='C';");
  EXPECT_EQ(r.titles.back().second, placeC);
}

// The bound, as a table: a song longer than what is kept begins with the oldest sound
// kept and says so; a shorter one is whole; the ring's wrap-around keeps the frames in
// order.
TEST(TitleHold, KeepsAtMostItsBoundOfTheSong) {
  struct Case {
    const char* name;
    int maxSeconds;
    int64_t place;    // frame of the song's place
    int64_t written;  // frames written when the follower starts
    bool truncated;
    int64_t first;    // the follower's first frame
  };
  const Case cases[] = {
      {"shorter than the bound", 3, kRate * 1, kRate * 3, false, kRate * 1},
      {"longer than the bound", 2, kRate * 1, kRate * 6, true, kRate * 4},
      {"the ring wrapped several times", 1, kRate * 2, kRate * 100 + 33, true, kRate * 99 + 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ztest::TempDir dir;
    TitleHold hold(c.maxSeconds, "StreamTitle='A';", dir.Path());
    Feed(hold, 0, c.place);
    hold.Title("StreamTitle='B';");
    Feed(hold, c.place, c.written);
    const TitleHold::State s = hold.Get();
    EXPECT_EQ(s.truncated, c.truncated);
    EXPECT_LE(s.seconds, c.maxSeconds + 1e-9);
    // The file on disk stays within the bound and its margin, however long the song.
    EXPECT_LE(s.fileBytes, int64_t(c.maxSeconds + 30) * kRate * kChans * 2);
    Received r;
    const uint32_t id = hold.Follow(r.Sound(c.first), r.Title(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return r.count.load() >= c.written - c.first; }));
    hold.Unfollow(id);
    std::lock_guard<std::mutex> lock(r.mutex);
    ASSERT_EQ(r.frames.size(), static_cast<size_t>(c.written - c.first));
    EXPECT_EQ(r.frames.front(), c.first);
    EXPECT_EQ(r.frames.back(), c.written - 1);
  }
}

// The held sound goes with the hold: its file is closed (and, having no name, gone),
// even while a follower is still catching up.
TEST(TitleHold, ItsFileGoesWithIt) {
  ztest::TempDir dir;
  {
    auto hold = std::make_shared<TitleHold>(60, "", dir.Path());
    Feed(*hold, 0, kRate * 30);
    EXPECT_EQ(OpenFilesIn(dir.Path()), 1);
    Received r;
    hold->Follow(r.Sound(0), r.Title(), [] { return false; });  // never takes anything
  }
  EXPECT_EQ(OpenFilesIn(dir.Path()), 0);
  DIR* d = opendir(dir.Path().c_str());
  int entries = 0;
  while (dirent* e = readdir(d)) entries += std::string(e->d_name) != "." && std::string(e->d_name) != "..";
  closedir(d);
  EXPECT_EQ(entries, 0) << "the held sound left a file";
}

}  // namespace
