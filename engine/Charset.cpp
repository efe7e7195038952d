// MIME charsets to CP932: the Japanese charsets routed by name, everything else through
// iconv and UTF-8.
#include "engine/Charset.h"

#include "engine/HeaderDecoder.h"

#include <string>

namespace tolvane {
namespace {

enum class Route { Jis, Cp932, Ascii, Utf8, Iconv };

struct Alias {
    const char* name;
    Route route;
    const char* iconvName; // for Route::Iconv: the name iconv knows it by
};

// Names compare ignoring case. The Microsoft ISO-2022-JP variants are not known to
// iconv but are JIS text our converter reads; "X-" names are older spellings mail
// programs still write.
const Alias kAliases[] = {
    {"ISO-2022-JP", Route::Jis, nullptr},    {"CSISO2022JP", Route::Jis, nullptr},
    {"ISO-2022-JP-MS", Route::Jis, nullptr}, {"CP50220", Route::Jis, nullptr},
    {"CP50221", Route::Jis, nullptr},        {"CP50222", Route::Jis, nullptr},
    {"SHIFT_JIS", Route::Cp932, nullptr},    {"SHIFT-JIS", Route::Cp932, nullptr},
    {"SJIS", Route::Cp932, nullptr},         {"X-SJIS", Route::Cp932, nullptr},
    {"MS_KANJI", Route::Cp932, nullptr},     {"CSSHIFTJIS", Route::Cp932, nullptr},
    {"CP932", Route::Cp932, nullptr},        {"MS932", Route::Cp932, nullptr},
    {"WINDOWS-31J", Route::Cp932, nullptr},  {"CSWINDOWS31J", Route::Cp932, nullptr},
    {"X-MS-CP932", Route::Cp932, nullptr},   {"US-ASCII", Route::Ascii, nullptr},
    {"ASCII", Route::Ascii, nullptr},        {"UTF-8", Route::Utf8, nullptr},
    {"UTF8", Route::Utf8, nullptr},          {"EUC-JP", Route::Iconv, "EUC-JP-MS"},
    {"EUCJP", Route::Iconv, "EUC-JP-MS"},    {"X-EUC-JP", Route::Iconv, "EUC-JP-MS"},
    {"CP51932", Route::Iconv, "EUC-JP-MS"},  {"KS_C_5601-1987", Route::Iconv, "CP949"},
};

// Length of the UTF-8 sequence that lead byte c starts, 0 when c cannot start one.
size_t SequenceLength(unsigned char c) {
    if (c < 0x80) {
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        return 4;
    }
    return 0;
}

// True when the sequence of length n at p is well-formed: continuation bytes, and the
// second byte within the range that rules out overlong forms, surrogates and values above
// U+10FFFF.
bool WellFormed(const unsigned char* p, size_t n) {
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) {
            return false;
        }
    }
    const unsigned char lead = p[0];
    const unsigned char second = n > 1 ? p[1] : 0x80;
    return !((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
             (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F));
}

// Drops an incomplete UTF-8 sequence at the end (text cut at a byte).
std::string_view WithoutCutUtf8(std::string_view bytes) {
    const size_t size = bytes.size();
    for (size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto c = static_cast<unsigned char>(bytes[size - back]);
        if ((c & 0xC0) != 0x80) {
            const size_t length = SequenceLength(c);
            return length > back ? bytes.substr(0, size - back) : bytes;
        }
    }
    return bytes;
}

// Drops a CP932 lead byte at the very end that lost its trail byte.
std::string_view WithoutCutCp932(std::string_view bytes) {
    size_t i = 0;
    while (i < bytes.size()) {
        if (IsCp932LeadByte(static_cast<unsigned char>(bytes[i]))) {
            if (i + 1 == bytes.size()) {
                return bytes.substr(0, i);
            }
            i += 2;
        } else {
            ++i;
        }
    }
    return bytes;
}

bool ViaIconv(std::string_view bytes, std::string_view name, InvalidBytes rule, std::string& out) {
    const std::optional<std::string> utf8 = CharsetToUtf8(bytes, name, rule);
    if (!utf8) {
        return false;
    }
    out = Utf8ToCp932(*utf8);
    return true;
}

bool FromUtf8(std::string_view bytes, InvalidBytes rule, std::string& out) {
    if (rule == InvalidBytes::Refuse) {
        if (!IsUtf8(bytes)) {
            return false;
        }
    } else {
        bytes = WithoutCutUtf8(bytes);
    }
    out = Utf8ToCp932(bytes);
    return true;
}

bool FromCp932(std::string_view bytes, InvalidBytes rule, std::string& out) {
    if (rule == InvalidBytes::Replace) {
        bytes = WithoutCutCp932(bytes);
    }
    if (CharsetToUtf8(bytes, "CP932", InvalidBytes::Refuse)) {
        out.assign(bytes); // valid: every byte stays as sent
        return true;
    }
    return ViaIconv(bytes, "CP932", rule, out);
}

bool FromJis(std::string_view bytes, std::string& out) {
    // The converter ends at a zero byte; a stray one must not cut the text.
    if (bytes.find('\0') != std::string_view::npos) {
        std::string whole(bytes);
        std::erase(whole, '\0');
        out = ConvertJisToSjis(whole);
    } else {
        out = ConvertJisToSjis(bytes);
    }
    return true;
}

// US-ASCII text holding 8-bit bytes is mislabelled raw text.
bool FromAscii(std::string_view bytes, InvalidBytes rule, std::string& out) {
    if (!HasEightBit(bytes)) {
        out.assign(bytes);
        return true;
    }
    if (rule == InvalidBytes::Refuse) {
        return false;
    }
    out = RawTextToCp932(bytes);
    return true;
}

bool ByRoute(const Alias& alias, std::string_view bytes, InvalidBytes rule, std::string& out) {
    switch (alias.route) {
    case Route::Jis:
        return FromJis(bytes, out);
    case Route::Cp932:
        return FromCp932(bytes, rule, out);
    case Route::Ascii:
        return FromAscii(bytes, rule, out);
    case Route::Utf8:
        return FromUtf8(bytes, rule, out);
    case Route::Iconv:
        break;
    }
    return ViaIconv(bytes, alias.iconvName, rule, out);
}

} // namespace

bool HasEightBit(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

bool IsUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        const size_t length = SequenceLength(p[i]);
        if (length == 0 || length > size - i || !WellFormed(p + i, length)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string RawTextToCp932(std::string_view bytes) {
    if (HasEightBit(bytes) && IsUtf8(bytes)) {
        return Utf8ToCp932(bytes);
    }
    return std::string(bytes);
}

bool CharsetToCp932(std::string_view bytes, std::string_view charset, InvalidBytes rule,
                    std::string& out) {
    out.clear();
    const std::string_view name = charset.substr(0, charset.find('*'));
    for (const Alias& alias : kAliases) {
        if (!Cp932EqualNoCase(name, alias.name)) {
            continue;
        }
        return ByRoute(alias, bytes, rule, out);
    }
    return ViaIconv(bytes, name, rule, out);
}

} // namespace tolvane
