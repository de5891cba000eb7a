// One row of the local playlist: a music file, an audio-CD track (".cda") or a stream
// address from an M3U list, with what the song information reader found.
#pragma once

#include <QString>

class TSongInfo;

struct TPlaylistRow {
  QString FileName;    // full path, or the stream's address
  QString Artist;      // column "Artiste"
  QString Title;       // column "Titre"
  QString Duration;    // column "Durée"
  QString StreamType;  // column "Flux"
  QString BitRate;     // column "Debit"
  QString SampleRate;  // column "Freq."
  QString Channels;    // column "Canaux"

  bool IsStream() const { return IsStreamAddress(FileName); }
  // A CD track by the exact, case-sensitive extension ".cda" ("Track01.CDA" is a file).
  bool IsCdTrack() const { return FileName.endsWith(QLatin1String(".cda"), Qt::CaseSensitive); }

  static bool IsStreamAddress(const QString& text);
};

// The row of `path` from the fields `info` holds after ReadSongInfo(path, true, false).
// Without a title the artist and title come from the base name around its first "-",
// untrimmed ("Artist - Song" gives "Artist " and " Song").
TPlaylistRow RowFromSongInfo(const QString& path, const TSongInfo& info);

// The row of a stream address: its address as the title, type "URL".
TPlaylistRow StreamRow(const QString& url);
