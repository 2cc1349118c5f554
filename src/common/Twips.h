// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>
#include <QtMath>

namespace kivo {

// Window sizes are designed in twips; Qt's logical pixels are 1/96 inch, so 15 twips make
// one pixel and Qt itself scales for high-DPI screens.
inline constexpr int TwipsPerPixel = 15;

inline int twipsToPixels(double twips) {
    return qRound(twips / TwipsPerPixel);
}

inline int pixelsToTwips(int pixels) {
    return pixels * TwipsPerPixel;
}

inline QRect twipsRect(double left, double top, double width, double height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

inline QSize twipsSize(double width, double height) {
    return {twipsToPixels(width), twipsToPixels(height)};
}

} // namespace kivo
