// URL streams against real servers started here: a private Icecast with MP3, AAC and
// Ogg mounts whose titles change through its admin API, and the misbehaving
// "ICY 200 OK" server of icyserver.py.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "eventually.h"
#include "playback/engine/engine.h"
#include "playback/engine/engine_record.h"
#include "support/icecast.h"
#include "tagblock.h"
#include "tempfolder.h"

namespace {

using namespace zengine;
using namespace std::chrono_literals;
using ztest::Eventually;
using ztest::HasText;
using ztest::Texts;
using ztest::Icecast;

// Collects metadata syncs.
struct Titles {
  std::mutex mutex;
  std::vector<std::string> texts;
  SyncProc Proc() {
    return [this](Handle, const std::string& text) {
      std::lock_guard<std::mutex> lock(mutex);
      texts.push_back(text);
    };
  }
  bool Has(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& t : texts)
      if (t == text) return true;
    return false;
  }
};

// One Icecast with three mounts for the whole suite: starting it takes seconds.
class IcecastTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new Icecast();
    std::string error;
    if (!server_->Start(&error)) {
      setupError_ = "icecast: " + error;
      return;
    }
    const Icecast::Source sources[] = {
        {"/mp3", Icecast::Codec::Mp3, 440, 128, "Zova MP3", "Jazz"},
        {"/aac", Icecast::Codec::Aac, 440, 96, "Zova AAC", "Rock"},
        {"/ogg", Icecast::Codec::Ogg, 440, 96, "Zova OGG", "Folk"},
    };
    for (const auto& s : sources)
      if (!server_->AddSource(s, &error)) setupError_ = "source " + s.mount + ": " + error;
    // Opus and FLAC in Ogg, starting with their comments.
    if (!server_->AddSource({"/opus", Icecast::Codec::OggOpus, 440, 96, "Zova OPUS", "Pop"}, &error, "Zova",
                            "Opus start"))
      setupError_ = "source /opus: " + error;
    if (!server_->AddSource({"/flac", Icecast::Codec::OggFlac, 440, 0, "Zova FLAC", "Lossless"}, &error, "Zova",
                            "Flac start"))
      setupError_ = "source /flac: " + error;
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(setupError_.empty()) << setupError_;
    ASSERT_TRUE(Init(-1, 44100, OutputKind::Null));
    SetProxy("");
  }
  void TearDown() override {
    if (IsInitialised()) Free();
  }
  static Icecast* server_;
  static std::string setupError_;
};
Icecast* IcecastTest::server_ = nullptr;
std::string IcecastTest::setupError_;

struct MountCase {
  const char* name;
  const char* mount;
  uint32_t type;
  const char* httpHeader;  // one header line the server sends
};

// Test names and failure messages show the case by its name.
void PrintTo(const MountCase& c, std::ostream* os) { *os << c.name; }

class IcecastMountTest : public IcecastTest, public ::testing::WithParamInterface<MountCase> {};

