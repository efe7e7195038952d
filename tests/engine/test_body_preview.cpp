// Body previews of today's mail: base64, quoted-printable and 8-bit bodies in UTF-8,
// Shift_JIS, EUC-JP and ISO-2022-JP, cut at every byte; multiparts with the text part
// first, second, nested and cut short; HTML-only mail; and 7-bit ISO-2022-JP mail
// exactly as the ISO-2022-JP decoder gives it.
#include "engine/BodyPreview.h"
#include "engine/HeaderDecoder.h"
#include "platform/CodePage.h"
#include "tests/support/JapaneseMail.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>
#include <vector>

namespace tolvane {
namespace {

const std::string kText = "山田さん\r\n\r\n会議は１０時からです。\r\nよろしく。\r\n";
const std::string kTextCp932 = Utf8ToCp932("山田さん\r\n\r\n会議は１０時からです。\r\nよろしく。");

std::string Header(const std::string& contentType, const std::string& encoding = "") {
    std::string header = "Subject: x\r\nMIME-Version: 1.0\r\nContent-Type: " + contentType + "\r\n";
    if (!encoding.empty()) {
        header += "Content-Transfer-Encoding: " + encoding + "\r\n";
    }
    return header;
}

// UTF-8 text in another charset, through the system's iconv.
std::string Encode(const std::string& utf8, const char* charset) {
    if (std::string(charset) == "ISO-2022-JP") {
        std::string jis;
        EXPECT_TRUE(test::Utf8ToJis(utf8, jis));
        return jis;
    }
    iconv_t cd = iconv_open(charset, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << charset;
    std::string out(utf8.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPos = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &outPos, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

// Base64 in lines of 76 characters, as mail programs write it.
std::string Base64Lines(const std::string& bytes) {
    const std::string flat = test::Base64(bytes);
    std::string lines;
    for (size_t at = 0; at < flat.size(); at += 76) {
        lines += flat.substr(at, 76) + "\r\n";
    }
    return lines;
}

// Quoted-printable: every 8-bit byte and "=" escaped, soft line breaks every 60 bytes.
std::string QuotedPrintable(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    size_t lineLength = 0;
    for (unsigned char c : bytes) {
        if (c == '\r' || c == '\n') {
            out += static_cast<char>(c);
            lineLength = 0;
            continue;
        }
        if (lineLength >= 60) {
            out += "=\r\n";
            lineLength = 0;
        }
        if (c >= 0x80 || c == '=' || c < 0x20) {
            out += '=';
            out += kHex[c >> 4];
            out += kHex[c & 15];
            lineLength += 3;
        } else {
            out += static_cast<char>(c);
            ++lineLength;
        }
    }
    return out;
}

// The body as the check keeps it: without the last line end.
std::string Fetched(std::string body) {
    if (body.ends_with("\r\n")) {
        body.resize(body.size() - 2);
    }
    return body;
}

struct Encoded {
    const char* name;
    const char* charset;
    const char* encoding; // "base64", "quoted-printable" or "8bit"
};

std::string EncodedBody(const Encoded& e) {
    const std::string bytes = Encode(kText, e.charset);
    const std::string encoding = e.encoding;
    if (encoding == "base64") {
        return Base64Lines(bytes);
    }
    return encoding == "quoted-printable" ? QuotedPrintable(bytes) : bytes;
}

class EncodedBodies : public ::testing::TestWithParam<Encoded> {};

TEST_P(EncodedBodies, DecodeToTheText) {
    const Encoded& e = GetParam();
    const std::string header =
        Header(std::string("text/plain; charset=\"") + e.charset + "\"", e.encoding);
    EXPECT_EQ(DecodeBodyPreview(header, Fetched(EncodedBody(e))), kTextCp932);
}

// Cut at every byte, as TOP may end anywhere in an encoded line: the preview is what is
// complete so far, never a character made of half a sequence.
TEST_P(EncodedBodies, CutAtEveryByteGivesWhatIsComplete) {
    const Encoded& e = GetParam();
    const std::string header = Header(std::string("text/plain; charset=") + e.charset, e.encoding);
    const std::string body = EncodedBody(e);
    for (size_t cut = 0; cut <= body.size(); ++cut) {
        const std::string preview = DecodeBodyPreview(header, body.substr(0, cut));
        ASSERT_EQ(kTextCp932.compare(0, preview.size(), preview), 0)
            << "cut " << cut << ": " << Cp932ToUtf8(preview);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BodyPreview, EncodedBodies,
    ::testing::Values(Encoded{"Utf8Base64", "UTF-8", "base64"},
                      Encoded{"Utf8QuotedPrintable", "UTF-8", "quoted-printable"},
                      Encoded{"Utf8EightBit", "UTF-8", "8bit"},
                      Encoded{"ShiftJisBase64", "SHIFT_JIS", "base64"},
                      Encoded{"ShiftJisQuotedPrintable", "SHIFT_JIS", "quoted-printable"},
                      Encoded{"ShiftJisEightBit", "SHIFT_JIS", "8bit"},
                      Encoded{"EucJpBase64", "EUC-JP", "base64"},
                      Encoded{"EucJpQuotedPrintable", "EUC-JP", "quoted-printable"},
                      Encoded{"EucJpEightBit", "EUC-JP", "8bit"},
                      Encoded{"Iso2022JpBase64", "ISO-2022-JP", "base64"},
                      Encoded{"Iso2022JpQuotedPrintable", "ISO-2022-JP", "quoted-printable"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

struct Preview {
    const char* name;
    std::string header;
    std::string body;
    std::string utf8;
};

class PreviewTable : public ::testing::TestWithParam<Preview> {};

TEST_P(PreviewTable, Shows) {
    EXPECT_EQ(Cp932ToUtf8(DecodeBodyPreview(GetParam().header, GetParam().body)), GetParam().utf8);
}

const std::string kPlainUtf8 = "Content-Type: text/plain; charset=UTF-8\r\n"
                               "Content-Transfer-Encoding: base64\r\n\r\n" +
                               test::Base64("本文です\n二行目") + "\r\n";
const std::string kHtmlUtf8 = "Content-Type: text/html; charset=UTF-8\r\n"
                              "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                              "<p>=E3=81=93=E3=82=93=E3=81=AB=E3=81=A1=E3=81=AF</p>"
                              "<style>p{}</style>\r\n";

// A multipart body with the boundary b1: preamble, the parts, the closing line, an
// epilogue.
std::string Multipart(const std::vector<std::string>& parts) {
    std::string body = "This is a multi-part message in MIME format.\r\n";
    for (const std::string& part : parts) {
        body += "\r\n--b1\r\n" + part;
    }
    return body + "\r\n--b1--\r\nepilogue";
}

const std::string kMixed = Header("multipart/mixed; boundary=b1");
const std::string kAlternative = Header("multipart/alternative;\r\n\tboundary=\"b1\"");

INSTANTIATE_TEST_SUITE_P(
    Multipart, PreviewTable,
    ::testing::Values(
        Preview{"AlternativeTextFirst", kAlternative, Multipart({kPlainUtf8, kHtmlUtf8}),
                "本文です\r\n二行目"},
        Preview{"AlternativeTextSecond", kAlternative, Multipart({kHtmlUtf8, kPlainUtf8}),
                "本文です\r\n二行目"},
        Preview{"MixedTextFirst", kMixed,
                Multipart({kPlainUtf8, "Content-Type: application/pdf\r\n"
                                       "Content-Transfer-Encoding: base64\r\n\r\n"
                                       "JVBERi0xLjQK\r\n"}),
                "本文です\r\n二行目"},
        Preview{"MixedTextAfterATextAttachment", kMixed,
                Multipart({"Content-Type: text/plain; name=\"a.txt\"\r\n"
                           "Content-Disposition: attachment; filename=\"a.txt\"\r\n\r\n"
                           "attached\r\n",
                           kPlainUtf8}),
                "本文です\r\n二行目"},
        Preview{"NestedAlternativeInMixed", kMixed,
                Multipart({"Content-Type: multipart/alternative; boundary=\"b2\"\r\n\r\n"
                           "--b2\r\n" +
                               kHtmlUtf8 + "--b2\r\n" + kPlainUtf8 + "--b2--\r\n",
                           "Content-Type: image/png\r\n\r\niVBORw0KGgo=\r\n"}),
                "本文です\r\n二行目"},
        Preview{"HtmlOnlyPart", kMixed,
                Multipart({kHtmlUtf8, "Content-Type: image/png\r\n\r\nxx\r\n"}), "こんにちは"},
        Preview{"PartWithoutContentTypeIsPlain", kMixed, Multipart({"\r\nplain text\r\n"}),
                "plain text"},
        Preview{"Iso2022JpPartSevenBit", kMixed,
                Multipart({"Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n"
                           "\x1b$B$H\x1b(B\r\n"}),
                "と"},
        Preview{"BoundaryLineWithTrailingBlanks", kMixed,
                "--b1  \r\nContent-Type: text/plain\r\n\r\nok\r\n--b1--  \r\n", "ok"},
        Preview{"LinesEndInThePreamble", kMixed, "This is a multi-part message in MIME format.\r\n",
                ""},
        Preview{"LinesEndInThePartHeader", kMixed,
                "preamble\r\n\r\n--b1\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                "Content-Transfer-Encoding: base64",
                ""},
        Preview{"LinesEndInThePart", kMixed,
                "\r\n--b1\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                "Content-Transfer-Encoding: base64\r\n\r\n" +
                    test::Base64("本文です\n二行目").substr(0, 10),
                "本文"},
        Preview{"NoTextPart", kMixed, Multipart({"Content-Type: image/png\r\n\r\nxx"}), ""},
        Preview{"WithoutBoundaryParameter", Header("multipart/mixed"), "just text", "just text"},
        // Each part a multipart of its own, twenty deep: not searched beyond eight.
        Preview{"NestedTooDeep", Header("multipart/mixed; boundary=b0"),
                [] {
                    std::string body;
                    for (int i = 0; i < 20; ++i) {
                        body += "--b" + std::to_string(i) +
                                "\r\nContent-Type: multipart/mixed; boundary=b" +
                                std::to_string(i + 1) + "\r\n\r\n";
                    }
                    return body + "--b20\r\n\r\ndeep\r\n";
                }(),
                ""},
        Preview{"NestedDeepEnough", Header("multipart/mixed; boundary=b0"),
                [] {
                    std::string body;
                    for (int i = 0; i < 7; ++i) {
                        body += "--b" + std::to_string(i) +
                                "\r\nContent-Type: multipart/mixed; boundary=b" +
                                std::to_string(i + 1) + "\r\n\r\n";
                    }
                    return body + "--b7\r\n\r\ndeep\r\n";
                }(),
                "deep"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

INSTANTIATE_TEST_SUITE_P(
    SinglePart, PreviewTable,
    ::testing::Values(
        Preview{"HtmlOnly", Header("text/html; charset=UTF-8"),
                "<html><head><style>body{}</style><script>alert(1)</script></head>"
                "<body><h1>お知らせ</h1><p>価格&nbsp;&yen;1,000&nbsp;&amp;&nbsp;送料無料</p>"
                "</body></html>",
                "お知らせ\r\n\r\n価格 \\1,000 & 送料無料"},
        Preview{"HtmlCharsetFromMeta", Header("text/html"),
                "<meta charset=\"Shift_JIS\"><p>" + Utf8ToCp932("見積") + "</p>", "見積"},
        Preview{"EightBitWithoutCharsetUtf8", Header("text/plain", "8bit"), "本文\r\n二行目",
                "本文\r\n二行目"},
        Preview{"UnknownCharsetHoldingUtf8", Header("text/plain; charset=x-unknown"), "本文",
                "本文"},
        Preview{"TransferEncodingAnyCase", Header("text/plain; charset=utf-8", "Base64"),
                test::Base64("本文"), "本文"},
        Preview{"LfLineEndsBecomeCrLf", Header("text/plain; charset=utf-8", "base64"),
                test::Base64("a\nb\rc\r\n\n\n"), "a\r\nb\r\nc"},
        Preview{"ZeroBytesGo", Header("text/plain; charset=utf-8", "base64"),
                test::Base64(std::string("a\0b", 3)), "ab"},
        Preview{"NotTextHasNoPreview", Header("application/pdf", "base64"), "JVBERi0xLjQK", ""},
        Preview{"ValueNamingNoType", Header("charset=UTF-8", "base64"), test::Base64("本文"),
                "本文"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

// 7-bit text/plain mail in ISO-2022-JP, US-ASCII or without a charset comes out exactly
// as the ISO-2022-JP decoder gives it: line ends, encoded words and broken escapes alike.
TEST(BodyPreview, SevenBitIso2022JpMailAsTheIsoDecoderGivesIt) {
    const std::string bodies[] = {
        "\x1b$B$H\x1b(B\r\nsecond\r\n\r\n",
        "=?ISO-2022-JP?B?GyRCJEgbKEI=?= in the body\r\n",
        "\x1b$B$H\r\nno return to ASCII",
        "plain\r\n",
        "",
    };
    const std::string headers[] = {
        Header("text/plain; charset=ISO-2022-JP"),
        Header("Text/Plain; Charset=\"iso-2022-jp\"", "7bit"),
        Header("text/plain; charset=us-ascii"),
        "Subject: no content type\r\n",
    };
    for (const std::string& header : headers) {
        for (const std::string& body : bodies) {
            EXPECT_EQ(DecodeBodyPreview(header, body), DecodeHeaderText(body).value())
                << header << testing::PrintToString(body);
        }
    }
}

} // namespace
} // namespace tolvane
