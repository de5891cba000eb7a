// libFuzzer target: the UTF-8 / Windows-1252 text helpers of the engine and of the tag
// readers, and the tag-block maker over the input cut into texts at each '\n'.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "fuzzcheck.h"
#include "playback/engine/textutil.h"
#include "tags/tagtext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string utf8 = zengine::ToUtf8(bytes);
  FUZZ_CHECK(zengine::IsValidUtf8(utf8));
  if (zengine::IsValidUtf8(bytes)) FUZZ_CHECK(utf8 == bytes);
  FUZZ_CHECK(zengine::ToUtf8(utf8) == utf8);

  std::vector<std::string> texts;
  for (size_t at = 0; at <= size;) {
    const size_t end = std::min(bytes.find('\n', at), size);
    texts.emplace_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  const std::string block = zengine::MakeTagBlock(texts);
  if (!block.empty()) {
    // Texts ended by one NUL each, then the empty text: no "\0\0" before the end.
    FUZZ_CHECK(block.size() >= 3 && block.compare(block.size() - 2, 2, std::string(2, '\0')) == 0);
    FUZZ_CHECK(block.find(std::string(2, '\0')) == block.size() - 2);
    FUZZ_CHECK(block.front() != '\0');
  }

  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(size));
  const QString w = tagtext::FromWindows1252(view);
  FUZZ_CHECK(w.size() == static_cast<qsizetype>(size));
  (void)tagtext::FromUtf8OrWindows1252(view, false);
  (void)tagtext::FromUtf8OrWindows1252(view, true);
  (void)tagtext::FromUtf16(view, false);
  (void)tagtext::FromUtf16(view, true);
  const QString trimmed = tagtext::Trimmed(w);
  FUZZ_CHECK(trimmed.size() <= w.size());
  (void)tagtext::TrimmedRight(w);
  (void)tagtext::TrimmedBytes(view);
  (void)tagtext::UpToNul(w);
  bool ok = false;
  const int n = tagtext::ToInt(w, &ok);
  if (!ok) FUZZ_CHECK(n == 0);
  (void)tagtext::TwoDigits(n);
  return 0;
}
