// What the program is asked to open from outside: the command line's arguments (of this
// start, or of a second start handed over through the single-instance channel) and what
// is dropped on the main window. Each item is a stream address, a playlist (".pls",
// ".m3u", ".m3u8", ".xspf", local or on the network) or an audio file; the plan says
// which station plays and which files go to the playlist window. Plain code: the main
// window and the program's entry apply the plan.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "catalogue/stationrecord.h"

struct TOpenPlan {
  // The station to play: the first item that is an address or a playlist of stations
  // (its address or path as both its name and address, as the station player takes it).
  std::optional<TStationRecord> Station;
  // Audio files (and the files of local music playlists) for the playlist window, in order.
  QStringList Files;
  // Items that are none of these (missing files, other kinds, other schemes).
  QStringList Refused;
};

// The plan for `items`, each a text as given (an address, a file:// URL, a path; relative
// paths are taken from `folder`). Local playlists are read (at most their first
// megabyte) to tell a list of stations from a list of music files: an M3U whose entries
// are files, or an XSPF whose locations are, gives its files; an HLS ".m3u8" is a station.
TOpenPlan PlanOpen(const QStringList& items, const QString& folder);

// The items with relative paths made absolute from `folder`: a second start hands its
// arguments to the running program, whose folder may be another.
QStringList AbsoluteItems(const QStringList& items, const QString& folder);

// Whether `path`'s extension is one of the audio kinds the playlist window plays (".mp3",
// ".mp4", ".aac", ".ogg", ".wav", ".wma", ".cda"), in any case.
bool IsAudioFileName(const QString& path);
