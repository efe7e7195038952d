// CQuitSignals: SIGTERM, SIGINT and SIGHUP (logout, shutdown, kill, Ctrl+C in the
// terminal that started the program) become quitRequested on the user-interface thread,
// so the program ends as a normal quit: settings, layout and mail stores written.
//
// The handlers only write a byte to a pipe that a socket notifier watches. One object at
// a time; the previous handlers come back when it is destroyed.
#pragma once

#include <QObject>

#include <signal.h>

class QSocketNotifier;

namespace tolvane::gui {

class CQuitSignals final : public QObject {
    Q_OBJECT
public:
    explicit CQuitSignals(QObject* parent = nullptr);
    ~CQuitSignals() override;

Q_SIGNALS:
    void quitRequested();

private:
    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

    int m_pipe[2] = {-1, -1};
    struct sigaction m_previous[3] = {};
    QSocketNotifier* m_pNotifier = nullptr;
};

} // namespace tolvane::gui
