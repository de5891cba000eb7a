// Catalogue files: the XML layout written, files of other writers read, malformed files
// refused without touching the working table, and a write killed half-way.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "catalogue/catalogueread.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/datapacketreader.h"
#include "stationfixture.h"

extern char** environ;

namespace {

QString Fixture(const QString& name) { return QStringLiteral(ZOVALIS_SOURCE_DIR "/tests/fixtures/catalogue/") + name; }

TEST(CatalogueFileWrite, RoundTripKeepsEveryValue) {
  QTemporaryDir dir;
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(cattest::FillStations(table, cattest::FilterStations()));
  ASSERT_TRUE(table.Append());
  const QString awkward = "<Sans Nom> & \"guillemets\" 'apostrophes' été   ";
  ASSERT_TRUE(table.SetFieldText("Radio", awkward));
  ASSERT_TRUE(table.SetFieldText("Url", "http://x/?a=1&b=2"));
  ASSERT_TRUE(table.SetFieldText("Web", "tab\there\nline"));
  // Characters no XML file can hold are not stored: Qt would silently write an empty
  // value and the station would lose its address.
  ASSERT_TRUE(table.SetFieldText("Icon", QString("icon") + QChar(1) + QChar(0xFFFF) + QChar(0xD800) + ".png"));
  EXPECT_EQ(table.FieldText("Icon").Value, QString("icon.png"));
  ASSERT_TRUE(table.Post());
  const QString path = dir.filePath("radios.xml");
  ASSERT_TRUE(table.SaveToFile(path));

  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
  EXPECT_TRUE(bytes.contains("<FIELD attrname=\"Radio\" fieldtype=\"string\" WIDTH=\"64\" required=\"true\"/>"));
  EXPECT_TRUE(bytes.contains("<FIELD attrname=\"BitRate\" fieldtype=\"i4\"/>"));
  EXPECT_FALSE(bytes.contains("Network=\"\""));  // a field without value is left out

  TCatalogueTable back("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(back, TCatalogueKind::Stations));
  ASSERT_TRUE(ReadCatalogueFile(back, path));
  ASSERT_EQ(back.RecordCount(), 11);
  ASSERT_EQ(back.Rows().size(), table.Rows().size());
  for (size_t r = 0; r < table.Rows().size(); ++r)
    for (size_t c = 0; c < 11; ++c) {
      EXPECT_EQ(back.Rows()[r][c].HasValue, table.Rows()[r][c].HasValue) << r << "," << c;
      EXPECT_EQ(back.Rows()[r][c].Text, table.Rows()[r][c].Text) << r << "," << c;
      EXPECT_EQ(back.Rows()[r][c].Int, table.Rows()[r][c].Int) << r << "," << c;
    }
}

// The older seven-field form is written back with the eleven station fields.
TEST(CatalogueFileWrite, SevenFieldFileIsRewrittenWithElevenFields) {
  QTemporaryDir dir;
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(table, TCatalogueKind::Stations));
  ASSERT_TRUE(ReadCatalogueFile(table, Fixture("seven-fields.xml")));
  const QString path = dir.filePath("radios.xml");
  ASSERT_TRUE(table.SaveToFile(path));
  const TTableValue<TDataPacket> back = ReadDataPacketFile(path);
  ASSERT_TRUE(back.Ok());
  EXPECT_EQ(back.Value.Fields.size(), 11);
  ASSERT_EQ(back.Value.Rows.size(), 2u);
  EXPECT_EQ(back.Value.Rows[0][7].Text, QString("N/A"));
  EXPECT_TRUE(back.Value.Rows[0][8].HasValue);
}

TEST(CatalogueFileWrite, UnwritableFolderIsAFileError) {
  TCatalogueTable table("genreDataSet");
  ASSERT_TRUE(CreateCatalogueTable(table, TCatalogueKind::Genres));
  const TTableResult r = table.SaveToFile("/proc/no-such-folder/genre.xml");
  ASSERT_FALSE(r.Ok());
  EXPECT_EQ(r.Error->Kind, TTableErrorKind::FileError);
}

// Files of other writers and older versions, read through a scratch table.
struct TReadCase {
  const char* Name;
  const char* File;
  TCatalogueKind Kind;
  QStringList Fields;               // fields checked, in this order
  std::vector<QStringList> Rows;    // their expected values per row
};

void PrintTo(const TReadCase& c, std::ostream* os) { *os << c.Name; }

class CatalogueFileRead : public ::testing::TestWithParam<TReadCase> {};

TEST_P(CatalogueFileRead, CopiesTheRowsAsTheLayoutSays) {
  const TReadCase& c = GetParam();
  TCatalogueTable table(CatalogueTableName(c.Kind));
  ASSERT_TRUE(CreateCatalogueTable(table, c.Kind));
  const TTableResult r = ReadCatalogueFile(table, Fixture(c.File));
  ASSERT_TRUE(r.Ok()) << r.Error->Text().toStdString();
  ASSERT_EQ(table.RecordCount(), int(c.Rows.size()));
  int row = 0;
  for (table.First(); !table.Eof() && row < table.RecordCount(); table.Next(), ++row) {
    QStringList values;
    for (const QString& f : c.Fields) values << table.FieldText(f).Value;
    EXPECT_EQ(values, c.Rows[size_t(row)]) << "row " << row;
  }
}

const QStringList kStream = {"Radio", "Genre", "StreamType", "BitRate", "SampleRate", "Channels"};

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CatalogueFileRead,
    ::testing::Values(
        TReadCase{"SevenFieldsGetNotMeasured", "seven-fields.xml", TCatalogueKind::Stations, kStream,
                  {{"FIP", "Eclectique", "N/A", "0", "0", "N/A"}, {"Jazz Radio", "Jazz", "N/A", "0", "0", "N/A"}}},
        TReadCase{"OtherCountLeavesStreamEmpty", "nine-fields.xml", TCatalogueKind::Stations, kStream,
                  {{"FIP", "", "", "", "", ""}}},
        TReadCase{"Windows1252WithoutDeclaration", "windows-1252.xml", TCatalogueKind::Stations, {"Radio", "Genre"},
                  {{"Radio Clásica", ""}, {"€uro FM", "Rock’n’Roll"}}},
        TReadCase{"RowStateAndParams", "rowstate-params.xml", TCatalogueKind::Countries, {"Name", "Flag"},
                  // ordered by Name; the deleted row is gone, the modified one updated
                  {{"Belgique", "be.png"}, {"France", "fr.png"}, {"Suisse", "ch2.png"}}}),
    [](const auto& info) { return std::string(info.param.Name); });

