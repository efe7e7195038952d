// The WAV header reader that decides whether a sound file is handed to the player.
#include "platform/WavInfo.h"

#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

std::string Le32(uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

std::string Le16(uint16_t value) {
    return Le32(value).substr(0, 2);
}

std::string Chunk(const std::string& id, const std::string& body) {
    std::string chunk = id + Le32(static_cast<uint32_t>(body.size())) + body;
    if (body.size() % 2 != 0) {
        chunk += '\0';
    }
    return chunk;
}

// 16-bit PCM: channels × rate × 2 bytes a second.
std::string Format(uint16_t channels, uint32_t rate) {
    return Le16(1) + Le16(channels) + Le32(rate) + Le32(rate * channels * 2) +
           Le16(static_cast<uint16_t>(channels * 2)) + Le16(16);
}

std::string Wav(const std::string& chunks) {
    return "RIFF" + Le32(static_cast<uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

TEST(WavInfo, APcmFileGivesItsFormatAndLength) {
    WavInfo info;
    // A chunk of odd length before the format is skipped with its pad byte.
    const std::string bytes = Wav(Chunk("LIST", "abc") + Chunk("fmt ", Format(2, 8000)) +
                                  Chunk("data", std::string(32000, 'x')));
    ASSERT_TRUE(ParseWavInfo(bytes, info));
    EXPECT_EQ(info.nFormat, 1);
    EXPECT_EQ(info.nChannels, 2);
    EXPECT_EQ(info.nSampleRate, 8000u);
    EXPECT_EQ(info.nBitsPerSample, 16);
    EXPECT_EQ(info.nDataBytes, 32000u);
    EXPECT_EQ(info.DurationMs(), 1000u);
    // The header alone is enough: the data may lie beyond what was read.
    ASSERT_TRUE(ParseWavInfo(bytes.substr(0, bytes.size() - 32000), info));
    EXPECT_EQ(info.DurationMs(), 1000u);
}

TEST(WavInfo, AnythingElseIsRefused) {
    const std::string format = Chunk("fmt ", Format(1, 8000));
    const std::string data = Chunk("data", "xx");
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"text", "not a wav file at all"},
        {"other RIFF", "RIFF" + Le32(16) + "AVI " + format + data},
        {"no data", Wav(format)},
        {"data before fmt", Wav(data + format)},
        {"short fmt", Wav(Chunk("fmt ", Format(1, 8000).substr(0, 10)) + data)},
        {"no channels", Wav(Chunk("fmt ", Format(0, 8000)) + data)},
        {"no byte rate", Wav(Chunk("fmt ", Format(1, 0)) + data)},
        {"chunk beyond the bytes", Wav(Chunk("LIST", "ab").substr(0, 6) + Le32(0xFFFFFFF0) + data)},
        {"cut in a chunk header", Wav(format).substr(0, 14)},
    };
    for (const auto& [name, bytes] : cases) {
        WavInfo info;
        info.nChannels = 9;
        EXPECT_FALSE(ParseWavInfo(bytes, info)) << name;
    }
}

TEST(WavInfo, OnlyRegularFilesAreRead) {
    test::TempDir dir;
    WavInfo info;
    EXPECT_FALSE(ReadWavFileInfo(dir.Path() / "missing.wav", info));
    EXPECT_FALSE(ReadWavFileInfo(dir.Path(), info));
    EXPECT_FALSE(ReadWavFileInfo("/dev/zero", info)); // would never end
    test::WriteFileBytes(dir.Path() / "a.wav", Wav(Chunk("fmt ", Format(1, 8000)) +
                                                   Chunk("data", std::string(1600, 'x'))));
    ASSERT_TRUE(ReadWavFileInfo(dir.Path() / "a.wav", info));
    EXPECT_EQ(info.DurationMs(), 100u);
}

} // namespace
} // namespace tolvane
