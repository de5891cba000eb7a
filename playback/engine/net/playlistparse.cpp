#include "playback/engine/net/playlistparse.h"

#include <algorithm>
#include <cctype>

namespace zengine {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool IsStreamUrl(std::string_view s) {
  const std::string l = Lower(s.substr(0, 8));
  return l.rfind("http://", 0) == 0 || l.rfind("https://", 0) == 0 || l.rfind("icy://", 0) == 0;
}

std::string Normalise(std::string_view url) {
  if (Lower(url.substr(0, 6)) == "icy://") return "http://" + std::string(url.substr(6));
  return std::string(url);
}

std::string_view SkipBom(std::string_view s) {
  if (s.size() >= 3 && static_cast<unsigned char>(s[0]) == 0xEF &&
      static_cast<unsigned char>(s[1]) == 0xBB && static_cast<unsigned char>(s[2]) == 0xBF)
    s.remove_prefix(3);  // UTF-8 byte order mark
  return s;
}

}  // namespace

bool LooksLikePlaylist(std::string_view head) {
  head = SkipBom(head);
  head = Trim(head.substr(0, 4096));
  const std::string l = Lower(head.substr(0, 10));
  if (l.rfind("[playlist]", 0) == 0 || l.rfind("#extm3u", 0) == 0) return true;
  const std::string_view first = head.substr(0, head.find_first_of("\r\n"));
  return IsStreamUrl(first) &&
         std::all_of(first.begin(), first.end(), [](char c) { return c > 32 && c < 127; });
}

std::vector<std::string> ParsePlaylistUrls(std::string_view body) {
  body = SkipBom(body);
  std::vector<std::string> urls;
  const bool pls = Lower(Trim(body).substr(0, 10)) == "[playlist]";
  while (!body.empty()) {
    const size_t end = body.find_first_of("\r\n");
    std::string_view line = Trim(body.substr(0, end));
    body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    if (line.empty() || line[0] == '#') continue;
    if (pls) {
      const size_t eq = line.find('=');
      if (eq == std::string_view::npos || Lower(line.substr(0, 4)) != "file") continue;
      line = Trim(line.substr(eq + 1));
    }
    if (IsStreamUrl(line)) urls.push_back(Normalise(line));
  }
  return urls;
}

}  // namespace zengine
