// PcmSource: where a channel's decoded sound comes from (a file or network decoder, a CD
// track). The channel pulls from it on its decoding thread.
#pragma once

#include <cstddef>
#include <cstdint>

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
};

}  // namespace zengine
