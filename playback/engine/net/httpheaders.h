// The header lines of an HTTP or ICY response and the values the engine takes from them
// (icy-metaint, icy-br, the content type). The server's bytes are untrusted: lines are
// bounded in number and length, numbers are read without overflow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zengine {

// Adds one header line as libcurl hands it (with its CR LF) to `lines`: a status line
// ("HTTP/..." or "ICY ...") starts the headers of a new response (after a redirect, say);
// at most 200 lines of at most 4096 bytes are kept, as UTF-8 (Windows-1252 otherwise).
void AddHeaderLine(std::vector<std::string>& lines, std::string_view raw);

// The value of header `name` (case-insensitive) in `lines` (status line first), its
// leading spaces removed; "" when absent.
std::string HeaderValue(const std::vector<std::string>& lines, std::string_view name);

// The content type in lower case, parameters dropped.
std::string ContentTypeOf(std::string_view value);

// The metadata interval an icy-metaint value gives: 1 to 1 MiB, else 0 (no metadata).
size_t MetaIntervalOf(std::string_view value);

// The bit rate in bit/s an icy-br value (kbit/s, leading digits) gives; 0 when it is no
// number or beyond any real stream (more than 100 Mbit/s).
int64_t IcyBitRateOf(std::string_view value);

}  // namespace zengine
