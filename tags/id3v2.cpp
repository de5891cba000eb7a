#include "tags/id3v2.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "tags/filesource.h"
#include "tags/id3v1genres.h"
#include "tags/memorysource.h"
#include "tags/tagtext.h"

namespace {

constexpr int64_t kSmallFrame = 500;         // frames up to this size are always read
constexpr int64_t kLargestFrame = 1000000;   // larger frames are never read
// An unsynchronised 2.2/2.3 tag is copied to be resynchronised: at most this much of it.
constexpr int64_t kLargestUnsynchronised = 16 * 1024 * 1024;

// The frame list: 2.3/2.4 name, 2.2 name. Positions are the frame numbers used below.
constexpr const char* kNames[18][2] = {
    {"TIT2", "TT2"}, {"TPE1", "TP1"}, {"TALB", "TAL"}, {"TRCK", "TRK"}, {"TYER", "TYE"},
    {"TCON", "TCO"}, {"COMM", "COM"}, {"TCOM", "TCM"}, {"TENC", "TEN"}, {"TCOP", "TCR"},
    {"TLAN", "TLA"}, {"WXXX", "WXX"}, {"TDRC", "TOR"}, {"TOPE", "TOA"}, {"TIT1", "TT1"},
    {"TOAL", "TOT"}, {"TSIZ", "TSI"}, {"APIC", "API"}};
enum Frame { kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kComposer, kEncoder,
             kRights, kLanguage, kLink, kRecordingTime, kOrigArtist, kGroup, kOrigAlbum,
             kSize, kPicture };

uint32_t BigEndian(const unsigned char* b, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | b[i];
  return v;
}

uint32_t Syncsafe(const unsigned char* b) {
  return uint32_t(b[0] & 0x7F) << 21 | uint32_t(b[1] & 0x7F) << 14 | uint32_t(b[2] & 0x7F) << 7 |
         uint32_t(b[3] & 0x7F);
}

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its 0x00.
QByteArray Resynchronised(const QByteArray& data) {
  QByteArray out;
  out.reserve(data.size());
  for (qsizetype i = 0; i < data.size(); ++i) {
    out.append(data[i]);
    if (static_cast<unsigned char>(data[i]) == 0xFF && i + 1 < data.size() && data[i + 1] == 0) ++i;
  }
  return out;
}

// Decodes text bytes in an ID3v2 encoding, up to the first terminator, untrimmed.
QString Decode(uint8_t encoding, QByteArrayView bytes) {
  if (encoding == 1 || encoding == 2) {
    bool bigEndian = encoding == 2;
    if (bytes.size() >= 2) {
      const auto b0 = static_cast<unsigned char>(bytes[0]);
      const auto b1 = static_cast<unsigned char>(bytes[1]);
      if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
        bigEndian = b0 == 0xFE;
        bytes = bytes.sliced(2);
      }
    }
    return tagtext::FromUtf16(bytes, bigEndian);
  }
  const qsizetype nul = bytes.indexOf('\0');
  if (nul >= 0) bytes = bytes.first(nul);
  return encoding == 3 ? tagtext::FromUtf8OrWindows1252(bytes) : tagtext::FromWindows1252(bytes);
}

// A frame's text: encoding byte, then the text. Multi-value 2.4 frames give their first value.
QString FrameText(const QByteArray& data) {
  if (data.isEmpty()) return {};
  return tagtext::Trimmed(Decode(static_cast<uint8_t>(data[0]), QByteArrayView(data).sliced(1)));
}

QString FrameTextOr(const QByteArray& first, const QByteArray& fallback) {
  const QString text = FrameText(first);
  return text.isEmpty() ? FrameText(fallback) : text;
}

// Offset just after the terminator of the text starting at `from`: one zero byte, or an
// aligned pair of zero bytes for UTF-16. -1 when there is none.
qsizetype AfterTerminator(const QByteArray& data, qsizetype from, uint8_t encoding) {
  if (encoding == 1 || encoding == 2) {
    for (qsizetype i = from; i + 1 < data.size(); i += 2)
      if (data[i] == 0 && data[i + 1] == 0) return i + 2;
    return -1;
  }
  const qsizetype nul = data.indexOf('\0', from);
  return nul < 0 ? -1 : nul + 1;
}

