// The header object of an ASF file (WMA): its objects, as raw values. The one reader of
// them; the tag reader and the engine's file header each apply their own rules (which
// values are plausible, which texts they keep) to what it gives.
//
// Layout: the header object (16-byte identifier, 64-bit size, 32-bit object count, two
// reserved bytes), then its objects, each a 16-byte identifier, a 64-bit little-endian
// size counting the whole object, then its body. Texts are UTF-16 little-endian; they are
// given as their raw bytes.
//
// The bytes are untrusted: every size is checked against what remains of the file before
// anything is read, and the walk stops at the first object that does not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "playback/engine/formats/readat.h"

namespace zengine::asf {

// Past this many declared objects a header is taken for damage (real files hold a dozen).
inline constexpr uint32_t kMaxObjects = 65535;
inline constexpr int64_t kObjectHeaderBytes = 24;
// Texts kept of one header; those after are walked over (real files hold a few dozen).
inline constexpr size_t kMaxTexts = 4096;

enum class ObjectKind { Other, FileProperties, StreamProperties, ContentDescription, ExtendedContent };

struct FileProperties {
  uint64_t fileSize = 0;      // as the writer declared it
  uint64_t playDuration = 0;  // 100-nanosecond units, preroll included
  uint64_t preroll = 0;       // milliseconds
  uint32_t flags = 0;         // bit 0: broadcast
  uint32_t maxBitrate = 0;    // bits per second
};

struct Stream {
  bool audio = false;               // the stream type is audio media
  uint32_t typeSpecificLength = 0;  // as declared
  // The WAVEFORMATEX fields at the start of the type-specific data, read when the object
  // holds them (whatever the declared length and stream type).
  bool hasFormat = false;
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t bytesPerSecond = 0;
};

struct Object {
  ObjectKind kind = ObjectKind::Other;
  int64_t offset = 0;
  uint64_t size = 0;
  // Every field the reader decodes of this kind lies inside the object (a file-properties
  // or stream-properties object too short for its fields, or a text running past the end
  // of its object, leaves it false).
  bool complete = true;
  FileProperties file;  // kind FileProperties and complete
  Stream stream;        // kind StreamProperties
};

// A text of the content description or of the extended content description, in file order.
struct Text {
  size_t object = 0;  // index in Header::objects
  // Content description: 0 title, 1 author, 2 copyright, 3 description, 4 rating;
  // -1 for a descriptor of the extended content description.
  int slot = -1;
  std::string name;     // descriptor name, raw UTF-16LE, at most Options::textCap bytes
  uint16_t type = 0;    // descriptor value type: 0 text, 1 bytes, 2 bool, 3-5 numbers, 6 GUID
  uint32_t length = 0;  // the value's length as declared
  std::string value;    // raw, at most Options::textCap bytes
};

enum class Status {
  Ok,         // every declared object was walked
  NotAsf,     // no ASF header identifier at the start
  Truncated,  // the file ends inside the header object or an object's own header
  Damaged,    // an object size that is too small or runs past the end of the file
};

struct Header {
  Status status = Status::NotAsf;
  int64_t errorAt = -1;  // where the walk stopped, for Truncated and Damaged
  uint64_t headerSize = 0;
  uint32_t objectCount = 0;
  std::vector<Object> objects;  // those walked, in file order
  std::vector<Text> texts;      // only when Options::texts
};

struct Options {
  bool texts = false;
  size_t textCap = 1024;  // bytes kept of each name and value; the rest is passed over
};

Header ReadHeader(const ReadAtFn& readAt, int64_t fileSize, const Options& options = {});

// True when the first 16 bytes are the ASF header identifier.
bool IsAsf(const char* bytes, size_t n);

}  // namespace zengine::asf
