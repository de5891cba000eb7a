// The alignment of titles and cuts with the sound, through a real PulseAudio server: an
// ICY server sends 6 s of a 440 Hz tone with the title "A", then, at a metadata
// boundary, a 1000 Hz tone with the title "B". Recording in WAV, cut at each title the
// way the recorder does it (stop, then start, on the test's own thread whenever the
// sync has been seen), file A must hold no 1000 Hz and file B no 440 Hz beyond 30 ms of
// the joint; and the sync for "B" must fire within 150 ms of the first 1000 Hz sound
// the sink's monitor captured.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mediaprobe.h"
#include "playback/engine/channel.h"
#include "playback/engine/channelregistry.h"
#include "playback/engine/engine.h"
#include "support/hlsstream.h"
#include "support/pulsedaemon.h"

extern char** environ;

namespace {

using namespace zengine;
using Clock = std::chrono::steady_clock;

// A child process with its standard output in `out` (or /dev/null), ended by PID.
class Child {
 public:
  bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& out) {
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), env.empty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) pid_ = -1;
    return pid_ > 0;
  }
  ~Child() { Stop(); }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

// Power of `hz` in `n` samples from `s` (Goertzel), normalised to the amplitude.
double ToneLevel(const std::vector<float>& s, size_t from, size_t n, double hz, int rate) {
  const double w = 2 * M_PI * hz / rate, c = 2 * std::cos(w);
  double a = 0, b = 0;
  for (size_t i = from; i < from + n && i < s.size(); ++i) {
    const double x = s[i] + c * a - b;
    b = a;
    a = x;
  }
  return 2 * std::sqrt(std::max(0.0, a * a + b * b - c * a * b)) / static_cast<double>(n);
}

// Left channel of a 16-bit stereo WAV file, -1..1.
std::vector<float> ReadWavLeft(const std::string& path) {
  const std::string bytes = ztest::ReadFile(path);
  std::vector<float> out;
  size_t pos = 12;
  while (pos + 8 <= bytes.size()) {
    uint32_t size;
    std::memcpy(&size, bytes.data() + pos + 4, 4);
    if (bytes.compare(pos, 4, "data") == 0) {
      const size_t end = std::min(bytes.size(), pos + 8 + size);
      for (size_t i = pos + 8; i + 4 <= end; i += 4) {
        int16_t v;
        std::memcpy(&v, bytes.data() + i, 2);
        out.push_back(v / 32768.0f);
      }
      break;
    }
    pos += 8 + size;
  }
  return out;
}

std::vector<float> RawLeft(const std::string& bytes) {
  std::vector<float> out;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    int16_t v;
    std::memcpy(&v, bytes.data() + i, 2);
    out.push_back(v / 32768.0f);
  }
  return out;
}

constexpr int kRate = 44100;
constexpr size_t kWindow = 441;  // 10 ms

// The windows of `s` (10 ms each) where `hz` is clearly present.
std::vector<size_t> WindowsWith(const std::vector<float>& s, double hz, int rate = kRate) {
  const size_t window = static_cast<size_t>(rate / 100);
  std::vector<size_t> hits;
  for (size_t w = 0; w + window <= s.size(); w += window)
    if (ToneLevel(s, w, window, hz, rate) > 0.02) hits.push_back(w);
  return hits;
}

// The two tones of the station: A (440 Hz) and B (1000 Hz), MP3 files in `dir` that
// carry no tag and no header frame.
::testing::AssertionResult MakeTones(const ztest::TempDir& dir, int aSeconds, int bSeconds) {
  for (const auto& [name, hz, seconds] : {std::tuple{"A.mp3", 440, aSeconds}, std::tuple{"B.mp3", 1000, bSeconds}}) {
    std::string err;
    if (ztest::RunWithInput({"/usr/bin/ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                             "sine=frequency=" + std::to_string(hz) + ":sample_rate=44100:duration=" +
                                 std::to_string(seconds),
                             "-ac", "2", "-c:a", "libmp3lame", "-b:a", "128k", "-write_xing", "0", "-id3v2_version",
                             "0", dir.File(name)},
                            "", &err) != 0)
      return ::testing::AssertionFailure() << "ffmpeg: " << err;
  }
  return ::testing::AssertionSuccess();
}

