// CMainMenus: the main window's menu bar, tool bar and accelerators, and the actions
// behind them, each carrying its command id. Triggering an action emits
// commandTriggered(id); what the command does and when it is enabled is the frame's and
// the document's business (CMainFrame::OnCommand, UpdateCommands).
//
// - Menu texts keep their mnemonics ("&") and their shortcut column ("\tCtrl+N"); the
//   status prompt of each command is its status tip and tool tip.
// - The account menu and the check submenu end in one item per account (ids
//   ID_TOGGLE_ACCOUNT_0 + i and ID_CHECK_ACCOUNT_0 + i), for the first ten accounts only.
// - aboutToShow of any menu emits menuAboutToShow, so states are fresh when it opens.
#pragma once

#include "app/AccountMenuItem.h"

#include <QObject>

#include <map>
#include <string>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace tolvane::gui {

class CMainMenus final : public QObject {
    Q_OBJECT
public:
    using AccountItem = AccountMenuItem;

    explicit CMainMenus(QMainWindow* window);

    QAction* Action(int id) const; // nullptr when the command has no action now
    const std::map<int, QAction*>& Actions() const { return m_actions; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    QMenu* AccountMenu() const { return m_pAccountMenu; }
    QMenu* CheckMenu() const { return m_pCheckMenu; }

    void RebuildAccountMenus(const std::vector<AccountItem>& accounts);
    // The tick and the prompt of account item index (after a toggle).
    void SetAccountEnabled(int index, const std::string& nameCp932, bool bEnabled);

Q_SIGNALS:
    void commandTriggered(int id);
    void menuAboutToShow();

private:
    QAction* AddAction(QMenu* menu, int id, const char* textUtf8, const char* promptUtf8);
    QAction* MakeAction(int id, const QString& text, const QString& prompt);
    QMenu* AddMenu(QMenu* parent, const char* titleUtf8);
    void BuildFileMenu(QMenu* menu);
    void BuildViewMenu(QMenu* menu);
    void BuildToolsMenu(QMenu* menu);
    void BuildToolBar();
    void BuildAccelerators();
    void RemoveAccountItems();

    QMainWindow* m_pWindow;
    std::map<int, QAction*> m_actions;
    QToolBar* m_pToolBar = nullptr;
    QMenu* m_pAccountMenu = nullptr;
    QMenu* m_pCheckMenu = nullptr;
};

} // namespace tolvane::gui
