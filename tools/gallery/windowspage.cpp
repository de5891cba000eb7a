#include "windowspage.h"

#include <QListWidget>

#include "galleryskin.h"
#include "widgets/simplebtn.h"

using namespace gallery;

namespace {

const QColor kSilver(192, 192, 192);

// A window's chrome: background, icon, title and close button.
QWidget* Frame(QWidget* parent, QPoint at, QSize size, const char* background, const QString& title,
               QPoint titlePos, QRect close) {
  auto* w = new QWidget(parent);
  w->setGeometry(QRect(at, size));
  auto* back = new QLabel(w);
  back->setGeometry(0, 0, size.width(), size.height());
  back->setPixmap(Picture(background));
  auto* icon = new QLabel(w);
  icon->setGeometry(10, 4, 24, 24);
  icon->setPixmap(Picture("icon24.png"));
  Label(w, title, QRect(titlePos, QSize()), Qt::white, 13);
  auto* b = Button(w, "CloseBtn", Strip("close.png", 3), close, 2, 0, 1);
  b->Glyphs()->SetGlyphLayout(laCenter);
  return w;
}

QListWidget* List(QWidget* parent, QRect rect, const QStringList& rows) {
  auto* list = new QListWidget(parent);
  list->setGeometry(rect);
  list->setFrameShape(QFrame::NoFrame);
  list->setStyleSheet("QListWidget { background: transparent; color: #c0c0c0; font-family: Tahoma; font-size: 11px; }"
                      "QListWidget::item:selected { background: #3a3d44; color: white; }");
  list->addItems(rows);
  list->setCurrentRow(1);
  return list;
}

}  // namespace

WindowsPage::WindowsPage(QWidget* parent) : QWidget(parent) {
  // Playlist window, 480 x 320.
  QWidget* playlist = Frame(this, {8, 8}, {480, 320}, "playlist.png", "Ecoutez vos enregistrements ....", {42, 4},
                            QRect(428, 0, 44, 19));
  Label(playlist, "Ajouter vos fichiers", QRect(17, 34, 99, 14), kSilver, 11);
  Label(playlist, "Liste de lecture", QRect(213, 33, 0, 0), kSilver, 11);
  const TImageList tools = Strip("toolbar.png", 30);
  const int lefts[] = {110, 290, 333, 377, 425};
  for (int i = 0; i < 5; ++i) Button(playlist, "tool", tools, QRect(lefts[i], 28, 39, 31), 15 + 3 * i, 16 + 3 * i, 17 + 3 * i);
  List(playlist, QRect(9, 60, 463, 236),
       {"00001  Kestrune FM - Les Nuits Électriques        03:41", "00002  Miles Okoro Quintet - Blue Harbour     07:12",
        "00003  Radio Kestrune Jazz - Matinale             12:05"});
  Label(playlist, "Liste de lecture : ", QRect(12, 300, 0, 0), Qt::white, 13);
  Label(playlist, "Sans Nom", QRect(117, 300, 0, 0), Qt::white, 13);
  Label(playlist, "Nombre de pistes : ", QRect(310, 300, 0, 0), Qt::white, 13);
  Label(playlist, "00003", QRect(430, 300, 0, 0), Qt::white, 13);

  // Station browser, 480 x 320.
  QWidget* browser = Frame(this, {500, 8}, {480, 320}, "browser.png", "Tuner distant", {42, 5}, QRect(428, 0, 44, 19));
  int x = 14;
  for (const char* filter : {"Nom", "Style", "Pays", "Réseau", "Flux", "Qualité"}) {
    Label(browser, QString("○ ") + QString::fromUtf8(filter), QRect(x, 34, 0, 0), Qt::white, 11);
    x += QString::fromUtf8(filter).size() * 7 + 26;
  }
  List(browser, QRect(7, 59, 462, 235),
       {"Radio Kestrune Jazz       France     Jazz / Blues   MP3  128", "Zova Classique            Belgique   Classique      AAC  96",
        "Ondes du Nord             Canada     Pop / Rock     OGG  160"});
  Label(browser, "Tuner :", QRect(10, 300, 0, 0), Qt::white, 11);
  Label(browser, "3 radios", QRect(133, 300, 0, 0), kSilver, 11);

  // Configuration, 405 x 288 (background 406 x 291 at -1, -1), and information, 406 x 290.
  QWidget* config = Frame(this, {8, 340}, {406, 291}, "config.png", "Configuration", {49, 5}, QRect(355, 2, 44, 18));
  Label(config, "Affichage · Tuner · Connexion · Enregistrement · Favoris", QRect(20, 36, 0, 0), Qt::white, 11);
  QWidget* info =
      Frame(this, {500, 340}, {406, 290}, "info.png", "Informations Supplémentaires", {50, 5}, QRect(356, 0, 44, 19));
  auto* artwork = new QLabel(info);
  artwork->setGeometry(10 + 209, 32 + 24 + 11, 148, 113);
  artwork->setPixmap(Picture("artwork.png"));
  auto* badge = new QLabel(info);
  badge->setGeometry(30, 200, 120, 30);
  badge->setPixmap(Picture("donate.png"));
  auto* save = Button(info, "SimpleBtn1", Strip("save.png", 3), QRect(10 + 331, 32 + 24, 34, 21), 0, 1, 2);
  save->Glyphs()->SetG3_StillDown(2);
  Label(info, "Zovalis", QRect(40, 80, 0, 0), QColor(80, 140, 255), 13, true);
}
