#include "settings/DialogScreenshots.h"

#include "app/AboutBox.h"
#include "app/HelpDocument.h"
#include "app/HelpTopics.h"
#include "app/HelpWindow.h"
#include "app/QtText.h"
#include "engine/DocumentCore.h"
#include "platform/AtomicFile.h"
#include "settings/AccountDialog.h"
#include "settings/OptionSheet.h"
#include "settings/ReloadLinesDialog.h"
#include "settings/ReportDialog.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

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

bool SaveWindowScreenshots(CDocumentCore& doc, const QString& folder,
                           const std::filesystem::path& helpFolder, QWidget* parent) {
    const QDir dir(folder);
    COptionSheet sheet(parent);
    bool bAll = SaveShown(sheet, dir.filePath(QStringLiteral("options-general.png")));
    sheet.Tabs()->setCurrentIndex(1);
    bAll = SaveShown(sheet, dir.filePath(QStringLiteral("options-log.png"))) && bAll;

    CReportDialog report;
    report.SetAccounts(&doc.m_arrAccounts);
    report.Refresh();
    if (!report.DetailsShown()) {
        report.ToggleDetails();
    }
    bAll = SaveShown(report, dir.filePath(QStringLiteral("report.png"))) && bAll;

    CAboutBox about(parent);
    bAll = SaveShown(about, dir.filePath(QStringLiteral("about.png"))) && bAll;

    CHelpDocument help;
    if (!help.Load(helpFolder)) {
        std::fprintf(stderr, "cannot read the help: %s\n", help.Error().toUtf8().constData());
        return false;
    }
    CHelpWindow window(help, parent);
    window.ShowTopic(QString::fromLatin1(kFirstTopic));
    return SaveShown(window, dir.filePath(QStringLiteral("help.png"))) && bAll;
}

} // namespace tolvane
