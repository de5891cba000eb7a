// The skinned slider as the main window's volume control: 46 x 20 track, 24 x 13 thumb
// bitmap (a 12 x 13 thumb), range 0-100, opaque. Positions, drags and clicks, read back
// from its pixels.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>

#include "mouseevents.h"
#include "widgets/trackmath.h"
#include "widgets/trackskin.h"

namespace {

using namespace testmouse;

const QRgb kTrack = qRgb(60, 60, 60), kThumb = qRgb(200, 200, 200);

// The thumb fills its 12 x 13 cell but for its first column, where the track shows.
QImage Curseur() {
  QImage c(24, 13, QImage::Format_RGB32);
  c.fill(Qt::black);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 12; ++x) {
      c.setPixel(x, y, x == 0 ? qRgb(0, 0, 0) : kThumb);
      c.setPixel(12 + x, y, x == 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
  return c;
}

class VolumeBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bar.ShowMessage = [this](const QString& m) { messages << m; };
    bar.SetTransparent(false);
    bar.SetValeurMax(100);
    QImage track(46, 20, QImage::Format_RGB32);
    track.fill(kTrack);
    ASSERT_TRUE(bar.SetPicture(track, "bmp"));
    bar.SetCurseur(Curseur());
    QObject::connect(&bar, &TTrackSkin::changed, [this] { ++changes; });
  }
  TTrackSkin bar;
  QStringList messages;
  int changes = 0;
};

TEST_F(VolumeBarTest, SizeAndThumb) {
  EXPECT_EQ(bar.size(), QSize(46, 20));
  EXPECT_EQ(bar.HalfThumb(), 6);
  EXPECT_EQ(bar.ThumbImage().size(), QSize(12, 13));
}

TEST_F(VolumeBarTest, ThumbPlacedAtRoundOf034TimesPosition) {
  struct Case {
    int position, left;
  } cases[] = {{0, 0}, {1, 0}, {2, 1}, {50, 17}, {99, 34}, {100, 34}, {150, 34}, {-5, 0}};
  for (const auto& c : cases) {
    bar.SetPosition(c.position);
    SCOPED_TRACE(c.position);
    EXPECT_EQ(bar.ThumbRect(), QRect(c.left, 3, 12, 13));
    const QImage& px = bar.Canvas();
    // Composited with the mask: the thumb's first column shows the track.
    EXPECT_EQ(px.pixel(c.left, 8), kTrack);
    EXPECT_EQ(px.pixel(c.left + 1, 8), kThumb);
    EXPECT_EQ(px.pixel(c.left + 11, 8), kThumb);
    // The old thumb is gone everywhere else.
    for (int x = 0; x < 46; ++x)
      if (x < c.left + 1 || x > c.left + 11) {
        ASSERT_EQ(px.pixel(x, 8), kTrack) << x;
      }
  }
}

TEST_F(VolumeBarTest, DraggingMapsPointerXToRoundOf25TimesX) {
  bar.SetPosition(0);
  Press(&bar, {5, 10});  // on the thumb (0..11)
  ASSERT_TRUE(bar.Dragging());
  struct Case {
    int x, value;
  } cases[] = {{10, 25}, {15, 38}, {17, 42}, {39, 98}, {40, 100}, {45, 100}, {-3, 0}};
  for (const auto& c : cases) {
    Move(&bar, {c.x, 10});
    EXPECT_EQ(bar.Position(), c.value) << c.x;
  }
  Move(&bar, {17, 10});
  const int before = changes;
  Move(&bar, {17, 10});  // no move, no update
  EXPECT_EQ(changes, before);
  Release(&bar, {17, 10});
  EXPECT_FALSE(bar.Dragging());
  EXPECT_EQ(bar.Position(), 42);
  EXPECT_EQ(bar.ThumbRect().left(), 14);  // Round(0.34 x 42) = 14.28
}

TEST_F(VolumeBarTest, ClicksBesideTheThumbStepByOne) {
  bar.SetPosition(50);  // thumb 17..28, centre column 23
  struct Case {
    int pressX, releaseX, value;
  } cases[] = {{5, 5, 49}, {40, 40, 50}, {44, 44, 51}, {2, 23, 51}};
  for (const auto& c : cases) {
    const int before = changes;
    Press(&bar, {c.pressX, 10});
    EXPECT_FALSE(bar.Dragging());
    Move(&bar, {c.releaseX, 10});  // moves after a press off the thumb do not drag
    Release(&bar, {c.releaseX, 10});
    EXPECT_EQ(bar.Position(), c.value) << c.pressX << "->" << c.releaseX;
    EXPECT_EQ(changes, before + 1);  // also when the value stays
  }
  // Other buttons' releases do nothing.
  const int before = changes;
  Press(&bar, {5, 10}, Qt::RightButton);
  Release(&bar, {5, 10}, Qt::RightButton);
  EXPECT_EQ(changes, before);
}

