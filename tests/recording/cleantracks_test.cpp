// The clean-track rules as a table: which finished files of a recording cut by title are
// kept, and why the others are not; the ignore list as the page writes it; and the
// settings' round trip of the rules through the recording page.
#include <gtest/gtest.h>

#include "recording/cleantracks.h"
#include "recording/recordpage.h"

namespace {

TEST(CleanTracks, WhichTitlesAreKept) {
  TCleanRules all;
  all.DropPartial = true;
  all.MinSeconds = 30;
  all.MaxMinutes = 10;
  all.IgnoreWords = {QStringLiteral("Publicité"), QStringLiteral("Radio Zova")};
  all.SkipRepeats = true;
  const TCleanRules none;
  const auto song = [](const char* title, double seconds, bool began = true, bool ended = true, bool repeat = false) {
    TTrackFacts t;
    t.Title = QString::fromUtf8(title);
    t.Seconds = seconds;
    t.BeganAtTitle = began;
    t.EndedAtTitle = ended;
    t.Repeat = repeat;
    return t;
  };
  struct Case {
    const char* name;
    TCleanRules rules;
    TTrackFacts track;
    TCleanVerdict verdict;
  };
  const Case cases[] = {
      {"a whole song", all, song("Artiste - Chanson", 200), TCleanVerdict::Keep},
      {"no rules keep everything", none, song("Publicité", 2, false, false, true), TCleanVerdict::Keep},
      {"the first title (started mid-song)", all, song("Artiste - Chanson", 200, false, true), TCleanVerdict::Partial},
      {"the last title (stopped mid-song)", all, song("Artiste - Chanson", 200, true, false), TCleanVerdict::Partial},
      {"a jingle", all, song("Jingle", 8), TCleanVerdict::TooShort},
      {"exactly the shortest kept", all, song("Artiste - Chanson", 30), TCleanVerdict::Keep},
      {"a long programme", all, song("Le journal", 10 * 60 + 1), TCleanVerdict::TooLong},
      {"exactly the longest kept", all, song("Artiste - Chanson", 10 * 60), TCleanVerdict::Keep},
      {"an advertisement, any case", all, song("PUBLICITÉ - Marque", 60), TCleanVerdict::Ignored},
      {"the station's name", all, song("Vous écoutez Radio Zova", 60), TCleanVerdict::Ignored},
      {"a word inside another is a match", all, song("Publicités", 60), TCleanVerdict::Ignored},
      {"a title saved before, skipped", all, song("Artiste - Chanson", 200, true, true, true), TCleanVerdict::Repeat},
      {"a title saved before, numbered", [] {
         TCleanRules r;
         r.SkipRepeats = false;
         return r;
       }(),
       song("Artiste - Chanson", 200, true, true, true), TCleanVerdict::Keep},
      {"partial comes first", all, song("Publicité", 5, false, false, true), TCleanVerdict::Partial},
  };
  for (const Case& c : cases) EXPECT_EQ(JudgeTrack(c.rules, c.track), c.verdict) << c.name;
  EXPECT_EQ(CleanVerdictText(TCleanVerdict::Keep, QStringLiteral("X")), QString());
  EXPECT_EQ(CleanVerdictText(TCleanVerdict::Ignored, QStringLiteral("Publicité")),
            QString::fromUtf8("Titre ignoré : Publicité"));
}

TEST(CleanTracks, TheIgnoreListAsWritten) {
  const struct {
    const char* text;
    QStringList words;
  } cases[] = {
      {"", {}},
      {"Publicité", {QStringLiteral("Publicité")}},
      {" Publicité ;Radio Zova; ;", {QStringLiteral("Publicité"), QStringLiteral("Radio Zova")}},
      {"pub; PUB", {QStringLiteral("pub")}},  // the same word twice, in any case, once
  };
  for (const auto& c : cases) EXPECT_EQ(ParseIgnoreWords(QString::fromUtf8(c.text)), c.words) << c.text;
  EXPECT_EQ(ParseIgnoreWords(JoinIgnoreWords({QStringLiteral("a b"), QStringLiteral("c")})),
            QStringList({QStringLiteral("a b"), QStringLiteral("c")}));
}

// The page's handlers keep the settings record up to date, and a page loaded from that
// record gives the same rules back.
TEST(CleanTracks, ThePageKeepsTheSettings) {
  TSettings settings;
  settings.RecordOcc = 20;
  TRecordPage page;
  page.Load(settings, QStringLiteral("/nonexistent/"));
  EXPECT_FALSE(page.CleanRules().DropPartial);
  page.cbCleanPartialClick(true);
  page.edCleanMinSecondsChange(45);
  page.edCleanMaxMinutesChange(-3);  // a negative limit is no limit
  page.edCleanIgnoreChange(QStringLiteral("Publicité; Info trafic"));
  page.cbCleanRepeatChange(true);
  EXPECT_TRUE(settings.CleanDropPartial);
  EXPECT_EQ(settings.CleanMinSeconds, 45);
  EXPECT_EQ(settings.CleanMaxMinutes, 0);
  EXPECT_EQ(settings.CleanIgnore, QStringLiteral("Publicité; Info trafic"));
  EXPECT_TRUE(settings.CleanSkipRepeats);
  TRecordPage again;
  again.Load(settings, QStringLiteral("/nonexistent/"));
  const TCleanRules r = again.CleanRules();
  EXPECT_TRUE(r.DropPartial);
  EXPECT_EQ(r.MinSeconds, 45);
  EXPECT_EQ(r.MaxMinutes, 0);
  EXPECT_EQ(r.IgnoreWords, QStringList({QStringLiteral("Publicité"), QStringLiteral("Info trafic")}));
  EXPECT_TRUE(r.SkipRepeats);
}

}  // namespace
