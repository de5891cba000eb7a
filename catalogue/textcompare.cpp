#include "catalogue/textcompare.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// Letters without a canonical decomposition that are still read as a base letter with a
// stroke, and the ligatures, by their (first) base letter; 0 for any other unit.
char16_t LetterWithoutDecomposition(char16_t c) {
  switch (c) {
    case 0x00D8: case 0x00F8: return u'o';  // Ø ø
    case 0x0110: case 0x0111: return u'd';  // Đ đ
    case 0x0126: case 0x0127: return u'h';  // Ħ ħ
    case 0x0131: return u'i';               // dotless ı
    case 0x0141: case 0x0142: return u'l';  // Ł ł
    case 0x00C6: case 0x00E6: return u'a';  // Æ æ
    case 0x0152: case 0x0153: return u'o';  // Œ œ
    case 0x00DF: case 0x1E9E: return u's';  // ß ẞ
    default: return 0;
  }
}

// The second letter a ligature is spelt out with; 0 for any other unit.
inline char16_t LigatureSecond(char16_t c) {
  switch (c) {
    case 0x00C6: case 0x00E6: case 0x0152: case 0x0153: return u'e';
    case 0x00DF: case 0x1E9E: return u's';
    default: return 0;
  }
}

// Whether a unit mapped by Unaccent is a Latin letter, which combining accents after it
// belong to (and drop with).
inline bool IsLatinMapped(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= 0xDF && c <= 0x24F && c != 0xF7) || (c >= 0x1E00 && c <= 0x1EFF);
}

inline bool IsCombiningAccent(char16_t c) { return c >= 0x0300 && c <= 0x036F; }

// UnaccentChar for every UTF-16 unit, built once (a few milliseconds) on first use.
struct TUnaccentMap {
  char16_t Map[0x10000];
  TUnaccentMap() {
    for (char32_t c = 0; c < 0x10000; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF) {  // surrogate halves pass unchanged
        Map[c] = char16_t(c);
        continue;
      }
      // The canonical decomposition's first character, repeatedly ("ǘ" -> "ü" -> "u").
      // Latin letters with marks all lie below U+2000; above, only other scripts (Hangul
      // syllables among them) decompose canonically.
      char32_t base = c;
      for (int depth = 0; c < 0x2000 && depth < 4 && QChar::decompositionTag(base) == QChar::Canonical; ++depth) {
        const QString d = QChar::decomposition(base);
        if (d.isEmpty() || d.front().isSurrogate()) break;
        base = d.front().unicode();
      }
      const char32_t lower = QChar::toLower(c);
      if (base != c && QChar::script(base) == QChar::Script_Latin && QChar::isLetter(base))
        Map[c] = char16_t(QChar::toLower(base));
      else if (const char16_t plain = LetterWithoutDecomposition(char16_t(c)))
        Map[c] = plain;
      else
        Map[c] = lower > 0xFFFF ? char16_t(c) : char16_t(lower);
    }
  }
};

const char16_t* UnaccentMap() {
  static const std::unique_ptr<const TUnaccentMap> map = std::make_unique<TUnaccentMap>();
  return map->Map;
}

// `n` units from `in` mapped by Unaccent into `out`, which holds 2 × n units; returns the
// number written.
qsizetype UnaccentUnits(const char16_t* in, qsizetype n, char16_t* out) {
  const char16_t* map = UnaccentMap();
  qsizetype w = 0;
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t c = in[i];
    if (c < 0x80) {
      out[w++] = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
      continue;
    }
    if (IsCombiningAccent(c) && w > 0 && IsLatinMapped(out[w - 1])) continue;
    out[w++] = map[c];
    if (const char16_t second = LigatureSecond(c)) out[w++] = second;
  }
  return w;
}

// Reads a text mapped by Unaccent one unit at a time, without building it.
class TUnaccentCursor {
 public:
  explicit TUnaccentCursor(QStringView s) : p_(s.utf16()), end_(s.utf16() + s.size()) {}
  // The next mapped unit, or -1 after the last.
  int Next() {
    if (pending_) {
      last_ = std::exchange(pending_, char16_t(0));
      return last_;
    }
    while (p_ < end_) {
      const char16_t c = *p_++;
      if (c < 0x80) {
        last_ = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
        return last_;
      }
      if (IsCombiningAccent(c) && IsLatinMapped(last_)) continue;
      pending_ = LigatureSecond(c);
      last_ = map_[c];
      return last_;
    }
    return -1;
  }

 private:
  const char16_t* p_;
  const char16_t* end_;
  const char16_t* map_ = UnaccentMap();
  char16_t pending_ = 0;
  char16_t last_ = 0;
};

}  // namespace

