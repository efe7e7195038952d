// Qt's own Japanese texts (standard buttons "キャンセル", the file and font dialogs), so that
// no English appears in a Japanese program whatever the user's locale.
//
// InstallQtTranslation loads "qtbase_ja.qm" from Qt's translation folder (Debian package
// qt6-translations-l10n) into a translator owned by owner and installs it in the
// application; it returns false, changing nothing, when the file cannot be loaded (the
// standard texts then stay Qt's English ones). Call it after the QApplication exists and
// before the first window.
#pragma once

class QObject;

namespace tolvane::gui {

bool InstallQtTranslation(QObject* owner);

} // namespace tolvane::gui
