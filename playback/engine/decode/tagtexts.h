// Texts the engine makes from tag bytes itself (FFmpeg reads the other tags): the ID3v1
// tag at the end of a file, and the title an Ogg stream's comments give.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zengine {

// The texts of an ID3v1 tag, "title=...", "artist=", "album=", "date=", "comment=",
// "track=" (ID3v1.1 only) and "genre=" (the genre number), from the last 128 bytes of a
// file; empty when `tag` is not 128 bytes starting with "TAG". Fields end at their first
// NUL, trailing spaces are dropped, and text that is not UTF-8 is read as Windows-1252.
std::vector<std::string> Id3v1Texts(std::string_view tag);

// The ICY-style metadata text ("StreamTitle='Artist - Title';") of a tag block of Ogg
// comments (texts "KEY=value", each ended by a NUL, the block by an empty text): the
// last ARTIST and TITLE (keys in any case); "" when both are missing or empty.
std::string StreamTitleFromComments(std::string_view block);

}  // namespace zengine
