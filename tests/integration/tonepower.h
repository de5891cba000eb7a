// Goertzel: the power of one frequency in a block of samples, for tests that tell what
// is heard or recorded by its tone.
#pragma once

#include <cmath>
#include <cstddef>

// |X(f)|^2 * 2 / n for `n` samples at `rate` Hz: a pure tone at `frequency` gives the
// block's energy (the sum of its squared samples). `at(i)` is sample i.
template <typename At>
double TonePower(At at, size_t n, double frequency, double rate) {
  const double coeff = 2 * std::cos(2 * M_PI * frequency / rate);
  double s1 = 0, s2 = 0;
  for (size_t i = 0; i < n; ++i) {
    const double s0 = at(i) + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  return (s1 * s1 + s2 * s2 - coeff * s1 * s2) * 2.0 / static_cast<double>(n);
}
