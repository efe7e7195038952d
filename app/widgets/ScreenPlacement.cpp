#include "app/widgets/ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace tolvane {

namespace {

int HoldWithin(int start, int length, int areaStart, int areaLength) {
    return std::max(areaStart, std::min(start, areaStart + areaLength - length));
}

} // namespace

QPoint PlaceOnScreen(const QRect& frame, const QList<QRect>& areas, const QRect& primaryArea) {
    QRect area = primaryArea;
    for (const QRect& candidate : areas) {
        if (candidate.contains(frame.topLeft())) {
            area = candidate;
            break;
        }
    }
    if (area.isEmpty()) {
        return frame.topLeft();
    }
    return QPoint(HoldWithin(frame.left(), frame.width(), area.left(), area.width()),
                  HoldWithin(frame.top(), frame.height(), area.top(), area.height()));
}

QPoint PlaceOnScreens(const QPoint& topLeft, const QSize& frameSize) {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas.append(screen->availableGeometry());
    }
    return PlaceOnScreen(QRect(topLeft, frameSize), areas, PrimaryFreeArea());
}

QRect PrimaryFreeArea() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry() : QRect();
}

QRect FreeAreaAt(const QPoint& point) {
    const QScreen* screen = QGuiApplication::screenAt(point);
    return screen ? screen->availableGeometry() : PrimaryFreeArea();
}

} // namespace tolvane
