// Where windows go on the screens of this session. PlaceOnScreen: where a small window
// that remembers its position goes when it is created: on the screen that holds its
// stored top-left corner, moved just far enough to lie wholly inside that screen's free
// area (panels and docks excluded). A position on no screen at all (a
// monitor that is gone, a damaged setting) comes back onto the primary screen. A window
// larger than the area keeps its top-left in the area's top-left.
#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

class QWidget;

namespace tolvane {

// frame: the window with its frame at the stored position; areas: the free areas of
// every screen; primaryArea: the primary screen's. Returns the top-left to move to.
QPoint PlaceOnScreen(const QRect& frame, const QList<QRect>& areas, const QRect& primaryArea);

// PlaceOnScreen with the screens of this session, for a window of this size at topLeft.
QPoint PlaceOnScreens(const QPoint& topLeft, const QSize& frameSize);

// The free area of the primary screen; of the screen that holds point, else the primary's.
// An empty rectangle when the session has no screen at all.
QRect PrimaryFreeArea();
QRect FreeAreaAt(const QPoint& point);

} // namespace tolvane
