// Encoders fed with synthetic PCM blocks, as a channel's sample hook hands them over:
// the real programs of the encoder folder with the recorder's exact command lines, the
// WAV writer, and programs that die, stall or do not exist.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <future>
#include <thread>

#include "mediaprobe.h"
#include "playback/engine/engine_record.h"
#include "playback/engine/record/encoder.h"
#include "playback/engine/record/encoderprocess.h"
#include "synthpcm.h"

namespace {

using namespace std::chrono_literals;
using zengine::Encoder;
using zengine::EncoderProcess;
using zengine::EncoderSink;

constexpr int kRate = 44100;
constexpr size_t kBlock = 1024;

// Feeds `seconds` of sine in hook-sized blocks, a little faster than real time would
// allow but slow enough that a healthy encoder never falls 10 s behind.
void Feed(Encoder& e, int rate, int channels, double seconds, int blocksPerPause = 8) {
  const size_t total = static_cast<size_t>(rate * seconds);
  size_t blocks = 0;
  for (size_t done = 0; done < total; done += kBlock) {
    const size_t n = std::min(kBlock, total - done);
    const std::vector<float> b = ztest::SineBlock(rate, channels, n, done);
    e.Push(b.data(), n, channels, rate);
    if (++blocks % blocksPerPause == 0) std::this_thread::sleep_for(2ms);
  }
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  const size_t at = s.find(from);
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

struct ProgramCase {
  const char* name;
  const char* commandLine;  // FILE is replaced by the output path
  const char* extension;
  const char* codec;
  bool tagged;              // the command line carries artist "AC/DC" and title "T.N.T."
};

void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }

class EncoderProgramTest : public testing::TestWithParam<ProgramCase> {};

TEST_P(EncoderProgramTest, RecordsTenSecondsIntoAPlayableFile) {
  const ProgramCase& c = GetParam();
  ztest::TempDir dir;
  const std::string file = dir.File(std::string("Jazz  Live ") + c.extension);
  const std::string line = Replace(c.commandLine, "FILE", file);
  std::unique_ptr<EncoderSink> sink = Encoder::OpenSink(line, 0, kRate, 2, ZOVALIS_PROGRAM_DIR);
  ASSERT_TRUE(sink) << line << " error " << zengine::ErrorGetCode();
  Encoder e(std::move(sink), kRate, 2, nullptr);
  e.Start();
  Feed(e, kRate, 2, 10.0);
  EXPECT_TRUE(e.IsActive());
  e.Stop();
  EXPECT_EQ(e.DroppedFrames(), 0u);
  ztest::MediaInfo info = ztest::Probe(file);
  ASSERT_TRUE(info.ok) << info.raw;
  EXPECT_EQ(info.codec, c.codec);
  EXPECT_NEAR(info.duration, 10.0, 0.5) << info.raw;
  if (c.tagged) {
    EXPECT_EQ(info.tags["artist"], "AC/DC") << info.raw;
    EXPECT_EQ(info.tags["title"], "T.N.T.") << info.raw;
  }
}

// The recorder's command lines, the program paths without ".exe".
INSTANTIATE_TEST_SUITE_P(
    Programs, EncoderProgramTest,
    testing::Values(
        ProgramCase{"Aac", R"(encoder/faac -o "FILE" -)", ".aac", "aac", false},
        ProgramCase{"Ac3", R"(encoder/aften  - "FILE")", ".ac3", "ac3", false},
        ProgramCase{"Mp3", R"(encoder/lame --ta "AC/DC" --tt "T.N.T." -V 0 - "FILE")", ".mp3",
                    "mp3", true},
        ProgramCase{"Ogg", R"(encoder/oggenc --artist "AC/DC" --title "T.N.T." -o "FILE" -)",
                    ".ogg", "vorbis", true}),
    [](const testing::TestParamInfo<ProgramCase>& info) { return info.param.name; });

// A 5.1 station recorded as AAC: the WAV header the program reads is the extensible one.
TEST(EncoderProgram, SurroundIntoAac) {
  ztest::TempDir dir;
  const std::string file = dir.File("surround.aac");
  auto sink = Encoder::OpenSink("encoder/faac -o \"" + file + "\" -", 0, 48000, 6, ZOVALIS_PROGRAM_DIR);
  ASSERT_TRUE(sink);
  Encoder e(std::move(sink), 48000, 6, nullptr);
  e.Start();
  Feed(e, 48000, 6, 3.0);
  e.Stop();
  const ztest::MediaInfo info = ztest::Probe(file);
  EXPECT_EQ(info.codec, "aac") << info.raw;
  EXPECT_EQ(info.channels, 6);
  EXPECT_NEAR(info.duration, 3.0, 0.5);
}

uint32_t Le32(const std::string& s, size_t at) {
  uint32_t v;
  memcpy(&v, s.data() + at, 4);
  return v;
}

struct WavCase {
  const char* name;
  int rate;
  int channels;
  size_t headerSize;
};

void PrintTo(const WavCase& c, std::ostream* os) { *os << c.name; }

class WavWriterTest : public testing::TestWithParam<WavCase> {};

TEST_P(WavWriterTest, HeaderSizesAreRightAfterStop) {
  const WavCase& c = GetParam();
  ztest::TempDir dir;
  const std::string file = dir.File("rec.wav");
  auto sink = Encoder::OpenSink(file, zengine::kEncodePcm, c.rate, c.channels, "");
  ASSERT_TRUE(sink);
  Encoder e(std::move(sink), c.rate, c.channels, nullptr);
  e.Start();
  Feed(e, c.rate, c.channels, 2.5);
  e.Stop();
  const std::string bytes = ztest::ReadFile(file);
  const size_t sound = static_cast<size_t>(c.rate * 2.5) * c.channels * 2;
  ASSERT_EQ(bytes.size(), c.headerSize + sound);
  EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(Le32(bytes, c.headerSize - 4), sound);
  const ztest::MediaInfo info = ztest::Probe(file);
  EXPECT_EQ(info.codec, "pcm_s16le") << info.raw;
  EXPECT_EQ(info.channels, c.channels);
  EXPECT_EQ(info.sampleRate, c.rate);
  EXPECT_NEAR(info.duration, 2.5, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Formats, WavWriterTest,
                         testing::Values(WavCase{"Stereo44k", 44100, 2, 44},
                                         WavCase{"Mono22k", 22050, 1, 44},
                                         WavCase{"Surround48k", 48000, 6, 68}),
                         [](const testing::TestParamInfo<WavCase>& info) { return info.param.name; });

TEST(WavWriter, UnwritablePathFailsWithCreateError) {
  EXPECT_FALSE(Encoder::OpenSink("/nonexistent-folder/x.wav", zengine::kEncodePcm, kRate, 2, ""));
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrCreate);
}

TEST(EncoderProgram, MissingProgramFailsWithFileOpenError) {
  ztest::TempDir dir;
  for (const char* line : {"encoder/lame.exe - \"x.mp3\"", "/nonexistent/lame -"}) {
    EXPECT_FALSE(Encoder::OpenSink(line, 0, kRate, 2, ZOVALIS_PROGRAM_DIR)) << line;
    EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrFileOpen) << line;
  }
  EXPECT_FALSE(Encoder::OpenSink("encoder/lame \"unterminated", 0, kRate, 2, ZOVALIS_PROGRAM_DIR));
  EXPECT_EQ(zengine::ErrorGetCode(), zengine::kErrIllParam);
}

