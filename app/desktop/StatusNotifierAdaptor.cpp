#include "app/desktop/StatusNotifierAdaptor.h"

#include "app/desktop/StatusNotifierItem.h"

#include <QDBusMetaType>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

#include <cstring>

namespace tolvane::gui {

QDBusArgument& operator<<(QDBusArgument& argument, const SniPixmap& pixmap) {
    argument.beginStructure();
    argument << pixmap.nWidth << pixmap.nHeight << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SniPixmap& pixmap) {
    argument.beginStructure();
    argument >> pixmap.nWidth >> pixmap.nHeight >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& tip) {
    argument.beginStructure();
    argument << tip.strIconName << tip.pixmaps << tip.strTitle << tip.strText;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& tip) {
    argument.beginStructure();
    argument >> tip.strIconName >> tip.pixmaps >> tip.strTitle >> tip.strText;
    argument.endStructure();
    return argument;
}

SniPixmaps ToSniPixmaps(const QIcon& icon) {
    SniPixmaps pixmaps;
    for (const QSize& size : icon.availableSizes()) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        SniPixmap pixmap{image.width(), image.height(), {}};
        pixmap.bytes.reserve(image.width() * image.height() * 4);
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const quint32 argb = qToBigEndian(line[x]);
                char bytes[4];
                std::memcpy(bytes, &argb, sizeof bytes);
                pixmap.bytes.append(bytes, sizeof bytes);
            }
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

CStatusNotifierAdaptor::CStatusNotifierAdaptor(CStatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), m_pItem(item) {
    RegisterTypes();
}

void CStatusNotifierAdaptor::RegisterTypes() {
    static const bool registered = [] {
        qDBusRegisterMetaType<SniPixmap>();
        qDBusRegisterMetaType<SniPixmaps>();
        qDBusRegisterMetaType<SniToolTip>();
        return true;
    }();
    (void)registered;
}

QString CStatusNotifierAdaptor::Title() const {
    return m_pItem->ToolTipTitle();
}

QString CStatusNotifierAdaptor::Status() const {
    return m_pItem->NeedsAttention() ? QStringLiteral("NeedsAttention") : QStringLiteral("Active");
}

SniPixmaps CStatusNotifierAdaptor::IconPixmap() const {
    return ToSniPixmaps(m_pItem->Icon());
}

SniToolTip CStatusNotifierAdaptor::ToolTip() const {
    return {QString(), {}, m_pItem->ToolTipTitle(), m_pItem->ToolTipText()};
}

void CStatusNotifierAdaptor::TellIconChanged() {
    Q_EMIT NewIcon();
    Q_EMIT NewAttentionIcon();
}

void CStatusNotifierAdaptor::TellToolTipChanged() {
    Q_EMIT NewToolTip();
}

void CStatusNotifierAdaptor::TellStatusChanged() {
    Q_EMIT NewStatus(Status());
}

void CStatusNotifierAdaptor::Activate(int x, int y) {
    m_pItem->OnActivate(QPoint(x, y));
}

void CStatusNotifierAdaptor::SecondaryActivate(int /*x*/, int /*y*/) {}

void CStatusNotifierAdaptor::ContextMenu(int x, int y) {
    m_pItem->OnContextMenu(QPoint(x, y));
}

void CStatusNotifierAdaptor::Scroll(int /*delta*/, const QString& /*orientation*/) {}

void CStatusNotifierAdaptor::ProvideXdgActivationToken(const QString& token) {
    m_pItem->OnActivationToken(token);
}

} // namespace tolvane::gui
