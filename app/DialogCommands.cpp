#include "app/DialogCommands.h"

#include "engine/DocumentCore.h"
#include "settings/AccountDialog.h"
#include "settings/OptionSheet.h"
#include "settings/ReloadLinesDialog.h"

#include <algorithm>

namespace tolvane::gui {

void RunAccountDialog(CDocumentCore& doc, QWidget* parent, const std::function<void()>& onChanged) {
    CAccountDialog dialog(doc, parent);
    QObject::connect(&dialog, &CAccountDialog::accountsChanged, &dialog, onChanged);
    dialog.exec();
}

void RunOptionSheet(QWidget* parent, const std::function<void()>& onApplied) {
    COptionSheet sheet(parent);
    QObject::connect(&sheet, &COptionSheet::applied, &sheet, onApplied);
    sheet.exec();
}

bool RunReloadLinesDialog(QWidget* parent, unsigned& lines) {
    CReloadLinesDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    // A typed minus sign would wrap to four billion lines and fetch whole mails: a negative
    // count fetches the headers only.
    lines = static_cast<unsigned>(std::max(dialog.Lines(), 0));
    return true;
}

} // namespace tolvane::gui
