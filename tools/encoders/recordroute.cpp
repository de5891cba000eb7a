#include "recordroute.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  const size_t at = s.find(from);
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

// The recorder's command lines (program paths relative to the program folder).
const std::map<std::string, std::string>& CommandLines() {
  static const std::map<std::string, std::string> lines = {
      {"aac", R"(encoder/faac -o "FILE" -)"},
      {"ac3", R"(encoder/aften  - "FILE")"},
      {"mp3", R"(encoder/lame --ta "ARTIST" --tt "TITLE" -V 0 - "FILE")"},
      {"ogg", R"(encoder/oggenc --artist "ARTIST" --title "TITLE" -o "FILE" -)"},
  };
  return lines;
}

}  // namespace

std::string RecordRoute::FormatOf(const std::string& file) {
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = file.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  if (CommandLines().count(ext) || ext == "wav" || ext == "wma") return ext;
  return {};
}

bool RecordRoute::Start(zengine::Handle channel, const std::string& format, const std::string& file,
                        const std::string& artist, const std::string& title, std::string* error) {
  Stop();
  channel_ = channel;
  const auto fail = [&](const std::string& what) {
    *error = what + " (engine error " + std::to_string(zengine::ErrorGetCode()) + ")";
    Stop();
    return false;
  };
  if (format == "wav") {
    encoder_ = zengine::EncodeStart(channel, file, zengine::kEncodePcm);
    return encoder_ ? true : fail("cannot create the WAV file " + file);
  }
  if (format == "wma") {
    zengine::ChannelInfo info;
    if (!zengine::ChannelGetInfo(channel, &info)) return fail("no such channel");
    if (zengine::WmaEncodeGetRates(info.freq, 2, 0).empty()) return fail("no WMA codec for this rate");
    wma_ = zengine::WmaEncodeOpenFile(info.freq, 2, 0x6000, 192000, file);
    if (!wma_) return fail("cannot open the WMA file " + file);
    zengine::WmaEncodeSetTag(wma_, "Author", artist);
    zengine::WmaEncodeSetTag(wma_, "Title", title);
    const zengine::Handle writer = wma_;
    // Playback thread: one write call.
    hook_ = zengine::ChannelSetDSP(channel, [writer](const float* s, size_t frames, int chans, int rate) {
      zengine::WmaEncodeWrite(writer, s, frames, chans, rate);
    });
    return hook_ ? true : fail("cannot hook the channel");
  }
  const auto line = CommandLines().find(format);
  if (line == CommandLines().end()) return fail("unknown format " + format);
  std::string command = Replace(line->second, "FILE", file);
  command = Replace(command, "ARTIST", zengine::EncodeEscape(artist));
  command = Replace(command, "TITLE", zengine::EncodeEscape(title));
  encoder_ = zengine::EncodeStart(channel, command, 0);
  return encoder_ ? true : fail("cannot start " + command);
}

bool RecordRoute::Active() const {
  if (encoder_) return zengine::EncodeIsActive(encoder_) == 1;
  return wma_ != 0 && hook_ != 0;
}

void RecordRoute::Stop() {
  // The writer is closed before its hook goes (a write racing the close is safe).
  if (wma_) zengine::WmaEncodeClose(wma_);
  if (hook_) zengine::ChannelRemoveDSP(channel_, hook_);
  if (encoder_) zengine::EncodeStop(encoder_);
  wma_ = 0;
  hook_ = 0;
  encoder_ = 0;
}
