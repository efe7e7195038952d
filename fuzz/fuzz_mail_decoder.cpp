// Any bytes given to the decoders of today's mail: no crash, no read or write past a
// buffer, no hang. The input serves as a header value, as a TOP reply's header and body
// (split at the first empty line), as HTML, as base64 and quoted-printable text, and as
// text in the charset its first byte picks. A value whose only encoded words are
// ISO-2022-JP comes out as the ISO-2022-JP decoder gives it; no result holds a zero byte.
#include "engine/BodyPreview.h"
#include "engine/Charset.h"
#include "engine/HeaderDecoder.h"
#include "engine/HtmlText.h"
#include "engine/MailHeaderDecoder.h"
#include "engine/TransferDecode.h"
#include "fuzz/Require.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using tolvane::fuzz::Require;

bool HasZero(const std::string& text) {
    return text.find('\0') != std::string::npos;
}

// True when every "=?" starts an ISO-2022-JP word and no byte is 8-bit: the value is of
// the kind the ISO-2022-JP decoder was written for.
bool OnlyIsoWords(std::string_view text) {
    constexpr std::string_view kIso = "iso-2022-jp?";
    for (unsigned char c : text) {
        if (c >= 0x80) {
            return false;
        }
    }
    for (size_t at = text.find("=?"); at != std::string_view::npos; at = text.find("=?", at + 1)) {
        const std::string_view charset = text.substr(at + 2, kIso.size());
        if (charset.size() < kIso.size()) {
            return false;
        }
        for (size_t i = 0; i < kIso.size(); ++i) {
            const char c = charset[i];
            if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kIso[i]) {
                return false;
            }
        }
    }
    return true;
}

const char* const kCharsets[] = {"UTF-8",         "Shift_JIS", "EUC-JP",     "ISO-2022-JP",
                                 "ISO-2022-JP-2", "US-ASCII",  "ISO-8859-1", "windows-1252",
                                 "KOI8-R",        "UTF-16",    "UTF-7",      "x-unknown"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tolvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view text = input.substr(0, input.find('\0'));

    const std::optional<std::string> header = DecodeMailHeader(input);
    Require(header.has_value() && !HasZero(*header));
    if (OnlyIsoWords(text)) {
        Require(header == DecodeHeaderText(input));
    }

    const size_t blank = input.find("\r\n\r\n");
    const std::string_view head =
        blank == std::string_view::npos ? input : input.substr(0, blank + 2);
    const std::string_view body =
        blank == std::string_view::npos ? std::string_view() : input.substr(blank + 4);
    Require(!HasZero(DecodeBodyPreview(head, body)));

    HtmlToText(input);
    HtmlMetaCharset(input);
    Require(DecodeBase64Text(input).size() <= size / 4 * 3 + 3);
    Require(DecodeQuotedPrintable(input, Underscore::Literal).size() <= size);
    Require(DecodeQuotedPrintable(input, Underscore::Space).size() <= size);
    IsBase64Word(input);

    if (size > 0) {
        std::string out;
        const char* charset = kCharsets[data[0] % std::size(kCharsets)];
        CharsetToCp932(input.substr(1), charset, InvalidBytes::Refuse, out);
        CharsetToCp932(input.substr(1), charset, InvalidBytes::Replace, out);
    }
    return 0;
}
