// The table engine: row states, required fields, read-only and closed tables, widths and
// conversions, navigation at the ends of the filtered order, indexes, notifications.
#include <gtest/gtest.h>

#include "catalogue/catalogueschema.h"
#include "stationfixture.h"

namespace {

using cattest::Column;
using cattest::FillStations;
using cattest::FilterStations;
using cattest::TStation;

// Required fields: each row misses one value; the post fails and the row stays pending.
struct TRequiredCase {
  const char* Name;
  TCatalogueKind Kind;
  std::vector<std::pair<const char*, const char*>> Values;
  bool Posts;
};

void PrintTo(const TRequiredCase& c, std::ostream* os) { *os << c.Name; }

class RequiredField : public ::testing::TestWithParam<TRequiredCase> {};

TEST_P(RequiredField, PostFailsWhileARequiredFieldIsEmpty) {
  const TRequiredCase& c = GetParam();
  TCatalogueTable table(CatalogueTableName(c.Kind));
  ASSERT_TRUE(CreateCatalogueTable(table, c.Kind));
  ASSERT_TRUE(table.Append());
  for (const auto& [field, value] : c.Values) ASSERT_TRUE(table.SetFieldText(field, value));
  const TTableResult r = table.Post();
  EXPECT_EQ(r.Ok(), c.Posts);
  if (c.Posts) {
    EXPECT_EQ(table.RecordCount(), 1);
    return;
  }
  EXPECT_EQ(r.Error->Kind, TTableErrorKind::RequiredField);
  EXPECT_EQ(table.State(), TCatalogueTable::TState::Insert);  // still pending
  EXPECT_EQ(table.RecordCount(), 0);
  // Moving away posts first, so it fails too and nothing is lost.
  EXPECT_FALSE(table.First().Ok());
  EXPECT_EQ(table.State(), TCatalogueTable::TState::Insert);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, RequiredField,
    ::testing::Values(TRequiredCase{"StationWithoutRadio", TCatalogueKind::Stations, {{"Url", "http://a/"}}, false},
                      TRequiredCase{"StationWithoutUrl", TCatalogueKind::Stations, {{"Radio", "A"}}, false},
                      TRequiredCase{"StationEmptyTextIsNoValue", TCatalogueKind::Stations, {{"Radio", ""}, {"Url", "u"}}, false},
                      TRequiredCase{"StationComplete", TCatalogueKind::Stations, {{"radio", "A"}, {"URL", "u"}}, true},
                      TRequiredCase{"GenreWithoutName", TCatalogueKind::Genres, {}, false},
                      TRequiredCase{"CountryWithoutFlag", TCatalogueKind::Countries, {{"Name", "France"}}, false},
                      TRequiredCase{"CountryWithoutName", TCatalogueKind::Countries, {{"Flag", "fr.png"}}, false},
                      TRequiredCase{"NetworkWithoutNameIsAccepted", TCatalogueKind::Networks, {}, true}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ReadOnlyTable, RefusesEveryChangeAndKeepsItsRows) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, FilterStations()));
  table.SetReadOnly(true);
  for (const TTableResult& r : {table.Append(), table.Edit(), table.Delete()}) {
    ASSERT_FALSE(r.Ok());
    EXPECT_EQ(r.Error->Kind, TTableErrorKind::ReadOnly);
  }
  EXPECT_EQ(table.RecordCount(), 10);
  EXPECT_EQ(table.SetFieldText("Radio", "x").Error->Kind, TTableErrorKind::NotEditing);
  // Navigation and filters still work on a read-only table; re-creation clears the flag.
  EXPECT_TRUE(table.SetFilter("BitRate <128").Ok());
  EXPECT_TRUE(CreateCatalogueTable(table, TCatalogueKind::Stations));
  EXPECT_FALSE(table.ReadOnly());
}

TEST(ClosedTable, RefusesRowOperations) {
  TCatalogueTable table("genreDataSet");
  for (const TTableResult& r : {table.Append(), table.First(), table.Post(), table.Delete()}) {
    ASSERT_FALSE(r.Ok());
    EXPECT_EQ(r.Error->Kind, TTableErrorKind::ClosedTable);
  }
  ASSERT_TRUE(CreateCatalogueTable(table, TCatalogueKind::Genres));
  table.Close();
  EXPECT_EQ(table.Append().Error->Kind, TTableErrorKind::ClosedTable);
  EXPECT_EQ(table.RecordCount(), 0);
}

