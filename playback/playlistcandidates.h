// Candidate stream addresses of a station's playlist address: ".pls" and ".m3u" bodies
// fetched over HTTP turned into the addresses to try, in order. A Qt face of the engine's
// playlist reader (playback/engine/net/playlistparse.h), which holds every rule, so the
// station player and the engine read a playlist alike.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class TPlaylistKind { None, Pls, M3u };

// By the last four characters of the address, case-sensitively: ".pls", ".m3u", or none
// (the address is itself the stream).
TPlaylistKind PlaylistKindOf(const QString& url);

// The addresses the body lists, read as a PLS or an M3U playlist by `kind` (nothing for
// None); texts that are not UTF-8 are read as Windows-1252.
QStringList PlaylistCandidates(TPlaylistKind kind, const QByteArray& body);
