// Adding files to the playlist: the rows of 1,000 generated files (MP3 with ID3v2 and a
// cover, Ogg, WMA, WAV, AAC in rotation) from the request until the last row is in the
// model, through the song-information worker and the interface thread's event loop as
// the window has them; TagLib reading the same files with audio properties in the same
// run; and an M3U list of 10,000 entries (the same files ten times) read and added.
// "max_ui_gap_ms" is the longest the interface thread went without serving a 5 ms
// timer meanwhile: the window repaints at least ten times a second while it stays
// below 100 ms.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include "localfiles/m3ufile.h"
#include "localfiles/playlistmodel.h"
#include "localfiles/songinfoqueue.h"
#include "playback/engine/engine.h"

namespace {

constexpr int kFiles = 1000;

struct Files {
  QTemporaryDir dir;
  QStringList paths;
  std::vector<std::string> localPaths;
};

const Files& BenchFiles() {
  static Files files;
  static const bool made = [] {
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedChannels);
    maker.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral(ZOVALIS_TAGS_MAKER), files.dir.path(), QString::number(kFiles)});
    maker.waitForFinished(-1);
    const QDir dir(files.dir.path());
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
      if (name.endsWith(QLatin1String(".json"))) continue;
      files.paths << dir.filePath(name);
      files.localPaths.push_back(QFile::encodeName(files.paths.back()).toStdString());
    }
    return true;
  }();
  (void)made;
  return files;
}

// Adds `paths` to a fresh playlist and runs the event loop until the last row is in.
// Returns the longest gap between two ticks of a 5 ms timer, in ms.
double AddAll(const QStringList& paths, int* rows) {
  TPlaylistModel model;
  TSongInfoQueue queue;
  QObject::connect(&queue, &TSongInfoQueue::RowRead, &model, &TPlaylistModel::Append);
  QEventLoop loop;
  QObject::connect(&queue, &TSongInfoQueue::BusyChanged, &loop, [&loop](bool busy) {
    if (!busy) loop.quit();
  });
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, maxGap = 0;
  QTimer tick;
  tick.setInterval(5);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    maxGap = std::max(maxGap, now - last);
    last = now;
  });
  tick.start();
  queue.Add(paths);
  loop.exec();
  maxGap = std::max(maxGap, clock.elapsed() - last);
  *rows = model.Count();
  return double(maxGap);
}

void BM_PlaylistAdd(benchmark::State& state) {
  const Files& files = BenchFiles();
  if (files.paths.size() != kFiles) {
    state.SkipWithError("the files could not be generated");
    return;
  }
  if (!zengine::IsInitialised()) zengine::Init(-1, 44100, zengine::OutputKind::NullFast);
  double gap = 0;
  int rows = 0;
  for (auto _ : state) gap = std::max(gap, AddAll(files.paths, &rows));
  state.counters["rows"] = rows;
  state.counters["max_ui_gap_ms"] = gap;
  state.counters["files_per_s"] = benchmark::Counter(double(files.paths.size()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

void BM_PlaylistM3U10000(benchmark::State& state) {
  const Files& files = BenchFiles();
  if (files.paths.size() != kFiles) {
    state.SkipWithError("the files could not be generated");
    return;
  }
  if (!zengine::IsInitialised()) zengine::Init(-1, 44100, zengine::OutputKind::NullFast);
  QStringList entries;
  for (int i = 0; i < 10; ++i) entries << files.paths;
  const QString list = files.dir.filePath(QStringLiteral("liste.m3u"));
  QString error;
  if (!WriteM3UFile(list, entries, &error)) {
    state.SkipWithError("the list could not be written");
    return;
  }
  double gap = 0;
  int rows = 0;
  for (auto _ : state) {
    const TM3URead read = ReadM3UFile(list);
    gap = std::max(gap, AddAll(read.Entries, &rows));
  }
  state.counters["rows"] = rows;
  state.counters["max_ui_gap_ms"] = gap;
  state.counters["files_per_s"] = benchmark::Counter(double(entries.size()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

void BM_TagLib(benchmark::State& state) {
  const Files& files = BenchFiles();
  int64_t measured = 0;
  for (auto _ : state) {
    for (const std::string& path : files.localPaths) {
      TagLib::FileRef ref(path.c_str(), true, TagLib::AudioProperties::Average);
      if (ref.isNull()) continue;
      if (const TagLib::Tag* tag = ref.tag())
        benchmark::DoNotOptimize(tag->title().size() + tag->artist().size() + tag->album().size());
      if (const TagLib::AudioProperties* p = ref.audioProperties()) {
        measured += p->lengthInMilliseconds() > 0;
        benchmark::DoNotOptimize(p->bitrate() + p->sampleRate() + p->channels());
      }
    }
  }
  state.counters["measured_files"] = double(measured) / double(state.iterations());
  state.counters["files_per_s"] = benchmark::Counter(double(files.localPaths.size()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

BENCHMARK(BM_PlaylistAdd)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5)->UseRealTime();
BENCHMARK(BM_TagLib)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5)->UseRealTime();
BENCHMARK(BM_PlaylistM3U10000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
