// Engine life cycle, error codes, options, proxy and volume.
#include <errno.h>
#include <signal.h>
#include <unistd.h>

#include <functional>
#include <ostream>
#include <thread>

#include <gtest/gtest.h>

#include "playback/engine/engine.h"

namespace {

using namespace zengine;

// Every test leaves the engine stopped, whatever it asserted.
class EngineTest : public ::testing::Test {
 protected:
  void TearDown() override {
    RecordFree();
    if (IsInitialised()) Free();
  }
};

TEST_F(EngineTest, VersionHighWordIsWhatTheProgramExpects) {
  EXPECT_EQ(GetVersion() >> 16, kExpectedVersionHigh);
  EXPECT_EQ(GetVersion(), kEngineVersion);
}

// One call made in a given state, and what it must give.
enum class Before { Nothing, Init, InitAndRecord };
struct CallCase {
  const char* name;
  Before before;
  std::function<int()> call;  // bool results as 0/1
  int result;
  int code;
};

const CallCase kCallCases[] = {
    {"FreeBeforeInit", Before::Nothing, [] { return int(Free()); }, 0, kErrInit},
    {"InitTwice", Before::Init, [] { return int(Init(-1, 44100, OutputKind::NullFast)); }, 0,
     kErrAlready},
    {"FreqTooLow", Before::Nothing, [] { return int(Init(-1, 7999, OutputKind::Null)); }, 0,
     kErrFreq},
    {"FreqTooHigh", Before::Nothing, [] { return int(Init(-1, 192001, OutputKind::Null)); }, 0,
     kErrFreq},
    {"FreqZero", Before::Nothing, [] { return int(Init(-1, 0, OutputKind::Null)); }, 0, kErrFreq},
    {"FreqNegative", Before::Nothing, [] { return int(Init(-1, -44100, OutputKind::Null)); }, 0,
     kErrFreq},
    {"FreqLowest", Before::Nothing, [] { return int(Init(-1, 8000, OutputKind::Null)); }, 1, kOk},
    {"FreqHighest", Before::Nothing, [] { return int(Init(-1, 192000, OutputKind::Null)); }, 1,
     kOk},
    {"DeviceZero", Before::Nothing, [] { return int(Init(0, 44100, OutputKind::Null)); }, 0,
     kErrDevice},
    {"DeviceTwo", Before::Nothing, [] { return int(Init(2, 44100, OutputKind::Null)); }, 0,
     kErrDevice},
    {"DeviceMinusTwo", Before::Nothing, [] { return int(Init(-2, 44100, OutputKind::Null)); }, 0,
     kErrDevice},
    {"RecordInitBeforeInit", Before::Nothing, [] { return int(RecordInit(-1)); }, 0, kErrInit},
    {"RecordInitAfterInit", Before::Init, [] { return int(RecordInit(-1)); }, 1, kOk},
    {"RecordInitTwice", Before::InitAndRecord, [] { return int(RecordInit(-1)); }, 0,
     kErrAlready},
    {"RecordInitBadDevice", Before::Init, [] { return int(RecordInit(5)); }, 0, kErrDevice},
    {"RecordFreeBeforeRecordInit", Before::Init, [] { return int(RecordFree()); }, 0, kErrInit},
    // The program ends the output first, then the recording side.
    {"RecordFreeAfterFree", Before::InitAndRecord, [] { return int(Free() && RecordFree()); }, 1,
     kOk},
    {"SetVolumeBeforeInit", Before::Nothing, [] { return int(SetVolume(50)); }, 0, kErrInit},
    {"GetVolumeBeforeInit", Before::Nothing, [] { return GetVolume(); }, -1, kErrInit},
    {"VolumeAfterInitIsFull", Before::Init, [] { return GetVolume(); }, 100, kOk},
    {"SetVolumeZero", Before::Init, [] { return int(SetVolume(0)) * 1000 + GetVolume(); }, 1000,
     kOk},
    {"SetVolumeHundred", Before::Init, [] { return int(SetVolume(100)) * 1000 + GetVolume(); },
     1100, kOk},
    {"SetVolumeAboveRange", Before::Init, [] { return int(SetVolume(101)); }, 0, kErrIllParam},
    {"SetVolumeBelowRange", Before::Init, [] { return int(SetVolume(-1)); }, 0, kErrIllParam},
    {"FreeAfterInit", Before::Init, [] { return int(Free() && !IsInitialised()); }, 1, kOk},
};

// Test names in CTest show the row's name rather than its bytes.
void PrintTo(const CallCase& c, std::ostream* os) { *os << c.name; }

class CallTest : public EngineTest, public ::testing::WithParamInterface<CallCase> {};

TEST_P(CallTest, GivesResultAndCode) {
  const CallCase& c = GetParam();
  if (c.before != Before::Nothing) {
    ASSERT_TRUE(Init(-1, 44100, OutputKind::NullFast));
  }
  if (c.before == Before::InitAndRecord) {
    ASSERT_TRUE(RecordInit(-1));
  }
  EXPECT_EQ(c.call(), c.result);
  EXPECT_EQ(ErrorGetCode(), c.code);
}

INSTANTIATE_TEST_SUITE_P(Engine, CallTest, ::testing::ValuesIn(kCallCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, FailedVolumeChangeKeepsTheVolume) {
  ASSERT_TRUE(Init(-1, 44100, OutputKind::NullFast));
  ASSERT_TRUE(SetVolume(37));
  EXPECT_FALSE(SetVolume(250));
  EXPECT_EQ(GetVolume(), 37);
}

TEST_F(EngineTest, FailedInitLeavesNothingStarted) {
  EXPECT_FALSE(Init(-1, 1, OutputKind::Null));
  EXPECT_FALSE(IsInitialised());
  EXPECT_EQ(OutputName(), "");
  EXPECT_TRUE(Init(-1, 44100, OutputKind::Null));
}

struct OutputCase {
  const char* name;
  int device;
  OutputKind kind;
  const char* output;
};

const OutputCase kOutputCases[] = {
    {"Null", -1, OutputKind::Null, "null"},
    {"NullFast", -1, OutputKind::NullFast, "null-fast"},
    // Device 1 selects the null output whatever the kind says.
    {"DeviceOneDefault", 1, OutputKind::Default, "null"},
    {"DeviceOnePulse", 1, OutputKind::Pulse, "null"},
    {"DeviceOneFast", 1, OutputKind::NullFast, "null-fast"},
};

void PrintTo(const OutputCase& c, std::ostream* os) { *os << c.name; }

class OutputChoiceTest : public EngineTest, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(OutputChoiceTest, InitPicksOutput) {
  const OutputCase& c = GetParam();
  ASSERT_TRUE(Init(c.device, 44100, c.kind)) << ErrorGetCode();
  EXPECT_TRUE(IsInitialised());
  EXPECT_EQ(OutputName(), c.output);
  EXPECT_TRUE(Free());
  EXPECT_EQ(OutputName(), "");
}

INSTANTIATE_TEST_SUITE_P(Engine, OutputChoiceTest, ::testing::ValuesIn(kOutputCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, RestartsAfterFree) {
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(Init(-1, 44100, OutputKind::Null));
    ASSERT_TRUE(Free());
  }
}

TEST_F(EngineTest, LastErrorBelongsToTheCallingThread) {
  ASSERT_TRUE(Init(-1, 44100, OutputKind::NullFast));
  int worker_code = kOk;
  std::thread worker([&] {
    Init(-1, 44100, OutputKind::NullFast);  // already started
    worker_code = ErrorGetCode();
  });
  worker.join();
  EXPECT_EQ(worker_code, kErrAlready);
  EXPECT_EQ(ErrorGetCode(), kOk);
}

// Encoders are programs fed through pipes; one that dies must give a write error,
// not end the program with SIGPIPE.
TEST_F(EngineTest, RecordInitMakesBrokenPipesAWriteError) {
  ASSERT_TRUE(Init(-1, 44100, OutputKind::NullFast));
  ASSERT_TRUE(RecordInit(-1));
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  errno = 0;
  EXPECT_EQ(write(fds[1], "x", 1), -1);
  EXPECT_EQ(errno, EPIPE);
  close(fds[1]);
}

// ---- Options ----

struct OptionCase {
  const char* name;
  Option option;
  int value;
  bool accepted;
};

const OptionCase kOptionCases[] = {
    {"TimeoutLowest", Option::NetTimeout, 1, true},
    {"TimeoutHighest", Option::NetTimeout, 600000, true},
    {"TimeoutZero", Option::NetTimeout, 0, false},
    {"TimeoutTooLong", Option::NetTimeout, 600001, false},
    {"TimeoutNegative", Option::NetTimeout, -5000, false},
    {"PrebufferZero", Option::NetPrebuffer, 0, true},
    {"PrebufferFull", Option::NetPrebuffer, 100, true},
    {"PrebufferOverFull", Option::NetPrebuffer, 101, false},
    {"PrebufferNegative", Option::NetPrebuffer, -1, false},
    {"PlaylistOff", Option::NetPlaylist, 0, true},
    {"PlaylistOn", Option::NetPlaylist, 1, true},
    {"PlaylistTwo", Option::NetPlaylist, 2, false},
    {"WmaAsx", Option::WmaAsx, 1, true},
    {"WmaPrebuffer", Option::WmaPrebuffer, 0, true},
    {"WmaBassFile", Option::WmaBassFile, 1, true},
};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }

class OptionTest : public EngineTest, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(OptionTest, RangeChecked) {
  const OptionCase& c = GetParam();
  const int before = GetConfig(c.option);
  EXPECT_EQ(SetConfig(c.option, c.value), c.accepted);
  EXPECT_EQ(ErrorGetCode(), c.accepted ? kOk : kErrIllParam);
  EXPECT_EQ(GetConfig(c.option), c.accepted ? c.value : before);
  SetConfig(c.option, before);
}

INSTANTIATE_TEST_SUITE_P(Engine, OptionTest, ::testing::ValuesIn(kOptionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EngineOptions, Defaults) {
  EXPECT_EQ(GetConfig(Option::NetTimeout), 5000);
  EXPECT_EQ(GetConfig(Option::NetPrebuffer), 0);
  EXPECT_EQ(GetConfig(Option::NetPlaylist), 1);
}

TEST(EngineOptions, OptionsNeedNoInit) {
  ASSERT_FALSE(IsInitialised());
  EXPECT_TRUE(SetConfig(Option::NetTimeout, 1234));
  EXPECT_EQ(GetConfig(Option::NetTimeout), 1234);
  SetConfig(Option::NetTimeout, 5000);
}

TEST(EngineProxy, KeepsTheTextAsGiven) {
  for (const std::string proxy : {"user:pass@host:3128", ":@proxy.example:8080", "host:", ""}) {
    SetProxy(proxy);
    EXPECT_EQ(GetProxy(), proxy);
  }
}

}  // namespace
