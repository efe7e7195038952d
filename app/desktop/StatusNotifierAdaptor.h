// CStatusNotifierAdaptor: the org.kde.StatusNotifierItem interface of CStatusNotifierItem as
// panels read it: its properties, the calls a panel makes on a click, and the signals that
// tell it to read them again. Icons go as ARGB32 pixmaps in network byte order at every size
// the icon has, so the panel needs no icon theme to draw them.
#pragma once

#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QList>
#include <QMetaType>
#include <QString>

class QIcon;

namespace tolvane::gui {

class CStatusNotifierItem;

// (iiay): one size of an icon.
struct SniPixmap {
    int nWidth = 0;
    int nHeight = 0;
    QByteArray bytes;
};
using SniPixmaps = QList<SniPixmap>;
// (sa(iiay)ss): icon name, icon, title, text.
struct SniToolTip {
    QString strIconName;
    SniPixmaps pixmaps;
    QString strTitle;
    QString strText;
};

QDBusArgument& operator<<(QDBusArgument& argument, const SniPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& tip);

// Every size of the icon, as the protocol carries it.
SniPixmaps ToSniPixmaps(const QIcon& icon);

class CStatusNotifierAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ Category)
    Q_PROPERTY(QString Id READ Id)
    Q_PROPERTY(QString Title READ Title)
    Q_PROPERTY(QString Status READ Status)
    Q_PROPERTY(int WindowId READ WindowId)
    Q_PROPERTY(QString IconName READ IconName)
    Q_PROPERTY(tolvane::gui::SniPixmaps IconPixmap READ IconPixmap)
    Q_PROPERTY(QString OverlayIconName READ IconName)
    Q_PROPERTY(tolvane::gui::SniPixmaps OverlayIconPixmap READ NoPixmaps)
    Q_PROPERTY(QString AttentionIconName READ IconName)
    Q_PROPERTY(tolvane::gui::SniPixmaps AttentionIconPixmap READ IconPixmap)
    Q_PROPERTY(QString AttentionMovieName READ IconName)
    Q_PROPERTY(tolvane::gui::SniToolTip ToolTip READ ToolTip)
    Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)

public:
    explicit CStatusNotifierAdaptor(CStatusNotifierItem* item);

    // The types above known to Qt's D-Bus marshalling (once, before the first use).
    static void RegisterTypes();

    QString Category() const { return QStringLiteral("Communications"); }
    QString Id() const { return QStringLiteral("org.orrindale.Tolvane"); }
    QString Title() const;
    QString Status() const;
    int WindowId() const { return 0; }
    QString IconName() const { return QString(); }
    SniPixmaps IconPixmap() const;
    SniPixmaps NoPixmaps() const { return {}; }
    SniToolTip ToolTip() const;
    bool ItemIsMenu() const { return false; }

    void TellIconChanged();
    void TellToolTipChanged();
    void TellStatusChanged();

public Q_SLOTS:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);
    void ProvideXdgActivationToken(const QString& token);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    CStatusNotifierItem* m_pItem;
};

} // namespace tolvane::gui

Q_DECLARE_METATYPE(tolvane::gui::SniPixmap)
Q_DECLARE_METATYPE(tolvane::gui::SniToolTip)
