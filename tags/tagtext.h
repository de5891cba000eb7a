// Text helpers shared by the tag readers: decoding the character sets tags use, and the
// trimming rules of the readers.
//
// Every text ends up in a QString without loss. Single-byte texts (ID3v1, Lyrics3, ID3v2
// encoding 0) are Windows-1252, whose printable range includes Latin-1's; texts declared
// UTF-8 that are not valid UTF-8 are read as Windows-1252 too, since that is what
// taggers on desktops wrote when they wrote the local code page instead.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tagtext {

// Windows-1252, with its five unassigned bytes kept as the Latin-1 control characters.
QString FromWindows1252(QByteArrayView bytes);

// UTF-8 when the bytes are valid UTF-8, else Windows-1252. With `cutAtCap` (the bytes
// were cut at a length cap), a multi-byte sequence left incomplete at the very end is
// dropped first.
QString FromUtf8OrWindows1252(QByteArrayView bytes, bool cutAtCap = false);

// UTF-16 code units, big- or little-endian, up to the first zero unit; an odd last byte
// is ignored. Unpaired surrogates become U+FFFD (QString's own rule).
QString FromUtf16(QByteArrayView bytes, bool bigEndian);

// Removes the characters U+0000 to U+0020 at both ends / at the end.
QString Trimmed(const QString& text);
QString TrimmedRight(const QString& text);

// Removes the bytes 0x00 to 0x20 at both ends.
QByteArrayView TrimmedBytes(QByteArrayView bytes);

// The text up to its first U+0000.
QString UpToNul(const QString& text);

// A decimal integer, with surrounding spaces and a sign allowed. 0 with `ok` false when
// the text is not one or lies outside the 32-bit range.
int ToInt(const QString& text, bool* ok);

// n in decimal with at least two digits: 7 gives "07", 123 gives "123".
QString TwoDigits(long long n);

}  // namespace tagtext
