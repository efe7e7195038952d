// HTML to plain text: a single scan over the bytes with a writer that folds blanks and
// line breaks.
#include "engine/HtmlText.h"

#include "engine/TransferDecode.h"

#include <algorithm>
#include <cstdint>

namespace tolvane {
namespace {

struct NamedEntity {
    const char* name;
    uint32_t codePoint;
};

// The references mail programs and newsletter tools write; others stay as written.
const NamedEntity kEntities[] = {
    {"amp", '&'},      {"lt", '<'},        {"gt", '>'},        {"quot", '"'},
    {"apos", '\''},    {"nbsp", 0xA0},     {"copy", 0xA9},     {"reg", 0xAE},
    {"trade", 0x2122}, {"yen", 0xA5},      {"euro", 0x20AC},   {"cent", 0xA2},
    {"pound", 0xA3},   {"hellip", 0x2026}, {"mdash", 0x2014},  {"ndash", 0x2013},
    {"lsquo", 0x2018}, {"rsquo", 0x2019},  {"ldquo", 0x201C},  {"rdquo", 0x201D},
    {"laquo", 0xAB},   {"raquo", 0xBB},    {"middot", 0xB7},   {"bull", 0x2022},
    {"times", 0xD7},   {"divide", 0xF7},   {"deg", 0xB0},      {"plusmn", 0xB1},
    {"sect", 0xA7},    {"para", 0xB6},     {"larr", 0x2190},   {"rarr", 0x2192},
    {"uarr", 0x2191},  {"darr", 0x2193},   {"hearts", 0x2665}, {"emsp", 0x2003},
    {"ensp", 0x2002},  {"thinsp", 0x2009}, {"zwj", 0x200D},    {"zwnj", 0x200C},
};

constexpr size_t kMaxEntityName = 10;
constexpr uint32_t kReplacement = 0xFFFD;

// Elements whose content is not text for the reader.
const char* const kHiddenElements[] = {"script", "style", "title", "template"};
// Elements that start a new line, and those that leave an empty line around them.
const char* const kLineElements[] = {"div",    "li",      "tr",      "dt",      "dd",
                                     "header", "footer",  "section", "article", "nav",
                                     "aside",  "address", "center",  "form",    "caption"};
const char* const kParagraphElements[] = {"p",  "h1", "h2",         "h3",  "h4",
                                          "h5", "h6", "table",      "ul",  "ol",
                                          "dl", "hr", "blockquote", "pre", "body"};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

template <size_t N> bool IsOneOf(const std::string& name, const char* const (&names)[N]) {
    return std::any_of(std::begin(names), std::end(names),
                       [&](const char* candidate) { return name == candidate; });
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Collects the text, folding blanks into single spaces and line breaks into at most one
// empty line, with nothing at the start or the end.
class TextWriter {
public:
    void Blank() { m_blank = true; }
    void Break(int lines) { m_breaks = std::min(2, std::max(m_breaks, lines)); }
    void AddBreak() { m_breaks = std::min(2, m_breaks + 1); }
    void Char(char c) {
        if (!m_out.empty() && m_breaks > 0) {
            m_out.append(static_cast<size_t>(m_breaks), '\n');
            m_blank = false;
        } else if (m_blank && !m_out.empty() && m_out.back() != '\n') {
            m_out += ' ';
        }
        m_breaks = 0;
        m_blank = false;
        m_out += c;
    }
    void Chars(std::string_view text) {
        for (char c : text) {
            Char(c);
        }
    }
    std::string Take() { return std::move(m_out); }

private:
    std::string m_out;
    int m_breaks = 0;
    bool m_blank = false;
};

class HtmlReader {
public:
    explicit HtmlReader(std::string_view html) : m_in(html) {}

    std::string Run() {
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos];
            if (c == '<' && Markup()) {
                continue;
            }
            if (c == '&') {
                Reference();
                continue;
            }
            ++m_pos;
            Text(c);
        }
        return m_out.Take();
    }

private:
    void Text(char c) {
        if (m_pre > 0 && c == '\n') {
            m_out.AddBreak();
        } else if (m_pre > 0 && (c == ' ' || c == '\t')) {
            m_out.Char(' ');
        } else if (IsSpace(c)) {
            m_out.Blank();
        } else if (c != '\r') {
            m_out.Char(c);
        }
    }

    void CodePoint(uint32_t cp) {
        if (cp == 0xA0 || cp == 0x2002 || cp == 0x2003 || cp == 0x2009) {
            m_pre > 0 ? m_out.Char(' ') : m_out.Blank();
            return;
        }
        std::string utf8;
        AppendUtf8(utf8, cp);
        m_out.Chars(utf8);
    }

    // At "<": a tag, comment or declaration is consumed (true); a "<" that starts none
    // is text (false).
    bool Markup() {
        const std::string_view rest = m_in.substr(m_pos);
        if (rest == "<" || rest == "</") {
            m_pos = m_in.size(); // a tag cut short by the end of the text
            return true;
        }
        if (rest.starts_with("<!--")) {
            SkipPast("-->", 4);
            return true;
        }
        if (rest.size() >= 2 && (rest[1] == '!' || rest[1] == '?')) {
            SkipPast(">", 2);
            return true;
        }
        const bool closing = rest.size() >= 2 && rest[1] == '/';
        const size_t nameStart = closing ? 2 : 1;
        if (rest.size() <= nameStart || !IsAsciiLetter(rest[nameStart])) {
            return false;
        }
        size_t at = nameStart;
        std::string name;
        while (at < rest.size() &&
               (IsAsciiLetter(rest[at]) || (rest[at] >= '0' && rest[at] <= '9'))) {
            name += Lower(rest[at++]);
        }
        m_pos += at;
        const bool selfClosing = SkipAttributes();
        Element(name, closing, selfClosing);
        return true;
    }

