// Catalogue performance on a 50,000-station synthetic catalogue: reading radios.xml,
// each browser filter (against SQLite in memory running the same condition on the same rows,
// prepared once, with indexes on BitRate and StreamType),
// sorting by each column, writing the file, and the memory the table takes.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "catalogue/catalogueloader.h"
#include "catalogue/catalogueread.h"
#include "catalogue/httpclient.h"
#include "catalogue/catalogueschema.h"
#include "syntheticcatalogue.h"

namespace {

constexpr int kStations = 50000;

struct TFilterQuery {
  const char* Name;
  const char* Expression;  // as the browser gives it to the table
  const char* Sql;         // the same condition as SQLite is best given it
};

// SQLite gets each condition in its own best form: LIKE already ignores ASCII case and the
// text columns are NOCASE, so no lower() that would defeat its indexes.
const TFilterQuery kFilters[] = {
    {"name", "unaccent(radio) like '%fm%'", "Radio like '%fm%'"},
    {"genre", "unaccent(genre) like  '%rock%'", "Genre like '%rock%'"},
    {"country", "unaccent(country) like '%france%'", "Country like '%france%'"},
    {"network", "unaccent(network) like '%radio france%'", "Network like '%radio france%'"},
    {"stream", "StreamType = 'MP3'", "StreamType = 'MP3'"},
    {"quality_lofi", "BitRate <128", "BitRate <128"},
    {"quality_hifi", "BitRate >=128", "BitRate >=128"},
    {"quality_cd",
     "( ( StreamType='MP3' and BitRate >=320 ) or ( StreamType='OGG' and BitRate >=224 ) or ( StreamType='AAC' and "
     "BitRate >=128 ) or ( StreamType='WMA' and BitRate >=192 ) ) and Channels <> '5.1'",
     "( ( StreamType='MP3' and BitRate >=320 ) or ( StreamType='OGG' and BitRate >=224 ) or ( StreamType='AAC' and "
     "BitRate >=128 ) or ( StreamType='WMA' and BitRate >=192 ) ) and Channels <> '5.1'"},
    {"quality_surround", "BitRate >=128 and Channels='5.1'", "BitRate >=128 and Channels='5.1'"},
};

// The shared catalogue: the table, its file and the same rows in SQLite.
struct TBenchCatalogue {
  QTemporaryDir Dir;
  TCatalogueTable Table{QStringLiteral("radiosDataset")};
  sqlite3* Db = nullptr;

