// The program's engine start-up sequence.
#include <gtest/gtest.h>

#include "app/enginestart.h"

namespace {

TEST(EngineStartTest, VersionHighWordMustMatch) {
  struct Case {
    uint32_t version;
    bool matches;
  } cases[] = {{0x02030000u, true}, {0x0203FFFFu, true}, {0x02040000u, false}, {0x01030000u, false}, {0u, false}};
  for (const auto& c : cases) EXPECT_EQ(EngineVersionMatches(c.version), c.matches) << std::hex << c.version;
  EXPECT_TRUE(EngineVersionMatches(zengine::GetVersion()));
}

TEST(EngineStartTest, StartsOnceSetsTheOptionsAndEnds) {
  const TEngineStart first = StartEngine(zengine::OutputKind::NullFast);
  ASSERT_EQ(first.Result, TEngineStart::Ok) << first.ErrorCode;
  EXPECT_TRUE(zengine::IsInitialised());
  EXPECT_EQ(zengine::GetConfig(zengine::Option::NetTimeout), 5000);
  EXPECT_EQ(zengine::GetConfig(zengine::Option::NetPrebuffer), 0);
  EXPECT_EQ(zengine::GetConfig(zengine::Option::NetPlaylist), 1);

  const TEngineStart again = StartEngine(zengine::OutputKind::NullFast);
  EXPECT_EQ(again.Result, TEngineStart::OutputFailed);
  EXPECT_EQ(again.ErrorCode, zengine::kErrAlready);
  EXPECT_TRUE(zengine::IsInitialised());  // the running engine is not disturbed

  EndEngine();
  EXPECT_FALSE(zengine::IsInitialised());
  EXPECT_EQ(StartEngine(zengine::OutputKind::NullFast).Result, TEngineStart::Ok);  // a restart works
  EndEngine();
}

}  // namespace
