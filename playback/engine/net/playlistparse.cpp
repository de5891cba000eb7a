#include "playback/engine/net/playlistparse.h"

#include <algorithm>

namespace zengine {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && Lower(s.substr(0, prefix.size())) == prefix;
}

// The blanks a playlist line may carry around its text. Only these: the C locale's
// isspace would also take vertical tabs and form feeds, which no writer puts there.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool IsStreamUrl(std::string_view s) {
  return StartsWithNoCase(s, "http://") || StartsWithNoCase(s, "https://") ||
         StartsWithNoCase(s, "icy://");
}

// A file:// address naming this machine as "file:///path"; "" for any other host, or
// no path.
std::string LocalFileUrl(std::string_view url) {
  if (!StartsWithNoCase(url, "file://")) return {};
  std::string_view rest = url.substr(7);
  const size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return {};
  const std::string host = Lower(rest.substr(0, slash));
  if (!host.empty() && host != "localhost") return {};
  const std::string_view path = rest.substr(slash);
  if (path.size() < 2) return {};
  return "file://" + std::string(path);
}

// The address a line or PLS value gives, or "" when it gives none.
std::string Address(std::string_view text) {
  if (StartsWithNoCase(text, "icy://")) return "http://" + std::string(text.substr(6));
  if (IsNetworkUrl(text)) return std::string(text);
  return LocalFileUrl(text);
}

std::string_view SkipBom(std::string_view s) {
  if (s.size() >= 3 && static_cast<unsigned char>(s[0]) == 0xEF &&
      static_cast<unsigned char>(s[1]) == 0xBB && static_cast<unsigned char>(s[2]) == 0xBF)
    s.remove_prefix(3);  // UTF-8 byte order mark
  return s;
}

}  // namespace

bool IsNetworkUrl(std::string_view url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

bool LooksLikePlaylist(std::string_view head) {
  head = SkipBom(head);
  head = Trim(head.substr(0, 4096));
  const std::string l = Lower(head.substr(0, 10));
  if (l.rfind("[playlist]", 0) == 0 || l.rfind("#extm3u", 0) == 0) return true;
  const std::string_view first = head.substr(0, head.find_first_of("\r\n"));
  return IsStreamUrl(first) &&
         std::all_of(first.begin(), first.end(), [](char c) { return c > 32 && c < 127; });
}

std::vector<std::string> ParsePlaylistUrls(std::string_view body, PlaylistFormat format) {
  body = SkipBom(body);
  std::vector<std::string> urls;
  const bool pls = format == PlaylistFormat::Pls ||
                   (format == PlaylistFormat::Auto && StartsWithNoCase(Trim(body), "[playlist]"));
  while (!body.empty() && urls.size() < kMaxPlaylistUrls) {
    const size_t end = body.find_first_of("\r\n");
    std::string_view line = Trim(body.substr(0, end));
    body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    if (line.empty() || line[0] == '#') continue;
    if (pls) {
      const size_t eq = line.find('=');
      if (eq == std::string_view::npos || !StartsWithNoCase(line, "file")) continue;
      line = Trim(line.substr(eq + 1));
    }
    std::string url = Address(line);
    if (!url.empty()) urls.push_back(std::move(url));
  }
  return urls;
}

}  // namespace zengine
