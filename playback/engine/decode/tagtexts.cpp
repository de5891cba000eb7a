#include "playback/engine/decode/tagtexts.h"

#include <algorithm>
#include <cctype>

#include "playback/engine/textutil.h"

namespace zengine {

std::vector<std::string> Id3v1Texts(std::string_view tag) {
  std::vector<std::string> texts;
  if (tag.size() != 128 || tag.substr(0, 3) != "TAG") return texts;
  auto field = [tag](size_t at, size_t len) {
    std::string_view s = tag.substr(at, len);
    s = s.substr(0, s.find('\0'));
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return ToUtf8(s);
  };
  texts.push_back("title=" + field(3, 30));
  texts.push_back("artist=" + field(33, 30));
  texts.push_back("album=" + field(63, 30));
  texts.push_back("date=" + field(93, 4));
  texts.push_back("comment=" + field(97, 30));
  if (tag[125] == 0 && tag[126] != 0)
    texts.push_back("track=" + std::to_string(static_cast<unsigned char>(tag[126])));
  texts.push_back("genre=" + std::to_string(static_cast<unsigned char>(tag[127])));
  return texts;
}

std::string StreamTitleFromComments(std::string_view block) {
  std::string artist, title;
  while (!block.empty() && block.front() != '\0') {
    const std::string_view text = block.substr(0, block.find('\0'));
    block.remove_prefix(std::min(block.size(), text.size() + 1));
    const size_t eq = text.find('=');
    std::string key(text.substr(0, eq));
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // A text without "=" is its own value, as it always was read.
    const std::string_view value = eq == std::string_view::npos ? text : text.substr(eq + 1);
    if (key == "artist") artist = value;
    if (key == "title") title = value;
  }
  if (title.empty() && artist.empty()) return {};
  return "StreamTitle='" + (artist.empty() ? title : artist + " - " + title) + "';";
}

}  // namespace zengine
