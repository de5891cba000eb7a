// The table's fast selection (sorted column indexes for comparisons with a constant, the
// column laid end to end for "like '%text%'") must select exactly the rows that testing
// each row selects, and must follow changes of the rows.
#include <gtest/gtest.h>

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

}  // namespace
