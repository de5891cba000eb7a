#include "playback/engine/lasterror.h"

#include "playback/engine/engine.h"

namespace zengine {

namespace {
// One code per thread: a channel failing on the interface thread must not be
// overwritten by a worker thread's success before the interface reads it.
thread_local int t_last_error = kOk;
}  // namespace

void SetLastError(int code) { t_last_error = code; }

bool Fail(int code) {
  t_last_error = code;
  return false;
}

uint32_t FailHandle(int code) {
  t_last_error = code;
  return 0;
}

bool Succeed() {
  t_last_error = kOk;
  return true;
}

int LastError() { return t_last_error; }

}  // namespace zengine
