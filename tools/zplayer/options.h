// zplayer's command line.
#pragma once

#include <string>
#include <vector>

namespace zplayer {

struct Options {
  std::string output = "pulse";  // pulse, null, null-fast
  double seconds = 0;            // play this long, 0 = to the end (files) or until Ctrl-C
  int volume = 100;
  bool quiet = false;            // titles and errors only
  bool waitBuffer = false;       // wait for a 75 % buffer before playing, as the program does
  std::string proxy;
  std::string record;            // record what plays into this file (format from its extension)
  std::vector<std::string> inputs;  // URLs or files, played one after the other
};

// Parses argv; on a bad command line returns false with *error set (the usage text
// when asked for it with -h).
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

extern const char kUsage[];

}  // namespace zplayer
