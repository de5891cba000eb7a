// Every skinned widget in every state, side by side: all faces of every button strip,
// the eight visual states of a live button, the slider at several places, analyser
// frames of each kind (3x), and the scrolling text in both methods and directions.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

class TSpectrum;

class WidgetPage : public QWidget {
  Q_OBJECT
 public:
  explicit WidgetPage(QWidget* parent = nullptr);
  ~WidgetPage() override;

 private:
  int AddStrips(int x, int y);
  int AddButtonStates(int x, int y);
  int AddSliders(int x, int y);
  int AddSpectra(int x, int y);
  int AddScrollTexts(int x, int y);
  int AddPictures(int x, int y);
  void Title(const QString& text, int x, int y);

  std::vector<std::unique_ptr<TSpectrum>> spectra_;
};
