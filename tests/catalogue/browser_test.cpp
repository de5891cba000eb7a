// The station browser's rules without a window: filter expressions, status lines, button
// hints, the editing menu, and what the browser does to the station table (filters,
// orders and their markers, previous and next with wrap, type-ahead, placement).
#include <gtest/gtest.h>

#include "catalogue/browserfilter.h"
#include "catalogue/stationbrowser.h"
#include "stationfixture.h"

namespace {

using cattest::Column;
using cattest::FillStations;
using cattest::FilterStations;
using F = TBrowserFilter;

const char* const kCd =
    "( ( StreamType='MP3' and BitRate >=320 ) or ( StreamType='OGG' and BitRate >=224 ) or ( StreamType='AAC' and "
    "BitRate >=128 ) or ( StreamType='WMA' and BitRate >=192 ) ) and Channels <> '5.1'";

TEST(BrowserFilter, ExpressionsAsTheTableGetsThem) {
  const struct {
    F Filter;
    const char* Text;
    const char* Expression;  // nullptr: the filter is left as it was
  } cases[] = {
      {F::Name, "", "unaccent(radio) like '%%'"},
      {F::Name, "FIP", "unaccent(radio) like '%fip%'"},
      {F::Name, "L'Esprit", "unaccent(radio) like '%l''esprit%'"},
      {F::Name, "rock'n'roll", "unaccent(radio) like '%rock''n''roll%'"},
      {F::Name, "ÉTÉ", "unaccent(radio) like '%ete%'"},
      {F::Name, "Cœur", "unaccent(radio) like '%coeur%'"},
      {F::Name, "Радио", "unaccent(radio) like '%радио%'"},  // other scripts: lower case only,
      {F::Genre, "Jazz", "unaccent(genre) like  '%jazz%'"},  // two spaces, as always written
      {F::Genre, "", "unaccent(genre) like  '%%'"},
      {F::Country, "Côte d'Ivoire", "unaccent(country) like '%cote d''ivoire%'"},
      {F::Network, "Radio France", "unaccent(network) like '%radio france%'"},
      {F::Stream, "MP3", "StreamType = 'MP3'"},
      {F::Stream, "a'b", "StreamType = 'a''b'"},
      {F::Quality, "LO-FI", "BitRate <128"},
      {F::Quality, "HI-FI", "BitRate >=128"},
      {F::Quality, "CD", kCd},
      {F::Quality, "Surround 5.1", "BitRate >=128 and Channels='5.1'"},
      {F::Quality, "", nullptr},
      {F::Quality, "hi-fi", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    const std::optional<QString> e = BrowserFilterExpression(c.Filter, c.Text);
    if (!c.Expression) {
      EXPECT_FALSE(e.has_value());
    } else {
      ASSERT_TRUE(e.has_value());
      EXPECT_EQ(*e, QString(c.Expression));
    }
  }
}

TEST(BrowserFilter, StatusLinesAndTheirPlurals) {
  const struct {
    F Filter;
    const char* Value;
    int Count;
    const char* Status;
  } cases[] = {
      {F::Name, "", 1, "Nombre total de radios : 1 radio trouvée"},
      {F::Name, "", 0, "Nombre total de radios : 0 radio trouvée"},
      {F::Name, "", 120, "Nombre total de radios : 120 radios trouvées"},
      {F::Name, "x", 3, "Nom contenant \"x\" : 3 radios trouvées"},
      {F::Name, "  ", 2, "Nom contenant \"  \" : 2 radios trouvées"},  // spaces filter too
      {F::Genre, "Jazz", 2, "Style Jazz : 2 radios trouvées"},
      {F::Genre, "", 10, "Style : 10 radios trouvées"},  // no genre chosen yet
      {F::Country, "France", 1, "Pays France : 1 radio trouvée"},
      {F::Network, "Radio France", 0, "Réseau Radio France : 0 radio trouvée"},
      {F::Stream, "OGG", 2, "Flux OGG : 2 radios trouvées"},
      {F::Quality, "Surround 5.1", 1, "Qualité Surround 5.1 : 1 radio trouvée"},
  };
  for (const auto& c : cases) EXPECT_EQ(BrowserStatusText(c.Filter, c.Value, c.Count), QString(c.Status));
}

TEST(BrowserFilter, NavigationHintsNameTheFilter) {
  const struct {
    F Filter;
    const char* Value;
    const char* Previous;
    const char* Next;
  } cases[] = {
      {F::Name, "", "Radio précédente.", "Radio suivante."},
      {F::Name, "fm", "Radio dont le nom contient \"fm\" précédente.", "Radio dont le nom contient \"fm\" suivante."},
      {F::Genre, "Jazz", "Radio dans le style Jazz précédente.", "Radio dans le style Jazz suivante."},
      {F::Network, "RTBF", "Radio du réseau RTBF précédente.", "Radio du réseau RTBF suivante."},
      {F::Country, "Suisse", "Radio du pays Suisse précédente.", "Radio du pays Suisse suivante."},
      {F::Quality, "CD", "Radio en qualité CD précédente.", "Radio en qualité CD suivante."},
      {F::Stream, "AAC", "Radio en flux AAC précédente.", "Radio en flux AAC suivante."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BrowserNavigationHints(c.Filter, c.Value), (TNavigationHints{c.Previous, c.Next})) << c.Value;
}

TEST(BrowserFilter, SettingNamesListsAndEditMenu) {
  for (int i = 0; i < kBrowserFilterCount; ++i)
    EXPECT_EQ(FilterFromSettingName(FilterSettingName(F(i))), F(i));
  EXPECT_EQ(FilterSettingName(F::Genre), QString("Genre"));
  EXPECT_FALSE(FilterFromSettingName("genre").has_value());  // exact comparison
  EXPECT_FALSE(FilterFromSettingName("").has_value());
  EXPECT_EQ(StreamTypeItems(), (QStringList{"AAC", "MP3", "OGG", "WMA"}));
  EXPECT_EQ(QualityItems(), (QStringList{"CD", "HI-FI", "LO-FI", "Surround 5.1"}));

  const TEditMenuState off;
  EXPECT_EQ(EditMenuAfterChange(true, 0, off), (TEditMenuState{true, false, false, false}));
  EXPECT_EQ(EditMenuAfterChange(true, 1, off), (TEditMenuState{true, true, true, true}));
  EXPECT_EQ(EditMenuAfterChange(false, 5, off), off);  // remote: as the loader left it
}

// ---- The browser over the station table ------------------------------------------------

class StationBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FillStations(table, FilterStations()));
    QObject::connect(&table, &TCatalogueTable::DataChange, [this] { ++notifications; });
  }
  QString Current() { return table.FieldText("Radio").Value; }
  TCatalogueTable table{"radiosDataset"};
  TStationBrowser browser{table};
  int notifications = 0;
};

