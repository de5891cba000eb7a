#include "tags/id3v1.h"

#include <cstring>

#include "tags/filesource.h"
#include "tags/id3v1genres.h"
#include "tags/tagtext.h"

namespace {

constexpr int kTagBytes = 128;
constexpr int kLyricsTrailerBytes = 15;  // 6-digit size + "LYRICS200"
constexpr int kLongText = 31;            // from this length a value also goes to its Long* slot

// Stores a value with its trailing spaces and control characters removed, and mirrors
// it into the long slot when it is 31 characters or more.
void SetText(QString& field, QString& longSlot, const QString& value) {
  field = tagtext::TrimmedRight(value);
  longSlot = field.size() >= kLongText ? field : QString();
}

// A fixed-size ID3v1 field: the bytes up to the first zero (writers pad with zeros and
// some leave old bytes after them), trailing spaces and controls removed.
QString FixedField(const char* bytes, int size) {
  const void* nul = std::memchr(bytes, 0, static_cast<size_t>(size));
  const int used = nul ? static_cast<int>(static_cast<const char*>(nul) - bytes) : size;
  return tagtext::TrimmedRight(tagtext::FromWindows1252(QByteArrayView(bytes, used)));
}

// A run of ASCII digits as a number; -1 when empty or anything else is there.
int64_t Digits(QByteArrayView text) {
  if (text.isEmpty()) return -1;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

void TID3v1::Clear() { *this = TID3v1(); }

QString TID3v1::Genre() const { return id3v1genres::Name(GenreIndex); }

bool TID3v1::ReadTag(const QString& path) {
  Clear();
  TFileSource file(path);
  if (!file.IsOpen()) return false;
  return ReadTag(file);
}

bool TID3v1::ReadTag(const TByteSource& source) {
  Clear();
  const int64_t size = source.Size();
  char tag[kTagBytes];
  if (size >= kTagBytes && source.ReadExact(size - kTagBytes, tag, kTagBytes) &&
      std::memcmp(tag, "TAG", 3) == 0) {
    TagFound = true;
    // 1.1 puts a zero at 125 and the track at 126; a space at 125 followed by something
    // else than a space is taken as 1.1 as well (some writers padded with spaces).
    const auto c28 = static_cast<unsigned char>(tag[125]);
    const auto c29 = static_cast<unsigned char>(tag[126]);
    TagVersion = ((c28 == 0 && c29 != 0) || (c28 == 0x20 && c29 != 0x20)) ? 2 : 1;
    SetText(Title, LongTitle, FixedField(tag + 3, 30));
    SetText(Artist, LongArtist, FixedField(tag + 33, 30));
    SetText(Album, LongAlbum, FixedField(tag + 63, 30));
    Year = FixedField(tag + 93, 4).left(4);
    if (TagVersion == 2) {
      SetText(Comment, LongComment, FixedField(tag + 97, 28));
      Track = c29;
    } else {
      SetText(Comment, LongComment, FixedField(tag + 97, 30));
    }
    GenreIndex = static_cast<unsigned char>(tag[127]);
  }
  ReadLyrics3(source, size - (TagFound ? kTagBytes : 0));
  return true;
}

// blockEnd: where the Lyrics3 block's trailer ends (the ID3v1 tag's start, or the end of
// the file). Sizes that do not lead to "LYRICSBEGIN" inside the file leave no block;
// fields are read only inside the block, so a lying field size cannot pull the trailer
// or the ID3v1 tag into a value.
void TID3v1::ReadLyrics3(const TByteSource& source, int64_t blockEnd) {
  char trailer[kLyricsTrailerBytes];
  const int64_t trailerAt = blockEnd - kLyricsTrailerBytes;
  if (trailerAt < 0 || !source.ReadExact(trailerAt, trailer, kLyricsTrailerBytes)) return;
  if (std::memcmp(trailer + 6, "LYRICS200", 9) != 0) return;
  const int64_t declared = Digits(QByteArrayView(trailer, 6));
  Lyrics3Size = declared > 0 ? static_cast<int32_t>(declared) : 0;
  if (Lyrics3Size <= 0) return;

  const int64_t begin = trailerAt - Lyrics3Size;  // the start marker
  char marker[11];
  if (begin < 0 || !source.ReadExact(begin, marker, 11) ||
      std::memcmp(marker, "LYRICSBEGIN", 11) != 0) {
    Lyrics3Size = 0;
    return;
  }
  Lyrics3Found = true;

  int64_t pos = begin + 11;
  char header[8];
  while (pos + 8 <= trailerAt && source.ReadExact(pos, header, 8)) {
    const int64_t length = Digits(QByteArrayView(header + 3, 5));  // at most 99999
    if (length < 0 || length > trailerAt - pos - 8) break;
    const QByteArray data = source.Read(pos + 8, length);
    if (data.size() != length) break;
    const QByteArrayView name(header, 3);
    const QString text = tagtext::Trimmed(tagtext::FromWindows1252(data));
    if (name == "IND") {
      // indications: nothing the program shows
    } else if (name == "LYR") {
      Lyrics = text;
      Lyrics.replace(QLatin1String("\r"), QLatin1String("\r\n"));
      Lyrics.replace(QLatin1String("\r\n\n"), QLatin1String("\r\n"));
    } else if (name == "INF") {
      SetText(Comment, LongComment, text);
    } else if (name == "AUT") {
      Author = text;
    } else if (name == "EAL") {
      SetText(Album, LongAlbum, text);
    } else if (name == "EAR") {
      SetText(Artist, LongArtist, text);
    } else if (name == "ETT") {
      SetText(Title, LongTitle, text);
    } else if (name == "IMG") {
      Image = data;
    } else {
      break;  // an unknown field: what follows cannot be trusted
    }
    pos += 8 + length;
  }
}
