// Catalogue files: the XML layout written, files of other writers read, malformed files
// refused without touching the working table, and a write killed half-way: while the
// file is built in memory, and at each moment of its file I/O.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

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
                      // Fields declared again after rows: the rows would lack the new columns.
                      TBadCase{"MetadataTwice", "metadata-twice.xml", TTableErrorKind::BadFile, 10},
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

// ---- Kills during the file I/O itself ----------------------------------------------------

// The moments of a write at which the writer is killed: its file in the target's folder
// has just been opened for writing (a temporary file appears, or the target is
// truncated), holds half the bytes of a whole file, holds them all, or the rename that
// puts it in place is about to run.
enum class KillMoment { FileOpened, HalfWritten, AllWritten, BeforeRename };

const char* MomentName(KillMoment m) {
  switch (m) {
    case KillMoment::FileOpened: return "file opened";
    case KillMoment::HalfWritten: return "half written";
    case KillMoment::AllWritten: return "all written";
    case KillMoment::BeforeRename: return "before the rename";
  }
  return "?";
}

bool IsOpenCall(uint64_t nr) {
#ifdef SYS_open
  if (nr == SYS_open) return true;
#endif
#ifdef SYS_creat
  if (nr == SYS_creat) return true;
#endif
  return nr == SYS_openat;
}

bool IsWriteCall(uint64_t nr) {
  return nr == SYS_write || nr == SYS_pwrite64 || nr == SYS_writev || nr == SYS_pwritev
#ifdef SYS_pwritev2
         || nr == SYS_pwritev2
#endif
      ;
}

bool IsRenameCall(uint64_t nr) {
#ifdef SYS_rename
  if (nr == SYS_rename) return true;
#endif
  return nr == SYS_renameat || nr == SYS_renameat2;
}

