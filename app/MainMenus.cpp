#include "app/MainMenus.h"

#include "app/CommandIds.h"
#include "app/GuiTexts.h"
#include "app/StatusTexts.h"
#include "app/widgets/QtText.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QToolBar>

namespace tolvane::gui {

namespace {

struct ToolIcon {
    int id;
    const char* theme; // freedesktop name, or nullptr: ours only
    const char* resource;
};

// The tool bar in its order; 0 stands for a gap.
const ToolIcon kToolBar[] = {
    {ID_CHECK_ALL, "mail-send-receive", ":/icons/check.svg"},
    {ID_CANCEL_CHECK, "process-stop", ":/icons/cancel.svg"},
    {0, nullptr, nullptr},
    {ID_VIEWER_MAIL, nullptr, ":/icons/viewer-mail.svg"},
    {ID_VIEWER_LOG, nullptr, ":/icons/viewer-log.svg"},
    {ID_REPORT, nullptr, ":/icons/report.svg"},
    {0, nullptr, nullptr},
    {ID_UNMARK_SELECTED, nullptr, ":/icons/unmark.svg"},
    {ID_MARK_SELECTED, nullptr, ":/icons/mark.svg"},
    {0, nullptr, nullptr},
    {ID_AUTO_CHECK, nullptr, ":/icons/auto-check.svg"},
    {0, nullptr, nullptr},
    {ID_DELETE_MARKED, "edit-delete", ":/icons/delete.svg"},
    {ID_RELOAD_SELECTED, "view-refresh", ":/icons/reload.svg"},
    {0, nullptr, nullptr},
    {ID_ACCOUNTS, nullptr, ":/icons/accounts.svg"},
    {0, nullptr, nullptr},
    {ID_CONTEXT_HELP, "help-contextual", ":/icons/context-help.svg"},
    {ID_APP_ABOUT, "help-about", ":/icons/about.svg"},
};

QIcon IconOf(const ToolIcon& icon) {
    const QIcon own(QString::fromLatin1(icon.resource));
    return icon.theme ? QIcon::fromTheme(QString::fromLatin1(icon.theme), own) : own;
}

} // namespace

CMainMenus::CMainMenus(QMainWindow* window) : QObject(window), m_pWindow(window) {
    QMenuBar* bar = window->menuBar();
    QMenu* file = bar->addMenu(Tr(txt::kMenuFile));
    BuildFileMenu(file);
    QMenu* view = bar->addMenu(Tr(txt::kMenuView));
    BuildViewMenu(view);
    m_pAccountMenu = bar->addMenu(Tr(txt::kMenuAccount));
    AddAction(m_pAccountMenu, ID_ACCOUNTS, txt::kAccounts, txt::kAccountsPrompt);
    m_pAccountMenu->addSeparator();
    QMenu* tools = bar->addMenu(Tr(txt::kMenuTools));
    BuildToolsMenu(tools);
    QMenu* help = bar->addMenu(Tr(txt::kMenuHelp));
    AddAction(help, ID_HELP_FINDER, txt::kHelpFinder, txt::kHelpFinderPrompt);
    AddAction(help, ID_APP_ABOUT, txt::kAbout, txt::kAboutPrompt);
    for (QMenu* menu : {file, view, m_pAccountMenu, tools, help}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainMenus::menuAboutToShow);
    }
    BuildToolBar();
    BuildAccelerators();
}

QAction* CMainMenus::MakeAction(int id, const QString& text, const QString& prompt) {
    auto* action = new QAction(text, this);
    action->setData(id);
    action->setStatusTip(prompt);
    action->setToolTip(prompt);
    connect(action, &QAction::triggered, this, [this, action, id] {
        // A tick shows the state the command keeps, so triggering must not flip it by
        // itself: the command does (or refuses to).
        if (action->isCheckable()) {
            const QSignalBlocker blocker(action);
            action->setChecked(!action->isChecked());
        }
        Q_EMIT commandTriggered(id);
    });
    m_actions[id] = action;
    return action;
}

