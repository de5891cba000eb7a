// P4: reading the song information of 1,000 files (MP3 with ID3v2 and a cover, Ogg, WMA,
// WAV, AAC in rotation) with measurements on and no picture, against TagLib reading the
// same fields with its audio properties. Both run in the same process over the same
// files, after one warm-up pass, so the page cache serves both alike.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include "playback/engine/engine.h"
#include "tags/songinfo.h"

namespace {

constexpr int kFiles = 1000;

struct Files {
  QTemporaryDir dir;
  QStringList paths;
  std::vector<std::string> localPaths;
};

// Generated once, removed with the temporary folder when the program ends.
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
      files.paths << dir.filePath(name);
      files.localPaths.push_back(QFile::encodeName(files.paths.back()).toStdString());
    }
    return true;
  }();
  (void)made;
  return files;
}

void BM_ReadSongInfo(benchmark::State& state) {
  const Files& files = BenchFiles();
  if (files.paths.size() != kFiles) {
    state.SkipWithError("the files could not be generated");
    return;
  }
  if (!zengine::IsInitialised()) zengine::Init(-1, 44100, zengine::OutputKind::NullFast);
  TSongInfo info;
  int64_t measured = 0;
  for (auto _ : state) {
    for (const QString& path : files.paths) {
      info.ReadSongInfo(path, true, false);
      measured += info.LengthBytes > 0;
      benchmark::DoNotOptimize(info.Title.size());
    }
  }
  state.counters["measured_files"] = double(measured) / double(state.iterations());
  state.counters["files_per_s"] = benchmark::Counter(double(files.paths.size()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

// The two halves of BM_ReadSongInfo, to tell where its time goes: the tag readers and
// the MPEG header search alone, and the engine's open/measure/free alone.
void BM_ReadSongInfoWithoutMeasure(benchmark::State& state) {
  const Files& files = BenchFiles();
  TSongInfo info;
  for (auto _ : state) {
    for (const QString& path : files.paths) {
      info.ReadSongInfo(path, false, false);
      benchmark::DoNotOptimize(info.Title.size());
    }
  }
  state.counters["files_per_s"] = benchmark::Counter(double(files.paths.size()) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

void BM_EngineOpenMeasureFree(benchmark::State& state) {
  const Files& files = BenchFiles();
  if (!zengine::IsInitialised()) zengine::Init(-1, 44100, zengine::OutputKind::NullFast);
  for (auto _ : state) {
    for (const std::string& path : files.localPaths) {
      const zengine::Handle h = zengine::StreamCreateFile(path);
      benchmark::DoNotOptimize(zengine::ChannelGetLength(h));
      zengine::StreamFree(h);
    }
  }
}

void BM_TagLib(benchmark::State& state) {
  const Files& files = BenchFiles();
  int64_t measured = 0;
  for (auto _ : state) {
    for (const std::string& path : files.localPaths) {
      TagLib::FileRef ref(path.c_str(), true, TagLib::AudioProperties::Average);
      if (ref.isNull()) continue;
      if (const TagLib::Tag* tag = ref.tag()) {
        benchmark::DoNotOptimize(tag->title().size() + tag->artist().size() + tag->album().size() +
                                 tag->genre().size() + tag->comment().size() + tag->track() + tag->year());
      }
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

BENCHMARK(BM_ReadSongInfo)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);
BENCHMARK(BM_TagLib)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);
BENCHMARK(BM_ReadSongInfoWithoutMeasure)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);
BENCHMARK(BM_EngineOpenMeasureFree)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.5);

}  // namespace

BENCHMARK_MAIN();
