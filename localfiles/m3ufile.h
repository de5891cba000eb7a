// M3U playlists: reading the entries of a list (plain or extended M3U) and writing the
// list the playlist window saves.
//
// Reading: each line is UTF-8, or Windows-1252 when it is not valid UTF-8 (lists written
// elsewhere); a byte-order mark, line ends (LF or CR LF), empty lines and comment lines
// ("#EXTM3U", "#EXTINF:...") are skipped. A stream address (http://, https://) is kept as
// it is, a file:// address of this machine (no host, or "localhost") becomes its local
// path, and a relative path is resolved against the list's own folder.
// Writing: one full path per line, each followed by CR LF, in UTF-8, nothing else; a
// path holding a line feed or carriage return is written as its file:// address, so it
// reads back whole.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Lists larger than this are refused rather than read into memory.
constexpr qint64 kMaxM3USize = 64ll << 20;

QStringList ParseM3U(const QByteArray& bytes, const QString& listFolder);
QByteArray MakeM3U(const QStringList& paths);

struct TM3URead {
  bool Ok = false;
  QString Error;  // French text for the user
  QStringList Entries;
};
// Reads the list at `path`: its entries, or why it could not be read.
TM3URead ReadM3UFile(const QString& path);
// Writes the list at `path` whole or not at all (an earlier file stays on failure).
bool WriteM3UFile(const QString& path, const QStringList& paths, QString* error);
