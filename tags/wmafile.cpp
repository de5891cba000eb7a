#include "tags/wmafile.h"

#include <QStringList>
#include <array>
#include <cstring>

#include "tags/filesource.h"
#include "tags/tagtext.h"

namespace {

constexpr unsigned char kHeaderId[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                         0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr unsigned char kFilePropertiesId[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                 0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr unsigned char kStreamPropertiesId[16] = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                                   0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr unsigned char kContentDescriptionId[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                     0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr unsigned char kExtendedContentId[16] = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                                  0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};

constexpr int kTextCap = 250;  // characters kept of each text
constexpr int kObjectHeader = 24;

enum Field { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kFieldCount };
// Extended names, compared upper-cased; WM/TrackNumber is not among them.
constexpr const char* kExtendedNames[] = {"WM/TITLE", "WM/AUTHOR", "WM/ALBUMTITLE", "WM/TRACK",
                                          "WM/YEAR",  "WM/GENRE",  "WM/DESCRIPTION"};

struct FileData {
  uint32_t maxBitsPerSecond = 0;
  uint16_t channelCount = 0;
  uint32_t sampleRateHz = 0;
  uint32_t bytesPerSecond = 0;
  std::array<QString, kFieldCount> fields;
};

// Sequential reading with a position; any read past the end sets `failed`, after which
// every read gives zeros.
class Cursor {
 public:
  Cursor(const TByteSource& source, int64_t pos) : source_(source), pos_(pos) {}
  bool failed = false;
  int64_t pos() const { return pos_; }
  void seek(int64_t pos) { pos_ = pos; }
  void skip(int64_t n) {
    if (n < 0 || n > source_.Size() - pos_) failed = true;
    else pos_ += n;
  }
  bool read(void* dest, int64_t n) {
    if (failed || !source_.ReadExact(pos_, dest, n)) {
      failed = true;
      std::memset(dest, 0, static_cast<size_t>(n));
      return false;
    }
    pos_ += n;
    return true;
  }
  uint16_t u16() { unsigned char b[2]; read(b, 2); return uint16_t(b[0] | b[1] << 8); }
  uint32_t u32() {
    unsigned char b[4];
    read(b, 4);
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  }
  // A text of `length` bytes: its first 250 UTF-16 code units, up to a zero unit.
  QString text(uint16_t length) {
    const int units = std::min(length / 2, kTextCap);
    const QByteArray bytes = source_.Read(pos_, units * 2);
    if (bytes.size() != units * 2) failed = true;
    skip(length);
    return failed ? QString() : tagtext::FromUtf16(bytes, false);
  }

 private:
  const TByteSource& source_;
  int64_t pos_;
};

void ReadContentDescription(Cursor& in, FileData& data) {
  uint16_t lengths[5];
  for (uint16_t& length : lengths) length = in.u16();
  // title, author, rights, description, rating; rights and rating are dropped
  for (int i = 0; i < 5; ++i) {
    if (lengths[i] == 0) continue;
    const QString text = in.text(lengths[i]);
    if (i == 0) data.fields[kTitle] = text;
    if (i == 1) data.fields[kArtist] = text;
    if (i == 3) data.fields[kComment] = text;
  }
}

void ReadExtendedContent(Cursor& in, FileData& data) {
  const uint16_t count = in.u16();
  for (int d = 0; d < count && !in.failed; ++d) {
    const QString name = tagtext::Trimmed(in.text(in.u16())).toUpper();
    const uint16_t type = in.u16();
    const uint16_t length = in.u16();
    if (type != 0) {  // not a text: nothing the program shows
      in.skip(length);
      continue;
    }
    const QString value = in.text(length);
    for (int f = 0; f < kFieldCount; ++f)
      if (name == QLatin1String(kExtendedNames[f])) data.fields[f] = value;
  }
}

// Walks the header objects. False when the header is truncated or damaged.
bool ReadHeaderObjects(const TByteSource& source, FileData& data) {
  Cursor in(source, 0);
  unsigned char id[16];
  if (!in.read(id, 16) || std::memcmp(id, kHeaderId, 16) != 0) return true;  // not ASF
  in.skip(8);
  const uint32_t objects = in.u32();
  in.skip(2);
  for (uint32_t i = 0; i < objects && !in.failed; ++i) {
    const int64_t start = in.pos();
    in.read(id, 16);
    const uint32_t sizeLow = in.u32();
    const uint32_t sizeHigh = in.u32();
    // Every object holds at least its own 24-byte header; a smaller size would walk in
    // place, a larger one than the file is damage.
    if (in.failed || sizeHigh != 0 || sizeLow < kObjectHeader || sizeLow > source.Size() - start)
      return false;
    if (std::memcmp(id, kFilePropertiesId, 16) == 0) {
      in.seek(start + 100);
      data.maxBitsPerSecond = in.u32();
    } else if (std::memcmp(id, kStreamPropertiesId, 16) == 0) {
      // Inside the audio format data; the last stream-properties object wins.
      in.seek(start + 80);
      data.channelCount = in.u16();
      data.sampleRateHz = in.u32();
      data.bytesPerSecond = in.u32();
    } else if (std::memcmp(id, kContentDescriptionId, 16) == 0) {
      ReadContentDescription(in, data);
    } else if (std::memcmp(id, kExtendedContentId, 16) == 0) {
      ReadExtendedContent(in, data);
    }
    in.seek(start + sizeLow);
  }
  return !in.failed;
}

}  // namespace

bool TWMAfile::ReadTag(const QString& path) {
  Clear();
  TFileSource file(path);
  if (!file.IsOpen()) return false;
  return ReadTag(file);
}

bool TWMAfile::ReadTag(const TByteSource& source) {
  Clear();
  FileData data;
  if (!ReadHeaderObjects(source, data)) return false;
  if (!(data.maxBitsPerSecond > 0 && data.maxBitsPerSecond < 320000) ||
      !(data.channelCount == 1 || data.channelCount == 2) ||
      !(data.sampleRateHz >= 8000 && data.sampleRateHz <= 96000) ||
      !(data.bytesPerSecond > 0 && data.bytesPerSecond < 40000))
    return true;
  ValidFile = true;
  FileBytes = source.Size();
  ChannelCount = static_cast<uint8_t>(data.channelCount);
  SampleRateHz = static_cast<int32_t>(data.sampleRateHz);
  DurationSeconds = double(FileBytes) * 8.0 / data.maxBitsPerSecond;
  Kbps = static_cast<int32_t>(data.bytesPerSecond * 8 / 1000);
  Title = tagtext::Trimmed(data.fields[kTitle]);
  Artist = tagtext::Trimmed(data.fields[kArtist]);
  Album = tagtext::Trimmed(data.fields[kAlbum]);
  Year = tagtext::Trimmed(data.fields[kYear]);
  Genre = tagtext::Trimmed(data.fields[kGenre]);
  Comment = tagtext::Trimmed(data.fields[kComment]);
  bool ok = false;
  const int track = tagtext::ToInt(tagtext::Trimmed(data.fields[kTrack]), &ok);
  Track = ok ? track : 0;
  return true;
}