// Field writes: widths cut without notice, trailing spaces kept, integers converted.
TEST(FieldValues, WidthsConversionsAndNames) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(table, TCatalogueKind::Stations));
  ASSERT_TRUE(table.Append());
  const QString longName = QString(70, u'n');
  ASSERT_TRUE(table.SetFieldText("radio", longName));
  EXPECT_EQ(table.FieldText("Radio").Value, QString(64, u'n'));
  // Widths count characters, not UTF-16 units: an emoji is one character, and a cut
  // never keeps half of it.
  const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");  // U+1F3B5
  for (const auto& [given, kept] : std::vector<std::pair<QString, QString>>{
           {QString(63, u'n') + emoji, QString(63, u'n') + emoji},
           {QString(63, u'n') + emoji + emoji, QString(63, u'n') + emoji},
           {QString(64, u'n') + emoji, QString(64, u'n')},
           {emoji.repeated(70), emoji.repeated(64)}}) {
    ASSERT_TRUE(table.SetFieldText("Radio", given));
    EXPECT_EQ(table.FieldText("Radio").Value, kept) << given.size();
  }
  ASSERT_TRUE(table.SetFieldText("Radio", "FIP   "));
  EXPECT_EQ(table.FieldText("RADIO").Value, QString("FIP   "));
  ASSERT_TRUE(table.SetFieldText("StreamType", "MP3-LONGER"));
  EXPECT_EQ(table.FieldText("StreamType").Value, QString("MP3-LON"));
  ASSERT_TRUE(table.SetFieldText("NetWork", "Radio France"));
  EXPECT_EQ(table.FieldText("network").Value, QString("Radio France"));

  ASSERT_TRUE(table.SetFieldText("BitRate", "128"));
  EXPECT_EQ(table.FieldInt("BitRate").Value, 128);
  EXPECT_EQ(table.FieldText("BitRate").Value, QString("128"));
  const TTableResult bad = table.SetFieldText("SampleRate", "44.1 kHz");
  ASSERT_FALSE(bad.Ok());
  EXPECT_EQ(bad.Error->Kind, TTableErrorKind::InvalidValue);
  EXPECT_FALSE(table.FieldHasValue("SampleRate").Value);
  EXPECT_EQ(table.FieldText("SampleRate").Value, QString());  // empty, not "0"
  EXPECT_EQ(table.SetFieldText("Bogus", "x").Error->Kind, TTableErrorKind::UnknownField);
  EXPECT_EQ(table.FieldText("Bogus").Error->Kind, TTableErrorKind::UnknownField);
}

TEST(RowStates, AppendEditCancelDelete) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, FilterStations()));
  // A new row not yet posted is dropped by delete.
  ASSERT_TRUE(table.Append());
  ASSERT_TRUE(table.SetFieldText("Radio", "<Sans Nom>"));
  ASSERT_TRUE(table.Delete());
  EXPECT_EQ(table.RecordCount(), 10);
  EXPECT_EQ(table.State(), TCatalogueTable::TState::Browse);
  // Cancel of an edit keeps the old values.
  ASSERT_TRUE(table.SetFilter("lower(radio) = 'fip'"));
  ASSERT_TRUE(table.Edit());
  ASSERT_TRUE(table.SetFieldText("Genre", "Changed"));
  ASSERT_TRUE(table.Cancel());
  EXPECT_EQ(table.FieldText("Genre").Value, QString("Eclectique,Jazz"));
  // An edit that takes the row out of the filter leaves the filtered view.
  ASSERT_TRUE(table.Edit());
  ASSERT_TRUE(table.SetFieldText("Radio", "FIP Jazz"));
  ASSERT_TRUE(table.Post());
  EXPECT_EQ(table.RecordCount(), 0);
  ASSERT_TRUE(table.SetFilter(""));
  EXPECT_TRUE(Column(table).contains("FIP Jazz"));
  // Delete makes the row at the same position current.
  ASSERT_TRUE(table.AddIndex("Radio__IdxA", "Radio", false));
  ASSERT_TRUE(table.SetIndexName("Radio__IdxA"));
  ASSERT_TRUE(table.SetRecNo(2));
  const QString second = table.FieldText("Radio").Value;
  ASSERT_TRUE(table.Delete());
  EXPECT_EQ(table.RecordCount(), 9);
  EXPECT_EQ(table.RecNo(), 2);
  EXPECT_NE(table.FieldText("Radio").Value, second);
}