char16_t UnaccentChar(char16_t c) { return UnaccentMap()[c]; }

void AppendFolded(QString& out, QStringView text, TFold fold) {
  const qsizetype at = out.size();
  const qsizetype n = text.size();
  const char16_t* in = text.utf16();
  if (fold == TFold::Unaccent) {
    out.resize(at + 2 * n);
    const qsizetype w = UnaccentUnits(in, n, reinterpret_cast<char16_t*>(out.data()) + at);
    out.resize(at + w);
    return;
  }
  out.resize(at + n);
  char16_t* o = reinterpret_cast<char16_t*>(out.data()) + at;
  for (qsizetype i = 0; i < n; ++i) o[i] = FoldChar(in[i], fold);
}

QString FoldText(QStringView text, TFold fold) {
  QString out;
  AppendFolded(out, text, fold);
  return out;
}

int CompareUnaccented(QStringView a, QStringView b) {
  TUnaccentCursor ca(a), cb(b);
  for (;;) {
    const int x = ca.Next(), y = cb.Next();
    if (x != y) return x < y ? -1 : 1;
    if (x < 0) return 0;
  }
}

int CompareText(QStringView a, TFold foldA, QStringView b, TFold foldB) {
  const qsizetype n = std::min(a.size(), b.size());
  const char16_t* pa = a.utf16();
  const char16_t* pb = b.utf16();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t ca = FoldChar(pa[i], foldA);
    const char16_t cb = FoldChar(pb[i], foldB);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

namespace {

// Finds `needle` (no wildcards) inside `text` from `from`; returns the index or -1.
qsizetype FindPlain(QStringView text, TFold ft, qsizetype from, QStringView needle, TFold fn) {
  const qsizetype m = needle.size();
  if (m == 0) return from;
  const char16_t* t = text.utf16();
  const char16_t* p = needle.utf16();
  const char16_t first = FoldChar(p[0], fn);
  for (qsizetype i = from; i + m <= text.size(); ++i) {
    if (FoldChar(t[i], ft) != first) continue;
    qsizetype j = 1;
    while (j < m && FoldChar(t[i + j], ft) == FoldChar(p[j], fn)) ++j;
    if (j == m) return i;
  }
  return -1;
}

bool HasWildcard(QStringView s) {
  return std::any_of(s.begin(), s.end(), [](QChar c) { return c == u'%' || c == u'_'; });
}

}  // namespace

bool LikeMatch(QStringView text, TFold ft, QStringView pattern, TFold fp) {
  // The browser's '%text%' form: a plain substring search.
  if (pattern.size() >= 2 && pattern.front() == u'%' && pattern.back() == u'%') {
    const QStringView inner = pattern.sliced(1, pattern.size() - 2);
    if (!HasWildcard(inner)) return FindPlain(text, ft, 0, inner, fp) >= 0;
  }
  // General form: greedy matching with one backtrack point (the last "%"), which is
  // enough for "%" and "_" and bounds the work by text × pattern.
  const char16_t* t = text.utf16();
  const char16_t* p = pattern.utf16();
  const qsizetype n = text.size();
  const qsizetype m = pattern.size();
  qsizetype i = 0, j = 0, starJ = -1, starI = 0;
  while (i < n) {
    if (j < m && p[j] == u'%') {
      starJ = j++;
      starI = i;
    } else if (j < m && (p[j] == u'_' || FoldChar(p[j], fp) == FoldChar(t[i], ft))) {
      ++i;
      ++j;
    } else if (starJ >= 0) {
      j = starJ + 1;
      i = ++starI;
    } else {
      return false;
    }
  }
  while (j < m && p[j] == u'%') ++j;
  return j == m;
}

bool ContainsMapped(QStringView text, TFold ft, QStringView needle) {
  const qsizetype m = needle.size();
  if (m == 0) return true;
  const char16_t* t = text.utf16();
  const char16_t* p = needle.utf16();
  const char16_t first = p[0];
  for (qsizetype i = 0, last = text.size() - m; i <= last; ++i) {
    if (FoldChar(t[i], ft) != first) continue;
    qsizetype j = 1;
    while (j < m && FoldChar(t[i + j], ft) == p[j]) ++j;
    if (j == m) return true;
  }
  return false;
}

int CollateText(QStringView a, QStringView b, bool caseInsensitive) {
  if (const int base = CompareUnaccented(a, b); base != 0) return base;
  const int folded = CompareText(a, TFold::Lower, b, TFold::Lower);
  if (folded != 0 || caseInsensitive) return folded;
  return CompareText(a, TFold::None, b, TFold::None);
}
