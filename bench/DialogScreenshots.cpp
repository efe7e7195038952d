#include "bench/DialogScreenshots.h"

#include "app/widgets/QtText.h"
#include "platform/AtomicFile.h"
#include "settings/AccountDialog.h"
#include "settings/ReloadLinesDialog.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>

namespace tolvane {

namespace {

bool SaveShown(QWidget& window, const QString& path) {
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
    const QPixmap picture = window.grab();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    bool bWritten =
        buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG") &&
        WriteFileAtomic(ToPath(path),
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                        0644);
    if (!bWritten) {
        std::fprintf(stderr, "could not write %s\n", path.toUtf8().constData());
    }
    window.hide();
    return bWritten;
}

} // namespace

bool SaveDialogScreenshots(CDocumentCore& doc, const QString& folder, QWidget* parent) {
    const QDir dir(folder);
    CAccountDialog accounts(doc, parent);
    accounts.SelectAccount(0);
    bool bAll = SaveShown(accounts, dir.filePath(QStringLiteral("account-dialog.png")));
    CReloadLinesDialog lines(parent);
    bAll = SaveShown(lines, dir.filePath(QStringLiteral("reload-lines-dialog.png"))) && bAll;
    return bAll;
}

} // namespace tolvane
