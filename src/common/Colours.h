// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

namespace kivo {

// WCAG 2 contrast ratio of two colours, from 1 (none) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// The described colours assume a light background. On one they are shown as they are; on a
// dark background, the same hue is made lighter until it reads (a contrast of 4.5:1, WCAG AA).
QColor readableOn(const QColor& described, const QColor& background);

} // namespace kivo
