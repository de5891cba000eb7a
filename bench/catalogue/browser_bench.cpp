// The station browser window on 50,000 synthetic stations, offscreen: one keystroke in the
// name box (filter, count, status line and the visible rows painted), a click on a column
// title (sort and repaint), and the first showing with the grid painted. Each figure is
// the median of 20 single operations (manual timing, one operation per repetition).
#include <benchmark/benchmark.h>

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

#include <memory>

#include "common/appfolders.h"
#include "syntheticcatalogue.h"
#include "windows/downloadform.h"
#include "windows/formlisteradio.h"

namespace {

constexpr int kStations = 50000;

// Counts the paintings of a widget.
class TPaintCounter : public QObject {
 public:
  explicit TPaintCounter(QWidget* w) { w->installEventFilter(this); }
  int Paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

// A browser with what the program gives it: the run's settings and folders, a catalogue
// showing its loads in a splash window, and no main window.
struct TBenchBrowser : TBrowserHost {
  TAppContext App;
  TDownLoadForm Display;
  TCatalogue Catalogue;
  std::unique_ptr<TFormListeRadio> Window;

  TBenchBrowser() {
    App.ExeFolder = ExecutableFolder();
    App.DataFolder = GetSpecialFolderPath(SpecialFolder::LocalAppData) + QStringLiteral("ZOVA/");
    Catalogue.Prepare(Display, App.ExeFolder, App.DataFolder, App.Settings.Mode);
    Window = std::make_unique<TFormListeRadio>(App, Catalogue, *this);
  }
  ~TBenchBrowser() override { Window.reset(); }
  QWidget* MainWindow() override { return nullptr; }
  void SetTrayHint(const QString&) override {}
  void ShowBalloon(const QString&, const QString&, bool, int) override {}
  bool EditStation() override { return false; }
  void SendMail(const TSupportMail&) override {}
};

// A browser created as at start-up (no catalogue reachable), then given the stations and
// the name filter, as the main window's first showing leaves it.
std::unique_ptr<TBenchBrowser> NewBrowser() {
  auto b = std::make_unique<TBenchBrowser>();
  TSyntheticCatalogue generator;
  generator.Fill(b->Window->radiosDataset, kStations);
  b->Window->rbByNameClick();
  return b;
}

// The browser the keystroke and title-click figures share; ended before the application.
std::unique_ptr<TBenchBrowser> shown;

TFormListeRadio& Shown() {
  if (!shown) {
    shown = NewBrowser();
    shown->Window->show();
    QApplication::processEvents();
  }
  return *shown->Window;
}

// One operation, timed with what the event loop paints right after it.
template <typename Op>
double TimedWithPaint(QWidget* painted, Op op, int* paints) {
  TPaintCounter counter(painted);
  QElapsedTimer t;
  t.start();
  op();
  QApplication::processEvents();  // the update requests: the grid and the status line paint
  const double seconds = double(t.nsecsElapsed()) / 1e9;
  *paints += counter.Paints;
  return seconds;
}

void BM_BrowserKeystroke(benchmark::State& state) {
  TFormListeRadio& w = Shown();
  QLineEdit* box = w.nameEditBox();
  // Typing "radio fm" and erasing it again, one key per repetition.
  static const QList<int> keys = {Qt::Key_R, Qt::Key_A, Qt::Key_D, Qt::Key_I, Qt::Key_O, Qt::Key_Space, Qt::Key_F,
                                  Qt::Key_M};
  static int step = 0;
  int paints = 0;
  for (auto _ : state) {
    const int i = step++ % (2 * keys.size());
    const int key = i < keys.size() ? keys[i] : Qt::Key_Backspace;
    state.SetIterationTime(TimedWithPaint(
        w.ListeRadio()->viewport(), [&] { QTest::keyClick(box, Qt::Key(key), Qt::NoModifier); }, &paints));
  }
  state.counters["rows"] = w.radiosDataset.RecordCount();
  state.counters["grid_paints"] = paints;
}
BENCHMARK(BM_BrowserKeystroke)->UseManualTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->Unit(
    benchmark::kMillisecond);

// Clicks on the titles "Radios", "Pays", "Genre" in turn, after (untimed):
// - kept: nothing; the table keeps the orders it computed;
// - after_edit: one row edited, as when playback stores a station's stream information;
//   the kept orders follow the edit;
// - after_load: the rows loaded again, as after a tuner load; every click sorts all rows.
enum class TBefore { Nothing, Edit, Load };

void BM_BrowserTitleClick(benchmark::State& state, TBefore before) {
  TFormListeRadio& w = Shown();
  QHeaderView* header = w.ListeRadio()->horizontalHeader();
  TCatalogueTable& t = w.radiosDataset;
  static int step = 0;
  int paints = 0;
  for (auto _ : state) {
    if (before == TBefore::Edit) {
      const QString web = t.FieldText(QStringLiteral("Web")).Value;
      if (!t.Edit() || !t.SetFieldText(QStringLiteral("Web"), web + QStringLiteral("x")) || !t.Post())
        state.SkipWithError("edit failed");
    } else if (before == TBefore::Load) {
      t.Load(t.Fields(), std::vector<TRow>(t.Rows()));
    }
    QApplication::processEvents();
    const int column = step++ % 3;
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    state.SetIterationTime(TimedWithPaint(
        w.ListeRadio()->viewport(), [&] { QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at); }, &paints));
  }
  state.counters["grid_paints"] = paints;
}
BENCHMARK_CAPTURE(BM_BrowserTitleClick, kept, TBefore::Nothing)
    ->UseManualTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BrowserTitleClick, after_edit, TBefore::Edit)
    ->UseManualTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BrowserTitleClick, after_load, TBefore::Load)
    ->UseManualTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// The first showing of a browser holding the stations: shown, laid out and the grid painted.
void BM_BrowserFirstShow(benchmark::State& state) {
  int paints = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<TBenchBrowser> b = NewBrowser();
    TFormListeRadio* w = b->Window.get();
    QApplication::processEvents();
    state.ResumeTiming();
    state.SetIterationTime(TimedWithPaint(w->ListeRadio()->viewport(), [&] { w->show(); }, &paints));
    state.PauseTiming();
    b.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["grid_paints"] = paints;
}
BENCHMARK(BM_BrowserFirstShow)->UseManualTime()->Iterations(1)->Repetitions(20)->ReportAggregatesOnly(true)->Unit(
    benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Offscreen, with a private home: the browser's start-up writes its data folder there,
  // and reaches no update server.
  QTemporaryDir home;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("HOME", home.path().toUtf8());
  qputenv("XDG_DATA_HOME", (home.path() + "/.local/share").toUtf8());
  qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
  qputenv("ZOVALIS_UPDATE_SERVER", "http://127.0.0.1:9/");
  QApplication app(argc, argv);
  // The window's pictures are read from the program folder's skin/.
  const QString skin = QCoreApplication::applicationDirPath() + QStringLiteral("/skin");
  if (!QFileInfo::exists(skin)) QFile::link(QStringLiteral(ZOVALIS_PROGRAM_DIR "/skin"), skin);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  shown.reset();  // its windows before the application object
  return 0;
}
