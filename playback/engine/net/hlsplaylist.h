// HlsPlaylist: what the engine reads of an HLS playlist itself: whether a playlist is
// HLS at all, and which variant of a master playlist to play. FFmpeg's HLS demuxer
// does the rest (media playlists, their refresh, the segments).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zengine {

// True when `body` is an HLS playlist (an M3U with HLS tags), not a plain list of
// stream addresses.
bool IsHlsPlaylist(std::string_view body);

// The address to play from the playlist `body` found at `base`: for a master playlist
// the variant whose bandwidth fits a radio stream best (audio-only variants first; the
// highest bandwidth up to kHlsFitBandwidth, else the lowest), or its audio rendition
// when the chosen variant carries video; `base` itself for a media playlist. Empty
// when a master playlist names no usable variant. *bandwidth (may be null) gets the
// chosen variant's BANDWIDTH in bit/s, 0 when unknown.
std::string ChooseHlsVariant(std::string_view body, const std::string& base, int64_t* bandwidth);

// Above this a variant is more than a radio needs (video, or an uncompressed feed).
constexpr int64_t kHlsFitBandwidth = 512000;

// `ref` read against the address `base` (absolute, host-relative or relative).
std::string ResolveUrl(const std::string& base, std::string_view ref);

}  // namespace zengine
