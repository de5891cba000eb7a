// Engine life cycle, options, proxy and global volume; the mix the outputs pull.
#include "playback/engine/engine.h"

#include <signal.h>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>

#include "playback/engine/channelregistry.h"
#include "playback/engine/enginemix.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/output/mixer.h"
#include "playback/engine/output/output.h"
#include "playback/engine/output/output_null.h"
#include "playback/engine/output/output_pulse.h"

namespace zengine {

namespace {

// The mix is always stereo; sources with other layouts convert when they mix in.
constexpr int kChannels = 2;
constexpr int kMinFreq = 8000;
constexpr int kMaxFreq = 192000;

struct Engine {
  // Guards every member below; held by Init/Free for the whole start or stop, so
  // no other call sees an output half opened.
  std::mutex mutex;
  // Declared before the output: the output is destroyed (and its thread stopped)
  // first, since its pull function reads the mixer.
  std::unique_ptr<Mixer> mixer;
  std::unique_ptr<Output> output;
  int rate = 0;
  bool recording = false;
};

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

constexpr size_t kOptionCount = static_cast<size_t>(Option::WmaBassFile) + 1;
// Options live outside the engine lock: a channel's worker reads the time-out
// while the interface thread may hold the lock in Init.
std::array<std::atomic<int>, kOptionCount> g_options = {5000, 0, 1, 0, 0, 0};

std::mutex g_proxy_mutex;
std::string g_proxy;

std::unique_ptr<Output> MakeOutput(int device, OutputKind kind) {
  // Device 1 is the null output whatever the kind; a fast kind keeps its pace.
  if (device == 1 || kind == OutputKind::Null || kind == OutputKind::NullFast)
    return std::make_unique<NullOutput>(kind == OutputKind::NullFast ? NullOutput::Pace::Fast
                                                                     : NullOutput::Pace::RealTime);
  return std::make_unique<PulseOutput>();
}

bool OptionValueValid(Option option, int value) {
  switch (option) {
    case Option::NetTimeout: return value >= 1 && value <= 600000;
    case Option::NetPrebuffer: return value >= 0 && value <= 100;
    case Option::NetPlaylist: return value == 0 || value == 1;
    case Option::WmaAsx:
    case Option::WmaPrebuffer:
    case Option::WmaBassFile: return true;
  }
  return false;
}

}  // namespace

uint32_t GetVersion() {
  SetLastError(kOk);
  return kEngineVersion;
}

int ErrorGetCode() { return LastError(); }

bool Init(int device, int freq, OutputKind kind) {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (e.output) return Fail(kErrAlready);
  if (device != -1 && device != 1) return Fail(kErrDevice);
  if (freq < kMinFreq || freq > kMaxFreq) return Fail(kErrFreq);

  auto mixer = std::make_unique<Mixer>(kChannels);
  auto output = MakeOutput(device, kind);
  Mixer* mix = mixer.get();
  // Output thread: the pull function.
  auto pull = [mix](float* dst, size_t frames) { return mix->Pull(dst, frames); };
  const int rc = output->Open(freq, kChannels, std::move(pull));
  if (rc != kOk) return Fail(rc);
  e.mixer = std::move(mixer);
  e.output = std::move(output);
  e.rate = freq;
  return Succeed();
}

bool IsInitialised() {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  SetLastError(kOk);
  return e.output != nullptr;
}

std::string OutputName() {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  SetLastError(kOk);
  return e.output ? e.output->Name() : std::string();
}

bool Free() {
  Engine& e = TheEngine();
  if (!IsInitialised()) return Fail(kErrInit);
  // Channels leave the mix through the engine lock, so they go before it is taken.
  FreeAllChannels();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (!e.output) return Fail(kErrInit);
  e.output->Close();
  e.output.reset();
  e.mixer.reset();  // drops every source still in the mix
  e.rate = 0;
  return Succeed();
}

bool RecordInit(int device) {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (!e.output) return Fail(kErrInit);
  if (e.recording) return Fail(kErrAlready);
  // -1 is the default; the engine records what its own channels play, device 0.
  if (device != -1 && device != 0) return Fail(kErrDevice);
  // Encoders are external programs fed through pipes; one that dies must give a
  // write error on that channel, not kill the program with SIGPIPE. This is
  // process-wide and stays so after RecordFree (other pipes may still be open).
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
  e.recording = true;
  return Succeed();
}

bool RecordFree() {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (!e.recording) return Fail(kErrInit);
  e.recording = false;
  return Succeed();
}

bool SetConfig(Option option, int value) {
  const auto index = static_cast<size_t>(option);
  if (index >= kOptionCount || !OptionValueValid(option, value)) return Fail(kErrIllParam);
  g_options[index].store(value);
  return Succeed();
}

int GetConfig(Option option) {
  const auto index = static_cast<size_t>(option);
  if (index >= kOptionCount) {
    SetLastError(kErrIllParam);
    return -1;
  }
  SetLastError(kOk);
  return g_options[index].load();
}

void SetProxy(const std::string& proxy) {
  std::lock_guard<std::mutex> lock(g_proxy_mutex);
  g_proxy = proxy;
  SetLastError(kOk);
}

std::string GetProxy() {
  std::lock_guard<std::mutex> lock(g_proxy_mutex);
  SetLastError(kOk);
  return g_proxy;
}

bool SetVolume(int volume) {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (!e.output) return Fail(kErrInit);
  if (volume < 0 || volume > 100) return Fail(kErrIllParam);
  e.mixer->SetVolume(volume);
  return Succeed();
}

int GetVolume() {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (!e.output) {
    SetLastError(kErrInit);
    return -1;
  }
  SetLastError(kOk);
  return e.mixer->Volume();
}

// ---- The mix (enginemix.h) ----

bool AttachSource(std::shared_ptr<MixerSource> source) {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (!e.output) return Fail(kErrInit);
  if (!source) return Fail(kErrHandle);
  const size_t before = e.mixer->Count();
  e.mixer->Add(std::move(source));
  if (before == 0 && e.mixer->Count() == 1) e.output->Start();
  return Succeed();
}

void DetachSource(const MixerSource* source) {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  if (!e.output) return;
  const size_t before = e.mixer->Count();
  e.mixer->Remove(source);
  if (before > 0 && e.mixer->Count() == 0) e.output->Pause();
}

size_t OutputQueuedFrames() {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  return e.output ? e.output->QueuedFrames() : 0;
}

int OutputRate() {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  return e.rate;
}

int OutputChannels() {
  Engine& e = TheEngine();
  std::lock_guard<std::mutex> lock(e.mutex);
  return e.output ? kChannels : 0;
}

}  // namespace zengine
