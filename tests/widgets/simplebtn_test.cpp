// The skinned button: pointer events to visual states and clicks for each kind and set
// of options, groups, glyph placement, and the picture drawn, read back from the widget.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPainter>
#include <QPixmap>

#include "mouseevents.h"
#include "widgets/simplebtn.h"

namespace {

using namespace testmouse;

enum Step { kEnter, kLeave, kPress, kPressRight, kReleaseIn, kReleaseOut, kDouble, kDisable, kEnable };

struct EventCase {
  const char* name;
  TBasicBtnType type;
  TBasicBtnOptions options;
  std::vector<Step> steps;
  std::vector<int> states;  // VisualState after each step
  int clicks;
  bool stillDown;
};

class ButtonEventsTest : public ::testing::TestWithParam<EventCase> {};

TEST_P(ButtonEventsTest, StatesAndClicks) {
  const auto& c = GetParam();
  QWidget parent;
  TSimpleBtn b(&parent);
  b.setGeometry(0, 0, 30, 30);
  b.SetBtnType(c.type);
  b.SetOptions(c.options);
  int clicks = 0;
  QObject::connect(&b, &TBasicBtn::clicked, [&] { ++clicks; });
  std::vector<int> states;
  for (Step s : c.steps) {
    switch (s) {
      case kEnter: Enter(&b); break;
      case kLeave: Leave(&b); break;
      case kPress: Press(&b, {5, 5}); break;
      case kPressRight: Press(&b, {5, 5}, Qt::RightButton); break;
      case kReleaseIn: Release(&b, {5, 5}); break;
      case kReleaseOut: Move(&b, {50, 50}); Release(&b, {50, 50}); break;
      case kDouble: DoubleClick(&b, {5, 5}); break;
      case kDisable: b.SetEnabled(false); break;
      case kEnable: b.SetEnabled(true); break;
    }
    states.push_back(b.VisualState());
  }
  EXPECT_EQ(states, c.states);
  EXPECT_EQ(clicks, c.clicks);
  EXPECT_EQ(b.StillDown(), c.stillDown);
}

const TBasicBtnOptions kDef = kDefaultBtnOptions;

INSTANTIATE_TEST_SUITE_P(
    Events, ButtonEventsTest,
    ::testing::Values(
        EventCase{"push_hover_press_click_keeps_hover", btAutoUp, kDef,
                  {kEnter, kPress, kReleaseIn, kLeave}, {1, 2, 1, 0}, 1, false},
        EventCase{"push_without_after_click_shows_up_after_the_click", btAutoUp, kDef.Without(boMSAfterClick),
                  {kEnter, kPress, kReleaseIn}, {1, 2, 0}, 1, false},
        EventCase{"push_without_hover_option", btAutoUp, kDef.Without(boMSMoveOnUp),
                  {kEnter, kPress, kReleaseIn}, {0, 2, 0}, 1, false},
        EventCase{"push_released_outside_does_not_click", btAutoUp, kDef,
                  {kEnter, kPress, kReleaseOut}, {1, 2, 0}, 0, false},
        EventCase{"double_click_clicks_once", btAutoUp, kDef,
                  {kEnter, kPress, kReleaseIn, kDouble, kReleaseIn}, {1, 2, 1, 1, 1}, 1, false},
        EventCase{"right_button_is_ignored", btAutoUp, kDef,
                  {kEnter, kPressRight, kReleaseIn}, {1, 1, 1}, 0, false},
        EventCase{"disabled_ignores_the_pointer", btAutoUp, kDef,
                  {kDisable, kEnter, kPress, kReleaseIn, kEnable}, {6, 6, 6, 6, 0}, 0, false},
        EventCase{"toggle_latches_and_releases", btUpSD, kDef,
                  {kEnter, kPress, kReleaseIn, kLeave, kEnter, kPress, kReleaseIn},
                  {1, 2, 4, 3, 4, 5, 1}, 2, false},
        EventCase{"toggle_without_down_on_up_shows_latched_while_held", btUpSD,
                  kDef.Without(boMSDownOnUp).Without(boMSMoveOnSD), {kEnter, kPress, kReleaseIn}, {1, 3, 3}, 1, true},
        EventCase{"toggle_without_down_on_up_shows_latched_hover_while_held", btUpSD, kDef.Without(boMSDownOnUp),
                  {kEnter, kPress, kReleaseIn}, {1, 4, 4}, 1, true},
        EventCase{"toggle_without_down_on_sd_shows_up_while_held", btUpSD,
                  kDef.Without(boMSDownOnSD).Without(boMSMoveOnUp), {kEnter, kPress, kReleaseIn, kPress}, {0, 2, 4, 0},
                  1, true},
        EventCase{"toggle_latched_disabled", btUpSD, kDef,
                  {kEnter, kPress, kReleaseIn, kLeave, kDisable}, {1, 2, 4, 3, 7}, 1, true},
        EventCase{"direct_action_clicks_on_the_press", btAutoUp, kDef.With(boDirectAction),
                  {kEnter, kPress, kReleaseIn}, {1, 1, 1}, 1, false},
        EventCase{"direct_action_toggle", btUpSD, kDef.With(boDirectAction).Without(boMSAfterClick),
                  {kEnter, kPress, kReleaseIn}, {1, 3, 3}, 1, true},
        EventCase{"grouped_down_button_ignores_press_and_hover", btGrouped, kDef,
                  {kEnter, kPress, kReleaseIn, kLeave, kEnter, kPress, kReleaseIn}, {1, 2, 4, 3, 3, 3, 3}, 1, true},
        EventCase{"grouped_all_up_toggles_up", btGroupedAllUp, kDef,
                  {kEnter, kPress, kReleaseIn, kPress, kReleaseIn}, {1, 2, 4, 5, 1}, 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ButtonTest, MouseDownAndUpNotifications) {
  TSimpleBtn b;
  b.resize(30, 30);
  int downs = 0, ups = 0;
  QObject::connect(&b, &TBasicBtn::mouseDown, [&](QMouseEvent* e) {
    ++downs;
    EXPECT_EQ(e->position().toPoint().y(), 25);  // windows read Y of the press
  });
  QObject::connect(&b, &TBasicBtn::mouseUp, [&](QMouseEvent*) { ++ups; });
  Press(&b, {5, 25});
  Release(&b, {5, 25});
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 1);
  b.SetOptions(kDefaultBtnOptions.With(boDirectAction));
  Press(&b, {5, 25});  // direct action: no press notification
  EXPECT_EQ(downs, 1);
}

TEST(ButtonTest, GroupsReleaseSiblingsOfTheSameParentOnly) {
  QWidget parent, other;
  TSimpleBtn a(&parent), b(&parent), c(&parent), d(&other);
  int changes = 0;
  for (TSimpleBtn* x : {&a, &b, &c, &d}) {
    x->SetBtnType(btGrouped);
    x->SetGroupIndex(1);
    x->resize(20, 20);
  }
  c.SetGroupIndex(2);
  QObject::connect(&a, &TBasicBtn::changeStillDown, [&] { ++changes; });
  for (TSimpleBtn* x : {&a, &c, &d}) {
    Press(x, {5, 5});
    Release(x, {5, 5});
  }
  EXPECT_TRUE(a.StillDown());
  Press(&b, {5, 5});
  Release(&b, {5, 5});
  EXPECT_TRUE(b.StillDown());
  EXPECT_FALSE(a.StillDown());  // released by its sibling
  EXPECT_EQ(changes, 2);        // latched, then released
  EXPECT_TRUE(c.StillDown());   // another group
  EXPECT_TRUE(d.StillDown());   // same group number, another parent
}

TEST(ButtonTest, GroupIndexOnlyForGroupedKinds) {
  TSimpleBtn b;
  b.SetGroupIndex(3);
  EXPECT_EQ(b.GroupIndex(), 0);
  b.SetBtnType(btGrouped);
  b.SetGroupIndex(3);
  EXPECT_EQ(b.GroupIndex(), 3);
  b.SetBtnType(btUpSD);
  EXPECT_EQ(b.GroupIndex(), 0);
  b.SetStillDown(true);
  EXPECT_TRUE(b.StillDown());
  b.SetBtnType(btAutoUp);
  b.SetStillDown(true);
  EXPECT_FALSE(b.StillDown());  // a push button never stays down
}

TEST(ButtonTest, FocusControlThatCannotTakeFocusBlocksThePress) {
  QWidget parent;
  TSimpleBtn b(&parent);
  b.resize(20, 20);
  QLineEdit edit(&parent);
  edit.setFocusPolicy(Qt::NoFocus);
  b.SetFocusCtrl(&edit);
  int clicks = 0;
  QObject::connect(&b, &TBasicBtn::clicked, [&] { ++clicks; });
  Press(&b, {5, 5});
  Release(&b, {5, 5});
  EXPECT_EQ(clicks, 0);
  b.SetFocusCtrl(nullptr);
  Press(&b, {5, 5});
  Release(&b, {5, 5});
  EXPECT_EQ(clicks, 1);
}

TEST(ButtonTest, PictureForEachStateFallsBackToUp) {
  TSimpleBtn b;
  EXPECT_EQ(b.Glyphs()->PictureFor(1), -1);  // nothing at all by default
  b.Glyphs()->SetG0_Up(4);
  EXPECT_EQ(b.Glyphs()->PictureFor(1), 4);  // G1_MSMove -1: the up picture while hovered
  b.Glyphs()->SetG1_MSMove(5);
  EXPECT_EQ(b.Glyphs()->PictureFor(1), 5);
  EXPECT_EQ(b.Glyphs()->PictureFor(7), 4);
}

TEST(ButtonTest, LayoutPositions) {
  const QSize item(10, 6), button(30, 20);
  struct Case {
    TBasicBtnLayout layout;
    int adjH, adjV, shift;
    QPoint expected;
  } cases[] = {
      {laLeft, 0, 0, 0, {0, 7}},    {laTop, 0, 0, 0, {10, 0}},   {laRight, 0, 0, 0, {20, 7}},
      {laBottom, 0, 0, 0, {10, 14}}, {laCenter, 0, 0, 0, {10, 7}}, {laCenter, 2, -3, 0, {12, 4}},
      {laCenter, 0, 0, 1, {11, 8}}, {laLeft, -1, 1, 1, {0, 9}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BtnLayoutPos(c.layout, item, button, c.adjH, c.adjV, c.shift), c.expected) << int(c.layout);
  // Odd differences truncate toward zero, also when the item is larger than the button.
  EXPECT_EQ(BtnLayoutPos(laCenter, {31, 21}, {30, 20}, 0, 0, 0), QPoint(0, 0));
}

// A strip of solid squares: image i is colours[i].
TImageList SolidList(std::initializer_list<QColor> colours, QSize size) {
  QPixmap strip(size.width() * int(colours.size()), size.height());
  QPainter p(&strip);
  int i = 0;
  for (const QColor& c : colours) p.fillRect(QRect(QPoint(i++ * size.width(), 0), size), c);
  p.end();
  return TImageList(strip, size);
}

TEST(ButtonTest, DrawsThePictureOfItsStateWithTheClickOffset) {
  QWidget parent;
  parent.setAutoFillBackground(true);
  QPalette pal;
  pal.setColor(QPalette::Window, Qt::black);
  parent.setPalette(pal);
  TSimpleBtn b(&parent);
  b.setGeometry(0, 0, 20, 20);
  b.Glyphs()->SetGlyphList(SolidList({Qt::red, Qt::green, Qt::blue}, {10, 10}));
  b.Glyphs()->SetGlyphLayout(laCenter);
  b.Glyphs()->SetFace(0, 1, 2);
  b.SetOptions(kDefaultBtnOptions.With(boGlyphMoveOnClick));
  int paints = 0;
  QObject::connect(&b, &TSimpleBtn::beforePaint, [&] { ++paints; });

  QImage shot = parent.grab(QRect(0, 0, 20, 20)).toImage();
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(shot.pixelColor(4, 4), QColor(Qt::black));
  EXPECT_GE(paints, 1);

  Enter(&b);
  Press(&b, {5, 5});
  shot = parent.grab(QRect(0, 0, 20, 20)).toImage();
  EXPECT_EQ(shot.pixelColor(15, 15), QColor(Qt::blue));  // moved one pixel right and down
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::black));
  Release(&b, {5, 5});
  shot = parent.grab(QRect(0, 0, 20, 20)).toImage();
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::green));

  // A face set at run time shows in the next picture; an index past the list draws nothing.
  b.Glyphs()->SetFace(2, 2, 2);
  EXPECT_EQ(parent.grab(QRect(0, 0, 20, 20)).toImage().pixelColor(10, 10), QColor(Qt::blue));
  b.Glyphs()->SetFace(7, -1, -1);
  EXPECT_EQ(parent.grab(QRect(0, 0, 20, 20)).toImage().pixelColor(10, 10), QColor(Qt::black));
}