  TBenchCatalogue() {
    // The browser's table is loaded from radios.xml: build it the same way.
    TCatalogueTable generated(QStringLiteral("generated"));
    TSyntheticCatalogue generator;
    generator.Fill(generated, kStations);
    generated.SaveToFile(RadiosXml());
    CreateCatalogueTable(Table, TCatalogueKind::Stations);
    ReadCatalogueFile(Table, RadiosXml());
    sqlite3_open(":memory:", &Db);
    // NOCASE columns: text comparisons ignore case, as on the station table.
    sqlite3_exec(Db,
                 "CREATE TABLE radios(Radio TEXT COLLATE NOCASE, Url TEXT COLLATE NOCASE, Genre TEXT COLLATE NOCASE,"
                 " Country TEXT COLLATE NOCASE, Network TEXT COLLATE NOCASE, Web TEXT COLLATE NOCASE,"
                 " Icon TEXT COLLATE NOCASE, StreamType TEXT COLLATE NOCASE, BitRate INTEGER, SampleRate INTEGER,"
                 " Channels TEXT COLLATE NOCASE); BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(Db, "INSERT INTO radios VALUES(?,?,?,?,?,?,?,?,?,?,?)", -1, &insert, nullptr);
    for (const TRow& row : Table.Rows()) {
      for (int c = 0; c < 11; ++c) {
        const TCell& cell = row[size_t(c)];
        if (!cell.HasValue) {
          sqlite3_bind_null(insert, c + 1);
        } else if (Table.Fields()[c].Type == TFieldType::Integer) {
          sqlite3_bind_int(insert, c + 1, cell.Int);
        } else {
          const QByteArray utf8 = cell.Text.toUtf8();
          sqlite3_bind_text(insert, c + 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
        }
      }
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    // The indexes a database would keep for the equality and range filters.
    sqlite3_exec(Db,
                 "COMMIT; CREATE INDEX radios_bitrate ON radios(BitRate);"
                 " CREATE INDEX radios_streamtype ON radios(StreamType); ANALYZE;",
                 nullptr, nullptr, nullptr);
  }
  ~TBenchCatalogue() { sqlite3_close(Db); }
  QString RadiosXml() const { return Dir.filePath(QStringLiteral("radios.xml")); }

  // The count query of `where`, prepared once by the caller and run as often as needed.
  sqlite3_stmt* PrepareCount(const char* where) const {
    const std::string sql = std::string("SELECT count(*) FROM radios WHERE ") + where;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(Db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return nullptr;
    return stmt;
  }
  static int RunCount(sqlite3_stmt* stmt) {
    const int count = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int(stmt, 0) : -1;
    sqlite3_reset(stmt);
    return count;
  }
  int SqliteCount(const char* where) const {
    sqlite3_stmt* stmt = PrepareCount(where);
    const int count = stmt ? RunCount(stmt) : -1;
    sqlite3_finalize(stmt);
    return count;
  }
};

TBenchCatalogue& Catalogue() {
  static TBenchCatalogue catalogue;
  return catalogue;
}

size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

void BM_ReadRadiosXml(benchmark::State& state) {
  const QString path = Catalogue().RadiosXml();
  double tableMb = 0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    auto table = std::make_unique<TCatalogueTable>(QStringLiteral("radiosDataset"));
    CreateCatalogueTable(*table, TCatalogueKind::Stations);
    if (!ReadCatalogueFile(*table, path) || table->RecordCount() != kStations) state.SkipWithError("read failed");
    state.PauseTiming();
    tableMb = double(HeapInUse() - before) / 1e6;
    table.reset();
    state.ResumeTiming();
  }
  state.counters["table_MB"] = tableMb;
}
BENCHMARK(BM_ReadRadiosXml)->Unit(benchmark::kMillisecond);

// The first half of the read alone: the file into a scratch table.
void BM_ReadScratchTable(benchmark::State& state) {
  const QString path = Catalogue().RadiosXml();
  for (auto _ : state) {
    TCatalogueTable scratch(QStringLiteral("scratch"));
    if (!scratch.LoadFromFile(path)) state.SkipWithError("read failed");
  }
}
BENCHMARK(BM_ReadScratchTable)->Unit(benchmark::kMillisecond);

// The loader as the program runs it in the local tuner: re-create the four tables, read
// the station file with the per-row status texts and progress (shown at screen rate),
// read the three lists and write the four files back. Compare with BM_ReadRadiosXml.
struct TCountingDisplay : TLoadDisplay {
  int Repaints = 0;
  QString Last;
  void ShowSplash() override {}
  void HideSplash() override {}
  void SetStatus(const QString& text) override { Last = text; }
  void SetProgressMax(int) override {}
  void SetProgress(int) override {}
  void ProcessEvents() override { ++Repaints; }
  void ShowError(const QString&) override {}
};

void BM_LoadCatalogueLocal(benchmark::State& state) {
  QTemporaryDir data;
  const QString folder = data.filePath(QStringLiteral("tuner/local/"));
  QDir().mkpath(folder);
  TCatalogueTables tables;
  THttpClient http;
  TCountingDisplay display;
  TCatalogueLoader loader(tables, http, display, data.path() + QStringLiteral("/"), data.path() + QStringLiteral("/"));
  loader.Tuner.Mode = QStringLiteral("local");
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(folder + QStringLiteral("radios.xml"));
    QFile::copy(Catalogue().RadiosXml(), folder + QStringLiteral("radios.xml"));
    state.ResumeTiming();
    if (!loader.CreateCatalogueTables() || !loader.LoadCatalogue(QString()) ||
        tables.radiosDataset.RecordCount() != kStations)
      state.SkipWithError("load failed");
  }
  state.counters["repaints"] = benchmark::Counter(display.Repaints, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LoadCatalogueLocal)->Unit(benchmark::kMillisecond);

void BM_WriteRadiosXml(benchmark::State& state) {
  const QString path = Catalogue().Dir.filePath(QStringLiteral("written.xml"));
  for (auto _ : state)
    if (!Catalogue().Table.SaveToFile(path)) state.SkipWithError("write failed");
}
BENCHMARK(BM_WriteRadiosXml)->Unit(benchmark::kMillisecond);

// Apply the filter and count the rows passing it, with the table in the browser's order
// (by name), so the rows passing are listed in that order as the grid needs them.
void BM_Filter(benchmark::State& state, const TFilterQuery& q) {
  TCatalogueTable& table = Catalogue().Table;
  const int expected = Catalogue().SqliteCount(q.Sql);
  if (!table.IndexNames().contains(QStringLiteral("Radio__IdxA")))
    table.AddIndex(QStringLiteral("Radio__IdxA"), QStringLiteral("Radio"), false);
  table.SetIndexName(QStringLiteral("Radio__IdxA"));
  table.First();
  int count = 0;
  for (auto _ : state) {
    table.SetFilter(q.Expression);
    count = table.RecordCount();
    benchmark::DoNotOptimize(count);
  }
  table.SetFilter(QString());
  table.SetIndexName(QString());
  if (count != expected) state.SkipWithError("count differs from SQLite");
  state.counters["rows"] = count;
}

void BM_SqliteFilter(benchmark::State& state, const TFilterQuery& q) {
  sqlite3_stmt* stmt = Catalogue().PrepareCount(q.Sql);
  if (!stmt) {
    state.SkipWithError("SQLite refused the query");
    return;
  }
  int count = 0;
  for (auto _ : state) {
    count = TBenchCatalogue::RunCount(stmt);
    benchmark::DoNotOptimize(count);
  }
  sqlite3_finalize(stmt);
  state.counters["rows"] = count;
}

// Sort by one column: alternately ascending and descending, as column-title clicks do.
// Cold: the rows were loaded again before each click (untimed), so the table has no kept
// order and sorts the whole table. Kept: the table keeps the orders it computed, so
// clicks after the first turn or reuse one.
void BM_Sort(benchmark::State& state, const char* field, bool cold) {
  TCatalogueTable& table = Catalogue().Table;
  const QString f = QString::fromLatin1(field);
  if (!table.IndexNames().contains(f + "__IdxA")) {
    table.AddIndex(f + "__IdxA", f, false);
    table.AddIndex(f + "__IdxD", f, true);
  }
  bool descending = false;
  for (auto _ : state) {
    if (cold) {
      state.PauseTiming();
      table.SetIndexName(QString());
      table.Load(table.Fields(), std::vector<TRow>(table.Rows()));
      state.ResumeTiming();
    }
    table.SetIndexName(f + (descending ? "__IdxD" : "__IdxA"));
    table.First();
    descending = !descending;
  }
  table.SetIndexName(QString());
}

const int kRegistered = [] {
  for (const TFilterQuery& q : kFilters) {
    benchmark::RegisterBenchmark((std::string("BM_Filter/") + q.Name).c_str(), BM_Filter, q)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_SqliteFilter/") + q.Name).c_str(), BM_SqliteFilter, q)
        ->Unit(benchmark::kMillisecond);
  }
  for (const char* f : {"Radio", "Url", "Genre", "Country", "Network", "Web", "Icon", "StreamType", "BitRate",
                        "SampleRate", "Channels"}) {
    benchmark::RegisterBenchmark((std::string("BM_SortCold/") + f).c_str(), BM_Sort, f, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_SortKept/") + f).c_str(), BM_Sort, f, false)
        ->Unit(benchmark::kMillisecond);
  }
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
