#include "app/TrayIcon.h"

#include "app/CommandIds.h"
#include "app/GuiTexts.h"
#include "app/Resources.h"
#include "app/StatusTexts.h"
#include "app/desktop/StatusNotifierItem.h"
#include "app/widgets/QtText.h"

#include <QGuiApplication>
#include <QMenu>
#include <QStyleHints>
#include <QSystemTrayIcon>
#include <QTimer>

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

    m_pClick = new QTimer(this);
    m_pClick->setSingleShot(true);
    m_pClick->setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(m_pClick, &QTimer::timeout, this, [this] { Q_EMIT commandRequested(ID_SHOW_HIDE); });
    m_pWatch = new QTimer(this);
    m_pWatch->setInterval(kWatchIntervalMs);
    connect(m_pWatch, &QTimer::timeout, this, [this] {
        TryCreate();
        if (IsAvailable() || --m_nWatchesLeft <= 0) {
            m_pWatch->stop();
        }
    });

    m_pItem = new CStatusNotifierItem(this);
    connect(m_pItem, &CStatusNotifierItem::registeredChanged, this, &CTrayIcon::OnItemRegistered);
    connect(m_pItem, &CStatusNotifierItem::activated, this, [this] { OnClicked(false); });
    connect(m_pItem, &CStatusNotifierItem::contextMenuRequested, this, [this](QPoint point) {
        Refresh();
        m_pMenu->popup(point);
    });
    ShowLook();
    // With a session bus the X11 tray waits for the watcher's answer: a panel that holds
    // both would otherwise show the icon twice for a moment.
    if (m_pItem->HasAnswer()) {
        OnItemRegistered(false);
    }
}

CTrayIcon::~CTrayIcon() {
    Remove();
    delete m_pMenu;
}

bool CTrayIcon::IsAvailable() const {
    return m_pIcon != nullptr || (m_pItem && m_pItem->IsRegistered());
}

void CTrayIcon::OnItemRegistered(bool bRegistered) {
    if (m_bRemoved) {
        return;
    }
    if (bRegistered) {
        m_pWatch->stop();
        delete m_pIcon; // the item takes its place
        m_pIcon = nullptr;
    } else {
        TryCreate();
        if (!m_pIcon) {
            StartWatch();
        }
    }
    if (IsAvailable() != m_bAvailable) {
        m_bAvailable = IsAvailable();
        Q_EMIT availabilityChanged(m_bAvailable);
    }
}

void CTrayIcon::StartWatch() {
    m_nWatchesLeft = kWatchCount;
    m_pWatch->start();
}

void CTrayIcon::TryCreate() {
    if (m_pIcon || m_bRemoved || (m_pItem && m_pItem->IsRegistered()) || !TrayAvailable()) {
        return;
    }
    m_pIcon = new QSystemTrayIcon(TrayIconFor(m_look), this);
    m_pIcon->setToolTip(m_strTip);
    m_pIcon->setContextMenu(m_pMenu);
    connect(m_pIcon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) {
                    OnClicked(reason == QSystemTrayIcon::DoubleClick);
                }
            });
    m_pIcon->show();
    if (!m_bAvailable) {
        m_bAvailable = true;
        Q_EMIT availabilityChanged(true);
    }
}

void CTrayIcon::OnClicked(bool bDouble) {
    if (!bDouble && m_pIcon) {
        m_pClick->start(); // a double-click would follow within the interval
        return;
    }
    m_pClick->stop();
    Q_EMIT commandRequested(ID_SHOW_HIDE);
}

void CTrayIcon::Remove() {
    m_bRemoved = true;
    m_pWatch->stop();
    m_pClick->stop();
    delete m_pItem;
    m_pItem = nullptr;
    delete m_pIcon;
    m_pIcon = nullptr;
    m_bAvailable = false; // not told: the window is going away
}

void CTrayIcon::SetTip(const QString& text) {
    m_strTip = TrayTipText(text);
    if (m_pIcon) {
        m_pIcon->setToolTip(m_strTip);
    }
    if (m_pItem) {
        m_pItem->SetToolTip(Tr(txt::kProductTitle), m_strTip);
    }
}

void CTrayIcon::SetFailed(bool bFailed) {
    TrayLook look = m_look;
    look.bFailed = bFailed;
    SetLook(look);
}

void CTrayIcon::SetMailCount(unsigned nMails) {
    TrayLook look = m_look;
    look.nMails = nMails;
    SetLook(look);
}

void CTrayIcon::SetNewMail(bool bNew) {
    TrayLook look = m_look;
    look.bNew = bNew;
    SetLook(look);
}

void CTrayIcon::SetChecking(bool bChecking) {
    TrayLook look = m_look;
    look.bChecking = bChecking;
    SetLook(look);
}

void CTrayIcon::SetLook(const TrayLook& look) {
    if (look == m_look) {
        return;
    }
    m_look = look;
    ShowLook();
}

void CTrayIcon::ShowLook() {
    const QIcon icon = TrayIconFor(m_look);
    if (m_pIcon) {
        m_pIcon->setIcon(icon);
    }
    if (m_pItem) {
        m_pItem->SetIcon(icon);
        m_pItem->SetToolTip(Tr(txt::kProductTitle), m_strTip);
        m_pItem->SetNeedsAttention(m_look.bNew);
    }
}

QIcon CTrayIcon::Icon() const {
    return TrayIconFor(m_look);
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
