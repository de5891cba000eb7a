// Candidate stream addresses of a station's playlist address: ".pls" and ".m3u" bodies
// fetched over HTTP turned into the addresses to try, in order. Plain functions: the
// bodies are untrusted bytes.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

enum class TPlaylistKind { None, Pls, M3u };

// By the last four characters of the address, case-sensitively: ".pls", ".m3u", or none
// (the address is itself the stream).
TPlaylistKind PlaylistKindOf(const QString& url);

// PLS: every line whose key starts with "File" (any case) gives the text after its first
// "=", in file order. M3U: every line starting with "http://" or "https://" (any case),
// whole. Lines end with LF or CR LF; at most 1000 candidates are kept.
QStringList PlaylistCandidates(TPlaylistKind kind, const QByteArray& body);
