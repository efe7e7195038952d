// Header values of today's mail: the value is cut into pieces (text, encoded words of
// the ISO-2022-JP decoder, encoded words in other charsets); runs of the first two go
// through DecodeHeaderText, words in other charsets through their charset.
#include "engine/MailHeaderDecoder.h"

#include "engine/Charset.h"
#include "engine/HeaderDecoder.h"
#include "engine/TransferDecode.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <new>
#include <vector>

namespace tolvane {
namespace {

enum class Piece {
    Text,      // bytes for DecodeHeaderText
    OldWord,   // an encoded word DecodeHeaderText decodes
    OtherWord, // an encoded word in another charset
};

struct Token {
    Piece piece;
    std::string_view raw;
    std::string charset; // OtherWord: without a language suffix
    std::string bytes;   // OtherWord: the decoded bytes
    std::string cp932;   // OtherWord: the converted text (empty for the later words of a group)
};

bool IsFoldingSpace(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

Token TextToken(std::string_view raw) {
    return Token{Piece::Text, raw, {}, {}, {}};
}

// Q text as an encoded word may hold it: printable ASCII without "?" and blanks, every
// "=" followed by two hexadecimal digits.
bool IsQWord(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c <= 0x20 || c >= 0x7F || c == '?') {
            return false;
        }
        if (c == '=' &&
            (i + 2 >= text.size() || HexValue(static_cast<unsigned char>(text[i + 1])) < 0 ||
             HexValue(static_cast<unsigned char>(text[i + 2])) < 0)) {
            return false;
        }
    }
    return true;
}

// The bytes of a word in another charset; false when its encoding or text is not valid.
bool DecodeOtherWord(const EncodedWord& word, Token& token) {
    const std::string_view charset = word.charset.substr(0, word.charset.find('*'));
    if (charset.empty()) {
        return false;
    }
    if (Cp932EqualNoCase(word.encoding, "B") && IsBase64Word(word.text)) {
        token.bytes = DecodeBase64Text(word.text);
    } else if (Cp932EqualNoCase(word.encoding, "Q") && IsQWord(word.text)) {
        token.bytes = DecodeQuotedPrintable(word.text, Underscore::Space);
    } else {
        return false;
    }
    token.charset.assign(charset);
    return true;
}

std::vector<Token> Tokenize(std::string_view text) {
    std::vector<Token> tokens;
    size_t textStart = 0;
    size_t noWordBefore = 0;
    size_t pos = text.find("=?");
    while (pos != std::string_view::npos) {
        EncodedWord word;
        size_t stop = pos;
        const size_t length =
            pos >= noWordBefore ? ParseEncodedWord(text, pos, word, stop) : size_t{0};
        if (length == 0) {
            noWordBefore = std::max(noWordBefore, stop);
            pos = text.find("=?", pos + 1);
            continue;
        }
        Token token = TextToken(text.substr(pos, length));
        if (Cp932EqualNoCase(word.charset, "ISO-2022-JP")) {
            // Kept for DecodeHeaderText, which decodes it or copies it as written.
            token.piece = word.fits ? Piece::OldWord : Piece::Text;
        } else if (DecodeOtherWord(word, token)) {
            token.piece = Piece::OtherWord;
        }
        if (token.piece != Piece::Text) {
            if (pos > textStart) {
                tokens.push_back(TextToken(text.substr(textStart, pos - textStart)));
            }
            tokens.push_back(std::move(token));
            textStart = pos + length;
        }
        pos = text.find("=?", pos + length);
    }
    if (textStart < text.size()) {
        tokens.push_back(TextToken(text.substr(textStart)));
    }
    return tokens;
}

// The next word after token i with only folding space between, or tokens.size().
size_t NextAdjacentWord(const std::vector<Token>& tokens, size_t i) {
    size_t next = i + 1;
    if (next < tokens.size() && tokens[next].piece == Piece::Text &&
        IsFoldingSpace(tokens[next].raw)) {
        ++next;
    }
    return next < tokens.size() && tokens[next].piece != Piece::Text ? next : tokens.size();
}

// Converts the words in other charsets. Adjacent words of one charset are converted as
// one text (the first word carries it); when that text is not valid, each word on its
// own, and a word that is still not valid becomes text as written.
void ConvertOtherWords(std::vector<Token>& tokens) {
    size_t i = 0;
    while (i < tokens.size()) {
        if (tokens[i].piece != Piece::OtherWord) {
            ++i;
            continue;
        }
        std::vector<size_t> group = {i};
        std::string joined = tokens[i].bytes;
        for (size_t next = NextAdjacentWord(tokens, i);
             next < tokens.size() && tokens[next].piece == Piece::OtherWord &&
             Cp932EqualNoCase(tokens[next].charset, tokens[i].charset);
             next = NextAdjacentWord(tokens, next)) {
            group.push_back(next);
            joined += tokens[next].bytes;
        }
        if (!CharsetToCp932(joined, tokens[i].charset, InvalidBytes::Refuse, tokens[i].cp932)) {
            for (size_t member : group) {
                Token& token = tokens[member];
                if (!CharsetToCp932(token.bytes, token.charset, InvalidBytes::Refuse,
                                    token.cp932)) {
                    token.piece = Piece::Text;
                }
            }
        }
        i = group.back() + 1;
    }
}

// Folding space between two encoded words of which one is in another charset goes.
void DropSpaceBetweenWords(std::vector<Token>& tokens) {
    for (size_t i = 1; i + 1 < tokens.size(); ++i) {
        const Piece before = tokens[i - 1].piece;
        const Piece after = tokens[i + 1].piece;
        if (tokens[i].piece == Piece::Text && IsFoldingSpace(tokens[i].raw) &&
            before != Piece::Text && after != Piece::Text &&
            (before == Piece::OtherWord || after == Piece::OtherWord)) {
            tokens[i].raw = {};
        }
    }
}

void AppendWordText(std::string& out, const std::string& cp932) {
    for (char c : cp932) {
        if (c == '\r' || c == '\n') {
            out += ' ';
        } else if (c != '\0') {
            out += c;
        }
    }
}

std::string Assemble(const std::vector<Token>& tokens) {
    std::string out;
    std::string run; // text and ISO-2022-JP words for DecodeHeaderText
    auto flush = [&]() {
        if (!run.empty()) {
            std::optional<std::string> decoded = DecodeHeaderText(run);
            if (!decoded) {
                throw std::bad_alloc();
            }
            out += *decoded;
            run.clear();
        }
    };
    for (const Token& token : tokens) {
        if (token.piece == Piece::OtherWord) {
            flush();
            AppendWordText(out, token.cp932);
        } else {
            run += token.raw;
        }
    }
    flush();
    return out;
}

} // namespace

std::optional<std::string> DecodeMailHeader(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    try {
        const std::string text = RawTextToCp932(raw);
        if (text.find("=?") == std::string::npos) {
            return DecodeHeaderText(text);
        }
        std::vector<Token> tokens = Tokenize(text);
        ConvertOtherWords(tokens);
        DropSpaceBetweenWords(tokens);
        return Assemble(tokens);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

} // namespace tolvane