// Malformed files: an error with kind and message; the working table keeps its rows.
struct TBadCase {
  const char* Name;
  const char* File;
  TTableErrorKind Kind;
  int RowsAfter;  // rows of the working table afterwards (10 before)
};

void PrintTo(const TBadCase& c, std::ostream* os) { *os << c.Name; }

class MalformedCatalogueFile : public ::testing::TestWithParam<TBadCase> {};

TEST_P(MalformedCatalogueFile, FailsWithoutLosingRows) {
  const TBadCase& c = GetParam();
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(cattest::FillStations(table, cattest::FilterStations()));
  const TTableResult r = ReadCatalogueFile(table, Fixture(c.File));
  ASSERT_FALSE(r.Ok());
  EXPECT_EQ(r.Error->Kind, c.Kind) << r.Error->Text().toStdString();
  EXPECT_FALSE(r.Error->Message.isEmpty());
  EXPECT_EQ(table.RecordCount(), c.RowsAfter);
  EXPECT_EQ(table.State(), TCatalogueTable::TState::Browse);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, MalformedCatalogueFile,
    ::testing::Values(TBadCase{"Truncated", "truncated.xml", TTableErrorKind::BadFile, 10},
                      TBadCase{"UnknownFieldType", "unknown-type.xml", TTableErrorKind::BadFile, 10},
                      TBadCase{"UndeclaredRowAttribute", "undeclared-attribute.xml", TTableErrorKind::BadFile, 10},
                      TBadCase{"IntegerThatIsNot", "bad-integer.xml", TTableErrorKind::BadFile, 10},
                      TBadCase{"OtherRootElement", "not-a-datapacket.xml", TTableErrorKind::BadFile, 10},
                      TBadCase{"MissingFile", "does-not-exist.xml", TTableErrorKind::FileError, 10},
                      // A name the copy reads is missing: the load fails at the first row.
                      TBadCase{"MissingFieldName", "missing-url-field.xml", TTableErrorKind::UnknownField, 10},
                      // A row that cannot be posted: the rows before it stay.
                      TBadCase{"RowWithoutRadio", "row-without-radio.xml", TTableErrorKind::RequiredField, 12}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(MalformedCatalogueFileSize, HugeFileIsRefusedBeforeReading) {
  QTemporaryDir dir;
  const QString path = dir.filePath("radios.xml");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_TRUE(file.resize(MaxDataPacketSize + 1));  // sparse: costs no disk
  file.close();
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(CreateCatalogueTable(table, TCatalogueKind::Stations));
  const TTableResult r = ReadCatalogueFile(table, path);
  ASSERT_FALSE(r.Ok());
  EXPECT_EQ(r.Error->Kind, TTableErrorKind::BadFile);
}

// A process killed while it writes leaves the old file whole: the child rewrites a large
// catalogue in a loop (each write takes tens of milliseconds) and is killed at varying
// moments after its first write, so the kill lands inside a write.
TEST(AtomicWrite, KilledWriterLeavesAWholeFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("radios.xml");
  TCatalogueTable table("radiosDataset");
  ASSERT_TRUE(cattest::FillStations(table, cattest::FilterStations()));
  ASSERT_TRUE(table.SaveToFile(path));

  for (int round = 0; round < 4; ++round) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], 1);
    posix_spawn_file_actions_addclose(&actions, ready[0]);
    const std::string exe = CATALOGUE_WRITE_CHILD;
    const std::string target = path.toStdString();
    char* argv[] = {const_cast<char*>(exe.c_str()), const_cast<char*>(target.c_str()), const_cast<char*>("20000"), nullptr};
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    ASSERT_EQ(spawned, 0);
    char byte = 0;
    const bool started = read(ready[0], &byte, 1) == 1;  // the child's first write is done
    close(ready[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(7 + 23 * round));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(started) << "the child did not write";
    EXPECT_TRUE(WIFSIGNALED(status)) << "the child ended by itself";

    TCatalogueTable back("radiosDataset");
    ASSERT_TRUE(CreateCatalogueTable(back, TCatalogueKind::Stations));
    const TTableResult r = ReadCatalogueFile(back, path);
    ASSERT_TRUE(r.Ok()) << r.Error->Text().toStdString();
    EXPECT_EQ(back.RecordCount(), 20000);
  }
}

}  // namespace
