// Searching and ordering as a French reader expects: the browser's contains filters
// ignore accents and case, and texts sort with their accents folded first ("États-Unis"
// among the E's), stations of one country by name.
#include <gtest/gtest.h>

#include "catalogue/browserfilter.h"
#include "catalogue/stationbrowser.h"
#include "catalogue/textcompare.h"
#include "stationfixture.h"

namespace {

using F = TBrowserFilter;
using cattest::Column;
using cattest::FillStations;
using cattest::TStation;

const std::vector<TStation>& AccentedStations() {
  static const std::vector<TStation> s = {
      {"FIP Sacré français !", "Éclectique", "France", "Radio France", "MP3", 128, 44100, "Stereo"},
      {"L'Écho des Montagnes", "Folk", "Suisse", "", "MP3", 128, 44100, "Stereo"},
      {"Cœur de Loire", "Chanson", "France", "", "AAC", 64, 44100, "Stereo"},
      {"Zürich Jazz", "Jazz", "Suisse", "", "OGG", 160, 44100, "Stereo"},
      {"Радио Рекорд", "Électro", "Russie", "", "MP3", 128, 44100, "Stereo"},
      {"Йошкар-Ола FM", "Pop", "Russie", "", "MP3", 128, 44100, "Stereo"},
      {"KEXP Seattle", "Indé", "États-Unis", "", "AAC", 128, 44100, "Stereo"},
      {"Cafe\u0301 Lounge", "Lounge", "Côte d'Ivoire", "Réseau Ivoirien", "MP3", 96, 44100, "Stereo"},
      {"Echo FM", "Pop", "Canada", "", "MP3", 128, 44100, "Stereo"},
  };
  return s;
}

struct TContainsCase {
  const char* Name;
  F Filter;
  const char* Typed;
  QStringList Expected;  // by name
};

void PrintTo(const TContainsCase& c, std::ostream* os) { *os << c.Name; }

class AccentBlindContains : public ::testing::TestWithParam<TContainsCase> {};

TEST_P(AccentBlindContains, FindsTheStationsTypedWithoutOrWithAccents) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, AccentedStations()));
  TStationBrowser browser(table);
  ASSERT_TRUE(browser.ApplyFilter(GetParam().Filter, QString::fromUtf8(GetParam().Typed)).Found);
  EXPECT_EQ(Column(table), GetParam().Expected) << table.Filter().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Browser, AccentBlindContains,
    ::testing::Values(
        TContainsCase{"PlainFindsAcute", F::Name, "sacre", {"FIP Sacré français !"}},
        TContainsCase{"AccentedCapitalsFindAcute", F::Name, "SACRÉ", {"FIP Sacré français !"}},
        TContainsCase{"CedillaFolds", F::Name, "francais", {"FIP Sacré français !"}},
        TContainsCase{"CedillaTypedFindsItself", F::Name, "français", {"FIP Sacré français !"}},
        TContainsCase{"CapitalAcuteFoundLowerAndUpper", F::Name, "ECHO", {"Echo FM", "L'Écho des Montagnes"}},
        TContainsCase{"ApostropheKept", F::Name, "l'echo", {"L'Écho des Montagnes"}},
        TContainsCase{"LigatureSpeltOut", F::Name, "coeur", {"Cœur de Loire"}},
        TContainsCase{"LigatureTyped", F::Name, "CŒUR", {"Cœur de Loire"}},
        TContainsCase{"Umlaut", F::Name, "zurich", {"Zürich Jazz"}},
        TContainsCase{"CombiningAccentInTheName", F::Name, "cafe lou", {"Cafe\u0301 Lounge"}},
        TContainsCase{"CombiningAccentFoundByPrecomposed", F::Name, "café", {"Cafe\u0301 Lounge"}},
        TContainsCase{"CyrillicFindsItself", F::Name, "Радио", {"Радио Рекорд"}},
        TContainsCase{"CyrillicIgnoresCase", F::Name, "РЕКОРД", {"Радио Рекорд"}},
        TContainsCase{"CyrillicShortIKeptApart", F::Name, "иошкар", {}},
        TContainsCase{"CyrillicShortIFindsItself", F::Name, "йошкар", {"Йошкар-Ола FM"}},
        TContainsCase{"GenreAcuteCapital", F::Genre, "electro", {"Радио Рекорд"}},
        TContainsCase{"GenreSeveralAccents", F::Genre, "ECLECTIQUE", {"FIP Sacré français !"}},
        TContainsCase{"CountryEtats", F::Country, "etats", {"KEXP Seattle"}},
        TContainsCase{"CountryCircumflexAndApostrophe", F::Country, "cote d'ivoire", {"Cafe\u0301 Lounge"}},
        TContainsCase{"NetworkAcute", F::Network, "reseau", {"Cafe\u0301 Lounge"}},
        TContainsCase{"StreamStaysExact", F::Stream, "OGG", {"Zürich Jazz"}},
        TContainsCase{"LoneCombiningMarkTyped", F::Name, "\u0301", {}},
        TContainsCase{"NothingTyped", F::Name, "",
                      {"Cafe\u0301 Lounge", "Cœur de Loire", "Echo FM", "FIP Sacré français !", "KEXP Seattle",
                       "L'Écho des Montagnes", "Zürich Jazz", "Йошкар-Ола FM", "Радио Рекорд"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// unaccent() in a written filter: the other side is mapped the same way, whichever it is,
// and the comparisons other than the browser's '%text%' agree with it.
TEST(UnaccentFilter, MapsBothSidesInEveryComparison) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, AccentedStations()));
  ASSERT_TRUE(table.AddIndex("Radio__IdxA", "Radio", false));
  ASSERT_TRUE(table.SetIndexName("Radio__IdxA"));
  const struct {
    const char* Expression;
    QStringList Expected;
  } cases[] = {
      {"unaccent(radio) like '%sacré%'", {"FIP Sacré français !"}},
      {"lower(unaccent(radio)) like '%sacre%'", {"FIP Sacré français !"}},
      {"unaccent(lower(radio)) like '%SACRE%'", {"FIP Sacré français !"}},
      {"unaccent(country) = 'etats-unis'", {"KEXP Seattle"}},
      {"unaccent(country) = 'ÉTATS-UNIS'", {"KEXP Seattle"}},
      {"unaccent(radio) like 'l''echo%'", {"L'Écho des Montagnes"}},
      {"unaccent(radio) like 'c_ur%'", {}},  // "œ" is two letters, "oe"
      {"unaccent(radio) like 'c__ur%'", {"Cœur de Loire"}},
      {"unaccent(channels) = 'STEREO' and unaccent(genre) like '%indé%'", {"KEXP Seattle"}},
      {"unaccent(radio) like '%écho%' or StreamType = 'OGG'", {"Echo FM", "L'Écho des Montagnes", "Zürich Jazz"}},
      {"not unaccent(country) like '%e%'", {"Echo FM"}},
  };
  for (const auto& c : cases) {
    const TTableResult r = table.SetFilter(QString::fromUtf8(c.Expression));
    ASSERT_TRUE(r.Ok()) << c.Expression;
    EXPECT_EQ(Column(table), c.Expected) << c.Expression;
  }
}

