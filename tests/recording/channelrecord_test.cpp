// Recording a playing channel through every route at once, with the recorder's exact
// command lines: a local MP3 file and a real Icecast MP3 mount, 10 s each, into AAC,
// AC3, MP3 and OGG (the encoder folder's programs), WAV (the engine's writer) and WMA
// (the WMA writer fed by a sample hook). Plus the failures the recorder relies on.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "mediaprobe.h"
#include "playback/engine/engine.h"
#include "support/icecast.h"

namespace {

using namespace zengine;
using namespace std::chrono_literals;

constexpr double kSeconds = 10.0;

struct Route {
  const char* format;
  const char* commandLine;  // FILE, ARTIST and TITLE replaced; empty for WAV and WMA
  const char* codec;
  bool tagged;
};

// The recorder's command lines, the program paths without ".exe".
const Route kRoutes[] = {
    {"aac", R"(encoder/faac -o "FILE" -)", "aac", false},
    {"ac3", R"(encoder/aften  - "FILE")", "ac3", false},
    {"mp3", R"(encoder/lame --ta "ARTIST" --tt "TITLE" -V 0 - "FILE")", "mp3", true},
    {"ogg", R"(encoder/oggenc --artist "ARTIST" --title "TITLE" -o "FILE" -)", "vorbis", true},
    {"wav", "", "pcm_s16le", false},
    {"wma", "", "wmav2", true},
};

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

// Every route started on one channel before it plays, so all hear the same sound.
class Recording {
 public:
  Recording(Handle channel, const ztest::TempDir& dir) : channel_(channel), dir_(dir) {}

  void StartAll(const std::string& artist, const std::string& title) {
    ChannelInfo info;
    ASSERT_TRUE(ChannelGetInfo(channel_, &info));
    for (const Route& r : kRoutes) {
      const std::string file = dir_.File(std::string("rec.") + r.format);
      if (std::string(r.format) == "wma") {
        ASSERT_FALSE(WmaEncodeGetRates(info.freq, 2, 0).empty());
        wma_ = WmaEncodeOpenFile(info.freq, 2, 0x6000, 192000, file);
        ASSERT_NE(wma_, 0u) << ErrorGetCode();
        ASSERT_TRUE(WmaEncodeSetTag(wma_, "Author", artist));
        ASSERT_TRUE(WmaEncodeSetTag(wma_, "Title", title));
        const Handle w = wma_;
        // Playback thread: one write call and nothing else.
        hook_ = ChannelSetDSP(channel_, [w](const float* s, size_t frames, int chans, int rate) {
          WmaEncodeWrite(w, s, frames, chans, rate);
        });
        ASSERT_NE(hook_, 0u);
      } else if (std::string(r.format) == "wav") {
        encoders_.push_back(EncodeStart(channel_, file, kEncodePcm));
      } else {
        std::string line = ReplaceAll(r.commandLine, "FILE", file);
        line = ReplaceAll(line, "ARTIST", EncodeEscape(artist));
        line = ReplaceAll(line, "TITLE", EncodeEscape(title));
        encoders_.push_back(EncodeStart(channel_, line, 0));
      }
      if (!encoders_.empty()) {
        ASSERT_NE(encoders_.back(), 0u) << r.format << " " << ErrorGetCode();
      }
    }
  }

  // In the recorder's order: the WMA writer closed, then its hook removed; each encoder
  // still running stopped.
  void StopAll() {
    EXPECT_TRUE(WmaEncodeClose(wma_));
    EXPECT_TRUE(ChannelRemoveDSP(channel_, hook_));
    for (const Handle e : encoders_) {
      EXPECT_EQ(EncodeIsActive(e), 1);
      EXPECT_EQ(EncodeGetDropped(e), 0);
      EXPECT_TRUE(EncodeStop(e));
    }
  }

