// The sound played when mail is waiting, and by the options sheet's browse and test
// buttons: a WAV file named by the user.
//
// - Play never holds up its caller: the sound is played elsewhere and the call returns
//   at once. It is silent when the file cannot be played or there is no sound output, and
//   a sound still playing is not restarted (the new request is dropped).
// - The program installs one player for its lifetime; tests install a recorder. Without
//   a player installed, PlaySoundFile does nothing.
#pragma once

#include <QString>

namespace tolvane {

class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    virtual void Play(const QString& path) = 0;
};

// Installs the process-wide player (nullptr: none). Returns the one installed before.
// User-interface thread only.
ISoundPlayer* SetSoundPlayer(ISoundPlayer* player);
ISoundPlayer* InstalledSoundPlayer();

// Plays path through the installed player; an empty path plays nothing.
void PlaySoundFile(const QString& path);

} // namespace tolvane