// Starts the station (alignserver.py: A, then B; with `titles`, a new title every half
// of A's length); its port, empty when it did not start.
std::string StartAlignServer(Child& server, const ztest::TempDir& dir, bool titles) {
  const std::string portFile = dir.File("port");
  std::vector<std::string> argv = {"/usr/bin/python3", ZOVALIS_ALIGN_SERVER, portFile, dir.File("A.mp3"),
                                   dir.File("B.mp3")};
  if (titles) argv.push_back("titles");
  if (!server.Start(argv, {}, "")) return {};
  std::string port;
  for (int i = 0; i < 100 && port.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port = ztest::ReadFile(portFile);
  }
  return port;
}

TEST(RecordingAlignment, CutsOnTheExactSampleAndTitlesWhenHeard) {
  ztest::TempDir dir;
  ASSERT_TRUE(MakeTones(dir, 6, 40));
  ztest::PulseDaemon pulse;
  std::string error;
  ASSERT_TRUE(pulse.Start(&error)) << error;
  for (const std::string& e : pulse.ClientEnv()) putenv(strdup(e.c_str()));

  Child server;
  const std::string port = StartAlignServer(server, dir, false);
  ASSERT_FALSE(port.empty()) << "the station server did not start";

  ASSERT_TRUE(Init(-1, 44100, OutputKind::Pulse)) << ErrorGetCode();
  // The monitor capture, with its timeline tied to the clock by the arrival of its bytes.
  const std::string capture = dir.File("cap.raw");
  Child parec;
  ASSERT_TRUE(parec.Start({"parec", "-d", "rec.monitor", "--rate=44100", "--channels=2", "--format=s16le",
                           "--latency-msec=10", "--raw"},
                          pulse.ClientEnvironment(), capture));
  const Clock::time_point t0 = Clock::now();
  double captureStart = 1e9;  // seconds after t0 of the capture's first frame (upper bound)
  auto pollCapture = [&] {
    struct stat st {};
    if (stat(capture.c_str(), &st) != 0 || st.st_size == 0) return;
    const double now = std::chrono::duration<double>(Clock::now() - t0).count();
    captureStart = std::min(captureStart, now - static_cast<double>(st.st_size) / (kRate * 4));
  };

  const Handle h = StreamCreateURL("http://127.0.0.1:" + port + "/");
  ASSERT_NE(h, 0u) << ErrorGetCode();
  std::mutex mutex;
  std::vector<std::pair<std::string, double>> syncs;
  ASSERT_NE(ChannelSetSync(h, kSyncMeta,
                           [&](Handle, const std::string& text) {
                             // Decoding thread.
                             std::lock_guard<std::mutex> lock(mutex);
                             syncs.emplace_back(text, std::chrono::duration<double>(Clock::now() - t0).count());
                           }),
            0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  Handle encoder = EncodeStart(h, dir.File("start.wav"), kEncodePcm | kEncodeCutAtTitle);
  ASSERT_NE(encoder, 0u);

  size_t seen = 0;
  double syncB = -1;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(40);
  while (Clock::now() < deadline) {
    pollCapture();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::vector<std::pair<std::string, double>> fresh;
    {
      std::lock_guard<std::mutex> lock(mutex);
      fresh.assign(syncs.begin() + seen, syncs.end());
      seen = syncs.size();
    }
    for (const auto& [text, when] : fresh) {
      const std::string name = text.find("'B'") != std::string::npos ? "B" : "A";
      if (name == "B") syncB = when;
      // The recorder's cut: stop, then start the next file, some time after the sync.
      std::this_thread::sleep_for(std::chrono::milliseconds(120));
      EXPECT_TRUE(EncodeStop(encoder));
      encoder = EncodeStart(h, dir.File(name + ".wav"), kEncodePcm | kEncodeCutAtTitle);
      ASSERT_NE(encoder, 0u);
    }
    if (syncB >= 0 && std::chrono::duration<double>(Clock::now() - t0).count() > syncB + 4) break;
  }
  EXPECT_TRUE(EncodeStop(encoder));
  pollCapture();
  parec.Stop();
  ChannelStop(h);
  StreamFree(h);
  Free();
  ASSERT_GE(syncB, 0) << "no title B";

  // File A: the 440 Hz tone up to the joint, no 1000 Hz beyond its last 30 ms.
  const std::vector<float> a = ReadWavLeft(dir.File("A.wav"));
  const std::vector<float> b = ReadWavLeft(dir.File("B.wav"));
  ASSERT_GT(a.size(), static_cast<size_t>(kRate));
  ASSERT_GT(b.size(), static_cast<size_t>(kRate));
  const size_t joint = 30 * kRate / 1000;
  for (size_t w : WindowsWith(a, 1000)) EXPECT_GT(w + kWindow, a.size() - joint) << "1000 Hz in A at " << w;
  for (size_t w : WindowsWith(b, 440)) EXPECT_LT(w, joint) << "440 Hz in B at " << w;
  // Both tones reach the joint: nothing was lost there.
  EXPECT_GT(ToneLevel(a, a.size() - joint - kWindow, kWindow, 440, kRate), 0.05);
  EXPECT_GT(ToneLevel(b, joint, kWindow, 1000, kRate), 0.05);

  // The sync for B against the first 1000 Hz the monitor captured.
  const std::vector<float> cap = RawLeft(ztest::ReadFile(capture));
  const std::vector<size_t> heard = WindowsWith(cap, 1000);
  ASSERT_FALSE(heard.empty()) << "no 1000 Hz captured";
  const double heardAt = captureStart + static_cast<double>(heard.front()) / kRate;
  std::printf("A: %.3f s, B: %.3f s, sync B at %.3f s, 1000 Hz heard at %.3f s\n", a.size() / double(kRate),
              b.size() / double(kRate), syncB, heardAt);
  EXPECT_NEAR(syncB, heardAt, 0.15) << "sync " << syncB << " s, heard " << heardAt << " s";
}

// With cutting on but nobody cutting (the recorder saw no new song), the held sound goes
// back to the same file after a while: one file, every decoded frame in it.
TEST(RecordingAlignment, AFileNobodyCutsGoesOnWithoutAGap) {
  ztest::TempDir dir;
  ASSERT_TRUE(MakeTones(dir, 4, 40));
  Child server;
  const std::string port = StartAlignServer(server, dir, false);
  ASSERT_FALSE(port.empty()) << "the station server did not start";
  ASSERT_TRUE(Init(-1, 44100, OutputKind::Null)) << ErrorGetCode();
  const Handle h = StreamCreateURL("http://127.0.0.1:" + port + "/");
  ASSERT_NE(h, 0u) << ErrorGetCode();
  std::atomic<int> titles{0};
  std::atomic<int64_t> frames{0};
  std::atomic<bool> counting{false};
  ChannelSetSync(h, kSyncMeta, [&](Handle, const std::string&) { ++titles; });
  // Added before the encoder: it sees each block just before the encoder does.
  ChannelSetDSP(h, [&](const float*, size_t n, int, int) {
    if (counting) frames += static_cast<int64_t>(n);
  });
  ASSERT_TRUE(ChannelPlay(h, false));
  const Handle encoder = EncodeStart(h, dir.File("one.wav"), kEncodePcm | kEncodeCutAtTitle);
  ASSERT_NE(encoder, 0u);
  // The count starts once the encoder is attached (its start, which opens the file, may
  // take a while on a loaded machine) and stops just before it is stopped: at either
  // end the file may hold a block the count missed, never the reverse.
  counting = true;
  // Titles "A" (2 s) and "B" (4 s) pass uncut; the second hold ends 5 s after "B".
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(30);
  while (titles < 2 && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::seconds(7));
  counting = false;
  EXPECT_TRUE(EncodeStop(encoder));
  StreamFree(h);
  Free();
  EXPECT_EQ(titles.load(), 2);
  const double decoded = static_cast<double>(frames.load()) / kRate;
  const double written = static_cast<double>(ReadWavLeft(dir.File("one.wav")).size()) / kRate;
  // Within a block or two of the count (it starts and stops beside the encoder).
  EXPECT_NEAR(written, decoded, 0.1) << "decoded " << decoded << " s, written " << written << " s";
  EXPECT_GT(written, 10.0);
}

// "Enregistrer ce titre": the channel's title hold keeps the song since its place, so a
// recording started 1.5 s into title "B" (the 1000 Hz tone after 440 Hz) begins on its
// first sample and, cut by title, ends where "T3" begins. The file must be the very
// file the cut-by-title recording made of "B" (running beside it from the start):
// within 30 ms in length, and the same samples.
TEST(RecordingAlignment, TheSongPlayingIsSavedFromItsFirstSample) {
  ztest::TempDir dir;
  ASSERT_TRUE(MakeTones(dir, 6, 40));
  Child server;
  const std::string port = StartAlignServer(server, dir, true);
  ASSERT_FALSE(port.empty()) << "the station server did not start";
  ASSERT_TRUE(Init(-1, 44100, OutputKind::Null)) << ErrorGetCode();
  const Handle h = StreamCreateURL("http://127.0.0.1:" + port + "/");
  ASSERT_NE(h, 0u) << ErrorGetCode();
  const std::string holdFolder = dir.File("hold");
  ASSERT_EQ(mkdir(holdFolder.c_str(), 0700), 0);
  ASSERT_TRUE(ChannelHoldTitle(h, 900, holdFolder));
  std::mutex mutex;
  std::vector<std::string> syncs;
  ChannelSetSync(h, kSyncMeta, [&](Handle, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    syncs.push_back(text);
  });
  ASSERT_TRUE(ChannelPlay(h, false));
  Handle cut = EncodeStart(h, dir.File("start.wav"), kEncodePcm | kEncodeCutAtTitle);
  ASSERT_NE(cut, 0u);

  Handle held = 0;
  HeldTitle before;
  Clock::time_point syncB{};
  bool done = false;
  size_t seen = 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(60);
  while (!done && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::vector<std::string> fresh;
    {
      std::lock_guard<std::mutex> lock(mutex);
      fresh.assign(syncs.begin() + seen, syncs.end());
      seen = syncs.size();
    }
    for (const std::string& text : fresh) {
      const size_t q = text.find('\'');
      const std::string name = text.substr(q + 1, text.find('\'', q + 1) - q - 1);
      // The recorder's cuts, some time after each sync; the title recording ends at the
      // next title the same way.
      std::this_thread::sleep_for(std::chrono::milliseconds(120));
      EXPECT_TRUE(EncodeStop(cut));
      cut = EncodeStart(h, dir.File(name + ".wav"), kEncodePcm | kEncodeCutAtTitle);
      ASSERT_NE(cut, 0u);
      if (name == "B") syncB = Clock::now();
      if (name == "T3") {
        ASSERT_NE(held, 0u) << "T3 came before the title recording started";
        EXPECT_TRUE(EncodeStop(held));
        done = true;
      }
    }
    if (!held && syncB != Clock::time_point{} && Clock::now() - syncB > std::chrono::milliseconds(1500)) {
      ASSERT_TRUE(ChannelGetHeldTitle(h, &before));
      held = EncodeStart(h, dir.File("held.wav"), kEncodePcm | kEncodeCutAtTitle | kEncodeFromTitle);
      ASSERT_NE(held, 0u);
    }
  }
  ASSERT_TRUE(done) << "no title T3";
  // Once T3 is in its own file, the B file is complete.
  EXPECT_TRUE(EncodeStop(cut));
  ChannelStop(h);
  StreamFree(h);
  // The hold went with the channel.
  HeldTitle after;
  EXPECT_FALSE(ChannelGetHeldTitle(h, &after));
  Free();

  EXPECT_EQ(before.title, "StreamTitle='B';");
  EXPECT_TRUE(before.fromStart);
  EXPECT_FALSE(before.truncated);
  EXPECT_GT(before.seconds, 1.0);
  const std::vector<float> b = ReadWavLeft(dir.File("B.wav"));
  const std::vector<float> h2 = ReadWavLeft(dir.File("held.wav"));
  ASSERT_GT(b.size(), static_cast<size_t>(2 * kRate));
  const size_t joint = 30 * kRate / 1000;
  std::printf("B (cut): %.3f s, held B: %.3f s, held when started: %.3f s\n", b.size() / double(kRate),
              h2.size() / double(kRate), before.seconds);
  EXPECT_NEAR(static_cast<double>(h2.size()), static_cast<double>(b.size()), joint);
  for (size_t w : WindowsWith(h2, 440)) EXPECT_LT(w, joint) << "440 Hz in the held title at " << w;
  EXPECT_GT(ToneLevel(h2, joint, kWindow, 1000, kRate), 0.05);
  size_t differ = 0;
  for (size_t i = 0; i < std::min(b.size(), h2.size()); ++i) differ += b[i] != h2[i];
  EXPECT_EQ(differ, 0u) << "the held title differs from the title cut live";
}

// A run of cuts, each on the exact sample: every file between two titles holds exactly
// the sound decoded between their places. A hook of the test's own, hooked before the
// encoder, counts the sound and notes the count at each title's place. In WAV (the
// engine's writer) and in MP3 (the encoder program; the decoder trims the delay and the
// padding the encoder notes in the file).
struct CutFormat {
  const char* name;
  const char* ext;
  bool pcm;
};

class RunOfCuts : public ::testing::TestWithParam<CutFormat> {};

TEST_P(RunOfCuts, EveryFileBetweenTwoTitlesHoldsExactlyTheSoundBetweenThem) {
  const CutFormat& format = GetParam();
  ztest::TempDir dir;
  // A lasts 4 s: with "titles" a new title comes every 2 s of sound.
  ASSERT_TRUE(MakeTones(dir, 4, 60));
  Child server;
  const std::string port = StartAlignServer(server, dir, true);
  ASSERT_FALSE(port.empty()) << "the station server did not start";
  ASSERT_TRUE(Init(-1, 44100, OutputKind::Null)) << ErrorGetCode();
  EncodeSetProgramFolder(ZOVALIS_PROGRAM_DIR);
  const Handle h = StreamCreateURL("http://127.0.0.1:" + port + "/");
  ASSERT_NE(h, 0u) << ErrorGetCode();

  std::mutex mutex;
  int64_t decoded = 0;          // frames the hooks have seen
  std::vector<int64_t> places;  // `decoded` at each title's place
  ASSERT_NE(ChannelSetDSP(h,
                          [&](const float*, size_t n, int, int) {
                            std::lock_guard<std::mutex> lock(mutex);
                            decoded += static_cast<int64_t>(n);
                          }),
            0u);
  const std::shared_ptr<Channel> channel = FindChannel(h);
  ASSERT_TRUE(channel);
  ASSERT_NE(channel->AddTitleHook([&](const std::string&) {
    std::lock_guard<std::mutex> lock(mutex);
    places.push_back(decoded);
  }),
            0u);
  std::atomic<int> heard{0};
  ChannelSetSync(h, kSyncMeta, [&](Handle, const std::string&) { ++heard; });
  ASSERT_TRUE(ChannelPlay(h, false));

  auto start = [&](int i) {
    const std::string file = dir.File(std::to_string(i) + format.ext);
    return format.pcm ? EncodeStart(h, file, kEncodePcm | kEncodeCutAtTitle)
                      : EncodeStart(h, "encoder/lame -V 0 - \"" + file + "\"", kEncodeCutAtTitle);
  };
  Handle encoder = start(0);
  ASSERT_NE(encoder, 0u) << ErrorGetCode();
  // Each title cuts when heard, as the recorder does: stop, then start the next file.
  constexpr int kCuts = 6;
  int cuts = 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(90);
  while (cuts < kCuts && Clock::now() < deadline) {
    if (heard.load() > cuts) {
      ++cuts;
      EXPECT_TRUE(EncodeStop(encoder));
      encoder = start(cuts);
      ASSERT_NE(encoder, 0u) << ErrorGetCode();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(EncodeStop(encoder));
  StreamFree(h);
  Free();
  ASSERT_EQ(cuts, kCuts) << "titles heard: " << heard.load();

  std::vector<int64_t> at;
  {
    std::lock_guard<std::mutex> lock(mutex);
    at = places;
  }
  ASSERT_GE(at.size(), static_cast<size_t>(kCuts));
  // File i lies between the places i-1 and i; the first and the last are cut by the
  // start and the stop.
  for (int i = 1; i < kCuts; ++i) {
    const std::string file = dir.File(std::to_string(i) + format.ext);
    int64_t frames = 0;
    if (format.pcm) {
      frames = static_cast<int64_t>(ReadWavLeft(file).size());
    } else {
      std::string err;
      ASSERT_EQ(ztest::RunWithInput({"/usr/bin/ffmpeg", "-nostdin", "-v", "error", "-i", file, "-f", "s16le",
                                     "-ac", "2", dir.File("decoded.raw")},
                                    "", &err),
                0)
          << err;
      frames = static_cast<int64_t>(ztest::ReadFile(dir.File("decoded.raw")).size() / 4);
      std::remove(dir.File("decoded.raw").c_str());
    }
    EXPECT_EQ(frames, at[i] - at[i - 1]) << "file " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, RunOfCuts,
                         ::testing::Values(CutFormat{"Wav", ".wav", true}, CutFormat{"Mp3", ".mp3", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// The same through an HLS live stream, in MPEG-TS (timed ID3 beside the sound) and in
// packed AAC (an ID3 tag before each segment): a 440 Hz title "A", then a 1000 Hz
// title "B" from a segment's first sample. The cut files hold one tone each up to the
// joint, and the sync for "B" fires within 150 ms of the first 1000 Hz the sink's
// monitor captured.
class HlsAlignment : public ::testing::TestWithParam<ztest::HlsStream::Form> {};

TEST_P(HlsAlignment, CutsOnTheExactSampleAndTitlesWhenHeard) {
  ztest::TempDir dir;
  ztest::HlsStream stream;
  std::string error;
  const std::vector<ztest::HlsStream::Title> titles = {{"Zova", "A", 440, 4}, {"Zova", "B", 1000, 12}};
  ASSERT_TRUE(stream.Start({GetParam(), ztest::HlsStream::Tagging::Id3Frames, titles, {}}, &error)) << error;
  ztest::PulseDaemon pulse;
  ASSERT_TRUE(pulse.Start(&error)) << error;
  for (const std::string& e : pulse.ClientEnv()) putenv(strdup(e.c_str()));
  ASSERT_TRUE(Init(-1, 44100, OutputKind::Pulse)) << ErrorGetCode();
  const std::string capture = dir.File("cap.raw");
  Child parec;
  ASSERT_TRUE(parec.Start({"parec", "-d", "rec.monitor", "--rate=44100", "--channels=2", "--format=s16le",
                           "--latency-msec=10", "--raw"},
                          pulse.ClientEnvironment(), capture));
  const Clock::time_point t0 = Clock::now();
  double captureStart = 1e9;
  auto pollCapture = [&] {
    struct stat st {};
    if (stat(capture.c_str(), &st) != 0 || st.st_size == 0) return;
    const double now = std::chrono::duration<double>(Clock::now() - t0).count();
    captureStart = std::min(captureStart, now - static_cast<double>(st.st_size) / (kRate * 4));
  };

  const Handle h = StreamCreateURL(stream.Url());
  ASSERT_NE(h, 0u) << ErrorGetCode();
  std::mutex mutex;
  std::vector<std::pair<std::string, double>> syncs;
  ASSERT_NE(ChannelSetSync(h, kSyncMeta,
                           [&](Handle, const std::string& text) {
                             std::lock_guard<std::mutex> lock(mutex);
                             syncs.emplace_back(text, std::chrono::duration<double>(Clock::now() - t0).count());
                           }),
            0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  Handle encoder = EncodeStart(h, dir.File("A.wav"), kEncodePcm | kEncodeCutAtTitle);
  ASSERT_NE(encoder, 0u);
  size_t seen = 0;
  double syncB = -1;
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(40);
  while (Clock::now() < deadline) {
    pollCapture();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::vector<std::pair<std::string, double>> fresh;
    {
      std::lock_guard<std::mutex> lock(mutex);
      fresh.assign(syncs.begin() + seen, syncs.end());
      seen = syncs.size();
    }
    for (const auto& [text, when] : fresh) {
      if (text != ztest::HlsStream::StreamTitle(titles[1]) || syncB >= 0) continue;
      syncB = when;
      // The recorder's cut: stop, then start the next file, some time after the sync.
      std::this_thread::sleep_for(std::chrono::milliseconds(120));
      EXPECT_TRUE(EncodeStop(encoder));
      encoder = EncodeStart(h, dir.File("B.wav"), kEncodePcm | kEncodeCutAtTitle);
      ASSERT_NE(encoder, 0u);
    }
    if (syncB >= 0 && std::chrono::duration<double>(Clock::now() - t0).count() > syncB + 4) break;
  }
  EXPECT_TRUE(EncodeStop(encoder));
  pollCapture();
  parec.Stop();
  ChannelStop(h);
  StreamFree(h);
  Free();
  ASSERT_GE(syncB, 0) << "no title B";

  constexpr int kSource = ztest::HlsStream::kRate;  // the files keep the stream's rate
  const std::vector<float> a = ReadWavLeft(dir.File("A.wav"));
  const std::vector<float> b = ReadWavLeft(dir.File("B.wav"));
  ASSERT_GT(a.size(), static_cast<size_t>(kSource));
  ASSERT_GT(b.size(), static_cast<size_t>(kSource));
  const size_t joint = 30 * kSource / 1000;
  const size_t window = kSource / 100;
  for (size_t w : WindowsWith(a, 1000, kSource)) EXPECT_GT(w + window, a.size() - joint) << "1000 Hz in A at " << w;
  for (size_t w : WindowsWith(b, 440, kSource)) EXPECT_LT(w, joint) << "440 Hz in B at " << w;
  EXPECT_GT(ToneLevel(a, a.size() - joint - window, window, 440, kSource), 0.05);
  EXPECT_GT(ToneLevel(b, joint, window, 1000, kSource), 0.05);

  const std::vector<float> cap = RawLeft(ztest::ReadFile(capture));
  const std::vector<size_t> heard = WindowsWith(cap, 1000);
  ASSERT_FALSE(heard.empty()) << "no 1000 Hz captured";
  const double heardAt = captureStart + static_cast<double>(heard.front()) / kRate;
  std::printf("A: %.3f s, B: %.3f s, sync B at %.3f s, 1000 Hz heard at %.3f s\n", a.size() / double(kSource),
              b.size() / double(kSource), syncB, heardAt);
  EXPECT_NEAR(syncB, heardAt, 0.15) << "sync " << syncB << " s, heard " << heardAt << " s";
}

INSTANTIATE_TEST_SUITE_P(Forms, HlsAlignment,
                         ::testing::Values(ztest::HlsStream::Form::Ts, ztest::HlsStream::Form::PackedAac,
                                           ztest::HlsStream::Form::PackedMp3),
                         [](const ::testing::TestParamInfo<ztest::HlsStream::Form>& i) {
                           return std::string(i.param == ztest::HlsStream::Form::Ts          ? "Ts"
                                              : i.param == ztest::HlsStream::Form::PackedAac ? "PackedAac"
                                                                                            : "PackedMp3");
                         });

}  // namespace
