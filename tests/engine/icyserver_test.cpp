// URL streams from the misbehaving "ICY 200 OK" server of icyserver.py (started here),
// through a tinyproxy with basic authentication, and over HTTPS: each case gives its
// result or a clear error code, never a hang.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "eventually.h"
#include "playback/engine/engine.h"
#include "support/icecast.h"
#include "support/proxychild.h"
#include "tagblock.h"
#include "tempfolder.h"

namespace {

using namespace zengine;
using namespace std::chrono_literals;
using ztest::Eventually;
using ztest::HasText;
using ztest::Texts;

using Child = ztest::ChildProcess;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Starts icyserver.py (plain or TLS) and waits for its port.
int StartIcyServer(Child& child, const ztest::TempFolder& dir, const std::string& name,
                   const std::vector<std::string>& tls = {}) {
  const std::string mp3 = dir.File("tone.mp3");
  if (access(mp3.c_str(), R_OK) != 0 &&
      ztest::Run({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                  "sine=frequency=440:sample_rate=44100:duration=10", "-ac", "2", "-c:a",
                  "libmp3lame", "-b:a", "128k", mp3}) != 0)
    return 0;
  const std::string portFile = dir.File(name + ".port");
  std::vector<std::string> argv = {"/usr/bin/python3", ZOVALIS_ICY_SERVER, portFile, mp3};
  argv.insert(argv.end(), tls.begin(), tls.end());
  if (!child.Start(argv, dir.File(name + ".log"))) return 0;
  int port = 0;
  Eventually([&] {
    port = std::atoi(ReadAll(portFile).c_str());
    return port > 0;
  }, 10s);
  return port;
}

class IcyServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = StartIcyServer(server_, dir_, "icy");
    ASSERT_GT(port_, 0) << ReadAll(dir_.File("icy.log"));
    ASSERT_TRUE(Init(-1, 44100, OutputKind::Null));
    SetProxy("");
    SetConfig(Option::NetTimeout, 2000);
  }
  void TearDown() override {
    if (IsInitialised()) Free();
    SetConfig(Option::NetTimeout, 5000);
    SetProxy("");
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  ztest::TempFolder dir_;
  Child server_;
  int port_ = 0;
};

struct ServerCase {
  const char* name;
  const char* path;
  int code;          // kOk: the stream opens
  const char* meta;  // the META text right after connecting (when it opens)
};

// Test names and failure messages show the case by its name.
void PrintTo(const ServerCase& c, std::ostream* os) { *os << c.name; }

const ServerCase kServerCases[] = {
    {"Ok", "/ok", kOk, "StreamTitle='Artist - Song';StreamUrl='';"},
    {"EmptyTitle", "/empty-title", kOk, "StreamTitle='';"},
    {"Latin1Title", "/latin1", kOk, "StreamTitle='Caf\xc3\xa9 Cr\xc3\xa8me';"},
    {"JunkAfterTheTitle", "/junk", kOk, "StreamTitle='A - B';\x01\x02junk"},
    {"ApostropheInTitle", "/apostrophe", kOk, "StreamTitle='Rock'n'Roll - Live';"},
    {"LengthLargerThanText", "/long-length", kOk, "StreamTitle='Short';"},
    {"RedirectFollowed", "/redirect", kOk, "StreamTitle='Artist - Song';StreamUrl='';"},
    {"PlsFollowed", "/pls", kOk, "StreamTitle='Artist - Song';StreamUrl='';"},
    {"M3uAsTextFollowed", "/m3u", kOk, "StreamTitle='From M3U';StreamUrl='';"},
    {"StallBeforeHeaders", "/stall-before", kErrTimeout, nullptr},
    {"TrickleNeverStallsButTimesOut", "/trickle", kErrTimeout, nullptr},
    {"HugeHeaders", "/huge-headers", kErrFileOpen, nullptr},
    {"HtmlPage", "/html", kErrFileForm, nullptr},
    {"RedirectLoop", "/loop", kErrFileOpen, nullptr},
    {"NotFound", "/404", kErrFileOpen, nullptr},
};

class IcyServerCaseTest : public IcyServerTest, public ::testing::WithParamInterface<ServerCase> {};

