#include "playback/engine/net/hlsplaylist.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <vector>

namespace zengine {

namespace {

constexpr size_t kMaxVariants = 256;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The attributes of a tag line ("KEY=value,KEY="quoted, value""), keys upper-case.
std::map<std::string, std::string> Attributes(std::string_view list) {
  std::map<std::string, std::string> out;
  while (!list.empty() && out.size() < 64) {
    const size_t eq = list.find('=');
    if (eq == std::string_view::npos) break;
    std::string key(Trim(list.substr(0, eq)));
    list.remove_prefix(eq + 1);
    std::string value;
    if (!list.empty() && list.front() == '"') {
      const size_t close = list.find('"', 1);
      value = std::string(list.substr(1, close == std::string_view::npos ? list.size() - 1 : close - 1));
      list.remove_prefix(close == std::string_view::npos ? list.size() : close + 1);
      const size_t comma = list.find(',');
      list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    } else {
      const size_t comma = list.find(',');
      value = std::string(Trim(list.substr(0, comma)));
      list.remove_prefix(comma == std::string_view::npos ? list.size() : comma + 1);
    }
    out[std::string(Trim(key))] = value;
  }
  return out;
}

struct Variant {
  int64_t bandwidth = 0;
  bool audioOnly = false;
  std::string audioGroup;
  std::string uri;
};

// True when every codec the CODECS attribute names is a sound codec.
bool AudioCodecs(const std::string& codecs) {
  if (codecs.empty()) return false;
  size_t at = 0;
  while (at <= codecs.size()) {
    size_t end = codecs.find(',', at);
    if (end == std::string::npos) end = codecs.size();
    const std::string c = Lower(Trim(std::string_view(codecs).substr(at, end - at)));
    const bool audio = StartsWith(c, "mp4a") || c == "mp3" || c == "ac-3" || c == "ec-3" ||
                       c == "opus" || c == "flac" || c == "vorbis";
    if (!audio) return false;
    at = end + 1;
  }
  return true;
}

}  // namespace

bool IsHlsPlaylist(std::string_view body) {
  if (StartsWith(body, "\xEF\xBB\xBF")) body.remove_prefix(3);
  body = Trim(body);
  if (!StartsWith(body, "#EXTM3U")) return false;
  for (const char* tag : {"#EXT-X-TARGETDURATION", "#EXT-X-STREAM-INF", "#EXT-X-MEDIA-SEQUENCE",
                          "#EXT-X-MEDIA:", "#EXT-X-VERSION"})
    if (body.find(tag) != std::string_view::npos) return true;
  return false;
}

std::string ResolveUrl(const std::string& base, std::string_view ref) {
  ref = Trim(ref);
  const std::string r(ref);
  if (r.find("://") != std::string::npos) return r;
  const size_t scheme = base.find("://");
  if (scheme == std::string::npos) return r;
  if (StartsWith(ref, "//")) return base.substr(0, scheme + 1) + r;
  const size_t hostEnd = base.find_first_of("/?#", scheme + 3);
  const std::string origin = hostEnd == std::string::npos ? base : base.substr(0, hostEnd);
  if (StartsWith(ref, "/")) return origin + r;
  // Relative: against the base's folder (its query and fragment dropped).
  std::string path = hostEnd == std::string::npos ? "/" : base.substr(hostEnd);
  path = path.substr(0, path.find_first_of("?#"));
  path = path.substr(0, path.rfind('/') + 1);
  if (path.empty()) path = "/";
  std::string out = origin;
  out += path;
  out += r;
  return out;
}

std::string ChooseHlsVariant(std::string_view body, const std::string& base, int64_t* bandwidth) {
  if (bandwidth) *bandwidth = 0;
  std::vector<Variant> variants;
  std::map<std::string, std::string> audioRenditions;  // group -> URI (the default first)
  bool pendingInf = false;
  bool master = false;
  Variant current;
  while (!body.empty()) {
    const size_t end = body.find_first_of("\r\n");
    const std::string_view line = Trim(body.substr(0, end));
    body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    if (line.empty()) continue;
    if (StartsWith(line, "#EXT-X-STREAM-INF:")) {
      const auto a = Attributes(line.substr(18));
      current = Variant();
      master = true;
      if (auto it = a.find("BANDWIDTH"); it != a.end())
        current.bandwidth = std::max<long long>(0, std::strtoll(it->second.c_str(), nullptr, 10));
      const auto codecs = a.find("CODECS");
      current.audioOnly = a.find("RESOLUTION") == a.end() &&
                          (codecs == a.end() ? a.find("VIDEO") == a.end() : AudioCodecs(codecs->second));
      if (auto it = a.find("AUDIO"); it != a.end()) current.audioGroup = it->second;
      pendingInf = true;
    } else if (StartsWith(line, "#EXT-X-MEDIA:")) {
      const auto a = Attributes(line.substr(13));
      auto type = a.find("TYPE");
      auto group = a.find("GROUP-ID");
      auto uri = a.find("URI");
      if (type == a.end() || type->second != "AUDIO" || group == a.end() || uri == a.end()) continue;
      auto def = a.find("DEFAULT");
      const bool isDefault = def != a.end() && def->second == "YES";
      if (isDefault || !audioRenditions.count(group->second)) audioRenditions[group->second] = uri->second;
    } else if (line.front() != '#' && pendingInf) {
      current.uri = std::string(line);
      if (variants.size() < kMaxVariants) variants.push_back(current);
      pendingInf = false;
    }
  }
  if (variants.empty()) {
    // A media playlist is played as it is; a master naming nothing is no stream.
    return master ? std::string() : base;
  }
  const bool anyAudioOnly =
      std::any_of(variants.begin(), variants.end(), [](const Variant& v) { return v.audioOnly; });
  const Variant* best = nullptr;  // the highest that fits
  const Variant* lowest = nullptr;
  for (const Variant& v : variants) {
    if (anyAudioOnly && !v.audioOnly) continue;
    if (!lowest || v.bandwidth < lowest->bandwidth) lowest = &v;
    if (v.bandwidth <= kHlsFitBandwidth && (!best || v.bandwidth > best->bandwidth)) best = &v;
  }
  const Variant* chosen = best ? best : lowest;
  if (!chosen) return {};
  if (bandwidth) *bandwidth = chosen->bandwidth;
  // A video variant whose sound has a playlist of its own: that one alone is enough.
  if (!chosen->audioOnly && !chosen->audioGroup.empty()) {
    auto it = audioRenditions.find(chosen->audioGroup);
    if (it != audioRenditions.end()) return ResolveUrl(base, it->second);
  }
  return ResolveUrl(base, chosen->uri);
}

}  // namespace zengine
