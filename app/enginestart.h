// Starting and ending the audio engine for the program: version check, output, recording
// side, codec plug-ins and options, in that order.
#pragma once

#include <QString>
#include <cstdint>

#include "playback/engine/engine.h"

struct TEngineStart {
  enum Step { Ok, WrongVersion, OutputFailed, RecordFailed };
  Step Result = Ok;
  int ErrorCode = 0;  // the engine's error code when a start step failed
};

// True when an engine version's high word is the one the program was built with.
bool EngineVersionMatches(uint32_t version);

// Runs the start sequence on `kind` (the desktop's sound server for the program). Stops at
// the first failing step. The codec plug-ins' results are not checked: a missing codec
// only makes its streams fail later; the missing ones are reported on stderr.
TEngineStart StartEngine(zengine::OutputKind kind);

// Ends the engine: the output, then the recording side.
void EndEngine();

// The message box text of a wrong engine version.
QString WrongEngineVersionText();
