// Any bytes given to the header decoder: no crash, no read or write past a buffer; the
// measure and write passes of both stages agree; the result holds no zero byte and is
// never longer than the input.
#include "engine/HeaderDecoder.h"
#include "fuzz/Require.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using tolvane::fuzz::Require;

// Writes into a buffer of exactly the measured size; a guard after it must stay intact.
template <typename Stage> std::string MeasureThenWrite(std::string_view input, Stage stage) {
    const size_t size = stage(input, nullptr, 0);
    std::string buffer(size + 4, '\x5A');
    Require(stage(input, buffer.data(), size) == size);
    Require(buffer.compare(size, 4, "\x5A\x5A\x5A\x5A") == 0);
    buffer.resize(size);
    return buffer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view text = input.substr(0, input.find('\0'));

    const std::optional<std::string> result = DecodeHeaderText(input);
    Require(result.has_value());
    const std::string words = MeasureThenWrite(input, DecodeEncodedWords);
    const std::string sjis = MeasureThenWrite(words, JisToSjis);
    Require(*result == sjis);
    Require(words.size() <= text.size());
    Require(result->size() <= text.size());
    Require(std::memchr(result->data(), 0, result->size()) == nullptr);

    // The word-level pieces on the same bytes.
    EncodedWord word;
    const size_t length = ParseEncodedWord(input, 0, word);
    Require(length <= text.size());
    Require(DecodeBase64(text).size() <= text.size());
    Require(DecodeQuoted(text).size() <= text.size());
    return 0;
}
