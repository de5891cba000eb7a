#include "app/mainface.h"

#include <QLabel>
#include <QProgressBar>

#include "widgets/imagelist.h"
#include "widgets/paintbox.h"
#include "widgets/scrolltext.h"
#include "widgets/simplebtn.h"
#include "widgets/skinnedform.h"
#include "widgets/trackskin.h"

namespace {

TImageList Strip(const char* file, int count) {
  return TImageList::FromStrip(LoadSkinPicture(QLatin1String(file)), count);
}

TSimpleBtn* Button(QWidget* parent, const char* name, const TImageList& list, QRect rect, int up, int move,
                   int down, const char* hint = nullptr) {
  auto* b = new TSimpleBtn(parent);
  b->setObjectName(QLatin1String(name));
  b->setGeometry(rect);
  b->Glyphs()->SetGlyphList(list);
  b->Glyphs()->SetFace(up, move, down);
  if (hint) b->setToolTip(QString::fromUtf8(hint));
  return b;
}

}  // namespace

QLabel* FaceLabel(QWidget* parent, const char* name, QRect geometry, QColor colour, int pixels, bool bold) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(geometry);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  label->setFont(font);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  return label;
}

TMainFace BuildMainFace(QWidget* form) {
  TMainFace f;
  f.MinBtn = Button(form, "MinBtn", Strip("minimise.png", 3), QRect(405, 0, 27, 18), 2, 0, 1, nullptr);

  const TImageList tools = Strip("toolbar.png", 30);
  f.RadioBtn = Button(form, "RadioBtn", tools, QRect(15, 28, 39, 31), 0, 1, 2, "Ouvrir une radio ...");
  f.OpenBtn = Button(form, "OpenBtn", tools, QRect(60, 28, 39, 31), 12, 13, 14, "Ouvrir un fichier ...");
  f.ConfigBtn = Button(form, "ConfigBtn", tools, QRect(107, 28, 39, 31), 3, 4, 5, "Configuration");
  f.InfoBtn = Button(form, "InfoBtn", tools, QRect(154, 28, 39, 31), 6, 7, 8, "Informations");
  f.FavorisBtn = Button(form, "FavorisBtn", tools, QRect(425, 28, 39, 31), 9, 10, 11, "Favoris");

  f.edGenre = FaceLabel(form, "edGenre", QRect(217, 64, 250, 13), kFaceSilver, 11);
  f.edGenre->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  f.ImgRadio = new QLabel(form);
  f.ImgRadio->setObjectName(QStringLiteral("ImgRadio"));
  f.ImgRadio->setGeometry(13, 69, 96, 96);
  f.ImgRadio->setAlignment(Qt::AlignCenter);
  f.RadioName = FaceLabel(form, "RadioName", QRect(116, 83, 348, 17), kFaceSilver, 13, true);

  f.EdTitle = new TScrollText(form);
  f.EdTitle->setObjectName(QStringLiteral("EdTitle"));
  f.EdTitle->setGeometry(124, 112, 345, 13);
  QFont titleFont(QStringLiteral("MS Sans Serif"));
  titleFont.setPixelSize(11);
  titleFont.setBold(true);
  f.EdTitle->setFont(titleFont);
  QPalette titlePal = f.EdTitle->palette();
  titlePal.setColor(QPalette::WindowText, kFaceSilver);
  f.EdTitle->setPalette(titlePal);
  f.EdTitle->SetScrollMethod(smPixel);
  f.EdTitle->SetSpeed(100);
  f.EdTitle->SetScrolltype(scRight);
  f.EdTitle->Loaded();

  f.imgFlag = new QLabel(form);
  f.imgFlag->setObjectName(QStringLiteral("imgFlag"));
  f.imgFlag->setGeometry(116, 134, 24, 24);
  f.imgFlag->setAlignment(Qt::AlignCenter);
  f.edCountry = FaceLabel(form, "edCountry", QRect(145, 138, 102, 15), kFaceSilver, 11);
  f.LabelRecordType = FaceLabel(form, "LabelRecordType", QRect(159, 156, 30, 13), kFaceRed, 11);
  f.labelRecordEllapsed = FaceLabel(form, "labelRecordEllapsed", QRect(193, 156, 50, 13), kFaceRed, 11);
  f.labelRecordEllapsed->hide();
  f.TypeFlux = FaceLabel(form, "TypeFlux", QRect(258, 156, 30, 13), kFaceOlive, 11);
  f.Debit = FaceLabel(form, "Debit", QRect(299, 156, 60, 13), kFaceOlive, 11);
  f.Frequence = FaceLabel(form, "Frequence", QRect(366, 156, 51, 13), kFaceOlive, 11);
  f.Frequence->setAlignment(Qt::AlignCenter);
  f.Canaux = FaceLabel(form, "Canaux", QRect(435, 156, 31, 13), kFaceOlive, 11);
  f.Canaux->setAlignment(Qt::AlignCenter);

  f.ProgressBar = new QProgressBar(form);
  f.ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  f.ProgressBar->setGeometry(16, 177, 448, 3);
  f.ProgressBar->setTextVisible(false);
  f.ProgressBar->setRange(0, 100);
  f.ProgressBar->setValue(0);
  f.ProgressBar->setStyleSheet(QStringLiteral(
      "QProgressBar { border: none; background: transparent; }"
      "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e0e0e4, stop:1 #8a8a90); }"));

  f.RecordBtn = Button(form, "RecordBtn", Strip("record.png", 6), QRect(100, 194, 25, 27), 0, 1, 2);
  f.StopBtn = Button(form, "StopBtn", Strip("stop.png", 4), QRect(128, 194, 25, 27), 3, -1, -1);
  f.PrevBtn = Button(form, "PrevBtn", Strip("previous.png", 4), QRect(154, 194, 54, 27), 0, 1, 2);
  f.NextBtn = Button(form, "NextBtn", Strip("next.png", 4), QRect(252, 194, 53, 27), 0, 1, 2);
  f.SpeakerBtn = Button(form, "SpeakerBtn", Strip("speaker.png", 6), QRect(309, 194, 25, 27), 0, 1, 2);
  f.PlayBtn = Button(form, "PlayBtn", Strip("play.png", 4), QRect(200, 182, 55, 51), 1, 2, 0);
  // The play key is drawn over the skip keys it overlaps.
  f.PlayBtn->raise();

  f.VolumeBar = new TTrackSkin(form);
  f.VolumeBar->setObjectName(QStringLiteral("VolumeBar"));
  f.VolumeBar->setGeometry(338, 197, 46, 20);
  f.VolumeBar->SetTransparent(false);
  f.VolumeBar->SetValeurMax(100);
  // A missing skin picture leaves the track plain; it never stops the start with a box.
  const QImage track = LoadSkinPicture(QStringLiteral("track.png")).toImage();
  if (!track.isNull()) f.VolumeBar->SetPicture(track, "png");
  f.VolumeBar->SetCurseur(LoadSkinPicture(QStringLiteral("thumb.png")).toImage());

  f.PaintBox1 = new TPaintBox(form);
  f.PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
  f.PaintBox1->setGeometry(7, 210, 64, 23);
  f.labelTimeEllapsed = FaceLabel(form, "labelTimeEllapsed", QRect(421, 209, 50, 13), kFaceGreen, 11);
  return f;
}
