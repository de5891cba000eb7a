// Filter expressions against a small station table: every expression the browser, the
// favourites and playback build, the other operators, and texts that must not parse.
#include <gtest/gtest.h>

#include "catalogue/catalogueschema.h"
#include "stationfixture.h"

namespace {

struct TFilterCase {
  const char* Name;
  const char* Expression;
  QStringList Expected;  // Radio values, ascending by Radio
};

void PrintTo(const TFilterCase& c, std::ostream* os) { *os << c.Name; }

class FilterExpression : public ::testing::TestWithParam<TFilterCase> {};

TEST_P(FilterExpression, SelectsTheRightStations) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(cattest::FillStations(table, cattest::FilterStations()));
  ASSERT_TRUE(table.AddIndex("Radio__IdxA", "Radio", false));
  ASSERT_TRUE(table.SetIndexName("Radio__IdxA"));
  const TTableResult r = table.SetFilter(GetParam().Expression);
  ASSERT_TRUE(r.Ok()) << r.Error->Text().toStdString();
  EXPECT_EQ(table.Filter(), QString(GetParam().Expression));
  QStringList expected = GetParam().Expected;
  EXPECT_EQ(table.RecordCount(), expected.size());
  EXPECT_EQ(cattest::Column(table), expected);
}

// Texts sort as a dictionary does: "rock'n'roll FM" between "Ogg Low" and "Surround Live".
const QStringList kAll = {"Aac Stereo",    "FIP",     "Jazz Radio",     "L'Esprit Libre", "Nouveau Poste",
                          "Ogg Classique", "Ogg Low", "rock'n'roll FM", "Surround Live",  "Windows Talk"};

const char* kCd =
    "( ( StreamType='MP3' and BitRate >=320 ) or ( StreamType='OGG' and BitRate >=224 ) or ( StreamType='AAC' and "
    "BitRate >=128 ) or ( StreamType='WMA' and BitRate >=192 ) ) and Channels <> '5.1'";

INSTANTIATE_TEST_SUITE_P(
    Browser, FilterExpression,
    ::testing::Values(
        TFilterCase{"NoFilter", "", kAll},
        TFilterCase{"NameEmptyText", "lower(radio) like '%%'", kAll},
        TFilterCase{"NameIgnoresCase", "lower(radio) like '%fip%'", {"FIP"}},
        TFilterCase{"NameWithApostrophe", "lower(radio) like '%l''esprit%'", {"L'Esprit Libre"}},
        TFilterCase{"TypedTextWithQuotes", "lower(radio) like '%''n''%'", {"rock'n'roll FM"}},
        TFilterCase{"GenreWithDoubleSpace", "lower(genre) like  '%jazz%'", {"FIP", "Jazz Radio"}},
        TFilterCase{"GenrePartOfAnother", "lower(genre) like  '%electro%'", {"Ogg Low", "Surround Live"}},
        TFilterCase{"GenreSecondOfSeveral", "lower(genre) like  '%blues%'", {"rock'n'roll FM"}},
        TFilterCase{"Country", "lower(country) like '%france%'", {"FIP", "Jazz Radio", "Ogg Low"}},
        TFilterCase{"Network", "lower(network) like '%radio france%'", {"FIP"}},
        TFilterCase{"Stream", "StreamType = 'MP3'", {"FIP", "L'Esprit Libre", "rock'n'roll FM"}},
        TFilterCase{"StreamIgnoresCase", "StreamType = 'mp3'", {"FIP", "L'Esprit Libre", "rock'n'roll FM"}},
        TFilterCase{"LoFiIncludesBitRateZero", "BitRate <128", {"Jazz Radio", "Nouveau Poste"}},
        TFilterCase{"HiFi", "BitRate >=128",
                    {"Aac Stereo", "FIP", "L'Esprit Libre", "Ogg Classique", "Ogg Low", "rock'n'roll FM",
                     "Surround Live", "Windows Talk"}},
        TFilterCase{"CdExcludesSurround", kCd, {"Aac Stereo", "L'Esprit Libre", "Ogg Classique", "Windows Talk"}},
        TFilterCase{"Surround51", "BitRate >=128 and Channels='5.1'", {"Surround Live"}},
        TFilterCase{"FavouriteLookup", "lower(radio) = 'fip'", {"FIP"}},
        TFilterCase{"FavouriteWithApostrophe", "lower(radio) = 'l''esprit libre'", {"L'Esprit Libre"}},
        TFilterCase{"LookupFindsAnyCase", "lower(radio) = 'ROCK''N''ROLL fm'", {"rock'n'roll FM"}}),
    [](const auto& info) { return std::string(info.param.Name); });

