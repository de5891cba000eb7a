// The scrolling title: start positions, steps and wraps over ticks in both methods and
// directions, the character captions, the properties' special values, and the pixel
// method's drawing read back from the widget.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>

#include "widgets/scrolltext.h"

namespace {

// The main window's title line: 345 x 13, bold 11-pixel font (8 points).
std::unique_ptr<TScrollText> MakeTitle(TScrollMethod method, TScrollType type, const QString& message) {
  auto t = std::make_unique<TScrollText>();
  t->setGeometry(0, 0, 345, 13);
  QFont f(QStringLiteral("MS Sans Serif"));
  f.setPixelSize(11);
  f.setBold(true);
  t->setFont(f);
  t->SetScrollMessage(message);
  t->SetScrolltype(type);
  t->SetScrollMethod(method);
  t->SetSpeed(100);
  t->Loaded();
  return t;
}

struct TickCase {
  const char* name;
  TScrollMethod method;
  TScrollType type;
  QString message;
  // Positions after ticks 0 (the start), 1, 2, ... until and across one wrap.
  std::function<std::vector<int>(int messagePixels)> positions;
};

class ScrollTicksTest : public ::testing::TestWithParam<TickCase> {};

TEST_P(ScrollTicksTest, PositionsOverTicks) {
  const auto& c = GetParam();
  auto t = MakeTitle(c.method, c.type, c.message);
  const int w = t->fontMetrics().horizontalAdvance(c.message);
  const std::vector<int> expected = c.positions(w);
  std::vector<int> seen{t->ScrollPos()};
  for (size_t i = 1; i < expected.size(); ++i) {
    t->ScrollTick();
    seen.push_back(t->ScrollPos());
  }
  EXPECT_EQ(seen, expected);
}

std::vector<int> CharRightward(int) {
  // smChar, scLeft: starts at -5 (message length), +1 per tick, wraps above 43.
  std::vector<int> v;
  for (int p = -5; p <= 43; ++p) v.push_back(p);
  v.push_back(-5);
  v.push_back(-4);
  return v;
}

std::vector<int> CharLeftward(int) {
  // smChar, scRight: starts at 43 (visible chars), -1 per tick, wraps below -5 to 43.
  std::vector<int> v;
  for (int p = 43; p >= -5; --p) v.push_back(p);
  v.push_back(43);
  return v;
}

std::vector<int> PixelLeftward(int w) {
  // smPixel, scRight: from the right edge 4 px a tick until the last pixel has passed
  // the left edge, then the right edge again.
  std::vector<int> v;
  int p = 345;
  for (; w + p >= 0; p -= 4) v.push_back(p);
  v.push_back(345);
  v.push_back(341);
  return v;
}

std::vector<int> PixelRightward(int w) {
  std::vector<int> v;
  int p = -w;
  for (; p <= 345; p += 4) v.push_back(p);
  v.push_back(-w);
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Methods, ScrollTicksTest,
    ::testing::Values(TickCase{"char_moving_right", smChar, scLeft, "Hello", CharRightward},
                      TickCase{"char_moving_left", smChar, scRight, "Hello", CharLeftward},
                      TickCase{"pixel_moving_left_wider_than_the_control", smPixel, scRight,
                               QString(80, QLatin1Char('W')), PixelLeftward},
                      TickCase{"pixel_moving_right", smPixel, scLeft, "Titre non disponible", PixelRightward}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScrollTextTest, VisibleCharsFromWidthAndPointSize) {
  auto t = MakeTitle(smChar, scLeft, "Hello");
  EXPECT_EQ(t->FontSizePoints(), 8);
  EXPECT_EQ(t->VisibleChars(), 43);  // Round(345 / 8)
  EXPECT_EQ(t->MessageLength(), 5);
}

TEST(ScrollTextTest, CharCaptions) {
  // A fixed-width measure: every character 8 px wide, the font size 8.
  auto width = [](const QString& s) { return int(s.size()) * 8; };
  struct Case {
    int pos;
    QString caption;
  } cases[] = {
      {0, "Hello"},     // whole message at 0 and -1
      {-1, "Hello"},
      {-3, "llo"},      // the first k - 1 characters cut at -k
      {-5, "o"},        // only the last character at -MessageLength
      {2, "  Hello"},   // pushed right by 8 x 2 pixels of spaces
      {40, QString(40, QLatin1Char(' ')) + "Hel"},  // cut at 43 x 8 pixels
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScrollCharCaption("Hello", c.pos, 43, 8, width), c.caption) << "pos " << c.pos;
  EXPECT_EQ(ScrollCharCaption("", 3, 43, 8, width), "   ");  // an empty message adds nothing
}

TEST(ScrollTextTest, CharStepRewritesTheCaption) {
  auto t = MakeTitle(smChar, scLeft, "Hello");
  t->ScrollTick();  // -4: the first three characters cut
  EXPECT_EQ(t->text(), "lo");
}

TEST(ScrollTextTest, AnEmptyMessageIsIgnored) {
  auto t = MakeTitle(smChar, scRight, "Radio");
  t->SetScrollMessage(QString());
  EXPECT_EQ(t->ScrollMessage(), "Radio");
}

TEST(ScrollTextTest, SpeedAndTimer) {
  TScrollText t;
  EXPECT_EQ(t.Speed(), 0);
  EXPECT_EQ(t.ScrollTimer()->interval(), 50);
  EXPECT_FALSE(t.ScrollTimer()->isActive());
  t.SetScrolltype(scRight);
  EXPECT_TRUE(t.ScrollTimer()->isActive());
  EXPECT_EQ(t.ScrollTimer()->interval(), 50);
  t.SetSpeed(0);
  EXPECT_EQ(t.Speed(), 500);
  EXPECT_EQ(t.ScrollTimer()->interval(), 500);
  t.SetScrolltype(scNone);
  EXPECT_FALSE(t.ScrollTimer()->isActive());
}

TEST(ScrollTextTest, APausedTitleStandsReadableAndMovesOnFromThere) {
  auto t = MakeTitle(smPixel, scRight, "Titre non disponible");
  t->SetSpeed(100);
  t->SetScrolltype(scRight);
  for (int i = 0; i < 7; ++i) t->ScrollTick();
  ASSERT_NE(t->ScrollPos(), 0);
  t->SetPaused(true);
  EXPECT_FALSE(t->ScrollTimer()->isActive());
  EXPECT_EQ(t->ScrollPos(), 0);
  t->SetScrolltype(scRight);  // a direction set while paused does not restart the timer
  EXPECT_FALSE(t->ScrollTimer()->isActive());
  t->SetPaused(false);
  EXPECT_TRUE(t->ScrollTimer()->isActive());
  t->ScrollTick();
  EXPECT_EQ(t->ScrollPos(), -4);
}

TEST(ScrollTextTest, PixelMethodEmptiesTheCaptionAndGivesItBackAtTheEnd) {
  auto* t = new TScrollText;
  t->setText("Message");
  t->SetScrollMethod(smPixel);
  t->Loaded();
  EXPECT_EQ(t->text(), "");
  delete t;  // nothing to observe after; the destructor must not crash restoring it
}

TEST(ScrollTextTest, PixelMethodDrawsTheMessageAtItsPosition) {
  auto t = MakeTitle(smPixel, scRight, "IIIIIIII");
  QPalette pal = t->palette();
  pal.setColor(QPalette::Window, Qt::black);
  pal.setColor(QPalette::WindowText, QColor(192, 192, 192));
  t->setPalette(pal);
  t->setAutoFillBackground(true);
  for (int i = 0; i < 20; ++i) t->ScrollTick();  // 345 - 80 = 265
  ASSERT_EQ(t->ScrollPos(), 265);
  const QImage shot = t->grab().toImage();
  auto litIn = [&](int from, int to) {
    for (int x = std::max(from, 0); x < std::min(to, shot.width()); ++x)
      for (int y = 0; y < shot.height(); ++y)
        if (qGray(shot.pixel(x, y)) > 96) return true;
    return false;
  };
  const int w = t->fontMetrics().horizontalAdvance("IIIIIIII");
  EXPECT_FALSE(litIn(0, 264));
  EXPECT_TRUE(litIn(265, 265 + w));
  EXPECT_FALSE(litIn(265 + w + 2, 345));
}

}  // namespace
