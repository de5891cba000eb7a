// Twenty cuts by title in a row while a station plays: a local ICY server changes the
// title every second; at each title sync the file is cut the way the recorder cuts it
// (stop the MP3 encoder, start the next one, on this thread). Measured:
// - cut_ms_mean / cut_ms_max: time the cutting thread spends in stop + start;
// - playback_gap_ms_max: the longest wait between two blocks on the playback thread
//   during the run (the channel keeps 250 ms queued for the output: a longer stall of
//   the playback thread would be heard as a stutter);
// - decoded_s and recorded_s: sound decoded from the first start to the last stop, and
//   the sum of the WAV companion files' lengths (a WAV encoder is cut alongside), which
//   must agree within a block or two (the count starts and stops beside the encoders,
//   not on their exact block): nothing lost or doubled at the cuts;
// - underruns: times the output (paced in real time) found the channel short of sound
//   during the run: each would be heard as a stutter.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "playback/engine/engine.h"

extern char** environ;

namespace {

using namespace zengine;
using Clock = std::chrono::steady_clock;

constexpr int kCuts = 20;

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Frames in a 16-bit stereo WAV file written by the engine (header of 44 bytes).
double WavSeconds(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  return ec || size < 44 ? 0 : static_cast<double>(size - 44) / (44100.0 * 4);
}

void BM_TwentyCutsInARow(benchmark::State& state) {
  char templ[] = "/tmp/zovalis-cuts-XXXXXX";
  const std::string dir = mkdtemp(templ);
  const std::string make = "ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:duration=2 -ac 2 -c:a "
                           "libmp3lame -b:a 128k -write_xing 0 '" + dir + "/A.mp3' && ffmpeg -nostdin -v error -y "
                           "-f lavfi -i sine=frequency=1000:duration=60 -ac 2 -c:a libmp3lame -b:a 128k "
                           "-write_xing 0 '" + dir + "/B.mp3'";
  if (system(make.c_str()) != 0) abort();
  const std::string portFile = dir + "/port";
  const std::string a = dir + "/A.mp3", b = dir + "/B.mp3";
  const char* args[] = {"/usr/bin/python3", ZOVALIS_ALIGN_SERVER, portFile.c_str(), a.c_str(), b.c_str(), "titles",
                        nullptr};
  pid_t server = -1;
  if (posix_spawn(&server, args[0], nullptr, nullptr, const_cast<char**>(args), environ) != 0) abort();
  std::string port;
  for (int i = 0; i < 100 && port.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port = ReadAll(portFile);
  }

  Init(-1, 44100, OutputKind::Null);
  RecordInit(-1);
  EncodeSetProgramFolder(ZOVALIS_PROGRAM_DIR);
  for (auto _ : state) {
    const Handle h = StreamCreateURL("http://127.0.0.1:" + port + "/");
    if (!h) abort();
    std::mutex mutex;
    std::deque<std::string> titles;
    ChannelSetSync(h, kSyncMeta, [&](Handle, const std::string& text) {
      std::lock_guard<std::mutex> lock(mutex);
      titles.push_back(text);
    });
    std::atomic<int64_t> lastBlockNs{0}, maxGapNs{0}, frames{0};
    std::atomic<bool> counting{false};
    ChannelSetDSP(h, [&](const float*, size_t n, int, int) {
      // Playback thread.
      const int64_t now = Clock::now().time_since_epoch().count();
      const int64_t last = lastBlockNs.exchange(now);
      if (counting && last) {
        maxGapNs = std::max<int64_t>(maxGapNs.load(), now - last);
        frames += static_cast<int64_t>(n);
      }
    });
    ChannelPlay(h, false);
    int file = 0;
    auto start = [&] {
      ++file;
      const std::string base = dir + "/cut" + std::to_string(file);
      const Handle mp3 = EncodeStart(h, "encoder/lame -V 0 --ignorelength - \"" + base + ".mp3\"", kEncodeCutAtTitle);
      const Handle wav = EncodeStart(h, base + ".wav", kEncodePcm | kEncodeCutAtTitle);
      if (!mp3 || !wav) abort();
      return std::pair{mp3, wav};
    };
    // Wait for the first title, then record, cutting at every later one.
    for (bool first = false; !first;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::lock_guard<std::mutex> lock(mutex);
      first = !titles.empty();
      titles.clear();
    }
    counting = true;
    auto encoders = start();
    double cutTotal = 0, cutMax = 0;
    int cuts = 0;
    while (cuts < kCuts) {
      bool title = false;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (!titles.empty()) {
          titles.pop_front();
          title = true;
        }
      }
      if (!title) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      const auto t = Clock::now();
      EncodeStop(encoders.first);
      EncodeStop(encoders.second);
      encoders = start();
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t).count();
      cutTotal += ms;
      cutMax = std::max(cutMax, ms);
      ++cuts;
    }
    // The decoded count stops with the encoders: the hook order keeps both in step.
    counting = false;
    EncodeStop(encoders.first);
    EncodeStop(encoders.second);
    double recorded = 0;
    for (int i = 1; i <= file; ++i) recorded += WavSeconds(dir + "/cut" + std::to_string(i) + ".wav");
    state.counters["cut_ms_mean"] = cutTotal / cuts;
    state.counters["cut_ms_max"] = cutMax;
    state.counters["playback_gap_ms_max"] = static_cast<double>(maxGapNs.load()) / 1e6;
    state.counters["decoded_s"] = static_cast<double>(frames.load()) / 44100.0;
    state.counters["recorded_s"] = recorded;
    state.counters["underruns"] = static_cast<double>(ChannelGetUnderruns(h));
    StreamFree(h);
  }
  RecordFree();
  Free();
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}
BENCHMARK(BM_TwentyCutsInARow)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
