#include "app/DialogCommands.h"

#include "engine/DocumentCore.h"

#if __has_include("settings/AccountDialog.h")
#include "settings/AccountDialog.h"
#define TOLVANE_HAS_ACCOUNT_DIALOG 1
#endif
#if __has_include("settings/ReloadLinesDialog.h")
#include "settings/ReloadLinesDialog.h"
#define TOLVANE_HAS_RELOAD_DIALOG 1
#endif

#include <QDialog>

namespace tolvane::gui {

void RunAccountDialog(CDocumentCore& doc, QWidget* parent, const std::function<void()>& onChanged) {
#ifdef TOLVANE_HAS_ACCOUNT_DIALOG
    CAccountDialog dialog(doc, parent);
    QObject::connect(&dialog, &CAccountDialog::accountsChanged, &dialog, onChanged);
    dialog.exec();
#else
    (void)doc;
    (void)parent;
    (void)onChanged;
#endif
}

bool RunReloadLinesDialog(QWidget* parent, unsigned& lines) {
#ifdef TOLVANE_HAS_RELOAD_DIALOG
    CReloadLinesDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    lines = dialog.Lines();
    return true;
#else
    (void)parent;
    (void)lines;
    return false;
#endif
}

} // namespace tolvane::gui
