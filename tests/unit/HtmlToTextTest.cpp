// HtmlToText and the tokenizer under it: how the tokenizer splits HTML, then
// the text made of it, its entities and its whitespace, then real bodies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "TestSupport.h"
#include "content/HtmlTokenizer.h"
#include "content/HtmlToText.h"

namespace pellumo {
namespace test {
namespace {

struct TextCase {
    std::string html;
    std::string text;
};

// Each token as its kind's letter and its name (tags) or bytes (the rest).
std::vector<std::string> Tokens(const std::string& html) {
    HtmlTokenizer tokenizer(html);
    std::vector<std::string> tokens;
    for (HtmlToken kind; (kind = tokenizer.Next()) != HtmlToken::End && tokens.size() < 100;) {
        switch (kind) {
        case HtmlToken::Text: tokens.push_back("T " + std::string(tokenizer.Token())); break;
        case HtmlToken::StartTag: tokens.push_back("S " + std::string(tokenizer.Name())); break;
        case HtmlToken::EndTag: tokens.push_back("E " + std::string(tokenizer.Name())); break;
        case HtmlToken::RawText: tokens.push_back("R " + std::string(tokenizer.Token())); break;
        default: tokens.push_back("M " + std::string(tokenizer.Token())); break;
        }
    }
    return tokens;
}

void ExpectTokens(const std::vector<std::pair<std::string, std::vector<std::string>>>& cases) {
    for (const auto& c : cases) EXPECT_EQ(Tokens(c.first), c.second) << "input: " << c.first;
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

TEST(HtmlTokenizer_Tokens, TextTagsAndMarkupAsBrowsersSplitThem) {
    ExpectTokens({
        {"a<b>c</B>d", {"T a", "S b", "T c", "E B", "T d"}},
        // A "<" that opens nothing is text, "</" at the very end too.
        {"a < b <3 <\xC3\xA9 x</", {"T a < b <3 <\xC3\xA9 x</"}},
        {"<a href=\"x>y\" t='p>q' c=d/e>z<br/>", {"S a", "T z", "S br"}},
        {"<a\nhref\r=\tx\f/>z</p\nclass=x>", {"S a", "T z", "E p"}},
        {"<a<b =c>d", {"S a<b", "T d"}},
        // Cut off by the end: dropped whole, a quote left open included.
        {"x<p class=x", {"T x", "M <p class=x"}},
        {"x<a title=\"open>rest</a>", {"T x", "M <a title=\"open>rest</a>"}},
        {"</>x</ 3>y", {"M </>", "T x", "M </ 3>", "T y"}},
        {"<!--a-->b<!-->c<!--->d<!---->e<!--x--!>f<!--y--->g",
         {"M <!--a-->", "T b", "M <!-->", "T c", "M <!--->", "T d", "M <!---->", "T e", "M <!--x--!>", "T f",
          "M <!--y--->", "T g"}},
        {"<!-- open <p>x", {"M <!-- open <p>x"}},
        {"<!DOCTYPE html><?xml v=\"1\"?><![CDATA[a>b]]><!-x>",
         {"M <!DOCTYPE html>", "M <?xml v=\"1\"?>", "M <![CDATA[a>", "T b]]>", "M <!-x>"}},
        {"<!--[if mso]><p>x</p><![endif]-->y<![if !mso]>z<![endif]>",
         {"M <!--[if mso]><p>x</p><![endif]-->", "T y", "M <![if !mso]>", "T z", "M <![endif]>"}},
        {"<!", {"M <!"}},
    });
}

TEST(HtmlTokenizer_RawText, RunsToItsOwnEndTagOrTheEnd) {
    ExpectTokens({
        {"<script>a<b>'</script>'</script >x", {"S script", "R a<b>'", "E script", "T '", "E script", "T x"}},
        {"<SCRIPT>a</sCrIpT\n>b", {"S SCRIPT", "R a", "E sCrIpT", "T b"}},
        {"<script>a</scripts></script/>b", {"S script", "R a</scripts>", "E script", "T b"}},
        {"<style>p{}</styl", {"S style", "R p{}</styl"}},
        {"<script></script>", {"S script", "E script"}},
        {"<title>a<b></title><noscript><p>n</noscript><iframe>i</iframe>",
         {"S title", "R a<b>", "E title", "S noscript", "R <p>n", "E noscript", "S iframe", "R i", "E iframe"}},
        {"<script/>x", {"S script", "R x"}},
        {"</script>x<scripts>y", {"E script", "T x", "S scripts", "T y"}},
        // A "<script>" inside "<!--" hides the next "</script>"; "-->" ends that.
        {"<script><!--w('<script>x</script>')--></script>y",
         {"S script", "R <!--w('<script>x</script>')-->", "E script", "T y"}},
        {"<script><!--a</script>b", {"S script", "R <!--a", "E script", "T b"}},
        {"<script><!--><script></script>x", {"S script", "R <!--><script>", "E script", "T x"}},
        {"<style><!--<style>--></style>x", {"S style", "R <!--<style>-->", "E style", "T x"}},
    });
}

TEST(HtmlToText_Output, BlockTagsMakeLineBreaksAndAtMostOneEmptyLine) {
    ExpectText({
        {"a<br>b<BR>c<br/>d</br>e<br\n>f", "a\r\nb\r\nc\r\nd\r\ne\r\nf"},
        {"a<br><br><br><br>b", "a\r\n\r\nb"},
        {"<p>a</p><p>b</p>c<p>d", "a\r\n\r\nb\r\n\r\nc\r\nd"},
        {"<div>a</div><div><div>b</div></div>c", "a\r\nb\r\nc"},
        {"<div>a</div><br><div>b</div>", "a\r\n\r\nb"},
        {"<h1>T</h1>x<blockquote>y</blockquote>z", "T\r\n\r\nx\r\n\r\ny\r\n\r\nz"},
        {"<ul><li>a<li>b</ul>c<hr>d<pre>e</pre>f", "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\nf"},
        {"<table><tr><td>a</td><td>b</td></tr><tr><th>c</th></tr></table>", "a b\r\nc"},
        {"<br><p>&nbsp;</p>a<br>&nbsp;<br><div> </div>", "a"},
        {"a<span>b</span><b>c</b><brx>d<p1>e", "abcde"},
    });
}

TEST(HtmlToText_Output, NothingOfHeadStylesScriptsOrComments) {
    ExpectText({
        {"<html><head><title>T</title><meta x><style>b{c:d}</style><script>f()</script></head><body>Hi</body>",
         "Hi"},
        {"<head><link x>hidden<body>shown", "shown"},
        {"<head>hidden<b>shown", "shown"},
        {"a<!-- b -->c<!--[if mso]>d<![endif]-->e<![if !mso]>f<![endif]>", "acef"},
        {"<!DOCTYPE html><?xml version=\"1.0\"?>a", "a"},
        {"a<script>x</script >b</SCRIPT>c<noscript>n</noscript>", "abc"},
        {"a<style>p{x}", "a"},
        {"a<!-- open <p>b", "a"},
    });
}

TEST(HtmlToText_Entities, EveryReferenceOnceToUtf8) {
    const std::vector<TextCase> cases = {
        {"", ""},
        {"&amp;lt; &amp;amp;", "&lt; &amp;"},
        {"&lt;&gt;&quot;&apos;&nbsp;&#160;", "<>\"'  "},
        {"&eacute;&Eacute;&euro;&thetasym;&Omega;&loz;", "\xC3\xA9\xC3\x89\xE2\x82\xAC\xCF\x91\xCE\xA9\xE2\x97\x8A"},
        {"&#65;&#x41;&#X41;&#183;&#x2014;&#128512;", "AAA\xC2\xB7\xE2\x80\x94\xF0\x9F\x98\x80"},
        {"&#149;&#150;&#151;&#146;&#x80;&#159;",
         "\xE2\x80\xA2\xE2\x80\x93\xE2\x80\x94\xE2\x80\x99\xE2\x82\xAC\xC5\xB8"},
        {"&#129;&#0;&#xD800;&#x110000;&#99999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"&#65 &#x41x", "A Ax"},
        {"&amp &lt &gt &quot &nbsp&ampx &copy &amp", "& < > \"  &ampx &copy &"},
        {"&foo; &Amp; &AMP; & ; &#; &#x; &#xg; &thetasymx;", "&foo; &Amp; &AMP; & ; &#; &#x; &#xg; &thetasymx;"},
    };
    for (const TextCase& c : cases) EXPECT_EQ(ReplaceHtmlEntities(c.html), c.text) << c.html;
}

TEST(HtmlToText_Entities, DecodedAsTextNeverAsMarkup) {
    ExpectText({
        {"&lt;b&gt;x&lt;/b&gt; &lt;!--y--&gt;", "<b>x</b> <!--y-->"},
        {"&am<b>p;", "&amp;"},
        {"a&nbsp;&nbsp; b&nbsp;<br>&nbsp;c\xC2\xA0\xC2\xA0" "d", "a b\r\nc d"},
        {"&#9;a&#10;&#13;b&#1;&#x7F;", "a b"},
    });
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
        {"a\t<br>\t", "a"},
        {"a <p> <p>\n<b> b", "a\r\nb"},
    });
}

TEST(HtmlToText_Whitespace, InsideTagsCommentsAndScriptsItCountsForNothing) {
    ExpectText({
        {"a<b class = \"x  y\"\n>c", "ac"},
        {"a<b\n>\nc", "a c"},
        {"a<!--\n-->b <!-- c --> d", "ab d"},
        {"a<script> x = 1 ; </script>b", "ab"},
        {"a <script> x = 1 ; </script> b", "a b"},
    });
}

// A quote in the text once hid the tags after it up to the line end.
TEST(HtmlToText_Whitespace, QuotesAreTextLikeAnyOther) {
    ExpectText({
        {"say \"a  b\"  now", "say \"a b\" now"},
        {"x \"rest <b>of</b> line\nnext", "x \"rest of line next"},
    });
}

TEST(HtmlToText_EdgeCases, AsListed) {
    ExpectText({
        {"", ""},
        {"<p>Hello", "Hello"},
        {"a < b and c > d <<<>>>", "a < b and c > d <<<>>>"},
        {"<script>x</script > b. c", "b. c"},
        {"<a href='x>y'>z</a> <a title=\"open>w", "z"},
        {"a<!-- b\n<p>c\n", "a"},
        {std::string("a\0<p>b\0c", 8), "a\r\nb c"},  // a NUL is a blank
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

// No real body gives text longer than its HTML, a control character other
// than CR LF, a line that starts or ends with a space, more than one empty
// line in a row, or any trace of styles, scripts and comments.
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
            else ASSERT_TRUE(c >= 32 && c != 127) << entry.path() << ": byte " << int(c) << " at " << i;
        }
        for (const char* wrong : {" \r\n", "\r\n ", "\r\n\r\n\r\n", "@media", "function(", "<style", "<script", "<!--"})
            EXPECT_EQ(text.find(wrong), std::string::npos) << entry.path() << ": " << wrong;
        if (!text.empty()) {
            EXPECT_TRUE(text.front() != ' ' && text.front() != '\r' && text.back() != ' ' && text.back() != '\n')
                << entry.path();
        }
        ++files;
    }
    EXPECT_GT(files, 50);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
