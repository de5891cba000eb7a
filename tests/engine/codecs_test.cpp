// Codec plug-ins and the codec report against the FFmpeg this machine has.
#include <algorithm>
#include <ostream>

#include <gtest/gtest.h>

#include "playback/engine/engine.h"

namespace {

using namespace zengine;

struct PluginCase {
  const char* name;
  const char* plugin;
  bool loads;
  int code;
};

const PluginCase kPluginCases[] = {
    {"Wma", "wma", true, kOk},
    {"Aac", "aac", true, kOk},
    {"Ac3", "ac3", true, kOk},
    {"Cd", "cd", true, kOk},
    {"UpperCase", "WMA", true, kOk},
    {"Unknown", "flac", false, kErrFileForm},
    {"Empty", "", false, kErrFileForm},
    {"LibraryFileName", "wma.so", false, kErrFileForm},
};

void PrintTo(const PluginCase& c, std::ostream* os) { *os << c.name; }

class PluginTest : public ::testing::TestWithParam<PluginCase> {};

TEST_P(PluginTest, Loads) {
  const PluginCase& c = GetParam();
  const uint32_t handle = PluginLoad(c.plugin);
  EXPECT_EQ(handle != 0, c.loads);
  EXPECT_EQ(ErrorGetCode(), c.code);
}

INSTANTIATE_TEST_SUITE_P(Codecs, PluginTest, ::testing::ValuesIn(kPluginCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Codecs, PluginHandlesAreStableAndDistinct) {
  const uint32_t wma = PluginLoad("wma");
  EXPECT_EQ(PluginLoad("wma"), wma);
  EXPECT_NE(PluginLoad("aac"), wma);
  EXPECT_NE(PluginLoad("cd"), PluginLoad("ac3"));
}

bool Has(const std::vector<std::string>& list, const std::string& name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

// The install script's FFmpeg has everything the program uses.
TEST(Codecs, ReportOnThisMachineMissesNothing) {
  const CodecReport report = GetCodecReport();
  EXPECT_TRUE(report.missing.empty()) << "missing: " << ::testing::PrintToString(report.missing);
  EXPECT_TRUE(Has(report.decoders, "mp3float") || Has(report.decoders, "mp3"));
  for (const char* name : {"aac", "vorbis", "wmav2", "wmapro", "ac3", "eac3", "flac", "pcm_s16le"})
    EXPECT_TRUE(Has(report.decoders, name)) << name;
  for (const char* name : {"wmav2", "aac", "ac3", "pcm_s16le"})
    EXPECT_TRUE(Has(report.encoders, name)) << name;
}

}  // namespace