TEST_P(IcyServerCaseTest, OpensOrFailsWithItsCode) {
  const ServerCase& c = GetParam();
  const auto start = std::chrono::steady_clock::now();
  const Handle h = StreamCreateURL(Url(c.path));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 8s) << "within 3 x the 2 s time-out";
  if (c.code != kOk) {
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(ErrorGetCode(), c.code);
    return;
  }
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, kTypeMp3);
  const auto icy = Texts(ChannelGetTags(h, kTagIcy));
  ASSERT_FALSE(icy.empty());
  EXPECT_EQ(icy[0], "ICY 200 OK");
  EXPECT_NE(std::find(icy.begin(), icy.end(), "icy-br:128"), icy.end());
  EXPECT_TRUE(ChannelGetTags(h, kTagHttp).empty()) << "an ICY response has no HTTP block";
  // The first metadata block comes with the first 8 KB of audio.
  std::vector<std::string> meta;
  EXPECT_TRUE(Eventually([&] {
    meta = Texts(ChannelGetTags(h, kTagMeta));
    return !meta.empty();
  }, 3s));
  ASSERT_EQ(meta.size(), 1u);
  EXPECT_EQ(meta[0], c.meta);
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(300ms);
  EXPECT_GT(ChannelGetPosition(h), 0) << "it plays";
  EXPECT_TRUE(StreamFree(h));
}