TEST_F(VolumeBarTest, SettingTheSameValueRedrawsAndNotifies) {
  bar.SetPosition(30);
  const int before = changes;
  bar.SetPosition(30);
  EXPECT_EQ(changes, before + 1);
  EXPECT_EQ(bar.Canvas().pixel(11, 8), kThumb);  // Round(10.2) = 10: columns 11..21
}

TEST_F(VolumeBarTest, RangeChangesClampWithoutNotifying) {
  bar.SetPosition(80);
  const int before = changes;
  bar.SetValeurMax(60);
  EXPECT_EQ(bar.Position(), 60);
  bar.SetValeurMin(70);
  EXPECT_EQ(bar.Position(), 70);
  EXPECT_EQ(changes, before);
}

TEST_F(VolumeBarTest, AOneValueRangeNeverDividesByZero) {
  bar.SetValeurMin(40);
  bar.SetValeurMax(40);
  bar.SetPosition(40);
  EXPECT_EQ(bar.ThumbRect().left(), 0);
  EXPECT_EQ(bar.ValueAt(30), 40);
  Press(&bar, {40, 10});
  Release(&bar, {40, 10});
  EXPECT_EQ(bar.Position(), 40);
  Press(&bar, {5, 10});
  Move(&bar, {25, 10});
  Release(&bar, {25, 10});
  EXPECT_EQ(bar.Position(), 40);
}

TEST_F(VolumeBarTest, PictureTypes) {
  QImage other(46, 20, QImage::Format_RGB32);
  other.fill(Qt::red);
  EXPECT_FALSE(bar.SetPicture(other, "gif"));
  ASSERT_EQ(messages.size(), 1);
  EXPECT_EQ(messages[0], "Seuls les fichiers de type *.Bmp,*.Jpg et *.Jpeg sont autorisés");
  EXPECT_EQ(bar.Canvas().pixel(40, 1), kTrack);  // old picture kept

  QTemporaryDir dir;
  for (const char* format : {"png", "jpg", "bmp"}) {
    const QString file = dir.filePath(QStringLiteral("track.") + format);
    ASSERT_TRUE(other.save(file, format));
    EXPECT_TRUE(bar.LoadPicture(file)) << format;
  }
  EXPECT_EQ(messages.size(), 1);
  EXPECT_EQ(bar.Canvas().pixel(40, 1), qRgb(255, 0, 0));

  const QString notAPicture = dir.filePath("track.bmp.txt");
  QFile f(notAPicture);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("GIF89a not really");
  f.close();
  EXPECT_FALSE(bar.LoadPicture(notAPicture));
  EXPECT_EQ(messages.size(), 2);
}

TEST(TrackMathTest, ValuesAndPlaces) {
  EXPECT_EQ(TrackValueAt(20, 46, 6, 0, 100), 50);
  EXPECT_EQ(TrackValueAt(5, 46, 6, 0, 100), 12);  // 12.5 ties to even
  EXPECT_EQ(TrackValueAt(7, 46, 6, 0, 100), 18);  // 17.5 ties to even
  EXPECT_EQ(TrackValueAt(10, 6, 6, 0, 100), 0);   // no width to slide in
  EXPECT_EQ(TrackThumbLeft(46, 12, 25, 0, 100), 8);   // 8.5 ties to even
  EXPECT_EQ(TrackThumbLeft(46, 12, 75, 0, 100), 26);  // 25.5 ties to even
  EXPECT_EQ(TrackThumbLeft(10, 12, 50, 0, 100), 0);   // thumb wider than the control
  EXPECT_EQ(TrackClickValue(10, 4, 6, 7), 7);
}

TEST(TrackSkinTest, TransparentTrackShowsTheParentExceptUnderTheThumb) {
  QWidget parent;
  parent.setAutoFillBackground(true);
  QPalette pal;
  pal.setColor(QPalette::Window, QColor(0, 0, 255));
  parent.setPalette(pal);
  parent.resize(60, 30);
  TTrackSkin bar(&parent);
  bar.SetValeurMax(100);
  QImage track(46, 20, QImage::Format_RGB32);
  track.fill(Qt::black);  // the top-left colour is the see-through one
  for (int x = 0; x < 46; ++x) track.setPixel(x, 10, kTrack);
  bar.SetPicture(track, "png");
  bar.SetCurseur(Curseur());
  bar.SetPosition(100);
  const QImage shot = parent.grab(QRect(0, 0, 46, 20)).toImage();
  EXPECT_EQ(shot.pixel(5, 2), qRgb(0, 0, 255));
  EXPECT_EQ(shot.pixel(5, 10), kTrack);
  EXPECT_EQ(shot.pixel(40, 8), kThumb);
}

}  // namespace
