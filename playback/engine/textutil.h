// Text helpers for tags and metadata: streams and files carry UTF-8 or Windows-1252
// bytes; the program works in UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zengine {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// `text` unchanged when it is valid UTF-8, else read as Windows-1252 and converted
// (the five bytes that code page leaves undefined become U+FFFD).
std::string ToUtf8(std::string_view text);

// A tag block as ChannelGetTags gives it: each text followed by '\0', then one more
// '\0' ending the block. Empty when `texts` is empty (the block is absent).
std::string MakeTagBlock(const std::vector<std::string>& texts);

}  // namespace zengine