INSTANTIATE_TEST_SUITE_P(Server, IcyServerCaseTest, ::testing::ValuesIn(kServerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A download that cannot go on shows as -1 in mode 2, which ends the program's
// buffering wait and makes its station timer stop the station. A stall leaves the
// output short of sound: one underrun, however long it lasts; a closed stream plays
// to its end without one.
TEST_F(IcyServerTest, StalledOrClosedDownloadShowsAsMinusOne) {
  const struct {
    const char* path;
    int64_t underruns;
  } cases[] = {{"/stall-during", 1}, {"/close-mid", 0}};
  for (const auto& c : cases) {
    const Handle h = StreamCreateURL(Url(c.path));
    ASSERT_NE(h, 0u) << c.path << " " << ErrorGetCode();
    ASSERT_TRUE(ChannelPlay(h, false));
    EXPECT_TRUE(Eventually([&] { return StreamGetFilePosition(h, 2) == -1; }, 10s)) << c.path;
    EXPECT_GT(StreamGetFilePosition(h, 1), 0);
    // The queued sound (a few seconds) plays out, then the output waits on.
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(Eventually([&] { return ChannelGetUnderruns(h) >= c.underruns; }, 10s)) << c.path;
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(ChannelGetUnderruns(h), c.underruns) << c.path;
    EXPECT_TRUE(StreamFree(h));
  }
  EXPECT_EQ(ChannelGetUnderruns(12345), -1);
}

TEST_F(IcyServerTest, ASteadyStreamPlaysWithoutUnderruns) {
  const Handle h = StreamCreateURL(Url("/ok"));
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ASSERT_TRUE(ChannelPlay(h, false));
  std::this_thread::sleep_for(3s);
  EXPECT_GT(ChannelGetPosition(h), 0);
  EXPECT_EQ(ChannelGetUnderruns(h), 0);
  EXPECT_TRUE(StreamFree(h));
}

TEST_F(IcyServerTest, MetadataSyncGetsEachNewText) {
  const Handle h = StreamCreateURL(Url("/ok?title=Again"));
  ASSERT_NE(h, 0u);
  std::atomic<int> calls{0};
  std::string last;
  std::mutex mutex;
  ChannelSetSync(h, kSyncMeta, [&](Handle, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    last = text;
    calls++;
  });
  ChannelPlay(h, false);
  // The server repeats no title after the first: a sync comes only with new text,
  // and the first one arrived while connecting (read from the META tag instead).
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(calls.load(), 0);
  EXPECT_EQ(Texts(ChannelGetTags(h, kTagMeta)).at(0), "StreamTitle='Again';StreamUrl='';");
  StreamFree(h);
}

TEST_F(IcyServerTest, EachNewTitleRaisesTheSyncAndASyncMayFreeItsChannel) {
  const Handle h = StreamCreateURL(Url("/titles"));
  ASSERT_NE(h, 0u);
  std::mutex mutex;
  std::vector<std::string> seen;
  std::atomic<bool> freed{false};
  ChannelSetSync(h, kSyncMeta, [&](Handle c, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    seen.push_back(text);
    // The third title frees the channel from within its own download thread.
    if (seen.size() == 3) freed = StreamFree(c);
  });
  ChannelPlay(h, false);
  ASSERT_TRUE(Eventually([&] { return freed.load(); }, 10s));
  std::this_thread::sleep_for(300ms);
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_EQ(seen.size(), 3u) << "no sync after the free";
  // Titles arrive in order, each once (the first came while connecting).
  const int first = std::atoi(seen[0].c_str() + std::strlen("StreamTitle='Song "));
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(seen[i], "StreamTitle='Song " + std::to_string(first + i) + "';");
  EXPECT_FALSE(ChannelPlay(h, false));
}

TEST_F(IcyServerTest, EngineEndAbortsAConnectionInProgress) {
  SetConfig(Option::NetTimeout, 20000);
  std::atomic<bool> returned{false};
  Handle h = 1;
  int code = 0;
  std::thread worker([&] {
    h = StreamCreateURL(Url("/stall-before"));
    code = ErrorGetCode();
    returned = true;
  });
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(returned.load());
  ASSERT_TRUE(Free());
  EXPECT_TRUE(Eventually([&] { return returned.load(); }, 1s)) << "not the 20 s time-out";
  worker.join();
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(code, kErrInit);
}

// A plain HTTP stream that does not announce its bit rate: the one its frames give is
// added to its headers (128 kbit/s MP3), so the station shows and keeps it.
TEST_F(IcyServerTest, AStreamWithoutItsBitRateGetsTheOneItsFramesGive) {
  const Handle h = StreamCreateURL(Url("/plain"));
  ASSERT_NE(h, 0u) << ErrorGetCode();
  const auto http = Texts(ChannelGetTags(h, kTagHttp));
  ASSERT_FALSE(http.empty());
  EXPECT_EQ(std::count_if(http.begin(), http.end(), [](const std::string& l) { return l.rfind("icy-br:", 0) == 0; }),
            1);
  EXPECT_NE(std::find(http.begin(), http.end(), "icy-br:128"), http.end());
  StreamFree(h);
}

// tinyproxy with basic authentication between the engine and the server.
TEST_F(IcyServerTest, ProxyWithBasicAuthentication) {
  const int proxyPort = ztest::Icecast::FreePort();
  Child proxy;
  ASSERT_TRUE(ztest::StartTinyproxy(proxy, dir_.Path(), proxyPort));
  const std::string hostPort = "127.0.0.1:" + std::to_string(proxyPort);
  ASSERT_TRUE(Eventually([&] {
    return ztest::Icecast::RunProgram({"curl", "-s", "-o", "/dev/null", "http://" + hostPort + "/"},
                                      nullptr, 2000) == 0;
  }, 10s)) << ReadAll(dir_.File("tinyproxy.log"));
  struct Case {
    const char* name;
    std::string proxy;
    int code;
  };
  const Case cases[] = {
      {"RightCredentials", "zova:s3cret@" + hostPort, kOk},
      {"WrongPassword", "zova:wrong@" + hostPort, kErrFileOpen},
      {"NoCredentials", ":@" + hostPort, kErrFileOpen},
      {"NoProxyHost", "zova:s3cret@:", kOk},  // an empty server part means no proxy
      // A port out of range is an error, not some other port of the proxy.
      {"PortOutOfRange", "zova:s3cret@127.0.0.1:99999999999", kErrIllParam},
  };
  for (const auto& c : cases) {
    SetProxy(c.proxy);
    const Handle h = StreamCreateURL(Url("/ok"));
    if (c.code == kOk) {
      EXPECT_NE(h, 0u) << c.name << " " << ErrorGetCode();
      StreamFree(h);
    } else {
      EXPECT_EQ(h, 0u) << c.name;
      EXPECT_EQ(ErrorGetCode(), c.code) << c.name;
    }
  }
}

// HTTPS: certificates are verified; CURL_CA_BUNDLE names the CA to trust.
TEST_F(IcyServerTest, HttpsVerifiesTheCertificate) {
  const std::string cert = dir_.File("cert.pem");
  const std::string key = dir_.File("key.pem");
  ASSERT_EQ(ztest::Run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                        "-keyout", key, "-out", cert}),
            0);
  Child tls;
  const int port = StartIcyServer(tls, dir_, "tls", {cert, key});
  ASSERT_GT(port, 0) << ReadAll(dir_.File("tls.log"));
  const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/ok";

  unsetenv("CURL_CA_BUNDLE");
  EXPECT_EQ(StreamCreateURL(url), 0u) << "a self-signed certificate is refused";
  EXPECT_EQ(ErrorGetCode(), kErrFileOpen);

  setenv("CURL_CA_BUNDLE", cert.c_str(), 1);
  const Handle h = StreamCreateURL(url);
  unsetenv("CURL_CA_BUNDLE");
  ASSERT_NE(h, 0u) << ErrorGetCode();
  EXPECT_EQ(Texts(ChannelGetTags(h, kTagIcy)).at(0), "ICY 200 OK");
  StreamFree(h);
}

}  // namespace

