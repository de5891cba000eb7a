// The calling thread's last engine error (read back with zengine::ErrorGetCode).
#pragma once

#include <cstdint>

namespace zengine {

// Records `code` (an engine Error) as the calling thread's last error.
void SetLastError(int code);
int LastError();

// Shorthands for the engine's functions: record the code and return the failure
// value, so a failing path reads `return Fail(kErrInit);`.
bool Fail(int code);            // returns false
uint32_t FailHandle(int code);  // returns 0, the null handle
bool Succeed();                 // records kOk, returns true

}  // namespace zengine
