// CPU of playing an MP3 and recording it as MP3 (lame -V 0, through the engine)
// against playing alone plus lame encoding the same sound alone. The difference is the
// engine's own recording overhead (hook, conversion, queue, writer thread, pipe); the
// target is at most 10 %. CPU is user + system time of this process and of its reaped
// children (lame). Playback runs on the real-time null output, as a stream plays.
//
// Also: the cost on the playback thread of handing one block to an encoder.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "playback/engine/engine.h"
#include "playback/engine/record/encoder.h"
#include "playback/engine/record/wavwriter.h"

namespace {

using namespace zengine;

constexpr int kSeconds = 10;

double CpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
double CpuAll() { return CpuSeconds(RUSAGE_SELF) + CpuSeconds(RUSAGE_CHILDREN); }

struct Files {
  std::string folder;
  std::string mp3;
  std::string wav;  // the same sound, decoded, for lame alone
};

const Files& Fixture() {
  static Files files = [] {
    Files f;
    char templ[] = "/tmp/zovalis-bench-XXXXXX";
    f.folder = mkdtemp(templ);
    f.mp3 = f.folder + "/source.mp3";
    f.wav = f.folder + "/source.wav";
    const std::string make =
        "ffmpeg -nostdin -v error -y -f lavfi -i 'sine=frequency=440:sample_rate=44100:duration=" +
        std::to_string(kSeconds) + "' -f lavfi -i 'anoisesrc=c=pink:r=44100:a=0.1:d=" +
        std::to_string(kSeconds) + "' -filter_complex amix=inputs=2 -ac 2 -c:a libmp3lame -b:a 128k '" +
        f.mp3 + "' && ffmpeg -nostdin -v error -y -i '" + f.mp3 + "' -c:a pcm_s16le '" + f.wav + "'";
    if (system(make.c_str()) != 0) abort();
    return f;
  }();
  return files;
}

// Plays the file to its end on the real-time null output, optionally recording it.
void Play(const std::string& mp3, const std::string& recordTo) {
  const Handle ch = StreamCreateFile(mp3);
  if (!ch) abort();
  std::atomic<bool> ended{false};
  ChannelSetSync(ch, kSyncEnd, [&](Handle, const std::string&) { ended = true; });
  Handle encoder = 0;
  if (!recordTo.empty()) {
    encoder = EncodeStart(ch, "encoder/lame -V 0 - \"" + recordTo + "\"", 0);
    if (!encoder) abort();
  }
  ChannelPlay(ch);
  while (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (encoder) EncodeStop(encoder);
  StreamFree(ch);
}

void BM_RecordingOverhead(benchmark::State& state) {
  const Files& f = Fixture();
  Init(-1, 44100, OutputKind::Null);
  RecordInit(-1);
  EncodeSetProgramFolder(ZOVALIS_PROGRAM_DIR);
  double play = 0, lame = 0, both = 0;
  for (auto _ : state) {
    double t = CpuAll();
    Play(f.mp3, "");
    play += CpuAll() - t;

    t = CpuAll();
    const std::string alone = "'" ZOVALIS_PROGRAM_DIR "/encoder/lame' --quiet -V 0 '" + f.wav +
                              "' '" + f.folder + "/alone.mp3'";
    if (system(alone.c_str()) != 0) abort();
    lame += CpuAll() - t;

    t = CpuAll();
    Play(f.mp3, f.folder + "/recorded.mp3");
    both += CpuAll() - t;
  }
  RecordFree();
  Free();
  const double n = static_cast<double>(state.iterations());
  state.counters["play_cpu_s"] = play / n;
  state.counters["lame_cpu_s"] = lame / n;
  state.counters["play_and_record_cpu_s"] = both / n;
  state.counters["overhead_pct"] = 100.0 * (both - play - lame) / (play + lame);
}
BENCHMARK(BM_RecordingOverhead)->Iterations(3)->Unit(benchmark::kSecond);

// One 1024-frame stereo block handed to an encoder (conversion to 16 bits and queueing),
// as the playback thread does it. The writer drains into /dev/null meanwhile.
void EncoderPushBlock(benchmark::State& state) {
  Encoder e(WavWriter::Create("/dev/null", 44100, 2), 44100, 2, nullptr);
  e.Start();
  std::vector<float> block(2048);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<float>(std::sin(i * 0.01) * 0.5);
  for (auto _ : state) e.Push(block.data(), 1024, 2, 44100);
  e.Stop();
  state.counters["dropped_frames"] = static_cast<double>(e.DroppedFrames());
  state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(EncoderPushBlock);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  if (!Fixture().folder.empty()) std::filesystem::remove_all(Fixture().folder, ec);
  return 0;
}
