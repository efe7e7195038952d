#include "platform/CodePage.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <memory>
#include <vector>

namespace tolvane {

namespace {

constexpr const char* kCp932 = "CP932";
constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// Charset names longer than this are not looked up; iconv's longest is far shorter.
constexpr size_t kMaxCharsetName = 40;
// Converters of named charsets kept per thread.
constexpr size_t kCachedCharsets = 8;

// One conversion descriptor per thread and direction: iconv_open is far slower than a
// conversion of a short text, and a descriptor must never be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(::iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1)) {
            ::iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// How many input bytes to replace by one "?" when the input at `rest` cannot be
// converted: one bad character, never more than what is left.
using SkipRule = size_t (*)(const unsigned char* rest, size_t left);

size_t SkipCp932(const unsigned char* rest, size_t left) {
    // A lead byte followed by a possible trail byte is one unmapped character; its trail
    // byte must not reappear as an ASCII letter.
    if (left >= 2 && IsCp932LeadByte(rest[0])) {
        unsigned char trail = rest[1];
        if ((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC)) {
            return 2;
        }
    }
    return 1;
}

size_t SkipUtf8(const unsigned char* rest, size_t left) {
    size_t length = 1;
    if (rest[0] >= 0xF0 && rest[0] <= 0xF4) {
        length = 4;
    } else if (rest[0] >= 0xE0 && rest[0] <= 0xEF) {
        length = 3;
    } else if (rest[0] >= 0xC2 && rest[0] <= 0xDF) {
        length = 2;
    }
    if (length > left) {
        return 1;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((rest[i] & 0xC0) != 0x80) {
            return 1; // a malformed sequence: one "?" per bad byte
        }
    }
    return length;
}

size_t SkipUtf16(const unsigned char* rest, size_t left) {
    if (left < 2) {
        return left;
    }
    char16_t unit = 0;
    std::memcpy(&unit, rest, 2);
    if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
        char16_t next = 0;
        std::memcpy(&next, rest + 2, 2);
        if (next >= 0xDC00 && next <= 0xDFFF) {
            return 4;
        }
    }
    return 2;
}

// What a conversion does with input it cannot convert.
enum class BadInput {
    Replace,         // the replacement for every bad character, an incomplete end included
    ReplaceDropTail, // the same, but an incomplete character at the end is dropped
    Refuse,          // the conversion fails
};

// Converts input with iconv into output, putting the replacement (in the target encoding)
// for every character that cannot be converted, and carrying on after it. False only
// when rule is Refuse and some input could not be converted.
bool Convert(const Converter& converter, const char* input, size_t size, SkipRule skip,
             std::string_view replacement, BadInput rule, std::string& output) {
    output.clear();
    iconv_t cd = converter.Get();
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return rule != BadInput::Refuse;
    }
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    output.resize(size * 2 + 16);
    char* in = const_cast<char*>(input);
    size_t inLeft = size;
    size_t used = 0;
    while (inLeft > 0) {
        char* out = output.data() + used;
        size_t outLeft = output.size() - used;
        size_t result = ::iconv(cd, &in, &inLeft, &out, &outLeft);
        used = output.size() - outLeft;
        if (result != static_cast<size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            output.resize(output.size() * 2);
            continue;
        }
        if (rule == BadInput::Refuse) {
            output.clear();
            return false;
        }
        if (errno == EINVAL && rule == BadInput::ReplaceDropTail) {
            break; // a character cut short by the end of the text
        }
        // EILSEQ (bad or unmappable character) or EINVAL (incomplete at the end).
        size_t bad = skip(reinterpret_cast<const unsigned char*>(in), inLeft);
        in += bad;
        inLeft -= bad;
        output.resize(used);
        output.append(replacement);
        used = output.size();
        output.resize(used + inLeft * 2 + 16);
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    output.resize(used);
    return true;
}

std::string Convert(const Converter& converter, const char* input, size_t size, SkipRule skip,
                    std::string_view replacement) {
    std::string output;
    Convert(converter, input, size, skip, replacement, BadInput::Replace, output);
    return output;
}

size_t SkipOne(const unsigned char*, size_t) {
    return 1;
}

// Charset names as iconv knows them: letters, digits and a few marks. Anything else (a
// "/" that would ask iconv for transliteration, blanks, control bytes) names no charset.
bool IsCharsetName(std::string_view name) {
    if (name.empty() || name.size() > kMaxCharsetName) {
        return false;
    }
    for (char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':' ||
                           c == '+' || c == '(' || c == ')';
        if (!plain) {
            return false;
        }
    }
    return true;
}

// A converter from the named charset to UTF-8, or nullptr when iconv does not know it.
// Mail names the same few charsets again and again, so each thread keeps the last few.
const Converter* CharsetConverter(std::string_view charset) {
    struct Entry {
        std::string name;
        std::unique_ptr<Converter> converter;
    };
    thread_local std::vector<Entry> cache;
    auto found = std::find_if(cache.begin(), cache.end(),
                              [&](const Entry& entry) { return entry.name == charset; });
    if (found == cache.end()) {
        if (cache.size() >= kCachedCharsets) {
            cache.erase(cache.begin());
        }
        const std::string name(charset);
        cache.push_back(Entry{name, std::make_unique<Converter>(kUtf8, name.c_str())});
        found = cache.end() - 1;
    }
    const Converter* converter = found->converter.get();
    return converter->Get() == reinterpret_cast<iconv_t>(-1) ? nullptr : converter;
}

const Converter& ToUtf8() {
    thread_local Converter converter(kUtf8, kCp932);
    return converter;
}
const Converter& FromUtf8() {
    thread_local Converter converter(kCp932, kUtf8);
    return converter;
}
const Converter& ToUtf16() {
    thread_local Converter converter(kUtf16, kCp932);
    return converter;
}
const Converter& FromUtf16() {
    thread_local Converter converter(kCp932, kUtf16);
    return converter;
}

// The byte as it compares: capitals folded, the trail byte of a double-byte character
// only raised when its lead byte makes it a full-width capital.
unsigned char FoldSingle(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
unsigned char FoldTrail(unsigned char lead, unsigned char trail) {
    if (lead == 0x82 && trail >= 0x60 && trail <= 0x79) {
        return static_cast<unsigned char>(trail + 0x21);
    }
    return trail;
}

} // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    return Convert(ToUtf8(), cp932.data(), cp932.size(), SkipCp932, "?");
}

