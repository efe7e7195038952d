// The tray icon's image for the mail state it shows, drawn over the program's icon at each
// size a tray asks for (never a scaled bitmap, so every size stays sharp).
//
// - No mail: the program's icon as it is.
// - Mail waiting: the count in a dark badge at the upper right ("99+" above 99; at the
//   smallest sizes "9+" above 9, which is all that stays legible there).
// - New mail: the same badge in orange, so the change is seen from across the screen.
// - A failed account: a red badge with a white "!" at the lower right.
// - Checking: a blue badge with a white circular arrow at the lower left.
//   The badges combine: a check of a failed account with mail shows all three.
#pragma once

#include <QIcon>
#include <QImage>

namespace tolvane::gui {

struct TrayLook {
    unsigned nMails = 0;
    bool bNew = false; // the latest check found mail not seen before
    bool bFailed = false;
    bool bChecking = false;

    bool operator==(const TrayLook&) const = default;
};

// The sizes the icon is drawn at.
inline constexpr int kTrayIconSizes[] = {16, 22, 24, 32, 48, 64};

// One size, ARGB32 premultiplied.
QImage TrayIconImage(const TrayLook& look, int size);
// Every size of kTrayIconSizes.
QIcon TrayIconFor(const TrayLook& look);

} // namespace tolvane::gui
