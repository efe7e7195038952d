#include "app/sound/SoundEffectPlayer.h"

#include "app/sound/SoundEffectWorker.h"

#include <QDeadlineTimer>
#include <QThread>

namespace tolvane {

namespace {

// How long the end of the program waits for the sound thread.
constexpr int kStopWaitMs = 2000;

} // namespace

CSoundEffectPlayer::CSoundEffectPlayer() = default;

CSoundEffectPlayer::~CSoundEffectPlayer() {
    if (!m_pThread) {
        return;
    }
    // The worker goes with the thread's event loop, on its own thread.
    connect(m_pThread, &QThread::finished, m_pWorker, &QObject::deleteLater);
    m_pWorker->disconnect(this);
    m_pThread->quit();
    if (m_pThread->wait(QDeadlineTimer(kStopWaitMs))) {
        delete m_pThread;
    }
    // Otherwise the thread is left running: destroying it would end the program.
}

void CSoundEffectPlayer::SetBeforeRequest(std::function<void()> hook) {
    m_beforeRequest = std::move(hook);
}

void CSoundEffectPlayer::Start() {
    m_pThread = new QThread;
    m_pThread->setObjectName(QStringLiteral("sound"));
    m_pWorker = new CSoundEffectWorker;
    m_pWorker->SetBeforeRequest(m_beforeRequest);
    m_pWorker->moveToThread(m_pThread);
    connect(m_pWorker, &CSoundEffectWorker::ended, this, &CSoundEffectPlayer::requestEnded);
    m_pThread->start();
}

void CSoundEffectPlayer::Play(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    if (!m_pThread) {
        Start();
    }
    CSoundEffectWorker* worker = m_pWorker;
    QMetaObject::invokeMethod(
        worker, [worker, path] { worker->Request(path); }, Qt::QueuedConnection);
}

} // namespace tolvane
