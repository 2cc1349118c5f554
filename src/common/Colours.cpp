// SPDX-License-Identifier: GPL-3.0-or-later
#include "Colours.h"

#include <array>
#include <cmath>

namespace kivo {
namespace {

// Aimed above the 4.5:1 that text needs: anti-aliased glyphs on a dark background measure
// well below the contrast of their colour.
constexpr double ReadableContrast = 7.0;

// The light of each of a channel's 256 values, worked out by the compiler: calling pow()
// would keep pages of the maths library in memory for as long as Kivo runs.
constexpr std::array<double, 256> Linear = [] {
    std::array<double, 256> light{};
    for (int value = 0; value < 256; ++value) {
        const double channel = value / 255.0;
        light[value] =
            channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    }
    return light;
}();

double luminance(const QColor& colour) {
    return 0.2126 * Linear[colour.red()] + 0.7152 * Linear[colour.green()] +
           0.0722 * Linear[colour.blue()];
}

// Light text reads better than dark text on it.
bool isDark(const QColor& background) {
    return contrastRatio(background, Qt::white) > contrastRatio(background, Qt::black);
}

} // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& described, const QColor& background) {
    if (!isDark(background))
        return described;
    QColor shown = described.toHsl();
    for (float lightness = shown.hslSaturationF() > 0 ? 0.5f : 0.0f;
         contrastRatio(shown, background) < ReadableContrast && lightness <= 1.0f;
         lightness += 0.01f)
        shown.setHslF(described.hslHueF(), described.hslSaturationF(),
                      std::max(lightness, described.lightnessF()));
    return shown.toRgb();
}

} // namespace kivo
