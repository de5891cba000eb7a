#include "playback/engine/decode/id3frames.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "playback/engine/textutil.h"

namespace zengine {

namespace {

constexpr std::string_view kTimestampOwner = "com.apple.streaming.transportStreamTimestamp";

uint32_t SyncSafe(std::string_view b) {
  return (uint32_t(uint8_t(b[0]) & 0x7f) << 21) | (uint32_t(uint8_t(b[1]) & 0x7f) << 14) |
         (uint32_t(uint8_t(b[2]) & 0x7f) << 7) | (uint32_t(uint8_t(b[3]) & 0x7f));
}

uint32_t BigEndian(std::string_view b, size_t n) {
  uint32_t v = 0;
  for (size_t i = 0; i < n; ++i) v = (v << 8) | uint8_t(b[i]);
  return v;
}

// Undoes the unsynchronisation scheme: every 0xFF 0x00 pair loses its 0x00.
std::string Resync(std::string_view b) {
  std::string out;
  out.reserve(b.size());
  for (size_t i = 0; i < b.size(); ++i) {
    out.push_back(b[i]);
    if (uint8_t(b[i]) == 0xff && i + 1 < b.size() && b[i + 1] == '\0') ++i;
  }
  return out;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(char(cp));
  } else if (cp < 0x800) {
    out.push_back(char(0xc0 | (cp >> 6)));
    out.push_back(char(0x80 | (cp & 0x3f)));
  } else if (cp < 0x10000) {
    out.push_back(char(0xe0 | (cp >> 12)));
    out.push_back(char(0x80 | ((cp >> 6) & 0x3f)));
    out.push_back(char(0x80 | (cp & 0x3f)));
  } else {
    out.push_back(char(0xf0 | (cp >> 18)));
    out.push_back(char(0x80 | ((cp >> 12) & 0x3f)));
    out.push_back(char(0x80 | ((cp >> 6) & 0x3f)));
    out.push_back(char(0x80 | (cp & 0x3f)));
  }
}

std::string Utf16ToUtf8(std::string_view b, bool bigEndian) {
  std::string out;
  auto unit = [&](size_t i) {
    return bigEndian ? uint16_t(uint8_t(b[i]) << 8 | uint8_t(b[i + 1]))
                     : uint16_t(uint8_t(b[i + 1]) << 8 | uint8_t(b[i]));
  };
  for (size_t i = 0; i + 1 < b.size(); i += 2) {
    uint32_t u = unit(i);
    if (u >= 0xd800 && u < 0xdc00 && i + 3 < b.size()) {
      const uint32_t low = unit(i + 2);
      if (low >= 0xdc00 && low < 0xe000) {
        u = 0x10000 + ((u - 0xd800) << 10) + (low - 0xdc00);
        i += 2;
      } else {
        u = 0xfffd;
      }
    } else if (u >= 0xd800 && u < 0xe000) {
      u = 0xfffd;
    }
    AppendUtf8(out, u);
  }
  return out;
}

// One text of `encoding` from the front of `b`, up to its terminator; `b` moves past it.
std::string TakeText(std::string_view* b, uint8_t encoding) {
  const bool wide = encoding == 1 || encoding == 2;
  size_t end = 0;
  size_t next = b->size();
  if (wide) {
    for (end = 0; end + 1 < b->size(); end += 2)
      if ((*b)[end] == '\0' && (*b)[end + 1] == '\0') break;
    if (end + 1 >= b->size()) end = b->size() & ~size_t(1);
    next = std::min(b->size(), end + 2);
  } else {
    end = std::min(b->find('\0'), b->size());
    next = std::min(b->size(), end + 1);
  }
  std::string_view text = b->substr(0, end);
  b->remove_prefix(next);
  switch (encoding) {
    case 0: {
      std::string out;
      for (char c : text) AppendUtf8(out, uint8_t(c));  // ISO-8859-1
      return out;
    }
    case 1: {
      bool big = true;  // without a byte-order mark: big-endian, as the standard says
      if (text.size() >= 2 && uint8_t(text[0]) == 0xff && uint8_t(text[1]) == 0xfe) {
        big = false;
        text.remove_prefix(2);
      } else if (text.size() >= 2 && uint8_t(text[0]) == 0xfe && uint8_t(text[1]) == 0xff) {
        text.remove_prefix(2);
      }
      return Utf16ToUtf8(text, big);
    }
    case 2: return Utf16ToUtf8(text, true);
    default: return ToUtf8(text);
  }
}

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(std::string s) {
  const auto space = [](unsigned char c) { return c <= ' '; };
  while (!s.empty() && space(s.back())) s.pop_back();
  size_t i = 0;
  while (i < s.size() && space(s[i])) ++i;
  return s.substr(i);
}

// The title of an ICY-style text "StreamTitle='...';", or the text itself when it has
// no such key.
std::string IcyTitle(const std::string& text) {
  const size_t key = Lower(text).find("streamtitle='");
  if (key == std::string::npos) return Trim(text);
  const size_t from = key + 13;
  size_t to = text.find("';", from);
  if (to == std::string::npos) to = text.rfind('\'');
  if (to == std::string::npos || to < from) to = text.size();
  return Trim(text.substr(from, to - from));
}

void ReadFrame(const std::string& id, std::string_view data, Id3Info* info) {
  if (id == "PRIV" || id == "PRV") {
    const size_t nul = data.find('\0');
    if (nul == std::string_view::npos) return;
    const std::string_view owner = data.substr(0, nul);
    const std::string_view payload = data.substr(nul + 1);
    if (owner == kTimestampOwner) {
      if (payload.size() < 8) return;
      uint64_t v = 0;
      for (size_t i = 0; i < 8; ++i) v = (v << 8) | uint8_t(payload[i]);
      info->timestamp = static_cast<int64_t>(v & ((uint64_t(1) << 33) - 1));
      return;
    }
    const std::string text = ToUtf8(payload.substr(0, payload.find('\0')));
    if (Lower(text).find("streamtitle='") != std::string::npos ||
        Lower(std::string(owner)) == "streamtitle")
      info->streamTitle = IcyTitle(text);
    return;
  }
  if (data.empty()) return;
  const auto encoding = uint8_t(data[0]);
  if (encoding > 3) return;
  data.remove_prefix(1);
  if (id == "TXXX" || id == "TXX") {
    const std::string description = Lower(Trim(TakeText(&data, encoding)));
    const std::string value = Trim(TakeText(&data, encoding));
    if (description == "title" || description == "tit2") info->title = value;
    else if (description == "artist" || description == "tpe1") info->artist = value;
    else if (description == "streamtitle" || Lower(value).find("streamtitle='") != std::string::npos)
      info->streamTitle = IcyTitle(value);
    return;
  }
  if (id == "TIT2" || id == "TT2") info->title = Trim(TakeText(&data, encoding));
  if (id == "TPE1" || id == "TP1") info->artist = Trim(TakeText(&data, encoding));
}

}  // namespace

