// faac: the recorder's AAC encoder program. Reads WAV (standard input for "-") and
// writes ADTS AAC:
//
//   faac [-b KBPS] [-c COMMENT] -o OUTPUT INPUT
//
// The recorder calls it as `faac -o "FILE" -`. Default bit rate: 64 kbit/s per channel.
#include <cstdio>
#include <cstring>
#include <string>

#include "adaptermain.h"

namespace {

int Usage() {
  fprintf(stderr, "usage: faac [-b KBPS] [-c COMMENT] -o OUTPUT.aac INPUT.wav|-\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input;
  std::string output;
  long bitRate = 0;
  std::string comment;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      output = argv[++i];
    } else if (strcmp(argv[i], "-c") == 0 && i + 1 < argc) {
      comment = argv[++i];
    } else if (strcmp(argv[i], "-b") == 0 && i + 1 < argc) {
      bitRate = ParseKbps(argv[++i]);
      if (!bitRate) return Usage();
    } else if (input.empty() && (strcmp(argv[i], "-") == 0 || argv[i][0] != '-')) {
      input = argv[i];
    } else {
      return Usage();
    }
  }
  if (input.empty() || output.empty()) return Usage();
  AvFileEncoder::Settings settings{"aac", "adts", bitRate, comment};
  return EncodeWavToFile("faac", input, output, settings);
}
