// Placeholders for the channel operations until the playback side lands: each fails with
// kErrHandle, so callers compile, link and take their error path.
#include "playback/engine/engine.h"
#include "playback/engine/lasterror.h"

namespace zengine {

namespace {
template <typename T>
T Stub(T value) {
  SetLastError(kErrHandle);
  return value;
}
}  // namespace

Handle StreamCreateURL(const std::string&) { return Stub<Handle>(0); }
Handle StreamCreateFile(const std::string&) { return Stub<Handle>(0); }
Handle MusicLoad(const std::string&) { return Stub<Handle>(0); }
bool ChannelGetInfo(Handle, ChannelInfo*) { return Stub(false); }
int64_t StreamGetFilePosition(Handle, int) { return Stub<int64_t>(-1); }
std::string ChannelGetTags(Handle, TagType) { return Stub(std::string()); }
uint32_t ChannelSetSync(Handle, SyncType, SyncProc) { return Stub<uint32_t>(0); }
bool ChannelRemoveSync(Handle, uint32_t) { return Stub(false); }
bool ChannelPlay(Handle, bool) { return Stub(false); }
bool ChannelPause(Handle) { return Stub(false); }
bool ChannelStop(Handle) { return Stub(false); }
bool StreamFree(Handle) { return Stub(false); }
int64_t ChannelGetPosition(Handle) { return Stub<int64_t>(-1); }
int64_t ChannelGetLength(Handle) { return Stub<int64_t>(-1); }
double ChannelBytes2Seconds(Handle, int64_t) { return Stub(-1.0); }
bool ChannelSetPosition(Handle, int64_t) { return Stub(false); }
int ChannelGetData(Handle, float*, uint32_t) { return Stub(-1); }
uint32_t ChannelSetDSP(Handle, DspProc) { return Stub<uint32_t>(0); }
bool ChannelRemoveDSP(Handle, uint32_t) { return Stub(false); }

}  // namespace zengine
