// The whole header decoder: stage one (encoded words) into one buffer, stage two
// (ISO-2022-JP -> CP932) into the result, each measured first so it is allocated once.
#include "engine/HeaderDecoder.h"

#include <cassert>
#include <new>

namespace tolvane {
namespace {

// Stage two into a string of its measured size.
std::string ConvertJis(std::string_view jis) {
    if (jis.find('\x1B') == std::string_view::npos) {
        // No escape: every byte is copied in ASCII mode.
        return std::string(jis);
    }
    const size_t size = JisToSjis(jis, nullptr, 0);
    std::string result(size, '\0');
    [[maybe_unused]] const size_t written = JisToSjis(jis, result.data(), result.size());
    assert(written == size);
    return result;
}

} // namespace

std::optional<std::string> DecodeHeaderText(std::string_view input) {
    input = input.substr(0, input.find('\0'));
    try {
        if (input.find("=?") == std::string_view::npos) {
            // No encoded word can start anywhere: stage one would copy every byte.
            return ConvertJis(input);
        }
        const size_t size = DecodeEncodedWords(input, nullptr, 0);
        std::string words(size, '\0');
        [[maybe_unused]] const size_t written =
            DecodeEncodedWords(input, words.data(), words.size());
        assert(written == size);
        return ConvertJis(words);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace tolvane
