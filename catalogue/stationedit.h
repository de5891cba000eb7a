// Editing the local catalogue's stations: the editor's fields read from and written to
// the station table's current row, the genre lines, a new row's defaults, and pictures
// chosen by the user copied into the tuner's picture folders under a safe name. Core
// code: the station editor and the browser's editing menu call these.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "catalogue/stationrecord.h"
#include "catalogue/tableerror.h"

class TCatalogueTable;

// The fields the station editor shows.
struct TStationFields {
  QString Radio, Url, Genre, Country, Network, Web, Icon;
};

// The current row's fields (the pending row in insert or edit state).
TStationFields ReadStationFields(const TCatalogueTable& stations);

// A genre text as the editor's lines: split at every ",", pieces kept as they are (not
// trimmed; empty pieces give empty lines; a trailing "," gives an empty last line).
// An empty text gives no line.
QStringList GenreLines(const QString& genre);
// The lines joined by "," without spaces.
QString JoinGenreLines(const QStringList& lines);

// Appends the new station row of "&Ajouter une radio": "<Sans Nom>", empty texts,
// "N/A" stream type and channels, no rate. The row stays pending.
TTableResult AppendNewStation(TCatalogueTable& stations);

// Appends a new station row holding `station` (a stream opened by its address, with what
// it announced): name, address, genre, web page, stream type, bit rate, sample rate and
// channels; country, network and picture stay empty. Missing texts take the new row's
// defaults ("<Sans Nom>", "N/A"); a rate that is not a number stays 0. The row stays
// pending, for the station editor.
TTableResult AppendStationRecord(TCatalogueTable& stations, const TStationRecord& station);

// Stores the editor's fields into the pending row, posts it and writes the whole table
// to `stationFile`. On failure the row's changes are cancelled and the error returned.
TTableResult SaveStation(TCatalogueTable& stations, const TStationFields& fields, const QString& stationFile);

// The delete question for the station `name`.
QString DeleteStationQuestion(const QString& name);

// Whether a file name chosen for a picture can be kept in a picture folder: a bare name
// (no folder part, not "." or ".."), without control characters, at most 255 bytes.
bool IsSafePictureName(const QString& name);

// Copies the picture `file` chosen by the user into `targetFolder` (ending in "/"), under
// its own name, replacing a file of that name; nothing is copied when it is already in
// that folder or does not exist. Returns the name to store, or nullopt with `error` when
// the name cannot be kept in the folder. A failed copy still gives the name.
std::optional<QString> TakePicture(const QString& file, const QString& targetFolder, QString* error);