  void CheckFiles(double seconds, const std::string& artist, const std::string& title) {
    for (const Route& r : kRoutes) {
      ztest::MediaInfo info = ztest::Probe(dir_.File(std::string("rec.") + r.format));
      ASSERT_TRUE(info.ok) << r.format << ": " << info.raw;
      EXPECT_EQ(info.codec, r.codec) << r.format;
      EXPECT_NEAR(info.duration, seconds, 0.5) << r.format << ": " << info.raw;
      if (r.tagged) {
        EXPECT_EQ(info.tags["artist"], artist) << r.format << ": " << info.raw;
        EXPECT_EQ(info.tags["title"], title) << r.format << ": " << info.raw;
      }
    }
  }

 private:
  const Handle channel_;
  const ztest::TempDir& dir_;
  std::vector<Handle> encoders_;
  Handle wma_ = 0;
  uint32_t hook_ = 0;
};

class ChannelRecordTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Init(-1, 44100, OutputKind::Null)) << ErrorGetCode();
    ASSERT_TRUE(RecordInit(-1));
    EncodeSetProgramFolder(ZOVALIS_PROGRAM_DIR);
  }
  void TearDown() override {
    RecordFree();
    if (IsInitialised()) Free();
  }

  // A 10 s MP3 file (44.1 kHz stereo sine) in the test's folder.
  std::string MakeMp3(const std::string& name, double seconds) {
    const std::string path = dir_.File(name);
    std::string err;
    const int rc = ztest::RunWithInput(
        {"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
         "sine=frequency=440:sample_rate=44100:duration=" + std::to_string(seconds), "-ac", "2",
         "-c:a", "libmp3lame", "-b:a", "128k", path},
        "", &err);
    EXPECT_EQ(rc, 0) << err;
    return path;
  }

  ztest::TempDir dir_;
};

TEST_F(ChannelRecordTest, LocalFileThroughEveryRoute) {
  const Handle ch = StreamCreateFile(MakeMp3("source.mp3", kSeconds));
  ASSERT_NE(ch, 0u) << ErrorGetCode();
  std::atomic<bool> ended{false};
  ChannelSetSync(ch, kSyncEnd, [&](Handle, const std::string&) { ended = true; });
  Recording rec(ch, dir_);
  rec.StartAll("AC/DC", "T.N.T.");
  ASSERT_TRUE(ChannelPlay(ch));
  for (int i = 0; i < 1000 && !ended; ++i) std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(ended);
  rec.StopAll();
  StreamFree(ch);
  rec.CheckFiles(kSeconds, "AC/DC", "T.N.T.");
}

TEST_F(ChannelRecordTest, IcecastMp3StreamThroughEveryRoute) {
  ztest::Icecast server;
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  ASSERT_TRUE(server.AddSource({"/mp3", ztest::Icecast::Codec::Mp3, 440, 128, "Jazz: Live?", "Jazz"}, &error)) << error;
  const Handle ch = StreamCreateURL(server.Url("/mp3"));
  ASSERT_NE(ch, 0u) << ErrorGetCode();
  // Counts what the channel hands its hooks, to stop after 10 s of sound.
  std::atomic<int64_t> frames{0};
  ASSERT_NE(ChannelSetDSP(ch, [&](const float*, size_t n, int, int) { frames += static_cast<int64_t>(n); }), 0u);
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(ch, &info));
  Recording rec(ch, dir_);
  // A title with a quote and a backslash stays one word of the command line.
  const std::string title = R"(Say "Hi" \ bye)";
  rec.StartAll("Radio", title);
  ASSERT_TRUE(ChannelPlay(ch));
  const int64_t want = static_cast<int64_t>(kSeconds * info.freq);
  for (int i = 0; i < 2000 && frames < want; ++i) std::this_thread::sleep_for(10ms);
  ASSERT_GE(frames.load(), want);
  ChannelStop(ch);
  const double recorded = static_cast<double>(frames.load()) / info.freq;
  rec.StopAll();
  StreamFree(ch);
  rec.CheckFiles(recorded, "Radio", title);
}

