// aften: the recorder's AC-3 encoder program. Reads WAV (standard input for "-") and
// writes raw AC-3:
//
//   aften [-b KBPS] INPUT OUTPUT
//
// The recorder calls it as `aften - "FILE"`. Default bit rate: libavcodec's for the
// channel count (192 kbit/s for stereo).
#include <cstdio>
#include <cstring>
#include <string>

#include "adaptermain.h"

namespace {

int Usage() {
  fprintf(stderr, "usage: aften [-b KBPS] INPUT.wav|- OUTPUT.ac3\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string paths[2];
  int count = 0;
  long bitRate = 0;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "-b") == 0 && i + 1 < argc) {
      bitRate = ParseKbps(argv[++i]);
      if (!bitRate) return Usage();
    } else if (count < 2 && (strcmp(argv[i], "-") == 0 || argv[i][0] != '-')) {
      paths[count++] = argv[i];
    } else {
      return Usage();
    }
  }
  if (count != 2) return Usage();
  AvFileEncoder::Settings settings{"ac3", "ac3", bitRate};
  return EncodeWavToFile("aften", paths[0], paths[1], settings);
}
