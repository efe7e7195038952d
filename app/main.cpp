// Tolvane: the program is CTolvaneApp; main() only runs it.
#include "app/TolvaneApp.h"

#include <QApplication>

#include <csignal>

int main(int argc, char** argv) {
    // A file-size limit (ulimit -f) then fails a write with EFBIG, reported like a full
    // disk, instead of killing the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    // Ties the windows and notifications to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.orrindale.Tolvane"));
    tolvane::gui::CTolvaneApp tolvane;
    switch (tolvane.InitApplication()) {
    case tolvane::gui::CTolvaneApp::StartResult::OtherRuns:
        return 0;
    case tolvane::gui::CTolvaneApp::StartResult::Refused:
        return 1;
    case tolvane::gui::CTolvaneApp::StartResult::First:
        break;
    }
    // The login start (the autostart entry) keeps the window out of the way.
    tolvane.SetStartMinimized(
        QCoreApplication::arguments().contains(QStringLiteral("--minimized")));
    if (!tolvane.InitInstance()) {
        return 1;
    }
    QObject::connect(&tolvane, &tolvane::gui::CTolvaneApp::finished, &application,
                     &QCoreApplication::quit, Qt::QueuedConnection);
    return QApplication::exec();
}
