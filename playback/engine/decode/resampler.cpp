#include "playback/engine/decode/resampler.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace zengine {

Resampler::Resampler(int inRate, int inChannels, int outRate)
    : inRate_(inRate), inChannels_(inChannels), outRate_(outRate) {}

Resampler::~Resampler() { swr_free(&swr_); }

void Resampler::Open() {
  opened_ = true;
  swr_free(&swr_);
  AVChannelLayout in = {};
  AVChannelLayout out = {};
  av_channel_layout_default(&in, inChannels_);
  av_channel_layout_default(&out, 2);
  if (swr_alloc_set_opts2(&swr_, &out, AV_SAMPLE_FMT_FLT, outRate_, &in, AV_SAMPLE_FMT_FLT,
                          inRate_, 0, nullptr) < 0 ||
      swr_init(swr_) < 0) {
    swr_free(&swr_);
  }
  av_channel_layout_uninit(&in);
  av_channel_layout_uninit(&out);
}

const float* Resampler::Convert(const float* in, size_t frames, size_t* outFrames) {
  *outFrames = 0;
  if (!opened_) Open();
  if (!swr_) return out_.data();
  const int room = swr_get_out_samples(swr_, static_cast<int>(frames));
  if (room <= 0) return out_.data();
  out_.resize(static_cast<size_t>(room) * 2);
  auto* dst = reinterpret_cast<uint8_t*>(out_.data());
  const auto* src = reinterpret_cast<const uint8_t*>(in);
  const int n = swr_convert(swr_, &dst, room, &src, static_cast<int>(frames));
  if (n > 0) *outFrames = static_cast<size_t>(n);
  return out_.data();
}

void Resampler::Reset() {
  swr_free(&swr_);
  opened_ = false;
}

}  // namespace zengine
