// What a sound file must be before it is handed to the sound player: a RIFF/WAVE file
// with a "fmt " chunk and a "data" chunk. The player uses the length of the sound to
// know when it has ended, because an output that never reports the end must not keep
// the next sound from playing.
//
// ParseWavInfo reads the chunks of the bytes given (the start of the file is enough: it
// stops at the "data" chunk); it is pure and never reads beyond the bytes. It fails for
// anything else: a missing magic, a chunk that runs past a truncated header, no "fmt "
// before "data", a zero byte rate or channel count. ReadWavFileInfo reads the start of a
// regular file (at most kWavHeaderLimit bytes) and parses it; anything that is not a
// regular file that can be opened fails.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace tolvane {

struct WavInfo {
    uint16_t nFormat = 0; // 1 PCM, 3 IEEE float, others as stored
    uint16_t nChannels = 0;
    uint32_t nSampleRate = 0;
    uint32_t nByteRate = 0;
    uint16_t nBitsPerSample = 0;
    uint32_t nDataBytes = 0; // as the data chunk states it
    // Length of the sound in milliseconds, from the data size and the byte rate.
    uint64_t DurationMs() const;
};

// Chunks before "data" (LIST, fact, ...) may not make the header longer than this.
inline constexpr size_t kWavHeaderLimit = 64 * 1024;

bool ParseWavInfo(std::string_view bytes, WavInfo& info);
bool ReadWavFileInfo(const std::filesystem::path& path, WavInfo& info);

} // namespace tolvane
