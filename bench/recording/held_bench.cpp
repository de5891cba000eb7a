// The title hold over a long song: 15 minutes of a 320 kbit/s MP3 station (a local file
// decoded by ffmpeg as fast as it goes, standing for the channel's decoding thread) go
// into one hold, as one song. Measured:
// - held_s: the sound the hold keeps (its bound: 15 minutes);
// - rss_growth_MB: the process's resident memory added by holding it (the sound lies in
//   an unnamed file, not in memory);
// - file_MB: that file's size (16-bit PCM, the bound plus a 30 s margin at most);
// - feed_x: how much faster than real time the hold takes the sound (its cost on the
//   decoding thread);
// - replay_x: how much faster than real time a recording started at the end gets the
//   whole song back (the catch-up of "Enregistrer ce titre"), for a taker that always
//   has room (an encoder's own speed then bounds it; a WMA writer, which cannot say, is
//   paced at about 10 times real time).
// HOLD_MINUTES shortens the song for a quick run.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "playback/engine/record/titlehold.h"

namespace {

using Clock = std::chrono::steady_clock;

double ResidentMB() {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

void BM_HoldFifteenMinutesAt320k(benchmark::State& state) {
  const char* env = getenv("HOLD_MINUTES");
  const int minutes = env && atoi(env) > 0 ? atoi(env) : 15;
  char templ[] = "/tmp/zovalis-held-XXXXXX";
  const std::string dir = mkdtemp(templ);
  const std::string mp3 = dir + "/station.mp3";
  // A 320 kbit/s stereo station: a tone over noise, so the encoder has work at that rate.
  const std::string make = "ffmpeg -nostdin -v error -f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=" +
                           std::to_string(minutes * 60) +
                           "' -f lavfi -i 'anoisesrc=color=pink:amplitude=0.1:sample_rate=44100:duration=" +
                           std::to_string(minutes * 60) + "' -filter_complex amix=inputs=2 -ac 2 -c:a libmp3lame " +
                           "-b:a 320k '" + mp3 + "'";
  if (system(make.c_str()) != 0) {
    state.SkipWithError("ffmpeg could not make the station's file");
    return;
  }
  for (auto _ : state) {
    const double rssBefore = ResidentMB();
    auto hold = std::make_shared<zengine::TitleHold>(15 * 60, "StreamTitle='A';", dir);
    hold->Title("StreamTitle='Long';");
    FILE* pcm = popen(("ffmpeg -nostdin -v error -i '" + mp3 + "' -f f32le -ac 2 -ar 44100 -").c_str(), "r");
    std::vector<float> block(1152 * 2);
    double fed = 0, feedSeconds = 0;
    size_t n;
    while ((n = fread(block.data(), sizeof(float) * 2, 1152, pcm)) > 0) {
      const auto t = Clock::now();
      hold->Sound(block.data(), n, 2, 44100);
      feedSeconds += std::chrono::duration<double>(Clock::now() - t).count();
      fed += static_cast<double>(n) / 44100;
    }
    pclose(pcm);
    const zengine::TitleHold::State s = hold->Get();
    const double rssAfter = ResidentMB();

    std::atomic<int64_t> got{0};
    const auto t0 = Clock::now();
    // A follower always ready (an encoder with room in its queue): the hold's own speed.
    const uint32_t id = hold->Follow([&](const float*, size_t frames, int, int) { got += frames; }, nullptr,
                                     [] { return true; });
    const int64_t want = static_cast<int64_t>(s.seconds * 44100 + 0.5);
    while (got.load() < want && Clock::now() - t0 < std::chrono::minutes(10))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double replaySeconds = std::chrono::duration<double>(Clock::now() - t0).count();
    hold->Unfollow(id);

    state.counters["held_s"] = s.seconds;
    state.counters["rss_growth_MB"] = rssAfter - rssBefore;
    state.counters["file_MB"] = static_cast<double>(s.fileBytes) / (1024.0 * 1024.0);
    state.counters["feed_x"] = feedSeconds > 0 ? fed / feedSeconds : 0;
    state.counters["replay_x"] = replaySeconds > 0 ? (got.load() / 44100.0) / replaySeconds : 0;
  }
  unlink(mp3.c_str());
  rmdir(dir.c_str());
}
BENCHMARK(BM_HoldFifteenMinutesAt320k)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
