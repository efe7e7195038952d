// The commands that run dialogs of the settings folder: the account dialog (command
// 32805), the options sheet (command 32808) and the reload-lines dialog (command 32835). Kept apart
// so the document does not depend on how those dialogs are built.
#pragma once

#include <functional>

class QWidget;

namespace tolvane {
class CDocumentCore;
}

namespace tolvane::gui {

// Runs the account dialog modally over parent; onChanged runs after each change it makes
// to the accounts (added, changed, removed, enabled or disabled).
void RunAccountDialog(CDocumentCore& doc, QWidget* parent, const std::function<void()>& onChanged);

// Runs the options sheet modally over parent; onApplied runs after each Apply (and OK)
// that wrote every page.
void RunOptionSheet(QWidget* parent, const std::function<void()>& onApplied);

// Runs the reload-lines dialog modally; true, with the number of lines, when confirmed.
bool RunReloadLinesDialog(QWidget* parent, unsigned& lines);

} // namespace tolvane::gui
