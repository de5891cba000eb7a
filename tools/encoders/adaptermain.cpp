#include "adaptermain.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "wavinput.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr size_t kChunkFrames = 4096;

// The packed libav sample format of what WavInput gives; 24-bit samples are widened to
// 32 bits first (libav has no packed 24-bit format).
AVSampleFormat SampleFormatOf(const WavInput& wav) {
  if (wav.SampleKind() == WavInput::Sample::Float)
    return wav.BitsPerSample() == 64 ? AV_SAMPLE_FMT_DBL : AV_SAMPLE_FMT_FLT;
  switch (wav.BitsPerSample()) {
    case 8: return AV_SAMPLE_FMT_U8;
    case 16: return AV_SAMPLE_FMT_S16;
    default: return AV_SAMPLE_FMT_S32;  // 24 and 32
  }
}

void Widen24(const uint8_t* in, size_t samples, std::vector<uint8_t>* out) {
  out->resize(samples * 4);
  for (size_t i = 0; i < samples; ++i) {
    (*out)[i * 4] = 0;
    (*out)[i * 4 + 1] = in[i * 3];
    (*out)[i * 4 + 2] = in[i * 3 + 1];
    (*out)[i * 4 + 3] = in[i * 3 + 2];
  }
}

}  // namespace

long ParseKbps(const char* text) {
  char* end = nullptr;
  const long kbps = strtol(text, &end, 10);
  if (end == text || *end != '\0' || kbps < 8 || kbps > 1536) return 0;
  return kbps * 1000;
}

int EncodeWavToFile(const char* program, const std::string& input, const std::string& output,
                    const AvFileEncoder::Settings& settings) {
  // libav's own notes (encoder statistics) are not errors; ours go to standard error.
  av_log_set_level(AV_LOG_ERROR);
  FILE* in = stdin;
  if (input != "-") {
    in = fopen(input.c_str(), "rb");
    if (!in) {
      fprintf(stderr, "%s: cannot open %s\n", program, input.c_str());
      return 1;
    }
  }
  WavInput wav;
  std::string error;
  if (!wav.Open(in, &error)) {
    fprintf(stderr, "%s: %s\n", program, error.c_str());
    if (in != stdin) fclose(in);
    return 1;
  }
  AvFileEncoder encoder;
  if (!encoder.Open(output, settings, wav.Rate(), wav.Channels(), SampleFormatOf(wav), &error)) {
    fprintf(stderr, "%s: %s\n", program, error.c_str());
    if (in != stdin) fclose(in);
    return 1;
  }
  std::vector<uint8_t> buffer(kChunkFrames * static_cast<size_t>(wav.BytesPerFrame()));
  std::vector<uint8_t> widened;
  bool ok = true;
  for (;;) {
    const long frames = wav.ReadFrames(buffer.data(), kChunkFrames);
    if (frames < 0) {
      fprintf(stderr, "%s: read error on the input\n", program);
      ok = false;
      break;
    }
    if (frames == 0) break;
    const uint8_t* samples = buffer.data();
    if (wav.SampleKind() == WavInput::Sample::Int && wav.BitsPerSample() == 24) {
      Widen24(buffer.data(), static_cast<size_t>(frames) * wav.Channels(), &widened);
      samples = widened.data();
    }
    if (!encoder.Write(samples, static_cast<int>(frames), &error)) {
      fprintf(stderr, "%s: %s\n", program, error.c_str());
      ok = false;
      break;
    }
  }
  // Even after an input error, what was encoded so far is kept as a complete file.
  if (!encoder.Finish(&error)) {
    fprintf(stderr, "%s: %s\n", program, error.c_str());
    ok = false;
  }
  if (in != stdin) fclose(in);
  return ok ? 0 : 1;
}
