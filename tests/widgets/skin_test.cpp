// The skin the build lays into the program folder: every picture the windows place at a
// fixed size is there at that size.
#include <gtest/gtest.h>

#include <QImage>

namespace {

TEST(SkinTest, EveryPictureExistsAtItsSize) {
  struct Picture {
    const char* file;
    QSize size;
  } pictures[] = {
      {"main.png", {480, 241}},     {"browser.png", {480, 320}}, {"playlist.png", {480, 320}},
      {"config.png", {406, 291}},   {"info.png", {406, 290}},    {"editor.png", {403, 285}},
      {"listeditor.png", {403, 290}}, {"close.png", {132, 19}},  {"icon24.png", {24, 24}},
      {"icon48.png", {48, 48}},     {"icon128.png", {128, 128}}, {"icon256.png", {256, 256}},
      {"minimise.png", {81, 18}},   {"toolbar.png", {1170, 32}}, {"play.png", {232, 54}},
      {"record.png", {150, 25}},    {"stop.png", {100, 25}},     {"previous.png", {208, 25}},
      {"next.png", {208, 25}},      {"speaker.png", {150, 25}},  {"track.png", {46, 20}},
      {"thumb.png", {24, 13}},      {"save.png", {102, 21}},     {"artwork.png", {148, 113}},
      {"donate.png", {120, 30}},    {"AudioCD.png", {96, 96}},   {"AudioFile.png", {96, 96}},
      {"noicon.png", {96, 96}},
  };
  for (const auto& p : pictures) {
    const QImage image(QStringLiteral(ZOVALIS_PROGRAM_DIR "/skin/") + QLatin1String(p.file));
    ASSERT_FALSE(image.isNull()) << p.file;
    EXPECT_EQ(image.size(), p.size) << p.file;
  }
}

TEST(SkinTest, CloseStripFacesDiffer) {
  // Hover, pressed and up must look different, or the button gives no feedback.
  const QImage strip(QStringLiteral(ZOVALIS_PROGRAM_DIR "/skin/close.png"));
  ASSERT_FALSE(strip.isNull());
  const QImage hover = strip.copy(0, 0, 44, 19), down = strip.copy(44, 0, 44, 19), up = strip.copy(88, 0, 44, 19);
  EXPECT_NE(hover, up);
  EXPECT_NE(down, up);
  EXPECT_NE(hover, down);
}

}  // namespace

namespace {

QImage SkinPicture(const char* file) {
  return QImage(QStringLiteral(ZOVALIS_PROGRAM_DIR "/skin/") + QLatin1String(file));
}

TEST(SkinTest, EveryStripHasDistinctFaces) {
  // A face that repeats another gives a state no feedback of its own.
  struct Strip {
    const char* file;
    int count;
  } strips[] = {{"minimise.png", 3}, {"toolbar.png", 30}, {"play.png", 4},     {"record.png", 6},
                {"stop.png", 4},     {"previous.png", 4}, {"next.png", 4},     {"speaker.png", 6},
                {"save.png", 3}};
  for (const auto& s : strips) {
    const QImage strip = SkinPicture(s.file);
    ASSERT_FALSE(strip.isNull()) << s.file;
    const int w = strip.width() / s.count;
    for (int i = 0; i < s.count; ++i)
      for (int j = i + 1; j < s.count; ++j)
        EXPECT_NE(strip.copy(i * w, 0, w, strip.height()), strip.copy(j * w, 0, w, strip.height()))
            << s.file << " faces " << i << " and " << j;
  }
}

TEST(SkinTest, ThumbIsBlackOutsideItsMaskAndTheTrackIsOpaque) {
  // The slider ORs the image over the track where the mask is white: any colour there
  // would tint the track.
  const QImage thumb = SkinPicture("thumb.png").convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(thumb.isNull());
  int covered = 0;
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 12; ++x) {
      const QRgb mask = thumb.pixel(12 + x, y);
      ASSERT_TRUE(mask == qRgb(0, 0, 0) || mask == qRgb(255, 255, 255)) << x << "," << y;
      if (mask == qRgb(255, 255, 255)) {
        EXPECT_EQ(thumb.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
      } else {
        ++covered;
      }
    }
  EXPECT_GT(covered, 12 * 13 / 2);
  EXPECT_FALSE(SkinPicture("track.png").hasAlphaChannel());
}

}  // namespace