TEST_F(ChannelRecordTest, FailedStartsSetTheirCode) {
  const Handle ch = StreamCreateFile(MakeMp3("short.mp3", 1.0));
  ASSERT_NE(ch, 0u);
  EXPECT_EQ(EncodeStart(ch, R"(encoder/nothing.exe -o "x" -)", 0), 0u);
  EXPECT_EQ(ErrorGetCode(), kErrFileOpen);
  EXPECT_EQ(EncodeStart(ch, dir_.File("no/such/folder.wav"), kEncodePcm), 0u);
  EXPECT_EQ(ErrorGetCode(), kErrCreate);
  EXPECT_EQ(EncodeStart(ch, "", 0), 0u);
  EXPECT_EQ(ErrorGetCode(), kErrIllParam);
  EXPECT_EQ(EncodeStart(ch + 1000, "encoder/lame - x.mp3", 0), 0u);
  EXPECT_EQ(ErrorGetCode(), kErrHandle);
  EXPECT_EQ(EncodeIsActive(12345), 0);
  EXPECT_EQ(ErrorGetCode(), kErrHandle);
  EXPECT_FALSE(EncodeStop(12345));
  StreamFree(ch);
}

TEST_F(ChannelRecordTest, StopBeforeAnySoundAndAfterTheProgramDied) {
  const Handle ch = StreamCreateFile(MakeMp3("long.mp3", 30.0));
  ASSERT_NE(ch, 0u);
  // Stopped before the channel plays: nothing was written but the header.
  const Handle idle = EncodeStart(ch, R"(encoder/lame -V 0 - ")" + dir_.File("idle.mp3") + "\"", 0);
  ASSERT_NE(idle, 0u);
  EXPECT_EQ(EncodeIsActive(idle), 1);
  EXPECT_TRUE(EncodeStop(idle));
  EXPECT_EQ(EncodeIsActive(idle), 0);

  // A program killed mid-recording: is-active answers 0 at once, playback goes on.
  // The shell (not the engine) expands $$: the program leaves its own pid behind.
  const std::string pidFile = dir_.File("encoder.pid");
  const Handle e = EncodeStart(ch, "/bin/sh -c 'echo $$ > \"" + pidFile + "\"; exec cat > /dev/null'", 0);
  ASSERT_NE(e, 0u);
  ASSERT_TRUE(ChannelPlay(ch));
  std::this_thread::sleep_for(500ms);
  ASSERT_EQ(EncodeIsActive(e), 1);
  const pid_t pid = atoi(ztest::ReadFile(pidFile).c_str());
  ASSERT_GT(pid, 0);
  kill(pid, SIGKILL);
  bool inactive = false;
  for (int i = 0; i < 100 && !inactive; ++i, std::this_thread::sleep_for(10ms)) inactive = EncodeIsActive(e) == 0;
  EXPECT_TRUE(inactive);
  const int64_t before = ChannelGetPosition(ch);
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(ChannelGetPosition(ch), before);  // still playing
  // Forgotten without a stop, as the recorder does with an inactive encoder: the next
  // start frees it.
  const Handle next = EncodeStart(ch, dir_.File("next.wav"), kEncodePcm);
  ASSERT_NE(next, 0u);
  EXPECT_FALSE(EncodeStop(e));
  EXPECT_EQ(ErrorGetCode(), kErrHandle);
  EXPECT_TRUE(EncodeStop(next));
  StreamFree(ch);
}

// Freeing the channel ends its recording: the WAV file is complete.
TEST_F(ChannelRecordTest, FreeingTheChannelEndsTheRecording) {
  const Handle ch = StreamCreateFile(MakeMp3("free.mp3", 5.0));
  ASSERT_NE(ch, 0u);
  const std::string wav = dir_.File("free.wav");
  const Handle e = EncodeStart(ch, wav, kEncodePcm);
  ASSERT_NE(e, 0u);
  ASSERT_TRUE(ChannelPlay(ch));
  std::this_thread::sleep_for(500ms);
  StreamFree(ch);
  bool inactive = false;
  for (int i = 0; i < 300 && !inactive; ++i, std::this_thread::sleep_for(10ms)) inactive = EncodeIsActive(e) == 0;
  EXPECT_TRUE(inactive);
  EXPECT_TRUE(EncodeStop(e));
  const ztest::MediaInfo info = ztest::Probe(wav);
  EXPECT_EQ(info.codec, "pcm_s16le");
  EXPECT_GT(info.duration, 0.2);
}

}  // namespace
