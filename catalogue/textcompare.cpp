#include "catalogue/textcompare.h"

#include <algorithm>

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
  const int folded = CompareText(a, TFold::Lower, b, TFold::Lower);
  if (folded != 0 || caseInsensitive) return folded;
  return CompareText(a, TFold::None, b, TFold::None);
}
