// Audio-CD tracks on a BIN/CUE image: the table of contents, ".cda" descriptors and
// their folder, the PCM read through libcdio-paranoia, and CD-track channels.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cmath>
#include <mutex>
#include <thread>

#include "cdimage.h"
#include "mediaprobe.h"
#include "playback/engine/cd/cdafile.h"
#include "playback/engine/cd/cdtrack.h"
#include "playback/engine/engine.h"

namespace {

using namespace zengine;

// Track 1: a second and a bit (ends inside a sector); track 2: 2.5 s; track 3: 0.7 s.
const std::vector<size_t> kFrames = {44100 + 100, 110250, 30870};

class CdTest : public testing::Test {
 protected:
  ztest::TempDir dir_;
  ztest::CdImage image_{dir_.Path(), kFrames};
  std::string Folder() const { return dir_.File("CD/sr0"); }
};

TEST_F(CdTest, TableOfContents) {
  EXPECT_EQ(CDGetTracks(image_.Cue()), 3);
  for (int t = 1; t <= 3; ++t) {
    const double sectors = std::ceil(kFrames[t - 1] / 588.0);
    EXPECT_DOUBLE_EQ(CDGetTrackLength(image_.Cue(), t), sectors / 75) << t;
  }
  EXPECT_EQ(CDGetTrackLength(image_.Cue(), 4), -1);
  EXPECT_EQ(CDGetTracks(dir_.File("missing.cue")), -1);
  EXPECT_EQ(ErrorGetCode(), kErrNotAvail);
}

TEST_F(CdTest, TrackFilesNameEachAudioTrackAndReplaceThoseOfTheLastDisc) {
  ASSERT_EQ(mkdir(dir_.File("CD").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Folder().c_str(), 0755), 0);
  std::ofstream(Folder() + "/Track09.cda") << "old disc";
  std::ofstream(Folder() + "/notes.txt") << "mine";
  ASSERT_TRUE(CDWriteTrackFiles(image_.Cue(), Folder())) << ErrorGetCode();
  struct stat st;
  EXPECT_NE(stat((Folder() + "/Track09.cda").c_str(), &st), 0);
  EXPECT_EQ(stat((Folder() + "/notes.txt").c_str(), &st), 0);
  uint32_t sector = 0;
  for (int t = 1; t <= 3; ++t) {
    const std::string path = Folder() + "/Track0" + std::to_string(t) + ".cda";
    ASSERT_EQ(ztest::ReadFile(path).size(), 44u);
    CdaInfo info;
    ASSERT_TRUE(CDReadCda(path, &info));
    EXPECT_EQ(info.track, t);
    EXPECT_EQ(info.firstSector, sector);
    EXPECT_EQ(info.sectors, (kFrames[t - 1] + 587) / 588);
    EXPECT_EQ(CDDriveOfCda(path), image_.Cue());
    sector += info.sectors;
  }
}

struct BadCda {
  const char* name;
  std::string bytes;
  int error;
};

void PrintTo(const BadCda& c, std::ostream* os) { *os << c.name; }

std::string Descriptor(int track) {
  const auto b = MakeCda(CdaInfo{track, 0x12345678, 0, 100});
  return std::string(b.begin(), b.end());
}

class BadCdaTest : public testing::TestWithParam<BadCda> {};

TEST_P(BadCdaTest, IsRefusedWithItsReason) {
  ztest::TempDir dir;
  ztest::CdImage image(dir.Path(), {5000, 5000});
  std::ofstream(dir.File(".drive")) << image.Cue() << "\n";
  const std::string path = dir.File("Track.cda");
  std::ofstream(path, std::ios::binary) << GetParam().bytes;
  ASSERT_TRUE(Init(-1, 44100, OutputKind::NullFast));
  EXPECT_EQ(CDStreamCreateFile(path), 0u);
  EXPECT_EQ(ErrorGetCode(), GetParam().error);
  Free();
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadCdaTest,
    testing::Values(BadCda{"Empty", "", kErrFileForm},
                    BadCda{"Truncated", Descriptor(1).substr(0, 43), kErrFileForm},
                    BadCda{"Longer", Descriptor(1) + "x", kErrFileForm},
                    BadCda{"NotCdda", "RIFF" + Descriptor(1).substr(4, 4) + "WAVE" + Descriptor(1).substr(12), kErrFileForm},
                    BadCda{"TrackZero", Descriptor(0), kErrFileForm},
                    BadCda{"TrackNotOnDisc", Descriptor(7), kErrNotAvail}),
    [](const testing::TestParamInfo<BadCda>& info) { return info.param.name; });

TEST(Cda, MissingFileAndDriveless) {
  EXPECT_EQ(CDStreamCreateFile("/nonexistent/Track01.cda"), 0u);
  EXPECT_EQ(ErrorGetCode(), kErrFileOpen);
}

// Reads `frames` frames from a source, back as 16-bit samples.
std::vector<int16_t> ReadAll(PcmSource& source, size_t frames) {
  std::vector<float> f(frames * 2);
  size_t done = 0;
  while (done < frames) {
    const long n = source.Read(f.data() + done * 2, frames - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  std::vector<int16_t> out(done * 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(std::lrint(f[i] * 32768.0f));
  return out;
}

TEST_F(CdTest, TrackTwoReadsExactlyWhatTheImageHolds) {
  std::unique_ptr<CdTrack> track = CdTrack::Open(image_.Cue(), 2);
  ASSERT_TRUE(track) << ErrorGetCode();
  const std::vector<int16_t>& expected = image_.Samples(2);
  EXPECT_EQ(track->LengthFrames(), static_cast<int64_t>(expected.size() / 2));
  EXPECT_EQ(track->Rate(), 44100);
  EXPECT_EQ(track->TypeCode(), kTypeCda);
  EXPECT_TRUE(ReadAll(*track, expected.size() / 2 + 1000) == expected);  // and no more
}

TEST_F(CdTest, SeekLandsOnTheFrame) {
  std::unique_ptr<CdTrack> track = CdTrack::Open(image_.Cue(), 2);
  ASSERT_TRUE(track);
  const std::vector<int16_t>& expected = image_.Samples(2);
  for (const int64_t frame : {int64_t{44100}, int64_t{1000}, int64_t{588 * 3}, int64_t{0}}) {
    ASSERT_TRUE(track->SeekFrame(frame)) << frame;
    const std::vector<int16_t> got = ReadAll(*track, 2000);
    ASSERT_EQ(got.size(), 4000u);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin() + frame * 2)) << frame;
  }
  EXPECT_FALSE(track->SeekFrame(track->LengthFrames() + 1));
}

// The CD channel: a file-like channel over the track, through the engine's calls.
class CdChannelTest : public CdTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Init(-1, 44100, OutputKind::NullFast)) << ErrorGetCode();
    ASSERT_TRUE(CDWriteTrackFiles(image_.Cue(), Folder()));
  }
  void TearDown() override { Free(); }
};

