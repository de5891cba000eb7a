// TAPETag: an APE tag (versions 1 and 2) at the end of a file, found through its 32-byte
// footer, just before a final ID3v1 tag when there is one.
//
// Footer: "APETAGEX" (8), version (4), tag size = items + footer, without a header (4),
// item count (4), flags (4), reserved (8); numbers little-endian. Each item: value size
// (4), flags (4), key ended by a zero byte, value bytes (UTF-8 for text items).
// Values are kept to their first 250 bytes. The reader only reads.
#pragma once

#include <QString>
#include <QVector>
#include <cstdint>

class TByteSource;

class TAPETag {
 public:
  struct RField {
    QString Name;   // the key, trimmed
    QString Value;  // the first 250 bytes of the value, trimmed, decoded from UTF-8
  };

  void Clear() { *this = TAPETag(); }

  // Resets, then reads. False when the file cannot be opened or its footer cannot be
  // read whole (33 bytes at least, after a final ID3v1 tag); otherwise true, and
  // TagFound tells whether there is a tag.
  bool ReadTag(const QString& path);
  bool ReadTag(const TByteSource& source);

  // The value of the first item named `name`, ignoring case; empty when none.
  QString ItemValue(const QString& name) const;

  QVector<RField> Items;  // in file order; only the items actually present
  bool TagFound = false;
  int32_t TagVersion = 0;  // 1000 or 2000 in practice
  int32_t TagSize = 0;

 private:
  void ReadItems(const TByteSource& source, int64_t begin, int64_t end, uint32_t count);
};
