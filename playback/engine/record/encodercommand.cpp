#include "playback/engine/record/encodercommand.h"

namespace zengine {

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;  // a word has started (it may still be empty: "")
  enum class Quote { None, Single, Double } quote = Quote::None;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    switch (quote) {
      case Quote::Single:
        if (c == '\'') quote = Quote::None;
        else word += c;
        break;
      case Quote::Double:
        if (c == '"') {
          quote = Quote::None;
        } else if (c == '\\' && i + 1 < line.size() &&
                   (line[i + 1] == '"' || line[i + 1] == '\\' || line[i + 1] == '$' ||
                    line[i + 1] == '`')) {
          word += line[++i];
        } else {
          word += c;
        }
        break;
      case Quote::None:
        if (c == ' ' || c == '\t' || c == '\n') {
          if (inWord) words.push_back(std::move(word));
          word.clear();
          inWord = false;
        } else if (c == '\'') {
          quote = Quote::Single;
          inWord = true;
        } else if (c == '"') {
          quote = Quote::Double;
          inWord = true;
        } else if (c == '\\') {
          if (i + 1 >= line.size()) return std::nullopt;
          word += line[++i];
          inWord = true;
        } else {
          word += c;
          inWord = true;
        }
        break;
    }
  }
  if (quote != Quote::None) return std::nullopt;
  if (inWord) words.push_back(std::move(word));
  return words;
}

std::string ResolveProgram(const std::string& word, const std::string& programFolder) {
  if (!word.empty() && word[0] == '/') return word;
  if (programFolder.empty()) return word;
  return programFolder.back() == '/' ? programFolder + word : programFolder + "/" + word;
}

std::string EscapeForDoubleQuotes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace zengine
