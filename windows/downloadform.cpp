#include "windows/downloadform.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>

#include "common/versiontext.h"
#include "widgets/skinnedform.h"
#include "windows/formcontrols.h"

TDownLoadForm::TDownLoadForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("DownLoadForm"));
  setWindowTitle(QStringLiteral("Zovalis"));
  setFixedSize(441, 162);
  // One panel with a raised bevel fills the window, in the button-face colour.
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(3);
  panel->setGeometry(rect());
  panel->setAutoFillBackground(true);

  // The product artwork fills the left of the panel, beside the texts.
  auto* artwork = new QLabel(panel);
  artwork->setObjectName(QStringLiteral("Image1"));
  artwork->setPixmap(LoadSkinPicture(QStringLiteral("artwork.png")));
  artwork->setGeometry(14, 10, 148, 113);

  auto* title = MakeLabel(panel, "lbAppTitle", QStringLiteral("Zovalis"), QRect(172, 12, 253, 22), "Arial", 19, true,
                          QColor(0, 0, 128));
  title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  title->setWordWrap(true);
  lbAppVersion_ = MakeLabel(panel, "lbAppVersion", QStringLiteral("Version ") + GetVersionText(QStringLiteral(" %d.%d.%d.%d")),
                            QRect(179, 40, 238, 19), "Arial", 13, false, Qt::black);
  lbAppVersion_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  MakeLabel(panel, "Label4", QStringLiteral("© 2026 Kestrune"), QRect(223, 71, 0, 0),
            "Tahoma", 13, true, Qt::black);
  auto* link = MakeLabel(panel, "HomePageLink", QStringLiteral("zovalis.example.org"), QRect(211, 96, 166, 16),
                         "Arial", 13, false, Qt::blue);
  QFont linkFont = link->font();
  linkFont.setUnderline(true);
  link->setFont(linkFont);
  link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  lbMessage_ = MakeLabel(panel, "lbMessage", QStringLiteral("Téléchargement en cours ..."), QRect(11, 123, 421, 13),
                         "MS Sans Serif", 11, false, Qt::black);
  progressBar_ = new QProgressBar(panel);
  progressBar_->setObjectName(QStringLiteral("ProgressBar"));
  progressBar_->setGeometry(7, 139, 426, 16);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

void TDownLoadForm::ShowSplash() {
  show();
  raise();
}

void TDownLoadForm::HideSplash() {
  hide();
}

void TDownLoadForm::SetStatus(const QString& text) {
  lbMessage_->setText(text);
}

void TDownLoadForm::SetProgressMax(int max) {
  progressBar_->setRange(0, max > 0 ? max : 100);
  progressBar_->setValue(0);
}

void TDownLoadForm::SetProgress(int position) {
  // A position above the maximum shows a full bar.
  progressBar_->setValue(qBound(progressBar_->minimum(), position, progressBar_->maximum()));
}

void TDownLoadForm::ProcessEvents() {
  // Repaints and timers go on; user input waits until the load is over, so nothing the
  // user does can start a second load in the middle of this one.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TDownLoadForm::ShowError(const QString& text) {
  QMessageBox::critical(isVisible() ? this : nullptr, QStringLiteral("Zovalis"), text);
}