std::string Utf8ToCp932(std::string_view utf8) {
    return Convert(FromUtf8(), utf8.data(), utf8.size(), SkipUtf8, "?");
}

std::u16string Cp932ToUtf16(std::string_view cp932) {
    const char16_t question = u'?';
    std::string bytes =
        Convert(ToUtf16(), cp932.data(), cp932.size(), SkipCp932,
                std::string_view(reinterpret_cast<const char*>(&question), sizeof question));
    std::u16string result(bytes.size() / 2, u'\0');
    std::memcpy(result.data(), bytes.data(), result.size() * 2);
    return result;
}

std::string Utf16ToCp932(std::u16string_view utf16) {
    return Convert(FromUtf16(), reinterpret_cast<const char*>(utf16.data()), utf16.size() * 2,
                   SkipUtf16, "?");
}

size_t Cp932Find(std::string_view cp932, char c, size_t from) {
    for (size_t i = 0; i < cp932.size(); ++i) {
        if (i >= from && cp932[i] == c) {
            return i;
        }
        if (IsCp932LeadByte(static_cast<unsigned char>(cp932[i]))) {
            ++i; // skip the trail byte
        }
    }
    return std::string_view::npos;
}

std::optional<std::string> CharsetToUtf8(std::string_view bytes, std::string_view charset,
                                         InvalidBytes rule) {
    if (!IsCharsetName(charset)) {
        return std::nullopt;
    }
    const Converter* converter = CharsetConverter(charset);
    if (converter == nullptr) {
        return std::nullopt;
    }
    std::string utf8;
    const BadInput bad =
        rule == InvalidBytes::Refuse ? BadInput::Refuse : BadInput::ReplaceDropTail;
    if (!Convert(*converter, bytes.data(), bytes.size(), SkipOne, "?", bad, utf8)) {
        return std::nullopt;
    }
    return utf8;
}

std::string Cp932Lower(std::string_view cp932) {
    std::string result(cp932);
    for (size_t i = 0; i < result.size(); ++i) {
        auto c = static_cast<unsigned char>(result[i]);
        if (IsCp932LeadByte(c) && i + 1 < result.size()) {
            ++i;
            result[i] = static_cast<char>(FoldTrail(c, static_cast<unsigned char>(result[i])));
        } else {
            result[i] = static_cast<char>(FoldSingle(c));
        }
    }
    return result;
}

int Cp932CompareNoCase(std::string_view a, std::string_view b) {
    size_t i = 0;
    bool trailA = false; // the next byte of a is a trail byte of lead byte leadA
    bool trailB = false;
    unsigned char leadA = 0;
    unsigned char leadB = 0;
    for (; i < a.size() && i < b.size(); ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        unsigned char fa = trailA ? FoldTrail(leadA, ca) : FoldSingle(ca);
        unsigned char fb = trailB ? FoldTrail(leadB, cb) : FoldSingle(cb);
        if (fa != fb) {
            return fa < fb ? -1 : 1;
        }
        trailA = !trailA && IsCp932LeadByte(ca);
        trailB = !trailB && IsCp932LeadByte(cb);
        leadA = ca;
        leadB = cb;
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

bool IsValidUtf8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        const unsigned char lead = bytes[i];
        size_t length = 0;
        unsigned char low = 0x80;  // bounds of the second byte, which exclude overlong
        unsigned char high = 0xBF; // forms, surrogates and code points past U+10FFFF
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (size - i < length || bytes[i + 1] < low || bytes[i + 1] > high) {
            return false;
        }
        for (size_t k = 2; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

namespace {

// Full-width capitals U+FF21-U+FF3A are EF BC A1-BA; their small letters EF BD 81-9A. The
// folding keeps every byte in its place, so the folded byte at i depends only on its
// neighbours.
bool IsFullWidthCapitalTail(unsigned char c) {
    return c >= 0xA1 && c <= 0xBA;
}

unsigned char FoldedUtf8At(std::string_view text, size_t i) {
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = at(i);
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c + ('a' - 'A'));
    }
    if (c == 0xBC && i >= 1 && at(i - 1) == 0xEF && i + 1 < text.size() &&
        IsFullWidthCapitalTail(at(i + 1))) {
        return 0xBD;
    }
    if (IsFullWidthCapitalTail(c) && i >= 2 && at(i - 2) == 0xEF && at(i - 1) == 0xBC) {
        return static_cast<unsigned char>(c - 0x20);
    }
    return c;
}

} // namespace

int Utf8CompareNoCase(std::string_view a, std::string_view b) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const unsigned char fa = FoldedUtf8At(a, i);
        const unsigned char fb = FoldedUtf8At(b, i);
        if (fa != fb) {
            return fa < fb ? -1 : 1;
        }
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

} // namespace tolvane
