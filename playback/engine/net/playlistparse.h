// Stream playlists (PLS and M3U) served where a stream was expected.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zengine {

// True when `head` (the first bytes of a body) looks like a PLS or M3U playlist
// rather than audio: "[playlist]", "#EXTM3U", or a text whose first line is a URL.
bool LooksLikePlaylist(std::string_view head);

// The stream addresses a PLS ("FileN=URL" lines) or M3U (one address per line, '#'
// lines are comments) body lists, in order; only http://, https:// and icy:// ones
// (icy:// is turned into http://).
std::vector<std::string> ParsePlaylistUrls(std::string_view body);

}  // namespace zengine
