// The list's mark colours on light and dark palettes: unchanged where they read well, made
// lighter in their own hue where the background is dark.
#include "app/maillist/ReadableColour.h"

#include <gtest/gtest.h>

namespace tolvane::gui {
namespace {

TEST(ReadableColour, MarksKeepTheirColourOnLightAndReachTheContrastOnDark) {
    const QColor blue(0, 0, 255);
    const QColor red(255, 0, 0);
    EXPECT_NEAR(ContrastRatio(QColor(Qt::black), QColor(Qt::white)), 21.0, 1e-9);
    for (const QColor& light : {QColor(Qt::white), QColor(0xf0, 0xf0, 0xf0)}) {
        EXPECT_EQ(ReadableOn(blue, light), blue);
        EXPECT_EQ(ReadableOn(red, light), red);
    }
    for (const QColor& dark :
         {QColor(0x2a, 0x2a, 0x2a), QColor(Qt::black), QColor(0x30, 0x30, 0x40)}) {
        EXPECT_LT(ContrastRatio(blue, dark), kMinContrast); // what there is to mend
        for (const QColor& mark : {blue, red}) {
            const QColor shown = ReadableOn(mark, dark);
            EXPECT_GE(ContrastRatio(shown, dark), kMinContrast) << shown.name().toStdString();
            if (mark != shown) {
                EXPECT_EQ(shown.toHsl().hslHue(), mark.toHsl().hslHue()); // still blue or red
            }
        }
    }
}

} // namespace
} // namespace tolvane::gui