namespace {

// Chained Ogg streams of codecs whose new comments FFmpeg does not report (Opus, FLAC):
// the second chain's title is raised when its sound is heard, 3 s in.
struct ChainCase {
  const char* name;
  const char* codec;
  uint32_t type;
};
void PrintTo(const ChainCase& c, std::ostream* os) { *os << c.name; }
class ChainedOggTest : public ::testing::TestWithParam<ChainCase> {};

TEST_P(ChainedOggTest, EachChainsTitleComesWhenItsSoundIsHeard) {
  const ChainCase& c = GetParam();
  ztest::TempFolder dir;
  std::string chained;
  for (const char* title : {"One", "Two"}) {
    const std::string part = dir.File(std::string(title) + ".ogg");
    ASSERT_EQ(ztest::Run({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                          "sine=frequency=440:sample_rate=48000:duration=3", "-ac", "2", "-metadata", "artist=Zova",
                          "-metadata", std::string("title=") + title, "-c:a", c.codec, "-f", "ogg", part}),
              0);
    chained += ReadAll(part);
  }
  const std::string file = dir.File("chained.ogg");
  std::ofstream(file, std::ios::binary) << chained;
  Child server;
  const std::string portFile = dir.File("port");
  ASSERT_TRUE(server.Start({"/usr/bin/python3", ZOVALIS_ICY_SERVER, portFile, file}, dir.File("log")));
  int port = 0;
  ASSERT_TRUE(Eventually([&] {
    port = std::atoi(ReadAll(portFile).c_str());
    return port > 0;
  }, 10s));
  ASSERT_TRUE(Init(-1, 44100, OutputKind::Null));
  const Handle h = StreamCreateURL("http://127.0.0.1:" + std::to_string(port) + "/plain");
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, c.type);
  EXPECT_TRUE(HasText(ChannelGetTags(h, kTagMeta), "StreamTitle='Zova - One';")) << ChannelGetTags(h, kTagMeta);
  std::mutex mutex;
  std::vector<std::pair<std::string, double>> titles;
  ChannelSetSync(h, kSyncMeta, [&](Handle ch, const std::string& text) {
    const double heard = ChannelBytes2Seconds(ch, ChannelGetPosition(ch));
    std::lock_guard<std::mutex> lock(mutex);
    titles.emplace_back(text, heard);
  });
  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_TRUE(Eventually([&] {
    std::lock_guard<std::mutex> lock(mutex);
    return !titles.empty();
  }, 20s));
  StreamFree(h);
  Free();
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0].first, "StreamTitle='Zova - Two';");
  EXPECT_NEAR(titles[0].second, 3.0, 0.15);
}

INSTANTIATE_TEST_SUITE_P(Codecs, ChainedOggTest,
                         ::testing::Values(ChainCase{"Opus", "libopus", kTypeOpus},
                                           ChainCase{"Flac", "flac", kTypeOggFlac}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