    // Moves past the ">" of a tag, over quoted attribute values; true for "/>".
    bool SkipAttributes() {
        char quote = 0;
        while (m_pos < m_in.size()) {
            const char c = m_in[m_pos++];
            if (quote != 0) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                return m_pos >= 2 && m_in[m_pos - 2] == '/';
            }
        }
        return false;
    }

    void SkipPast(std::string_view end, size_t from) {
        const size_t found = m_in.find(end, m_pos + from);
        m_pos = found == std::string_view::npos ? m_in.size() : found + end.size();
    }

    void Element(const std::string& name, bool closing, bool selfClosing) {
        if (!closing && !selfClosing && IsOneOf(name, kHiddenElements)) {
            SkipContent(name);
            return;
        }
        if (name == "br") {
            m_out.AddBreak();
        } else if (name == "td" || name == "th") {
            m_out.Blank();
        } else if (IsOneOf(name, kParagraphElements)) {
            m_out.Break(2);
        } else if (IsOneOf(name, kLineElements)) {
            m_out.Break(1);
        }
        if (name == "pre" && !selfClosing) {
            m_pre = closing ? std::max(0, m_pre - 1) : m_pre + 1;
        }
    }

    // Skips to after the end tag of the element (or to the end of the text).
    void SkipContent(const std::string& name) {
        while (m_pos < m_in.size()) {
            const size_t found = m_in.find("</", m_pos);
            if (found == std::string_view::npos) {
                break;
            }
            m_pos = found + 2;
            std::string candidate;
            while (m_pos < m_in.size() && candidate.size() <= name.size() &&
                   IsAsciiLetter(m_in[m_pos])) {
                candidate += Lower(m_in[m_pos++]);
            }
            if (candidate == name) {
                SkipAttributes();
                return;
            }
        }
        m_pos = m_in.size();
    }

    // At "&": a character reference is resolved, anything else is the "&" itself.
    void Reference() {
        // Only a short name can follow: the search never runs far on text full of "&".
        const std::string_view after = m_in.substr(m_pos + 1, kMaxEntityName + 2);
        if (m_pos + 1 + after.size() == m_in.size() &&
            after.find_first_not_of(
                "#0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") ==
                std::string_view::npos) {
            m_pos = m_in.size(); // a reference cut short by the end of the text
            return;
        }
        const size_t found = after.find(';');
        if (found == std::string_view::npos || found == 0) {
            ++m_pos;
            m_out.Char('&');
            return;
        }
        const size_t semicolon = m_pos + 1 + found;
        const std::string_view name = m_in.substr(m_pos + 1, found);
        uint32_t cp = 0;
        if (!(name[0] == '#' ? NumericValue(name.substr(1), cp) : NamedValue(name, cp))) {
            ++m_pos;
            m_out.Char('&');
            return;
        }
        m_pos = semicolon + 1;
        CodePoint(cp);
    }

    static bool NumericValue(std::string_view digits, uint32_t& cp) {
        int base = 10;
        if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
            base = 16;
            digits.remove_prefix(1);
        }
        if (digits.empty()) {
            return false;
        }
        uint32_t value = 0;
        for (char c : digits) {
            const int digit = base == 16 ? HexValue(static_cast<unsigned char>(c))
                                         : (c >= '0' && c <= '9' ? c - '0' : -1);
            if (digit < 0) {
                return false;
            }
            value = std::min<uint32_t>(
                value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit), 0x110000);
        }
        const bool character = value != 0 && value < 0x110000 && (value < 0xD800 || value > 0xDFFF);
        cp = character ? value : kReplacement;
        return true;
    }

    static bool NamedValue(std::string_view name, uint32_t& cp) {
        for (const NamedEntity& entity : kEntities) {
            if (name == entity.name) {
                cp = entity.codePoint;
                return true;
            }
        }
        return false;
    }

    std::string_view m_in;
    size_t m_pos = 0;
    int m_pre = 0;
    TextWriter m_out;
};

} // namespace

std::string HtmlToText(std::string_view html) {
    return HtmlReader(html).Run();
}

std::string HtmlMetaCharset(std::string_view html) {
    std::string head(html.substr(0, kMetaSearchBytes));
    for (char& c : head) {
        c = Lower(c);
    }
    for (size_t meta = head.find("<meta"); meta != std::string::npos;
         meta = head.find("<meta", meta + 1)) {
        const size_t end = std::min(head.find('>', meta), head.size());
        const size_t found = head.substr(meta, end - meta).find("charset=");
        if (found == std::string::npos) {
            continue;
        }
        size_t at = meta + found + 8;
        while (at < end && (head[at] == '"' || head[at] == '\'' || head[at] == ' ')) {
            ++at;
        }
        const size_t stop = head.find_first_of("\"' ;/>", at);
        return std::string(html.substr(at, std::min(stop, end) - at));
    }
    return {};
}

} // namespace tolvane
