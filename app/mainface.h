// The controls of the main window's face, at their places, sizes, fonts and colours. The
// main window owns them and wires their handlers.
#pragma once

#include <QColor>
#include <QRect>

class QLabel;
class QProgressBar;
class QWidget;
class TPaintBox;
class TScrollText;
class TSimpleBtn;
class TTrackSkin;

struct TMainFace {
  TSimpleBtn *MinBtn = nullptr, *RadioBtn = nullptr, *OpenBtn = nullptr, *ConfigBtn = nullptr, *InfoBtn = nullptr,
             *FavorisBtn = nullptr, *PlayBtn = nullptr, *RecordBtn = nullptr, *StopBtn = nullptr, *PrevBtn = nullptr,
             *NextBtn = nullptr, *SpeakerBtn = nullptr;
  QLabel *edGenre = nullptr, *ImgRadio = nullptr, *RadioName = nullptr, *imgFlag = nullptr, *edCountry = nullptr,
         *LabelRecordType = nullptr, *labelRecordEllapsed = nullptr, *TypeFlux = nullptr, *Debit = nullptr,
         *Frequence = nullptr, *Canaux = nullptr, *labelTimeEllapsed = nullptr;
  TScrollText* EdTitle = nullptr;
  QProgressBar* ProgressBar = nullptr;
  TTrackSkin* VolumeBar = nullptr;
  TPaintBox* PaintBox1 = nullptr;
};

inline const QColor kFaceSilver(192, 192, 192), kFaceRed(255, 0, 0), kFaceOlive(128, 128, 0),
    kFaceGreen(0, 128, 0);

// Builds the face's controls on `form` (480 x 241), pictures from the skin folder.
TMainFace BuildMainFace(QWidget* form);

// A transparent label in MS Sans Serif of `pixels` height.
QLabel* FaceLabel(QWidget* parent, const char* name, QRect geometry, QColor colour, int pixels, bool bold = false);
