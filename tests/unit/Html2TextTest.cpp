// HtmlToText and the tokenizer under it: each tokenizer state on its own,
// then the text it makes, its entities and its whitespace, then real bodies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "TestSupport.h"
#include "content/dcparser.h"
#include "content/html2text.h"

namespace pellumo {
namespace test {
namespace {

// One token with the state it leaves behind.
struct Tok {
    int kind;
    std::string text;
    int state;
    bool operator==(const Tok& o) const { return kind == o.kind && text == o.text && state == o.state; }
};
std::ostream& operator<<(std::ostream& out, const Tok& t) {
    return out << "{" << t.kind << ", \"" << t.text << "\", " << t.state << "}";
}
using Toks = std::vector<Tok>;
struct TokCase {
    std::string html;
    Toks tokens;
};
struct TextCase {
    std::string html;
    std::string text;
};

// Tokenizes each input from STATE up to the end of input.
void ExpectTokens(int state, const std::vector<TokCase>& cases) {
    for (const TokCase& c : cases) {
        TModParser parser;
        parser.SetText(c.html);
        parser.SetState(state);
        Toks tokens;
        for (int guard = 0; parser.NextToken() != tkEof && guard < 1000; ++guard)
            tokens.push_back({parser.TokenKind(), parser.TokenString(), parser.State()});
        EXPECT_EQ(tokens, c.tokens) << "input: " << c.html;
    }
}

void ExpectText(const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) EXPECT_EQ(HtmlToText(c.html), c.text) << "input: " << c.html;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

const int T = psText, G = psTag, C = psComment, S = psScript, M = psScriptComment;

TEST(TModParser_Lines, SplitAtEveryLineEndAndStopAtNul) {
    using Lines = std::vector<std::string>;
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"a\r\nb\rc\nd", {"a", "b", "c", "d"}}, {"a\n", {"a"}}, {"a\r", {"a"}},       {"\n\r", {"", ""}},
        {"a\r\r\nb", {"a", "", "b"}},           {"", {}},       {std::string("a\0b\nc", 5), {"a"}},
    };
    for (const auto& c : cases) {
        TModParser parser;
        parser.SetText(c.first);
        EXPECT_EQ(parser.Lines(), c.second) << "input of " << c.first.size() << " bytes";
    }
}

TEST(TModParser_Lines, StateCarriesOverAndLineEndsMakeNoToken) {
    ExpectTokens(T, {
        {"a\nb", {{tkText, "a", T}, {tkText, "b", T}}},
        {"<a\nhref\n>x", {{tkTag, "<a", G}, {tkTagAttr, "href", G}, {tkTag, ">", T}, {tkText, "x", T}}},
        {"\n\r\n\n", {}},
    });
}

TEST(TModParser_TextState, WordsNumbersCharactersAndQuotedText) {
    ExpectTokens(T, {
        {"Hi _a1 12.5e-3x", {{tkText, "Hi", T}, {tkText, "_a1", T}, {tkText, "12.5e-3", T}, {tkText, "x", T}}},
        {"1.x 7e 4E+2.5", {{tkText, "1", T}, {tkChar, ".", T}, {tkText, "x", T}, {tkText, "7", T}, {tkText, "e", T},
                           {tkText, "4E+2", T}, {tkChar, ".", T}, {tkText, "5", T}}},
        {"&;\xE9!\t\x01\x1F ", {{tkChar, "&", T}, {tkChar, ";", T}, {tkChar, "\xE9", T}, {tkChar, "!", T}}},
        {"\"a <b>\tc\"d", {{tkText, "\"a <b>\tc\"", T}, {tkText, "d", T}}},
        {"\"say \"\"hi\"\"\" x", {{tkText, "\"say \"\"hi\"\"\"", T}, {tkText, "x", T}}},
        {"\"open <i>\n<b", {{tkText, "\"open <i>", T}, {tkTag, "<b", G}}},
        // A control character ends it early; the next quote opens another.
        {"\"a\x01" "b\"", {{tkText, "\"a", T}, {tkText, "b", T}, {tkText, "\"", T}}},
    });
}

TEST(TModParser_TextState, TagAndCommentOpeners) {
    ExpectTokens(T, {
        {"<br/>", {{tkTag, "<br", G}, {tkTag, ">", T}}},
        {"</p>", {{tkTag, "<", G}, {tkTagAttr, "p", G}, {tkTag, ">", T}}},
        {"<h1 a<", {{tkTag, "<h1", G}, {tkTagAttr, "a", G}}},
        {"< x", {{tkTag, "<", G}, {tkTagAttr, "x", G}}},
        {"<!-x", {{tkTag, "<", G}, {tkTagAttr, "x", G}}},
        {"<sCrIpT>", {{tkTag, "<sCrIpT", S}, {tkChar, ">", S}}},
        {"<scripts>", {{tkTag, "<scripts", G}, {tkTag, ">", T}}},
        {"<!--", {{tkComment, "<!-", C}, {tkComment, "-", C}}},
        {"<!-->x", {{tkComment, "<!-->", T}, {tkText, "x", T}}},
    });
}

TEST(TModParser_TagState, NamesValuesNumbersAndTheClosingMark) {
    ExpectTokens(G, {
        {"href=\"a>b\">x", {{tkTagAttr, "href", G}, {tkString, "\"a>b\"", G}, {tkTag, ">", T}, {tkText, "x", T}}},
        {"w=100 h=1.5 _x9-y>", {{tkTagAttr, "w", G}, {tkInteger, "100", G}, {tkTagAttr, "h", G}, {tkFloat, "1.5", G},
                                {tkTagAttr, "_x9", G}, {tkTagAttr, "y", G}, {tkTag, ">", T}}},
        {"= / \xE9 ! ? & ; \"\"\">", {{tkString, "\"\"\">", G}}},
        // A ">" in single quotes ends the tag; an unclosed value ends at the line.
        {"a='x>y'", {{tkTagAttr, "a", G}, {tkTagAttr, "x", G}, {tkTag, ">", T}, {tkText, "y", T}, {tkChar, "'", T}}},
        {"t=\"abc\nd>", {{tkTagAttr, "t", G}, {tkString, "\"abc", G}, {tkTagAttr, "d", G}, {tkTag, ">", T}}},
    });
}

TEST(TModParser_CommentState, RunsToTheNextDashAndEndsOnlyAtArrow) {
    ExpectTokens(C, {
        {"a - b -->c", {{tkComment, "a -", C}, {tkComment, " b -->", T}, {tkText, "c", T}}},
        {"--->x", {{tkComment, "-", C}, {tkComment, "-->", T}, {tkText, "x", T}}},
        {"--!>x", {{tkComment, "-", C}, {tkComment, "-", C}, {tkComment, "!>x", C}}},
        {"\t-->", {{tkComment, "\t-->", T}}},
        {"a\x01" "b", {{tkComment, "a", C}, {tkComment, "b", C}}},
        {"--\n>", {{tkComment, "-", C}, {tkComment, "-", C}, {tkComment, ">", C}}},
    });
}

TEST(TModParser_ScriptState, PunctuationIsTextEverythingElseIsNot) {
    ExpectTokens(S, {
        {">var x = 1;", {{tkChar, ">", S}, {tkReserved, "var", S}, {tkIdent, "x", S}, {tkChar, "=", S},
                         {tkInteger, "1", S}, {tkChar, ";", S}}},
        {"0x1F 0xg 0.5 9e2 0X1", {{tkInteger, "0x1F", S}, {tkChar, "0", S}, {tkIdent, "xg", S}, {tkFloat, "0.5", S},
                                  {tkFloat, "9e2", S}, {tkInteger, "0", S}, {tkIdent, "X1", S}}},
        {"'it\\'s' \"a\\\\\"b", {{tkString, "'it\\'s'", S}, {tkString, "\"a\\\\\"", S}, {tkIdent, "b", S}}},
        {"'a\"b\nx'a\\", {{tkString, "'a\"b", S}, {tkIdent, "x", S}, {tkString, "'a\\", S}}},
        {"\xE9(\t\x01 .", {{tkChar, "\xE9", S}, {tkChar, "(", S}, {tkChar, ".", S}}},
        {"/ // rest", {{tkChar, "/", S}, {tkScriptComment, "// rest", S}}},
        {"a/*b*/c/*/", {{tkIdent, "a", S}, {tkScriptComment, "/*b*/", S}, {tkIdent, "c", S}, {tkScriptComment, "/*/", M}}},
    });
}

TEST(TModParser_ScriptState, OnlyAnExactClosingTagEndsIt) {
    ExpectTokens(S, {
        {"</SCRIPT>a", {{tkTag, "</SCRIPT>", T}, {tkText, "a", T}}},
        {"</script >", {{tkChar, "<", S}, {tkChar, "/", S}, {tkIdent, "script", S}, {tkChar, ">", S}}},
        {"<Script><b", {{tkTag, "<Script", S}, {tkChar, ">", S}, {tkChar, "<", S}, {tkIdent, "b", S}}},
    });
}

TEST(TModParser_ScriptCommentState, RunsToStarSlashOverLines) {
    ExpectTokens(M, {
        {"x **/y", {{tkScriptComment, "x **/", S}, {tkIdent, "y", S}}},
        {"a\nb*/", {{tkScriptComment, "a", M}, {tkScriptComment, "b*/", S}}},
        {"*\n/", {{tkScriptComment, "*", M}, {tkScriptComment, "/", M}}},
        {"\x01*/;", {{tkScriptComment, "*/", S}, {tkChar, ";", S}}},
    });
}

TEST(HtmlToText_Output, OnlyLineBreakTagOpenersMakeLineBreaks) {
    ExpectText({
        {"a<br>b<BR>c<br/>d<P class=x>e<Div>f<br\n>g", "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng"},
        {"a</p>b</div>c</br>d<pre>e<hr>f<brx>g<p1>h<bR_>i", "abcdefghi"},
        {"<a title=\"t\" href='u'>x</a>&am<b>p;", "x&"},
        {"a<script>if (x > 1) { y = 'z'; } // c\n/* d */</script>b", "a>(>){=;}b"},
        {"<script>0xq<br></script>", ">0<>"},
    });
}

TEST(HtmlToText_Entities, FiveEntitiesInOrderResumingAtTheReplacement) {
    const std::vector<TextCase> cases = {
        {"", ""},
        {"&nbsp;&lt;b&gt;&quot;", " <b>\""},
        {"&amp;lt; &amp;gt; &amp;nbsp;", "&lt; &gt; &nbsp;"},
        {"&amp;quot;", "\""},  // "&quot;" comes after "&amp;"
        {"&amp;amp; &amp;amp;amp;lt;", "& &lt;"},
        {"&amp;&amp; &&lt;; &am&amp;p;", "&& &<; &am&p;"},
        {"&NBSP; &Amp; &#160; &#x41; &copy; &nbsp &lt", "&NBSP; &Amp; &#160; &#x41; &copy; &nbsp &lt"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(ReplaceHtmlEntities(c.html), c.text) << c.html;
}

TEST(HtmlToText_Whitespace, RunsBetweenOutputBecomeOneSpace) {
    ExpectText({
        {"Hello <b>world</b>", "Hello world"},
        {"a <b> c", "a c"},
        {"a<b>c", "ac"},
        {"a <b>c<b> d", "a c d"},
        {"a\r\n\r\n  \tb\x0B\x01" "c !", "a b c !"},
    });
}

TEST(HtmlToText_Whitespace, NoneAtTheEndsOrAroundLineBreaks) {
    ExpectText({
        {"\n<html> <body>\n a \n</body>\n", "a"},
        {"a <br> b", "a\r\nb"},
        {"a\t<br>\t", "a\r\n"},
        {"a <p> <p>\n<b> b", "a\r\n\r\nb"},
    });
}

TEST(HtmlToText_Whitespace, InsideTagsCommentsAndScriptsItCountsForNothing) {
    ExpectText({
        {"a<b class = \"x  y\"\n>c", "ac"},
        {"a<b\n>\nc", "a c"},
        {"a<!--\n-->b <!-- c --> d", "ab d"},
        {"a<script> x = 1 ; </script>b", "a>=;b"},
        {"a <script> x = 1 ; </script> b", "a >=; b"},
    });
}

TEST(HtmlToText_Whitespace, QuotedTextAndEntitiesKeepTheirOwnSpaces) {
    ExpectText({
        {"say \"a  b\"  now", "say \"a  b\" now"},
        {"x \"open  \ny", "x \"open   y"},
        {"a&nbsp; b", "a  b"},
        {"<br>&nbsp;a&nbsp;<br>", "\r\n a \r\n"},
    });
}

TEST(HtmlToText_EdgeCases, AsListed) {
    ExpectText({
        {"", ""},
        {"<p>Hello", "\r\nHello"},
        {"x<BR>y<br/>z", "x\r\ny\r\nz"},
        {"a</p>b</div>c<pre>d", "abcd"},
        {"He said \"hi  there\" ok", "He said \"hi  there\" ok"},
        {"x \"rest <b>of</b> line\nnext", "x \"rest <b>of</b> line next"},
        {"&nbsp;|&amp;lt;|&amp;amp;|&#65; &eacute;", " |&lt;|&|&#65; &eacute;"},
        {"a < b and c > d", "a d"},
        {"<script>x</script > b. c", "></>."},
        {"a<!-- b\n<p>c\n", "a"},
        {std::string("a\0<p>b", 6), "a"},
    });
}

TEST(HtmlToText_RealBodies, PinnedSamples) {
    for (const char* name : {"badly-quoted-attr", "cdata", "script-data", "spam-2__01207__us-ascii",
                             "hard-ham__00201__nocharset"}) {
        const std::string html = ReadFile(TestData(std::string("html/") + name + ".html"));
        ASSERT_FALSE(html.empty()) << name;
        EXPECT_EQ(HtmlToText(html), ReadFile(TestData(std::string("html/") + name + ".txt"))) << name;
    }
}

// The text is made of token bytes, single spaces and the CR LF of tags: never
// longer than the HTML, and no other control character.
TEST(HtmlToText_RealBodies, WholeSharedCorpus) {
    namespace fs = std::filesystem;
    const fs::path root = fs::u8path(SharedData("html"));
    std::error_code error;
    if (!fs::is_directory(root, error)) GTEST_SKIP() << "no corpus at " << root.u8string();
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".html") continue;
        const std::string html = ReadFile(entry.path().u8string());
        const std::string text = HtmlToText(html);
        EXPECT_LE(text.size(), html.size()) << entry.path();
        for (size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            else ASSERT_TRUE(c >= 32 || c == '\t') << entry.path() << ": byte " << int(c) << " at " << i;
        }
        ++files;
    }
    EXPECT_GT(files, 50);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