size_t Id3TagSize(std::string_view head) {
  if (head.size() < 10 || head.substr(0, 3) != "ID3") return 0;
  const auto major = uint8_t(head[3]);
  if (major < 2 || major > 4 || uint8_t(head[4]) == 0xff) return 0;
  for (size_t i = 6; i < 10; ++i)
    if (uint8_t(head[i]) & 0x80) return 0;
  const bool footer = major == 4 && (uint8_t(head[5]) & 0x10);
  return 10 + SyncSafe(head.substr(6, 4)) + (footer ? 10 : 0);
}

bool ParseId3(std::string_view tag, Id3Info* info) {
  const size_t size = Id3TagSize(tag);
  if (size == 0) return false;
  const auto major = uint8_t(tag[3]);
  const auto flags = uint8_t(tag[5]);
  std::string_view body = tag.substr(10, std::min(tag.size(), size) - 10);
  if (major == 4 && (flags & 0x10) && body.size() >= 10) body.remove_suffix(10);
  std::string resynced;
  if (major < 4 && (flags & 0x80)) {
    resynced = Resync(body);
    body = resynced;
  }
  if ((flags & 0x40) && major >= 3) {  // an extended header: skipped
    if (body.size() < 4) return true;
    const size_t ext = major == 4 ? SyncSafe(body) : BigEndian(body, 4) + 4;
    if (ext > body.size()) return true;
    body.remove_prefix(ext);
  }
  const size_t idLen = major == 2 ? 3 : 4;
  const size_t headLen = major == 2 ? 6 : 10;
  while (body.size() >= headLen) {
    const std::string id(body.substr(0, idLen));
    if (id[0] == '\0') break;  // padding
    size_t frameSize = major == 2 ? BigEndian(body.substr(3), 3)
                       : major == 4 ? SyncSafe(body.substr(4))
                                    : BigEndian(body.substr(4), 4);
    const uint8_t format = major == 2 ? 0 : uint8_t(body[9]);
    body.remove_prefix(headLen);
    if (frameSize > body.size()) break;  // damaged: keep what was read
    std::string_view data = body.substr(0, frameSize);
    body.remove_prefix(frameSize);
    std::string frameResynced;
    if (major == 4) {
      if (format & 0x0c) continue;  // compressed or encrypted: not read
      if (format & 0x01) {          // a data-length indicator before the data
        if (data.size() < 4) continue;
        data.remove_prefix(4);
      }
      if ((format & 0x02) || (flags & 0x80)) {
        frameResynced = Resync(data);
        data = frameResynced;
      }
    } else if (major == 3 && (format & 0xc0)) {
      continue;  // compressed or encrypted
    }
    ReadFrame(id, data, info);
  }
  return true;
}

std::string Id3StreamTitle(const Id3Info& info) {
  std::string text = info.streamTitle;
  if (text.empty()) {
    if (!info.artist.empty() && !info.title.empty()) text = info.artist + " - " + info.title;
    else text = info.title.empty() ? info.artist : info.title;
  }
  if (text.empty()) return {};
  return "StreamTitle='" + text + "';";
}

}  // namespace zengine
