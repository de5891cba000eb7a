// Id3Frames: what an ID3v2 tag says about the sound that follows it, as HLS streams
// carry it: timed ID3 in MPEG-TS, a tag before each packed-audio segment. Reads the
// title (TIT2), the artist (TPE1), the forms broadcasters use instead (TXXX with a
// "title", "artist" or "StreamTitle" description, a PRIV or TXXX holding an ICY-style
// "StreamTitle='...';") and the segment's MPEG-TS timestamp (the PRIV frame of owner
// "com.apple.streaming.transportStreamTimestamp").
//
// The bytes are untrusted: every size is checked against what is there; a damaged tag
// gives what was read before the damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zengine {

struct Id3Info {
  std::string title;        // TIT2, or a TXXX "title"
  std::string artist;       // TPE1, or a TXXX "artist"
  std::string streamTitle;  // a whole "Artist - Title" (TXXX "StreamTitle", ICY forms)
  int64_t timestamp = -1;   // 90 kHz MPEG-TS time of the segment's first sample
};

// Size of the ID3v2 tag that starts `head` (header, body and footer), 0 when `head`
// does not start with one. Needs the 10 header bytes.
size_t Id3TagSize(std::string_view head);

// Reads a whole tag (as Id3TagSize measured it). False when it is not an ID3v2 tag.
bool ParseId3(std::string_view tag, Id3Info* info);

// The ICY form "StreamTitle='Artist - Title';" of what the tag names; empty when it
// names nothing.
std::string Id3StreamTitle(const Id3Info& info);

}  // namespace zengine
