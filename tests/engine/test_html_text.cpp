// HTML to the text a reader sees: tags, scripts, styles and comments gone, character
// references resolved, blank runs folded, line structure from the block elements, and
// HTML cut short anywhere; the charset of a meta tag.
#include "engine/HtmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvane {
namespace {

struct HtmlCase {
    const char* name;
    std::string html;
    std::string text;
};

class HtmlTable : public ::testing::TestWithParam<HtmlCase> {};

TEST_P(HtmlTable, GivesTheText) {
    EXPECT_EQ(HtmlToText(GetParam().html), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    HtmlText, HtmlTable,
    ::testing::Values(
        HtmlCase{"PlainText", "hello", "hello"},
        HtmlCase{"TagsGo", "<b>bold</b> and <i class=\"x\">italic</i>", "bold and italic"},
        HtmlCase{"ScriptStyleTitleGo",
                 "<html><head><title>T</title><style>p{color:red}</style></head><body>"
                 "<script type=\"text/javascript\">if (a < b) { x(\"</p>\"); }</script>"
                 "text</body></html>",
                 "text"},
        HtmlCase{"CommentsAndDeclarationsGo", "<!DOCTYPE html><!-- <p>hidden</p> -->shown<?x?>",
                 "shown"},
        HtmlCase{"NamedReferences", "&lt;a&gt; &amp; &quot;b&quot; &apos;c&apos;",
                 "<a> & \"b\" 'c'"},
        HtmlCase{"NumericReferences", "&#12354;&#x3044;&#X3046;", "あいう"},
        HtmlCase{"NoCharacterBecomesReplacement", "&#0;&#xD800;&#99999999;",
                 "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},
        HtmlCase{"UnknownOrBrokenReferencesStay", "&bogus; &amp &#xZZ; & x; AT&T.",
                 "&bogus; &amp &#xZZ; & x; AT&T."},
        HtmlCase{"NoBreakSpaceFolds", "a&nbsp;&nbsp; b", "a b"},
        HtmlCase{"BlankRunsFold", "  a \t\r\n  b  ", "a b"},
        HtmlCase{"LineBreak", "a<br>b<br/>c<BR />d", "a\nb\nc\nd"},
        HtmlCase{"TwoLineBreaksLeaveAnEmptyLine", "a<br><br><br><br>b", "a\n\nb"},
        HtmlCase{"Paragraphs", "<p>one</p><p>two</p>", "one\n\ntwo"},
        HtmlCase{"Blocks", "<div>one</div><div> two </div>", "one\ntwo"},
        HtmlCase{"ListItems", "<ul><li>a</li><li>b</li></ul>after", "a\nb\n\nafter"},
        HtmlCase{"TableCells", "<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>",
                 "a b\nc"},
        HtmlCase{"PreKeepsBlanks", "<pre>a  b\n  c</pre>d", "a  b\n  c\n\nd"},
        HtmlCase{"QuotedGreaterThanInAttribute", "<a title=\"x>y\" href='a>b'>link</a>", "link"},
        HtmlCase{"LessThanThatStartsNoTag", "1 < 2 and 3 <= 4", "1 < 2 and 3 <= 4"},
        HtmlCase{"CutInsideATag", "text<a href=\"http://exa", "text"},
        HtmlCase{"CutInsideAComment", "text<!-- never", "text"},
        HtmlCase{"CutInsideAScript", "text<script>var x = 1;", "text"},
        HtmlCase{"CutInsideAReference", "text&nb", "text"},
        HtmlCase{"CutInsideANumericReference", "text&#123", "text"},
        HtmlCase{"UppercaseTags", "<P>A</P><SCRIPT>x</SCRIPT><BR>B", "A\n\nB"},
        HtmlCase{"Japanese", "<p>山田&nbsp;様</p><p>ご案内&#12316;です</p>",
                 "山田 様\n\nご案内\xe3\x80\x9c"
                 "です"}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

TEST(HtmlText, CutAtEveryByteNeverShowsMarkup) {
    const std::string html = "<p>a&amp;b</p><script>s()</script><!-- c --><div>d&#12354;</div>";
    const std::string whole = HtmlToText(html);
    ASSERT_EQ(whole, "a&b\n\nd\xe3\x81\x82");
    for (size_t cut = 0; cut <= html.size(); ++cut) {
        const std::string text = HtmlToText(html.substr(0, cut));
        EXPECT_EQ(text.find_first_of("<>"), std::string::npos) << "cut " << cut << ": " << text;
        EXPECT_EQ(text.find("s()"), std::string::npos) << "cut " << cut;
    }
}

struct MetaCase {
    const char* name;
    std::string html;
    std::string charset;
};

class MetaCharsetTable : public ::testing::TestWithParam<MetaCase> {};

TEST_P(MetaCharsetTable, Finds) {
    EXPECT_EQ(HtmlMetaCharset(GetParam().html), GetParam().charset);
}

INSTANTIATE_TEST_SUITE_P(
    HtmlText, MetaCharsetTable,
    ::testing::Values(
        MetaCase{"MetaCharset", "<html><head><META CHARSET=\"Shift_JIS\"></head>", "Shift_JIS"},
        MetaCase{"HttpEquiv",
                 "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-jp\">",
                 "euc-jp"},
        MetaCase{"Unquoted", "<meta charset=utf-8>", "utf-8"},
        MetaCase{"SecondMeta", "<meta name=\"x\" content=\"y\"><meta charset='UTF-8'/>", "UTF-8"},
        MetaCase{"None", "<html><body>charset=utf-8</body></html>", ""},
        MetaCase{"TooFarIn", std::string(kMetaSearchBytes, ' ') + "<meta charset=utf-8>", ""}),
    [](const auto& testParam) { return std::string(testParam.param.name); });

} // namespace
} // namespace tolvane
