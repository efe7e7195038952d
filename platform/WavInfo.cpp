#include "platform/WavInfo.h"

#include <fstream>
#include <string>

namespace tolvane {

namespace {

uint32_t Le32(std::string_view bytes, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

uint16_t Le16(std::string_view bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
}

constexpr size_t kRiffHeader = 12;
constexpr size_t kChunkHeader = 8;
constexpr size_t kFmtMinimum = 16;

bool ReadFormat(std::string_view chunk, WavInfo& info) {
    if (chunk.size() < kFmtMinimum) {
        return false;
    }
    info.nFormat = Le16(chunk, 0);
    info.nChannels = Le16(chunk, 2);
    info.nSampleRate = Le32(chunk, 4);
    info.nByteRate = Le32(chunk, 8);
    info.nBitsPerSample = Le16(chunk, 14);
    return info.nChannels != 0 && info.nByteRate != 0;
}

} // namespace

uint64_t WavInfo::DurationMs() const {
    return nByteRate == 0 ? 0 : static_cast<uint64_t>(nDataBytes) * 1000 / nByteRate;
}

bool ParseWavInfo(std::string_view bytes, WavInfo& info) {
    info = WavInfo{};
    if (bytes.size() < kRiffHeader || bytes.substr(0, 4) != "RIFF" ||
        bytes.substr(8, 4) != "WAVE") {
        return false;
    }
    bool bFormat = false;
    size_t at = kRiffHeader;
    while (bytes.size() - at >= kChunkHeader) {
        const std::string_view id = bytes.substr(at, 4);
        const uint32_t size = Le32(bytes, at + 4);
        at += kChunkHeader;
        if (id == "data") {
            info.nDataBytes = size;
            return bFormat;
        }
        if (size > bytes.size() - at) {
            return false; // a chunk before the data that the header does not hold
        }
        if (id == "fmt ") {
            bFormat = ReadFormat(bytes.substr(at, size), info);
            if (!bFormat) {
                return false;
            }
        }
        at += size + (size & 1); // chunks are padded to an even length
        if (at > bytes.size()) {
            return false;
        }
    }
    return false;
}

bool ReadWavFileInfo(const std::filesystem::path& path, WavInfo& info) {
    info = WavInfo{};
    std::error_code error;
    // A pipe or a device could block the reader for ever.
    if (!std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::string bytes(kWavHeaderLimit, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    return ParseWavInfo(bytes, info);
}

} // namespace tolvane
