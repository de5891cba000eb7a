// Stream playlists (PLS and M3U): the one reader of them, for the engine's own streams and
// for the station player's list of candidate addresses. Plain functions over untrusted
// bytes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zengine {

// At most this many addresses are taken from one playlist.
inline constexpr size_t kMaxPlaylistUrls = 1000;

enum class PlaylistFormat {
  Auto,  // PLS when the body opens with "[playlist]", M3U otherwise
  Pls,   // "FileN=URL" lines, with or without the "[playlist]" line
  M3u,   // one address per line, '#' lines are comments
};

// True when `head` (the first bytes of a body) looks like a PLS or M3U playlist
// rather than audio: "[playlist]", "#EXTM3U", or a text whose first line is a URL.
bool LooksLikePlaylist(std::string_view head);

// The addresses a playlist body lists, in file order, at most kMaxPlaylistUrls. Lines end
// with LF, CR LF or CR; lines and PLS values lose their blanks (spaces, tabs) at both ends;
// PLS keys ("File1", "FILE1") and schemes are read in any case. Kept: http:// and https://
// addresses as written, icy:// ones turned into http://, and file:// ones naming this
// machine (host empty or "localhost"), written "file:///path". Anything else is skipped.
std::vector<std::string> ParsePlaylistUrls(std::string_view body,
                                           PlaylistFormat format = PlaylistFormat::Auto);

// True for an http:// or https:// address (any case): one that the engine fetches.
bool IsNetworkUrl(std::string_view url);

}  // namespace zengine
