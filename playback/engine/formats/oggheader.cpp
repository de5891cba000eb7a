#include "playback/engine/formats/oggheader.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace zengine::ogg {

namespace {

uint32_t Le32(const unsigned char* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint64_t Le64(const unsigned char* p) { return Le32(p) | uint64_t{Le32(p + 4)} << 32; }

// A page header at the start of `b` (n bytes available). nullopt when there is none.
std::optional<Page> ParsePage(const unsigned char* b, size_t n, int64_t offset) {
  if (n < kPageHeaderBytes || std::memcmp(b, "OggS", 4) != 0) return std::nullopt;
  Page p;
  p.offset = offset;
  p.version = b[4];
  p.type = b[5];
  p.granule = Le64(b + 6);
  p.serial = Le32(b + 14);
  p.sequence = Le32(b + 18);
  p.segmentCount = b[26];
  if (n - kPageHeaderBytes < p.segmentCount) return std::nullopt;
  p.headerSize = kPageHeaderBytes + p.segmentCount;
  for (size_t i = 0; i < p.segmentCount; ++i) {
    p.segments[i] = b[kPageHeaderBytes + i];
    p.bodySize += p.segments[i];
  }
  return p;
}

}  // namespace

std::optional<Page> ReadPage(const ReadAtFn& readAt, int64_t offset, int64_t fileSize) {
  if (offset < 0 || offset > fileSize) return std::nullopt;
  unsigned char b[kPageHeaderBytes + 255];
  const size_t want = static_cast<size_t>(std::min<int64_t>(sizeof b, fileSize - offset));
  const size_t got = std::min(readAt(offset, reinterpret_cast<char*>(b), want), want);
  std::optional<Page> p = ParsePage(b, got, offset);
  if (p) {
    const auto end = static_cast<uint64_t>(offset) + p->headerSize + p->bodySize;
    p->complete = end <= static_cast<uint64_t>(fileSize);
  }
  return p;
}

std::string ReadPacket(const ReadAtFn& readAt, int64_t offset, int64_t fileSize, size_t cap) {
  std::string packet;
  while (packet.size() < cap) {
    const std::optional<Page> page = ReadPage(readAt, offset, fileSize);
    if (!page) break;
    int64_t at = offset + static_cast<int64_t>(page->headerSize);
    bool ended = false;
    for (size_t i = 0; i < page->segmentCount && !ended; ++i) {
      const size_t n = page->segments[i];
      const size_t was = packet.size();
      packet.resize(was + n);
      const size_t inside = at < fileSize ? static_cast<size_t>(std::min<int64_t>(n, fileSize - at)) : 0;
      const size_t got = inside ? std::min(readAt(at, packet.data() + was, inside), inside) : 0;
      packet.resize(was + got);
      if (got != n) return packet;  // the bytes end inside the segment
      at += static_cast<int64_t>(n);
      ended = n < 255;
    }
    if (ended) break;
    offset = at;
  }
  return packet;
}

std::optional<VorbisIdentification> ReadVorbisIdentification(const ReadAtFn& readAt, int64_t offset) {
  unsigned char b[kVorbisIdentificationBytes];
  if (offset < 0 || readAt(offset, reinterpret_cast<char*>(b), sizeof b) != sizeof b ||
      std::memcmp(b, "\x01vorbis", 7) != 0)
    return std::nullopt;
  VorbisIdentification id;
  id.version = Le32(b + 7);
  id.channels = b[11];
  id.rate = Le32(b + 12);
  id.bitrateMaximum = static_cast<int32_t>(Le32(b + 16));
  id.bitrateNominal = static_cast<int32_t>(Le32(b + 20));
  id.bitrateMinimum = static_cast<int32_t>(Le32(b + 24));
  return id;
}

std::vector<CommentText> ParseVorbisComments(std::string_view packet, size_t cap) {
  std::vector<CommentText> texts;
  const auto* bytes = reinterpret_cast<const unsigned char*>(packet.data());
  const size_t size = packet.size();
  size_t pos = 7;  // after 0x03 "vorbis"
  uint32_t count = 0;
  // The vendor, then `count` comments; each text takes at least its 4-byte length, so a
  // forged count ends with the packet.
  for (uint64_t i = 0; i <= count; ++i) {
    if (pos > size || size - pos < 4) break;
    const uint32_t n = Le32(bytes + pos);
    pos += 4;
    if (n >= (uint32_t{1} << 31)) break;
    CommentText t;
    t.length = n;
    t.bytes.assign(packet.substr(pos, std::min<size_t>({n, cap, size - pos})));
    texts.push_back(std::move(t));
    if (n > size - pos) break;
    pos += n;
    if (i == 0) {
      if (size - pos < 4) break;
      count = Le32(bytes + pos);
      pos += 4;
    }
  }
  return texts;
}

std::vector<Page> TailPages(const ReadAtFn& readAt, int64_t fileSize, int64_t tailBytes) {
  std::vector<Page> pages;
  if (fileSize <= 0 || tailBytes <= 0) return pages;
  const int64_t start = std::max<int64_t>(0, fileSize - tailBytes);
  const auto want = static_cast<size_t>(fileSize - start);
  const auto tail = std::make_unique_for_overwrite<unsigned char[]>(want);
  const size_t got = std::min(readAt(start, reinterpret_cast<char*>(tail.get()), want), want);
  for (size_t at = 0; at + kPageHeaderBytes <= got; ++at) {
    if (tail[at] != 'O') continue;
    std::optional<Page> p = ParsePage(tail.get() + at, got - at, start + static_cast<int64_t>(at));
    if (!p) continue;
    p->complete = p->headerSize + p->bodySize <= got - at;
    pages.push_back(*p);
    if (p->version == 0 && p->complete) at += p->headerSize + p->bodySize - 1;
  }
  return pages;
}

}  // namespace zengine::ogg