// Whether process `pid` (a child we started) is gone and reaped.
bool Reaped(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

// Runs `work` on another thread and tells whether it ended within `limit`: a hang
// shows as a failure instead of stalling the whole test run.
bool EndsWithin(std::chrono::seconds limit, std::function<void()> work) {
  auto done = std::async(std::launch::async, std::move(work));
  return done.wait_for(limit) == std::future_status::ready;
}

TEST(EncoderProgram, KilledProgramTurnsInactiveAndNeverBlocksTheFeed) {
  ztest::TempDir dir;
  auto process = EncoderProcess::Start({std::string(ZOVALIS_PROGRAM_DIR) + "/encoder/lame", "-V",
                                        "0", "-", dir.File("k.mp3")});
  ASSERT_TRUE(process);
  const pid_t pid = process->Pid();
  Encoder e(std::move(process), kRate, 2, nullptr);
  e.Start();
  Feed(e, kRate, 2, 1.0);
  ASSERT_TRUE(e.IsActive());
  kill(pid, SIGKILL);
  EXPECT_TRUE(EndsWithin(2s, [&] {
    while (e.IsActive()) std::this_thread::sleep_for(5ms);
  }));
  EXPECT_TRUE(EndsWithin(10s, [&] {
    Feed(e, kRate, 2, 3.0, 1000000);  // keeps pushing after the death, at full speed
    e.Stop();
  }));
  EXPECT_TRUE(Reaped(pid));
}

TEST(EncoderProgram, ProgramClosingItsInputTurnsInactiveAndIsEndedByStop) {
  auto process = EncoderProcess::Start({"/bin/sh", "-c", "exec 0<&-; sleep 30"});
  ASSERT_TRUE(process);
  const pid_t pid = process->Pid();
  Encoder e(std::move(process), kRate, 2, nullptr);
  e.Start();
  EXPECT_TRUE(EndsWithin(2s, [&] {
    while (e.IsActive()) std::this_thread::sleep_for(5ms);
  }));
  // It still runs: Stop waits its bounded time, then kills it.
  EXPECT_TRUE(EndsWithin(15s, [&] { e.Stop(); }));
  EXPECT_TRUE(Reaped(pid));
}

TEST(EncoderProgram, StalledProgramDropsBlocksAndStopIsBounded) {
  // `sleep` never reads its input: the pipe fills, then the queue (10 s of sound).
  auto process = EncoderProcess::Start({"/bin/sleep", "60"});
  ASSERT_TRUE(process);
  const pid_t pid = process->Pid();
  Encoder e(std::move(process), kRate, 2, nullptr);
  e.Start();
  EXPECT_TRUE(EndsWithin(10s, [&] { Feed(e, kRate, 2, 30.0, 1000000); }));
  EXPECT_GT(e.DroppedFrames(), 0u);
  EXPECT_TRUE(e.IsActive());  // stalled, not dead
  EXPECT_TRUE(EndsWithin(15s, [&] { e.Stop(); }));
  EXPECT_TRUE(Reaped(pid));
}

TEST(EncoderProgram, StopBeforeAnySoundEndsTheProgram) {
  ztest::TempDir dir;
  auto process = EncoderProcess::Start({std::string(ZOVALIS_PROGRAM_DIR) + "/encoder/oggenc",
                                        "-o", dir.File("empty.ogg"), "-"});
  ASSERT_TRUE(process);
  const pid_t pid = process->Pid();
  Encoder e(std::move(process), kRate, 2, nullptr);
  e.Start();
  EXPECT_TRUE(EndsWithin(10s, [&] { e.Stop(); }));
  EXPECT_FALSE(e.IsActive());
  EXPECT_TRUE(Reaped(pid));
}

TEST(Encoder, BlocksOfAnotherFormatAreRefused) {
  ztest::TempDir dir;
  const std::string file = dir.File("f.wav");
  Encoder e(Encoder::OpenSink(file, zengine::kEncodePcm, kRate, 2, ""), kRate, 2, nullptr);
  e.Start();
  const std::vector<float> mono = ztest::SineBlock(kRate, 1, 1000, 0);
  e.Push(mono.data(), 1000, 1, kRate);
  const std::vector<float> other = ztest::SineBlock(48000, 2, 1000, 0);
  e.Push(other.data(), 1000, 2, 48000);
  e.Stop();
  EXPECT_EQ(ztest::ReadFile(file).size(), 44u);
}

// A channel that goes away ends the recording by itself: the file is completed.
TEST(Encoder, EndsWhenItsChannelIsGone) {
  ztest::TempDir dir;
  const std::string file = dir.File("gone.wav");
  std::atomic<bool> channel{true};
  Encoder e(Encoder::OpenSink(file, zengine::kEncodePcm, kRate, 2, ""), kRate, 2,
            [&] { return channel.load(); });
  e.Start();
  Feed(e, kRate, 2, 1.0);
  channel = false;
  EXPECT_TRUE(EndsWithin(3s, [&] {
    while (e.IsActive()) std::this_thread::sleep_for(5ms);
  }));
  const std::string bytes = ztest::ReadFile(file);
  EXPECT_EQ(Le32(bytes, 40), bytes.size() - 44);
  e.Stop();
}

}  // namespace
