#include "playback/engine/formats/oggchaintitles.h"

#include <algorithm>
#include <cctype>

#include "playback/engine/textutil.h"

namespace zengine {

namespace {
constexpr size_t kMaxPending = 256 * 1024;
constexpr size_t kMaxFound = 16;

uint32_t Le32(std::string_view b, size_t at) {
  return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}
}  // namespace

std::string TitleFromVorbisComments(std::string_view list) {
  if (list.size() < 4) return {};
  const uint32_t vendor = Le32(list, 0);
  if (vendor > list.size() - 4 || list.size() - 4 - vendor < 4) return {};
  size_t at = 4 + vendor;
  uint32_t count = Le32(list, at);
  at += 4;
  std::string artist, title;
  for (; count > 0 && at + 4 <= list.size(); --count) {
    const uint32_t len = Le32(list, at);
    at += 4;
    if (len > list.size() - at) break;
    const std::string_view text = list.substr(at, len);
    at += len;
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) continue;
    std::string key(text.substr(0, eq));
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (key == "ARTIST") artist = ToUtf8(text.substr(eq + 1));
    if (key == "TITLE") title = ToUtf8(text.substr(eq + 1));
  }
  if (artist.empty() && title.empty()) return {};
  return "StreamTitle='" + (artist.empty() ? title : title.empty() ? artist : artist + " - " + title) + "';";
}

void OggChainTitles::Feed(int64_t pos, std::string_view bytes) {
  if (bytes.empty()) return;
  if (pendingPos_ < 0 || pos != pendingPos_ + static_cast<int64_t>(pending_.size())) {
    pending_.clear();  // a gap: start again at the next page
    pendingPos_ = pos;
  }
  pending_.append(bytes);
  Scan();
  if (pending_.size() > kMaxPending) {  // no page in sight: keep only a possible start
    const size_t drop = pending_.size() - 3;
    pending_.erase(0, drop);
    pendingPos_ += static_cast<int64_t>(drop);
  }
}

void OggChainTitles::Scan() {
  size_t at = 0;
  for (;;) {
    const size_t page = pending_.find("OggS", at);
    if (page == std::string::npos) {
      at = pending_.size() > 3 ? pending_.size() - 3 : 0;
      break;
    }
    at = page;
    if (pending_.size() - page < 27) break;  // header not complete yet
    const auto segments = static_cast<uint8_t>(pending_[page + 26]);
    if (pending_.size() - page < 27u + segments) break;
    size_t body = 0;
    size_t firstPacket = 0;
    bool firstEnds = false;
    for (size_t i = 0; i < segments; ++i) {
      const auto lace = static_cast<uint8_t>(pending_[page + 27 + i]);
      body += lace;
      if (!firstEnds) {
        firstPacket += lace;
        firstEnds = lace < 255;
      }
    }
    if (pending_[page + 4] != '\0') {  // not a version 0 page: look further
      at = page + 1;
      continue;
    }
    if (pending_.size() - page - 27 - segments < body) break;  // body not complete yet
    const std::string_view packet = std::string_view(pending_).substr(page + 27 + segments, firstPacket);
    const bool continued = (static_cast<uint8_t>(pending_[page + 5]) & 0x01) != 0;
    if (!continued && firstEnds) {
      std::string text;
      if (!flac_ && packet.size() > 8 && packet.substr(0, 8) == "OpusTags") {
        text = TitleFromVorbisComments(packet.substr(8));
      } else if (flac_ && packet.size() > 4 && (static_cast<uint8_t>(packet[0]) & 0x7f) == 4) {
        text = TitleFromVorbisComments(packet.substr(4));  // a FLAC VORBIS_COMMENT block
      }
      if (!text.empty() && found_.size() < kMaxFound)
        found_.push_back({pendingPos_ + static_cast<int64_t>(page), std::move(text)});
    }
    at = page + 27 + segments + body;
  }
  pending_.erase(0, at);
  pendingPos_ += static_cast<int64_t>(at);
}

bool OggChainTitles::Take(int64_t* pos, std::string* text) {
  if (found_.empty()) return false;
  *pos = found_.front().pos;
  *text = std::move(found_.front().text);
  found_.pop_front();
  return true;
}

}  // namespace zengine
