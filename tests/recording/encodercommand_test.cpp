// Splitting encoder command lines as a shell would, without a shell.
#include <gtest/gtest.h>

#include "playback/engine/record/encodercommand.h"

namespace {

using Words = std::vector<std::string>;

struct SplitCase {
  const char* name;
  const char* line;
  Words words;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }

class SplitCommandLineTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsLikeAShell) {
  const auto words = zengine::SplitCommandLine(GetParam().line);
  ASSERT_TRUE(words.has_value());
  EXPECT_EQ(*words, GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitCommandLineTest,
    testing::Values(
        SplitCase{"Aac", R"(encoder/faac -o "/r/Jazz  Live /AC DC - T.N.T..aac" -)",
                  {"encoder/faac", "-o", "/r/Jazz  Live /AC DC - T.N.T..aac", "-"}},
        // The two spaces after the program make no empty word.
        SplitCase{"Ac3TwoSpaces", R"(encoder/aften  - "/r/x.ac3")", {"encoder/aften", "-", "/r/x.ac3"}},
        SplitCase{"Mp3Tags", R"(encoder/lame --ta "AC/DC" --tt "T.N.T." -V 0 - "/r/a b.mp3")",
                  {"encoder/lame", "--ta", "AC/DC", "--tt", "T.N.T.", "-V", "0", "-", "/r/a b.mp3"}},
        SplitCase{"Ogg", R"(encoder/oggenc --artist "Radio" --title "" -o "/r/o.ogg" -)",
                  {"encoder/oggenc", "--artist", "Radio", "--title", "", "-o", "/r/o.ogg", "-"}},
        SplitCase{"NoExpansion", R"(p "$HOME *.mp3 ~" $x)", {"p", "$HOME *.mp3 ~", "$x"}},
        SplitCase{"EscapedQuoteInside", R"(p "say \"hi\" \\ \n")", {"p", R"(say "hi" \ \n)"}},
        SplitCase{"SingleQuotesLiteral", R"(p 'a "b" \c')", {"p", R"(a "b" \c)"}},
        SplitCase{"AdjacentPartsJoin", R"(p a"b c"'d')", {"p", "ab cd"}},
        SplitCase{"BackslashOutside", R"(p a\ b)", {"p", "a b"}},
        SplitCase{"TabsAndEnds", "\t p \t x  ", {"p", "x"}},
        SplitCase{"Empty", "", {}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(SplitCommandLine, RefusesUnterminatedQuotesAndTrailingBackslash) {
  for (const char* line : {R"(p "abc)", "p 'abc", R"(p abc\)", R"(p "a\")"})
    EXPECT_FALSE(zengine::SplitCommandLine(line).has_value()) << line;
}

// A title put between double quotes after escaping stays one word, whatever it holds.
TEST(SplitCommandLine, EscapedTitleStaysOneWord) {
  const std::string title = R"(A" -o "/etc/x \ "B)";
  const auto words = zengine::SplitCommandLine("lame --tt \"" + zengine::EscapeForDoubleQuotes(title) + "\" -");
  ASSERT_TRUE(words.has_value());
  EXPECT_EQ(*words, (Words{"lame", "--tt", title, "-"}));
}

TEST(ResolveProgram, RelativePathsComeFromTheProgramFolder) {
  EXPECT_EQ(zengine::ResolveProgram("encoder/lame", "/opt/z"), "/opt/z/encoder/lame");
  EXPECT_EQ(zengine::ResolveProgram("lame", "/opt/z/"), "/opt/z/lame");
  EXPECT_EQ(zengine::ResolveProgram("/usr/bin/lame", "/opt/z"), "/usr/bin/lame");
}

}  // namespace
