#include "tags/apetag.h"

#include <cstring>

#include "tags/filesource.h"
#include "tags/tagtext.h"

namespace {

constexpr int kFooterBytes = 32;
constexpr int kID3v1Bytes = 128;
constexpr int64_t kValueCap = 250;

uint32_t LittleEndian32(const unsigned char* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

}  // namespace

bool TAPETag::ReadTag(const QString& path) {
  Clear();
  TFileSource file(path);
  if (!file.IsOpen()) return false;
  return ReadTag(file);
}

bool TAPETag::ReadTag(const TByteSource& source) {
  Clear();
  const int64_t length = source.Size();
  int id3v1 = 0;
  char tag[3];
  if (length > kID3v1Bytes && source.ReadExact(length - kID3v1Bytes, tag, 3) &&
      std::memcmp(tag, "TAG", 3) == 0)
    id3v1 = kID3v1Bytes;
  const int64_t footerAt = length - id3v1 - kFooterBytes;
  unsigned char footer[kFooterBytes];
  if (footerAt <= 0 || !source.ReadExact(footerAt, footer, kFooterBytes)) return false;
  if (std::memcmp(footer, "APETAGEX", 8) != 0) return true;

  TagFound = true;
  TagVersion = static_cast<int32_t>(LittleEndian32(footer + 8));
  TagSize = static_cast<int32_t>(LittleEndian32(footer + 12));
  // The items lie between the tag's start and the footer; a size that does not fit
  // in the file leaves the tag without items.
  const int64_t size = LittleEndian32(footer + 12);
  const int64_t itemsEnd = length - id3v1 - kFooterBytes;
  const int64_t itemsBegin = length - id3v1 - size;
  if (size >= kFooterBytes && itemsBegin >= 0)
    ReadItems(source, itemsBegin, itemsEnd, LittleEndian32(footer + 16));
  return true;
}

// Each item takes at least 9 bytes, so the count, which nothing vouches for, never
// makes the loop run past the items' end.
void TAPETag::ReadItems(const TByteSource& source, int64_t pos, int64_t end, uint32_t count) {
  for (uint32_t i = 0; i < count && pos + 8 < end; ++i) {
    unsigned char head[8];
    if (!source.ReadExact(pos, head, 8)) return;
    const int64_t valueSize = LittleEndian32(head);
    if (valueSize >= (int64_t(1) << 31)) return;
    // The key runs up to a zero byte inside the items.
    const QByteArray rest = source.Read(pos + 8, std::min<int64_t>(end - pos - 8, 256));
    const qsizetype nul = rest.indexOf('\0');
    if (nul < 0) return;
    const int64_t valueAt = pos + 8 + nul + 1;
    if (valueSize > end - valueAt) return;
    RField item;
    item.Name = tagtext::FromWindows1252(tagtext::TrimmedBytes(QByteArrayView(rest).first(nul)));
    const QByteArray value = source.Read(valueAt, std::min(valueSize, kValueCap));
    const bool cut = valueSize > kValueCap;
    item.Value = tagtext::Trimmed(tagtext::FromUtf8OrWindows1252(tagtext::TrimmedBytes(value), cut));
    Items.append(item);
    pos = valueAt + valueSize;
  }
}

QString TAPETag::ItemValue(const QString& name) const {
  for (const RField& item : Items)
    if (item.Name.compare(name, Qt::CaseInsensitive) == 0) return item.Value;
  return {};
}
