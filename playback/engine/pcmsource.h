// PcmSource: where a channel's decoded sound comes from (a file or network decoder, a CD
// track). The channel pulls from it on its decoding thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "playback/engine/engine.h"

namespace zengine {

class PcmSource {
 public:
  virtual ~PcmSource() = default;

  // Format of what Read gives; fixed for the source's life.
  virtual int Rate() const = 0;
  virtual int Channels() const = 0;
  // StreamType code (engine.h) of the source.
  virtual uint32_t TypeCode() const = 0;

  // Reads up to `frames` frames of interleaved float samples (-1..1) into `dst`.
  // Returns the frames read; 0 at the end of the data; -1 on an error, with its code
  // left in the calling thread's last error. Called on the decoding thread only.
  virtual long Read(float* dst, size_t frames) = 0;

  // Length in frames, -1 when unknown (live streams).
  virtual int64_t LengthFrames() const = 0;

  // Moves the next Read to `frame`. False (with the last error set) when the source
  // cannot seek there. Called on the decoding thread only.
  virtual bool SeekFrame(int64_t frame) = 0;

  // The optional parts below have defaults that suit a source without them.

  // Makes a Read that blocks (network wait) return soon with 0 or -1, and every later
  // one too; the channel calls it when it is freed. Any thread.
  virtual void Abort() {}

  // Tag block of a kind in the form of ChannelGetTags; empty when absent. Any thread.
  virtual std::string Tags(TagType type) const {
    (void)type;
    return {};
  }

  // StreamGetFilePosition for this source; -1 when unavailable. Any thread.
  virtual int64_t FilePosition(int mode) const {
    (void)mode;
    return -1;
  }

  // The channel hands its metadata-sync trigger here once, right after it is made;
  // a source with in-stream titles calls it (on any engine thread) with each new
  // metadata text.
  using MetaSink = std::function<void(const std::string& text)>;
  virtual void SetMetaSink(MetaSink sink) { (void)sink; }

  // A title placed in the sound: `offset` frames into what the last Read gave (0 is
  // before its first frame, the count it returned is after its last). A source that
  // places its titles hands each one out here once, after the Read that reached its
  // place, instead of through the MetaSink. Decoding thread.
  struct TitleMark {
    size_t offset = 0;
    std::string text;
  };
  virtual bool TakeTitleMark(TitleMark* mark) {
    (void)mark;
    return false;
  }
};

}  // namespace zengine
