// Base64 ("B") and quoted ("Q") text of MIME encoded words. Malformed text never fails:
// bad bytes take the value -1 (all bits set) and results are truncated to 8 bits, so
// every input gives some bytes.
#include "engine/HeaderDecoder.h"
#include "engine/TransferDecode.h"

namespace tolvane {
namespace {

// Stores bytes while room is left for the terminating zero.
struct BoundedOutput {
    char* data;
    size_t room;
    size_t count = 0;

    bool Full() const { return count + 1 >= room; }
    void Put(unsigned value) {
        if (!Full()) {
            data[count++] = static_cast<char>(value & 0xFF);
        }
    }
    size_t Finish() {
        data[count] = '\0';
        return count;
    }
};

std::string_view UpToZero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

bool IsBase64Space(unsigned char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The value of a base64 or hexadecimal character; any other byte is -1 (all bits set).
unsigned Base64Bits(unsigned char c) {
    return static_cast<unsigned>(Base64Value(c));
}
unsigned HexBits(unsigned char c) {
    return static_cast<unsigned>(HexValue(c));
}

// Reads the next four non-space bytes from pos; false when the text ends first.
bool NextQuad(std::string_view text, size_t& pos, unsigned char (&quad)[4]) {
    for (unsigned char& byte : quad) {
        while (pos < text.size() && IsBase64Space(static_cast<unsigned char>(text[pos]))) {
            ++pos;
        }
        if (pos >= text.size()) {
            return false;
        }
        byte = static_cast<unsigned char>(text[pos++]);
    }
    return true;
}

} // namespace

size_t DecodeBase64(std::string_view text, char* output, size_t room) {
    text = UpToZero(text);
    BoundedOutput out{output, room};
    size_t pos = 0;
    unsigned char q[4];
    while (!out.Full() && NextQuad(text, pos, q)) {
        if (q[0] == '=' || q[1] == '=') {
            break;
        }
        const unsigned a = Base64Bits(q[0]);
        const unsigned b = Base64Bits(q[1]);
        out.Put((a << 2) | ((b >> 4) & 3));
        if (q[2] == '=') {
            break;
        }
        const unsigned c = Base64Bits(q[2]);
        out.Put((b << 4) | ((c >> 2) & 15));
        if (q[3] == '=') {
            break;
        }
        out.Put((c << 6) | Base64Bits(q[3]));
    }
    return out.Finish();
}

size_t DecodeQuoted(std::string_view text, char* output, size_t room) {
    text = UpToZero(text);
    BoundedOutput out{output, room};
    size_t pos = 0;
    while (pos < text.size() && !out.Full()) {
        // A "=" without two bytes after it is kept as it stands.
        if (text[pos] == '=' && text.size() - pos >= 3) {
            const unsigned high = HexBits(static_cast<unsigned char>(text[pos + 1]));
            const unsigned low = HexBits(static_cast<unsigned char>(text[pos + 2]));
            out.Put((high << 4) | low);
            pos += 3;
        } else {
            out.Put(static_cast<unsigned char>(text[pos++]));
        }
    }
    return out.Finish();
}

std::string DecodeBase64(std::string_view text) {
    std::string result(text.size() + 1, '\0');
    result.resize(DecodeBase64(text, result.data(), result.size()));
    return result;
}

std::string DecodeQuoted(std::string_view text) {
    std::string result(text.size() + 1, '\0');
    result.resize(DecodeQuoted(text, result.data(), result.size()));
    return result;
}

} // namespace tolvane