QAction* CMainMenus::AddAction(QMenu* menu, int id, const char* textUtf8, const char* promptUtf8) {
    QAction* action = MakeAction(id, Tr(textUtf8), Tr(promptUtf8));
    menu->addAction(action);
    return action;
}

QMenu* CMainMenus::AddMenu(QMenu* parent, const char* titleUtf8) {
    QMenu* menu = parent->addMenu(Tr(titleUtf8));
    connect(menu, &QMenu::aboutToShow, this, &CMainMenus::menuAboutToShow);
    return menu;
}

void CMainMenus::BuildFileMenu(QMenu* menu) {
    AddAction(menu, ID_SAVE_ALL, txt::kSaveAll, txt::kSaveAllPrompt);
    AddAction(menu, ID_SAVE_SELECTED, txt::kSaveSelected, txt::kSaveSelectedPrompt);
    menu->addSeparator();
    AddAction(menu, ID_APP_EXIT, txt::kExit, txt::kExitPrompt);
}

void CMainMenus::BuildViewMenu(QMenu* menu) {
    AddAction(menu, ID_VIEW_TOOLBAR, txt::kToolbar, txt::kToolbarPrompt)->setCheckable(true);
    AddAction(menu, ID_VIEW_STATUS_BAR, txt::kStatusBar, txt::kStatusBarPrompt)->setCheckable(true);
    menu->addSeparator();
    AddAction(menu, ID_SELECT_ALL, txt::kSelectAll, txt::kSelectAllPrompt)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    menu->addSeparator();
    AddAction(menu, ID_MARK_SELECTED, txt::kMark, txt::kMarkPrompt);
    AddAction(menu, ID_UNMARK_SELECTED, txt::kUnmark, txt::kUnmarkPrompt);
    menu->addSeparator();
    AddAction(menu, ID_VIEW_INFO, txt::kInfoPane, txt::kInfoPanePrompt)->setCheckable(true);
    AddAction(menu, ID_INFO_FONT, txt::kInfoFont, txt::kInfoFontPrompt);
    menu->addSeparator();
    QMenu* mode = AddMenu(menu, txt::kMenuInfoMode);
    AddAction(mode, ID_INFO_CONTENT, txt::kInfoContent, txt::kInfoContentPrompt)
        ->setCheckable(true);
    AddAction(mode, ID_INFO_LOG, txt::kInfoLog, txt::kInfoLogPrompt)->setCheckable(true);
    QMenu* viewer = AddMenu(menu, txt::kMenuViewer);
    AddAction(viewer, ID_VIEWER_MAIL, txt::kViewerMail, txt::kViewerMailPrompt);
    AddAction(viewer, ID_VIEWER_LOG, txt::kViewerLog, txt::kViewerLogPrompt);
    menu->addSeparator();
    AddAction(menu, ID_REPORT, txt::kReport, txt::kReportPrompt);
    menu->addSeparator();
    QMenu* columns = AddMenu(menu, txt::kMenuColumns);
    QAction* autoWidth = AddAction(columns, ID_AUTO_WIDTH, txt::kAutoWidth, txt::kAutoWidthPrompt);
    autoWidth->setCheckable(true);
    autoWidth->setChecked(true);
    AddAction(columns, ID_RESET_ORDER, txt::kResetOrder, txt::kResetOrderPrompt);
}

void CMainMenus::BuildToolsMenu(QMenu* menu) {
    m_pCheckMenu = AddMenu(menu, txt::kMenuCheck);
    AddAction(m_pCheckMenu, ID_CHECK_ALL, txt::kCheckAll, txt::kCheckAllPrompt)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    m_pCheckMenu->addSeparator();
    QAction* cancel = AddAction(menu, ID_CANCEL_CHECK, txt::kCancelCheck, txt::kCancelCheckPrompt);
    cancel->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    cancel->setEnabled(false);
    QAction* autoCheck = AddAction(menu, ID_AUTO_CHECK, txt::kAutoCheck, txt::kAutoCheckPrompt);
    autoCheck->setCheckable(true);
    autoCheck->setChecked(true);
    menu->addSeparator();
    AddAction(menu, ID_DELETE_MARKED, txt::kDeleteMarked, txt::kDeleteMarkedPrompt)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    menu->addSeparator();
    AddAction(menu, ID_RELOAD_SELECTED, txt::kReload, txt::kReloadPrompt);
    menu->addSeparator();
    AddAction(menu, ID_OPTIONS, txt::kOptions, txt::kOptionsPrompt);
}

