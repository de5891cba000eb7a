// The channel operations of engine.h: each finds the channel by handle and asks it.
#include <cstring>

#include "playback/engine/channelfactory.h"
#include "playback/engine/channelregistry.h"
#include "playback/engine/decode/ffdecoder.h"
#include "playback/engine/decode/fileheader.h"
#include "playback/engine/decode/filesource.h"
#include "playback/engine/engine.h"
#include "playback/engine/enginemix.h"
#include "playback/engine/lasterror.h"

namespace zengine {

namespace {

Handle OpenFileChannel(const std::string& path, const char* format) {
  if (OutputRate() <= 0) return FailHandle(kErrInit);
  // A common file with a sound header opens at once; its decoder waits for the play.
  if (!format) {
    if (auto header = ReadFileHeader(path))
      return CreateSourceChannel(std::make_unique<FileSource>(path, *header), true);
  }
  int error = kOk;
  auto decoder = FfDecoder::OpenFile(path, format, &error);
  if (!decoder) return FailHandle(error);
  return CreateSourceChannel(std::move(decoder), true);
}

}  // namespace

Handle StreamCreateFile(const std::string& path) { return OpenFileChannel(path, nullptr); }

Handle MusicLoad(const std::string& path) {
  // Module music only, whatever the extension says: other files are not music.
  return OpenFileChannel(path, "libopenmpt");
}

bool ChannelGetInfo(Handle channel, ChannelInfo* info) {
  auto c = FindChannel(channel);
  if (!c) return false;
  if (!info) return Fail(kErrIllParam);
  *info = c->Info();
  return Succeed();
}

int64_t ChannelGetUnderruns(Handle channel) {
  auto c = FindChannel(channel);
  if (!c) return -1;
  Succeed();
  return c->Underruns();
}

int64_t StreamGetFilePosition(Handle channel, int mode) {
  auto c = FindChannel(channel);
  if (!c) return -1;
  const int64_t value = c->Source().FilePosition(mode);
  SetLastError(value < 0 ? kErrNotAvail : kOk);
  return value;
}

std::string ChannelGetTags(Handle channel, TagType type) {
  auto c = FindChannel(channel);
  if (!c) return {};
  std::string block = c->Source().Tags(type);
  SetLastError(block.empty() ? kErrNotAvail : kOk);
  return block;
}

uint32_t ChannelSetSync(Handle channel, SyncType type, SyncProc proc) {
  auto c = FindChannel(channel);
  if (!c) return 0;
  return c->AddSync(type, std::move(proc));
}

bool ChannelRemoveSync(Handle channel, uint32_t sync) {
  auto c = FindChannel(channel);
  return c && c->RemoveSync(sync);
}

bool ChannelPlay(Handle channel, bool restart) {
  auto c = FindChannel(channel);
  return c && c->Play(restart);
}

bool ChannelPause(Handle channel) {
  auto c = FindChannel(channel);
  return c && c->Pause();
}

bool ChannelStop(Handle channel) {
  auto c = FindChannel(channel);
  return c && c->Stop();
}

bool StreamFree(Handle channel) {
  auto c = UnregisterChannel(channel);
  if (!c) return Fail(kErrHandle);
  c->Shutdown();
  return Succeed();
}

int64_t ChannelGetPosition(Handle channel) {
  auto c = FindChannel(channel);
  if (!c) return -1;
  SetLastError(kOk);
  return c->PositionBytes();
}

int64_t ChannelGetLength(Handle channel) {
  auto c = FindChannel(channel);
  if (!c) return -1;
  const int64_t length = c->LengthBytes();
  SetLastError(length < 0 ? kErrNotAvail : kOk);
  return length;
}

double ChannelBytes2Seconds(Handle channel, int64_t bytes) {
  auto c = FindChannel(channel);
  if (!c) return -1.0;
  if (bytes < 0) {
    SetLastError(kErrIllParam);
    return -1.0;
  }
  SetLastError(kOk);
  return c->BytesToSeconds(bytes);
}

bool ChannelSetPosition(Handle channel, int64_t bytes) {
  auto c = FindChannel(channel);
  return c && c->SetPositionBytes(bytes);
}

int ChannelGetData(Handle channel, float* buffer, uint32_t length) {
  auto c = FindChannel(channel);
  if (!c) return -1;
  if (length != kDataFFT1024 || !buffer) {
    SetLastError(kErrIllParam);
    return -1;
  }
  if (!c->Fft1024(buffer)) {
    SetLastError(kErrNoPlay);
    return -1;
  }
  SetLastError(kOk);
  return 512 * static_cast<int>(sizeof(float));
}

uint32_t ChannelSetDSP(Handle channel, DspProc proc) {
  auto c = FindChannel(channel);
  if (!c) return 0;
  return c->AddDsp(std::move(proc));
}

bool ChannelRemoveDSP(Handle channel, uint32_t dsp) {
  auto c = FindChannel(channel);
  return c && c->RemoveDsp(dsp);
}

}  // namespace zengine