std::string ReadLink(const std::string& path) {
  char buf[PATH_MAX];
  const ssize_t n = readlink(path.c_str(), buf, sizeof buf);
  return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

// The path an open call names, read from the traced process and made absolute.
std::string OpenedPath(pid_t pid, uint64_t nr, const uint64_t* args) {
  const bool at = nr == SYS_openat;
  const uint64_t address = at ? args[1] : args[0];
  const int mem = open(("/proc/" + std::to_string(pid) + "/mem").c_str(), O_RDONLY | O_CLOEXEC);
  if (mem < 0) return {};
  char buf[PATH_MAX] = {};
  const ssize_t n = pread(mem, buf, sizeof buf - 1, off_t(address));
  close(mem);
  if (n <= 0) return {};
  std::string path(buf, strnlen(buf, size_t(n)));
  if (!path.empty() && path[0] != '/') {
    const int dirfd = at ? int(args[0]) : AT_FDCWD;
    const std::string proc = "/proc/" + std::to_string(pid);
    path = ReadLink(dirfd == AT_FDCWD ? proc + "/cwd" : proc + "/fd/" + std::to_string(dirfd)) + "/" + path;
  }
  return path;
}

int OpenFlags(uint64_t nr, const uint64_t* args) {
#ifdef SYS_creat
  if (nr == SYS_creat) return O_WRONLY | O_CREAT | O_TRUNC;
#endif
  return int(nr == SYS_openat ? args[2] : args[1]);
}

// Runs the write child under ptrace, stopped at each of its system calls. Its first
// write (complete) tells the size of a whole file; during its second write it is killed
// at `moment`. Returns "" when the moment came, else why not. Any file opened for
// writing in the target's folder is the file being written, so the test knows nothing
// of how the writer names its temporary files.
std::string KillWriterAt(const std::string& target, const char* mode, KillMoment moment) {
  const std::string folder = target.substr(0, target.rfind('/'));
  const std::string exe = CATALOGUE_WRITE_CHILD;
  std::vector<char*> argv = {const_cast<char*>(exe.c_str()), const_cast<char*>(target.c_str()),
                             const_cast<char*>("20000"), const_cast<char*>(mode), nullptr};
  const int devnull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  const pid_t pid = fork();
  if (pid == 0) {
    if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(126);
    dup2(devnull, 1);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(devnull);
  if (pid < 0) return "fork failed";
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFSTOPPED(status)) return "the child was not traced (ptrace refused?)";
  ptrace(PTRACE_SETOPTIONS, pid, nullptr, reinterpret_cast<void*>(PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL));

  std::string outcome = "the child ended by itself";
  int round = 0;      // writes begun
  int fd = -1;        // the file being written, in the current round
  int64_t written = 0, whole = 0;
  uint64_t nr = 0;
  uint64_t args[6] = {};
  int pass = 0;  // a signal to hand on to the child
  for (;;) {
    if (ptrace(PTRACE_SYSCALL, pid, nullptr, reinterpret_cast<void*>(intptr_t(pass))) != 0) break;
    pass = 0;
    if (waitpid(pid, &status, __WALL) != pid || !WIFSTOPPED(status)) break;
    if (WSTOPSIG(status) != (SIGTRAP | 0x80)) {
      pass = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
      continue;
    }
    __ptrace_syscall_info info{};
    if (ptrace(PTRACE_GET_SYSCALL_INFO, pid, reinterpret_cast<void*>(sizeof info), &info) <= 0) {
      outcome = "PTRACE_GET_SYSCALL_INFO failed";
      break;
    }
    bool killNow = false;
    if (info.op == PTRACE_SYSCALL_INFO_ENTRY) {
      nr = info.entry.nr;
      std::copy(std::begin(info.entry.args), std::end(info.entry.args), args);
      killNow = round == 2 && moment == KillMoment::BeforeRename && IsRenameCall(nr);
    } else if (info.op == PTRACE_SYSCALL_INFO_EXIT && !info.exit.is_error) {
      if (IsOpenCall(nr) && (OpenFlags(nr, args) & O_ACCMODE) != O_RDONLY) {
        const std::string path = OpenedPath(pid, nr, args);
        if (path == folder || path.rfind(folder + "/", 0) == 0) {
          ++round;
          fd = int(info.exit.rval);
          written = 0;
          if (round == 3) {
            outcome = std::string("no ") + MomentName(moment) + " in a whole write";
            kill(pid, SIGKILL);
            break;
          }
          killNow = round == 2 && moment == KillMoment::FileOpened;
        }
      } else if (IsWriteCall(nr) && fd >= 0 && int(args[0]) == fd) {
        written += info.exit.rval;
        if (round == 1) whole = written;
        killNow = round == 2 && ((moment == KillMoment::HalfWritten && written >= whole / 2) ||
                                 (moment == KillMoment::AllWritten && written >= whole));
      } else if (nr == SYS_close && int(args[0]) == fd) {
        fd = -1;
      }
    }
    if (killNow) {
      outcome = "";
      kill(pid, SIGKILL);
      break;
    }
  }
  kill(pid, SIGKILL);
  while (waitpid(pid, &status, __WALL) == pid && !WIFEXITED(status) && !WIFSIGNALED(status)) {
  }
  return outcome;
}

// The whole catalogue the child writes, or why the file is not one.
std::string CheckWholeFile(const QString& path) {
  TCatalogueTable back("radiosDataset");
  if (!CreateCatalogueTable(back, TCatalogueKind::Stations)) return "no table";
  const TTableResult r = ReadCatalogueFile(back, path);
  if (!r.Ok()) return r.Error->Text().toStdString();
  if (back.RecordCount() != 20000) return std::to_string(back.RecordCount()) + " rows";
  return {};
}

constexpr KillMoment kMoments[] = {KillMoment::FileOpened, KillMoment::HalfWritten, KillMoment::AllWritten,
                                   KillMoment::BeforeRename};

// A process killed while the file is being written, at each moment of the file I/O,
// leaves the old file whole.
TEST(AtomicWrite, KilledDuringTheFileWriteLeavesAWholeFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("radios.xml");
  for (KillMoment moment : kMoments) {
    SCOPED_TRACE(MomentName(moment));
    const std::string outcome = KillWriterAt(path.toStdString(), "atomic", moment);
    ASSERT_EQ(outcome, "") << "the kill must land in the file I/O";
    EXPECT_EQ(CheckWholeFile(path), "");
  }
}

// The same kills catch a writer that truncates the target and writes it in place.
TEST(AtomicWrite, KillsCatchAWriterThatTruncatesInPlace) {
  QTemporaryDir dir;
  const QString path = dir.filePath("radios.xml");
  for (KillMoment moment : {KillMoment::FileOpened, KillMoment::HalfWritten}) {
    SCOPED_TRACE(MomentName(moment));
    ASSERT_EQ(KillWriterAt(path.toStdString(), "truncate", moment), "");
    EXPECT_NE(CheckWholeFile(path), "") << "a broken file must be seen";
  }
}

}  // namespace
