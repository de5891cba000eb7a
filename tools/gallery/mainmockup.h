// The main window's look: its background and every control the face shows, at the
// places the window puts them, with a station "playing" (title scrolling, analyser
// moving on a synthetic spectrum). Only the look: the commands come with the window.
#pragma once

#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "widgets/spectrum.h"
#include "widgets/spectrumbands.h"

class TPaintBox;

class MainMockup : public QWidget {
  Q_OBJECT
 public:
  explicit MainMockup(QWidget* parent = nullptr);
  ~MainMockup() override;

  // Advances the analyser one 20 ms tick on its synthetic spectrum.
  void SpectrumTick();

 private:
  TPaintBox* paintBox_;
  std::unique_ptr<TSpectrum> spectrum_;
  std::array<float, kSpectrumFftSize> fft_{};
  std::array<float, kSpectrumBandCount> bands_{};
  QTimer spectrumTimer_;
  int tick_ = 0;
};
