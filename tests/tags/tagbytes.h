// Builders for the tag bytes the reader tests lay out inline.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace tagbytes {

inline QByteArray LE16(uint32_t v) {
  QByteArray b(2, 0);
  b[0] = char(v & 0xFF);
  b[1] = char(v >> 8 & 0xFF);
  return b;
}
inline QByteArray LE32(uint32_t v) {
  QByteArray b(4, 0);
  for (int i = 0; i < 4; ++i) b[i] = char(v >> (8 * i) & 0xFF);
  return b;
}
inline QByteArray LE64(uint64_t v) { return LE32(uint32_t(v)) + LE32(uint32_t(v >> 32)); }
inline QByteArray BE32(uint32_t v) {
  QByteArray b(4, 0);
  for (int i = 0; i < 4; ++i) b[i] = char(v >> (8 * (3 - i)) & 0xFF);
  return b;
}
inline QByteArray BE24(uint32_t v) { return BE32(v).mid(1); }
inline QByteArray Syncsafe(uint32_t v) {
  QByteArray b(4, 0);
  for (int i = 0; i < 4; ++i) b[i] = char(v >> (7 * (3 - i)) & 0x7F);
  return b;
}
// Text as UTF-16 little-endian code units, no mark, no terminator.
inline QByteArray Utf16LE(const QString& s) {
  QByteArray b;
  for (QChar c : s) b += LE16(c.unicode());
  return b;
}
inline QByteArray Utf16BE(const QString& s) {
  QByteArray b;
  for (QChar c : s) b += char(c.unicode() >> 8), b += char(c.unicode() & 0xFF);
  return b;
}
inline QByteArray Latin1(const char* s) { return QByteArray(s); }
// A run of n bytes of value c.
inline QByteArray Fill(int n, char c) { return QByteArray(n, c); }
// Padded to `size` bytes with zeros (or cut).
inline QByteArray Field(const QByteArray& b, int size) {
  QByteArray f = b.left(size);
  f.append(QByteArray(size - f.size(), '\0'));
  return f;
}

}  // namespace tagbytes