// COMM: encoding, language (3), description, text. WXXX: encoding, description, URL; the
// URL is Latin-1 whatever the encoding says.
QString DescribedText(const QByteArray& data, bool withLanguage) {
  if (data.isEmpty()) return {};
  const auto encoding = static_cast<uint8_t>(data[0]);
  const qsizetype textStart = withLanguage ? 4 : 1;
  if (data.size() < textStart) return {};
  const qsizetype after = AfterTerminator(data, textStart, encoding);
  if (after < 0) return {};
  const QByteArrayView rest = QByteArrayView(data).sliced(after);
  return tagtext::Trimmed(withLanguage ? Decode(encoding, rest) : Decode(0, rest));
}

// TCON: the text after its last ")", so "(17)Rock" gives "Rock". A bare reference to
// an ID3v1 genre number, "(17)", has nothing after it and gives that genre's name.
QString GenreText(const QString& text) {
  const qsizetype close = text.lastIndexOf(QLatin1Char(')'));
  if (close < 0) return text;
  const QString number = text.mid(1, text.size() - 2);
  const bool bare = text.size() >= 3 && text.size() <= 5 && text.startsWith(QLatin1Char('(')) &&
                    close == text.size() - 1 &&
                    std::all_of(number.begin(), number.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
  if (bare) return id3v1genres::Name(number.toInt());
  return text.mid(close + 1);
}

// APIC: encoding, MIME type (Latin-1, zero-ended), picture type, description, picture.
QByteArray JpegPicture(const QByteArray& data) {
  if (data.isEmpty()) return {};
  const auto encoding = static_cast<uint8_t>(data[0]);
  const qsizetype mimeEnd = data.indexOf('\0', 1);
  if (mimeEnd < 0) return {};
  const QByteArray mime = data.mid(1, mimeEnd - 1).toLower();
  if (!mime.contains("image/jpg") && !mime.contains("image/jpeg")) return {};
  const qsizetype after = AfterTerminator(data, mimeEnd + 2, encoding);
  if (after < 0) return {};
  return data.mid(after);
}

}  // namespace

int64_t TID3v2::LeadingTagSize(const TByteSource& source) {
  unsigned char h[10];
  if (!source.ReadExact(0, h, 10) || std::memcmp(h, "ID3", 3) != 0) return -1;
  // The size bytes are taken whole, as the tag's own writers sometimes forgot to keep
  // them 7-bit; a size beyond the file then shows as no usable tag.
  int64_t size = int64_t(h[6]) << 21 | int64_t(h[7]) << 14 | int64_t(h[8]) << 7 | h[9];
  size += 10;
  if (h[5] & 0x10) size += 10;
  return size > source.Size() ? 0 : size;
}

bool TID3v2::ReadTag(const QString& path, bool withPicture) {
  Clear();
  TFileSource file(path);
  if (!file.IsOpen()) return false;
  return ReadTag(file, withPicture);
}

bool TID3v2::ReadTag(const TByteSource& source, bool withPicture) {
  Clear();
  unsigned char h[10];
  if (!source.ReadExact(0, h, 10)) return false;
  const int64_t size = LeadingTagSize(source);
  if (size < 0) return true;
  TagFound = true;
  TagVersion = h[3];
  TagSize = static_cast<int32_t>(size);
  if (TagVersion < 2 || TagVersion > 4 || TagSize == 0) return true;

  int64_t end = std::min<int64_t>(TagSize, source.Size());
  // Tag-wide unsynchronisation (header flag 0x80). Up to 2.3 it covers everything after
  // the header, and the sizes inside count the bytes once resynchronised: the tag is
  // resynchronised whole first and its frames read from that copy. In 2.4 it says that
  // every frame is unsynchronised, which the frames are read with (ReadFrames).
  QByteArray resynchronised;
  std::optional<TMemorySource> resynchronisedSource;
  const TByteSource* tag = &source;
  if (TagVersion <= 3 && (h[5] & 0x80)) {
    // Frames past kLargestUnsynchronised are lost rather than copying a forged giant.
    const int64_t length = std::min(end, kLargestUnsynchronised) - 10;
    resynchronised = QByteArray(reinterpret_cast<const char*>(h), 10) + Resynchronised(source.Read(10, length));
    tag = &resynchronisedSource.emplace(QByteArrayView(resynchronised));
    end = resynchronised.size();
  }
  unsynchronisedFrames_ = TagVersion == 4 && (h[5] & 0x80);
  int64_t start = 10;
  if (TagVersion >= 3 && (h[5] & 0x40)) {
    // Extended header: its size excludes its own 4 size bytes in 2.3 and includes them
    // (as 7-bit bytes) in 2.4.
    unsigned char e[4];
    if (!tag->ReadExact(start, e, 4)) return true;
    start += TagVersion == 3 ? 4 + int64_t(BigEndian(e, 4)) : int64_t(Syncsafe(e));
  }
  if (TagVersion == 2)
    ReadFrames22(*tag, start, end);
  else
    ReadFrames(*tag, start, end, withPicture);
  FillFields(withPicture);
  return true;
}

