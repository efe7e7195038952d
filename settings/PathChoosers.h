// The file choosers of the options sheet: an open-file dialog for the sound and a
// save-file dialog for the log. Tests replace them with a scripted answer, so a browse
// button is driven to its end without a dialog on the screen.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tolvane {

enum class PathChooserKind {
    Open, // an existing file
    Save, // any file name; an existing file is taken without asking
};

struct PathChoice {
    PathChooserKind kind = PathChooserKind::Open;
    QString caption;
    QString filter; // one filter: "name (*.ext)"
    QString preset; // the file name field's first text
};

// The chosen full path, or an empty string when the user cancelled.
using PathChooser = std::function<QString(QWidget* parent, const PathChoice& choice)>;

QString ChoosePath(QWidget* parent, const PathChoice& choice);

// Replaces the dialogs (an empty function restores them).
void SetPathChooser(PathChooser chooser);

} // namespace tolvane
