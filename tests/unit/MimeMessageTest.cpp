// Reading raw messages: the header block and its derived fields, the body
// paths, MIME parts and nesting, uuencoded blocks, attachments and their
// temporary files, the preview selection and every error.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/AsciiText.h"
#include "content/MimeMessage.h"
#include "content/MimePartReader.h"
#include "content/HtmlToText.h"
#include "platform/FileSystem.h"
#include "unit/TestSupport.h"

namespace pellumo {
namespace test {
namespace {

// As the scan hands a message over: the raw text as the store keeps it.
void Parse(TMimeMessage& m, const std::string& raw) {
    TMemoryStream stream(raw);
    ReadFromStream(m, stream);
}

std::string Preview(const std::string& raw) {
    TMimeMessage m;
    Parse(m, raw);
    return BodyPreview(m);
}

const TMimeTextPart* TextPart(const TMimeMessage& m, size_t i) { return dynamic_cast<const TMimeTextPart*>(m.MessageParts.at(i).get()); }
const TMimeAttachment* FilePart(const TMimeMessage& m, size_t i) {
    return dynamic_cast<const TMimeAttachment*>(m.MessageParts.at(i).get());
}

using Lines = std::vector<std::string>;

TEST(MimeMessage_Header, HeadersThenEndHaveNoBody) {
    TMimeMessage m;
    Parse(m, "Subject: hi\r\nX-Folded: one\r\n two\r\n\tthree");
    EXPECT_TRUE(m.Body.empty());
    EXPECT_TRUE(m.MessageParts.empty());
    EXPECT_EQ(m.ContentType, "text/plain");
    EXPECT_EQ(m.Encoding, EncodingPlainText);
    EXPECT_EQ(m.Headers.Lines(), (Lines{"Subject: hi", "X-Folded: one", " two", "\tthree"}));
    EXPECT_EQ(m.Headers.Values("x-folded"), "one two three");
}

TEST(MimeMessage_Header, DerivedFields) {
    TMimeMessage m;
    Parse(m, "MIME-Version: 1.0\r\nContent-Type: text/HTML;\r\n charset=\"iso-8859-1\"\r\n"
             "Content-Transfer-Encoding: 8bit\r\nContent-Disposition: inline\r\n\r\nbody");
    EXPECT_EQ(m.Encoding, EncodingMime);
    EXPECT_EQ(m.ContentType, "text/HTML");
    EXPECT_EQ(m.CharSet, "ISO-8859-1");
    EXPECT_EQ(m.ContentTransferEncoding, "8bit");
    EXPECT_EQ(m.ContentDisposition, "inline");
    EXPECT_EQ(m.Body, Lines{"body"});
}

TEST(MimeMessage_Header, CharsetParameterForms) {
    const std::pair<const char*, const char*> cases[] = {
        {"text/plain; charset=koi8-r", "KOI8-R"},
        {"text/plain; charset=\"utf-8\"; format=flowed", "UTF-8"},
        {"text/plain; charset=us-ascii; format=flowed", "US-ASCII"},
        {"text/plain; charset = utf-8", ""},  // blanks around "=": not found
        {"text/plain", ""},
    };
    for (const auto& c : cases) {
        TMimeMessage m;
        Parse(m, std::string("Content-Type: ") + c.first + "\r\n\r\nx");
        EXPECT_EQ(m.CharSet, c.second) << c.first;
    }
}

TEST(MimeMessage_Header, NameWithBlankBeforeTheColonIsNotFound) {
    TMimeMessage m;
    Parse(m, "Content-Type : text/html\r\n\r\nx");
    EXPECT_EQ(m.ContentType, "text/plain");
}

TEST(MimeMessage_Header, LongLinesAreCutNotFatal) {
    TMimeMessage m;
    Parse(m, "X-Long: " + std::string(40000, 'a') + "\r\nSubject: after it\r\n\r\n" + std::string(20000, 'b') +
                 "\r\nnext\r\n");
    EXPECT_EQ(m.Headers.Values("Subject"), "after it");
    EXPECT_EQ(m.Body, (Lines{std::string(16384, 'b'), "next"}));

    // In a text part too; and what is kept of any text is bounded, however
    // much of it there is.
    const std::string head = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                             "Content-Type: text/plain\r\n\r\n";
    Parse(m, head + std::string(100000, 'c') + "\r\nend\r\n--b--\r\n");
    ASSERT_EQ(m.MessageParts.size(), 1u);
    EXPECT_EQ(TextPart(m, 0)->Body, (Lines{std::string(16384, 'c'), "end"}));
    std::string many;
    for (int i = 0; i < 40000; ++i) many += "a line of thirty characters..\r\n";
    for (const std::string& raw : {head + many + "--b--\r\n", "Subject: x\r\n\r\n" + many}) {
        Parse(m, raw);
        const Lines& kept = m.MessageParts.empty() ? m.Body : TextPart(m, 0)->Body;
        size_t bytes = 0;
        for (const std::string& line : kept) bytes += line.size() + 2;
        EXPECT_GT(bytes, 400000u);
        EXPECT_LE(bytes, 512u * 1024 + 32);
    }
}

TEST(MimeMessage_Body, DotLinesAreTextAsStored) {
    TMimeMessage m;
    Parse(m, "Subject: x\r\n\r\nfirst\r\n..a\r\n.\r\n...\r\nafter the dot");
    EXPECT_EQ(m.Body, (Lines{"first", "..a", ".", "...", "after the dot"}));
}

TEST(MimeMessage_Body, LineEndsAndLoneCarriageReturns) {
    TMimeMessage m;
    Parse(m, "Subject: x\n\nunix\nline\rwith cr\r\n");
    EXPECT_EQ(m.Body, (Lines{"unix", "line\rwith cr"}));  // the last empty line is dropped
}

TEST(MimeMessage_Body, TheStreamsEndEndsTheMessage) {
    for (const char* raw : {"Subject: x\r\n\r\nbody", "Subject: x\r\n\r\nbody\r\n", "Subject: x\r\n\r\nbody\r"}) {
        TMemoryStream stream{std::string(raw)};
        TMimeMessage m;
        ReadFromStream(m, stream);
        EXPECT_EQ(m.Body, Lines{"body"}) << raw;
    }
}

TEST(MimeMessage_Body, OneByteAtATime) {
    OneByteStream stream(std::string("MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
                                     "--b\r\nContent-Type: text/plain\r\n\r\nhello\r\n--b--\r\n"));
    TMimeMessage m;
    ReadFromStream(m, stream);
    ASSERT_EQ(m.MessageParts.size(), 1u);
    EXPECT_EQ(TextPart(m, 0)->Body, Lines{"hello"});
}

const char kAlternative[] =
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/alternative;\r\n\tboundary=\"----=_NextPart_000_0001\"\r\n\r\n"
    "This is a multi-part message in MIME format.\r\n\r\n"
    "------=_NextPart_000_0001\r\n"
    "Content-Type: text/plain;\r\n\tcharset=\"iso-8859-1\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
    "Caf=E9 at ten=\r\n, see you\r\n\r\n"
    "------=_NextPart_000_0001\r\n"
    "Content-Type: text/html;\r\n\tcharset=\"iso-8859-1\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n\r\n"
    "<p>Caf=E9 at ten</p>\r\n\r\n"
    "------=_NextPart_000_0001--\r\n\r\nepilogue\r\n";

TEST(MimeMessage_Multipart, AlternativePartsAndPreamble) {
    TMimeMessage m;
    Parse(m, kAlternative);
    ASSERT_EQ(m.MessageParts.size(), 2u);
    const TMimeTextPart* plain = TextPart(m, 0);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->ContentType, "text/plain");
    EXPECT_EQ(plain->CharSet, "iso-8859-1");  // the part keeps the case as written
    EXPECT_EQ(plain->ContentTransfer, "quoted-printable");
    EXPECT_EQ(plain->Body, Lines{"Caf\xE9 at ten, see you"});
    EXPECT_EQ(plain->ParentPart, -1);
    EXPECT_EQ(TextPart(m, 1)->ContentType, "text/html");
    EXPECT_EQ(m.Body, (Lines{"This is a multi-part message in MIME format.", "", "epilogue"}));
    EXPECT_EQ(Preview(kAlternative), u8"Café at ten, see you\r\n");
}

TEST(MimeMessage_Multipart, NestedPartsKnowTheirParents) {
    TMimeMessage m;
    Parse(m,
          "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=outer\r\n\r\n"
          "--OUTER\r\nContent-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n"
          "--inner\r\nContent-Type: text/plain\r\n\r\nplain\r\n"
          "--inner\r\nContent-Type: text/html\r\n\r\n<b>html</b>\r\n--inner--\r\n"
          "--outer\r\nContent-Type: image/gif; name=\"dot.gif\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
          "R0lGODlhAQABAAAAACw=\r\n--outer--\r\n");
    ASSERT_EQ(m.MessageParts.size(), 4u);
    const TMimeTextPart* container = TextPart(m, 0);
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->ContentType, "multipart/alternative");
    EXPECT_EQ(container->ParentPart, -1);
    EXPECT_TRUE(container->Body.empty());
    EXPECT_EQ(TextPart(m, 1)->ParentPart, 0);
    EXPECT_EQ(TextPart(m, 2)->ParentPart, 0);
    const TMimeAttachment* gif = FilePart(m, 3);
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->ParentPart, -1);
    EXPECT_EQ(gif->FileName, "dot.gif");
    EXPECT_EQ(BodyPreview(m), "plain\r\n");
}