void CMainMenus::BuildToolBar() {
    m_pToolBar = m_pWindow->addToolBar(Tr(txt::kToolbarTitle));
    m_pToolBar->setObjectName(QStringLiteral("toolBar"));
    m_pToolBar->setIconSize(QSize(16, 16));
    m_pToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QAction* contextHelp = MakeAction(ID_CONTEXT_HELP, QString(), Tr(txt::kContextHelpPrompt));
    contextHelp->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    contextHelp->setText(Tr(txt::kContextHelpPrompt));
    m_pWindow->addAction(contextHelp);
    for (const ToolIcon& tool : kToolBar) {
        if (tool.id == 0) {
            m_pToolBar->addSeparator();
            continue;
        }
        QAction* action = m_actions.at(tool.id);
        action->setIcon(IconOf(tool));
        action->setIconVisibleInMenu(false); // a menu shows its ticks, not the images
        // A button's name (what a screen reader says) is its prompt, as its tool tip.
        action->setIconText(action->toolTip());
        m_pToolBar->addAction(action);
    }
}

void CMainMenus::BuildAccelerators() {
    const struct {
        int id;
        QKeySequence keys;
    } accelerators[] = {
        {ID_HELP, QKeySequence(Qt::Key_F1)},
        {ID_NEXT_PANE, QKeySequence(Qt::Key_F6)},
        {ID_PREV_PANE, QKeySequence(Qt::SHIFT | Qt::Key_F6)},
    };
    for (const auto& accelerator : accelerators) {
        QAction* action = MakeAction(accelerator.id, QString(), QString());
        action->setShortcut(accelerator.keys);
        m_pWindow->addAction(action);
    }
}

QAction* CMainMenus::Action(int id) const {
    auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

void CMainMenus::RemoveAccountItems() {
    for (int i = 0; i < kAccountMenuItems; ++i) {
        for (int id : {ID_TOGGLE_ACCOUNT_0 + i, ID_CHECK_ACCOUNT_0 + i}) {
            auto found = m_actions.find(id);
            if (found != m_actions.end()) {
                delete found->second; // leaves its menu too
                m_actions.erase(found);
            }
        }
    }
}

void CMainMenus::RebuildAccountMenus(const std::vector<AccountItem>& accounts) {
    RemoveAccountItems();
    const int count = std::min<int>(kAccountMenuItems, static_cast<int>(accounts.size()));
    for (int i = 0; i < count; ++i) {
        const AccountItem& account = accounts[static_cast<size_t>(i)];
        // A name is shown as typed: "&" marks no mnemonic here.
        const QString name =
            FromCp932(account.nameCp932).replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* toggle = MakeAction(ID_TOGGLE_ACCOUNT_0 + i, name, QString());
        toggle->setCheckable(true);
        m_pAccountMenu->addAction(toggle);
        SetAccountEnabled(i, account.nameCp932, account.bEnabled);
        QAction* check =
            MakeAction(ID_CHECK_ACCOUNT_0 + i, name, CheckAccountPrompt(account.nameCp932));
        m_pCheckMenu->addAction(check);
    }
}

void CMainMenus::SetAccountEnabled(int index, const std::string& nameCp932, bool bEnabled) {
    QAction* toggle = Action(ID_TOGGLE_ACCOUNT_0 + index);
    if (!toggle) {
        return;
    }
    toggle->setChecked(bEnabled);
    const QString prompt = ToggleAccountPrompt(nameCp932, bEnabled);
    toggle->setStatusTip(prompt);
    toggle->setToolTip(prompt);
}

} // namespace tolvane::gui
