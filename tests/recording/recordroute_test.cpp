// The command-line tools' recording option: a playing channel into each of the six
// formats at once; every file plays in ffplay.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "mediaprobe.h"
#include "playback/engine/engine.h"
#include "recordroute.h"

namespace {

using namespace zengine;

TEST(RecordRoute, FormatFromTheFileName) {
  const std::pair<const char*, const char*> cases[] = {
      {"a.mp3", "mp3"}, {"/x/b.OGG", "ogg"}, {"c.Wma", "wma"}, {"d.aac", "aac"},
      {"e.ac3", "ac3"}, {"f.wav", "wav"},    {"g.flac", ""},   {"noext", ""}};
  for (const auto& [file, format] : cases) EXPECT_EQ(RecordRoute::FormatOf(file), format) << file;
}

TEST(RecordRoute, RecordsEachFormatPlayableByFfplay) {
  ztest::TempDir dir;
  ASSERT_TRUE(Init(-1, 44100, OutputKind::Null));
  EncodeSetProgramFolder(ZOVALIS_PROGRAM_DIR);
  const std::string source = dir.File("source.mp3");
  std::string err;
  ASSERT_EQ(ztest::RunWithInput({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                 "sine=frequency=330:sample_rate=44100:duration=3", "-ac", "2",
                                 source},
                                "", &err), 0) << err;
  const Handle ch = StreamCreateFile(source);
  ASSERT_NE(ch, 0u);
  std::atomic<bool> ended{false};
  ChannelSetSync(ch, kSyncEnd, [&](Handle, const std::string&) { ended = true; });
  const char* formats[] = {"aac", "ac3", "mp3", "ogg", "wav", "wma"};
  std::vector<std::unique_ptr<RecordRoute>> routes;
  for (const char* f : formats) {
    routes.push_back(std::make_unique<RecordRoute>());
    ASSERT_TRUE(routes.back()->Start(ch, f, dir.File(std::string("out.") + f), "Artiste", "Titre", &err)) << err;
  }
  ASSERT_TRUE(ChannelPlay(ch));
  for (int i = 0; i < 500 && !ended; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (auto& r : routes) {
    EXPECT_TRUE(r->Active());
    r->Stop();
    EXPECT_FALSE(r->Active());
  }
  StreamFree(ch);
  Free();
  for (const char* f : formats) {
    const std::string file = dir.File(std::string("out.") + f);
    EXPECT_NEAR(ztest::Probe(file).duration, 3.0, 0.5) << f;
    EXPECT_EQ(ztest::RunWithInput({"env", "SDL_AUDIODRIVER=dummy", "ffplay", "-nodisp", "-autoexit",
                                   "-v", "error", "-t", "0.3", file},
                                  "", &err), 0) << f << ": " << err;
  }
}

}  // namespace
