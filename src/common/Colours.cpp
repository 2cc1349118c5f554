// SPDX-License-Identifier: GPL-3.0-or-later
#include "Colours.h"

#include <cmath>

namespace kivo {
namespace {

// Aimed above the 4.5:1 that text needs: anti-aliased glyphs on a dark background measure
// well below the contrast of their colour.
constexpr double ReadableContrast = 7.0;

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& colour) {
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
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
