#include "playback/engine/spectrum.h"

#include <array>
#include <cmath>
#include <mutex>

extern "C" {
#include <libavutil/tx.h>
}

namespace zengine {

namespace {

struct Transform {
  AVTXContext* ctx = nullptr;
  av_tx_fn fn = nullptr;
  std::array<float, Spectrum::kSize> hann{};
  Transform() {
    const float scale = 1.0f;
    if (av_tx_init(&ctx, &fn, AV_TX_FLOAT_RDFT, 0, Spectrum::kSize, &scale, 0) < 0) ctx = nullptr;
    for (size_t i = 0; i < Spectrum::kSize; ++i)
      hann[i] = 0.5f - 0.5f * std::cos(2.0f * static_cast<float>(M_PI) * i / Spectrum::kSize);
  }
  ~Transform() { av_tx_uninit(&ctx); }
};

}  // namespace

void Spectrum::Compute(const float* samples, float* magnitudes) {
  // One transform per thread: av_tx contexts are not safe to share.
  thread_local Transform t;
  alignas(32) std::array<float, kSize + 2> in{};
  alignas(32) std::array<float, kSize + 2> out{};  // kBins + 1 complex values
  for (size_t i = 0; i < kSize; ++i) in[i] = samples[i] * t.hann[i];
  if (!t.ctx) {
    for (size_t k = 0; k < kBins; ++k) magnitudes[k] = 0.0f;
    return;
  }
  t.fn(t.ctx, out.data(), in.data(), sizeof(float));
  constexpr float kScale = 2.0f / (kSize / 2.0f);  // 2 / sum of the Hann window
  for (size_t k = 0; k < kBins; ++k) {
    const float re = out[2 * k];
    const float im = out[2 * k + 1];
    magnitudes[k] = std::sqrt(re * re + im * im) * kScale;
  }
}

}  // namespace zengine
