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
