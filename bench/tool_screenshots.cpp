// Screenshots of Tolvane's windows for the README: run by scripts/screenshots under Xvfb
// against the demo mailbox (its settings already written). The clock, the window size and
// the fonts are fixed, so two runs give the same pictures.
//
//   tool_screenshots OUTPUT-FOLDER
//
// Writes main.png (the main window after the start-up check), pane.png (a mail shown in
// the information pane), viewer.png (the connection log in the viewer), account-dialog.png
// and reload-lines-dialog.png. Exits 0 when
// every picture was written.
#include "app/InformationView.h"
#include "app/MainFrame.h"
#include "app/QtText.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "app/TolvaneView.h"
#include "app/ViewerDialog.h"
#include "engine/Clock.h"
#include "platform/AtomicFile.h"
#include "settings/DialogScreenshots.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFont>
#include <QHeaderView>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>

#include <cstdio>
#include <ctime>

namespace {

using namespace tolvane;
using namespace tolvane::gui;

// 2024-06-05 14:58 in Tokyo, whatever the machine's clock says.
class FixedClock final : public IClock {
public:
    std::time_t Now() const override { return 1717567080; }
};

bool Grab(QWidget* window, const QString& path) {
    window->raise();
    QApplication::processEvents();
    const QPixmap picture = window->screen()->grabWindow(window->winId());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    const bool ok =
        !picture.isNull() && buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG") &&
        WriteFileAtomic(ToPath(path),
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                        0644);
    if (!ok) {
        std::fprintf(stderr, "tool_screenshots: cannot write %s\n", path.toLocal8Bit().constData());
        return false;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
}

// Lets the window system draw everything that is pending.
void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tool_screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 10));
    const QDir out(QString::fromLocal8Bit(argv[1]));
    FixedClock clock;
    SetClock(&clock);

    CTolvaneApp tolvane;
    if (tolvane.InitApplication() != CTolvaneApp::StartResult::First || !tolvane.InitInstance()) {
        std::fprintf(stderr, "tool_screenshots: Tolvane did not start\n");
        return 1;
    }
    CMainFrame* frame = tolvane.Frame();
    frame->setGeometry(40, 40, 860, 560);
    QSignalSpy checked(tolvane.Document(), &CTolvaneDoc::jobCompleted);
    if (!checked.wait(60000)) {
        std::fprintf(stderr, "tool_screenshots: the start-up check did not complete\n");
        return 1;
    }
    frame->DrawClock();
    CTolvaneView* list = frame->ListView();
    const int widths[] = {300, 250, 60, 140, 90};
    for (int column = 0; column < 5; ++column) {
        list->header()->resizeSection(column, widths[column]);
    }
    Settle();
    bool ok = Grab(frame, out.filePath(QStringLiteral("main.png")));

    // A mail in the pane: the first row, focused and selected.
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    list->SelectMail(0);
    frame->Splitter()->setSizes({200, 300});
    Settle();
    ok = Grab(frame, out.filePath(QStringLiteral("pane.png"))) && ok;

    // The connection log in the viewer.
    {
        CViewerDialog viewer(frame, QString::fromUtf8("接続ログ"),
                             tolvane.Document()->m_log.GetLog());
        viewer.show();
        Settle();
        ok = Grab(&viewer, out.filePath(QStringLiteral("viewer.png"))) && ok;
    }

    // The account dialog (its first account selected) and the reload-lines dialog.
    ok = SaveDialogScreenshots(*tolvane.Document(), out.path(), frame) && ok;

    tolvane.QuitWithoutQuestion();
    QSignalSpy finished(&tolvane, &CTolvaneApp::finished);
    if (!tolvane.IsFinished()) {
        finished.wait(30000);
    }
    SetClock(nullptr);
    return ok ? 0 : 1;
}