// Odd texts from a catalogue or the keyboard are mapped without a crash: the mapping
// only drops accents that follow a Latin letter.
TEST(UnaccentText, OddTexts) {
  const struct {
    QString Text;
    QString Folded;
  } cases[] = {
      {"", ""},
      {"\u0301", "\u0301"},                               // a mark alone stays
      {"e\u0301\u0300", "e"},                             // stacked marks drop
      {"\u0438\u0306", "\u0438\u0306"},                   // Cyrillic и + breve: kept
      {QString(QChar(0xD800)), QString(QChar(0xD800))},   // a lone surrogate half passes
      {QString::fromUtf8("𝄞É"), QString::fromUtf8("𝄞e")},  // a pair passes
      {"ÆSOP Straße", "aesop strasse"},
      {"Ǘ", "u"},                                         // two marks, decomposed twice
      {"Øresund Łódź", "oresund lodz"},
      {"ΆΘΗΝΑ", "άθηνα"},                                 // Greek: lower case only
  };
  for (const auto& c : cases) EXPECT_EQ(FoldText(c.Text, TFold::Unaccent), c.Folded) << c.Text.toStdString();
}

// ---- The order -------------------------------------------------------------------------

struct TOrderCase {
  const char* Name;
  QStringList Sorted;  // as the table must list them
};

