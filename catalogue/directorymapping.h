// The open station directory's station list (its JSON API form, an array of station
// objects) turned into catalogue rows: the station table's eleven fields, the country
// table (French names where the delivered catalogue has one, flags by country code) and
// the genre table (the directory's most used tags). Stations without a usable address,
// duplicates of an address already taken, HLS streams and entries with absurd fields are
// dropped and counted. Core code: no widgets; parses from memory, so tests need no files.
//
// Thread: any (pure function of its input).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <vector>

#include "catalogue/fielddef.h"

struct TDirectoryMapping {
  std::vector<TRow> Stations;   // in the station table's field order, the directory's order
  std::vector<TRow> Countries;  // Name, Flag; ordered by name
  std::vector<TRow> Genres;     // Name; ordered by name
  // The favicon address of each station that has one: "stationuuid<TAB>address\n" lines,
  // read when a station's picture is first shown.
  QByteArray Favicons;
  int Entries = 0;     // objects in the answer
  int NoAddress = 0;   // no usable stream address
  int Duplicates = 0;  // an address already taken by an earlier station
  int Hls = 0;         // HLS streams, which the engine does not play
  int Bad = 0;         // not a station object, no name, absurd bit rate
  QString Error;       // not empty: the answer is not a station list (nothing mapped)
};

// Limits of what is read from the answer.
inline constexpr int kDirectoryMaxStations = 200000;
inline constexpr int kDirectoryMaxBitRate = 20000;  // kbit/s; above it a bit rate is absurd
inline constexpr int kDirectoryMaxTags = 3;         // the first tags of a station make its genre
inline constexpr int kDirectoryMaxGenres = 400;     // the most used tags make the genre list
inline constexpr int kDirectoryMaxFaviconLength = 512;

// `countryNames`: the country names to show, by lower-case country code ("fr" -> "France").
// A code without a name there shows the directory's own country name.
TDirectoryMapping MapDirectoryStations(const QByteArray& json, const QHash<QString, QString>& countryNames);

// Free text as the catalogue keeps it: control characters, unpaired surrogates and
// non-characters removed, runs of white space made one space, trimmed, then cut to `width`
// characters without splitting a character.
QString CleanDirectoryText(const QString& text, int width);

// The stream type shown for a directory codec: MP3, AAC, AAC+, OGG, OPUS, FLAC, else empty.
QString DirectoryStreamType(const QString& codec);

// The genre of a tag list ("Rock, pop,ROCK , indie"): the first distinct tags, trimmed and
// case-folded, joined by "," without spaces, within the genre field's width.
QString DirectoryGenre(const QString& tags);

// Whether `text` is a station identifier of the directory (8-4-4-4-12 hexadecimal digits),
// usable as a bare file name.
bool IsDirectoryUuid(const QString& text);
