#include "options.h"

#include <cstdlib>
#include <cstring>

#include "recordroute.h"

namespace zplayer {

const char kUsage[] =
    "usage: zplayer [options] URL|FILE...\n"
    "  -o, --output pulse|null|null-fast   where the sound goes (default pulse)\n"
    "  -t, --seconds N                     stop after N seconds (default: the end)\n"
    "  -v, --volume 0-100                  global volume (default 100)\n"
    "  -b, --wait-buffer                   fill the buffer to 75 % before playing\n"
    "  -p, --proxy user:pass@host:port     HTTP proxy for URLs\n"
    "  -q, --quiet                         print titles and errors only\n"
    "  -r, --record FILE                   record what plays into FILE, as the recorder does;\n"
    "                                      the format is FILE's extension: aac ac3 mp3 ogg wav wma\n";

bool ParseOptions(int argc, char** argv, Options* o, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        *error = std::string(name) + " needs a value\n" + kUsage;
        return nullptr;
      }
      return argv[++i];
    };
    if (a == "-h" || a == "--help") {
      *error = kUsage;
      return false;
    } else if (a == "-o" || a == "--output") {
      const char* v = value("--output");
      if (!v) return false;
      o->output = v;
      if (o->output != "pulse" && o->output != "null" && o->output != "null-fast") {
        *error = "unknown output " + o->output + "\n" + kUsage;
        return false;
      }
    } else if (a == "-t" || a == "--seconds") {
      const char* v = value("--seconds");
      if (!v) return false;
      char* end = nullptr;
      o->seconds = std::strtod(v, &end);
      if (*end || o->seconds < 0) {
        *error = std::string("bad number of seconds: ") + v;
        return false;
      }
    } else if (a == "-v" || a == "--volume") {
      const char* v = value("--volume");
      if (!v) return false;
      char* end = nullptr;
      o->volume = static_cast<int>(std::strtol(v, &end, 10));
      if (*end || o->volume < 0 || o->volume > 100) {
        *error = std::string("bad volume: ") + v;
        return false;
      }
    } else if (a == "-p" || a == "--proxy") {
      const char* v = value("--proxy");
      if (!v) return false;
      o->proxy = v;
    } else if (a == "-r" || a == "--record") {
      const char* v = value("--record");
      if (!v) return false;
      o->record = v;
      if (RecordRoute::FormatOf(o->record).empty()) {
        *error = "cannot record into " + o->record + ": use .aac .ac3 .mp3 .ogg .wav or .wma\n";
        return false;
      }
    } else if (a == "-b" || a == "--wait-buffer") {
      o->waitBuffer = true;
    } else if (a == "-q" || a == "--quiet") {
      o->quiet = true;
    } else if (!a.empty() && a[0] == '-' && a != "-") {
      *error = "unknown option " + a + "\n" + kUsage;
      return false;
    } else {
      o->inputs.push_back(a);
    }
  }
  if (o->inputs.empty()) {
    *error = kUsage;
    return false;
  }
  return true;
}

}  // namespace zplayer