TEST_P(IcecastMountTest, ConnectsBuffersPlaysAndFollowsTitleChanges) {
  const MountCase& c = GetParam();
  const Handle h = StreamCreateURL(server_->Url(c.mount));
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, c.type);
  EXPECT_EQ(info.freq, 44100);
  EXPECT_EQ(info.chans, 2);
  EXPECT_EQ(ChannelGetLength(h), -1) << "a live stream has no length";
  EXPECT_FALSE(ChannelSetPosition(h, 0));
  EXPECT_EQ(ErrorGetCode(), kErrNotFile);
  EXPECT_EQ(StreamGetFilePosition(h, 1000), -1);

  // Icecast answers "HTTP/1.0 200 OK": its icy-* lines are HTTP headers.
  const std::string http = ChannelGetTags(h, kTagHttp);
  EXPECT_EQ(Texts(http).at(0), "HTTP/1.0 200 OK");
  EXPECT_TRUE(HasText(http, c.httpHeader)) << http;
  EXPECT_TRUE(ChannelGetTags(h, kTagIcy).empty());

  // The buffering wait of the connection worker ends above 75 %.
  int level = 0;
  ASSERT_TRUE(Eventually([&] {
    const int64_t end = StreamGetFilePosition(h, 2);
    if (end <= 0) return false;
    level = static_cast<int>((StreamGetFilePosition(h, 1) - StreamGetFilePosition(h, 0)) * 100 / end);
    return level > 75;
  }, 15s)) << "level " << level;

  Titles titles;
  ASSERT_NE(ChannelSetSync(h, kSyncMeta, titles.Proc()), 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  std::string error;
  const std::string title = std::string("Zova Artist - Song on ") + c.name;
  ASSERT_TRUE(server_->SetTitle(c.mount, title, &error)) << error;
  const std::string expected = "StreamTitle='" + title + "';";
  EXPECT_TRUE(Eventually([&] { return titles.Has(expected); }, 20s)) << "no title " << expected;
  EXPECT_TRUE(HasText(ChannelGetTags(h, kTagMeta), expected));
  // The title comes with the download, ahead of the sound: the position keeps going.
  EXPECT_TRUE(Eventually([&] { return ChannelBytes2Seconds(h, ChannelGetPosition(h)) > 0.5; }, 10s));
  float fft[512];
  ASSERT_EQ(ChannelGetData(h, fft, kDataFFT1024), 2048);
  const int peak = static_cast<int>(std::max_element(fft, fft + 512) - fft);
  EXPECT_NEAR(peak, 440.0 * 1024 / 44100, 1.0) << "the tone is heard";
  EXPECT_TRUE(StreamFree(h));
}

INSTANTIATE_TEST_SUITE_P(
    Mounts, IcecastMountTest,
    ::testing::Values(MountCase{"Mp3", "/mp3", kTypeMp3, "icy-name:Zova MP3"},
                      MountCase{"Aac", "/aac", kTypeAac, "icy-genre:Rock"},
                      MountCase{"Ogg", "/ogg", kTypeOgg, "Content-Type: application/ogg"}),
    [](const auto& info) { return std::string(info.param.name); });

// Ogg streams of the codecs people meet beside Vorbis: Opus and FLAC. Each plays with
// its type, format and first title (its comments), and records.
struct OggCodecCase {
  const char* name;
  const char* mount;
  uint32_t type;
  int rate;
  const char* firstTitle;
};
void PrintTo(const OggCodecCase& c, std::ostream* os) { *os << c.name; }

class OggCodecTest : public IcecastTest, public ::testing::WithParamInterface<OggCodecCase> {};

TEST_P(OggCodecTest, PlaysWithTitlesAndInformationAndRecords) {
  const OggCodecCase& c = GetParam();
  const Handle h = StreamCreateURL(server_->Url(c.mount));
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, c.type);
  EXPECT_EQ(info.freq, c.rate);
  EXPECT_EQ(info.chans, 2);
  EXPECT_TRUE(HasText(ChannelGetTags(h, kTagMeta), std::string("StreamTitle='Zova - ") + c.firstTitle + "';"))
      << ChannelGetTags(h, kTagMeta);
  ASSERT_TRUE(ChannelPlay(h, false));
  ztest::TempFolder dir;
  const Handle encoder = EncodeStart(h, dir.File("rec.wav"), kEncodePcm);
  ASSERT_NE(encoder, 0u) << ErrorGetCode();
  // (Icecast changes the comments of Vorbis mounts only: chained titles of these codecs
  // are tested against a chained stream in icyserver_test.)
  EXPECT_TRUE(Eventually([&] { return ChannelBytes2Seconds(h, ChannelGetPosition(h)) > 2.0; }, 15s));
  EXPECT_TRUE(EncodeStop(encoder));
  StreamFree(h);
  // The file holds the stream's sound: a WAV header and well over a second of frames.
  std::ifstream in(dir.File("rec.wav"), std::ios::binary | std::ios::ate);
  EXPECT_GT(static_cast<int64_t>(in.tellg()), static_cast<int64_t>(c.rate) * 4);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, OggCodecTest,
    ::testing::Values(OggCodecCase{"Opus", "/opus", kTypeOpus, 48000, "Opus start"},
                      OggCodecCase{"Flac", "/flac", kTypeOggFlac, 44100, "Flac start"}),
    [](const auto& info) { return std::string(info.param.name); });

