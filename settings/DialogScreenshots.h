// The dialogs of this folder as scripts/screenshots shows them: each is opened without
// blocking, laid out as the user meets it, rendered and written as a PNG file.
//
// SaveDialogScreenshots writes, into folder (which must exist):
//   account-dialog.png       the account dialog over doc's accounts, the first one selected
//                            (the empty form when there is none);
//   reload-lines-dialog.png  the reload-lines dialog as it opens.
// SaveWindowScreenshots writes the other windows:
//   options-general.png, options-log.png  the options sheet on each page;
//   report.png               the report window over doc's accounts with its details;
//   about.png                the About box;
//   help.png                 the help window (read from helpFolder) on its first page.
// Each file is written atomically. Nothing in doc is changed (the report window stores
// its own settings as it always does). Each returns true when all its files were written;
// a file that could not be written is named on standard error.
#pragma once

#include <QString>

#include <filesystem>

class QWidget;

namespace tolvane {

class CDocumentCore;

bool SaveDialogScreenshots(CDocumentCore& doc, const QString& folder, QWidget* parent = nullptr);
bool SaveWindowScreenshots(CDocumentCore& doc, const QString& folder,
                           const std::filesystem::path& helpFolder, QWidget* parent = nullptr);

} // namespace tolvane
