// OggChainTitles: the titles of a chained Ogg stream whose codec FFmpeg does not report
// comment changes for (Opus, FLAC): the bytes of the stream are fed in order as they
// are read, and each comment packet of a new chain ("OpusTags", or a FLAC
// VORBIS_COMMENT block) gives its ARTIST and TITLE with the stream byte of its page,
// which lies before the new chain's sound.
//
// A comment packet is read when it ends on its own page (as encoders write them); a
// longer one is passed over. The bytes are untrusted: every length is checked, and a
// damaged page makes the scanner look for the next "OggS".
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace zengine {

class OggChainTitles {
 public:
  // `flac`: the stream is FLAC in Ogg (its comments are metadata blocks); else Opus.
  explicit OggChainTitles(bool flac) : flac_(flac) {}

  // Bytes of the stream from byte `pos` on (the next after the last fed, or later: a
  // gap makes the scanner look for the next page).
  void Feed(int64_t pos, std::string_view bytes);
  // The next title found: its ICY form ("StreamTitle='Artist - Title';") and the byte
  // of the page that carries it.
  bool Take(int64_t* pos, std::string* text);

 private:
  void Scan();

  const bool flac_;
  std::string pending_;   // bytes not yet parsed
  int64_t pendingPos_ = -1;  // stream byte of pending_[0]
  struct Found {
    int64_t pos;
    std::string text;
  };
  std::deque<Found> found_;
};

// The ICY form of the ARTIST and TITLE of a Vorbis comment list (vendor, count,
// "NAME=value" texts, lengths 32-bit little-endian); empty when neither is there.
std::string TitleFromVorbisComments(std::string_view list);

}  // namespace zengine