// Icecast converts a title to ISO-8859-1 when told its charset, and never escapes '.
TEST_F(IcecastTest, Latin1TitlesAndApostrophesArriveAsUtf8) {
  const Handle h = StreamCreateURL(server_->Url("/mp3"));
  ASSERT_NE(h, 0u) << ErrorGetCode();
  Titles titles;
  ChannelSetSync(h, kSyncMeta, titles.Proc());
  ASSERT_TRUE(ChannelPlay(h, false));
  std::string error;
  const std::string title = "Caf\xc3\xa9 Cr\xc3\xa8me - Rock'n'Roll";
  ASSERT_TRUE(server_->SetTitle("/mp3", title, &error, "UTF-8")) << error;
  EXPECT_TRUE(Eventually([&] { return titles.Has("StreamTitle='" + title + "';"); }, 20s));
  StreamFree(h);
}

TEST_F(IcecastTest, FreeWhileDownloadingReturnsAtOnce) {
  for (int i = 0; i < 3; ++i) {
    const Handle h = StreamCreateURL(server_->Url("/mp3"));
    ASSERT_NE(h, 0u);
    if (i > 0) ChannelPlay(h, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(100 * i));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(StreamFree(h));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  }
  // Engine end with a stream still open.
  ASSERT_NE(StreamCreateURL(server_->Url("/ogg")), 0u);
  EXPECT_TRUE(Free());
}

TEST_F(IcecastTest, ErrorsOfConnection) {
  struct Case {
    const char* name;
    std::string url;
    int code;
  };
  const Case cases[] = {
      {"UnknownMount", server_->Url("/nothing"), kErrFileOpen},
      {"RefusedPort", "http://127.0.0.1:" + std::to_string(Icecast::FreePort()) + "/", kErrFileOpen},
      {"UnknownHost", "http://no-such-host.invalid/", kErrNoNet},
      {"NotHttp", "ftp://127.0.0.1/x", kErrFileOpen},
      {"Empty", "", kErrFileOpen},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StreamCreateURL(c.url), 0u) << c.name;
    EXPECT_EQ(ErrorGetCode(), c.code) << c.name;
  }
}

}  // namespace

namespace {

// The command-line player on a mount: stream information, tag blocks and each title.
TEST_F(IcecastTest, CommandLinePlayerPrintsTheChangingTitles) {
  std::string out;
  std::thread player([&] {
    Icecast::RunProgram({ZOVALIS_ZPLAYER, "-o", "null", "-t", "8", server_->Url("/mp3")}, &out,
                        30000);
  });
  std::this_thread::sleep_for(1500ms);
  std::string error;
  EXPECT_TRUE(server_->SetTitle("/mp3", "Player - First", &error)) << error;
  player.join();
  EXPECT_NE(out.find("type MP3 (0x10005), 44100 Hz, 2 channel(s)"), std::string::npos) << out;
  EXPECT_NE(out.find("------- TAG HTTP -------"), std::string::npos) << out;
  EXPECT_NE(out.find("title: StreamTitle='Player - First';"), std::string::npos) << out;
}

TEST(CommandLinePlayer, PlaysFilesAndReportsErrors) {
  ztest::TempFolder dir;
  const std::string ogg = dir.File("t.ogg");
  ASSERT_EQ(ztest::Run({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                        "sine=duration=1", "-metadata", "title=Short", "-c:a", "libvorbis", ogg}),
            0);
  std::string out;
  EXPECT_EQ(Icecast::RunProgram({ZOVALIS_ZPLAYER, "-o", "null-fast", ogg}, &out), 0) << out;
  EXPECT_NE(out.find("type OGG (0x10002), 44100 Hz, 1 channel(s), 1.00 s"), std::string::npos)
      << out;
  EXPECT_NE(out.find("title=Short"), std::string::npos) << out;
  EXPECT_EQ(Icecast::RunProgram({ZOVALIS_ZPLAYER, "-o", "null-fast", dir.File("none.mp3")}, &out),
            1);
  EXPECT_NE(out.find("engine error 2"), std::string::npos) << out;
  EXPECT_EQ(Icecast::RunProgram({ZOVALIS_ZPLAYER, "--bogus"}, &out), 2);
}

}  // namespace
