// The WMA writer calls of engine_record.h: a table of open writers keyed by handle.
// A write looks its writer up and holds it for the call, so a close on another thread
// never frees a writer under a running write; the write then just finds it closed.
#include <map>
#include <memory>
#include <mutex>

#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/record/wmawriter.h"

namespace zengine {

namespace {

constexpr Handle kWriterHandleBase = 0x20000000u;

struct WriterTable {
  std::mutex mutex;
  std::map<Handle, std::shared_ptr<WmaWriter>> open;
  Handle next = kWriterHandleBase + 1;
};

WriterTable& Table() {
  static WriterTable table;
  return table;
}

std::shared_ptr<WmaWriter> Find(Handle handle) {
  WriterTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.open.find(handle);
  return it == t.open.end() ? nullptr : it->second;
}

}  // namespace

std::vector<int> WmaEncodeGetRates(int freq, int chans, uint32_t) {
  std::vector<int> rates = WmaWriter::Rates(freq, chans);
  if (rates.empty()) SetLastError(kErrFormat);
  else Succeed();
  return rates;
}

Handle WmaEncodeOpenFile(int freq, int chans, uint32_t, int bitrate, const std::string& path) {
  std::unique_ptr<WmaWriter> writer = WmaWriter::Open(freq, chans, bitrate, path);
  if (!writer) return 0;
  WriterTable& t = Table();
  std::lock_guard<std::mutex> lock(t.mutex);
  const Handle handle = t.next++;
  t.open[handle] = std::move(writer);
  Succeed();
  return handle;
}

bool WmaEncodeSetTag(Handle handle, const std::string& tag, const std::string& text) {
  std::shared_ptr<WmaWriter> writer = Find(handle);
  if (!writer) return Fail(kErrHandle);
  return writer->SetTag(tag, text);
}

// Playback thread (sample hook), or any thread.
bool WmaEncodeWrite(Handle handle, const float* samples, size_t frames, int channels, int rate) {
  std::shared_ptr<WmaWriter> writer = Find(handle);
  if (!writer) return Fail(kErrHandle);
  if (!samples && frames) return Fail(kErrIllParam);
  if (!writer->Write(samples, frames, channels, rate)) return Fail(kErrNotAvail);
  return Succeed();
}

bool WmaEncodeClose(Handle handle) {
  std::shared_ptr<WmaWriter> writer;
  {
    WriterTable& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.open.find(handle);
    if (it == t.open.end()) return Fail(kErrHandle);
    writer = std::move(it->second);
    t.open.erase(it);
  }
  // A write that found the writer before the erase still holds it and finds it closed.
  if (!writer->Close()) return Fail(kErrCreate);
  return Succeed();
}

}  // namespace zengine
