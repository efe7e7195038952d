// RunOffThread: work that may block (a keyring call, bounded by its own time-out) runs on
// a thread of its own while the user interface goes on drawing: owner is greyed and the
// wait cursor shown meanwhile, and the user's input waits until work has ended. Returns
// when it has, on the calling (GUI) thread. work must touch no widget.
//
// Posted events (a quit among them) still run during the wait, so whatever would destroy
// what the caller holds must wait too: IsOffThreadWorkRunning says whether a wait is on
// the stack, and OffThreadWaits().ended fires when the last one has returned.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace tolvane {

void RunOffThread(QWidget* owner, const std::function<void()>& work);

bool IsOffThreadWorkRunning();

class COffThreadWaits final : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void ended();
};
COffThreadWaits& OffThreadWaits();

} // namespace tolvane
