// Text colours that stay readable on the palette in use. The list's marks (red for
// deletion, blue for new mail) are fixed colours chosen for a light background; on a dark
// one blue has a contrast of about 1.3:1.
//
// ContrastRatio is the usual relative-luminance ratio of two colours (1 to 21).
// ReadableOn returns wanted itself on a light background (lightness of 128 or more);
// on a dark one, wanted lightened in its own hue until its contrast with background is
// at least kMinContrast (white when no lighter shade of the hue reaches it).
#pragma once

#include <QColor>

namespace tolvane::gui {

inline constexpr double kMinContrast = 4.5;

double ContrastRatio(const QColor& a, const QColor& b);
QColor ReadableOn(const QColor& wanted, const QColor& background);

} // namespace tolvane::gui
