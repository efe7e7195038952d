#include "app/sound/SoundEffectWorker.h"

#include "app/widgets/QtText.h"
#include "platform/WavInfo.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace tolvane {

namespace {

// Loading time and the output's latency on top of the sound's own length.
constexpr qint64 kGraceMs = 3000;
// A longer sound is cut there; QTimer takes an int.
constexpr qint64 kLongestMs = 10 * 60 * 1000;

} // namespace

CSoundEffectWorker::CSoundEffectWorker() {
    m_pWatchdog = new QTimer(this);
    m_pWatchdog->setSingleShot(true);
    connect(m_pWatchdog, &QTimer::timeout, this, [this] { End(STOPPED); });
}

void CSoundEffectWorker::Request(const QString& path) {
    if (m_beforeRequest) {
        m_beforeRequest();
    }
    if (m_bBusy) {
        Q_EMIT ended(path, BUSY);
        return;
    }
    WavInfo info;
    if (!ReadWavFileInfo(ToPath(path), info)) {
        Q_EMIT ended(path, NOT_WAV);
        return;
    }
    if (QMediaDevices::audioOutputs().isEmpty()) {
        Q_EMIT ended(path, NO_DEVICE);
        return;
    }
    m_bBusy = true;
    m_bStarted = false;
    m_strPath = path;
    delete m_pEffect;
    m_pEffect = new QSoundEffect(this);
    connect(m_pEffect, &QSoundEffect::statusChanged, this, &CSoundEffectWorker::OnStatusChanged);
    connect(m_pEffect, &QSoundEffect::playingChanged, this, &CSoundEffectWorker::OnPlayingChanged);
    const qint64 limit = std::min<qint64>(static_cast<qint64>(info.DurationMs()), kLongestMs);
    m_pWatchdog->start(static_cast<int>(limit + kGraceMs));
    m_pEffect->setSource(QUrl::fromLocalFile(path));
}

void CSoundEffectWorker::OnStatusChanged() {
    if (!m_bBusy) {
        return;
    }
    if (m_pEffect->status() == QSoundEffect::Ready && !m_bStarted) {
        m_bStarted = true;
        m_pEffect->play();
    } else if (m_pEffect->status() == QSoundEffect::Error) {
        End(FAILED);
    }
}

void CSoundEffectWorker::OnPlayingChanged() {
    if (m_bBusy && m_bStarted && !m_pEffect->isPlaying()) {
        End(PLAYED);
    }
}

void CSoundEffectWorker::End(int outcome) {
    if (!m_bBusy) {
        return;
    }
    m_bBusy = false;
    m_pWatchdog->stop();
    if (m_pEffect) {
        m_pEffect->disconnect(this);
        m_pEffect->stop();
        m_pEffect->deleteLater();
        m_pEffect = nullptr;
    }
    Q_EMIT ended(m_strPath, outcome);
}

} // namespace tolvane
