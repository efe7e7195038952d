// A sound player that records what it was asked to play, installed for its lifetime.
#pragma once

#include "app/widgets/SoundPlayer.h"

#include <QStringList>

namespace tolvane::test {

class RecordingSoundPlayer final : public ISoundPlayer {
public:
    RecordingSoundPlayer() : m_pPrevious(SetSoundPlayer(this)) {}
    ~RecordingSoundPlayer() override { SetSoundPlayer(m_pPrevious); }
    RecordingSoundPlayer(const RecordingSoundPlayer&) = delete;
    RecordingSoundPlayer& operator=(const RecordingSoundPlayer&) = delete;

    void Play(const QString& path) override { played.append(path); }

    QStringList played;

private:
    ISoundPlayer* m_pPrevious;
};

} // namespace tolvane::test
