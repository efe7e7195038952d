// The tray icon's images: every state looks different from every other at every size a
// tray asks for, the count is drawn (another count, another image), and each size is drawn
// at that size rather than scaled from another.
#include "app/TrayIconImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace tolvane::test {
namespace {

using gui::TrayLook;

TEST(TrayIconImage, EachStateAndCountLooksDifferentAtEverySize) {
    const std::vector<TrayLook> looks = {
        {},                                                // no mail
        {.nMails = 3},                                     // waiting
        {.nMails = 4},                                     // another count
        {.nMails = 3, .bNew = true},                       // new
        {.bFailed = true},                                 // a failed account
        {.bChecking = true},                               // checking
        {.nMails = 3, .bFailed = true, .bChecking = true}, // all at once
    };
    for (const int size : gui::kTrayIconSizes) {
        std::vector<QImage> images;
        for (const TrayLook& look : looks) {
            const QImage image = gui::TrayIconImage(look, size);
            ASSERT_EQ(image.size(), QSize(size, size)) << size;
            EXPECT_EQ(image.devicePixelRatio(), 1.0);
            images.push_back(image);
        }
        for (size_t i = 0; i < images.size(); ++i) {
            for (size_t j = i + 1; j < images.size(); ++j) {
                EXPECT_NE(images[i], images[j]) << "size " << size << ": " << i << " vs " << j;
            }
        }
    }
}

TEST(TrayIconImage, LargeCountsAreCappedWhereTheyWouldNotFit) {
    // Above the cap every count is drawn alike ("9+" at 16 px, "99+" from 24 px).
    EXPECT_EQ(gui::TrayIconImage({.nMails = 10}, 16), gui::TrayIconImage({.nMails = 500}, 16));
    EXPECT_NE(gui::TrayIconImage({.nMails = 10}, 32), gui::TrayIconImage({.nMails = 11}, 32));
    EXPECT_EQ(gui::TrayIconImage({.nMails = 100}, 32), gui::TrayIconImage({.nMails = 500}, 32));
    const QIcon icon = gui::TrayIconFor({.nMails = 1});
    EXPECT_EQ(icon.availableSizes().size(), std::size(gui::kTrayIconSizes));
}

} // namespace
} // namespace tolvane::test
