#include "app/TrayIconImage.h"

#include "app/Resources.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace tolvane::gui {

namespace {

const QColor kWaitingBadge(40, 60, 90);
const QColor kNewBadge(230, 110, 0);
const QColor kFailedBadge(200, 0, 0);
const QColor kCheckingBadge(20, 110, 210);

QString CountText(unsigned nMails, int size) {
    const unsigned cap = size < 24 ? 9 : 99;
    return nMails > cap ? QString::number(cap) + u'+' : QString::number(nMails);
}

// A badge with a thin light rim, so it stands out on dark and light panels alike.
void DrawBadge(QPainter& painter, const QRectF& rect, const QColor& colour) {
    painter.setPen(QPen(QColor(255, 255, 255, 220), std::max(1.0, rect.height() / 12.0)));
    painter.setBrush(colour);
    const qreal radius = rect.height() / 2.0;
    painter.drawRoundedRect(rect, radius, radius);
}

void DrawCount(QPainter& painter, const TrayLook& look, int size) {
    const QString text = CountText(look.nMails, size);
    // The upper right quarter, leaving the other badges' corners free. Whole pixels:
    // fractional sizes blur the digits at tray sizes.
    const int height = std::max(9, size / 2);
    QFont font;
    font.setBold(true);
    font.setPixelSize(std::max(7, height * 4 / 5));
    const QFontMetrics metrics(font);
    const int width = std::clamp(metrics.horizontalAdvance(text) + height / 3, height, size);
    const QRectF badge(size - width, 0, width, height);
    DrawBadge(painter, badge, look.bNew ? kNewBadge : kWaitingBadge);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(badge, Qt::AlignCenter, text);
}

void DrawFailed(QPainter& painter, int size) {
    const QRectF badge(size * 0.5, size * 0.5, size * 0.5, size * 0.5);
    DrawBadge(painter, badge, kFailedBadge);
    painter.setPen(QPen(Qt::white, std::max(1.5, size / 12.0), Qt::SolidLine, Qt::RoundCap));
    const qreal x = badge.center().x();
    painter.drawLine(QPointF(x, badge.top() + badge.height() * 0.22),
                     QPointF(x, badge.top() + badge.height() * 0.58));
    painter.drawPoint(QPointF(x, badge.top() + badge.height() * 0.78));
}

void DrawChecking(QPainter& painter, int size) {
    const QRectF badge(0, size * 0.5, size * 0.5, size * 0.5);
    DrawBadge(painter, badge, kCheckingBadge);
    const qreal pen = std::max(1.5, size / 14.0);
    const QRectF ring = badge.adjusted(badge.width() * 0.25, badge.height() * 0.25,
                                       -badge.width() * 0.25, -badge.height() * 0.25);
    painter.setPen(QPen(Qt::white, pen, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(ring, 90 * 16, 270 * 16); // from the top, anticlockwise to the right
    // The arrow head at the arc's open end, pointing on round the circle.
    const QPointF tip(ring.center().x(), ring.top());
    const qreal head = ring.width() * 0.45;
    QPainterPath arrow;
    arrow.moveTo(tip + QPointF(head, 0));
    arrow.lineTo(tip + QPointF(0, -head * 0.7));
    arrow.lineTo(tip + QPointF(0, head * 0.7));
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawPath(arrow);
}

} // namespace

QImage TrayIconImage(const TrayLook& look, int size) {
    EnsureResources();
    QImage image = QIcon(QStringLiteral(":/icons/tolvane.svg"))
                       .pixmap(size, size)
                       .toImage()
                       .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1.0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (look.bChecking) {
        DrawChecking(painter, size);
    }
    if (look.bFailed) {
        DrawFailed(painter, size);
    }
    if (look.nMails > 0) {
        DrawCount(painter, look, size);
    }
    painter.end();
    return image;
}

QIcon TrayIconFor(const TrayLook& look) {
    QIcon icon;
    for (const int size : kTrayIconSizes) {
        icon.addPixmap(QPixmap::fromImage(TrayIconImage(look, size)));
    }
    return icon;
}

} // namespace tolvane::gui
