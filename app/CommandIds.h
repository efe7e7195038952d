// The command identifiers of the main program: menus, tool bar, accelerators, the tray
// menus, the list's context menu and the worker's completion commands share them. The
// numbers are those the settings and the worker already use (the completion commands are
// engine/Host.h's), so a command keeps one identity wherever it is raised.
#pragma once

#include "engine/Host.h"

namespace tolvane::gui {

enum CommandId : int {
    ID_VIEW_INFO = 32771,        // show or hide the information pane
    ID_DELETE_MARKED = 32773,    // delete the marked mails on the server
    ID_SELECT_ALL = 32774,       // select every mail of the list
    ID_CHECK_ALL = 32785,        // check all accounts
    ID_MARK_SELECTED = 32786,    // mark the selected mails for deletion
    ID_UNMARK_SELECTED = 32787,  // unmark them
    ID_INFO_CONTENT = 32788,     // the pane follows the focused mail
    ID_INFO_LOG = 32789,         // the pane follows the connection log
    ID_VIEWER_LOG = 32791,       // the connection log in the viewer
    ID_VIEWER_MAIL = 32792,      // the focused mail in the viewer
    ID_INFO_FONT = 32803,        // the information pane's font
    ID_ACCOUNTS = 32805,         // the account dialog
    ID_OPTIONS = 32808,          // the options sheet
    ID_AUTO_CHECK = 32810,       // check automatically (ticked)
    ID_REPORT = 32811,           // the mail count report window
    ID_SAVE_SELECTED = 32812,    // save the selected mails as text
    ID_SAVE_ALL = 32813,         // save every mail as text
    ID_SHOW_HIDE = 32814,        // the tray menus' first item
    ID_TOGGLE_ACCOUNT_0 = 32815, // .. 32824: enable or disable account i
    ID_CHECK_ACCOUNT_0 = 32825,  // .. 32834: check account i
    ID_RELOAD_SELECTED = 32835,  // reload the selected mails with a line count
    ID_AUTO_WIDTH = 32837,       // size the list's columns automatically (ticked)
    ID_RESET_ORDER = 32838,      // the list's columns in their first order
    ID_CANCEL_CHECK = ID_CHECK_CANCEL,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_HELP_FINDER = 57667,
    ID_CONTEXT_HELP = 57669, // Shift+F1
    ID_HELP = 57670,         // F1
    ID_DEFAULT_HELP = 57671, // the help's first page
    ID_NEXT_PANE = 57680,    // F6
    ID_PREV_PANE = 57681,    // Shift+F6
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

// The per-account items: ten at most, whatever the number of accounts.
inline constexpr int kAccountMenuItems = 10;

inline bool IsToggleAccountId(int id) {
    return id >= ID_TOGGLE_ACCOUNT_0 && id < ID_TOGGLE_ACCOUNT_0 + kAccountMenuItems;
}
inline bool IsCheckAccountId(int id) {
    return id >= ID_CHECK_ACCOUNT_0 && id < ID_CHECK_ACCOUNT_0 + kAccountMenuItems;
}

} // namespace tolvane::gui
