// The main window's side of local playback: the file player on the shared channel, what
// it shows on the face, and seeking on the progress bar.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>

#include "app/mainform.h"
#include "localfiles/fileplayer.h"
#include "windows/formlistefile.h"
#include "localfiles/playlistmodel.h"
#include "widgets/scrolltext.h"
#include "widgets/simplebtn.h"

namespace {

// ProgressBarMouseDown and ProgressBarMouseMove: each press and each move with the left
// button held seeks the playing file.
class TProgressSeek : public QObject {
 public:
  // `bar` is the progress bar or the wider zone over it that takes the presses: both have
  // the bar's left edge and width.
  TProgressSeek(QWidget* bar, TFilePlayer* player) : QObject(bar), bar_(bar), player_(player) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type t = event->type();
    if (watched == bar_ && (t == QEvent::MouseButtonPress || t == QEvent::MouseMove)) {
      const auto* e = static_cast<QMouseEvent*>(event);
      if (e->buttons() & Qt::LeftButton) player_->SeekTo(int(e->position().x()), bar_->width());
    }
    return false;
  }

 private:
  QWidget* bar_;
  TFilePlayer* player_;
};

}  // namespace

void TMainForm::AttachPlaylist(TFormListeFile* playlist, TFilePlayer* filePlayer) {
  playlist_ = playlist;
  filePlayer_ = filePlayer;
  TFilePlayer* f = filePlayer;
  f->BalloonsOn = [this] { return Settings.TrayInformation; };
  playlist->SetFilePlayer(f);
  face_.ProgressBar->installEventFilter(new TProgressSeek(face_.ProgressBar, f));
  // The bar is 3 pixels high: a press within 4 pixels of it seeks too. An empty widget over
  // it (it paints nothing) takes those presses.
  auto* zone = new QWidget(this);
  zone->setObjectName(QStringLiteral("ProgressSeekZone"));
  zone->setGeometry(face_.ProgressBar->geometry().adjusted(0, -kSeekSlack, 0, kSeekSlack));
  zone->raise();
  zone->installEventFilter(new TProgressSeek(zone, f));

  connect(f, &TFilePlayer::StatusChanged, this, &TMainForm::SetStatus);
  connect(f, &TFilePlayer::BusyChanged, this, [](bool busy) {
    if (busy) {
      QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
  });
  connect(f, &TFilePlayer::FaceChanged, this, [this](TFileFace face) {
    const QString hint = QStringLiteral("Démarrer la lecture.");
    switch (face) {
      case TFileFace::Playing:
        WakeSpectrum();
        face_.PlayBtn->Glyphs()->SetFace(3, -1, -1);
        face_.PlayBtn->setToolTip(QString());
        break;
      case TFileFace::Paused:
        face_.PlayBtn->Glyphs()->SetFace(1, -1, -1);
        face_.PlayBtn->setToolTip(hint);
        break;
      case TFileFace::Ready:
        face_.PlayBtn->Glyphs()->SetFace(1, 2, 0);
        face_.PlayBtn->setToolTip(hint);
        break;
    }
    if (face == TFileFace::Ready) {
      face_.StopBtn->Glyphs()->SetFace(3, -1, -1);
      face_.StopBtn->setToolTip(QStringLiteral("Stopper la lecture et l'enregistrement."));
    } else {
      face_.StopBtn->Glyphs()->SetFace(0, 1, 2);
      face_.StopBtn->setToolTip(QString());
    }
    face_.PlayBtn->update();
    face_.StopBtn->update();
  });
  connect(f, &TFilePlayer::TitleShown, this, [this](const QString& title) {
    face_.EdTitle->hide();
    face_.EdTitle->SetScrollMessage(title);
    face_.EdTitle->show();
  });
  connect(f, &TFilePlayer::RadioNameChanged, face_.RadioName, &QLabel::setText);
  connect(f, &TFilePlayer::StreamInfoShown, this,
          [this](const QString& type, const QString& rate, const QString& freq, const QString& channels) {
            face_.TypeFlux->setText(type);
            face_.Debit->setText(rate);
            face_.Frequence->setText(freq);
            face_.Canaux->setText(channels);
          });
  connect(f, &TFilePlayer::PictureChanged, this, [this](const QString& picture) {
    face_.imgFlag->setPixmap(QPixmap());
    face_.imgFlag->setToolTip(QString());
    face_.ImgRadio->setPixmap(LoadSkinPicture(picture));
    face_.ImgRadio->setToolTip(QString());
    face_.edGenre->clear();
    face_.edCountry->clear();
  });
  connect(f, &TFilePlayer::HintsChanged, this, [this](const QString& previous, const QString& next) {
    face_.PrevBtn->setToolTip(previous);
    face_.NextBtn->setToolTip(next);
  });
  connect(f, &TFilePlayer::ProgressChanged, face_.ProgressBar, [this](int percent) {
    face_.ProgressBar->setValue(qBound(0, percent, 100));
  });
  connect(f, &TFilePlayer::ElapsedChanged, face_.labelTimeEllapsed, &QLabel::setText);
  connect(f, &TFilePlayer::Balloon, this,
          [this](const QString& title, const QString& text) { ShowBalloon(title, text, false, 10000); });
  // Opening a station takes the playing mark off the playlist (the row is remembered).
  connect(player_, &TStationPlayer::StationShown, playlist->Model(),
          [model = playlist->Model()] { model->SetMarkShown(false); });
}