void TID3v2::ReadFrames(const TByteSource& source, int64_t pos, int64_t end, bool withPicture) {
  unsigned char h[10];
  while (pos < end && source.ReadExact(pos, h, 10)) {
    if (h[0] < 'A' || h[0] > 'Z') break;  // padding or garbage
    const int64_t size = TagVersion == 4 ? Syncsafe(h + 4) : BigEndian(h + 4, 4);
    if (size >= (int64_t(1) << 31)) break;
    const int64_t next = pos + 10 + size;
    if (size > kSmallFrame && (!withPicture || size > kLargestFrame)) {
      pos = next;
      continue;
    }
    QByteArray data = source.Read(pos + 10, size);
    // Second flag byte. 2.3: 0x80 compressed, 0x40 encrypted, 0x20 group byte first.
    // 2.4: 0x40 group byte first, 0x08 compressed, 0x04 encrypted, 0x02 unsynchronised,
    // 0x01 four-byte data length first.
    const unsigned char f = h[9];
    bool readable = true;
    if (TagVersion == 3) {
      readable = !(f & 0xC0);
      if (f & 0x20) data.remove(0, 1);
    } else {
      readable = !(f & 0x0C);
      if (f & 0x40) data.remove(0, 1);
      if (f & 0x01) data.remove(0, 4);
      if ((f & 0x02) || unsynchronisedFrames_) data = Resynchronised(data);
    }
    if (readable) Store(QByteArrayView(reinterpret_cast<const char*>(h), 4), std::move(data));
    pos = next;
  }
}

void TID3v2::ReadFrames22(const TByteSource& source, int64_t pos, int64_t end) {
  unsigned char h[6];
  while (pos < end && source.ReadExact(pos, h, 6)) {
    if (h[0] < 'A' || h[0] > 'Z') break;
    const int64_t size = BigEndian(h + 3, 3);
    Store(QByteArrayView(reinterpret_cast<const char*>(h), 3),
          source.Read(pos + 6, std::min(size, kSmallFrame)));
    pos += 6 + size;
  }
}

void TID3v2::Store(QByteArrayView name, QByteArray data) {
  if (data.isEmpty() || static_cast<unsigned char>(data[0]) > 3) return;
  const int column = TagVersion < 3 ? 1 : 0;
  for (int i = 0; i < kFrameCount; ++i) {
    if (name == QByteArrayView(kNames[i][column])) {
      frames_[i] = std::move(data);
      return;
    }
  }
}

void TID3v2::FillFields(bool withPicture) {
  Title = FrameTextOr(frames_[kTitle], frames_[kGroup]);
  Artist = FrameTextOr(frames_[kArtist], frames_[kOrigArtist]);
  Album = FrameTextOr(frames_[kAlbum], frames_[kOrigAlbum]);
  TrackText = FrameText(frames_[kTrack]);
  bool ok = false;
  const int track = tagtext::ToInt(TrackText.section(QLatin1Char('/'), 0, 0), &ok);
  Track = ok ? static_cast<uint16_t>(track) : 0;
  Year = FrameText(frames_[kYear]);
  if (Year.isEmpty()) Year = FrameText(frames_[kRecordingTime]).left(4);
  Genre = GenreText(FrameText(frames_[kGenre]));
  Comment = DescribedText(frames_[kComment], true);
  Composer = FrameText(frames_[kComposer]);
  Encoder = FrameText(frames_[kEncoder]);
  Rights = FrameText(frames_[kRights]);
  Language = FrameText(frames_[kLanguage]);
  Link = DescribedText(frames_[kLink], false);
  AudioSize = FrameText(frames_[kSize]);
  if (withPicture) Picture = JpegPicture(frames_[kPicture]);
}
