// Text comparisons of the table engine: the filter's =, <>, <, like and the sort order.
// Work on views of the stored texts with a per-side case mapping, so a filter never
// copies or lower-cases a cell.
#pragma once

#include <QStringView>

#include <cstdint>

// Case mapping applied to one side of a comparison: lower(...) gives Lower, upper(...)
// gives Upper; a table that ignores case maps both sides to Lower.
enum class TFold : std::uint8_t { None, Lower, Upper };

// One UTF-16 unit mapped by `fold` (ASCII fast path; surrogate halves pass unchanged).
inline char16_t FoldChar(char16_t c, TFold fold) {
  if (fold == TFold::None) return c;
  if (c < 0x80) {
    if (fold == TFold::Lower) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  return fold == TFold::Lower ? char16_t(QChar::toLower(char32_t(c))) : char16_t(QChar::toUpper(char32_t(c)));
}

// Three-way comparison of the mapped texts, by UTF-16 unit.
int CompareText(QStringView a, TFold foldA, QStringView b, TFold foldB);

// SQL "like": "%" matches any run of characters, "_" exactly one; everything else
// matches itself after mapping. Runs in O(text × pattern) at worst, never exponentially.
bool LikeMatch(QStringView text, TFold foldText, QStringView pattern, TFold foldPattern);

// Whether `text`, mapped by `foldText`, contains `needle`, which is already mapped.
bool ContainsMapped(QStringView text, TFold foldText, QStringView needle);

// Sort order of text indexes. Case-insensitive indexes compare lower-cased texts; the
// others compare lower-cased texts first and break ties by the exact texts, so "abc",
// "ABC" and "Abd" sort as a dictionary does while the order stays total.
int CollateText(QStringView a, QStringView b, bool caseInsensitive);
