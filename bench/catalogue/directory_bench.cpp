// The open station directory as a tuner, on a synthetic directory of 55,000 stations in
// its API's JSON form (syntheticdirectory.h), offscreen:
// - the update's work once a server answered: the JSON mapped to catalogue rows, the rows
//   written as the tuner's files;
// - from the cached files to a usable browser (the tuner list's "Annuaire mondial" chosen,
//   the tables loaded, the grid painted);
// - a keystroke in the name box and a click on a column title over the directory;
// - the memory of the browser with the directory loaded against the delivered catalogue.
// Each browser figure is the median of single operations (manual timing).
//
// `directory_bench --write_directory=FILE [--stations=N]` writes the synthetic directory
// instead (to serve it from a local server for manual tries).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

#include "catalogue/catalogueread.h"
#include "catalogue/catalogueschema.h"
#include "catalogue/directorymapping.h"
#include "catalogue/stationdirectory.h"
#include "common/appfolders.h"
#include "syntheticdirectory.h"
#include "windows/downloadform.h"
#include "windows/formlisteradio.h"

namespace {

constexpr int kStations = 55000;
const QString kProgramDir = QStringLiteral(ZOVALIS_PROGRAM_DIR "/");

size_t HeapInUse() {
  const struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

// Resident memory of the process, in bytes.
size_t Resident() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = f.readAll().split(' ');
  return fields.size() > 1 ? size_t(fields[1].toLongLong()) * 4096 : 0;
}

const QByteArray& DirectoryJson() {
  static const QByteArray json = SyntheticDirectoryJson(kStations);
  return json;
}

QString DataFolder() {
  return GetSpecialFolderPath(SpecialFolder::LocalAppData) + QStringLiteral("ZOVA/");
}

QString DirectoryFolder() {
  return DataFolder() + QStringLiteral("tuner/directory/");
}

// The directory's cached files, as an update leaves them.
void WriteDirectoryCache() {
  static bool written = false;
  if (written) return;
  TDirectoryMapping m = MapDirectoryStations(DirectoryJson(), TStationDirectory::CountryNames(kProgramDir));
  const QString error = TStationDirectory::StoreMapping(std::move(m), DirectoryFolder(), kProgramDir);
  if (!error.isEmpty()) std::fprintf(stderr, "directory cache: %s\n", qUtf8Printable(error));
  written = true;
}

void BM_DirectoryMapJson(benchmark::State& state) {
  const QByteArray& json = DirectoryJson();
  const QHash<QString, QString> names = TStationDirectory::CountryNames(kProgramDir);
  double mappedMb = 0;
  int stations = 0;
  for (auto _ : state) {
    const size_t before = HeapInUse();
    TDirectoryMapping m = MapDirectoryStations(json, names);
    state.PauseTiming();
    mappedMb = double(HeapInUse() - before) / 1e6;
    stations = int(m.Stations.size());
    state.ResumeTiming();
  }
  state.counters["json_MB"] = double(json.size()) / 1e6;
  state.counters["mapped_MB"] = mappedMb;
  state.counters["stations"] = stations;
}
BENCHMARK(BM_DirectoryMapJson)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DirectoryStoreFiles(benchmark::State& state) {
  QTemporaryDir dir;
  const TDirectoryMapping mapped = MapDirectoryStations(DirectoryJson(), TStationDirectory::CountryNames(kProgramDir));
  for (auto _ : state) {
    state.PauseTiming();
    TDirectoryMapping copy = mapped;
    state.ResumeTiming();
    const QString error = TStationDirectory::StoreMapping(std::move(copy), dir.path() + QStringLiteral("/"), kProgramDir);
    if (!error.isEmpty()) state.SkipWithError(qUtf8Printable(error));
  }
  state.counters["radios_xml_MB"] = double(QFileInfo(dir.filePath(QStringLiteral("radios.xml"))).size()) / 1e6;
}
BENCHMARK(BM_DirectoryStoreFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

// A browser with what the program gives it: the run's settings and folders, a catalogue
// showing its loads in a splash window, and no main window.
struct TBenchBrowser : TBrowserHost {
  TAppContext App;
  TDownLoadForm Display;
  TCatalogue Catalogue;
  std::unique_ptr<TFormListeRadio> Window;

  TBenchBrowser() {
    App.ExeFolder = kProgramDir;
    App.DataFolder = DataFolder();
    Catalogue.Prepare(Display, App.ExeFolder, App.DataFolder, App.Settings.Mode);
    Catalogue.Directory.SetBase(QStringLiteral("http://127.0.0.1:9/"));  // never reached: the cache is fresh
    Window = std::make_unique<TFormListeRadio>(App, Catalogue, *this);
  }
  ~TBenchBrowser() override { Window.reset(); }
  QWidget* MainWindow() override { return nullptr; }
  void SetTrayHint(const QString&) override {}
  void ShowBalloon(const QString&, const QString&, bool, int) override {}
  bool EditStation() override { return false; }
  void SendMail(const TSupportMail&) override {}
};

std::unique_ptr<TBenchBrowser> shown;

// The shown browser, on the delivered catalogue (the local tuner imported at its first
// choice), with the directory's cache written beside it.
TFormListeRadio& Shown() {
  if (!shown) {
    WriteDirectoryCache();
    shown = std::make_unique<TBenchBrowser>();
    shown->Window->show();
    shown->Window->TunerComboBoxChange(1);
    QApplication::processEvents();
  }
  return *shown->Window;
}

// One operation, timed with what the event loop paints right after it.
template <typename Op>
double TimedWithPaint(Op op) {
  QElapsedTimer t;
  t.start();
  op();
  QApplication::processEvents();
  return double(t.nsecsElapsed()) / 1e9;
}

void BM_DirectoryCacheToBrowser(benchmark::State& state) {
  TFormListeRadio& w = Shown();
  for (auto _ : state) {
    w.TunerComboBoxChange(1);  // the local tuner, untimed
    QApplication::processEvents();
    state.SetIterationTime(TimedWithPaint([&] { w.TunerComboBoxChange(2); }));
    if (w.radiosDataset.RecordCount() < kStations * 9 / 10) state.SkipWithError("directory not loaded");
  }
  state.counters["rows"] = w.radiosDataset.RecordCount();
}
BENCHMARK(BM_DirectoryCacheToBrowser)->UseManualTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(
    benchmark::kMillisecond);

// The directory in the browser for the keystroke and title figures.
TFormListeRadio& DirectoryShown() {
  TFormListeRadio& w = Shown();
  if (w.Loader().Tuner.Mode != QLatin1String("directory")) {
    w.TunerComboBoxChange(2);
    w.rbByNameClick();
    QApplication::processEvents();
  }
  return w;
}

void BM_DirectoryKeystroke(benchmark::State& state) {
  TFormListeRadio& w = DirectoryShown();
  QLineEdit* box = w.nameEditBox();
  // Typing "radio fm" and erasing it again, one key per repetition.
  static const QList<int> keys = {Qt::Key_R, Qt::Key_A, Qt::Key_D, Qt::Key_I, Qt::Key_O, Qt::Key_Space, Qt::Key_F,
                                  Qt::Key_M};
  static int step = 0;
  for (auto _ : state) {
    const int i = step++ % (2 * keys.size());
    const int key = i < keys.size() ? keys[i] : Qt::Key_Backspace;
    state.SetIterationTime(TimedWithPaint([&] { QTest::keyClick(box, Qt::Key(key), Qt::NoModifier); }));
  }
  state.counters["rows"] = w.radiosDataset.RecordCount();
}
BENCHMARK(BM_DirectoryKeystroke)->UseManualTime()->Iterations(1)->Repetitions(32)->ReportAggregatesOnly(true)->Unit(
    benchmark::kMillisecond);

// A click on a column title ("Radios", "Pays", "Genre"), the rows freshly loaded before
// each, as after a tuner load: every click sorts all the directory's rows.
// column -1: "Radios", "Pays", "Genre" in turn.
void BM_DirectorySort(benchmark::State& state, int fixedColumn) {
  TFormListeRadio& w = DirectoryShown();
  static int step = 0;
  QHeaderView* header = w.ListeRadio()->horizontalHeader();
  TCatalogueTable& t = w.radiosDataset;
  for (auto _ : state) {
    t.SetReadOnly(false);
    t.Load(t.Fields(), std::vector<TRow>(t.Rows()));
    t.SetReadOnly(true);
    QApplication::processEvents();
    const int column = fixedColumn >= 0 ? fixedColumn : step++ % 3;
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    state.SetIterationTime(TimedWithPaint([&] { QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at); }));
  }
  state.counters["rows"] = t.RecordCount();
}
BENCHMARK_CAPTURE(BM_DirectorySort, in_turn, -1)
    ->UseManualTime()->Iterations(1)->Repetitions(24)->ReportAggregatesOnly(false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DirectorySort, radios, 0)
    ->UseManualTime()->Iterations(1)->Repetitions(8)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DirectorySort, pays, 1)
    ->UseManualTime()->Iterations(1)->Repetitions(8)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DirectorySort, genre, 2)
    ->UseManualTime()->Iterations(1)->Repetitions(8)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// The heap and resident memory of the browser with the delivered catalogue, then with the
