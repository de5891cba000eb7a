// zplayer: plays URLs and files through the engine, printing what the program would
// show: stream type, rate, channels, length, tag blocks, buffer level and each title.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "options.h"
#include "playback/engine/engine.h"
#include "recordroute.h"

namespace {

using namespace zengine;
using Clock = std::chrono::steady_clock;

std::atomic<bool> g_interrupted{false};

const char* TypeName(uint32_t type) {
  switch (type) {
    case kTypeOgg: return "OGG";
    case kTypeMp2: return "MP2";
    case kTypeMp3: return "MP3";
    case kTypeWma: return "WMA";
    case kTypeWm3: return "WM3";
    case kTypeAac: return "AAC";
    case kTypeMp4: return "MP4";
    case kTypeAc3: return "AC3";
    case kTypeOpus: return "OPUS";
    case kTypeFlac: return "FLAC";
    case kTypeOggFlac: return "OGG/FLAC";
    case kTypeCda: return "CDA";
    case kTypeWav: return "WAV";
    case kTypeWavPcm: return "WAV/PCM";
    case kTypeWavFloat: return "WAV/float";
    default: return type >= 0x20000 && type <= 0x20004 ? "module music" : "other";
  }
}

bool IsUrl(const std::string& s) {
  return s.rfind("http://", 0) == 0 || s.rfind("https://", 0) == 0;
}

void PrintTags(Handle h) {
  const struct {
    TagType type;
    const char* name;
  } kinds[] = {{kTagWma, "WMA"},   {kTagIcy, "ICY"},   {kTagId3, "ID3"}, {kTagId3v2, "ID3V2"},
               {kTagHttp, "HTTP"}, {kTagMp4, "MP4"},   {kTagOgg, "OGG"}, {kTagMeta, "META"}};
  for (const auto& k : kinds) {
    const std::string block = ChannelGetTags(h, k.type);
    if (block.empty()) continue;
    std::printf("------- TAG %s -------\n", k.name);
    for (size_t at = 0; at < block.size() && block[at];) {
      const std::string text(block.c_str() + at);
      std::printf("  %s\n", text.c_str());
      at += text.size() + 1;
    }
  }
}

// Plays one input; returns 0 or the engine's error code.
int PlayOne(const std::string& input, const zplayer::Options& o) {
  const auto opened = Clock::now();
  const Handle h = IsUrl(input) ? StreamCreateURL(input) : StreamCreateFile(input);
  Handle channel = h;
  if (!channel && !IsUrl(input)) channel = MusicLoad(input);
  if (!channel) {
    const int code = ErrorGetCode();
    std::fprintf(stderr, "zplayer: %s: engine error %d\n", input.c_str(), code);
    return code;
  }
  ChannelInfo info;
  ChannelGetInfo(channel, &info);
  const int64_t length = ChannelGetLength(channel);
  if (!o.quiet) {
    std::printf("%s\n  type %s (0x%X), %d Hz, %d channel(s)", input.c_str(), TypeName(info.ctype),
                info.ctype, info.freq, info.chans);
    if (length >= 0) std::printf(", %.2f s", ChannelBytes2Seconds(channel, length));
    std::printf("\n");
    PrintTags(channel);
  }
  if (o.waitBuffer && IsUrl(input)) {
    for (int level = 0; level <= 75 && !g_interrupted;) {
      const int64_t end = StreamGetFilePosition(channel, 2);
      if (end <= 0) break;
      level = static_cast<int>((StreamGetFilePosition(channel, 1) -
                                StreamGetFilePosition(channel, 0)) * 100 / end);
      if (!o.quiet) std::printf("\r  buffer %3d %%", level), std::fflush(stdout);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!o.quiet) std::printf("\n");
  }

  std::mutex mutex;
  std::condition_variable changed;
  bool ended = false;
  // Engine threads: print each title, note the end.
  ChannelSetSync(channel, kSyncMeta, [](Handle, const std::string& text) {
    std::printf("title: %s\n", text.c_str());
    std::fflush(stdout);
  });
  ChannelSetSync(channel, kSyncEnd, [&](Handle, const std::string&) {
    std::lock_guard<std::mutex> lock(mutex);
    ended = true;
    changed.notify_all();
  });
  const std::string firstMeta = ChannelGetTags(channel, kTagMeta);
  if (!firstMeta.empty()) std::printf("title: %s\n", firstMeta.c_str());
  // Started before playing, so the file holds the sound from its first block.
  RecordRoute recording;
  if (!o.record.empty()) {
    std::string why;
    if (!recording.Start(channel, RecordRoute::FormatOf(o.record), o.record, "zplayer", input, &why)) {
      const int code = ErrorGetCode();
      std::fprintf(stderr, "zplayer: record: %s\n", why.c_str());
      StreamFree(channel);
      return code ? code : kErrUnknown;
    }
    if (!o.quiet) std::printf("recording into %s\n", o.record.c_str());
  }
  if (!ChannelPlay(channel, false)) {
    std::fprintf(stderr, "zplayer: play: engine error %d\n", ErrorGetCode());
    recording.Stop();
    StreamFree(channel);
    return ErrorGetCode();
  }
  bool reported = false;
  auto lastShown = Clock::now();
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait_for(lock, std::chrono::milliseconds(5));
      if (ended) break;
    }
    if (g_interrupted) break;
    const double heard = ChannelBytes2Seconds(channel, ChannelGetPosition(channel));
    if (!reported && heard > 0) {
      reported = true;
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - opened);
      if (!o.quiet) std::printf("first audio after %lld ms\n", static_cast<long long>(ms.count()));
    }
    if (o.seconds > 0 && heard >= o.seconds) break;
    if (IsUrl(input) && StreamGetFilePosition(channel, 2) == -1) {
      std::fprintf(stderr, "zplayer: the stream has ended\n");
      break;
    }
    if (!o.quiet && Clock::now() - lastShown > std::chrono::seconds(1)) {
      lastShown = Clock::now();
      std::printf("  %.1f s\n", heard);
    }
  }
  if (!o.record.empty() && !recording.Active())
    std::fprintf(stderr, "zplayer: the recording ended early (encoder gone)\n");
  recording.Stop();  // completes the file
  StreamFree(channel);
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  zplayer::Options options;
  std::string error;
  if (!zplayer::ParseOptions(argc, argv, &options, &error)) {
    // Asking for the usage is not an error: it goes to standard output, exit status 0.
    for (int i = 1; i < argc; ++i) {
      if (std::string(argv[i]) == "-h" || std::string(argv[i]) == "--help") {
        std::fputs(error.c_str(), stdout);
        return 0;
      }
    }
    std::fprintf(stderr, "%s", error.c_str());
    return 2;
  }
  signal(SIGINT, [](int) { g_interrupted = true; });
  signal(SIGTERM, [](int) { g_interrupted = true; });
  const OutputKind kind = options.output == "null"        ? OutputKind::Null
                          : options.output == "null-fast" ? OutputKind::NullFast
                                                          : OutputKind::Pulse;
  if (!Init(-1, 44100, kind)) {
    std::fprintf(stderr, "zplayer: no output (%s): engine error %d\n", options.output.c_str(),
                 ErrorGetCode());
    return 1;
  }
  SetVolume(options.volume);
  SetProxy(options.proxy);
  int status = 0;
  for (const std::string& input : options.inputs) {
    if (g_interrupted) break;
    if (PlayOne(input, options) != kOk) status = 1;
  }
  Free();
  return status;
}
