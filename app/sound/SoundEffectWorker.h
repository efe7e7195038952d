// CSoundEffectWorker: the half of the sound player that lives on the sound thread and
// owns the QSoundEffect. Everything in it runs on that thread; requests reach it queued.
//
// A request (Request):
// - is dropped with BUSY while an earlier sound has not ended;
// - ends with NOT_WAV when the file is not a WAV file the header reader accepts
//   (platform/WavInfo.h), and with NO_DEVICE when the system offers no sound output;
// - otherwise loads and plays the file. It ends with PLAYED when the output reports the
//   end, with FAILED when the file cannot be decoded, and with STOPPED when neither has
//   happened within the sound's length plus a grace period (an output that never
//   reports the end must not keep later sounds from playing).
// Each request ends with exactly one ended() signal.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QSoundEffect;
class QTimer;

namespace tolvane {

class CSoundEffectWorker final : public QObject {
    Q_OBJECT
public:
    enum Outcome { PLAYED, BUSY, NOT_WAV, NO_DEVICE, FAILED, STOPPED };

    CSoundEffectWorker();

    void Request(const QString& path);
    // Runs before each request is looked at (tests hold the thread there).
    void SetBeforeRequest(std::function<void()> hook) { m_beforeRequest = std::move(hook); }

Q_SIGNALS:
    void ended(const QString& path, int outcome);

private:
    void OnStatusChanged();
    void OnPlayingChanged();
    void End(int outcome);

    std::function<void()> m_beforeRequest;
    QSoundEffect* m_pEffect = nullptr;
    QTimer* m_pWatchdog = nullptr;
    QString m_strPath;
    bool m_bBusy = false;
    bool m_bStarted = false;
};

} // namespace tolvane
