#include "mainmockup.h"

#include <QPainter>
#include <QProgressBar>
#include <cmath>

#include "galleryskin.h"
#include "widgets/paintbox.h"
#include "widgets/scrolltext.h"
#include "widgets/simplebtn.h"
#include "widgets/trackskin.h"

using namespace gallery;

namespace {

const QColor kSilver(192, 192, 192), kRed(255, 0, 0), kOlive(128, 128, 0), kGreen(0, 128, 0);

}  // namespace

MainMockup::MainMockup(QWidget* parent) : QWidget(parent) {
  setFixedSize(480, 241);
  auto* back = new QLabel(this);
  back->setGeometry(0, 0, 480, 241);
  back->setPixmap(Picture("main.png"));

  auto* icon = new QLabel(this);
  icon->setGeometry(11, 4, 24, 24);
  icon->setPixmap(Picture("icon24.png"));
  Label(this, "Zovalis 2.1.1", QRect(41, 5, 0, 0), Qt::white, 13);

  Button(this, "MinBtn", Strip("minimise.png", 3), QRect(405, 0, 27, 18), 2, 0, 1);
  Button(this, "CloseBtn", Strip("close.png", 3), QRect(431, 0, 44, 19), 2, 0, 1);

  const TImageList tools = Strip("toolbar.png", 30);
  const struct {
    const char* name;
    int left, face;
    const char* hint;
  } dropDowns[] = {{"RadioBtn", 15, 0, "Ouvrir une radio ..."},
                   {"OpenBtn", 60, 12, "Ouvrir un fichier ..."},
                   {"ConfigBtn", 107, 3, "Configuration"},
                   {"InfoBtn", 154, 6, "Informations"},
                   {"FavorisBtn", 425, 9, "Favoris"}};
  for (const auto& d : dropDowns)
    Button(this, d.name, tools, QRect(d.left, 28, 39, 31), d.face, d.face + 1, d.face + 2)
        ->setToolTip(QString::fromUtf8(d.hint));

  Label(this, "Connecté - Tampon : 100 %", QRect(229, 33, 196, 14), kSilver, 11);
  Label(this, "Jazz / Blues", QRect(217, 64, 250, 13), kSilver, 11, false, Qt::AlignRight | Qt::AlignVCenter);
  auto* station = new QLabel(this);
  station->setGeometry(13, 69, 96, 96);
  station->setPixmap(Picture("noicon.png"));
  Label(this, "Radio Kestrune Jazz", QRect(116, 83, 348, 17), kSilver, 13, true);

  auto* title = new TScrollText(this);
  title->setGeometry(124, 112, 345, 13);
  QFont titleFont(QStringLiteral("MS Sans Serif"));
  titleFont.setPixelSize(11);
  titleFont.setBold(true);
  title->setFont(titleFont);
  QPalette titlePal = title->palette();
  titlePal.setColor(QPalette::WindowText, kSilver);
  title->setPalette(titlePal);
  title->SetScrollMessage("Miles Okoro Quintet - Blue Harbour (live à Montreux, 1987)");
  title->SetScrollMethod(smPixel);
  title->SetScrolltype(scRight);
  title->SetSpeed(100);
  title->Loaded();
  for (int i = 0; i < 30; ++i) title->ScrollTick();  // part-way in for a still shot

  auto* flag = new QLabel(this);
  flag->setGeometry(116, 134, 24, 24);
  QPixmap flagPicture(24, 16);
  flagPicture.fill(Qt::transparent);
  {
    QPainter p(&flagPicture);  // a tricolour stands in for a country flag
    p.fillRect(0, 0, 8, 16, QColor(0, 38, 140));
    p.fillRect(8, 0, 8, 16, Qt::white);
    p.fillRect(16, 0, 8, 16, QColor(220, 36, 40));
  }
  flag->setPixmap(flagPicture);
  Label(this, "France", QRect(145, 138, 102, 15), kSilver, 11);
  Label(this, "MP3", QRect(159, 156, 30, 13), kRed, 11);
  Label(this, "00:12:41", QRect(193, 156, 50, 13), kRed, 11);
  Label(this, "MP3", QRect(258, 156, 30, 13), kOlive, 11);
  Label(this, "128 Kbps", QRect(299, 156, 60, 13), kOlive, 11);
  Label(this, "44100 Hz", QRect(366, 156, 51, 13), kOlive, 11, false, Qt::AlignCenter);
  Label(this, "Stéréo", QRect(435, 156, 31, 13), kOlive, 11, false, Qt::AlignCenter);

  auto* progress = new QProgressBar(this);
  progress->setGeometry(16, 177, 448, 3);
  progress->setTextVisible(false);
  progress->setValue(72);
  progress->setStyleSheet(
      "QProgressBar { border: none; background: transparent; }"
      "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e0e0e4, stop:1 #8a8a90); }");

  Button(this, "PlayBtn", Strip("play.png", 4), QRect(200, 182, 55, 51), 3, -1, -1);  // playing: pause
  Button(this, "RecordBtn", Strip("record.png", 6), QRect(100, 194, 25, 27), 3, 4, 5);  // recording
  Button(this, "StopBtn", Strip("stop.png", 4), QRect(128, 194, 25, 27), 0, 1, 2);
  Button(this, "PrevBtn", Strip("previous.png", 4), QRect(154, 194, 54, 27), 0, 1, 2);
  Button(this, "NextBtn", Strip("next.png", 4), QRect(252, 194, 53, 27), 0, 1, 2);
  Button(this, "SpeakerBtn", Strip("speaker.png", 6), QRect(309, 194, 25, 27), 0, 1, 2);
  // The play key is drawn over the skip keys it overlaps.
  findChild<TSimpleBtn*>("PlayBtn")->raise();

  auto* volume = new TTrackSkin(this);
  volume->setGeometry(338, 197, 46, 20);
  volume->SetTransparent(false);
  volume->SetValeurMax(100);
  volume->LoadPicture(SkinDir() + "track.png");
  volume->SetCurseur(QImage(SkinDir() + "thumb.png"));
  volume->SetPosition(70);

  paintBox_ = new TPaintBox(this);
  paintBox_->setGeometry(7, 210, 64, 23);
  spectrum_ = std::make_unique<TSpectrum>(64, 23, 16);
  spectrum_->LowLevel = 16;
  spectrum_->HighLevel = 20;
  spectrum_->BarWidth = 2;
  spectrum_->BandSpacing = 2;
  spectrum_->LeftOffset = 0;
  connect(paintBox_, &TPaintBox::clicked, this, [this] { spectrum_->ShowPeaks = !spectrum_->ShowPeaks; });
  for (int i = 0; i < 12; ++i) SpectrumTick();
  connect(&spectrumTimer_, &QTimer::timeout, this, &MainMockup::SpectrumTick);
  spectrumTimer_.start(20);

  Label(this, "00:47:05", QRect(421, 209, 50, 13), kGreen, 11);
}

MainMockup::~MainMockup() = default;

void MainMockup::SpectrumTick() {
  // A music-like spectrum: strong lows falling off with frequency, a beat every 24 ticks
  // and a slow wander across the bins.
  ++tick_;
  const float beat = (tick_ % 24) < 3 ? 2.2f : 1.0f;
  for (int k = 0; k < kSpectrumFftSize; ++k) {
    const float wander = 0.5f + 0.5f * std::sin(tick_ * 0.09f + k * 0.11f);
    fft_[size_t(k)] = beat * wander * wander * 0.25f / (1.0f + k * 0.05f);
  }
  ComputeSpectrumBands(fft_, bands_);
  spectrum_->Draw(&paintBox_->Surface(), bands_.data());
  paintBox_->update();
}
