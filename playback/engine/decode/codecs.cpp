// Codec plug-ins and the codec report: what this FFmpeg build offers among the
// codecs and containers the program plays and records.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"

namespace zengine {

namespace {

enum class Kind { Decoder, Encoder, Demuxer, Muxer };

struct Need {
  Kind kind;
  const char* name;
};

bool Available(const Need& need) {
  switch (need.kind) {
    case Kind::Decoder: return avcodec_find_decoder_by_name(need.name) != nullptr;
    case Kind::Encoder: return avcodec_find_encoder_by_name(need.name) != nullptr;
    // Demuxer names are matched against FFmpeg's comma lists ("mov" finds
    // "mov,mp4,m4a,3gp,3g2,mj2").
    case Kind::Demuxer: return av_find_input_format(need.name) != nullptr;
    case Kind::Muxer: return av_guess_format(need.name, nullptr, nullptr) != nullptr;
  }
  return false;
}

struct Plugin {
  const char* name;
  uint32_t handle;
  std::vector<Need> needs;
};

// Handles are fixed per plug-in, so loading one twice gives the same handle.
const std::vector<Plugin> kPlugins = {
    {"wma", 0x10001,
     {{Kind::Decoder, "wmav1"}, {Kind::Decoder, "wmav2"}, {Kind::Decoder, "wmapro"},
      {Kind::Encoder, "wmav2"}, {Kind::Demuxer, "asf"}, {Kind::Muxer, "asf"}}},
    // FFmpeg's raw ADTS demuxer is named "aac"; the muxer is "adts".
    {"aac", 0x10002,
     {{Kind::Decoder, "aac"}, {Kind::Encoder, "aac"}, {Kind::Demuxer, "aac"},
      {Kind::Demuxer, "mov"}}},
    {"ac3", 0x10003,
     {{Kind::Decoder, "ac3"}, {Kind::Decoder, "eac3"}, {Kind::Encoder, "ac3"},
      {Kind::Demuxer, "ac3"}}},
    // CD tracks are read by libcdio, not FFmpeg: nothing to check.
    {"cd", 0x10004, {}},
};

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Decoders the program uses. Alternatives in one row: any one of them is enough
// (FFmpeg's float MP3 decoder is preferred, the fixed-point one does as well).
const std::vector<std::vector<const char*>> kDecoders = {
    {"mp3float", "mp3"}, {"mp2float", "mp2"}, {"aac"},       {"vorbis"},
    {"wmav1"},           {"wmav2"},           {"wmapro"},    {"ac3"},
    {"eac3"},            {"flac"},            {"pcm_u8"},    {"pcm_s16le"},
    {"pcm_s24le"},       {"pcm_s32le"},       {"pcm_f32le"}, {"pcm_alaw"},
    {"pcm_mulaw"},
};
// Encoders the program uses itself: the WMA writer, the AAC and AC-3 adapters, WAV.
const char* const kEncoders[] = {"wmav2", "aac", "ac3", "pcm_s16le"};

}  // namespace

uint32_t PluginLoad(const std::string& name) {
  const std::string key = Lower(name);
  for (const Plugin& plugin : kPlugins) {
    if (key != plugin.name) continue;
    for (const Need& need : plugin.needs)
      if (!Available(need)) return FailHandle(kErrCodec);
    SetLastError(kOk);
    return plugin.handle;
  }
  return FailHandle(kErrFileForm);
}

CodecReport GetCodecReport() {
  CodecReport report;
  for (const auto& row : kDecoders) {
    const auto found = std::find_if(row.begin(), row.end(), [](const char* n) {
      return avcodec_find_decoder_by_name(n) != nullptr;
    });
    if (found != row.end())
      report.decoders.emplace_back(*found);
    else
      report.missing.push_back(std::string("decoder ") + row.back());
  }
  for (const char* name : kEncoders) {
    if (avcodec_find_encoder_by_name(name))
      report.encoders.emplace_back(name);
    else
      report.missing.push_back(std::string("encoder ") + name);
  }
  SetLastError(kOk);
  return report;
}

}  // namespace zengine