void PrintTo(const TOrderCase& c, std::ostream* os) { *os << c.Name; }

class FrenchOrder : public ::testing::TestWithParam<TOrderCase> {};

// The texts inserted in reverse, then sorted by the table's field list, a named index and
// the drop-down lists: the three agree with CollateText.
TEST_P(FrenchOrder, TableListsAndCollateAgree) {
  const QStringList sorted = GetParam().Sorted;
  std::vector<TStation> stations;
  for (auto it = sorted.rbegin(); it != sorted.rend(); ++it)
    stations.push_back({*it, "", "", "", "MP3", 128, 44100, "Stereo"});
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, stations));
  ASSERT_TRUE(table.SortByFields("Radio"));
  EXPECT_EQ(Column(table), sorted);
  ASSERT_TRUE(table.AddIndex("Radio__IdxD", "Radio", true));
  ASSERT_TRUE(table.SetIndexName("Radio__IdxD"));
  QStringList reversed(sorted.rbegin(), sorted.rend());
  EXPECT_EQ(Column(table), reversed);
  QStringList shuffled = reversed;
  EXPECT_EQ(SortedListItems(shuffled), sorted);
  for (qsizetype i = 1; i < sorted.size(); ++i)
    EXPECT_LT(CollateText(sorted[i - 1], sorted[i], false), 0) << sorted[i - 1].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FrenchOrder,
    ::testing::Values(
        TOrderCase{"CountriesWithTheirInitial",
                   {"Allemagne", "Écosse", "Espagne", "États-Unis", "Éthiopie", "France", "Zimbabwe"}},
        TOrderCase{"AccentAfterPlainThenCase", {"Echo", "echo", "Écho", "écho", "Eclair"}},
        TOrderCase{"LigatureAsTwoLetters", {"Odyssée", "Œuvre", "Opéra"}},
        TOrderCase{"CedillaWithC", {"Caen", "Çatal", "Cavalier"}},
        TOrderCase{"CombiningAccentAsPrecomposed", {"Cafe", "Café Noir", "Cafe\u0301s"}},
        TOrderCase{"OtherScriptsAfterLatin", {"Zouk", "Αθήνα", "Радио"}}),
    [](const auto& info) { return std::string(info.param.Name); });

// A click on "Pays" lists each country's stations by name, in both directions, and an
// edited name moves to its place among them.
TEST(CountryOrder, StationsOfACountryByName) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, {{"Zeta", "", "France", "", "MP3", 128, 0, ""},
                                   {"Nostalgie", "", "États-Unis", "", "MP3", 128, 0, ""},
                                   {"alpha", "", "France", "", "MP3", 128, 0, ""},
                                   {"Écho", "", "France", "", "MP3", 128, 0, ""},
                                   {"Beta", "", "Espagne", "", "MP3", 128, 0, ""},
                                   {"Delta", "", "États-Unis", "", "MP3", 128, 0, ""}}));
  TStationBrowser browser(table);
  browser.TitleClick(1);  // "Pays"
  EXPECT_EQ(Column(table, "Country"),
            (QStringList{"Espagne", "États-Unis", "États-Unis", "France", "France", "France"}));
  EXPECT_EQ(Column(table), (QStringList{"Beta", "Delta", "Nostalgie", "alpha", "Écho", "Zeta"}));
  browser.TitleClick(1);  // descending: the countries turn, the names do not
  EXPECT_EQ(Column(table), (QStringList{"alpha", "Écho", "Zeta", "Delta", "Nostalgie", "Beta"}));

  // The kept ascending order follows an edit of a name.
  ASSERT_TRUE(table.First());  // "alpha"
  ASSERT_TRUE(table.Edit());
  ASSERT_TRUE(table.SetFieldText("Radio", "Été"));
  ASSERT_TRUE(table.Post());
  EXPECT_EQ(Column(table), (QStringList{"Écho", "Été", "Zeta", "Delta", "Nostalgie", "Beta"}));
  browser.TitleClick(1);
  EXPECT_EQ(Column(table), (QStringList{"Beta", "Delta", "Nostalgie", "Écho", "Été", "Zeta"}));
}

}  // namespace
