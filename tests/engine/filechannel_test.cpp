// File channels: every format the program plays, made by ffmpeg in the test, checked
// for type code, format, length, file size, tags, playback to the end, seek, pause,
// DSP hooks and the spectrum of what is heard.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "eventually.h"
#include "playback/engine/engine.h"
#include "tempfolder.h"

namespace {

using namespace zengine;
using ztest::Eventually;

struct FormatCase {
  const char* name;
  const char* file;
  std::vector<std::string> codec;  // ffmpeg output options
  uint32_t type;
  int rate;
  int chans;
  double lengthTolerance;  // seconds: encoders pad and frame the end
};

// Test names and failure messages show the case by its name.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

// A 2-second 440 Hz tone with a title, in the format of the case.
std::string MakeTone(const ztest::TempFolder& dir, const FormatCase& c, double seconds = 2.0) {
  const std::string out = dir.File(c.file);
  std::vector<std::string> argv = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                   "sine=frequency=440:sample_rate=" + std::to_string(c.rate) +
                                       ":duration=" + std::to_string(seconds),
                                   "-ac", std::to_string(c.chans), "-metadata", "title=Tone",
                                   "-metadata", "artist=Zova"};
  argv.insert(argv.end(), c.codec.begin(), c.codec.end());
  argv.push_back(out);
  return ztest::Run(argv) == 0 ? out : std::string();
}

const FormatCase kFormats[] = {
    {"Mp3", "t.mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}, kTypeMp3, 44100, 2, 0.1},
    {"Mp2", "t.mp2", {"-c:a", "mp2"}, kTypeMp2, 44100, 2, 0.1},
    {"AacAdts", "t.aac", {"-c:a", "aac", "-f", "adts"}, kTypeAac, 44100, 2, 0.15},
    {"Mp4", "t.m4a", {"-c:a", "aac"}, kTypeMp4, 44100, 2, 0.1},
    {"Ogg", "t.ogg", {"-c:a", "libvorbis"}, kTypeOgg, 44100, 2, 0.1},
    {"Wma", "t.wma", {"-c:a", "wmav2", "-b:a", "128k"}, kTypeWma, 44100, 2, 0.15},
    {"Ac3", "t.ac3", {"-c:a", "ac3"}, kTypeAc3, 48000, 2, 0.1},
    {"WavPcm", "t.wav", {"-c:a", "pcm_s16le"}, kTypeWavPcm, 22050, 1, 0.01},
    {"WavU8At8kHz", "u8.wav", {"-c:a", "pcm_u8"}, kTypeWavPcm, 8000, 1, 0.01},
    {"WavFloat", "f.wav", {"-c:a", "pcm_f32le"}, kTypeWavFloat, 44100, 2, 0.01},
    {"Flac", "t.flac", {"-c:a", "flac"}, 0x10900u, 44100, 2, 0.01},
};

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Init(-1, 44100, OutputKind::NullFast)) << ErrorGetCode(); }
  void TearDown() override {
    if (IsInitialised()) Free();
  }
  ztest::TempFolder dir_;
};

class FileFormatTest : public EngineFixture, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FileFormatTest, OpensWithTypeFormatLengthAndSizeThenPlaysToItsEnd) {
  const FormatCase& c = GetParam();
  const std::string path = MakeTone(dir_, c);
  ASSERT_FALSE(path.empty()) << "ffmpeg could not make " << c.file;

  const Handle h = StreamCreateFile(path);
  ASSERT_NE(h, 0u) << ErrorGetCode();
  ChannelInfo info;
  ASSERT_TRUE(ChannelGetInfo(h, &info));
  EXPECT_EQ(info.ctype, c.type);
  EXPECT_EQ(info.freq, c.rate);
  EXPECT_EQ(info.chans, c.chans);
  const int64_t length = ChannelGetLength(h);
  EXPECT_EQ(length % (c.chans * 2), 0) << "whole 16-bit frames";
  EXPECT_NEAR(ChannelBytes2Seconds(h, length), 2.0, c.lengthTolerance);
  EXPECT_EQ(StreamGetFilePosition(h, 2), static_cast<int64_t>(std::filesystem::file_size(path)));

