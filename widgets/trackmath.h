// The skinned slider's arithmetic, free of any widget: values from pointer positions,
// thumb places from values, and the one-step click beside the thumb. Rounding is to
// nearest with ties to even.
//
// A range whose top is not above its bottom (ValeurMin = ValeurMax, say) would divide
// by zero: such a range has one value, so every pointer position gives ValeurMin and
// the thumb rests at the left end.
#pragma once

// Clamps as the slider stores a value: below `min` gives `min`, above `max` gives `max`.
int TrackClamp(int value, int min, int max);

// The value under pointer x: x / (controlWidth - halfThumb) x (max - min) + min,
// rounded and clamped.
int TrackValueAt(int x, int controlWidth, int halfThumb, int min, int max);

// Left of the thumb for `position` when not dragging:
// Round((controlWidth - thumbWidth) / (max - min) x (position - min)), held inside
// the control.
int TrackThumbLeft(int controlWidth, int thumbWidth, int position, int min, int max);

// Holds a thumb left inside the control: at most controlWidth - thumbWidth, then at
// least 0.
int TrackHoldThumb(int left, int controlWidth, int thumbWidth);

// A click beside the thumb (not a drag): one step towards the pointer, none exactly on
// the thumb's centre column. The result is not clamped.
int TrackClickValue(int x, int thumbLeft, int halfThumb, int position);
