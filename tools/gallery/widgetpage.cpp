#include "widgetpage.h"

#include <QPainter>
#include <array>

#include "galleryskin.h"
#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include "widgets/paintbox.h"
#include "widgets/scrolltext.h"
#include "widgets/simplebtn.h"
#include "widgets/spectrum.h"
#include "widgets/trackskin.h"

using namespace gallery;

namespace {

const QColor kCaption(150, 152, 160);

// Puts a button in a state the way the pointer would.
void Hover(QWidget* w) {
  QEnterEvent e(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(w, &e);
}
void Hold(QWidget* w) {
  QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void SmallLabel(QWidget* parent, const QString& text, int x, int y) {
  Label(parent, text, QRect(x, y, 0, 0), kCaption, 10);
}

}  // namespace

WidgetPage::WidgetPage(QWidget* parent) : QWidget(parent) {
  // Right of the main window's mock-up: the buttons and sliders; under it: the analyser
  // and the scrolling text.
  int y = AddStrips(500, 8);
  y = AddButtonStates(500, y + 8);
  y = AddSliders(500, y + 8);
  AddPictures(500, y + 8);
  y = AddSpectra(8, 262);
  AddScrollTexts(8, y + 8);
}

WidgetPage::~WidgetPage() = default;

void WidgetPage::Title(const QString& text, int x, int y) {
  Label(this, text, QRect(x, y, 0, 0), QColor(210, 210, 216), 12, true);
}

int WidgetPage::AddStrips(int x, int y) {
  Title("Button strips: every face (index under each)", x, y);
  y += 18;
  const struct {
    const char* file;
    int count, perRow;
  } strips[] = {{"toolbar.png", 30, 10}, {"play.png", 4, 4},     {"record.png", 6, 6}, {"stop.png", 4, 4},
                {"previous.png", 4, 4},  {"next.png", 4, 4},     {"speaker.png", 6, 6}, {"minimise.png", 3, 3},
                {"close.png", 3, 3},     {"save.png", 3, 3}};
  int rowX = x, rowBottom = y;
  for (const auto& s : strips) {
    const TImageList list = Strip(s.file, s.count);
    const QSize cell = list.ImageSize();
    const int width = s.perRow * (cell.width() + 3);
    if (rowX + width > x + 516) {
      rowX = x;
      y = rowBottom + 4;
    }
    for (int i = 0; i < s.count; ++i) {
      const int cx = rowX + (i % s.perRow) * (cell.width() + 3);
      const int cy = y + (i / s.perRow) * (cell.height() + 12);
      auto* b = Button(this, s.file, list, QRect(QPoint(cx, cy), cell), i, -1, -1);
      b->setAttribute(Qt::WA_TransparentForMouseEvents);
      SmallLabel(this, QString::number(i), cx + cell.width() / 2 - 3, cy + cell.height());
      rowBottom = std::max(rowBottom, cy + cell.height() + 12);
    }
    rowX += width + 10;
  }
  return rowBottom;
}

int WidgetPage::AddButtonStates(int x, int y) {
  Title("Visual states 0-7 (toggle button, stop strip: up 0, hover 1, down 2, off 3)", x, y);
  y += 18;
  const TImageList list = Strip("stop.png", 4);
  for (int state = 0; state < 8; ++state) {
    auto* b = Button(this, "state", list, QRect(x + state * 44, y, 25, 27), 0, 1, 2);
    b->SetBtnType(btUpSD);
    b->Glyphs()->SetG3_StillDown(2);
    b->Glyphs()->SetG4_MSMoveOnSD(1);
    b->Glyphs()->SetG5_MSDownOnSD(2);
    b->Glyphs()->SetG6_Disabled(3);
    b->Glyphs()->SetG7_DisabledSD(3);
    b->Glyphs()->SetGlyphLayout(laCenter);
    if (state >= 3 && state != 6) b->SetStillDown(true);
    if (state == 1 || state == 2 || state == 4 || state == 5) Hover(b);
    if (state == 2 || state == 5) Hold(b);
    if (state >= 6) b->SetEnabled(false);
    SmallLabel(this, QString("%1 (%2)").arg(state).arg(b->VisualState()), x + state * 44, y + 28);
  }
  // Captions without pictures, in three layouts, the last one disabled.
  const struct {
    TBasicBtnLayout layout;
    const char* text;
    bool enabled;
  } captions[] = {{laCenter, "Jouer", true}, {laBottom, "Bas", true}, {laCenter, "Retirer", false}};
  int cx = x + 8 * 44 + 4;
  for (const auto& c : captions) {
    auto* b = new TSimpleBtn(this);
    b->setGeometry(cx, y, 48, 27);
    b->setAutoFillBackground(true);
    QPalette pal = b->palette();
    pal.setColor(QPalette::Window, QColor(48, 50, 56));
    pal.setColor(QPalette::WindowText, QColor(220, 220, 224));
    b->setPalette(pal);
    b->SetCaption(c.text);
    b->SetCaptionLayout(c.layout);
    b->SetEnabled(c.enabled);
    cx += 52;
  }
  return y + 42;
}

int WidgetPage::AddSliders(int x, int y) {
  Title("Volume slider: 0, 35, 70, 100; transparent on blue; one-value range", x, y);
  y += 18;
  const QImage thumb(SkinDir() + "thumb.png");
  auto add = [&](int left, int position, bool transparent, int min, int max) {
    auto* t = new TTrackSkin(this);
    t->setGeometry(left, y, 46, 20);
    t->SetTransparent(transparent);
    t->SetValeurMin(min);
    t->SetValeurMax(max);
    t->LoadPicture(SkinDir() + "track.png");
    t->SetCurseur(thumb);
    t->SetPosition(position);
    SmallLabel(this, QString::number(position), left + 18, y + 21);
    return t;
  };
  for (int i = 0; i < 4; ++i) add(x + i * 56, std::array{0, 35, 70, 100}[size_t(i)], false, 0, 100);
  auto* blue = new QWidget(this);
  blue->setGeometry(x + 4 * 56, y - 2, 54, 24);
  blue->setAutoFillBackground(true);
  QPalette pal;
  pal.setColor(QPalette::Window, QColor(30, 60, 140));
  blue->setPalette(pal);
  // A flat black track keys out to the blue behind it; the knob stays opaque.
  QImage flat(46, 20, QImage::Format_RGB32);
  flat.fill(Qt::black);
  for (int tx = 3; tx < 43; ++tx) flat.setPixel(tx, 10, qRgb(150, 150, 156));
  auto* keyed = add(x + 4 * 56 + 4, 50, true, 0, 100);
  keyed->SetPicture(flat, "png");
  keyed->SetPosition(50);
  keyed->raise();
  add(x + 5 * 56 + 4, 40, false, 40, 40);
  return y + 36;
}

int WidgetPage::AddSpectra(int x, int y) {
  Title("Analyser frames (x2): silence, peaks at rest, loud (clipped), falling, peaks off", x, y);
  y += 18;
  struct Frame {
    const char* name;
    std::vector<float> loud;  // one frame's level for every band, then `quiet` silent frames
    int quiet;
    bool peaks;
  };
  const std::vector<float> ramp{4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 40, 30, 20, 12, 6};
  const Frame frames[] = {
      {"silence", std::vector<float>(16, 0.f), 0, false},
      {"peaks at rest", std::vector<float>(16, 0.f), 0, true},
      {"loud", ramp, 0, true},
      {"falling", ramp, 4, true},
      {"peaks off", ramp, 0, false},
  };
  int fx = x, fy = y;
  for (const auto& f : frames) {
    auto s = std::make_unique<TSpectrum>(64, 23, 16);
    s->LowLevel = 16;
    s->HighLevel = 20;
    s->BarWidth = 2;
    s->BandSpacing = 2;
    s->LeftOffset = 0;
    s->ShowPeaks = f.peaks;
    QImage frame(64, 23, QImage::Format_RGB32);
    s->Draw(&frame, f.loud.data());
    const std::vector<float> zero(16, 0.f);
    for (int i = 0; i < f.quiet; ++i) s->Draw(&frame, zero.data());
    auto* l = new QLabel(this);
    l->setGeometry(fx, fy, 128, 46);
    l->setPixmap(QPixmap::fromImage(frame.scaled(128, 46)));
    SmallLabel(this, f.name, fx, fy + 47);
    spectra_.push_back(std::move(s));
    fx += 150;
    if (fx + 128 > x + 480) {
      fx = x;
      fy += 64;
    }
  }
  return fy + 64;
}

int WidgetPage::AddScrollTexts(int x, int y) {
  Title("Scrolling text: by characters and by pixels, both directions (live)", x, y);
  y += 18;
  const struct {
    TScrollMethod method;
    TScrollType type;
    const char* name;
  } rows[] = {{smChar, scLeft, "smChar scLeft"},
              {smChar, scRight, "smChar scRight"},
              {smPixel, scLeft, "smPixel scLeft"},
              {smPixel, scRight, "smPixel scRight"}};
  for (const auto& r : rows) {
    auto* panel = new QLabel(this);
    panel->setGeometry(x, y, 349, 17);
    panel->setStyleSheet("background: #0a0c0e; border: 1px solid #303236; border-radius: 3px;");
    auto* t = new TScrollText(this);
    t->setGeometry(x + 2, y + 2, 345, 13);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    f.setBold(true);
    t->setFont(f);
    QPalette pal = t->palette();
    pal.setColor(QPalette::WindowText, QColor(192, 192, 192));
    t->setPalette(pal);
    t->SetScrollMessage("Titre non disponible - Les Nuits Électriques - Kestrune FM");
    t->SetScrollMethod(r.method);
    t->SetScrolltype(r.type);
    t->SetSpeed(100);
    t->Loaded();
    for (int i = 0; i < 25; ++i) t->ScrollTick();
    SmallLabel(this, r.name, x + 356, y + 2);
    y += 21;
  }
  return y;
}

int WidgetPage::AddPictures(int x, int y) {
  Title("Pictures: artwork, donation badge, CD, file, no icon, icons 48 and 24", x, y);
  y += 18;
  int px = x;
  for (const char* file : {"artwork.png", "donate.png", "AudioCD.png", "AudioFile.png", "noicon.png"}) {
    const QPixmap picture = Picture(file);
    auto* l = new QLabel(this);
    l->setGeometry(px, y, picture.width(), picture.height());
    l->setPixmap(picture);
    px += picture.width() + 6;
    if (px > x + 400) {
      px = x;
      y += 120;
    }
  }
  for (const char* file : {"icon48.png", "icon24.png"}) {
    const QPixmap picture = Picture(file);
    auto* l = new QLabel(this);
    l->setGeometry(px, y + 20, picture.width(), picture.height());
    l->setPixmap(picture);
    px += picture.width() + 10;
  }
  return y + 100;
}
