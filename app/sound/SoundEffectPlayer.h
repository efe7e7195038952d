// CSoundEffectPlayer: the program's sound player (app/widgets/SoundPlayer.h): a thread of its own
// running a CSoundEffectWorker, so that neither a slow sound system nor a file that never
// loads can hold up the user-interface thread.
//
// - Play queues the request to the sound thread (started on the first request) and
//   returns at once. requestEnded(path, outcome) comes back on the thread of this object
//   once per request (outcomes: CSoundEffectWorker::Outcome).
// - The destructor stops the thread. A thread that does not stop within a short time
//   (a sound system that hangs) is left behind rather than holding up the end of the
//   program.
#pragma once

#include "app/widgets/SoundPlayer.h"

#include <QObject>

#include <functional>

class QThread;

namespace tolvane {

class CSoundEffectWorker;

class CSoundEffectPlayer final : public QObject, public ISoundPlayer {
    Q_OBJECT
public:
    CSoundEffectPlayer();
    ~CSoundEffectPlayer() override;

    void Play(const QString& path) override;
    // Runs on the sound thread before each request is looked at. Set it before the first
    // Play.
    void SetBeforeRequest(std::function<void()> hook);

Q_SIGNALS:
    void requestEnded(const QString& path, int outcome);

private:
    void Start();

    QThread* m_pThread = nullptr;
    CSoundEffectWorker* m_pWorker = nullptr; // lives on m_pThread
    std::function<void()> m_beforeRequest;
};

} // namespace tolvane
