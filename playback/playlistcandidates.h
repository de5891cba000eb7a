// Candidate stream addresses of a station's playlist address: ".pls", ".m3u", ".m3u8" and
// ".xspf" bodies (fetched over HTTP or read from a local file) turned into the addresses to
// try, in order. PLS and M3U go through the engine's playlist reader
// (playback/engine/net/playlistparse.h), which holds every rule, so the station player and
// the engine read a playlist alike; XSPF is XML, read with Qt's stream reader. An ".m3u8"
// that is an HLS playlist is no list of stations: its own address is the stream.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class TPlaylistKind { None, Pls, M3u, M3u8, Xspf };

// Playlist bodies larger than this are refused (a station list is a few hundred bytes).
constexpr qsizetype kMaxPlaylistBody = 1 << 20;

// By the address's ending, case-sensitively: ".pls", ".m3u", ".m3u8", ".xspf", or none
// (the address is itself the stream).
TPlaylistKind PlaylistKindOf(const QString& url);

// The addresses the body lists, read as a PLS, M3U (also for M3u8) or XSPF playlist by
// `kind` (nothing for None); texts that are not UTF-8 are read as Windows-1252. Only
// stream addresses are kept (http, https; icy becomes http), at most
// zengine::kMaxPlaylistUrls.
QStringList PlaylistCandidates(TPlaylistKind kind, const QByteArray& body);

// True when an M3U body is an HLS playlist (a master or a media playlist): it carries
// "#EXT-X-TARGETDURATION" or "#EXT-X-STREAM-INF".
bool IsHlsPlaylist(const QByteArray& body);

// The addresses to try for the playlist at `url` whose body is `body`: an HLS playlist is
// played through its own address, any other list gives the addresses it lists.
QStringList StationCandidates(const QString& url, TPlaylistKind kind, const QByteArray& body);

// The <location> texts of an XSPF playlist's tracks, in order, trimmed, at most
// zengine::kMaxPlaylistUrls; what is not XSPF (or is cut short) gives what was read up to
// the fault. Every kind of location is returned (stream addresses, file:// URLs, relative
// paths); callers keep what they can use.
QStringList XspfLocations(const QByteArray& body);
