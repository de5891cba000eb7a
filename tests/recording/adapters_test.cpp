// The two encoder programs this project builds (encoder/faac, encoder/aften): WAV on
// standard input in, ADTS AAC and AC-3 out, and clear refusals of bad input.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "mediaprobe.h"
#include "synthpcm.h"

namespace {

const std::string kFolder = std::string(ZOVALIS_PROGRAM_DIR) + "/encoder/";

std::vector<std::string> Args(const std::string& program, const std::string& out) {
  if (program == "faac") return {kFolder + "faac", "-o", out, "-"};
  return {kFolder + "aften", "-", out};
}

struct InputCase {
  const char* name;
  const char* program;
  int rate;
  int channels;
  bool sizesKnown;
  const char* codec;
  int outRate;  // what the file holds (AC-3 has no 22050 Hz: the next rate above)
};

void PrintTo(const InputCase& c, std::ostream* os) { *os << c.name; }

class AdapterInputTest : public testing::TestWithParam<InputCase> {};

TEST_P(AdapterInputTest, EncodesTheWavStream) {
  const InputCase& c = GetParam();
  ztest::TempDir dir;
  const std::string out = dir.File("out");
  std::string err;
  ASSERT_EQ(ztest::RunWithInput(Args(c.program, out), ztest::SineWav(c.rate, c.channels, 3.0, c.sizesKnown), &err), 0) << err;
  const ztest::MediaInfo info = ztest::Probe(out);
  EXPECT_EQ(info.codec, c.codec) << info.raw;
  EXPECT_EQ(info.channels, c.channels);
  EXPECT_EQ(info.sampleRate, c.outRate);
  // ADTS has no length field: ffprobe estimates it from the bit rate.
  EXPECT_NEAR(info.duration, 3.0, 0.25) << info.raw;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, AdapterInputTest,
    testing::Values(InputCase{"FaacStereoUnknownSizes", "faac", 44100, 2, false, "aac", 44100},
                    InputCase{"FaacMonoKnownSizes", "faac", 22050, 1, true, "aac", 22050},
                    InputCase{"FaacSurround", "faac", 48000, 6, false, "aac", 48000},
                    InputCase{"AftenStereoUnknownSizes", "aften", 44100, 2, false, "ac3", 44100},
                    InputCase{"AftenRateNotInAc3", "aften", 22050, 2, false, "ac3", 32000},
                    InputCase{"AftenSurround", "aften", 48000, 6, true, "ac3", 48000}),
    [](const testing::TestParamInfo<InputCase>& info) { return info.param.name; });

struct BadCase {
  const char* name;
  std::string input;
  const char* message;  // part of what the program says
};

std::string WavWithFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  std::string s = ztest::SineWav(44100, 2, 0.1, false);
  auto put16 = [&](size_t at, uint16_t v) { s[at] = char(v & 0xFF); s[at + 1] = char(v >> 8); };
  put16(20, tag);
  put16(22, channels);
  s[24] = char(rate & 0xFF); s[25] = char((rate >> 8) & 0xFF); s[26] = char((rate >> 16) & 0xFF); s[27] = char(rate >> 24);
  put16(32, static_cast<uint16_t>(channels * bits / 8));
  put16(34, bits);
  return s;
}

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class AdapterBadInputTest : public testing::TestWithParam<BadCase> {};

TEST_P(AdapterBadInputTest, ExitsNonZeroWithAMessageAndNoFile) {
  for (const char* program : {"faac", "aften"}) {
    ztest::TempDir dir;
    const std::string out = dir.File("out");
    std::string err;
    EXPECT_EQ(ztest::RunWithInput(Args(program, out), GetParam().input, &err), 1) << program;
    EXPECT_NE(err.find(GetParam().message), std::string::npos) << program << ": " << err;
    struct stat st;
    EXPECT_NE(stat(out.c_str(), &st), 0) << program << " left a file";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, AdapterBadInputTest,
    testing::Values(
        BadCase{"Empty", "", "empty"},
        BadCase{"NotWav", std::string(100, 'x'), "not a WAV"},
        BadCase{"TruncatedHeader", ztest::SineWav(44100, 2, 1, false).substr(0, 30), "truncated"},
        BadCase{"Compressed", WavWithFormat(0x55, 2, 44100, 16), "unsupported sample format"},
        BadCase{"ZeroChannels", WavWithFormat(1, 0, 44100, 16), "channel count"},
        BadCase{"AbsurdRate", WavWithFormat(1, 2, 0xFFFFFFFF, 16), "sample rate"},
        BadCase{"HugeChunk", std::string("RIFF\xff\xff\xff\xffWAVEjunk\xf0\xff\xff\xff", 20), "past the end"}),
    [](const testing::TestParamInfo<BadCase>& info) { return info.param.name; });

// Sample formats other encoders' WAV output uses: 24-bit, 32-bit float, 8-bit.
TEST(Adapters, ReadOtherSampleFormats) {
  for (const char* codec : {"pcm_s24le", "pcm_f32le", "pcm_u8", "pcm_s32le"}) {
    ztest::TempDir dir;
    std::string err;
    const std::string wav = dir.File("in.wav");
    ASSERT_EQ(ztest::RunWithInput({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i",
                                   "sine=frequency=440:sample_rate=44100:duration=2", "-ac", "2",
                                   "-c:a", codec, wav},
                                  "", &err), 0) << err;
    for (const char* program : {"faac", "aften"}) {
      const std::string out = dir.File(std::string("out.") + program);
      EXPECT_EQ(ztest::RunWithInput(Args(program, out), ztest::ReadFile(wav), &err), 0) << codec << " " << program << ": " << err;
      EXPECT_NEAR(ztest::Probe(out).duration, 2.0, 0.25) << codec << " " << program;
    }
  }
}

TEST(Adapters, WrongArgumentsShowUsage) {
  std::string err;
  EXPECT_EQ(ztest::RunWithInput({kFolder + "faac", "-"}, "", &err), 1);
  EXPECT_NE(err.find("usage"), std::string::npos);
  EXPECT_EQ(ztest::RunWithInput({kFolder + "aften", "-"}, "", &err), 1);
  EXPECT_NE(err.find("usage"), std::string::npos);
}

TEST(EncoderFolder, HoldsFourRunnablePrograms) {
  for (const char* name : {"faac", "aften", "lame", "oggenc"}) {
    struct stat st;
    ASSERT_EQ(stat((kFolder + name).c_str(), &st), 0) << name;
    EXPECT_TRUE(S_ISREG(st.st_mode) && (st.st_mode & S_IXUSR)) << name;
  }
}

}  // namespace
