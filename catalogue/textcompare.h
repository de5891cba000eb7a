// Text comparisons of the table engine: the filter's =, <>, <, like and the sort order.
// Work on views of the stored texts with a per-side case mapping, so a filter never
// copies or lower-cases a cell.
#pragma once

#include <QStringView>

#include <cstdint>

// Case mapping applied to one side of a comparison: lower(...) gives Lower, upper(...)
// gives Upper; a table that ignores case maps both sides to Lower. unaccent(...) gives
// Unaccent: Latin letters become their base letter in lower case ("É" -> "e", "ç" -> "c",
// "œ" -> "oe", "ß" -> "ss"), combining accents after a Latin letter drop, and every other
// character is lower-cased only (Cyrillic, Greek and other scripts keep their letters).
enum class TFold : std::uint8_t { None, Lower, Upper, Unaccent };

// The Unaccent mapping of one UTF-16 unit, without the spelling out of ligatures (their
// first letter) or the dropping of combining accents: those need the text (FoldText).
char16_t UnaccentChar(char16_t c);

// One UTF-16 unit mapped by `fold` (ASCII fast path; surrogate halves pass unchanged).
// Unaccent is only approximated unit by unit (see UnaccentChar): whole texts mapped by
// Unaccent go through FoldText.
inline char16_t FoldChar(char16_t c, TFold fold) {
  if (fold == TFold::None) return c;
  if (fold == TFold::Unaccent) return c < 0x80 ? ((c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c) : UnaccentChar(c);
  if (c < 0x80) {
    if (fold == TFold::Lower) return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  return fold == TFold::Lower ? char16_t(QChar::toLower(char32_t(c))) : char16_t(QChar::toUpper(char32_t(c)));
}

// `text` mapped by `fold`, appended to `out`. Lower, Upper and None keep one unit per
// unit; Unaccent may lengthen (ligatures) or shorten (combining accents) the text.
void AppendFolded(QString& out, QStringView text, TFold fold);
QString FoldText(QStringView text, TFold fold);

// Three-way comparison of the mapped texts, by UTF-16 unit.
int CompareText(QStringView a, TFold foldA, QStringView b, TFold foldB);

// SQL "like": "%" matches any run of characters, "_" exactly one; everything else
// matches itself after mapping. Runs in O(text × pattern) at worst, never exponentially.
bool LikeMatch(QStringView text, TFold foldText, QStringView pattern, TFold foldPattern);

// Whether `text`, mapped by `foldText`, contains `needle`, which is already mapped.
bool ContainsMapped(QStringView text, TFold foldText, QStringView needle);

// Sort order of text indexes, as a French reader sorts: the texts mapped by Unaccent
// first ("Écho" with "Echo", "États-Unis" among the E's), then the lower-cased texts (the
// unaccented letter first: "echo" before "écho"), then, unless the index ignores case,
// the exact texts, so "abc", "ABC" and "Abd" sort as a dictionary does while the order
// stays total.
int CollateText(QStringView a, QStringView b, bool caseInsensitive);

// The first level of CollateText alone: the texts compared as mapped by Unaccent, without
// building the mapped texts.
int CompareUnaccented(QStringView a, QStringView b);
