// Ogg pages and the Vorbis headers they carry, as raw values. The one reader of them; the
// tag reader and the engine's file header each apply their own rules (which streams they
// accept, which texts they keep, what a length is) to what it gives.
//
// Page: "OggS", version (4), header type (5), granule position (6, 64-bit little-endian),
// serial (14), sequence (18), checksum (22), segment count (26), segment table from 27,
// then the body. The Vorbis identification header is a 30-byte packet, 0x01 "vorbis";
// the comment header is 0x03 "vorbis", a vendor text and "NAME=value" comments, each with
// a 32-bit length. Checksums are not checked.
//
// The bytes are untrusted: every length is checked against what remains before it is
// read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "playback/engine/formats/readat.h"

namespace zengine::ogg {

inline constexpr size_t kPageHeaderBytes = 27;
inline constexpr size_t kVorbisIdentificationBytes = 30;
// The last page of any stream starts within this many bytes of its end (a page holds at
// most 27 + 255 + 255 x 255 bytes).
inline constexpr int64_t kTailBytes = 64 * 1024;

struct Page {
  int64_t offset = 0;
  uint8_t version = 0;
  uint8_t type = 0;  // 0x01 continued packet, 0x02 beginning of stream, 0x04 end of stream
  uint64_t granule = 0;
  uint32_t serial = 0;
  uint32_t sequence = 0;
  uint8_t segmentCount = 0;
  std::array<uint8_t, 255> segments{};
  size_t headerSize = 0;  // 27 + the segment table
  size_t bodySize = 0;    // the sum of the segment table
  bool complete = false;  // the body lies inside the bytes read
};

// The page at `offset`: "OggS", its header and segment table present; nullopt otherwise.
// `complete` tells whether its body is within `fileSize`.
std::optional<Page> ReadPage(const ReadAtFn& readAt, int64_t offset, int64_t fileSize);

// The packet that starts the page at `offset`, joined over the pages it continues on. It
// ends with its last segment (one under 255 bytes), at a page that is missing, or at the
// end of the bytes; no further page is read once it holds `cap` bytes.
std::string ReadPacket(const ReadAtFn& readAt, int64_t offset, int64_t fileSize, size_t cap);

struct VorbisIdentification {
  uint32_t version = 0;
  uint8_t channels = 0;
  uint32_t rate = 0;
  int32_t bitrateMaximum = 0;
  int32_t bitrateNominal = 0;
  int32_t bitrateMinimum = 0;
};

// The identification header at `offset` (the body of a stream's first page); nullopt
// when the 30 bytes are not there or do not start with 0x01 "vorbis".
std::optional<VorbisIdentification> ReadVorbisIdentification(const ReadAtFn& readAt, int64_t offset);

struct CommentText {
  std::string bytes;    // the first `cap` bytes at most, fewer when the packet ends first
  uint32_t length = 0;  // as declared
};

// The texts of a comment packet (which starts with 0x03 "vorbis"): the vendor first, then
// the comments, in order. A length of 2^31 or more ends the list; a text the packet cuts
// short is given as far as it goes, and ends the list.
std::vector<CommentText> ParseVorbisComments(std::string_view packet, size_t cap);

// The pages whose header starts within the last `tailBytes` of the file, in order. The
// search goes byte by byte for "OggS" and over the body of each whole page of version 0
// (so the bytes of a page's body are not taken for another page); pages of another
// version or cut short by the end of the file are given too.
std::vector<Page> TailPages(const ReadAtFn& readAt, int64_t fileSize, int64_t tailBytes = kTailBytes);

}  // namespace zengine::ogg
