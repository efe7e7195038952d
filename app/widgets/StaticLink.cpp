#include "app/widgets/StaticLink.h"

#include "app/widgets/UrlOpener.h"

#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace tolvane {

CStaticLink::CStaticLink(const QString& link, bool bCloseParent, QWidget* parent)
    : QLabel(parent), m_strLink(link), m_bCloseParent(bCloseParent) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, LinkColour());
    setPalette(colours);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setTextFormat(Qt::PlainText);
}

const QColor& CStaticLink::LinkColour() {
    static const QColor kBlue(0, 0, 255);
    return kBlue;
}

void CStaticLink::Activate() {
    const QString link = m_strLink.isEmpty() ? text() : m_strLink;
    if (link.isEmpty()) {
        return;
    }
    OpenUrl(QUrl::fromUserInput(link));
    if (m_bCloseParent) {
        if (auto* dialog = qobject_cast<QDialog*>(window())) {
            dialog->accept();
        }
    }
}

void CStaticLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        Activate();
        return;
    }
    QLabel::mousePressEvent(event);
}

void CStaticLink::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        event->accept();
        Activate();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void CStaticLink::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) {
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

} // namespace tolvane