TEST_F(StationBrowser, EachFilterShowsItsStationsByNameFirstRowCurrent) {
  const struct {
    F Filter;
    const char* Text;
    QStringList Expected;
  } cases[] = {
      {F::Name, "", {"Aac Stereo", "FIP", "Jazz Radio", "L'Esprit Libre", "Nouveau Poste", "Ogg Classique",
                     "Ogg Low", "rock'n'roll FM", "Surround Live", "Windows Talk"}},
      {F::Name, "o", {"Aac Stereo", "Jazz Radio", "Nouveau Poste", "Ogg Classique", "Ogg Low", "rock'n'roll FM",
                      "Surround Live", "Windows Talk"}},
      {F::Name, "L'ESPRIT", {"L'Esprit Libre"}},
      {F::Name, "'n'", {"rock'n'roll FM"}},
      {F::Genre, "electro", {"Ogg Low", "Surround Live"}},  // "Electro" is part of "Electronique"
      {F::Genre, "Blues", {"rock'n'roll FM"}},               // the second of two genres
      {F::Country, "Belgique", {"L'Esprit Libre", "Windows Talk"}},
      {F::Network, "CBC", {"Ogg Classique"}},
      {F::Stream, "OGG", {"Ogg Classique", "Ogg Low"}},
      {F::Quality, "LO-FI", {"Jazz Radio", "Nouveau Poste"}},  // bit rate 0 included
      {F::Quality, "CD", {"Aac Stereo", "L'Esprit Libre", "Ogg Classique", "Windows Talk"}},
      {F::Quality, "Surround 5.1", {"Surround Live"}},
      {F::Name, "zzz", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    browser.TitleClick(4);  // any other order first: the filter orders by name again
    notifications = 0;
    ASSERT_TRUE(browser.ApplyFilter(c.Filter, c.Text).Found);
    EXPECT_EQ(notifications, 1);  // one change notification for the whole filter change
    EXPECT_EQ(table.IndexName(), QString("Radio__IdxA"));
    EXPECT_EQ(table.RecordCount(), c.Expected.size());
    EXPECT_EQ(Column(table), c.Expected);
    table.Last();
    table.First();
    EXPECT_EQ(table.RecNo(), c.Expected.isEmpty() ? 0 : 1);
    EXPECT_EQ(browser.Marker(0), TSortMarker::Ascending);
    EXPECT_EQ(browser.Marker(4), TSortMarker::None);
  }
  // A quality text outside the four leaves the filter as it was.
  const QString before = table.Filter();
  EXPECT_FALSE(browser.ApplyFilter(F::Quality, "Mono").Found);
  EXPECT_EQ(table.Filter(), before);
}

TEST_F(StationBrowser, TitleClicksCycleAscendingDescendingWithMarkers) {
  browser.TitleClick(4);  // "Débit"
  EXPECT_EQ(table.IndexName(), QString("BitRate__IdxA"));
  EXPECT_EQ(Column(table, "BitRate").first(), QString("0"));
  EXPECT_EQ(browser.Marker(4), TSortMarker::Ascending);
  browser.TitleClick(4);
  EXPECT_EQ(table.RecNo(), 1);
  EXPECT_EQ(table.IndexName(), QString("BitRate__IdxD"));
  EXPECT_EQ(Column(table, "BitRate").first(), QString("384"));
  EXPECT_EQ(browser.Marker(4), TSortMarker::Descending);
  browser.TitleClick(4);
  EXPECT_EQ(table.IndexName(), QString("BitRate__IdxA"));
  browser.TitleClick(1);  // "Pays": another column, ascending, only its marker
  EXPECT_EQ(table.IndexName(), QString("Country__IdxA"));
  EXPECT_EQ(Column(table, "Country").first(), QString("Allemagne"));
  for (int c = 0; c < TStationBrowser::kColumnCount; ++c)
    EXPECT_EQ(browser.Marker(c), c == 1 ? TSortMarker::Ascending : TSortMarker::None) << c;
  // After a filter the table is ascending by name: "Radios" turns it round at once.
  browser.ApplyFilter(F::Name, "");
  browser.TitleClick(0);
  EXPECT_EQ(table.IndexName(), QString("Radio__IdxD"));
  EXPECT_EQ(Current(), QString("Windows Talk"));
  EXPECT_EQ(browser.Marker(0), TSortMarker::Descending);
  EXPECT_EQ(table.IndexNames().size(), 5);

  EXPECT_FALSE(browser.SetSortIndex("Nope", false));
  EXPECT_EQ(table.IndexName(), QString("Radio__IdxD"));
  EXPECT_TRUE(browser.SetSortIndex("Url", true));
  EXPECT_EQ(table.IndexName(), QString("Url__IdxD"));
}

TEST_F(StationBrowser, PreviousAndNextWrapAtBothEnds) {
  browser.ApplyFilter(F::Genre, "rock");  // L'Esprit Libre, rock'n'roll FM
  EXPECT_EQ(Current(), QString("L'Esprit Libre"));
  browser.NextStation();
  EXPECT_EQ(Current(), QString("rock'n'roll FM"));
  browser.NextStation();  // last -> first
  EXPECT_EQ(Current(), QString("L'Esprit Libre"));
  browser.PreviousStation();  // first -> last
  EXPECT_EQ(Current(), QString("rock'n'roll FM"));
  browser.PreviousStation();
  EXPECT_EQ(Current(), QString("L'Esprit Libre"));

  browser.ApplyFilter(F::Name, "FIP");  // one station: stays on it
  browser.NextStation();
  EXPECT_EQ(Current(), QString("FIP"));
  browser.PreviousStation();
  EXPECT_EQ(Current(), QString("FIP"));

  browser.ApplyFilter(F::Name, "zzz");  // none: nothing moves, nothing fails
  browser.NextStation();
  browser.PreviousStation();
  EXPECT_EQ(table.RecNo(), 0);
  EXPECT_EQ(Current(), QString());
}

TEST(StationBrowserNoCatalogue, FiltersWaitForTheFirstCreation) {
  // A start without connection in the remote tuner: the table was never created.
  TCatalogueTable table("radiosDataset");
  TStationBrowser browser(table);
  for (int i = 0; i < kBrowserFilterCount; ++i) {
    const TTableResult r = browser.ApplyFilter(F(i), i == int(F::Quality) ? "CD" : "x");
    EXPECT_TRUE(r.Ok()) << i;
  }
  browser.NextStation();
  browser.PreviousStation();
  browser.TitleClick(2);
  EXPECT_EQ(table.RecordCount(), 0);
}

TEST(SortedListItems, AlphabeticalAsAFrenchReaderSorts) {
  EXPECT_EQ(SortedListItems({"Zouk", "Électro", "jazz", "eclectique", "Jazz", "Années 80"}),
            (QStringList{"Années 80", "eclectique", "Électro", "Jazz", "jazz", "Zouk"}));
}

}  // namespace
