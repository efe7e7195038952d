#include "settings/PathChoosers.h"

#include <QFileDialog>

namespace tolvane {

namespace {

PathChooser& Hook() {
    static PathChooser hook;
    return hook;
}

} // namespace

QString ChoosePath(QWidget* parent, const PathChoice& choice) {
    if (Hook()) {
        return Hook()(parent, choice);
    }
    // A wildcard preset is the filter again, which the dialog already applies.
    const QString start = choice.preset.contains(u'*') ? QString() : choice.preset;
    if (choice.kind == PathChooserKind::Open) {
        return QFileDialog::getOpenFileName(parent, choice.caption, start, choice.filter);
    }
    return QFileDialog::getSaveFileName(parent, choice.caption, start, choice.filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void SetPathChooser(PathChooser chooser) {
    Hook() = std::move(chooser);
}

} // namespace tolvane
