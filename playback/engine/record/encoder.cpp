#include "playback/engine/record/encoder.h"

#include <signal.h>

#include <cmath>

#include "playback/engine/engine_record.h"
#include "playback/engine/lasterror.h"
#include "playback/engine/record/encodercommand.h"
#include "playback/engine/record/encoderprocess.h"
#include "playback/engine/record/encoderwavheader.h"
#include "playback/engine/record/wavwriter.h"

namespace zengine {

namespace {

// Rounds to nearest; clips; NaN gives the lowest value. Inline arithmetic: this runs
// for every sample on the playback thread.
int16_t ToS16(float v) {
  if (!(v > -1.0f)) return -32768;
  if (v >= 1.0f) return 32767;
  const float scaled = v * 32767.0f;
  return static_cast<int16_t>(scaled >= 0 ? scaled + 0.5f : scaled - 0.5f);
}

}  // namespace

Encoder::Encoder(std::unique_ptr<EncoderSink> sink, int rate, int channels,
                 std::function<bool()> channelAlive)
    : sink_(std::move(sink)),
      rate_(rate),
      channels_(channels),
      channelAlive_(std::move(channelAlive)),
      queue_(static_cast<size_t>(rate) * static_cast<size_t>(channels) * 2 * kQueueSeconds) {}

Encoder::~Encoder() { Stop(); }

std::unique_ptr<EncoderSink> Encoder::OpenSink(const std::string& commandLine, uint32_t flags,
                                               int rate, int channels,
                                               const std::string& programFolder) {
  if (flags & kEncodePcm) {
    if (commandLine.empty()) {
      SetLastError(kErrIllParam);
      return nullptr;
    }
    return WavWriter::Create(commandLine, rate, channels);
  }
  std::optional<std::vector<std::string>> words = SplitCommandLine(commandLine);
  if (!words || words->empty() || (*words)[0].empty()) {
    SetLastError(kErrIllParam);
    return nullptr;
  }
  (*words)[0] = ResolveProgram((*words)[0], programFolder);
  return EncoderProcess::Start(*words);
}

void Encoder::Start() {
  queue_.Push(MakeWavHeader(rate_, channels_, kWavSizeUnknown));
  writer_ = std::thread([this] { WriterLoop(); });
}

// Playback thread.
void Encoder::Push(const float* samples, size_t frames, int channels, int rate) {
  if (channels != channels_ || rate != rate_ || ended_.load()) return;
  const size_t count = frames * static_cast<size_t>(channels);
  std::vector<uint8_t> block(count * 2);
  for (size_t i = 0; i < count; ++i) {
    const int16_t s = ToS16(samples[i]);
    block[i * 2] = static_cast<uint8_t>(s & 0xFF);
    block[i * 2 + 1] = static_cast<uint8_t>((s >> 8) & 0xFF);
  }
  queue_.Push(std::move(block));
}

bool Encoder::HasRoom() const {
  return queue_.QueuedBytes() < static_cast<size_t>(rate_) * static_cast<size_t>(channels_) * 2 * kQueueSeconds / 2;
}

// Encoder writer thread.
void Encoder::WriterLoop() {
  // A program that dies makes our write fail with EPIPE; the signal itself must never
  // reach the process, whether or not the engine's recording side ignored it.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

  using Clock = std::chrono::steady_clock;
  for (;;) {
    // Batches of about 0.1 s of sound: few writes, few wake-ups of us and of the program.
    const size_t batch = static_cast<size_t>(rate_) * static_cast<size_t>(channels_) * 2 / 10;
    std::optional<std::vector<uint8_t>> block = queue_.PopBatch(batch, std::chrono::milliseconds(200));
    if (!block) {
      if (queue_.Closed()) break;
      if (!sink_->Alive()) {
        failed_ = true;
        break;
      }
      if (channelAlive_ && !channelAlive_()) break;  // the channel is gone: end the file
      continue;
    }
    if (!sink_->Write(block->data(), block->size(), drainDeadline_)) {
      if (!sink_->Alive()) failed_ = true;
      break;
    }
  }
  queue_.Close();
  ended_ = true;
  // The program gets kExitLimit to finish its file once its input is complete.
  sink_->Finish(Clock::now() + kExitLimit);
}

bool Encoder::IsActive() {
  return !ended_.load() && !failed_.load() && !stopped_.load() && sink_->Alive();
}

void Encoder::Stop() {
  if (stopped_.exchange(true)) {
    if (writer_.joinable()) writer_.join();
    return;
  }
  drainDeadline_.Set(std::chrono::steady_clock::now() + kDrainLimit);
  queue_.Close();
  if (writer_.joinable()) writer_.join();
}

uint64_t Encoder::DroppedFrames() const {
  return queue_.DroppedBytes() / (static_cast<uint64_t>(channels_) * 2);
}

}  // namespace zengine