// directory; the station table's own size is the heap a lone table takes reading the
// directory's radios.xml. The target: directory <= 1.5 x delivered + table.
void BM_DirectoryMemory(benchmark::State& state) {
  TFormListeRadio& w = Shown();
  for (auto _ : state) {
    w.TunerComboBoxChange(1);
    QApplication::processEvents();
    malloc_trim(0);
    const double heapDelivered = double(HeapInUse()) / 1e6;
    const double rssDelivered = double(Resident()) / 1e6;
    const int delivered = w.radiosDataset.RecordCount();
    w.TunerComboBoxChange(2);
    QApplication::processEvents();
    malloc_trim(0);
    const double heapDirectory = double(HeapInUse()) / 1e6;
    const double rssDirectory = double(Resident()) / 1e6;

    const size_t before = HeapInUse();
    auto table = std::make_unique<TCatalogueTable>(QStringLiteral("radiosDataset"));
    CreateCatalogueTable(*table, TCatalogueKind::Stations);
    ReadCatalogueFile(*table, DirectoryFolder() + QStringLiteral("radios.xml"));
    const double tableMb = double(HeapInUse() - before) / 1e6;
    table.reset();

    state.counters["delivered_rows"] = delivered;
    state.counters["directory_rows"] = w.radiosDataset.RecordCount();
    state.counters["heap_delivered_MB"] = heapDelivered;
    state.counters["heap_directory_MB"] = heapDirectory;
    state.counters["rss_delivered_MB"] = rssDelivered;
    state.counters["rss_directory_MB"] = rssDirectory;
    state.counters["table_MB"] = tableMb;
    state.counters["heap_budget_MB"] = 1.5 * heapDelivered + tableMb;
    state.counters["rss_budget_MB"] = 1.5 * rssDelivered + tableMb;
  }
}
BENCHMARK(BM_DirectoryMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--write_directory=", 18) == 0) {
      int count = kStations;
      for (int j = 1; j < argc; ++j)
        if (std::strncmp(argv[j], "--stations=", 11) == 0) count = std::atoi(argv[j] + 11);
      QFile out(QString::fromLocal8Bit(argv[i] + 18));
      if (!out.open(QIODevice::WriteOnly) || out.write(SyntheticDirectoryJson(count)) < 0) return 1;
      return 0;
    }
  }
  // Offscreen, with a private home: the browser's folders are made there, and no server
  // is reached (the update server and the directory point at a closed local port).
  QTemporaryDir home;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
  qputenv("ZOVALIS_UPDATE_SERVER", "http://127.0.0.1:9/");
  qputenv("ZOVALIS_DIRECTORY_SERVER", "http://127.0.0.1:9/");
  QApplication app(argc, argv);
  QDir().mkpath(DataFolder() + QStringLiteral("tuner/local"));
  QDir().mkpath(DataFolder() + QStringLiteral("tuner/remote"));
  const QString skin = QCoreApplication::applicationDirPath() + QStringLiteral("/skin");
  if (!QFileInfo::exists(skin)) QFile::link(QStringLiteral(ZOVALIS_PROGRAM_DIR "/skin"), skin);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  shown.reset();  // its windows before the application object
  return 0;
}
