#include "playback/engine/formats/asfheader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zengine::asf {

namespace {

using Guid = std::array<uint8_t, 16>;

constexpr Guid kHeader = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                          0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                  0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kStreamProperties = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                    0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kContentDescription = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                      0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kExtendedContent = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                   0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr Guid kAudioMedia = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                              0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};

// Object offsets of the fields read.
constexpr size_t kFilePropertiesEnd = 104;  // through the maximum bit rate at 100
constexpr size_t kStreamFormatAt = 78;      // type-specific data
constexpr size_t kStreamFormatEnd = kStreamFormatAt + 16;

bool IsGuid(const char* at, const Guid& guid) { return std::memcmp(at, guid.data(), 16) == 0; }

uint32_t Le16(const char* p) {
  return static_cast<uint8_t>(p[0]) | static_cast<uint32_t>(static_cast<uint8_t>(p[1])) << 8;
}
uint32_t Le32(const char* p) { return Le16(p) | Le16(p + 2) << 16; }
uint64_t Le64(const char* p) { return Le32(p) | uint64_t{Le32(p + 4)} << 32; }

bool ReadExact(const ReadAtFn& readAt, int64_t at, char* dst, size_t n) {
  return readAt(at, dst, n) == n;
}

// Sequential reading inside one object, [pos, end): a read that would pass the end, or
// that the source cannot give, fails, and so does every read after it.
class Cursor {
 public:
  Cursor(const ReadAtFn& readAt, int64_t pos, int64_t end) : readAt_(readAt), pos_(pos), end_(end) {}
  bool failed() const { return failed_; }

  uint16_t U16() {
    char b[2] = {};
    Read(b, 2);
    return static_cast<uint16_t>(Le16(b));
  }

  // n bytes, of which the first `cap` are kept in `out`; the rest is passed over.
  void Bytes(size_t n, size_t cap, std::string* out) {
    out->clear();
    if (failed_ || n > static_cast<uint64_t>(end_ - pos_)) {
      failed_ = true;
      return;
    }
    out->resize(std::min(n, cap));
    if (!ReadExact(readAt_, pos_, out->data(), out->size())) {
      out->clear();
      failed_ = true;
      return;
    }
    pos_ += static_cast<int64_t>(n);
  }

 private:
  void Read(char* dst, size_t n) {
    if (failed_ || n > static_cast<uint64_t>(end_ - pos_) || !ReadExact(readAt_, pos_, dst, n)) {
      failed_ = true;
      std::memset(dst, 0, n);
      return;
    }
    pos_ += static_cast<int64_t>(n);
  }

  const ReadAtFn& readAt_;
  int64_t pos_;
  int64_t end_;
  bool failed_ = false;
};

// The fixed fields of a properties object: its first `want` bytes, or fewer when the
// object is shorter. Returns how many were read.
size_t ReadFixed(const ReadAtFn& readAt, const Object& o, char* dst, size_t want) {
  const size_t n = static_cast<size_t>(std::min<uint64_t>(o.size, want));
  return ReadExact(readAt, o.offset, dst, n) ? n : 0;
}

void ReadFileProperties(const ReadAtFn& readAt, Object& o) {
  char b[kFilePropertiesEnd];
  o.complete = ReadFixed(readAt, o, b, sizeof b) == sizeof b;
  if (!o.complete) return;
  o.file.fileSize = Le64(b + 40);
  o.file.playDuration = Le64(b + 64);
  o.file.preroll = Le64(b + 80);
  o.file.flags = Le32(b + 88);
  o.file.maxBitrate = Le32(b + 100);
}

void ReadStreamProperties(const ReadAtFn& readAt, Object& o) {
  char b[kStreamFormatEnd];
  const size_t n = ReadFixed(readAt, o, b, sizeof b);
  Stream& s = o.stream;
  s.audio = n >= 40 && IsGuid(b + 24, kAudioMedia);
  if (n >= 68) s.typeSpecificLength = Le32(b + 64);
  s.hasFormat = n == sizeof b;
  o.complete = s.hasFormat;
  if (!s.hasFormat) return;
  s.formatTag = static_cast<uint16_t>(Le16(b + kStreamFormatAt));
  s.channels = static_cast<uint16_t>(Le16(b + kStreamFormatAt + 2));
  s.sampleRate = Le32(b + kStreamFormatAt + 4);
  s.bytesPerSecond = Le32(b + kStreamFormatAt + 8);
}

