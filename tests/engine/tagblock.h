// Reading tag blocks in tests: the texts of a ChannelGetTags block (each ends with a
// 0 byte, the block with an empty text).
#pragma once

#include <string>
#include <vector>

namespace ztest {

inline std::vector<std::string> Texts(const std::string& block) {
  std::vector<std::string> texts;
  for (size_t at = 0; at < block.size() && block[at];) {
    texts.emplace_back(block.c_str() + at);
    at += texts.back().size() + 1;
  }
  return texts;
}

inline bool HasText(const std::string& block, const std::string& text) {
  for (const auto& t : Texts(block))
    if (t == text) return true;
  return false;
}

}  // namespace ztest
