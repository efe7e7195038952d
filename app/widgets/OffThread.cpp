#include "app/widgets/OffThread.h"

#include <QApplication>
#include <QEventLoop>
#include <QWidget>

#include <thread>

namespace tolvane {

namespace {

int g_nRunning = 0; // GUI thread only

} // namespace

void RunOffThread(QWidget* owner, const std::function<void()>& work) {
    const bool bWasEnabled = owner && owner->isEnabled();
    if (owner) {
        owner->setEnabled(false);
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++g_nRunning;
    QEventLoop loop;
    std::thread worker([&work, &loop] {
        work();
        // Queued: it cannot arrive before the loop runs.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    --g_nRunning;
    QApplication::restoreOverrideCursor();
    if (owner) {
        owner->setEnabled(bWasEnabled);
    }
    if (g_nRunning == 0) {
        Q_EMIT OffThreadWaits().ended();
    }
}

bool IsOffThreadWorkRunning() {
    return g_nRunning > 0;
}

COffThreadWaits& OffThreadWaits() {
    static COffThreadWaits waits;
    return waits;
}

} // namespace tolvane
