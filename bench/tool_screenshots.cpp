// Screenshots of Tolvane's windows for the README: run by scripts/screenshots under Xvfb
// against the demo mailbox (its settings already written). The clock, the window size and
// the fonts are fixed, so two runs give the same pictures.
//
//   tool_screenshots OUTPUT-FOLDER
//
// Writes main.png (the main window after the start-up check), pane.png (a mail shown in
// the information pane) and, where the account dialog exists, accounts.png. Exits 0 when
// every picture was written.
#include "app/InformationView.h"
#include "app/MainFrame.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "app/TolvaneView.h"
#include "engine/Clock.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFont>
#include <QHeaderView>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTimer>

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
    if (picture.isNull() || !picture.save(path)) {
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

#if __has_include("settings/AccountDialog.h")
    QTimer::singleShot(0, [&] {
        Settle();
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ok = Grab(dialog, out.filePath(QStringLiteral("accounts.png"))) && ok;
            dialog->reject();
        }
    });
    frame->OnCommand(32805); // the account dialog
#endif

    tolvane.QuitWithoutQuestion();
    QSignalSpy finished(&tolvane, &CTolvaneApp::finished);
    if (!tolvane.IsFinished()) {
        finished.wait(30000);
    }
    SetClock(nullptr);
    return ok ? 0 : 1;
}
