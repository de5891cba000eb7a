// The table's fast selection (sorted column indexes for comparisons with a constant, the
// column laid end to end for "like '%text%'") must select exactly the rows that testing
// each row selects, and the orders it keeps must equal fresh sorts, also after rows were
// edited or deleted.
#include <gtest/gtest.h>

#include <random>

#include "catalogue/catalogueschema.h"
#include "catalogue/cataloguetable.h"
#include "catalogue/filterparser.h"
#include "stationfixture.h"

namespace {

// Name: a long text (scanned); Kind: a short text (indexed); Num: an integer (indexed).
void MakeTable(TCatalogueTable& table, bool ignoreCase) {
  table.ClearFields();
  table.AddField({"Name", TFieldType::String, 64, false});
  table.AddField({"Kind", TFieldType::String, 7, false});
  table.AddField({"Num", TFieldType::Integer, 0, false});
  table.SetIgnoreCase(ignoreCase);
  ASSERT_TRUE(table.CreateDataSet());
  struct Row {
    const char* Name;  // nullptr: no value
    const char* Kind;
    const char* Num;
  };
  // Rows next to each other whose texts only match across their boundary ("ab" + "cd"),
  // missing values, case variants, the integer extremes and an accented capital.
  const Row rows[] = {
      {"ab", "MP3", "128"},          {"cd", "mp3", "0"},           {nullptr, nullptr, nullptr},
      {"Radio FM", "AAC", "-5"},     {"fm", "Mp3", "2147483647"},  {"FMFM", "OGG", "-2147483648"},
      {"L'Esprit", "N/A", "320"},    {"ÉCOLE fm", "ÉTÉ", "128"},   {"école", "été", "64"},
      {"xyzfm", "", "128"},          {"a_b%c", "WMA", "192"},       {"b", "aac", "127"},
  };
  for (const Row& r : rows) {
    ASSERT_TRUE(table.Append());
    ASSERT_TRUE(table.SetFieldText("Name", r.Name ? QString(r.Name) : QString()));
    ASSERT_TRUE(table.SetFieldText("Kind", r.Kind ? QString(r.Kind) : QString()));
    ASSERT_TRUE(table.SetFieldText("Num", r.Num ? QString(r.Num) : QString()));
    ASSERT_TRUE(table.Post());
  }
}

// The rows passing `expression` found by testing each row, in storage order.
std::vector<int> RowByRow(const TCatalogueTable& table, const QString& expression) {
  TFilterParser parser(table.Fields(), table.IgnoreCase());
  auto parsed = parser.Parse(expression);
  std::vector<int> rows;
  for (size_t r = 0; r < table.Rows().size(); ++r)
    if (!parsed.Value || parsed.Value->accept(table.Rows()[r])) rows.push_back(int(r));
  return rows;
}

// The rows the table shows for `expression` (insertion order, no index).
std::vector<int> Shown(TCatalogueTable& table, const QString& expression) {
  EXPECT_TRUE(table.SetFilter(expression).Ok()) << expression.toStdString();
  std::vector<int> rows;
  for (int pos = 0; const TRow* row = table.ViewRow(pos); ++pos) rows.push_back(int(row - table.Rows().data()));
  return rows;
}

const char* const kExpressions[] = {
    // Short text column: every operator, the constant on either side, case, accents.
    "Kind = 'MP3'", "Kind = 'mp3'", "'MP3' = Kind", "Kind <> 'MP3'", "Kind < 'M'", "Kind <= 'MP3'", "Kind > 'MP3'",
    "Kind >= 'N/A'", "'N' < Kind", "Kind = ''", "Kind <> ''", "Kind = 'été'", "Kind = 'ÉTÉ'", "lower(Kind) = 'mp3'",
    "upper(Kind) = 'MP3'", "Kind = 'ZZZ'",
    // Integer column: ranges, extremes, numbers beyond 32 bits, a quoted number.
    "Num < 128", "Num >= 128", "Num = 0", "Num <> 128", "Num <= -5", "Num > 2147483646", "Num < -2147483647",
    "Num < 99999999999", "Num > -99999999999", "128 <= Num", "Num = '192'", "0 = Num",
    // Contains: across row boundaries, at the ends, empty, wildcards inside, accents.
    "lower(Name) like '%bc%'", "lower(Name) like '%fm%'", "lower(Name) like '%mfm%'", "lower(Name) like '%%'",
    "lower(Name) like '%b%'", "lower(Name) like '%é%'", "lower(Name) like '%ÉCOLE%'", "Name like '%FM%'",
    "lower(Name) like '%a_b%'", "lower(Name) like '%l''e%'", "lower(Kind) like '%3%'", "lower(Num) like '%12%'",
    // Combinations of indexed and scanned parts.
    "Kind = 'MP3' and Num >= 128", "( Kind='MP3' and Num >=320 ) or ( Kind='OGG' and Num >=224 ) or Kind = 'AAC'",
    "Num >= 128 and lower(Name) like '%fm%'", "lower(Name) like '%fm%' or Num < 0", "not (Kind = 'MP3')",
    "not (lower(Name) like '%fm%') and Num <> 128", "Kind = 'MP3' or lower(Name) like '%b%'",
    "( ( Kind='MP3' and Num >=320 ) or ( Kind='WMA' and Num >=192 ) ) and Kind <> 'N/A'"};

TEST(FastSelection, AgreesWithTestingEachRow) {
  for (const bool ignoreCase : {true, false}) {
    TCatalogueTable table("t");
    MakeTable(table, ignoreCase);
    for (const char* e : kExpressions) {
      SCOPED_TRACE(std::string(e) + (ignoreCase ? " (ignoring case)" : " (respecting case)"));
      EXPECT_EQ(Shown(table, e), RowByRow(table, e));
    }
  }
}

TEST(FastSelection, ListsTheSelectedRowsInTheCurrentOrder) {
  TCatalogueTable table("t");
  MakeTable(table, true);
  ASSERT_TRUE(table.AddIndex("Num__IdxD", "Num", true));
  ASSERT_TRUE(table.SetIndexName("Num__IdxD"));
  ASSERT_TRUE(table.SetFilter("Kind = 'mp3'"));
  QStringList nums;
  for (int pos = 0; pos < table.RecordCount(); ++pos) nums << QString::number((*table.ViewRow(pos))[2].Int);
  EXPECT_EQ(nums, QStringList({"2147483647", "128", "0"}));
}

// Indexes and laid-out columns are redone after appends, edits and deletions.
TEST(FastSelection, FollowsChangesOfTheRows) {
  TCatalogueTable table("t");
  MakeTable(table, true);
  const QString kind = "Kind = 'OGG'", name = "lower(Name) like '%zulu%'", num = "Num > 1000";
  ASSERT_TRUE(table.SetFilter(kind));
  EXPECT_EQ(table.RecordCount(), 1);
  ASSERT_TRUE(table.SetFilter(name));
  EXPECT_EQ(table.RecordCount(), 0);
  ASSERT_TRUE(table.SetFilter(num));
  EXPECT_EQ(table.RecordCount(), 1);

  // Edit the first row: a new kind, name and number.
  ASSERT_TRUE(table.SetFilter(QString()));
  ASSERT_TRUE(table.First());
  ASSERT_TRUE(table.Edit());
  ASSERT_TRUE(table.SetFieldText("Kind", "ogg"));
  ASSERT_TRUE(table.SetFieldText("Name", "Zulu"));
  ASSERT_TRUE(table.SetFieldInt("Num", 5000));
  ASSERT_TRUE(table.Post());
  for (const QString& e : {kind, name, num}) EXPECT_EQ(Shown(table, e), RowByRow(table, e)) << e.toStdString();
  EXPECT_EQ(Shown(table, kind).size(), 2u);

  // Append one and delete one.
  ASSERT_TRUE(table.SetFilter(QString()));
  ASSERT_TRUE(table.Append());
  ASSERT_TRUE(table.SetFieldText("Name", "zulu 2"));
  ASSERT_TRUE(table.SetFieldText("Kind", "OGG"));
  ASSERT_TRUE(table.Post());
  ASSERT_TRUE(table.First());
  ASSERT_TRUE(table.Delete());
  for (const QString& e : {kind, name, num}) EXPECT_EQ(Shown(table, e), RowByRow(table, e)) << e.toStdString();
  EXPECT_EQ(Shown(table, name).size(), 1u);
}

// Random edits and deletions on a table that keeps orders and laid-out columns; after
// each, orders and filters (kept or not) must give what a fresh table with the same rows
// gives.
TEST(KeptOrders, FollowEditsAndDeletionsExactly) {
  std::mt19937 rng(20261210);
  auto pick = [&](const QStringList& values) { return values[int(rng() % values.size())]; };
  // Few distinct values, case variants, accents and missing values: many ties.
  const QStringList names = {"", "fip", "FIP", "Fip", "école", "École", "ecole", "Zed", "zèbre", "a", "A", "b'c"};
  const QStringList types = {"", "MP3", "mp3", "AAC", "OGG", "N/A"};
  const QStringList genres = {"", "Rock", "rock", "Jazz,Rock", "Électro", "electro"};
  const QList<int> numbers = {0, 0, 64, 128, 128, -3, 2147483647};
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(table, TCatalogueKind::Stations));
  auto fill = [&] {
    EXPECT_TRUE(table.SetFieldText("Radio", pick(names.mid(1))));
    EXPECT_TRUE(table.SetFieldText("Url", "u"));
    EXPECT_TRUE(table.SetFieldText("Genre", pick(genres)));
    EXPECT_TRUE(table.SetFieldText("Country", pick(names)));
    EXPECT_TRUE(table.SetFieldText("StreamType", pick(types)));
    const int n = numbers[int(rng() % numbers.size())];
    EXPECT_TRUE(table.SetFieldText("BitRate", n == -3 ? QString() : QString::number(n)));
    EXPECT_TRUE(table.SetFieldInt("SampleRate", numbers[int(rng() % numbers.size())]));
  };
  for (int i = 0; i < 120; ++i) {
    ASSERT_TRUE(table.Append());
    fill();
    ASSERT_TRUE(table.Post());
  }
  const QStringList fields = {"Radio", "Genre", "Country", "StreamType", "BitRate", "SampleRate"};
  for (const QString& f : fields) {
    ASSERT_TRUE(table.AddIndex(f + "__IdxA", f, false));
    ASSERT_TRUE(table.AddIndex(f + "__IdxD", f, true));
  }
  const QStringList orders = [&] {
    QStringList o;
    for (const QString& f : fields) o << f + "__IdxA" << f + "__IdxD";
    return o << "list:Genre;Radio" << "list:BitRate;Country" << "";
  }();
  const QStringList filters = {"", "lower(radio) like '%e%'", "lower(genre) like  '%rock%'", "StreamType = 'mp3'",
                               "BitRate >=128", "lower(country) like '%cole%' or BitRate < 64"};
  auto apply = [](TCatalogueTable& t, const QString& order, const QString& filter) {
    if (order.startsWith("list:")) EXPECT_TRUE(t.SortByFields(order.mid(5)));
    else EXPECT_TRUE(t.SetIndexName(order));
    EXPECT_TRUE(t.SetFilter(filter));
  };
  auto shown = [](const TCatalogueTable& t) {
    std::vector<int> rows;
    for (int pos = 0; const TRow* row = t.ViewRow(pos); ++pos) rows.push_back(int(row - t.Rows().data()));
    return rows;
  };
  auto check = [&](const char* when) {
    TCatalogueTable fresh("fresh");
    fresh.SetIgnoreCase(table.IgnoreCase());
    ASSERT_TRUE(fresh.Load(table.Fields(), std::vector<TRow>(table.Rows())));
    for (const QString& f : fields) {
      fresh.AddIndex(f + "__IdxA", f, false);
      fresh.AddIndex(f + "__IdxD", f, true);
    }
    for (int k = 0; k < 4; ++k) {
      const QString order = pick(orders), filter = pick(filters);
      SCOPED_TRACE(std::string(when) + ": " + order.toStdString() + " / " + filter.toStdString());
      apply(table, order, filter);
      apply(fresh, order, filter);
      ASSERT_EQ(shown(table), shown(fresh));
    }
  };
  check("start");
  for (int step = 0; step < 300; ++step) {
    ASSERT_TRUE(table.SetFilter(QString()));
    ASSERT_TRUE(table.SetRecNo(1 + int(rng() % table.RecordCount())));
    if (rng() % 5 == 0 && table.RecordCount() > 20) {
      ASSERT_TRUE(table.Delete());
      check("after a deletion");
    } else {
      ASSERT_TRUE(table.Edit());
      fill();
      ASSERT_TRUE(table.Post());
      check("after an edit");
    }
  }
}

}  // namespace