// Previous / Next of the browser: find prior and next report false at the ends of the
// filtered order and do not move, so the caller wraps with find last / find first.
TEST(Navigation, FindAtTheEndsOfTheFilteredOrder) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, FilterStations()));
  ASSERT_TRUE(table.AddIndex("Radio__IdxA", "Radio", false));
  ASSERT_TRUE(table.SetIndexName("Radio__IdxA"));
  ASSERT_TRUE(table.SetFilter("StreamType = 'OGG'"));  // Ogg Classique, Ogg Low
  EXPECT_EQ(table.RecNo(), 1);
  EXPECT_EQ(table.FieldText("Radio").Value, QString("Ogg Classique"));
  EXPECT_FALSE(table.FindPrior().Found);
  EXPECT_EQ(table.RecNo(), 1);
  EXPECT_TRUE(table.FindLast().Found);
  EXPECT_EQ(table.FieldText("Radio").Value, QString("Ogg Low"));
  EXPECT_FALSE(table.FindNext().Found);
  EXPECT_EQ(table.FieldText("Radio").Value, QString("Ogg Low"));
  EXPECT_TRUE(table.FindFirst().Found);
  EXPECT_TRUE(table.FindNext().Found);
  EXPECT_EQ(table.RecNo(), 2);
  ASSERT_TRUE(table.SetRecNo(1));
  EXPECT_EQ(table.FieldText("Radio").Value, QString("Ogg Classique"));
  // An empty view: nothing found, nothing current, reads are empty.
  ASSERT_TRUE(table.SetFilter("BitRate > 100000"));
  EXPECT_FALSE(table.FindFirst().Found);
  EXPECT_FALSE(table.FindNext().Found);
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(table.RecNo(), 0);
  EXPECT_EQ(table.FieldText("Radio").Value, QString());
  EXPECT_EQ(table.Edit().Error->Kind, TTableErrorKind::NoCurrentRow);
}

// The browser's column-title cycle: "<field>__IdxA", then "__IdxD", then ascending again.
TEST(Indexes, NamesOrderAndStableTies) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, FilterStations()));
  const auto setSortIndex = [&](const QString& field, bool descending) {
    const QString name = field + (descending ? "__IdxD" : "__IdxA");
    if (!table.IndexNames().contains(name)) {
      EXPECT_TRUE(table.AddIndex(name, field, descending));
    }
    return bool(table.SetIndexName(name));
  };
  const auto titleClick = [&](const QString& field) {
    setSortIndex(field, table.IndexName() == field + "__IdxA");
    table.First();
  };
  titleClick("BitRate");
  EXPECT_EQ(table.IndexName(), QString("BitRate__IdxA"));
  // Ties (128: FIP before Aac Stereo, 192: Windows Talk before rock'n'roll FM) keep
  // insertion order.
  EXPECT_EQ(Column(table, "BitRate"), (QStringList{"0", "64", "128", "128", "160", "192", "192", "256", "320", "384"}));
  EXPECT_EQ(Column(table).mid(2, 2), (QStringList{"FIP", "Aac Stereo"}));
  titleClick("BitRate");
  EXPECT_EQ(table.IndexName(), QString("BitRate__IdxD"));
  EXPECT_EQ(Column(table).first(), QString("Surround Live"));
  EXPECT_EQ(Column(table).mid(3, 2), (QStringList{"Windows Talk", "rock'n'roll FM"}));
  titleClick("BitRate");
  EXPECT_EQ(table.IndexName(), QString("BitRate__IdxA"));
  EXPECT_EQ(table.IndexNames(), (QStringList{"BitRate__IdxA", "BitRate__IdxD"}));

  // Texts sort as a dictionary, not by character code; the field list clears the name.
  ASSERT_TRUE(table.SortByFields("radio"));
  EXPECT_EQ(table.IndexName(), QString());
  EXPECT_EQ(Column(table).mid(8), (QStringList{"Surround Live", "Windows Talk"}));
  EXPECT_EQ(Column(table).at(0), QString("Aac Stereo"));
  EXPECT_EQ(Column(table).at(7), QString("rock'n'roll FM"));
  EXPECT_EQ(table.SetIndexName("Nope__IdxA").Error->Kind, TTableErrorKind::UnknownIndex);
  EXPECT_EQ(table.AddIndex("BitRate__IdxA", "BitRate", false).Error->Kind, TTableErrorKind::Definition);
  EXPECT_EQ(table.SortByFields("nope").Error->Kind, TTableErrorKind::UnknownField);
}

