// Colour helpers shared by the clock's painted controls (0xRRGGBB values as the layer passes them).
#pragma once

#include <QColor>

namespace qs::controls {

inline QColor FromRgb(int rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}
inline int ToRgb(const QColor& c) {
    return (c.red() << 16) | (c.green() << 8) | c.blue();
}

// The clock's "unlit" light value: lights of this colour are drawn dark, without glow.
inline constexpr int kUnlitRgb = 0x303030;

// The program's colours: button face and caption.
inline constexpr int kButtonRgb = 0x554646;
inline constexpr int kCaptionRgb = 0xFFFFFF;
// The keyboard focus ring: the program's amber, plain on the dark faces and panels.
inline constexpr int kFocusRgb = 0xFFB300;

}  // namespace qs::controls
