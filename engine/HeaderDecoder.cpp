// The whole header decoder: stage one (encoded words) into one buffer, stage two
// (ISO-2022-JP -> CP932) into the result, each measured first so it is allocated once.
#include "engine/HeaderDecoder.h"

#include <cassert>
#include <new>

namespace tolvane {

std::optional<std::string> DecodeHeaderText(std::string_view input) {
    input = input.substr(0, input.find('\0'));
    try {
        if (input.find("=?") == std::string_view::npos) {
            // No encoded word can start anywhere: stage one would copy every byte.
            return ConvertJisToSjis(input);
        }
        const size_t size = DecodeEncodedWords(input, nullptr, 0);
        std::string words(size, '\0');
        [[maybe_unused]] const size_t written =
            DecodeEncodedWords(input, words.data(), words.size());
        assert(written == size);
        return ConvertJisToSjis(words);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace tolvane
