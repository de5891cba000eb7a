// RecordRoute: records a playing engine channel in one of the recorder's six formats,
// the way the program's recorder does it (the same command lines and calls), for the
// command-line tools. One route records one file.
#pragma once

#include <string>

#include "playback/engine/engine.h"

class RecordRoute {
 public:
  RecordRoute() = default;
  ~RecordRoute() { Stop(); }
  RecordRoute(const RecordRoute&) = delete;
  RecordRoute& operator=(const RecordRoute&) = delete;

  // The format named by a file's extension ("x.ogg" -> "ogg"), lower case; empty when it
  // is none of aac, ac3, mp3, ogg, wav, wma.
  static std::string FormatOf(const std::string& file);

  // Starts recording `channel` into `file` as `format` (aac, ac3, mp3, ogg, wav, wma),
  // with the artist and title tags the format carries. Encoder programs are taken from
  // the engine's program folder (EncodeSetProgramFolder). False with *error set.
  bool Start(zengine::Handle channel, const std::string& format, const std::string& file,
             const std::string& artist, const std::string& title, std::string* error);

  // True while the recording runs (an encoder program may have ended by itself).
  bool Active() const;

  // Completes the file. Harmless when nothing records.
  void Stop();

 private:
  zengine::Handle channel_ = 0;
  zengine::Handle encoder_ = 0;
  zengine::Handle wma_ = 0;
  uint32_t hook_ = 0;
};
