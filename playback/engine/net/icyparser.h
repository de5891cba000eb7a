// IcyParser: splits an ICY stream body into audio bytes and metadata texts.
//
// With a metadata interval of N (the icy-metaint header), the body is N audio bytes,
// one length byte L, L x 16 bytes of metadata text (NUL padded), then N audio bytes
// again, and so on. The parser takes the body in pieces of any size (network reads
// split blocks anywhere) and never reads past what it was given.
//
// The length byte is trusted, as it must be (nothing else marks the block's end): a
// server that announces more text than it sends makes the parser take the following
// audio bytes as text. The text handed on is cut at its first NUL, as a C string; a
// block whose text is empty (L = 0 or only NULs) is not reported, nor one that does
// not start as metadata does (a key of letters then "='", as in StreamTitle='...'):
// after a length byte that lied, later "blocks" are audio bytes, not texts. Texts
// that are not valid UTF-8 are read as Windows-1252.
//
// Used on the download thread only.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace zengine {

class IcyParser {
 public:
  using AudioFn = std::function<bool(const char* data, size_t size)>;  // false: stop
  using MetaFn = std::function<void(const std::string& text)>;

  // metaInt: bytes of audio between metadata blocks; 0 = the body is all audio.
  IcyParser(size_t metaInt, AudioFn audio, MetaFn meta);

  // Feeds the next piece of the body. False when the audio sink asked to stop.
  bool Feed(const char* data, size_t size);

 private:
  enum class State { Audio, Length, Text };
  const size_t metaInt_;
  AudioFn audio_;
  MetaFn meta_;
  State state_ = State::Audio;
  size_t left_;  // bytes left in the current audio run or text block
  std::string text_;
};

}  // namespace zengine