void ReadContentDescription(const ReadAtFn& readAt, size_t index, Object& o, const Options& options,
                            std::vector<Text>& texts) {
  Cursor in(readAt, o.offset + kObjectHeaderBytes, o.offset + static_cast<int64_t>(o.size));
  uint16_t lengths[5];
  for (uint16_t& length : lengths) length = in.U16();
  for (int slot = 0; slot < 5 && !in.failed(); ++slot) {
    Text t;
    t.object = index;
    t.slot = slot;
    t.length = lengths[slot];
    in.Bytes(lengths[slot], options.textCap, &t.value);
    if (!in.failed() && texts.size() < kMaxTexts) texts.push_back(std::move(t));
  }
  o.complete = !in.failed();
}

void ReadExtendedContent(const ReadAtFn& readAt, size_t index, Object& o, const Options& options,
                         std::vector<Text>& texts) {
  Cursor in(readAt, o.offset + kObjectHeaderBytes, o.offset + static_cast<int64_t>(o.size));
  const uint16_t count = in.U16();
  for (int d = 0; d < count && !in.failed(); ++d) {
    Text t;
    t.object = index;
    in.Bytes(in.U16(), options.textCap, &t.name);
    t.type = in.U16();
    t.length = in.U16();
    in.Bytes(t.length, options.textCap, &t.value);
    if (!in.failed() && texts.size() < kMaxTexts) texts.push_back(std::move(t));
  }
  o.complete = !in.failed();
}

}  // namespace

bool IsAsf(const char* bytes, size_t n) { return n >= 16 && IsGuid(bytes, kHeader); }

Header ReadHeader(const ReadAtFn& readAt, int64_t fileSize, const Options& options) {
  Header h;
  char top[30];
  const size_t got = fileSize > 0 ? readAt(0, top, sizeof top) : 0;
  if (!IsAsf(top, got)) return h;
  h.status = Status::Truncated;
  h.errorAt = 0;
  if (got < sizeof top || fileSize < static_cast<int64_t>(sizeof top)) return h;
  h.headerSize = Le64(top + 16);
  h.objectCount = Le32(top + 24);
  if (h.objectCount > kMaxObjects) {
    h.status = Status::Damaged;
    return h;
  }
  int64_t at = sizeof top;
  for (uint32_t i = 0; i < h.objectCount; ++i) {
    h.errorAt = at;
    char head[kObjectHeaderBytes];
    if (at > fileSize - kObjectHeaderBytes || !ReadExact(readAt, at, head, sizeof head)) {
      h.status = Status::Truncated;
      return h;
    }
    Object o;
    o.offset = at;
    o.size = Le64(head + 16);
    // Every object holds at least its own header: a smaller size would walk in place.
    if (o.size < static_cast<uint64_t>(kObjectHeaderBytes) || o.size > static_cast<uint64_t>(fileSize - at)) {
      h.status = Status::Damaged;
      return h;
    }
    const size_t index = h.objects.size();
    if (IsGuid(head, kFileProperties)) {
      o.kind = ObjectKind::FileProperties;
      ReadFileProperties(readAt, o);
    } else if (IsGuid(head, kStreamProperties)) {
      o.kind = ObjectKind::StreamProperties;
      ReadStreamProperties(readAt, o);
    } else if (IsGuid(head, kContentDescription)) {
      o.kind = ObjectKind::ContentDescription;
      if (options.texts) ReadContentDescription(readAt, index, o, options, h.texts);
    } else if (IsGuid(head, kExtendedContent)) {
      o.kind = ObjectKind::ExtendedContent;
      if (options.texts) ReadExtendedContent(readAt, index, o, options, h.texts);
    }
    h.objects.push_back(o);
    at += static_cast<int64_t>(o.size);
  }
  h.status = Status::Ok;
  h.errorAt = -1;
  return h;
}

}  // namespace zengine::asf
