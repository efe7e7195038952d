// The platform's choosers that a command runs (the save-file dialog, the font dialog).
// Tests replace them with a scripted answer, so a command is driven to its end without a
// dialog on the screen.
#pragma once

#include <QFont>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace tolvane::gui {

// The chosen path, or an empty string when the user cancelled.
using SaveFileChooser =
    std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;
// The chosen font, or nothing when the user cancelled.
using FontChooser = std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)>;

// A save-file dialog that asks before an existing file is overwritten.
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& filter);
// A font dialog preset to initial.
std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial);

// Replace the choosers (an empty function restores the dialogs).
void SetSaveFileChooser(SaveFileChooser chooser);
void SetFontChooser(FontChooser chooser);

} // namespace tolvane::gui