TEST_F(CdChannelTest, PlaysTrackTwoToItsEnd) {
  const Handle ch = CDStreamCreateFile(Folder() + "/Track02.cda");
  ASSERT_NE(ch, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(ch, &info));
  EXPECT_EQ(info.freq, 44100);
  EXPECT_EQ(info.chans, 2);
  EXPECT_EQ(info.ctype, kTypeCda);
  const std::vector<int16_t>& expected = image_.Samples(2);
  EXPECT_EQ(ChannelGetLength(ch), static_cast<int64_t>(expected.size() * 2));

  std::mutex mutex;
  std::vector<int16_t> heard;
  ASSERT_NE(ChannelSetDSP(ch, [&](const float* s, size_t frames, int channels, int) {
              std::lock_guard<std::mutex> lock(mutex);
              for (size_t i = 0; i < frames * channels; ++i)
                heard.push_back(static_cast<int16_t>(std::lrint(s[i] * 32768.0f)));
            }), 0u);
  // A new channel starts decoding ahead at once, before the hook is there; back to the
  // start so the hook sees the whole track (after what it may have caught before the
  // seek).
  ASSERT_TRUE(ChannelSetPosition(ch, 0));
  std::atomic<int> ends{0};
  ASSERT_NE(ChannelSetSync(ch, kSyncEnd, [&](Handle, const std::string&) { ends++; }), 0u);
  ASSERT_TRUE(ChannelPlay(ch));
  for (int i = 0; i < 500 && ends == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ends.load(), 1);
  std::lock_guard<std::mutex> lock(mutex);
  ASSERT_GE(heard.size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.end() - expected.size()))
      << heard.size() << " samples heard, " << expected.size() << " on disc";
  StreamFree(ch);
}

TEST_F(CdChannelTest, SeeksLikeAFile) {
  const Handle ch = CDStreamCreateFile(Folder() + "/Track01.cda");
  ASSERT_NE(ch, 0u) << ErrorGetCode();
  const int64_t half = ChannelGetLength(ch) / 2 / 4 * 4;
  EXPECT_TRUE(ChannelSetPosition(ch, half));
  EXPECT_EQ(ChannelGetPosition(ch), half);
  EXPECT_NEAR(ChannelBytes2Seconds(ch, ChannelGetLength(ch)), std::ceil(kFrames[0] / 588.0) / 75, 1e-9);
  StreamFree(ch);
}

}  // namespace
