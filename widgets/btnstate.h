// The skinned button's rules, free of any widget: which of the eight pictures a state
// shows, and where a picture or caption sits in the button.
#pragma once

#include <QPoint>
#include <QSize>
#include <cstdint>
#include <initializer_list>

enum TBasicBtnType : unsigned char { btAutoUp, btUpSD, btGrouped, btGroupedAllUp };
enum TBasicBtnLayout : unsigned char { laLeft, laTop, laRight, laBottom, laCenter };
enum TBasicBtnOption : unsigned char {
  boMSDownOnUp,
  boMSDownOnSD,
  boMSMoveOnUp,
  boMSMoveOnSD,
  boMSAfterClick,
  boDirectAction,
  boCaptionMoveOnClick,
  boGlyphMoveOnClick,
};
enum TCaptionAlignment : unsigned char { taLeftJustify, taRightJustify, taCenter };

// A set of TBasicBtnOption, one bit each (bit n = option n).
class TBasicBtnOptions {
 public:
  constexpr TBasicBtnOptions() = default;
  constexpr TBasicBtnOptions(std::initializer_list<TBasicBtnOption> options) {
    for (auto o : options) bits_ |= uint8_t(1u << o);
  }
  constexpr bool Has(TBasicBtnOption o) const { return bits_ & (1u << o); }
  constexpr TBasicBtnOptions With(TBasicBtnOption o) const { return FromBits(bits_ | uint8_t(1u << o)); }
  constexpr TBasicBtnOptions Without(TBasicBtnOption o) const { return FromBits(bits_ & uint8_t(~(1u << o))); }
  constexpr uint8_t Bits() const { return bits_; }
  static constexpr TBasicBtnOptions FromBits(uint8_t bits) {
    TBasicBtnOptions o;
    o.bits_ = bits;
    return o;
  }
  constexpr bool operator==(const TBasicBtnOptions&) const = default;

 private:
  uint8_t bits_ = 0;
};

// The options a new button has: the first five.
inline constexpr TBasicBtnOptions kDefaultBtnOptions{boMSDownOnUp, boMSDownOnSD, boMSMoveOnUp, boMSMoveOnSD,
                                                     boMSAfterClick};

// Visual states: 0 up, 1 up + hover, 2 up + pressed, 3 latched, 4 latched + hover,
// 5 latched + pressed, 6 disabled up, 7 disabled latched.
int ComputeVisualState(TBasicBtnType type, TBasicBtnOptions options, bool stillDown, bool enabled,
                       bool pressed, bool pointerInside);

// Where an item of `item` size sits in a button of `button` size. `shift` is the click
// offset (1 while pressed with the matching option, else 0).
QPoint BtnLayoutPos(TBasicBtnLayout layout, QSize item, QSize button, int adjustH, int adjustV, int shift);
