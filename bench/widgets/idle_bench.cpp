// The main face left idle: its background, the analyser ticking every 20 ms on the
// engine's "no channel" and the title scrolling every 100 ms, painted by the offscreen
// platform. Reports the share of one core the process used over the run (target < 1 %).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <ctime>

#include "widgets/paintbox.h"
#include "widgets/scrolltext.h"
#include "widgets/spectrum.h"
#include "widgets/spectrumbands.h"

namespace {

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void BM_IdleMainFace(benchmark::State& state) {
  QWidget face;
  face.setFixedSize(480, 241);
  auto* back = new QLabel(&face);
  back->setGeometry(0, 0, 480, 241);
  back->setPixmap(QPixmap(QStringLiteral(ZOVALIS_PROGRAM_DIR "/skin/main.png")));
  auto* box = new TPaintBox(&face);
  box->setGeometry(7, 210, 64, 23);
  auto* title = new TScrollText(&face);
  title->setGeometry(124, 112, 345, 13);
  title->SetScrollMessage(QStringLiteral("Titre non disponible"));
  title->SetScrollMethod(smPixel);
  title->SetScrolltype(scRight);
  title->SetSpeed(100);
  title->Loaded();
  TSpectrum spectrum(64, 23, 16);
  std::array<float, kSpectrumFftSize> fft{};
  std::array<float, kSpectrumBandCount> bands{};
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    FetchSpectrumBands(0, fft, bands);
    spectrum.Draw(&box->Surface(), bands.data());
    box->update();
  });
  timer.start(20);
  face.show();

  const int seconds = int(state.range(0));
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = ProcessCpuSeconds();
    loop.exec();
    cpu += ProcessCpuSeconds() - cpuStart;
    wall += clock.nsecsElapsed() * 1e-9;
  }
  state.counters["core_percent"] = benchmark::Counter(100.0 * cpu / wall);
}
BENCHMARK(BM_IdleMainFace)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
