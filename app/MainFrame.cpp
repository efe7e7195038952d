#include "app/MainFrame.h"

#include "app/CommandIds.h"
#include "app/GuiTexts.h"
#include "app/InformationView.h"
#include "app/MainMenus.h"
#include "app/Resources.h"
#include "app/StatusTexts.h"
#include "app/TolvaneDoc.h"
#include "app/TrayIcon.h"
#include "app/maillist/TolvaneView.h"
#include "app/widgets/LayoutWrites.h"
#include "app/widgets/QtText.h"
#include "app/widgets/ScreenPlacement.h"
#include "engine/Clock.h"
#include "platform/MessageHost.h"
#include "platform/Options.h"
#include "platform/Profile.h"
#include "platform/Texts.h"

#include <QAccessible>
#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

namespace tolvane::gui {

namespace {

constexpr char kSection[] = "Environment";
constexpr int kClockPeriodMs = 2000;

enum ShowState : int32_t { SHOW_NORMAL = 1, SHOW_MINIMIZED = 2, SHOW_MAXIMIZED = 3 };

} // namespace

CMainFrame::CMainFrame() : m_bridge(this) {
    EnsureResources();
    setObjectName(QStringLiteral("mainFrame"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tolvane.svg")));
    setWindowTitle(Tr(txt::kProductTitle));
    m_bridge.SetTitle(ToCp932(windowTitle()));

    m_pMenus = new CMainMenus(this);
    connect(m_pMenus, &CMainMenus::commandTriggered, this, &CMainFrame::OnCommand);
    connect(m_pMenus, &CMainMenus::menuAboutToShow, this, &CMainFrame::UpdateCommands);
    m_pNoAccountKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
    m_pNoAccountKey->setEnabled(false);
    connect(m_pNoAccountKey, &QShortcut::activated, this, [] {
        ShowMessage(Sjis(txt::kNoAccountMessage), MsgButtons::Ok, MsgIcon::Exclamation);
    });

    m_pMessage = new QLabel(this);
    m_pMessage->setObjectName(QStringLiteral("messagePane"));
    // No accessible name of their own: a screen reader then reads the panes' texts (the
    // mail count, the clock) as their names and hears each change; the role goes in the
    // description.
    m_pMessage->setAccessibleDescription(Tr(txt::kAccessibleMessagePane));
    m_pClock = new QLabel(this);
    m_pClock->setObjectName(QStringLiteral("clockPane"));
    m_pClock->setAccessibleDescription(Tr(txt::kAccessibleClock));
    statusBar()->addWidget(m_pMessage, 1);
    statusBar()->addPermanentWidget(m_pClock);
    m_clockTimer.setInterval(kClockPeriodMs);
    connect(&m_clockTimer, &QTimer::timeout, this, &CMainFrame::DrawClock);
    m_clockTimer.start();
    DrawClock();

    CTrayIcon::State trayState;
    trayState.windowHidden = [this] { return isHidden() || isMinimized(); };
    trayState.busy = [this] { return m_pDoc && m_pDoc->IsBusy(); };
    m_pTray = new CTrayIcon(this, std::move(trayState));
    connect(m_pTray, &CTrayIcon::commandRequested, this, &CMainFrame::PostCommand);
    connect(m_pTray, &CTrayIcon::availabilityChanged, this, &CMainFrame::OnTrayAvailability);

    m_pSplitter = new QSplitter(Qt::Vertical, this);
    m_pSplitter->setObjectName(QStringLiteral("panes"));
    m_pList = new CTolvaneView(m_pSplitter);
    m_pInfo = new CInformationView(m_pSplitter);
    m_pSplitter->addWidget(m_pList);
    m_pSplitter->addWidget(m_pInfo);
    m_pSplitter->setStretchFactor(0, 0); // the list keeps its height; the pane takes the rest
    m_pSplitter->setStretchFactor(1, 1);
    m_pSplitter->setCollapsible(0, false);
    m_pSplitter->setCollapsible(1, true);
    m_pSplitter->installEventFilter(this);
    connect(m_pSplitter, &QSplitter::splitterMoved, this, &CMainFrame::UpdateCommands);
    setCentralWidget(m_pSplitter);
    m_nPendingViewHeight = GetProfileInt(kSection, "ViewHeight", 200);
    m_pList->setFocus();

    m_pList->SetAutoWidthAction(m_pMenus->Action(ID_AUTO_WIDTH));
    connect(m_pList, &CTolvaneView::filled, this, [this](int count) {
        ShowIdlePrompt(); // the count in the status line is current again
        const int failed = m_pDoc ? m_pDoc->FailedAccountCount() : 0;
        SetTrayTip(MailCountTip(count, failed));
        m_pTray->SetFailed(failed > 0);
        m_pTray->SetMailCount(static_cast<unsigned>(std::max(count, 0)));
        if (count <= 0) {
            m_pTray->SetNewMail(false);
        }
        UpdateCommands();
    });
    connect(m_pList, &CTolvaneView::commandRequested, this, &CMainFrame::OnCommand);
    connect(m_pList, &CTolvaneView::stateChanged, this, &CMainFrame::UpdateCommands);

    connect(&m_checkTimer, &QTimer::timeout, this, [this] {
        if (m_pDoc && !m_pDoc->Accounts().empty()) {
            PostCommand(ID_CHECK_ALL);
        }
    });

    CWorkerBridge::Receivers receivers;
    // Each account of a job (check, deletion or reload) sets the title; a check also the
    // cancel text. Either is the worker moving on: the command states follow at once.
    receivers.title = [this](const QString& title) {
        setWindowTitle(title);
        OnWorkerStep();
    };
    receivers.cancelText = [this](const QString& text) {
        if (QAction* cancel = m_pMenus->Action(ID_CANCEL_CHECK)) {
            cancel->setText(text);
        }
        OnWorkerStep();
    };
    receivers.command = [this](int id) { OnCommand(id); };
    m_bridge.SetReceivers(std::move(receivers));
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::SetDocument(CTolvaneDoc* doc) {
    m_pDoc = doc;
}

void CMainFrame::RestoreAndShow(bool bShowRequested, bool bMinimized) {
    const QString title = Tr(txt::kProductTitle);
    setWindowTitle(title);
    m_pMenus->ToolBar()->setWindowTitle(title);
    m_bridge.SetTitle(ToCp932(title));
    statusBar()->setVisible(GetProfileInt(kSection, "Statusbar", 1) != 0);
    m_pMenus->ToolBar()->setVisible(GetProfileInt(kSection, "Toolbar", 1) != 0);
    if (GetProfileInt(kSection, "ViewInfo", 1) != 0) {
        m_pList->m_bShowContent = 1;
    } else {
        m_pDoc->ShowLogInPane();
    }
    const int32_t status =
        bMinimized ? SHOW_MINIMIZED : GetProfileInt(kSection, "Status", SHOW_NORMAL);
    RestorePlacement();
    m_pDoc->ArmCheckTimer();
    if (options::GetFirstCheck() != 0 && !m_pDoc->Accounts().empty() &&
        !m_pDoc->CheckAfterPasswordMove()) {
        PostCommand(ID_CHECK_ALL);
    }
    m_pDoc->RebuildAccountMenus();
    ShowIdlePrompt();
    UpdateCommands();
    if (status == SHOW_MINIMIZED && !bShowRequested) {
        // Hidden in the tray; without a tray it must stay reachable on the task bar.
        if (!m_pTray->IsAvailable()) {
            showMinimized();
        }
    } else if (status == SHOW_MAXIMIZED) {
        showMaximized();
    } else {
        show();
    }
}

void CMainFrame::RestorePlacement() {
    const int left = GetProfileInt(kSection, "Left", 0);
    const int top = GetProfileInt(kSection, "Top", 0);
    const int right = GetProfileInt(kSection, "Right", 600);
    const int bottom = GetProfileInt(kSection, "Bottom", 480);
    const QSize minimum = minimumSizeHint();
    const QRect rect(left, top, std::max(right - left, minimum.width()),
                     std::max(bottom - top, minimum.height()));
    setGeometry(ReachablePlacement(rect));
}

QRect CMainFrame::ReachablePlacement(QRect rect) const {
    // The stored rectangle is the window's inside; its title bar lies above it. The window
    // goes onto the screen it mostly lies on (the primary one when it lies on none, e.g. a
    // screen that has gone) with room above for the title bar, so it can always be grabbed.
    const QRect area = FreeAreaAt(rect.center());
    if (area.isNull()) {
        return rect;
    }
    const int titleRoom = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    rect.setWidth(std::min(rect.width(), area.width()));
    rect.setHeight(std::min(rect.height(), std::max(area.height() - titleRoom, 1)));
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() + 1 - rect.width()));
    rect.moveTop(std::clamp(rect.top(), area.top() + titleRoom,
                            std::max(area.top() + titleRoom, area.bottom() + 1 - rect.height())));
    return rect;
}

int CMainFrame::ViewHeight() const {
    if (m_nPendingViewHeight >= 0) {
        return m_nPendingViewHeight;
    }
    return m_pSplitter->sizes().value(0);
}

void CMainFrame::ApplyViewHeight() {
    const int total = m_pSplitter->height() - m_pSplitter->handleWidth();
    if (m_nPendingViewHeight < 0 || total <= 0) {
        return;
    }
    const int list = std::clamp(m_nPendingViewHeight, 0, total);
    m_pSplitter->setSizes({list, total - list});
    m_nPendingViewHeight = -1;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pSplitter && event->type() == QEvent::Resize) {
        ApplyViewHeight(); // the first real size: the list gets its stored height
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::SaveLayout() {
    m_pTray->Remove();
    const QRect normal = normalGeometry();
    if (!normal.isValid()) {
        ShowLayoutWriteFailed();
    } else {
        int32_t status = SHOW_NORMAL;
        if (isMinimized() || isHidden()) {
            status = SHOW_MINIMIZED;
        } else if (isMaximized()) {
            status = SHOW_MAXIMIZED;
        }
        WriteLayoutInt(kSection, "Left", normal.left());
        WriteLayoutInt(kSection, "Top", normal.top());
        WriteLayoutInt(kSection, "Right", normal.left() + normal.width());
        WriteLayoutInt(kSection, "Bottom", normal.top() + normal.height());
        WriteLayoutInt(kSection, "Status", status);
        WriteLayoutInt(kSection, "ViewHeight", ViewHeight());
        WriteLayoutInt(kSection, "Toolbar", m_pMenus->ToolBar()->isHidden() ? 0 : 1);
        WriteLayoutInt(kSection, "Statusbar", statusBar()->isHidden() ? 0 : 1);
        WriteLayoutInt(kSection, "ViewInfo", m_pList->m_bShowContent);
    }
    m_pList->SaveSettings();
    m_pInfo->SaveSettings();
    m_clockTimer.stop();
    m_checkTimer.stop();
}

// --- Commands

bool CMainFrame::IsFrameCommand(int id) const {
    switch (id) {
    case ID_VIEW_INFO:
    case ID_INFO_CONTENT:
    case ID_INFO_LOG:
    case ID_INFO_FONT:
    case ID_SHOW_HIDE:
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR:
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
    case ID_APP_ABOUT:
    case ID_HELP_FINDER:
    case ID_CONTEXT_HELP:
    case ID_HELP:
        return true;
    default:
        return false;
    }
}

bool CMainFrame::IsCommandEnabled(int id, bool bArriving) const {
    if (IsFrameCommand(id)) {
        return id != ID_INFO_CONTENT || (m_pDoc && !m_pDoc->IsBusy());
    }
    if (CTolvaneView::HandlesCommand(id)) {
        return m_pList->IsCommandEnabled(id);
    }
    if (m_pDoc && CTolvaneDoc::HandlesCommand(id)) {
        return m_pDoc->IsCommandEnabled(id, bArriving);
    }
    return false;
}

bool CMainFrame::IsFrameCommandChecked(int id, bool& bChecked) const {
    switch (id) {
    case ID_VIEW_INFO:
        bChecked = m_nPendingViewHeight >= 0 || m_pSplitter->sizes().value(1) > 0;
        return true;
    case ID_INFO_CONTENT:
        bChecked = m_pList->m_bShowContent != 0;
        return true;
    case ID_INFO_LOG:
        bChecked = m_pDoc && m_pDoc->InfoShowsLog();
        return true;
    case ID_VIEW_TOOLBAR:
        bChecked = !m_pMenus->ToolBar()->isHidden();
        return true;
    case ID_VIEW_STATUS_BAR:
        bChecked = !statusBar()->isHidden();
        return true;
    default:
        return false;
    }
}

void CMainFrame::OnCommand(int id) {
    if (!IsCommandEnabled(id, true)) {
        UpdateCommands();
        return; // its rule does not hold now (a posted command arrives late)
    }
    if (IsFrameCommand(id)) {
        OnFrameCommand(id);
    } else if (CTolvaneView::HandlesCommand(id)) {
        m_pList->OnCommand(id);
    } else if (m_pDoc) {
        m_pDoc->OnCommand(id);
    }
    UpdateCommands();
}

void CMainFrame::PostCommand(int id) {
    QMetaObject::invokeMethod(
        this, [this, id] { OnCommand(id); }, Qt::QueuedConnection);
}

void CMainFrame::OnFrameCommand(int id) {
    switch (id) {
    case ID_VIEW_INFO:
        ToggleInfoPane();
        break;
    case ID_INFO_CONTENT:
        m_pDoc->ShowContentInPane();
        break;
    case ID_INFO_LOG:
        m_pDoc->ShowLogInPane();
        break;
    case ID_INFO_FONT:
        m_pInfo->ChooseTextFont();
        break;
    case ID_SHOW_HIDE:
        ShowOrHide();
        break;
    case ID_VIEW_TOOLBAR:
        m_pMenus->ToolBar()->setVisible(m_pMenus->ToolBar()->isHidden());
        break;
    case ID_VIEW_STATUS_BAR:
        statusBar()->setVisible(statusBar()->isHidden());
        break;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        FocusOtherPane();
        break;
    case ID_APP_ABOUT:
        Q_EMIT aboutRequested();
        break;
    default:
        Q_EMIT helpRequested(id);
        break;
    }
}

void CMainFrame::OnWorkerStep() {
    if (m_pDoc) {
        m_pDoc->OnWorkerStep();
    }
    UpdateCommands();
}

bool CMainFrame::HasNoAccount() const {
    return m_pDoc && !m_pDoc->IsClosed() && m_pDoc->Accounts().empty();
}

void CMainFrame::UpdateCommands() {
    // Ctrl+N answers while the check command is greyed for want of an account; never both
    // at once, so the key is never ambiguous.
    m_pNoAccountKey->setEnabled(HasNoAccount() && m_pDoc->IsIdle(false));
    for (const auto& [id, action] : m_pMenus->Actions()) {
        action->setEnabled(IsCommandEnabled(id, false));
        bool bChecked = false;
        if (IsFrameCommandChecked(id, bChecked) ||
            (m_pDoc && m_pDoc->IsCommandChecked(id, bChecked))) {
            action->setChecked(bChecked);
        }
    }
}

void CMainFrame::ToggleInfoPane() {
    m_nPendingViewHeight = -1;
    const int total = m_pSplitter->height() - m_pSplitter->handleWidth();
    if (m_pSplitter->sizes().value(1) > 0) {
        m_pSplitter->setSizes({total, 0});
    } else {
        m_pSplitter->setSizes({total / 2, total - total / 2});
    }
}

void CMainFrame::FocusOtherPane() {
    const bool bPaneShown = m_pSplitter->sizes().value(1) > 0;
    if (m_pList->hasFocus() && bPaneShown) {
        m_pInfo->setFocus(Qt::ShortcutFocusReason);
    } else {
        m_pList->setFocus(Qt::ShortcutFocusReason);
    }
}

void CMainFrame::ShowRestored() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    m_pTray->SetNewMail(false); // seen
    m_pTray->Refresh();
}

void CMainFrame::OnTrayAvailability(bool bAvailable) {
    if (bAvailable && isMinimized()) {
        hide(); // a minimised window lives in the tray
    } else if (!bAvailable && isHidden()) {
        showMinimized(); // reachable on the task bar again
    }
    m_pTray->Refresh();
}

void CMainFrame::SetNewMail(bool bNew) {
    m_pTray->SetNewMail(bNew && (isHidden() || isMinimized() || !isActiveWindow()));
}

void CMainFrame::ShowOrHide() {
    if (isMinimized() || isHidden()) {
        ShowRestored();
    } else {
        showMinimized(); // hides it in the tray where one exists
    }
}

void CMainFrame::ShowFromAnotherStart() {
    if (isMinimized() || isHidden()) {
        ShowRestored();
    } else {
        raise();
        activateWindow();
    }
}

// --- Status bar, tray, busy state

void CMainFrame::DrawClock() {
    const IClock& clock = Clock();
    const QString text = tolvane::gui::ClockText(clock.ToLocal(clock.Now()));
    const QMargins margins = m_pClock->contentsMargins();
    // The pane is exactly as wide as its text.
    m_pClock->setFixedWidth(m_pClock->fontMetrics().horizontalAdvance(text) + margins.left() +
                            margins.right());
    m_pClock->setText(text);
}

QString CMainFrame::ClockPaneText() const {
    return m_pClock->text();
}

QString CMainFrame::MessagePaneText() const {
    return m_pMessage->text();
}

void CMainFrame::ShowIdlePrompt() {
    ShowPrompt(Tr(txt::kIdlePrompt));
}

void CMainFrame::ShowPrompt(const QString& prompt) {
    const unsigned total = m_pDoc ? m_pDoc->TotalMailCount() : 0;
    const int failed = m_pDoc ? m_pDoc->FailedAccountCount() : 0;
    // A newcomer is told where accounts are added rather than that there is no mail.
    const QString text = HasNoAccount() ? Tr(txt::kPromptNoAccount) + QStringLiteral("  ") + prompt
                                        : CountedPrompt(total, FailurePrompt(failed, prompt));
    if (text == m_pMessage->text()) {
        return;
    }
    m_pMessage->setText(text);
    // The new count is announced, not only painted.
    QAccessibleEvent changed(m_pMessage, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void CMainFrame::SetTrayTip(const QString& text) {
    m_pTray->SetTip(text);
}

void CMainFrame::SetCheckTimer(int milliseconds) {
    if (milliseconds > 0) {
        m_checkTimer.start(milliseconds); // a running timer starts its period again
    } else {
        m_checkTimer.stop();
    }
}

void CMainFrame::SetBusyWindow(bool bBusy) {
    m_bCloseDisabled = bBusy;
    m_pList->setEnabled(!bBusy);
    m_pTray->SetChecking(bBusy);
    m_pTray->Refresh();
    UpdateCommands();
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (tip.isEmpty()) {
            ShowIdlePrompt();
        } else {
            ShowPrompt(tip);
        }
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    if (isMinimized() && m_pTray->IsAvailable()) {
        // After the state change has finished: a minimised window lives in the tray.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isMinimized() && m_pTray->IsAvailable()) {
                    hide();
                }
                m_pTray->Refresh();
            },
            Qt::QueuedConnection);
    }
    m_pTray->Refresh();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    event->ignore(); // the application ends the program (after its question)
    if (!m_bCloseDisabled) {
        Q_EMIT exitRequested();
    }
}

} // namespace tolvane::gui