// The table keeps the orders it computed: going back to one, or turning one round, must
// give exactly the order a fresh sort gives (ties in insertion order both ways), and a
// change of the rows must drop them.
TEST(Indexes, KeptAndTurnedOrdersEqualFreshSorts) {
  std::vector<TStation> stations = FilterStations();
  // Duplicates, case variants and missing values in every column.
  stations.push_back({"fip", "Jazz", "France", "", "mp3", 128, 44100, "Stereo"});
  stations.push_back({"FIP", "", "", "", "", 0, 0, ""});
  stations.push_back({"Zed", "Jazz", "france", "CBC", "MP3", -1, 48000, "stereo"});
  const auto rowsOf = [](TCatalogueTable& t) {
    std::vector<int> rows;
    for (int pos = 0; const TRow* row = t.ViewRow(pos); ++pos) rows.push_back(int(row - t.Rows().data()));
    return rows;
  };
  for (const QString field : {"Radio", "Genre", "Country", "Network", "StreamType", "BitRate", "SampleRate",
                              "Channels"}) {
    SCOPED_TRACE(field.toStdString());
    TCatalogueTable kept("kept"), fresh("fresh");
    ASSERT_TRUE(FillStations(kept, stations));
    ASSERT_TRUE(FillStations(fresh, stations));
    for (TCatalogueTable* t : {&kept, &fresh}) {
      ASSERT_TRUE(t->AddIndex(field + "__IdxA", field, false));
      ASSERT_TRUE(t->AddIndex(field + "__IdxD", field, true));
    }
    ASSERT_TRUE(kept.SetIndexName(field + "__IdxA"));
    kept.First();
    ASSERT_TRUE(kept.SetIndexName(field + "__IdxD"));  // turned round from the ascending one
    ASSERT_TRUE(fresh.SetIndexName(field + "__IdxD"));
    EXPECT_EQ(rowsOf(kept), rowsOf(fresh));
    ASSERT_TRUE(kept.SetIndexName(field + "__IdxA"));  // kept
    ASSERT_TRUE(fresh.SetIndexName(QString()));
    fresh.First();
    ASSERT_TRUE(fresh.SetIndexName(field + "__IdxA"));
    EXPECT_EQ(rowsOf(kept), rowsOf(fresh));
  }

  // After an edit the kept orders are dropped: the edited row moves.
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, stations));
  ASSERT_TRUE(table.AddIndex("Radio__IdxA", "Radio", false));
  ASSERT_TRUE(table.AddIndex("Radio__IdxD", "Radio", true));
  ASSERT_TRUE(table.SetIndexName("Radio__IdxA"));
  ASSERT_TRUE(table.First());
  EXPECT_EQ(table.FieldText("Radio").Value, QString("Aac Stereo"));
  ASSERT_TRUE(table.SetIndexName("Radio__IdxD"));
  ASSERT_TRUE(table.Last());
  ASSERT_TRUE(table.Edit());
  ASSERT_TRUE(table.SetFieldText("Radio", "Zz Top"));
  ASSERT_TRUE(table.Post());
  ASSERT_TRUE(table.First());
  EXPECT_EQ(table.FieldText("Radio").Value, QString("Zz Top"));
  ASSERT_TRUE(table.SetIndexName("Radio__IdxA"));
  ASSERT_TRUE(table.Last());
  EXPECT_EQ(table.FieldText("Radio").Value, QString("Zz Top"));
}

// Change notifications: one per change, held back while suspended (nested), one
// Refresh at the last resume.
TEST(Notifications, HeldWhileSuspended) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(FillStations(table, FilterStations()));
  std::vector<TCatalogueTable::TChange> spy;
  QObject::connect(&table, &TCatalogueTable::DataChange, [&](TCatalogueTable::TChange c) { spy.push_back(c); });
  ASSERT_TRUE(table.Next());
  EXPECT_EQ(int(spy.size()), 1);
  ASSERT_TRUE(table.SetFilter("BitRate <128"));
  EXPECT_EQ(int(spy.size()), 2);
  EXPECT_EQ(spy.back(), TCatalogueTable::TChange::Filter);
  spy.clear();
  table.SuspendDisplay();
  table.SuspendDisplay();
  ASSERT_TRUE(table.SetFilter(""));
  ASSERT_TRUE(table.Append());
  ASSERT_TRUE(table.SetFieldText("Radio", "New"));
  ASSERT_TRUE(table.SetFieldText("Url", "http://new/"));
  ASSERT_TRUE(table.Post());
  table.ResumeDisplay();
  EXPECT_EQ(int(spy.size()), 0);
  table.ResumeDisplay();
  ASSERT_EQ(int(spy.size()), 1);
  EXPECT_EQ(spy.back(), TCatalogueTable::TChange::Refresh);
  // Resuming with nothing changed sends nothing; an extra resume is ignored.
  spy.clear();
  table.SuspendDisplay();
  table.ResumeDisplay();
  table.ResumeDisplay();
  EXPECT_EQ(int(spy.size()), 0);
  EXPECT_FALSE(table.DisplaySuspended());
}

}  // namespace

namespace {

// The browser restores its filter before any catalogue could be loaded (no connection):
// the text waits for the table's creation.
TEST(FilterBeforeCreation, IsKeptAndAppliedAtCreation) {
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(table.SetFilter("lower(genre) like  '%jazz%'"));
  EXPECT_EQ(table.RecordCount(), 0);
  ASSERT_TRUE(FillStations(table, FilterStations()));
  EXPECT_EQ(table.Filter(), QString("lower(genre) like  '%jazz%'"));
  EXPECT_EQ(table.RecordCount(), 2);
}

}  // namespace
