// EncoderSink: where an encoder's bytes go (an encoder program's standard input, or a
// WAV file). Write and Finish run on the encoder's writer thread only; Alive may be
// asked from any thread at the same time.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

#include "playback/engine/record/encoderstopdeadline.h"

namespace zengine {

class EncoderSink {
 public:
  using Deadline = std::chrono::steady_clock::time_point;

  virtual ~EncoderSink() = default;

  // Writes all of `data`, giving up (false) once `stop` has passed or on an error such as
  // the program having gone. Writer thread.
  virtual bool Write(const uint8_t* data, size_t size, const StopDeadline& stop) = 0;

  // Ends the output: the file is completed, or the program's input is closed and the
  // program waited for until `deadline`, then killed. Called once. Writer thread.
  virtual void Finish(Deadline deadline) = 0;

  // True while the sink still takes data. Any thread.
  virtual bool Alive() = 0;
};

}  // namespace zengine
