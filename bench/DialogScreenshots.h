// The dialogs of this folder as scripts/screenshots shows them: each is opened without
// blocking, laid out as the user meets it, rendered and written as a PNG file.
//
// SaveDialogScreenshots writes, into folder (which must exist):
//   account-dialog.png       the account dialog over doc's accounts, the first one selected
//                            (the empty form when there is none);
//   reload-lines-dialog.png  the reload-lines dialog as it opens.
// Each file is written atomically. Nothing in doc is changed. Returns true when both
// files were written; a file that could not be written is named on standard error.
#pragma once

#include <QString>

class QWidget;

namespace tolvane {

class CDocumentCore;

bool SaveDialogScreenshots(CDocumentCore& doc, const QString& folder, QWidget* parent = nullptr);

} // namespace tolvane