INSTANTIATE_TEST_SUITE_P(
    Language, FilterExpression,
    ::testing::Values(
        TFilterCase{"NoSpaces", "lower(radio)like'%fip%'", {"FIP"}},
        TFilterCase{"SpacesInsideCall", "lower( radio ) like '%fip%'", {"FIP"}},
        TFilterCase{"KeywordsAndFieldsIgnoreCase", "LOWER(RADIO) LIKE '%fip%' OR BITRATE = 64", {"FIP", "Jazz Radio"}},
        TFilterCase{"LessOrEqual", "BitRate <= 64", {"Jazz Radio", "Nouveau Poste"}},
        TFilterCase{"Greater", "BitRate > 256", {"L'Esprit Libre", "Surround Live"}},
        TFilterCase{"IntegerEqual", "BitRate = 0", {"Nouveau Poste"}},
        TFilterCase{"IntegerNotEqual", "SampleRate <> 44100", {"Nouveau Poste", "Surround Live"}},
        TFilterCase{"QuotedInteger", "BitRate = '192'", {"rock'n'roll FM", "Windows Talk"}},
        TFilterCase{"Not", "not (BitRate >= 128)", {"Jazz Radio", "Nouveau Poste"}},
        TFilterCase{"AndBindsTighter", "BitRate = 0 or BitRate = 64 and StreamType = 'MP3'", {"Nouveau Poste"}},
        TFilterCase{"Underscore", "lower(radio) like 'ogg _ow'", {"Ogg Low"}},
        TFilterCase{"PrefixPattern", "lower(radio) like 'ogg%'", {"Ogg Classique", "Ogg Low"}},
        TFilterCase{"TextLess", "Radio < 'B'", {"Aac Stereo"}},
        TFilterCase{"NoMatch", "lower(radio) like '%zzz%'", {}}),
    [](const auto& info) { return std::string(info.param.Name); });

// Texts that cannot be parsed: the setting fails with FilterSyntax and the table keeps
// its previous filter and rows.
class FilterSyntaxError : public ::testing::TestWithParam<const char*> {};

TEST_P(FilterSyntaxError, FailsAndKeepsThePreviousFilter) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(cattest::FillStations(table, cattest::FilterStations()));
  ASSERT_TRUE(table.SetFilter("BitRate <128"));
  const TTableResult r = table.SetFilter(GetParam());
  ASSERT_FALSE(r.Ok());
  EXPECT_EQ(r.Error->Kind, TTableErrorKind::FilterSyntax);
  EXPECT_FALSE(r.Error->Message.isEmpty());
  EXPECT_EQ(table.Filter(), QString("BitRate <128"));
  EXPECT_EQ(table.RecordCount(), 2);
}

INSTANTIATE_TEST_SUITE_P(Texts, FilterSyntaxError,
                         ::testing::Values("lower(radio) like '%fip", "BitRate <", "Radio = 'a' and", "(Radio = 'a'",
                                           "Radio = 'a')", "Nope = 'a'", "foo(radio) = 'a'", "BitRate << 5",
                                           "Radio 'a'", "Radio = 'a' xor Radio = 'b'", "# = 1", "BitRate ! 3",
                                           "99999999999999999999 = BitRate", "lower(radio like '%a%'", "and",
                                           "Radio = "));

TEST(FilterSyntaxLimits, DeepNestingIsRefusedNotACrash) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(cattest::FillStations(table, cattest::FilterStations()));
  const QString deep = QString(5000, u'(') + "BitRate = 1" + QString(5000, u')');
  const TTableResult r = table.SetFilter(deep);
  ASSERT_FALSE(r.Ok());
  EXPECT_EQ(r.Error->Kind, TTableErrorKind::FilterSyntax);
  const QString nots = QString("not ").repeated(5000) + "BitRate = 1";
  EXPECT_FALSE(table.SetFilter(nots).Ok());
}

// The country table respects case: playback looks a country up by its exact name.
TEST(CountryFilter, RespectsCase) {
  TCatalogueTable table("countryDataSet");
  ASSERT_TRUE(CreateCatalogueTable(table, TCatalogueKind::Countries));
  for (const char* name : {"France", "Côte d'Ivoire"}) {
    ASSERT_TRUE(table.Append());
    ASSERT_TRUE(table.SetFieldText("name", name));
    ASSERT_TRUE(table.SetFieldText("flag", QString(name) + ".png"));
    ASSERT_TRUE(table.Post());
  }
  const struct {
    const char* Expression;
    int Count;
  } cases[] = {{"Name = 'France'", 1}, {"Name = 'france'", 0}, {"lower(Name) = 'france'", 1},
               {"Name = 'Côte d''Ivoire'", 1}, {"lower(name) like '%CÔTE%'", 0}, {"Name <> 'France'", 1}};
  for (const auto& c : cases) {
    ASSERT_TRUE(table.SetFilter(c.Expression)) << c.Expression;
    EXPECT_EQ(table.RecordCount(), c.Count) << c.Expression;
  }
}

}  // namespace
