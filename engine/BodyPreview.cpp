// Body preview of today's mail: find the text part, undo its transfer encoding, convert
// its charset, and strip HTML.
#include "engine/BodyPreview.h"

#include "engine/Charset.h"
#include "engine/HeaderDecoder.h"
#include "engine/HtmlText.h"
#include "engine/MimeHeader.h"
#include "engine/TransferDecode.h"

#include <vector>

namespace tolvane {
namespace {

// Multiparts nested deeper than this are not searched: no mail program nests so deep,
// and a hostile mail must not recurse without end.
constexpr int kMaxNesting = 8;

struct Part {
    std::string_view header;
    std::string_view body;
};

enum class TextKind { Plain, Html, None };

enum class Scope {
    WholeMail, // the part is the whole mail
    Part,      // the part is one of a multipart's
};

// The content type in small letters; a value that names no type is text/plain.
std::string ContentType(const Part& part) {
    const std::string type = ValueToken(HeaderField(part.header, "Content-Type"));
    return type.find('/') == std::string::npos ? "text/plain" : type;
}

TextKind KindOf(const std::string& type) {
    if (type == "text/html") {
        return TextKind::Html;
    }
    return type.starts_with("text/") ? TextKind::Plain : TextKind::None;
}

// Position of the first empty line's end (the start of the body) in text, or npos.
size_t BodyStart(std::string_view text) {
    if (text.starts_with("\r\n")) {
        return 2;
    }
    if (text.starts_with("\n")) {
        return 1;
    }
    for (size_t nl = text.find('\n'); nl != std::string_view::npos; nl = text.find('\n', nl + 1)) {
        if (nl + 1 < text.size() && text[nl + 1] == '\n') {
            return nl + 2;
        }
        if (nl + 2 < text.size() && text[nl + 1] == '\r' && text[nl + 2] == '\n') {
            return nl + 3;
        }
    }
    return std::string_view::npos;
}

// The text of one part between its boundary lines: its header and body. A part whose
// header does not end within the text has no body.
Part SplitPart(std::string_view text) {
    const size_t start = BodyStart(text);
    if (start == std::string_view::npos) {
        return Part{text, {}};
    }
    return Part{text.substr(0, start), text.substr(start)};
}

// True when line (with or without its line end) is a boundary line of delimiter ("--" and the
// boundary); last is set for the closing one.
bool IsBoundaryLine(std::string_view line, std::string_view delimiter, bool& last) {
    if (!line.starts_with(delimiter)) {
        return false;
    }
    std::string_view rest = line.substr(delimiter.size());
    last = rest.starts_with("--");
    if (last) {
        rest.remove_prefix(2);
    }
    return rest.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// The parts of a multipart body within the fetched text; the last may be cut short.
std::vector<Part> SplitMultipart(std::string_view body, std::string_view boundary) {
    const std::string delimiter = "--" + std::string(boundary);
    std::vector<Part> parts;
    size_t partStart = std::string_view::npos;
    size_t pos = 0;
    while (pos < body.size()) {
        const size_t lineStart = pos;
        const size_t newline = body.find('\n', pos);
        pos = newline == std::string_view::npos ? body.size() : newline + 1;
        bool last = false;
        if (!IsBoundaryLine(body.substr(lineStart, pos - lineStart), delimiter, last)) {
            continue;
        }
        if (partStart != std::string_view::npos) {
            // The line end before a boundary line belongs to the boundary.
            size_t end = lineStart;
            if (end > partStart && body[end - 1] == '\n') {
                --end;
                if (end > partStart && body[end - 1] == '\r') {
                    --end;
                }
            }
            parts.push_back(SplitPart(body.substr(partStart, end - partStart)));
        }
        if (last) {
            return parts;
        }
        partStart = pos;
    }
    if (partStart != std::string_view::npos && partStart < body.size()) {
        parts.push_back(SplitPart(body.substr(partStart)));
    }
    return parts;
}

bool IsAttachment(const Part& part) {
    return ValueToken(HeaderField(part.header, "Content-Disposition")) == "attachment";
}

// The first part of the wanted kind, depth first in order.
bool FindPart(const Part& part, TextKind wanted, int depth, Part& found) {
    const std::string type = ContentType(part);
    if (type.starts_with("multipart/")) {
        const std::string boundary =
            ValueParameter(HeaderField(part.header, "Content-Type"), "boundary");
        if (boundary.empty() || depth >= kMaxNesting) {
            return false;
        }
        for (const Part& child : SplitMultipart(part.body, boundary)) {
            if (FindPart(child, wanted, depth + 1, found)) {
                return true;
            }
        }
        return false;
    }
    if (KindOf(type) == wanted && !IsAttachment(part)) {
        found = part;
        return true;
    }
    return false;
}

// Text without a charset that can be converted: ISO-2022-JP when it has escapes and
// 7 bits, otherwise raw 8-bit text.
std::string UnlabelledToCp932(std::string_view bytes) {
    if (bytes.find('\x1B') != std::string_view::npos && !HasEightBit(bytes)) {
        std::string cp932;
        CharsetToCp932(bytes, "ISO-2022-JP", InvalidBytes::Replace, cp932);
        return cp932;
    }
    return RawTextToCp932(bytes);
}

std::string ToCp932(std::string_view bytes, std::string_view charset) {
    std::string cp932;
    if (!charset.empty() && CharsetToCp932(bytes, charset, InvalidBytes::Replace, cp932)) {
        return cp932;
    }
    return UnlabelledToCp932(bytes);
}

// CR LF line ends, no zero bytes, no line ends at the end.
std::string Tidy(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out += "\r\n";
        } else if (c != '\0') {
            out += c;
        }
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) {
        out.pop_back();
    }
    return out;
}

// Text of the kind the ISO-2022-JP decoder was written for: 7 bits, no transfer
// encoding, ISO-2022-JP, US-ASCII or no charset.
bool IsSeedText(std::string_view body, std::string_view charset, std::string_view encoding) {
    return !HasEightBit(body) && encoding != "base64" && encoding != "quoted-printable" &&
           (charset.empty() || Cp932EqualNoCase(charset, "ISO-2022-JP") ||
            Cp932EqualNoCase(charset, "US-ASCII"));
}

std::string DecodeText(const Part& part, TextKind kind, Scope scope) {
    const std::string contentType = HeaderField(part.header, "Content-Type");
    std::string charset = ValueParameter(contentType, "charset");
    const std::string encoding = ValueToken(HeaderField(part.header, "Content-Transfer-Encoding"));
    if (kind == TextKind::Plain && IsSeedText(part.body, charset, encoding)) {
        std::optional<std::string> text = DecodeHeaderText(part.body);
        if (!text) {
            text.emplace(part.body); // no memory for decoding: the text as it stands
        }
        return scope == Scope::WholeMail ? std::move(*text) : Tidy(*text);
    }
    std::string bytes;
    if (encoding == "base64") {
        bytes = DecodeBase64Text(part.body);
    } else if (encoding == "quoted-printable") {
        bytes = DecodeQuotedPrintable(part.body, Underscore::Literal);
    } else {
        bytes.assign(part.body);
    }
    if (kind == TextKind::Html) {
        if (charset.empty()) {
            charset = HtmlMetaCharset(bytes);
        }
        return Tidy(Utf8ToCp932(HtmlToText(Cp932ToUtf8(ToCp932(bytes, charset)))));
    }
    return Tidy(ToCp932(bytes, charset));
}

} // namespace

std::string DecodeBodyPreview(std::string_view header, std::string_view body) {
    const Part mail{header, body};
    const std::string type = ContentType(mail);
    if (!type.starts_with("multipart/")) {
        const TextKind kind = KindOf(type);
        return kind == TextKind::None ? std::string() : DecodeText(mail, kind, Scope::WholeMail);
    }
    if (ValueParameter(HeaderField(header, "Content-Type"), "boundary").empty()) {
        return Tidy(UnlabelledToCp932(body)); // a multipart that cannot be taken apart
    }
    Part found;
    if (FindPart(mail, TextKind::Plain, 0, found)) {
        return DecodeText(found, TextKind::Plain, Scope::Part);
    }
    if (FindPart(mail, TextKind::Html, 0, found)) {
        return DecodeText(found, TextKind::Html, Scope::Part);
    }
    return {};
}

} // namespace tolvane
