#include "app/maillist/ReadableColour.h"

#include <algorithm>
#include <cmath>

namespace tolvane::gui {

namespace {

double Linear(double channel) {
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    return 0.2126 * Linear(colour.redF()) + 0.7152 * Linear(colour.greenF()) +
           0.0722 * Linear(colour.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& background) {
    if (background.lightness() >= 128 || ContrastRatio(wanted, background) >= kMinContrast) {
        return wanted;
    }
    const QColor hsl = wanted.toHsl();
    for (int lightness = hsl.lightness(); lightness <= 255; ++lightness) {
        const QColor lighter = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness);
        if (ContrastRatio(lighter, background) >= kMinContrast) {
            return lighter;
        }
    }
    return QColor(Qt::white);
}

} // namespace tolvane::gui
