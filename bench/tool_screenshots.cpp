// Screenshots of Tolvane's windows for the README: run by scripts/screenshots under Xvfb
// against the demo mailbox (its settings already written). The clock, the window size and
// the fonts are fixed, so two runs give the same pictures.
//
//   tool_screenshots OUTPUT-FOLDER
//
// Writes main.png (the main window after the start-up check), pane.png (a mail shown in
// the information pane), viewer.png (the connection log in the viewer), account-dialog.png,
// account-dialog-oauth.png (an account that signs in with OAuth 2.0),
// reload-lines-dialog.png, and from the program's own commands options-general.png and
// options-log.png (the options sheet on each page), report.png (the mail count window with
// its details), about.png (the About box), help.png (the help on its first page, read
// from beside this tool), and message-box.png and save-dialog.png (a question and the save
// dialog, whose standard buttons and labels are Qt's own texts in Japanese). Exits 0 when
// every picture was written.
#include "app/CommandIds.h"
#include "app/GuiTexts.h"
#include "app/InformationView.h"
#include "app/MainFrame.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "app/ViewerDialog.h"
#include "app/help/HelpCommands.h"
#include "app/help/HelpWindow.h"
#include "app/maillist/TolvaneView.h"
#include "app/widgets/QtText.h"
#include "bench/DialogScreenshots.h"
#include "bench/TrayScreenshots.h"
#include "engine/Clock.h"
#include "platform/AtomicFile.h"
#include "settings/ReportDialog.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFont>
#include <QHeaderView>
#include <QMessageBox>
#include <QScreen>
#include <QSignalSpy>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <functional>

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

// Runs a command of the main window that opens a modal window; shoot takes its pictures
// while it is open, then the window is closed.
bool ShootModal(CMainFrame* frame, int id, const std::function<bool(QWidget*)>& shoot) {
    bool ok = false;
    QTimer::singleShot(0, frame, [&] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window) {
            std::fprintf(stderr, "tool_screenshots: command %d opened no window\n", id);
            return;
        }
        Settle();
        ok = shoot(window);
        window->close();
    });
    frame->OnCommand(id);
    return ok;
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
    CReportDialog* report = tolvane.Document()->ReportWindow();
    report->hide(); // shown by the check; it has a picture of its own
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

    // The options sheet on both pages, the About box, the report window and the help, as
    // the program's commands show them.
    ok = ShootModal(frame, ID_OPTIONS,
                    [&out](QWidget* sheet) {
                        auto* tabs = sheet->findChild<QTabWidget*>();
                        bool shot =
                            Grab(sheet, out.filePath(QStringLiteral("options-general.png")));
                        tabs->setCurrentIndex(1);
                        Settle();
                        return Grab(sheet, out.filePath(QStringLiteral("options-log.png"))) && shot;
                    }) &&
         ok;
    ok = ShootModal(frame, ID_APP_ABOUT,
                    [&out](QWidget* box) {
                        return Grab(box, out.filePath(QStringLiteral("about.png")));
                    }) &&
         ok;
    report->move(60, 80);
    frame->OnCommand(ID_REPORT);
    if (!report->DetailsShown()) {
        report->ToggleDetails();
    }
    Settle();
    ok = Grab(report, out.filePath(QStringLiteral("report.png"))) && ok;
    report->hide();
    frame->OnCommand(ID_HELP_FINDER);
    CHelpWindow* help = tolvane.Help()->Window();
    if (help) {
        help->ShowTopic(help->Topic()); // the first page, its entry selected
        help->resize(760, 520);
        Settle();
        ok = Grab(help, out.filePath(QStringLiteral("help.png"))) && ok;
        help->hide();
    } else {
        ok = false;
    }

    // The quit question as the message-box hook shows it, and Qt's own save dialog.
    {
        QMessageBox box(QMessageBox::Question, Tr(gui::txt::kProductTitle), Tr(gui::txt::kAskQuit),
                        QMessageBox::Ok | QMessageBox::Cancel, frame);
        box.show();
        Settle();
        ok = Grab(&box, out.filePath(QStringLiteral("message-box.png"))) && ok;
    }
    {
        QFileDialog save(frame, Tr(gui::txt::kSaveAllPrompt), QDir::homePath(),
                         Tr(gui::txt::kSaveFilter));
        save.setOption(QFileDialog::DontUseNativeDialog);
        save.setAcceptMode(QFileDialog::AcceptSave);
        save.resize(640, 420);
        save.show();
        Settle();
        ok = Grab(&save, out.filePath(QStringLiteral("save-dialog.png"))) && ok;
    }

    ok = SaveTrayScreenshot(out.filePath(QStringLiteral("tray-states.png"))) && ok;

    tolvane.QuitWithoutQuestion();
    QSignalSpy finished(&tolvane, &CTolvaneApp::finished);
    if (!tolvane.IsFinished()) {
        finished.wait(30000);
    }
    SetClock(nullptr);
    return ok ? 0 : 1;
}
