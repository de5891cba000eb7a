#include "playback/engine/decode/fileheader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string_view>

#include "playback/engine/engine.h"
#include "playback/engine/formats/asfheader.h"
#include "playback/engine/formats/oggheader.h"

namespace zengine {

namespace {

constexpr uint32_t kTypeMp1 = 0x10003;  // as the decoder reports MPEG layer 1
constexpr size_t kHeadBytes = 4096;
constexpr size_t kTailBytes = 64 * 1024;
constexpr int kMaxRate = 384000;

// Bytes read through ReadAtFn into a buffer; a short read makes a shorter chunk. The
// buffer is not cleared first: only what was read is ever looked at.
struct Chunk {
  std::unique_ptr<char[]> data;
  std::string_view bytes;
  Chunk(const ReadAtFn& readAt, int64_t offset, size_t n)
      : data(std::make_unique_for_overwrite<char[]>(n)) {
    const size_t got = offset < 0 ? 0 : readAt(offset, data.get(), n);
    bytes = std::string_view(data.get(), std::min(got, n));
  }
  size_t size() const { return bytes.size(); }
  uint8_t u8(size_t at) const { return static_cast<uint8_t>(bytes[at]); }
  uint32_t le16(size_t at) const { return u8(at) | (u8(at + 1) << 8); }
  uint32_t le32(size_t at) const { return le16(at) | (le16(at + 2) << 16); }
  uint64_t le64(size_t at) const { return le32(at) | (uint64_t{le32(at + 4)} << 32); }
  uint32_t be32(size_t at) const {
    return (uint32_t{u8(at)} << 24) | (u8(at + 1) << 16) | (u8(at + 2) << 8) | u8(at + 3);
  }
  bool Has(size_t at, size_t n) const { return at <= size() && n <= size() - at; }
  bool Is(size_t at, const char* text, size_t n) const {
    return Has(at, n) && std::memcmp(bytes.data() + at, text, n) == 0;
  }
};

// value x num / den, rounded to the nearest, for positive operands; the product is
// formed in 128 bits, so no size or duration read from a file can overflow it, and a
// quotient beyond int64_t gives -1 (no length).
int64_t ScaleRounded(int64_t value, int64_t num, int64_t den) {
  if (value < 0 || num < 0 || den <= 0) return -1;
  const unsigned __int128 q =
      (static_cast<unsigned __int128>(value) * static_cast<uint64_t>(num) + static_cast<uint64_t>(den / 2)) /
      static_cast<uint64_t>(den);
  return q > static_cast<unsigned __int128>(INT64_MAX) ? -1 : static_cast<int64_t>(q);
}

FileHeader Header(uint32_t rate, uint32_t channels, uint32_t type, int64_t length,
                  int64_t fileSize) {
  FileHeader h;
  h.rate = static_cast<int>(rate);
  h.channels = static_cast<int>(channels);
  h.type = type;
  h.lengthFrames = length;
  h.fileSize = fileSize;
  return h;
}

// ---- WAV -------------------------------------------------------------------------

std::optional<FileHeader> ParseWav(const ReadAtFn& readAt, int64_t fileSize) {
  int64_t at = 12;
  bool haveFmt = false;
  uint32_t tag = 0, channels = 0, rate = 0, blockAlign = 0, bits = 0;
  // A few dozen chunks at most come before the sound in any real file.
  for (int chunks = 0; chunks < 64 && at + 8 <= fileSize; ++chunks) {
    const Chunk head(readAt, at, 8 + 40);
    if (head.size() < 8) return std::nullopt;
    const uint32_t size = head.le32(4);
    if (head.Is(0, "fmt ", 4)) {
      if (size < 16 || !head.Has(8, 16)) return std::nullopt;
      tag = head.le16(8);
      channels = head.le16(10);
      rate = head.le32(12);
      blockAlign = head.le16(20);
      bits = head.le16(22);
      if (tag == 0xFFFE) {  // WAVE_FORMAT_EXTENSIBLE: the sub-format GUID starts with the tag
        if (size < 40 || !head.Has(8 + 24, 2)) return std::nullopt;
        tag = head.le16(8 + 24);
      }
      haveFmt = true;
    } else if (head.Is(0, "data", 4)) {
      if (!haveFmt || channels == 0 || channels > 16 || rate == 0 || rate > kMaxRate)
        return std::nullopt;
      const bool pcm = tag == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
      const bool flt = tag == 3 && (bits == 32 || bits == 64);
      if ((!pcm && !flt) || blockAlign != channels * bits / 8) return std::nullopt;
      // A size the writer never filled in (0 or all ones) or one past the end of the
      // file leaves the length to the decoder's own estimate.
      const int64_t dataEnd = at + 8 + int64_t{size};
      if (size == 0 || size == 0xFFFFFFFFu || dataEnd > fileSize) return std::nullopt;
      return Header(rate, channels, pcm ? kTypeWavPcm : kTypeWavFloat, size / blockAlign, fileSize);
    }
    at += 8 + int64_t{size} + (size & 1);
  }
  return std::nullopt;
}

// ---- MPEG audio and ADTS -----------------------------------------------------------

struct MpegFrame {
  int version = 0;  // 1, 2, or 25 for MPEG 2.5
  int layer = 0;
  int kbps = 0;
  int rate = 0;
  int channels = 0;
  int size = 0;
  int samples = 0;
  bool mono = false;
};

bool ParseMpegFrame(uint32_t h, MpegFrame* f) {
  if ((h >> 21) != 0x7FF) return false;
  static constexpr int kRates[3] = {44100, 48000, 32000};
  static constexpr int kKbps[5][14] = {
      {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // V1 L1
      {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // V1 L2
      {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // V1 L3
      {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // V2 L1
      {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // V2 L2, L3
  };
  const uint32_t versionBits = (h >> 19) & 3;
  const uint32_t layerBits = (h >> 17) & 3;
  const uint32_t rateIndex = (h >> 12) & 15;
  const uint32_t freqIndex = (h >> 10) & 3;
  if (versionBits == 1 || layerBits == 0 || rateIndex == 0 || rateIndex == 15 || freqIndex == 3)
    return false;
  if ((h & 3) == 2) return false;  // reserved emphasis
  f->version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
  f->layer = 4 - static_cast<int>(layerBits);
  const int table = f->version == 1 ? f->layer - 1 : (f->layer == 1 ? 3 : 4);
  f->kbps = kKbps[table][rateIndex - 1];
  f->rate = kRates[freqIndex] / (f->version == 1 ? 1 : f->version == 2 ? 2 : 4);
  f->mono = ((h >> 6) & 3) == 3;
  f->channels = f->mono ? 1 : 2;
  const int padding = static_cast<int>((h >> 9) & 1);
  if (f->layer == 1) {
    f->samples = 384;
    f->size = (12 * f->kbps * 1000 / f->rate + padding) * 4;
  } else {
    f->samples = (f->layer == 3 && f->version != 1) ? 576 : 1152;
    f->size = f->samples / 8 * f->kbps * 1000 / f->rate + padding;
  }
  return f->size >= 4;
}

bool SameStream(const MpegFrame& a, const MpegFrame& b) {
  return a.version == b.version && a.layer == b.layer && a.rate == b.rate;
}

// Bytes at the end of the file that are tags, not sound: ID3v1 and an APE tag.
int64_t TrailingTagBytes(const ReadAtFn& readAt, int64_t fileSize) {
  int64_t end = fileSize;
  if (end >= 128) {
    const Chunk id3v1(readAt, end - 128, 3);
    if (id3v1.Is(0, "TAG", 3)) end -= 128;
  }
  if (end >= 32) {
    const Chunk footer(readAt, end - 32, 32);
    if (footer.Is(0, "APETAGEX", 8)) {
      const int64_t size = footer.le32(12);  // items and footer, without the header
      const bool header = (footer.le32(20) & 0x80000000u) != 0;
      const int64_t whole = size + (header ? 32 : 0);
      if (size >= 32 && whole <= end) end -= whole;
    }
  }
  return fileSize - end;
}

// Where the sound starts: after any ID3v2 tags at the head of the file.
int64_t SkipId3v2(const ReadAtFn& readAt, int64_t fileSize) {
  int64_t at = 0;
  for (int tags = 0; tags < 8; ++tags) {
    const Chunk head(readAt, at, 10);
    if (!head.Is(0, "ID3", 3) || head.u8(3) == 0xFF || head.u8(4) == 0xFF) break;
    uint32_t size = 0;
    for (int i = 6; i < 10; ++i) {
      if (head.u8(i) & 0x80) return -1;
      size = (size << 7) | head.u8(i);
    }
    at += 10 + int64_t{size} + ((head.u8(5) & 0x10) ? 10 : 0);
    if (at > fileSize) return -1;
  }
  return at;
}

std::optional<FileHeader> ParseMpeg(const ReadAtFn& readAt, int64_t fileSize, int64_t start) {
  const Chunk frame(readAt, start, kHeadBytes);
  MpegFrame first;
  if (!frame.Has(0, 4) || !ParseMpegFrame(frame.be32(0), &first)) return std::nullopt;
  const int64_t trailing = TrailingTagBytes(readAt, fileSize);
  const int64_t audioEnd = fileSize - trailing;
  if (start + first.size > audioEnd) return std::nullopt;

  // The next two frames must follow where the first says, with the same format: a
  // stray sync pattern in other data is not taken for sound.
  int64_t next = start + first.size;
  for (int i = 0; i < 2 && next + 4 <= audioEnd; ++i) {
    const Chunk head(readAt, next, 4);
    MpegFrame f;
    if (!head.Has(0, 4) || !ParseMpegFrame(head.be32(0), &f) || !SameStream(first, f))
      return std::nullopt;
    next += f.size;
  }

  FileHeader h = Header(first.rate, first.channels,
                        first.layer == 3 ? kTypeMp3 : first.layer == 2 ? kTypeMp2 : kTypeMp1, -1,
                        fileSize);

  // Xing/Info (after the side information of layer 3) or VBRI (at 36): the frame count.
  int64_t frames = -1;
  const size_t side = first.version == 1 ? (first.mono ? 17 : 32) : (first.mono ? 9 : 17);
  const size_t xing = 4 + side;
  if (first.layer == 3 && (frame.Is(xing, "Xing", 4) || frame.Is(xing, "Info", 4)) &&
      frame.Has(xing, 12)) {
    if (frame.be32(xing + 4) & 1) frames = frame.be32(xing + 8);
  } else if (frame.Is(36, "VBRI", 4) && frame.Has(36, 18)) {
    frames = frame.be32(36 + 14);
  }
  if (frames == 0) return std::nullopt;
  if (frames > 0) {
    h.lengthFrames = frames * first.samples;
  } else {
    // Constant bit rate: the sound bytes at the first frame's rate.
    // (Formed in 128 bits: bytes x 8 x rate overflows 64 bits from about 22 TB.)
    const int64_t bitsPerSecond = int64_t{first.kbps} * 1000;
    h.lengthFrames = ScaleRounded(audioEnd - start, int64_t{8} * first.rate, bitsPerSecond);
  }
  return h;
}

struct AdtsFrame {
  int rate = 0;
  int channels = 0;
  int size = 0;
  int samples = 0;
};

bool ParseAdtsFrame(const Chunk& c, size_t at, AdtsFrame* f) {
  static constexpr int kRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                     22050, 16000, 12000, 11025, 8000,  7350};
  if (!c.Has(at, 7) || c.u8(at) != 0xFF || (c.u8(at + 1) & 0xF6) != 0xF0) return false;
  const int rateIndex = (c.u8(at + 2) >> 2) & 15;
  const int config = ((c.u8(at + 2) & 1) << 2) | (c.u8(at + 3) >> 6);
  if (rateIndex >= 13 || config == 0) return false;
  f->rate = kRates[rateIndex];
  f->channels = config == 7 ? 8 : config;
  f->size = ((c.u8(at + 3) & 3) << 11) | (c.u8(at + 4) << 3) | (c.u8(at + 5) >> 5);
  f->samples = 1024 * ((c.u8(at + 6) & 3) + 1);
  const int headerSize = (c.u8(at + 1) & 1) ? 7 : 9;
  return f->size > headerSize;
}

std::optional<FileHeader> ParseAdts(const ReadAtFn& readAt, int64_t fileSize, int64_t start) {
  const int64_t audioEnd = fileSize - TrailingTagBytes(readAt, fileSize);
  if (audioEnd - start < 7) return std::nullopt;
  const Chunk run(readAt, start, static_cast<size_t>(std::min<int64_t>(kTailBytes, audioEnd - start)));
  AdtsFrame first;
  if (!ParseAdtsFrame(run, 0, &first)) return std::nullopt;
  // Below 32 kHz the stream may carry SBR (the decoder then doubles the rate) or
  // parametric stereo (mono becomes stereo): only the decoder can tell.
  if (first.rate < 32000) return std::nullopt;
  int64_t samples = 0;
  size_t at = 0;
  int frames = 0;
  while (at < run.size()) {
    AdtsFrame f;
    if (!ParseAdtsFrame(run, at, &f)) break;
    if (f.rate != first.rate || f.channels != first.channels) return std::nullopt;
    if (at + f.size > run.size()) break;
    samples += f.samples;
    at += f.size;
    ++frames;
  }
  const bool whole = start + static_cast<int64_t>(at) == audioEnd;
  if (frames < 2 && !whole) return std::nullopt;
  if (!whole && (run.size() < kTailBytes || at < run.size() / 2)) return std::nullopt;
  // Every frame when the file is short; otherwise the frames read so far, scaled to
  // the whole size of the sound.
  const int64_t length = whole ? samples
                               : static_cast<int64_t>(static_cast<double>(samples) *
                                                      static_cast<double>(audioEnd - start) /
                                                      static_cast<double>(at));
  return Header(first.rate, first.channels, kTypeAac, length, fileSize);
}

// ---- Ogg Vorbis ----------------------------------------------------------------------

std::optional<FileHeader> ParseOgg(const ReadAtFn& readAt, int64_t fileSize) {
  const auto first = ogg::ReadPage(readAt, 0, fileSize);
  if (!first || first->version != 0 || !(first->type & 0x02)) return std::nullopt;
  // The identification packet opens the first page.
  const auto id = ogg::ReadVorbisIdentification(readAt, static_cast<int64_t>(first->headerSize));
  if (!id || id->version != 0) return std::nullopt;
  const uint32_t channels = id->channels;
  const uint32_t rate = id->rate;
  if (channels == 0 || channels > 16 || rate == 0 || rate > kMaxRate) return std::nullopt;
  // A second logical stream (another beginning page) is left to the demuxer.
  const auto second =
      ogg::ReadPage(readAt, static_cast<int64_t>(first->headerSize + first->bodySize), fileSize);
  if (!second || second->version != 0 || (second->type & 0x02) || second->serial != first->serial)
    return std::nullopt;

  // The length is the granule position of the stream's last whole page.
  int64_t last = -1;
  for (const ogg::Page& p : ogg::TailPages(readAt, fileSize)) {
    if (p.version != 0 || !p.complete) continue;
    if (p.serial != first->serial) return std::nullopt;  // a chained or multiplexed file
    if (p.granule != ~uint64_t{0}) last = static_cast<int64_t>(p.granule);
  }
  if (last <= 0) return std::nullopt;
  return Header(rate, channels, kTypeOgg, last, fileSize);
}

// ---- ASF (WMA) -------------------------------------------------------------------------

// Only the objects inside the header object's declared size count; one of them that
// does not fit there, or a walk that stopped there, is damage.
std::optional<FileHeader> ParseAsf(const ReadAtFn& readAt, int64_t fileSize) {
  const asf::Header asfHeader = asf::ReadHeader(readAt, fileSize);
  const uint64_t headerSize = asfHeader.headerSize;
  if (asfHeader.status == asf::Status::NotAsf || headerSize < 30 ||
      headerSize > static_cast<uint64_t>(fileSize) || asfHeader.objectCount > 1000)
    return std::nullopt;
  if (asfHeader.status != asf::Status::Ok &&
      static_cast<uint64_t>(asfHeader.errorAt) + asf::kObjectHeaderBytes <= headerSize)
    return std::nullopt;
  bool haveFile = false;
  int audioStreams = 0, otherStreams = 0;
  uint64_t playTime = 0, preroll = 0, declaredSize = 0;
  uint32_t flags = 0, tag = 0, channels = 0, rate = 0;
  for (const asf::Object& o : asfHeader.objects) {
    const auto at = static_cast<uint64_t>(o.offset);
    if (at + asf::kObjectHeaderBytes > headerSize) break;
    if (o.size > headerSize - at) return std::nullopt;
    if (o.kind == asf::ObjectKind::FileProperties) {
      if (!o.complete) return std::nullopt;
      declaredSize = o.file.fileSize;
      playTime = o.file.playDuration;
      preroll = o.file.preroll;
      flags = o.file.flags;
      haveFile = true;
    } else if (o.kind == asf::ObjectKind::StreamProperties) {
      if (!o.stream.audio) {
        ++otherStreams;
      } else {
        // A WAVEFORMATEX must be there, whole.
        if (!o.stream.hasFormat || o.stream.typeSpecificLength < 16) return std::nullopt;
        tag = o.stream.formatTag;
        channels = o.stream.channels;
        rate = o.stream.sampleRate;
        ++audioStreams;
      }
    }
  }
  if (!haveFile || audioStreams != 1 || otherStreams != 0) return std::nullopt;
  if (channels == 0 || channels > 16 || rate == 0 || rate > static_cast<uint32_t>(kMaxRate))
    return std::nullopt;
  uint32_t type = 0;
  switch (tag) {
    case 0x0A:    // WMA Voice
    case 0x160:   // WMA 1
    case 0x161:   // WMA 2
    case 0x163: type = kTypeWma; break;  // WMA Lossless
    case 0x162: type = kTypeWm3; break;  // WMA Pro
    default: return std::nullopt;
  }
  // A broadcast file, or one whose declared size is far from its real size, has no
  // trustworthy play time.
  const auto real = static_cast<uint64_t>(fileSize);
  const uint64_t diff = real > declaredSize ? real - declaredSize : declaredSize - real;
  if ((flags & 1) || declaredSize == 0 || diff >= std::min(real, declaredSize) / 20)
    return std::nullopt;
  // Play time in milliseconds after the preroll (both as declared, so both checked).
  const uint64_t played = playTime / 10000;
  if (preroll >= played) return std::nullopt;
  const auto ms = static_cast<int64_t>(played - preroll);
  // No WMA codec goes below 4 kbit/s: a play time that would put the file under 1 kbit/s
  // is a damaged or forged header, not a length.
  if (ms > fileSize * 8) return std::nullopt;
  return Header(rate, channels, type, ScaleRounded(ms, rate, 1000), fileSize);
}

}  // namespace

std::optional<FileHeader> ParseFileHeader(const ReadAtFn& readAt, int64_t fileSize) {
  if (fileSize < 16 || fileSize > (int64_t{1} << 50)) return std::nullopt;
  const Chunk magic(readAt, 0, 16);
  if (magic.size() < 16) return std::nullopt;
  if (magic.Is(0, "RIFF", 4) && magic.Is(8, "WAVE", 4)) return ParseWav(readAt, fileSize);
  if (magic.Is(0, "OggS", 4)) return ParseOgg(readAt, fileSize);
  if (asf::IsAsf(magic.bytes.data(), magic.size())) return ParseAsf(readAt, fileSize);
  const int64_t start = SkipId3v2(readAt, fileSize);
  if (start < 0 || start + 8 > fileSize) return std::nullopt;
  const Chunk sync(readAt, start, 4);
  if (!sync.Has(0, 4) || sync.u8(0) != 0xFF) return std::nullopt;
  // The layer bits tell them apart: 00 in ADTS, never in MPEG audio.
  if ((sync.u8(1) & 0xF6) == 0xF0) return ParseAdts(readAt, fileSize, start);
  return ParseMpeg(readAt, fileSize, start);
}

std::optional<FileHeader> ReadFileHeader(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  std::optional<FileHeader> header;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    const ReadAtFn readAt = [fd](int64_t offset, char* dst, size_t n) -> size_t {
      size_t done = 0;
      while (done < n) {
        const ssize_t r = ::pread(fd, dst + done, n - done, static_cast<off_t>(offset) + done);
        if (r <= 0) break;
        done += static_cast<size_t>(r);
      }
      return done;
    };
    header = ParseFileHeader(readAt, st.st_size);
  }
  ::close(fd);
  return header;
}

}  // namespace zengine
