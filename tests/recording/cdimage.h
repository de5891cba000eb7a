// CdImage: a BIN/CUE image written by a test to stand in for an audio CD in a drive.
// Each track holds known 16-bit stereo samples (pseudo-random, so any misplaced sector
// shows), padded with silence to whole 2352-byte sectors.
#pragma once

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace ztest {

class CdImage {
 public:
  // Writes `folder`/disc.bin and disc.cue with one track per entry of `frames`.
  CdImage(const std::string& folder, const std::vector<size_t>& frames) : cue_(folder + "/disc.cue") {
    std::ofstream bin(folder + "/disc.bin", std::ios::binary);
    std::string cue = "FILE \"disc.bin\" BINARY\n";
    uint32_t state = 12345;
    size_t sector = 0;
    for (size_t t = 0; t < frames.size(); ++t) {
      const size_t sectors = (frames[t] + 587) / 588;
      char line[96];
      snprintf(line, sizeof line, "  TRACK %02zu AUDIO\n    INDEX 01 %02zu:%02zu:%02zu\n", t + 1,
               sector / 75 / 60, sector / 75 % 60, sector % 75);
      cue += line;
      std::vector<int16_t> samples(sectors * 588 * 2, 0);
      for (size_t i = 0; i < frames[t] * 2; ++i) {
        state = state * 1664525u + 1013904223u;
        samples[i] = static_cast<int16_t>(state >> 16);
      }
      bin.write(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);
      tracks_.push_back(std::move(samples));
      sector += sectors;
    }
    std::ofstream(cue_) << cue;
  }

  const std::string& Cue() const { return cue_; }
  // The samples of track `number` (from 1), padding included.
  const std::vector<int16_t>& Samples(int number) const { return tracks_.at(number - 1); }

 private:
  std::string cue_;
  std::vector<std::vector<int16_t>> tracks_;
};

}  // namespace ztest
