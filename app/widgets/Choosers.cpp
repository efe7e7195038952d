#include "app/widgets/Choosers.h"

#include <QFileDialog>
#include <QFontDialog>

namespace tolvane::gui {

namespace {

SaveFileChooser& SaveHook() {
    static SaveFileChooser hook;
    return hook;
}

FontChooser& FontHook() {
    static FontChooser hook;
    return hook;
}

} // namespace

QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter) {
    if (SaveHook()) {
        return SaveHook()(parent, caption, filter);
    }
    // QFileDialog asks before it lets an existing file be overwritten.
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) {
    if (FontHook()) {
        return FontHook()(parent, initial);
    }
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent);
    if (!ok) {
        return std::nullopt;
    }
    return chosen;
}

void SetSaveFileChooser(SaveFileChooser chooser) {
    SaveHook() = std::move(chooser);
}

void SetFontChooser(FontChooser chooser) {
    FontHook() = std::move(chooser);
}

} // namespace tolvane::gui
