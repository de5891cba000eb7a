#include "widgets/colorvalue.h"

namespace {

// System colour indexes, in the order the colour pickers number them.
QColor SystemColor(int index, const QPalette& p) {
  using R = QPalette::ColorRole;
  switch (index) {
    case 0: return p.color(R::Mid);                    // scroll bar
    case 1: return p.color(R::Dark);                   // desktop
    case 2: return p.color(QPalette::Active, R::Highlight);    // active caption
    case 3: return p.color(QPalette::Inactive, R::Highlight);  // inactive caption
    case 4: return p.color(R::Window);                 // menu
    case 5: return p.color(R::Base);                   // window
    case 6: return p.color(R::Shadow);                 // window frame
    case 7: return p.color(R::WindowText);             // menu text
    case 8: return p.color(R::Text);                   // window text
    case 9: return p.color(QPalette::Active, R::HighlightedText);    // caption text
    case 10: return p.color(R::Button);                // active border
    case 11: return p.color(R::Button);                // inactive border
    case 12: return p.color(R::Dark);                  // application workspace
    case 13: return p.color(R::Highlight);
    case 14: return p.color(R::HighlightedText);
    case 15: return p.color(R::Button);                // button face
    case 16: return p.color(R::Dark);                  // button shadow
    case 17: return p.color(QPalette::Disabled, R::Text);  // grey text
    case 18: return p.color(R::ButtonText);
    case 19: return p.color(QPalette::Inactive, R::HighlightedText);  // inactive caption text
    case 20: return p.color(R::Light);                 // button highlight
    case 21: return p.color(R::Shadow);                // 3D dark shadow
    case 22: return p.color(R::Midlight);              // 3D light
    case 23: return p.color(R::ToolTipText);
    case 24: return p.color(R::ToolTipBase);
    case 26: return p.color(R::Link);                  // hot light
    case 27: return p.color(QPalette::Active, R::Highlight);    // gradient active caption
    case 28: return p.color(QPalette::Inactive, R::Highlight);  // gradient inactive caption
    case 29: return p.color(R::Highlight);             // menu highlight
    case 30: return p.color(R::Window);                // menu bar
    default: return QColor(Qt::black);
  }
}

}  // namespace

QColor ColorFromValue(TColorValue value, const QPalette& palette) {
  if (IsSystemColorValue(value)) return SystemColor(int(value & 0xFF), palette);
  return QColor(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}

QRgb RgbFromValue(TColorValue value, const QPalette& palette) {
  if (IsSystemColorValue(value)) return ColorFromValue(value, palette).rgb();
  return qRgb(int(value & 0xFF), int(value >> 8 & 0xFF), int(value >> 16 & 0xFF));
}
