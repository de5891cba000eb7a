#include "playback/engine/net/icyparser.h"

#include <algorithm>

#include "playback/engine/textutil.h"

namespace zengine {

namespace {
// "Key='" at the start: what every metadata text of a real server looks like.
bool LooksLikeMetadata(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z')))
    ++i;
  return i > 0 && text.compare(i, 2, "='") == 0;
}
}  // namespace

IcyParser::IcyParser(size_t metaInt, AudioFn audio, MetaFn meta)
    : metaInt_(metaInt), audio_(std::move(audio)), meta_(std::move(meta)), left_(metaInt) {}

bool IcyParser::Feed(const char* data, size_t size) {
  if (metaInt_ == 0) return audio_(data, size);
  while (size > 0) {
    switch (state_) {
      case State::Audio: {
        const size_t n = std::min(left_, size);
        if (!audio_(data, n)) return false;
        data += n;
        size -= n;
        left_ -= n;
        if (left_ == 0) state_ = State::Length;
        break;
      }
      case State::Length: {
        left_ = static_cast<unsigned char>(*data) * size_t{16};
        ++data;
        --size;
        text_.clear();
        if (left_ == 0) {
          state_ = State::Audio;
          left_ = metaInt_;
        } else {
          state_ = State::Text;
        }
        break;
      }
      case State::Text: {
        const size_t n = std::min(left_, size);
        text_.append(data, n);
        data += n;
        size -= n;
        left_ -= n;
        if (left_ == 0) {
          std::string text = text_.substr(0, text_.find('\0'));
          text_.clear();
          state_ = State::Audio;
          left_ = metaInt_;
          if (LooksLikeMetadata(text) && meta_) meta_(ToUtf8(text));
        }
        break;
      }
    }
  }
  return true;
}

}  // namespace zengine
