#include "tags/tagtext.h"

namespace tagtext {

namespace {

// Windows-1252 0x80-0x9F; 0 marks the unassigned bytes, kept as their Latin-1 value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Length of the well-formed UTF-8 sequence at bytes[i], 0 when ill-formed, -1 when it
// is a correct start cut by the end of the bytes.
int SequenceLength(QByteArrayView bytes, qsizetype i) {
  const auto b0 = static_cast<unsigned char>(bytes[i]);
  if (b0 < 0x80) return 1;
  int len = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    if (b0 == 0xE0) lo = 0xA0;   // no overlong forms
    if (b0 == 0xED) hi = 0x9F;   // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;   // nothing above U+10FFFF
  } else {
    return 0;
  }
  for (int k = 1; k < len; ++k) {
    if (i + k >= bytes.size()) return -1;
    const auto b = static_cast<unsigned char>(bytes[i + k]);
    if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return 0;
  }
  return len;
}

bool IsSpaceOrControl(QChar c) { return c.unicode() <= 0x20; }

}  // namespace

QString FromWindows1252(QByteArrayView bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    char16_t c = b;
    if (b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80] != 0) c = kCp1252High[b - 0x80];
    out[i] = QChar(c);
  }
  return text;
}

QString FromUtf8OrWindows1252(QByteArrayView bytes, bool cutAtCap) {
  qsizetype i = 0;
  while (i < bytes.size()) {
    const int len = SequenceLength(bytes, i);
    if (len == -1 && cutAtCap) {
      bytes = bytes.first(i);  // a sequence cut by the end: drop it
      break;
    }
    if (len <= 0) return FromWindows1252(bytes);
    i += len;
  }
  return QString::fromUtf8(bytes);
}

QString FromUtf16(QByteArrayView bytes, bool bigEndian) {
  const qsizetype units = bytes.size() / 2;
  QString text;
  text.reserve(units);
  for (qsizetype k = 0; k < units; ++k) {
    const auto a = static_cast<unsigned char>(bytes[2 * k]);
    const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
    const char16_t unit = bigEndian ? char16_t(a << 8 | b) : char16_t(b << 8 | a);
    if (unit == 0) break;
    text.append(QChar(unit));
  }
  // Round-trip through UTF-8 replaces unpaired surrogates, so the text is well-formed.
  return QString::fromUtf8(text.toUtf8());
}

QString Trimmed(const QString& text) {
  qsizetype begin = 0, end = text.size();
  while (begin < end && IsSpaceOrControl(text[begin])) ++begin;
  while (end > begin && IsSpaceOrControl(text[end - 1])) --end;
  return text.mid(begin, end - begin);
}

QString TrimmedRight(const QString& text) {
  qsizetype end = text.size();
  while (end > 0 && IsSpaceOrControl(text[end - 1])) --end;
  return text.left(end);
}

QByteArrayView TrimmedBytes(QByteArrayView bytes) {
  qsizetype begin = 0, end = bytes.size();
  while (begin < end && static_cast<unsigned char>(bytes[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(bytes[end - 1]) <= 0x20) --end;
  return bytes.sliced(begin, end - begin);
}

QString UpToNul(const QString& text) {
  const qsizetype nul = text.indexOf(QChar(0));
  return nul < 0 ? text : text.left(nul);
}

int ToInt(const QString& text, bool* ok) {
  const int value = text.trimmed().toInt(ok, 10);
  if (!*ok) return 0;
  return value;
}

QString TwoDigits(long long n) {
  return n >= 0 && n < 10 ? QStringLiteral("0%1").arg(n) : QString::number(n);
}

}  // namespace tagtext
