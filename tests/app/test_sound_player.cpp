// The sound player: a request never holds up its caller, and every request ends quietly,
// also without a sound server and with a file that is not a WAV file.
#include "app/sound/SoundEffectPlayer.h"

#include "app/sound/SoundEffectWorker.h"
#include "app/widgets/QtText.h"
#include "tests/support/TestEnv.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace tolvane::test {
namespace {

// A 16-bit mono PCM file of 8000 samples a second.
std::string SilentWav(uint32_t samples) {
    auto le = [](uint32_t value, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) {
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        }
        return out;
    };
    const uint32_t data = samples * 2;
    return "RIFF" + le(36 + data, 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) + le(1, 2) +
           le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2) + "data" + le(data, 4) +
           std::string(data, '\0');
}

class SoundPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // No sound server, whatever the machine running the tests has.
        qputenv("PULSE_SERVER", "unix:/nonexistent/tolvane-test-pulse");
    }
    QString File(const char* name, const std::string& bytes) {
        const auto path = dir.Path() / name;
        WriteFileBytes(path, bytes);
        return FromPath(path);
    }
    // Waits for the n-th end and returns its outcome.
    int Outcome(QSignalSpy& ended, int n) {
        while (ended.count() < n) {
            if (!ended.wait()) {
                return -1;
            }
        }
        return ended.at(n - 1).at(1).toInt();
    }

    TempDir dir;
};

TEST_F(SoundPlayerTest, PlayReturnsBeforeTheSoundIsEvenLookedAt) {
    CSoundEffectPlayer player;
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    player.SetBeforeRequest([opened] { opened.wait(); });
    QSignalSpy ended(&player, &CSoundEffectPlayer::requestEnded);
    const QString path = File("text.wav", "not a wav file");

    player.Play(path); // the sound thread is held: a caller that waited would never get here
    EXPECT_EQ(ended.count(), 0);
    gate.set_value();
    EXPECT_EQ(Outcome(ended, 1), CSoundEffectWorker::NOT_WAV);
    EXPECT_EQ(ended.at(0).at(0).toString(), path);
}

TEST_F(SoundPlayerTest, EveryRequestEndsQuietlyOnce) {
    CSoundEffectPlayer player;
    QSignalSpy ended(&player, &CSoundEffectPlayer::requestEnded);
    player.Play(QString()); // nothing to play: no request at all
    player.Play(File("sound.wav", SilentWav(800)));
    player.Play(FromPath(dir.Path() / "missing.wav"));
    player.Play(FromPath(dir.Path()));
    EXPECT_EQ(Outcome(ended, 1), CSoundEffectWorker::NO_DEVICE);
    EXPECT_EQ(Outcome(ended, 2), CSoundEffectWorker::NOT_WAV);
    EXPECT_EQ(Outcome(ended, 3), CSoundEffectWorker::NOT_WAV);
    // Later requests are still served.
    player.Play(File("again.wav", SilentWav(80)));
    EXPECT_EQ(Outcome(ended, 4), CSoundEffectWorker::NO_DEVICE);
}

TEST_F(SoundPlayerTest, ThePlayerIsInstalledForTheProgramAndAnEmptyPathPlaysNothing) {
    CSoundEffectPlayer player;
    QSignalSpy ended(&player, &CSoundEffectPlayer::requestEnded);
    ISoundPlayer* previous = SetSoundPlayer(&player);
    PlaySoundFile(QString());
    PlaySoundFile(File("b.wav", "RIFF"));
    EXPECT_EQ(Outcome(ended, 1), CSoundEffectWorker::NOT_WAV);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(SetSoundPlayer(previous), &player);
}

} // namespace
} // namespace tolvane::test
