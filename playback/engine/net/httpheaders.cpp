#include "playback/engine/net/httpheaders.h"

#include <cctype>

#include "playback/engine/textutil.h"

namespace zengine {

namespace {

constexpr size_t kMaxHeaderLines = 200;
constexpr size_t kMaxHeaderLine = 4096;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The number the leading digits of `value` write (after spaces), as the C library's
// atol reads it, but saturated at `limit` + 1 instead of overflowing; -1 without digits.
int64_t LeadingNumber(std::string_view value, int64_t limit) {
  size_t i = 0;
  while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
  if (i < value.size() && value[i] == '+') ++i;
  if (i == value.size() || !std::isdigit(static_cast<unsigned char>(value[i]))) return -1;
  int64_t n = 0;
  for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i) {
    n = n * 10 + (value[i] - '0');
    if (n > limit) return limit + 1;
  }
  return n;
}

}  // namespace

void AddHeaderLine(std::vector<std::string>& lines, std::string_view raw) {
  while (!raw.empty() && (raw.back() == '\n' || raw.back() == '\r')) raw.remove_suffix(1);
  if (raw.substr(0, 5) == "HTTP/" || raw.substr(0, 4) == "ICY ") lines.clear();
  if (!raw.empty() && lines.size() < kMaxHeaderLines) lines.push_back(ToUtf8(raw.substr(0, kMaxHeaderLine)));
}

std::string HeaderValue(const std::vector<std::string>& lines, std::string_view name) {
  const std::string key = Lower(name) + ":";
  for (size_t i = 1; i < lines.size(); ++i) {
    if (Lower(std::string_view(lines[i]).substr(0, key.size())) != key) continue;
    std::string value = lines[i].substr(key.size());
    value.erase(0, value.find_first_not_of(' '));
    return value;
  }
  return {};
}

std::string ContentTypeOf(std::string_view value) {
  std::string type = Lower(value.substr(0, value.find(';')));
  while (!type.empty() && type.back() == ' ') type.pop_back();
  return type;
}

size_t MetaIntervalOf(std::string_view value) {
  constexpr int64_t kMaxInterval = 1024 * 1024;
  const int64_t n = LeadingNumber(value, kMaxInterval);
  return n > 0 && n <= kMaxInterval ? static_cast<size_t>(n) : 0;
}

int64_t IcyBitRateOf(std::string_view value) {
  constexpr int64_t kMaxKbps = 100000;
  const int64_t n = LeadingNumber(value, kMaxKbps);
  return n > 0 && n <= kMaxKbps ? n * 1000 : 0;
}

}  // namespace zengine