TEST(MimeMessage_Multipart, PreviewIsTheFirstInlineTextThroughTheContainers) {
    // Part(type, body): one part under boundary b; Multi(type, boundary, parts) a container.
    auto part = [](const std::string& type, const std::string& body, const std::string& extra = "") {
        return "Content-Type: " + type + "\r\n" + extra + "\r\n" + body + "\r\n";
    };
    auto multi = [](const std::string& type, const std::string& b, const std::vector<std::string>& parts) {
        std::string text = "Content-Type: multipart/" + type + "; boundary=\"" + b + "\"\r\n\r\npreamble\r\n";
        for (const std::string& p : parts) text += "--" + b + "\r\n" + p;
        return text + "--" + b + "--\r\n";
    };
    const std::string gif = part("image/gif; name=\"a.gif\"", "R0lGODlhAQABAAAAACw=", "Content-Transfer-Encoding: base64\r\n");
    const std::string plain = part("text/plain", "plain"), html = part("text/html", "<p>html</p>");
    const std::string htmlText = HtmlToText("<p>html</p>\r\n");  // selection is what this pins, not the reduction
    const struct { const char* name; std::string message, preview; } cases[] = {
        {"mixed, then alternative with an attachment",
         multi("mixed", "m", {multi("alternative", "a", {plain, html}), gif}), "plain\r\n"},
        {"alternative prefers plain text wherever it stands", multi("alternative", "a", {html, plain}), "plain\r\n"},
        {"alternative without plain text: the HTML", multi("alternative", "a", {html, gif}), htmlText},
        {"related: its root", multi("related", "r", {html, plain}), htmlText},
        {"related whose root holds no text: the text beside it", multi("related", "r", {gif, html}), htmlText},
        {"signed: the signed content", multi("signed", "s", {multi("mixed", "m", {plain}), part("application/pgp-signature", "sig")}),
         "plain\r\n"},
        {"mixed: a container without text is passed", multi("mixed", "m", {multi("mixed", "n", {gif}), plain}), "plain\r\n"},
        {"containers that end together: the text after them",
         multi("mixed", "m", {multi("mixed", "n", {multi("related", "r", {gif})}), plain}), "plain\r\n"},
        {"an attachment's text is never the preview", multi("mixed", "m", {part("text/plain", "file", "Content-Disposition: attachment\r\n")}), ""},
        {"empty first text, later text", multi("mixed", "m", {part("text/plain", ""), plain}), "plain\r\n"},
        {"\"text\" without a subtype is text", multi("mixed", "m", {part("text; charset=us-ascii", "bare")}), "bare\r\n"},
        {"a part's other fields and their folds are not its type, nor is a second type",
         multi("mixed", "m", {part("text/plain", "plain", "X-Note: see\r\n name=\"a.gif\"\r\nContent-Type: image/gif\r\n")}),
         "plain\r\n"},
        {"a nested boundary with \" =\" in it", multi("signed", "s", {multi("mixed", "----- =_a0", {plain})}), "plain\r\n"},
        {"a part without header lines is plain text",
         "Content-Type: multipart/signed; protocol=\"application/x-pkcs7-signature\"; micalg=rsa-md5;\r\n"
         "   boundary=\"7oU2Ma36WUas7M\"\r\n\r\n--7oU2Ma36WUas7M\r\n\r\nDear S/MIME developers,\r\n"
         "--7oU2Ma36WUas7M\r\nContent-Type: application/x-pkcs7-signature\r\nContent-Transfer-Encoding: base64\r\n\r\n"
         "MIAGCSqGSIb3DQEHAqCAMIACAQEx\r\n--7oU2Ma36WUas7M--\r\n",
         "Dear S/MIME developers,\r\n"},
        {"boundaries padded with blanks, and a line that only starts with one",
         "Content-Type: multipart/mixed; boundary=\"=_4a1f\"\r\n\r\n--=_4a1f  \r\nContent-Type: text/plain\r\n\r\n"
         "Minutes below.\r\n--=_4a1f-old is not ours\r\n--=_4a1f--\t\r\nepilogue\r\n",
         "Minutes below.\r\n--=_4a1f-old is not ours\r\n"},
        {"alternative whose plain text is blank: the HTML",
         multi("alternative", "a", {part("text/plain; charset=\"US-ASCII\"", "\r\n\r\n  \r\n"), html}), htmlText},
        {"no text of its own: the text of the message it encloses",
         "Content-Type: multipart/report; report-type=delivery-status; boundary=\"r\"\r\n\r\n--r\r\n"
         "Content-Type: message/delivery-status\r\n\r\nReporting-MTA: dns; mm1\r\nAction: failed\r\n\r\n--r\r\n"
         "Content-Type: message/rfc822\r\n\r\nFrom: Jamie <jwz@example.com>\r\nSubject: unsubscribe\r\n"
         "MIME-Version: 1.0\r\n" + multi("alternative", "in", {plain, html}) + "--r--\r\n",
         "plain\r\n"},
        {"a header block ends at a line of blanks unless fields go on after it",
         "To: Ann <ann@example.com>,\r\n\t\r\n\tTom <tom@example.com>\r\nContent-Type: text/plain; charset=us-ascii\r\n"
         " \r\nHi both,\r\nthe meeting moved to ten.\r\n",
         "Hi both,\r\nthe meeting moved to ten.\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Preview("MIME-Version: 1.0\r\n" + c.message), c.preview);
    }
}

TEST(MimeMessage_Multipart, UnquotedBoundaryFollowedByMoreParameters) {
    TMimeMessage m;
    Parse(m, "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=xyz; type=\"text/html\"\r\n\r\n"
             "--xyz\r\nContent-Type: text/html\r\n\r\n<p>hi\r\n--xyz--\r\n");
    ASSERT_EQ(m.MessageParts.size(), 1u);
    EXPECT_EQ(BodyPreview(m), "hi");
}

TEST(MimeMessage_Multipart, MissingClosingBoundaryRunsToTheEnd) {
    TMimeMessage m;
    Parse(m, "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
             "Content-Type: text/plain\r\n\r\nline 1\r\nline 2\r\n");
    ASSERT_EQ(m.MessageParts.size(), 1u);
    EXPECT_EQ(TextPart(m, 0)->Body, (Lines{"line 1", "line 2"}));
}

TEST(MimeMessage_Multipart, HeaderWithoutBlankAfterColonIsFoundToo) {
    TMimeMessage m;
    Parse(m, "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
             "Content-Type:text/plain\r\n\r\nfirst\r\n--b\r\nContent-Type: text/plain\r\n\r\nsecond\r\n--b--\r\n");
    ASSERT_EQ(m.MessageParts.size(), 2u);
    EXPECT_EQ(TextPart(m, 0)->ContentType, "text/plain");
    EXPECT_EQ(BodyPreview(m), "first\r\n");
}

TEST(MimeMessage_Multipart, TransferEncodingsThatWouldHideTheText) {
    // Declared on the multipart itself: ignored, the parts are read.
    EXPECT_EQ(Preview("MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n"
                      "Content-Transfer-Encoding: base64\r\n\r\nThis is a multi-part message in MIME format.\r\n"
                      "--b\r\nContent-Type: text/plain\r\n\r\nthe text\r\n--b--\r\n"),
              "the text\r\n");
    // A blank after the encoding's name: soft line breaks still join, hard ones stay.
    EXPECT_EQ(Preview("MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
                      "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable \r\n\r\n"
                      "First line caf=E9\r\nSecond =\r\nline\r\n--b--\r\n"),
              u8"First line café\r\nSecond line\r\n");
}

TEST(MimeMessage_Multipart, TextMarkedAsAttachmentIsSkippedByThePreview) {
    const std::string head = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n";
    EXPECT_EQ(Preview(head + "Content-Type: text/plain\r\nContent-Disposition: attachment\r\n\r\nfile\r\n--b--\r\n"), "");
    EXPECT_EQ(Preview(head + "Content-Type: text/plain; name=notes.txt\r\n\r\nfile\r\n--b\r\n"
                             "Content-Type: text/plain\r\n\r\nreal\r\n--b--\r\n"),
              "real\r\n");
}

TEST(MimeMessage_Multipart, PartHeadersEndingWithTheMessageRaise) {
    TMimeMessage m;
    try {
        Parse(m, "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain");
        FAIL() << "no error";
    } catch (const EMimeError& e) {
        EXPECT_STREQ(e.what(), "Unknown Message Part Type.");
    }
}

TEST(MimeMessage_SinglePart, EncodedBodiesAndHtml) {
    EXPECT_EQ(Preview("MIME-Version: 1.0\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                      "SGVsbG8sIHdvcmxkIQ==\r\n"),
              "Hello, world!\r\n");
    EXPECT_EQ(Preview("MIME-Version: 1.0\r\nContent-Type: text/html\r\n\r\n<p>Hello <b>there</b>"), "Hello there");
    // A NUL or DEL in the decoded text becomes a space; the text goes on.
    EXPECT_EQ(Preview("MIME-Version: 1.0\r\nContent-Transfer-Encoding: base64\r\n\r\nYWIAY2R/ZQ==\r\n"), "ab cd e\r\n");
}

TEST(MimeMessage_SinglePart, AnAttachmentIsDecodedAndNotKept) {
    TMimeMessage m;
    Parse(m, "MIME-Version: 1.0\r\nContent-Type: application/pdf\r\n"
             "Content-Transfer-Encoding: base64\r\n\r\nJVBERi0=\r\n");
    ASSERT_EQ(m.MessageParts.size(), 1u);
    const TMimeAttachment* pdf = FilePart(m, 0);
    ASSERT_NE(pdf, nullptr);
    EXPECT_EQ(pdf->DecodedSize, 5u);
    EXPECT_EQ(BodyPreview(m), "");
}

// Reading for a preview only: it shows what the whole reading shows (the
// body as far as a popup keeps it, sender, subject), and stops before what
// could not change that. Each message ends in an attachment whose last line
// is "POISON": where the row says the reading stops, it never gets there.
std::string Attachment(size_t lines) {
    std::string text = "--b\r\nContent-Type: application/octet-stream; name=a.bin\r\n"
                       "Content-Transfer-Encoding: base64\r\n\r\n";
    for (size_t i = 0; i < lines; ++i) text += "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5ejAxMjM0\r\n";
    return text + "POISON\r\n";
}
std::string LongText(size_t bytes, const std::string& line = "All work and no play makes a dull preview.") {
    std::string text;
    while (text.size() < bytes) text += line + "\r\n";
    return text;
}

TEST(MimeMessage_PreviewReading, ShowsWhatTheWholeReadingShowsAndStopsEarly) {
    const std::string mime = "From: Ann <ann@example.com>\r\nSubject: hello\r\nMIME-Version: 1.0\r\n";
    const std::string mixed = mime + "Content-Type: multipart/mixed; boundary=b\r\n\r\n";
    const std::string plain = "--b\r\nContent-Type: text/plain\r\n\r\nthree\r\nshort\r\nlines\r\n";
    const std::string big = Attachment(5000);  // 380 KB
    const std::string alternative = "--b\r\nContent-Type: multipart/alternative; boundary=c\r\n\r\n";
    const std::string html = "Content-Type: text/html\r\n\r\n<p>in html</p>\r\n";
    std::string manyHtml;
    for (int i = 0; i < 30; ++i)
        manyHtml += "--c\r\nContent-Type: text/html\r\n\r\n" + LongText(100000, "<p>alternative " + std::to_string(i));
    const struct {
        const char* what;
        std::string raw;
        bool stops;  // before the attachment's end
    } rows[] = {
        {"text, then an attachment", mixed + plain + big, true},
        {"an attachment, then the text", mixed + Attachment(50) + plain + big, true},
        {"blank text, an attachment, then text", mixed + "--b\r\n\r\n \r\n" + Attachment(50) + plain + big, true},
        {"HTML, then its plain alternative",
         mixed + alternative + "--c\r\n" + html + "--c\r\nContent-Type: text/plain\r\n\r\nplain\r\n--c--\r\n" + big,
         true},
        {"HTML alone among alternatives, closed", mixed + alternative + "--c\r\n" + html + "--c--\r\n" + big, true},
        {"HTML among alternatives never closed", mixed + alternative + "--c\r\n" + html + big, false},
        {"thirty long HTML alternatives, then the plain one",
         mixed + alternative + manyHtml + "--c\r\nContent-Type: text/plain\r\n\r\nplain\r\n--c--\r\n" + big, true},
        {"thirty long HTML alternatives alone", mixed + alternative + manyHtml + "--c--\r\n" + big, true},
        {"a hundred HTML alternatives of nothing but line ends, then the plain one",
         [&] {
             std::string blank = mixed + alternative;
             for (int i = 0; i < 100; ++i) blank += "--c\r\nContent-Type: text/html\r\n\r\n" + std::string(40000, '\n');
             return blank + "--c\r\nContent-Type: text/plain\r\n\r\nplain\r\n--c--\r\n" + big;
         }(),
         true},
        {"containers nested a thousand deep, a text at the bottom, then the text",
         [&] {
             std::string nest = mixed, close;
             for (int i = 0; i < 1000; ++i) {
                 const std::string b = i ? "n" + std::to_string(i) : "b";
                 nest += "--" + b + "\r\nContent-Type: multipart/mixed; boundary=n" + std::to_string(i + 1) + "\r\n\r\n";
                 close = "--" + b + "--\r\n" + close;
             }
             return nest + "--n1000\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\ndeep\r\n--n1000--\r\n" +
                    close.substr(0, close.rfind("--b--")) + plain + big;
         }(),
         true},
        {"a long plain text", mime + "Content-Type: text/plain\r\n\r\n" + LongText(400000) + big, true},
        {"a long text of no MIME", "Subject: old\r\n\r\n" + LongText(400000) + big, true},
        {"a long quoted-printable text",
         mixed + "--b\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" + LongText(400000, "caf=E9 =\r\nau lait") + big,
         true},
        {"a long HTML text after a long style sheet",
         mixed + "--b\r\nContent-Type: text/html\r\n\r\n<style>" + LongText(100000, "p { color: red }") + "</style>" +
             LongText(200000, "<p>text &amp; more") + big,
         true},
        {"HTML that is all style sheet, then plain text",
         mixed + "--b\r\nContent-Type: text/html\r\n\r\n<style>" + LongText(300000) + plain + big, true},
        {"a raw 8-bit sender, the charset only in a later part",
         "From: J\xF6rg <j@example.com>\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n" + plain +
             Attachment(1000) + "--b\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\nx\r\n" + big,
         true},
        {"an enclosed message only",
         mixed + "--b\r\nContent-Type: message/rfc822\r\n\r\nSubject: inner\r\n\r\ninner text\r\n" + big, false},
        {"twenty thousand header fields, the sender and subject last",
         LongText(1000000, "X-Filler: a field no preview reads") + "X-Folded: one\r\n two\r\nSubject: at last\r\n" + mixed +
             plain + big,
         true},
        {"a Content-Type folded past what is kept of a field before its boundary",
         [&] {
             std::string folded = "From: Ann <ann@example.com>\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n";
             folded += LongText(70000, " x-padding=\"all work and no play\";");
             return folded + " boundary=b\r\n\r\n" + plain + big;
         }(),
         true},
        {"a sender's name folded past what is kept of a field before the address",
         "From: \"Ann" + LongText(70000, " all work and no play") + " \" <ann@example.com>\r\n" + mixed.substr(mixed.find("Subject")) +
             plain + big,
         true},
        {"ten thousand small attachments and blank texts, then the text",
         [&] {
             std::string many = mixed;
             for (int i = 0; i < 5000; ++i)
                 many += "--b\r\nContent-Type: application/octet-stream\r\n\r\nxx\r\n--b\r\nContent-Type: text/plain\r\n\r\n \r\n";
             return many + plain + big;
         }(),
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TMimeMessage whole, streamed;
        Parse(whole, row.raw);
        TMemoryStream stream(row.raw);
        std::string preview;
        EXPECT_EQ(ReadPreviewFromStream(streamed, stream, preview), row.stops);
        EXPECT_EQ(stream.Position() < row.raw.rfind("POISON"), row.stops) << stream.Position();
        const std::string shown = BodyPreview(whole).substr(0, 32 * 1024);
        EXPECT_EQ(preview.substr(0, 32 * 1024), shown);
        EXPECT_EQ(BodyPreview(streamed).substr(0, 32 * 1024), shown);
        EXPECT_FALSE(shown.empty());
        EXPECT_EQ(MessageNames(streamed).Sender, MessageNames(whole).Sender);
        EXPECT_EQ(MessageNames(streamed).Subject, MessageNames(whole).Subject);
        // Of the header block only the fields a preview reads are kept, and
        // of many attachments only the first.
        const auto& lines = streamed.Headers.Lines();
        EXPECT_LE(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.empty() || (l[0] != ' ' && l[0] != '\t'); }), 8);
        EXPECT_LE(streamed.MessageParts.size(), 257u);
        // Of the texts, about as much as one text keeps at most.
        size_t kept = asciitext::JoinLines(streamed.Body).size();
        for (const auto& part : streamed.MessageParts)
            if (const auto* text = dynamic_cast<const TMimeTextPart*>(part.get())) kept += asciitext::JoinLines(text->Body).size();
        EXPECT_LE(kept, 600u * 1024);
        // An attachment read past is not decoded.
        for (const auto& part : streamed.MessageParts) {
            if (const auto* file = dynamic_cast<const TMimeAttachment*>(part.get())) {
                EXPECT_EQ(file->DecodedSize, 0u);
            }
        }
    }
}

// A line read past in an attachment is a boundary as the whole line is one:
// cut long lines with only blanks after the cut are, others are not.
TEST(MimeMessage_PreviewReading, LongLinesInAnAttachmentEndItAsWholeLinesWould) {
    const std::string head = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
                             "--b\r\nContent-Type: application/pdf\r\n\r\n" + std::string(40000, 'x') + "\r\n";
    const std::string text = "Content-Type: text/plain\r\n\r\nthe text\r\n--b--\r\n";
    for (const std::string& line :
         {"--b" + std::string(20000, ' '), "--b" + std::string(20000, ' ') + "x", "--b" + std::string(20000, ' ') + "\r"}) {
        TMimeMessage whole, streamed;
        Parse(whole, head + line + "\r\n" + text);
        TMemoryStream stream(head + line + "\r\n" + text);
        std::string preview;
        ReadPreviewFromStream(streamed, stream, preview);
        EXPECT_EQ(preview, BodyPreview(whole)) << line.size();
        EXPECT_EQ(streamed.MessageParts.size(), whole.MessageParts.size()) << line.size();
    }
}

const char kUuencoded[] =
    "From: someone\r\nSubject: file\r\n\r\n"
    "Here is the file.\r\n\r\n"
    "begin 644 hi.txt\r\n"
    "#:&D*\r\n"
    "`\r\n"
    "end\r\n"
    "Bye.\r\n";

TEST(MimeMessage_Uuencode, BlockInAPlainBodyBecomesAnAttachment) {
    TMimeMessage m;
    Parse(m, kUuencoded);
    ASSERT_EQ(m.MessageParts.size(), 1u);
    const TMimeAttachment* file = FilePart(m, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->FileName, "hi.txt");
    EXPECT_EQ(file->ContentTransfer, "UUE");
    EXPECT_EQ(m.Body, (Lines{"Here is the file.", "Bye."}));
    // The message's own text is still what the popup shows, also when it
    // says it is MIME and names no type.
    EXPECT_EQ(BodyPreview(m), "Here is the file.\r\nBye.\r\n");
    EXPECT_EQ(Preview(std::string("MIME-Version: 1.0\r\n") + kUuencoded), "Here is the file.\r\nBye.\r\n");
}

TEST(MimeMessage_Uuencode, UnknownAlphabetDropsTheAttachmentOnly) {
    TMimeMessage m;
    Parse(m, "Subject: x\r\n\r\ntext\r\nbegin 644 x.bin\r\n~~~~\r\nend\r\nafter\r\n");
    EXPECT_TRUE(m.MessageParts.empty());
    EXPECT_EQ(m.Body.front(), "text");
    EXPECT_EQ(m.Body.back(), "after");
}

TEST(MimeMessage_Parts, EncodedWordsInHeaderText) {
    EXPECT_EQ(DecodeEncodedWords("=?iso-8859-1?Q?R=E9union_=E0?= =?UTF-8?B?WsO8cmljaA==?= today"),
              u8"Réunion àZürich today");  // the blank between the two words goes
    // Raw 8-bit text is read in the charset given, else the system's code page.
    EXPECT_EQ(DecodeEncodedWords("\xF0\xD2\xC9\xD7\xC5\xD4 =?utf-8?B?zrE=?=", "koi8-r"), u8"Привет α");
    EXPECT_EQ(DecodeEncodedWords("Caf\xE9"), u8"Café");
    EXPECT_EQ(DecodeEncodedWords("Re: =?us-ascii?q?hello?= and =?x?Z?keep?="), "Re: hello and =?x?Z?keep?=");
    EXPECT_EQ(DecodeEncodedWords("=?broken"), "=?broken");
    TMimeMessage m;
    Parse(m, "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
             "Content-Type: application/octet-stream; name=\"=?utf-8?B?w6l0w6kucGRm?=\"\r\n\r\nx\r\n--b--\r\n");
    ASSERT_NE(FilePart(m, 0), nullptr);
    EXPECT_EQ(FilePart(m, 0)->FileName, "__t__.pdf");  // decoded, then every letter outside the set replaced
}

// The names the popup shows come from the message's own headers.
TEST(MimeMessage_Names, SenderAndSubjectFromTheHeadersAsUtf8) {
    struct {
        std::string Headers, Sender, Subject, Address;
    } const cases[] = {
        {"From: \"Doe, John\" <j@x.org>\r\nSubject: Hi", "Doe, John", "Hi", "j@x.org"},
        {"From: John Doe <j@x.org>", "John Doe", "", "j@x.org"},
        {"From: <j@x.org>", "j@x.org", "", "j@x.org"},
        {"From: j@x.org (John Doe)", "John Doe", "", "j@x.org"},
        {"From: j@x.org\r\nSubject:   ", "j@x.org", "", "j@x.org"},
        {"From: a@x.org, b@y.org", "a@x.org, b@y.org", "", "a@x.org"},
        {"From: \"A \\\"B\\\" C\" <a@b>", "A \"B\" C", "", "a@b"},
        {"From: =?koi8-r?B?78zYx8E=?= <o@x.ru>\r\nSubject: =?utf-8?Q?=CE=93=CE=B5=CE=B9=CE=B1?=", u8"Ольга", u8"Γεια",
         "o@x.ru"},
        // An address in another script is UTF-8, whatever else the header holds.
        {u8"From: =?utf-8?B?0J7Qu9GM0LPQsA==?= <ольга@пример.рф>", u8"Ольга", "", u8"ольга@пример.рф"},
        // Raw 8-bit bytes: the charset of the text, else the system's code page.
        {"From: \xEF\xCC\xD8\xC7\xC1 <o@x.ru>\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=koi8-r",
         u8"Ольга", "", "o@x.ru"},
        {"From: x@y\r\nSubject: \xF0\xD2\xC9\xD7\xC5\xD4\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain; charset=koi8-r\r\n\r\nx\r\n--b--",
         "x@y", u8"Привет", "x@y"},
        {"Subject: Caf\xE9 cr\xE8me", "", u8"Café crème", ""},
    };
    for (const auto& c : cases) {
        TMimeMessage m;
        Parse(m, c.Headers + "\r\n\r\nbody\r\n");
        const TMessageNames names = MessageNames(m);
        EXPECT_EQ(names.Sender, c.Sender) << c.Headers;
        EXPECT_EQ(names.Subject, c.Subject) << c.Headers;
        EXPECT_EQ(names.Address, c.Address) << c.Headers;
    }
}

}  // namespace
}  // namespace test
}  // namespace pellumo
