#include "app/TrayIcon.h"

#include "app/CommandIds.h"
#include "app/GuiTexts.h"
#include "app/Resources.h"
#include "app/StatusTexts.h"
#include "app/widgets/QtText.h"

#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

#include <algorithm>

namespace tolvane::gui {

namespace {

// A tray that is not there at start-up is looked for every 5 s for two minutes: long
// enough for a desktop session to bring up its panel.
constexpr int kWatchIntervalMs = 5000;
constexpr int kWatchCount = 24;

std::function<bool()>& Probe() {
    static std::function<bool()> probe;
    return probe;
}

bool TrayAvailable() {
    return Probe() ? Probe()() : QSystemTrayIcon::isSystemTrayAvailable();
}

QIcon ProgramIcon() {
    return QIcon(QStringLiteral(":/icons/tolvane.svg"));
}

// The program's icon with a red badge and a white "!" in its lower right corner, drawn
// at the sizes a tray asks for.
QIcon FailedIcon() {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = ProgramIcon().pixmap(size, size);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF badge(size * 0.45, size * 0.45, size * 0.55, size * 0.55);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 0, 0));
        painter.drawEllipse(badge);
        painter.setPen(QPen(Qt::white, std::max(1.5, size / 12.0), Qt::SolidLine, Qt::RoundCap));
        const qreal x = badge.center().x();
        painter.drawLine(QPointF(x, badge.top() + badge.height() * 0.22),
                         QPointF(x, badge.top() + badge.height() * 0.58));
        painter.drawPoint(QPointF(x, badge.top() + badge.height() * 0.78));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

void CTrayIcon::SetTrayProbe(std::function<bool()> probe) {
    Probe() = std::move(probe);
}

CTrayIcon::CTrayIcon(QObject* parent, State state)
    : QObject(parent), m_state(std::move(state)), m_strTip(Tr(txt::kTipNoMail)) {
    EnsureResources();
    m_pMenu = new QMenu();
    m_pMenu->setObjectName(QStringLiteral("trayMenu"));
    m_pShowHide = AddItem(ID_SHOW_HIDE, txt::kTrayHide);
    m_pShowHide->setStatusTip(Tr(txt::kTrayShowHidePrompt));
    m_pMenu->setDefaultAction(m_pShowHide);
    m_pMenu->addSeparator();
    AddItem(ID_CHECK_ALL, txt::kTrayCheck);
    m_pMenu->addSeparator();
    AddItem(ID_OPTIONS, txt::kOptions);
    AddItem(ID_ACCOUNTS, txt::kAccounts);
    m_pMenu->addSeparator();
    AddItem(ID_APP_EXIT, txt::kTrayExit);
    connect(m_pMenu, &QMenu::aboutToShow, this, &CTrayIcon::Refresh);
    TryCreate();
    if (!m_pIcon) {
        m_pWatch = new QTimer(this);
        m_pWatch->setInterval(kWatchIntervalMs);
        m_nWatchesLeft = kWatchCount;
        connect(m_pWatch, &QTimer::timeout, this, [this] {
            TryCreate();
            if (m_pIcon || --m_nWatchesLeft <= 0) {
                m_pWatch->stop();
            }
        });
        m_pWatch->start();
    }
}

CTrayIcon::~CTrayIcon() {
    Remove();
    delete m_pMenu;
}

void CTrayIcon::TryCreate() {
    if (m_pIcon || m_bRemoved || !TrayAvailable()) {
        return;
    }
    m_pIcon = new QSystemTrayIcon(Icon(), this);
    m_pIcon->setToolTip(m_strTip);
    m_pIcon->setContextMenu(m_pMenu);
    connect(m_pIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) {
                    Q_EMIT commandRequested(ID_SHOW_HIDE);
                }
            });
    m_pIcon->show();
    Q_EMIT availabilityChanged(true);
}

void CTrayIcon::Remove() {
    m_bRemoved = true;
    if (m_pWatch) {
        m_pWatch->stop();
    }
    if (m_pIcon) {
        m_pIcon->hide();
        delete m_pIcon;
        m_pIcon = nullptr;
        Q_EMIT availabilityChanged(false);
    }
}

void CTrayIcon::SetTip(const QString& text) {
    m_strTip = TrayTipText(text);
    if (m_pIcon) {
        m_pIcon->setToolTip(m_strTip);
    }
}

void CTrayIcon::SetFailed(bool bFailed) {
    if (bFailed == m_bFailed) {
        return;
    }
    m_bFailed = bFailed;
    if (m_pIcon) {
        m_pIcon->setIcon(Icon());
    }
}

QIcon CTrayIcon::Icon() const {
    return m_bFailed ? FailedIcon() : ProgramIcon();
}

QMenu* CTrayIcon::Menu() {
    Refresh();
    return m_pMenu;
}

QAction* CTrayIcon::AddItem(int id, const char* textUtf8) {
    QAction* action = m_pMenu->addAction(Tr(textUtf8));
    action->setData(id);
    connect(action, &QAction::triggered, this, [this, id] { Q_EMIT commandRequested(id); });
    return action;
}

void CTrayIcon::Refresh() {
    const bool bHidden = m_state.windowHidden && m_state.windowHidden();
    const bool bBusy = m_state.busy && m_state.busy();
    m_pShowHide->setText(Tr(bHidden ? txt::kTrayShow : txt::kTrayHide));
    for (QAction* action : m_pMenu->actions()) {
        if (!action->isSeparator() && action != m_pShowHide) {
            action->setEnabled(!bBusy);
        }
    }
}

} // namespace tolvane::gui
