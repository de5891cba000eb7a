#include "tags/oggvorbis.h"

#include <QByteArray>
#include <array>
#include <cmath>
#include <cstring>

#include "tags/filesource.h"
#include "tags/id3v2.h"
#include "tags/tagtext.h"

namespace {

constexpr int kPageHeader = 27;
constexpr int64_t kTextCap = 250;  // each comment is kept to its first 250 bytes
// Comments are read from at most this many bytes of the comment packet: a large cover
// picture stored as a comment must not make the reader hold the whole picture.
constexpr int64_t kPacketCap = 1 << 20;

// Texts in this order: vendor, then the comment names.
constexpr const char* kNames[10] = {"", "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE",
                                    "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

uint32_t LittleEndian32(const unsigned char* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

uint64_t LittleEndian64(const unsigned char* b) {
  return uint64_t(LittleEndian32(b)) | uint64_t(LittleEndian32(b + 4)) << 32;
}

// A page's header and segment table at `pos`. False when there is no page there.
struct Page {
  int64_t pos = 0;
  unsigned char header[kPageHeader] = {};
  unsigned char segments[255] = {};
  int segmentCount() const { return header[26]; }
  int64_t dataStart() const { return pos + kPageHeader + segmentCount(); }
};

bool ReadPage(const TByteSource& source, int64_t pos, Page* page) {
  page->pos = pos;
  if (!source.ReadExact(pos, page->header, kPageHeader)) return false;
  if (std::memcmp(page->header, "OggS", 4) != 0) return false;
  return source.ReadExact(pos + kPageHeader, page->segments, page->segmentCount());
}

// The packet that starts the page at `pos`, joined over the pages it continues on, up to
// kPacketCap bytes. A damaged page ends it early.
QByteArray ReadFirstPacket(const TByteSource& source, int64_t pos) {
  QByteArray packet;
  Page page;
  while (packet.size() < kPacketCap && ReadPage(source, pos, &page)) {
    int64_t at = page.dataStart();
    bool ended = false;
    for (int i = 0; i < page.segmentCount() && !ended; ++i) {
      const QByteArray bytes = source.Read(at, page.segments[i]);
      packet.append(bytes);
      if (bytes.size() != page.segments[i]) return packet;
      at += page.segments[i];
      ended = page.segments[i] < 255;
    }
    if (ended) break;
    pos = at;
  }
  return packet;
}

// The granule position of the last page: the last "OggS" in the file's final ~12 KB,
// searched in 50 windows of 251 bytes stepping back 241 bytes each. -1 when none.
int64_t LastGranule(const TByteSource& source) {
  const int64_t size = source.Size();
  unsigned char window[251];
  for (int i = 1; i <= 50; ++i) {
    const int64_t w = size - int64_t(i) * 241 - 10;
    if (w < 0) break;
    if (!source.ReadExact(w, window, sizeof window)) break;
    for (int n = 241; n >= 0; --n) {
      if (std::memcmp(window + n, "OggS", 4) != 0) continue;
      unsigned char header[kPageHeader];
      if (!source.ReadExact(w + n, header, kPageHeader)) return -1;
      return static_cast<int64_t>(LittleEndian64(header + 6));
    }
  }
  return -1;
}

// Reads the comment packet's texts after its 7-byte start: the vendor, then the comments.
// Every length is checked against what the packet holds.
void ReadComments(const QByteArray& packet, std::array<QString, 10>& texts) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(packet.constData());
  const int64_t size = packet.size();
  int64_t pos = 7;
  uint32_t count = 0;
  for (uint64_t i = 0; i <= count; ++i) {
    if (pos + 4 > size) return;
    const int64_t n = LittleEndian32(bytes + pos);
    pos += 4;
    if (n >= (int64_t(1) << 31)) return;
    const bool cut = n > kTextCap;
    const QByteArrayView text =
        tagtext::TrimmedBytes(QByteArrayView(packet).sliced(pos, std::min({n, kTextCap, size - pos})));
    const qsizetype eq = text.indexOf('=');
    if (eq < 0) {
      if (texts[0].isEmpty()) texts[0] = tagtext::FromUtf8OrWindows1252(text, cut);
    } else {
      const QByteArray name = text.first(eq).toByteArray().toUpper();
      for (int k = 1; k < 10; ++k) {
        if (name == kNames[k]) {
          texts[k] = tagtext::Trimmed(tagtext::FromUtf8OrWindows1252(
              tagtext::TrimmedBytes(text.sliced(eq + 1)), cut));
          break;
        }
      }
    }
    if (n > size - pos) return;
    pos += n;
    if (i == 0) {
      if (pos + 4 > size) return;
      count = LittleEndian32(bytes + pos);
      pos += 4;
    }
  }
}

}  // namespace

bool TOggVorbis::ReadTag(const QString& path) {
  Clear();
  TFileSource file(path);
  if (!file.IsOpen()) return false;
  return ReadTag(file);
}

bool TOggVorbis::ReadTag(const TByteSource& source) {
  Clear();
  const int64_t fileBytes = source.Size();
  const int64_t leading = std::max<int64_t>(TID3v2::LeadingTagSize(source), 0);

  Page first;
  if (!ReadPage(source, leading, &first)) return false;
  unsigned char ident[30];
  const int64_t identAt = first.dataStart();
  if (!source.ReadExact(identAt, ident, 30) || std::memcmp(ident, "\x01vorbis", 7) != 0)
    return false;

  std::array<QString, 10> texts;
  const QByteArray packet = ReadFirstPacket(source, identAt + 30);
  if (packet.startsWith("\x03vorbis")) ReadComments(packet, texts);

  FileBytes = fileBytes;
  LeadingTagBytes = leading;
  SampleCount = std::max<int64_t>(LastGranule(source), 0);
  ChannelCount = ident[11];
  SampleRateHz = static_cast<int32_t>(LittleEndian32(ident + 12));
  const auto nominal = static_cast<int32_t>(LittleEndian32(ident + 20));
  NominalKbps = static_cast<uint16_t>(nominal / 1024);
  Title = texts[1];
  Artist = texts[2].isEmpty() ? texts[8] : texts[2];
  Album = texts[3];
  bool ok = false;
  const int track = tagtext::ToInt(texts[4].section(QLatin1Char('/'), 0, 0), &ok);
  Track = ok ? static_cast<uint16_t>(track & 0xFF) : 0;
  Date = texts[5];
  Genre = texts[6];
  Comment = texts[7].isEmpty() ? texts[9] : texts[7];
  Vendor = texts[0];
  return true;
}

double TOggVorbis::DurationSeconds() const {
  if (SampleCount > 0) return SampleRateHz > 0 ? double(SampleCount) / SampleRateHz : 0.0;
  if (NominalKbps > 0 && ChannelCount > 0)
    return double(FileBytes - LeadingTagBytes) / NominalKbps / ChannelCount / 125.0 * 2.0;
  return 0.0;
}

int TOggVorbis::AverageKbps() const {
  const double duration = DurationSeconds();
  if (duration <= 0) return 0;
  const double kbps = double(FileBytes - LeadingTagBytes) / duration / 125.0;
  if (!(kbps < 2147483647.0)) return 0;
  return static_cast<int>(std::nearbyint(kbps));  // the default rounding: half to even
}

bool TOggVorbis::ValidFile() const {
  return (ChannelCount == 1 || ChannelCount == 2 || ChannelCount == 6) && SampleRateHz > 0 &&
         DurationSeconds() > 0.1 && static_cast<uint16_t>(AverageKbps()) != 0;
}