TEST(ButtonTest, CaptionPlacedAndGreyedWhenDisabled) {
  QWidget parent;
  parent.setAutoFillBackground(true);
  QPalette pal;
  pal.setColor(QPalette::Window, Qt::black);
  pal.setColor(QPalette::WindowText, Qt::white);
  parent.setPalette(pal);
  TSimpleBtn b(&parent);
  b.setGeometry(0, 0, 80, 20);
  b.SetCaption("Jouer");
  b.SetCaptionLayout(laLeft);
  auto litColumns = [&](QRgb* brightest) {
    const QImage shot = parent.grab(QRect(0, 0, 80, 20)).toImage();
    int last = -1;
    *brightest = 0;
    for (int x = 0; x < 80; ++x)
      for (int y = 0; y < 20; ++y)
        if (qGray(shot.pixel(x, y)) > 40) {
          last = x;
          if (qGray(shot.pixel(x, y)) > qGray(*brightest)) *brightest = shot.pixel(x, y);
        }
    return last;
  };
  QRgb bright;
  const int lastLeft = litColumns(&bright);
  EXPECT_GT(lastLeft, 5);
  EXPECT_LT(lastLeft, 50);  // left-placed
  EXPECT_GT(qGray(bright), 200);
  b.SetEnabled(false);
  litColumns(&bright);
  EXPECT_LT(qGray(bright), 150);  // CaptionColorDisabled, grey
  EXPECT_GT(qGray(bright), 60);
}

