#include "app/widgets/SoundPlayer.h"

namespace tolvane {

namespace {

ISoundPlayer* g_pPlayer = nullptr;

} // namespace

ISoundPlayer* SetSoundPlayer(ISoundPlayer* player) {
    ISoundPlayer* previous = g_pPlayer;
    g_pPlayer = player;
    return previous;
}

ISoundPlayer* InstalledSoundPlayer() {
    return g_pPlayer;
}

void PlaySoundFile(const QString& path) {
    if (g_pPlayer && !path.isEmpty()) {
        g_pPlayer->Play(path);
    }
}

} // namespace tolvane