  std::atomic<int> ends{0};
  ASSERT_NE(ChannelSetSync(h, kSyncEnd, [&](Handle, const std::string&) { ends++; }), 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(Eventually([&] { return ends.load() > 0; }, std::chrono::seconds(20)));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(ends.load(), 1) << "the end sync fires once";
  EXPECT_EQ(ChannelGetPosition(h), length);
  EXPECT_EQ(ChannelGetData(h, std::vector<float>(512).data(), kDataFFT1024), -1)
      << "an ended channel does not play";
  EXPECT_TRUE(StreamFree(h));
  EXPECT_FALSE(StreamFree(h));
  EXPECT_EQ(ErrorGetCode(), kErrHandle);
}

INSTANTIATE_TEST_SUITE_P(Formats, FileFormatTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

// Tag blocks: the kinds each container carries, as "NAME=value" or "Name : value" texts.
TEST_F(EngineFixture, TagBlocksOfEachContainer) {
  struct TagCase {
    FormatCase format;
    TagType type;
    const char* expected;  // one text the block must hold
  };
  FormatCase id3v1 = kFormats[0];
  id3v1.file = "v1.mp3";
  id3v1.codec.insert(id3v1.codec.end(), {"-write_id3v1", "1"});
  const TagCase cases[] = {
      {kFormats[0], kTagId3v2, "title=Tone"},
      {id3v1, kTagId3, "artist=Zova"},
      {kFormats[3], kTagMp4, "title=Tone"},
      {kFormats[4], kTagOgg, "artist=Zova"},
      {kFormats[5], kTagWma, "title : Tone"},
  };
  for (const auto& c : cases) {
    const std::string path = MakeTone(dir_, c.format, 0.5);
    ASSERT_FALSE(path.empty());
    const Handle h = StreamCreateFile(path);
    ASSERT_NE(h, 0u) << c.format.name;
    const std::string block = ChannelGetTags(h, c.type);
    ASSERT_GE(block.size(), 2u) << c.format.name;
    EXPECT_EQ(block.substr(block.size() - 2), std::string(2, '\0')) << "ended by an empty text";
    std::vector<std::string> texts;
    for (size_t at = 0; at < block.size() && block[at];) {
      texts.emplace_back(block.c_str() + at);
      at += texts.back().size() + 1;
    }
    std::string lower_expected = c.expected;
    std::transform(lower_expected.begin(), lower_expected.end(), lower_expected.begin(), ::tolower);
    bool found = std::any_of(texts.begin(), texts.end(), [&](std::string t) {
      std::transform(t.begin(), t.end(), t.begin(), ::tolower);
      return t == lower_expected;
    });
    EXPECT_TRUE(found) << c.format.name << " block lacks " << c.expected;
    EXPECT_TRUE(ChannelGetTags(h, kTagIcy).empty()) << "a file has no ICY headers";
    if (c.type == kTagWma) {
      EXPECT_NE(block.find("CurrentBitrate : "), std::string::npos);
    }
    StreamFree(h);
  }
}

TEST_F(EngineFixture, BadFilesFailWithTheirCode) {
  const std::string garbage = dir_.File("garbage.mp3");
  {
    std::FILE* f = std::fopen(garbage.c_str(), "wb");
    for (int i = 0; i < 5000; ++i) std::fputc((i * 7919) & 0xFF, f);
    std::fclose(f);
  }
  const std::string empty = dir_.File("empty.ogg");
  std::fclose(std::fopen(empty.c_str(), "wb"));
  struct BadCase {
    std::string path;
    int code;
  };
  const BadCase cases[] = {
      {dir_.File("missing.mp3"), kErrFileOpen},
      {dir_.Path(), kErrFileOpen},
      {empty, kErrFileForm},
      {garbage, kErrFileForm},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StreamCreateFile(c.path), 0u) << c.path;
    EXPECT_EQ(ErrorGetCode(), c.code) << c.path;
  }
  EXPECT_EQ(MusicLoad(MakeTone(dir_, kFormats[0], 0.2)), 0u) << "an MP3 is not module music";
}

TEST_F(EngineFixture, OperationsOnBadHandlesAndBeforeInit) {
  float fft[512];
  EXPECT_FALSE(ChannelPlay(12345));
  EXPECT_EQ(ErrorGetCode(), kErrHandle);
  EXPECT_EQ(ChannelGetData(12345, fft, kDataFFT1024), -1);
  EXPECT_EQ(ChannelGetLength(0), -1);
  EXPECT_EQ(ErrorGetCode(), kErrHandle);
  Free();
  EXPECT_EQ(StreamCreateFile(MakeTone(dir_, kFormats[0], 0.2)), 0u);
  EXPECT_EQ(ErrorGetCode(), kErrInit);
}

}  // namespace
