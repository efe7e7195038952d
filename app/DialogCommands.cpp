#include "app/DialogCommands.h"

#include "engine/DocumentCore.h"
#include "settings/AccountDialog.h"
#include "settings/ReloadLinesDialog.h"

namespace tolvane::gui {

void RunAccountDialog(CDocumentCore& doc, QWidget* parent, const std::function<void()>& onChanged) {
    CAccountDialog dialog(doc, parent);
    QObject::connect(&dialog, &CAccountDialog::accountsChanged, &dialog, onChanged);
    dialog.exec();
}

bool RunReloadLinesDialog(QWidget* parent, unsigned& lines) {
    CReloadLinesDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    lines = static_cast<unsigned>(dialog.Lines()); // passed on as given, as the dialog does
    return true;
}

} // namespace tolvane::gui