TEST(ButtonTest, DefaultsAndTag2) {
  TSimpleBtn b;
  EXPECT_EQ(b.size(), QSize(23, 22));
  EXPECT_EQ(b.Options(), kDefaultBtnOptions);
  EXPECT_EQ(b.BtnType(), btAutoUp);
  EXPECT_EQ(b.CaptionLayout(), laCenter);
  EXPECT_EQ(b.CaptionColorDisabled, 0x808080u);
  EXPECT_EQ(b.Glyphs()->GlyphLayout(), laLeft);
  EXPECT_TRUE(b.Glyphs()->Transparent);
  EXPECT_EQ(b.Tag2, 0);
}

}  // namespace

namespace {

TEST(ButtonTest, FacesSetAtRunTimeRepaintAtOnce) {
  // The play and record buttons change faces while a station connects, from code that
  // does not return to the event loop first: the new face must be painted right away.
  QWidget parent;
  parent.resize(40, 40);
  TSimpleBtn b(&parent);
  b.setGeometry(0, 0, 20, 20);
  parent.show();
  QCoreApplication::processEvents();
  int paints = 0;
  QObject::connect(&b, &TSimpleBtn::beforePaint, [&] { ++paints; });
  b.Glyphs()->SetFace(3, -1, -1);
  EXPECT_EQ(paints, 1);
  b.Glyphs()->SetG0_Up(1);
  EXPECT_EQ(paints, 2);
}

}  // namespace
