// A private Icecast MP3 mount (128 kbit/s), played by zplayer and by mpv in the same run:
//   OpenToFirstAudio: wall time of a run that stops after 50 ms of sound (connection,
//     probing, first audio and exit), as both programs measure it the same way;
//   Play30s: 30 s of playback to the null output: counters cpu_pct (of one core) and
//     max_rss_mb (peak resident memory).
#include <algorithm>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "childrun.h"
#include "support/icecast.h"

namespace {

ztest::Icecast* g_server = nullptr;
std::string g_error;

const std::string& Url() {
  static const std::string url = [] {
    g_server = new ztest::Icecast();
    if (!g_server->Start(&g_error)) return std::string();
    ztest::Icecast::Source mp3;
    mp3.mount = "/mp3";
    if (!g_server->AddSource(mp3, &g_error)) return std::string();
    return g_server->Url("/mp3");
  }();
  return url;
}

std::vector<std::string> Command(bool mpv, double seconds) {
  const std::string s = std::to_string(seconds);
  if (mpv)
    return {"mpv", "--no-config", "--ao=null", "--vo=null", "--length=" + s, Url()};
  return {ZOVALIS_ZPLAYER, "-q", "-o", "null", "-t", s, Url()};
}

void Check(benchmark::State& state, bool mpv) {
  if (Url().empty()) state.SkipWithError(("icecast: " + g_error).c_str());
  else if (mpv && !zbench::HaveProgram("mpv")) state.SkipWithError("mpv is not installed");
}

void BM_OpenToFirstAudio(benchmark::State& state, bool mpv) {
  Check(state, mpv);
  if (state.error_occurred()) return;
  for (auto _ : state) {
    const zbench::RunResult r = zbench::RunMeasured(Command(mpv, 0.05));
    if (!r.ok) return state.SkipWithError("player failed");
    state.SetIterationTime(r.wallSeconds);
  }
}
BENCHMARK_CAPTURE(BM_OpenToFirstAudio, zplayer, false)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK_CAPTURE(BM_OpenToFirstAudio, mpv, true)
    ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Play30s(benchmark::State& state, bool mpv) {
  Check(state, mpv);
  if (state.error_occurred()) return;
  double cpu = 0, wall = 0, rss = 0;
  for (auto _ : state) {
    const zbench::RunResult r = zbench::RunMeasured(Command(mpv, 30));
    if (!r.ok) return state.SkipWithError("player failed");
    cpu += r.cpuSeconds;
    wall += r.wallSeconds;
    rss = std::max(rss, r.maxRssMb);
    state.SetIterationTime(r.wallSeconds);
  }
  state.counters["cpu_pct"] = wall > 0 ? 100.0 * cpu / wall : 0;
  state.counters["max_rss_mb"] = rss;
}
BENCHMARK_CAPTURE(BM_Play30s, zplayer, false)
    ->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Play30s, mpv, true)
    ->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete g_server;  // stops the sources and the server by PID
  return 0;
}
