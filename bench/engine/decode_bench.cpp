// Decoding a local MP3 as fast as possible, through the whole engine (decoder thread,
// resampler, mix) into the "as fast as produced" null output; and mpv decoding the same
// file to its untimed null output. Counter x_realtime: seconds of sound per second.
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>

#include <benchmark/benchmark.h>

#include "childrun.h"
#include "playback/engine/engine.h"

namespace {

using namespace zengine;

constexpr double kSeconds = 120.0;

// A two-minute 128 kbit/s MP3 of tones and noise, made once per run.
const std::string& Mp3File() {
  static const std::string path = [] {
    std::string p = "/tmp/zovalis-bench-" + std::to_string(getpid()) + ".mp3";
    const std::string input =
        "sine=frequency=440:duration=" + std::to_string(kSeconds);
    const zbench::RunResult r = zbench::RunMeasured(
        {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", input, "-f", "lavfi",
         "-i", "anoisesrc=color=pink:amplitude=0.2:duration=" + std::to_string(kSeconds),
         "-filter_complex", "amix=inputs=2", "-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k", p});
    if (!r.ok) p.clear();
    std::atexit([] { unlink(Mp3File().c_str()); });
    return p;
  }();
  return path;
}

double ProcessCpuSeconds() {
  rusage u = {};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// Counters: x_realtime (sound seconds per wall second) and x_realtime_cpu (per CPU
// second of all the player's threads: the figure for one core).
void BM_EngineDecodeMp3(benchmark::State& state) {
  if (Mp3File().empty()) return state.SkipWithError("ffmpeg could not make the MP3");
  if (!Init(-1, 44100, OutputKind::NullFast)) return state.SkipWithError("engine Init failed");
  const double cpuStart = ProcessCpuSeconds();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const Handle h = StreamCreateFile(Mp3File());
    std::mutex mutex;
    std::condition_variable done;
    bool ended = false;
    ChannelSetSync(h, kSyncEnd, [&](Handle, const std::string&) {
      std::lock_guard<std::mutex> lock(mutex);
      ended = true;
      done.notify_all();
    });
    ChannelPlay(h, false);
    {
      std::unique_lock<std::mutex> lock(mutex);
      done.wait(lock, [&] { return ended; });
    }
    StreamFree(h);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  const double cpu = ProcessCpuSeconds() - cpuStart;
  Free();
  state.counters["x_realtime"] =
      benchmark::Counter(kSeconds * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["x_realtime_cpu"] = cpu > 0 ? kSeconds * state.iterations() / cpu : 0;
}
BENCHMARK(BM_EngineDecodeMp3)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_MpvDecodeMp3(benchmark::State& state) {
  if (!zbench::HaveProgram("mpv")) return state.SkipWithError("mpv is not installed");
  if (Mp3File().empty()) return state.SkipWithError("ffmpeg could not make the MP3");
  double cpu = 0;
  for (auto _ : state) {
    const zbench::RunResult r = zbench::RunMeasured(
        {"mpv", "--no-config", "--ao=null", "--ao-null-untimed", "--vo=null", Mp3File()});
    if (!r.ok) return state.SkipWithError("mpv failed");
    cpu += r.cpuSeconds;
    state.SetIterationTime(r.wallSeconds);
  }
  state.counters["x_realtime_cpu"] = cpu > 0 ? kSeconds * state.iterations() / cpu : 0;
  state.counters["x_realtime"] =
      benchmark::Counter(kSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MpvDecodeMp3)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
