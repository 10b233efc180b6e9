// The charset converter. One table of vectors holds for both services: the
// iconv replacement natively and MLang in the Windows test program under
// Wine. The converter's own rules are pinned over a scripted service.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "content/CharsetConverter.h"
#include "platform/Exception.h"
#include "platform/MultiLanguage.h"

namespace pellumo {
namespace {

// Bytes of a literal, embedded zeros included.
#define BYTES(s) std::string(s, sizeof(s) - 1)

struct TVector {
    const char* Charset;  // as the message or part gives it
    std::string Input;
    std::string Expected;
    uint32_t CodePage;
    uint32_t Family;
    const char* WebCharset;
    // Windows knows it, but Wine's MLang lacks the name or the conversion.
    bool WineLacks;
};

std::ostream& operator<<(std::ostream& out, const TVector& v) { return out << '"' << v.Charset << '"'; }

const TVector kVectors[] = {
    // Latin-1: the C1 positions are the C1 controls.
    {"iso-8859-1", BYTES("Caf\xE9 cr\xE8me \xA9\xFF"), BYTES(u8"Café crème ©ÿ"), 28591, 1252, "iso-8859-1", false},
    {"ISO-8859-1", BYTES("na\xEFve\r\n"), BYTES(u8"naïve\r\n"), 28591, 1252, "iso-8859-1", false},
    {"iso-8859-1", BYTES("\x80\x81"), BYTES("\xC2\x80\xC2\x81"), 28591, 1252, "iso-8859-1", false},
    // The Windows code pages; an unused position is its C1 control.
    {"windows-1250", BYTES("\x8A\x9E\xFF"), BYTES(u8"Šž˙"), 1250, 1250, "windows-1250", false},
    {"windows-1251", BYTES("\xCF\xF0\xE8\xE2\xE5\xF2"), BYTES(u8"Привет"), 1251, 1251, "windows-1251", false},
    {"WINDOWS-1252", BYTES("\x80\x85\x99 \x81\x8D\x8F\x90\x9D"), BYTES(u8"€…™ \xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"), 1252, 1252,
     "windows-1252", false},
    {"windows-1253", BYTES("\xC1\xE8\xE7\xED\xDC"), BYTES(u8"Αθηνά"), 1253, 1253, "windows-1253", false},
    {"windows-1254", BYTES("\xD0\xDD\xDE"), BYTES(u8"ĞİŞ"), 1254, 1254, "windows-1254", false},
    {"windows-1255", BYTES("\xE0\xFA"), BYTES(u8"את"), 1255, 1255, "windows-1255", false},
    {"windows-1256", BYTES("\xC7\xE1"), BYTES(u8"ال"), 1256, 1256, "windows-1256", false},
    {"windows-1257", BYTES("\xD0\xF0"), BYTES(u8"Šš"), 1257, 1257, "windows-1257", false},
    {"windows-1258", BYTES("Vi\xEA\xF2t"), BYTES(u8"Viê\xCC\xA3t"), 1258, 1258, "windows-1258", false},
    // Other single-byte charsets.
    {"koi8-r", BYTES("\xF0\xD2\xC9\xD7\xC5\xD4"), BYTES(u8"Привет"), 20866, 1251, "koi8-r", false},
    {"KOI8-R", BYTES("\xE1\xC2\xD7"), BYTES(u8"Абв"), 20866, 1251, "koi8-r", false},
    {"koi8-u", BYTES("\xA4\xA6\xA7\xAD\xB4\xB6\xB7\xBD"), BYTES(u8"єіїґЄІЇҐ"), 21866, 1251, "koi8-u", false},
    {"iso-8859-2", BYTES("\xA9\xB9\xB1\xA1"), BYTES(u8"ŠšąĄ"), 28592, 1250, "iso-8859-2", false},
    {"iso-8859-3", BYTES("\xA9\xB9"), BYTES(u8"İı"), 28593, 1254, "iso-8859-3", false},
    {"iso-8859-4", BYTES("\xA1"), BYTES(u8"Ą"), 28594, 1257, "iso-8859-4", false},
    {"iso-8859-5", BYTES("\xBF\xE0\xD8"), BYTES(u8"При"), 28595, 1251, "iso-8859-5", false},
    {"iso-8859-6", BYTES("\xC7\xE4"), BYTES(u8"ال"), 28596, 1256, "iso-8859-6", false},
    {"iso-8859-7", BYTES("\xC1\xE2\xB5\xB6"), BYTES(u8"Αβ΅Ά"), 28597, 1253, "iso-8859-7", false},
    {"iso-8859-8", BYTES("\xE0\xFA"), BYTES(u8"את"), 28598, 1255, "iso-8859-8", false},
    {"iso-8859-9", BYTES("\xD0\xDD\xDE\xF0\xFD\xFE"), BYTES(u8"ĞİŞğış"), 28599, 1254, "iso-8859-9", false},
    {"iso-8859-13", BYTES("\xA1\xA5"), BYTES(u8"”„"), 28603, 1257, "iso-8859-13", false},
    {"iso-8859-15", BYTES("\xA4\xA6\xA8\xB4\xB8\xBC\xBD\xBE"), BYTES(u8"€ŠšŽžŒœŸ"), 28605, 1252,
     "iso-8859-15", false},
    // 8-bit bytes in text labelled US-ASCII are read in the system's ANSI
    // code page (1252 here), where Windows would drop their high bit.
    {"us-ascii", BYTES("Caf\xE9 \x80"), BYTES(u8"Café €"), 20127, 1252, "us-ascii", false},
    {"ascii", BYTES("plain"), BYTES("plain"), 20127, 1252, "us-ascii", false},
    // Unicode forms.
    {"utf-8", BYTES("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xE2\x80\x94"), BYTES(u8"Grüße € —"), 65001, 1200,
     "utf-8", false},
    {"utf-8", BYTES("\xD0\x9F\xD1\x80\xD0\xB8 \xE6\xBC\xA2 \xF0\x9F\x98\x80!"), BYTES(u8"При 漢 😀!"), 65001, 1200, "utf-8", false},
    {"UTF-8", BYTES("\xC3\xA9t\xC3\xA9\r\n"), BYTES(u8"été\r\n"), 65001, 1200, "utf-8", false},
    {"utf-8", "", "", 65001, 1200, "utf-8", false},
    {"utf-7", BYTES("A+AOk-"), BYTES(u8"Aé"), 65000, 1200, "utf-7", false},
    {"UTF-7", BYTES("+AKM-1 +BB8EQAQ4-"), BYTES(u8"£1 При"), 65000, 1200, "utf-7", false},
    {"unicode", BYTES("A\0\xE9\0\x3A\x04"), BYTES(u8"Aéк"), 1200, 1200, "unicode", false},
    // Japanese; the escape sequences of ISO-2022-JP take no room.
    {"iso-2022-jp", BYTES("\x1B$B$\"$$\x1B(B ok\r\n"), BYTES(u8"あい ok\r\n"), 50220, 932, "iso-2022-jp", false},
    {"ISO-2022-JP", BYTES("\x1B$BA!-!\x1B(B"), BYTES(u8"繊①"), 50220, 932, "iso-2022-jp", false},
    {"shift_jis", BYTES("\x82\xA0\x82\xA2\x83\x41"), BYTES(u8"あいア"), 932, 932, "shift_jis", false},
    {"SHIFT_JIS", BYTES("abc\x88\x9F"), BYTES(u8"abc亜"), 932, 932, "shift_jis", false},
    {"euc-jp", BYTES("\xA4\xA2\xA4\xA4\x8E\xB1"), BYTES(u8"あいｱ"), 51932, 932, "euc-jp", false},
    {"EUC-JP", BYTES("x\xB0\xA1"), BYTES(u8"x亜"), 51932, 932, "euc-jp", false},
    // Chinese and Korean.
    {"gb2312", BYTES("\xC4\xE3\xBA\xC3"), BYTES(u8"你好"), 936, 936, "gb2312", false},
    {"GBK", BYTES("\x81\x40"), BYTES(u8"丂"), 936, 936, "gb2312", false},
    {"big5", BYTES("\xA7\x41\xA6\x6E"), BYTES(u8"你好"), 950, 950, "big5", false},
    {"BIG5", BYTES("\xA4\xA4\xA4\xE5"), BYTES(u8"中文"), 950, 950, "big5", false},
    {"ks_c_5601-1987", BYTES("\xBE\xC8\xB3\xE7"), BYTES(u8"안녕"), 949, 949, "ks_c_5601-1987", false},
    {"KS_C_5601-1987", BYTES("\xC7\xD1"), BYTES(u8"한"), 949, 949, "ks_c_5601-1987", false},
    // No charset, or one nobody knows: read in the system's ANSI code page (1252 here).
    {"", BYTES("caf\xE9\x80"), BYTES(u8"café€"), 0, 0, "", false},
    {"x-unknown", BYTES("\xE9\x80\0z"), BYTES(u8"é€\0z"), 0, 0, "", false},
    {"iso-8859-1 ", BYTES("\xE9"), BYTES(u8"é"), 0, 0, "", false},
    // Known to Windows, not to Wine.
    {"euc-kr", BYTES("\xBE\xC8\xB3\xE7"), BYTES(u8"안녕"), 51949, 949, "euc-kr", true},
    {"EUC-KR", BYTES("\xC7\xD1"), BYTES(u8"한"), 51949, 949, "euc-kr", true},
    {"latin1", BYTES("\xE9"), BYTES(u8"é"), 28591, 1252, "iso-8859-1", true},
    {"x-sjis", BYTES("\x82\xA0"), BYTES(u8"あ"), 932, 932, "shift_jis", true},
    {"iso-8859-8-i", BYTES("\xE0\xFA"), BYTES(u8"את"), 38598, 1255, "iso-8859-8-i", true},
    {"windows-874", BYTES("\xA1\xE0"), BYTES(u8"กเ"), 874, 874, "windows-874", true},
    {"unicodeFFFE", BYTES("\0A\0\xE9"), BYTES(u8"Aé"), 1201, 1200, "unicodeFFFE", true},
    {"GB18030", BYTES("\xC4\xE3"), BYTES(u8"你"), 54936, 936, "GB18030", true},
    // Not a Windows code page at all: only the replacement has it.
    {"iso-8859-10", BYTES("\xA1\xB1\xC5"), BYTES(u8"ĄąÅ"), 28600, 1252, "iso-8859-10", true},
};

#ifdef _WIN32
const bool kMLang = true;
#else
const bool kMLang = false;
#endif

class TCharsetConverter_Vectors : public ::testing::TestWithParam<TVector> {};

TEST_P(TCharsetConverter_Vectors, ConvertsToUtf8) {
    const TVector& v = GetParam();
    TCharsetConverter converter(v.Charset);
    if (kMLang && v.WineLacks && converter.CodePage() == 0) GTEST_SKIP() << "this MLang does not know " << v.Charset;
    EXPECT_EQ(converter.CodePage(), v.CodePage);
    EXPECT_EQ(converter.FamilyCodePage(), v.Family);
    EXPECT_EQ(converter.Charset(), v.WebCharset);
    if ((v.CodePage == 0 || v.CodePage == 20127) && CreateMultiLanguageService()->SystemCodePage() != 1252)
        GTEST_SKIP() << "the expectations are for an ANSI code page of 1252";
    std::string output;
    try {
        output = converter.Decode(v.Input);
    } catch (const EAssertionFailed&) {
        if (kMLang && v.WineLacks) GTEST_SKIP() << "this MLang cannot convert from " << v.Charset;
        throw;
    }
    EXPECT_EQ(output, v.Expected);
}

std::string VectorName(const ::testing::TestParamInfo<TVector>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* p = info.param.Charset; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Charsets, TCharsetConverter_Vectors, ::testing::ValuesIn(kVectors), VectorName);

// ---- the service itself, where both sides agree

TEST(MultiLanguageService_Tables, CharsetNamesInAnyCaseGiveTheirInternetCodePage) {
    struct {
        const char* Name;
        uint32_t Family;
        uint32_t InternetEncoding;
    } const cases[] = {
        {"us-ascii", 1252, 20127}, {"ISO-8859-2", 1250, 28592}, {"Koi8-U", 1251, 21866}, {"utf-8", 1200, 65001},
        {"csISO2022JP", 932, 50221}, {"gbk", 936, 936},          {"Big5", 950, 950},
    };
    std::unique_ptr<IMultiLanguageService> service = CreateMultiLanguageService();
    ASSERT_TRUE(service);
    for (const auto& c : cases) {
        TCharsetInfo info;
        ASSERT_TRUE(service->GetCharsetInfo(c.Name, info)) << c.Name;
        EXPECT_EQ(info.CodePage, c.Family) << c.Name;
        EXPECT_EQ(info.InternetEncoding, c.InternetEncoding) << c.Name;
    }
    for (const char* unknown : {"", "utf8", "iso-8859-1 ", " utf-8", "windows-9999"}) {
        TCharsetInfo info;
        info.InternetEncoding = 77;
        EXPECT_FALSE(service->GetCharsetInfo(unknown, info)) << unknown;
        EXPECT_EQ(info.InternetEncoding, 77u) << unknown;
    }
}

TEST(MultiLanguageService_Tables, CodePageRecords) {
    std::unique_ptr<IMultiLanguageService> service = CreateMultiLanguageService();
    TCodePageInfo info;
    ASSERT_TRUE(service->GetCodePageInfo(1252, info));
    EXPECT_EQ(info.WebCharset, "windows-1252");
    EXPECT_EQ(info.BodyCharset, "iso-8859-1");
    ASSERT_TRUE(service->GetCodePageInfo(932, info));
    EXPECT_EQ(info.FamilyCodePage, 932u);
    EXPECT_EQ(info.WebCharset, "shift_jis");
    EXPECT_EQ(info.HeaderCharset, "iso-2022-jp");
    ASSERT_TRUE(service->GetCodePageInfo(50221, info));
    EXPECT_EQ(info.WebCharset, "csISO2022JP");
    EXPECT_EQ(info.BodyCharset, "iso-2022-jp");
    TCodePageInfo untouched;
    untouched.CodePage = 5;
    EXPECT_FALSE(service->GetCodePageInfo(12345, untouched));
    EXPECT_EQ(untouched.CodePage, 5u);
}

TEST(MultiLanguageService_Convert, ToAnyCodePageWithinTheRoomGiven) {
    struct {
        uint32_t From, To;
        std::string Input;
        size_t Room;
        bool Succeeds;
        std::string Output;
    } const cases[] = {
        {65001, 1200, BYTES("A\xC3\xA9"), 16, true, BYTES("A\0\xE9\0")},  // UTF-16 bytes: why the converter avoids it
        {65001, 1200, BYTES("A\xC3\xA9"), 3, false, ""},
        {1200, 1252, BYTES("A\0B"), 16, true, "A"},                       // a last odd byte is dropped
        {932, 1252, BYTES("A\x82\xA0"), 16, true, "A?"},
        {28591, 1252, "abc", 3, true, "abc"},                              // exactly enough room
        {65001, 1252, BYTES("\xC3\xA9\xC3\xA9"), 1, false, ""},
        {0, 0, BYTES("x\xE9\x81"), 3, true, BYTES("x\xE9\x81")},
        {28591, 1252, "", 0, true, ""},
    };
    std::unique_ptr<IMultiLanguageService> service = CreateMultiLanguageService();
    for (const auto& c : cases) {
        std::string destination(c.Room + 1, '#');
        size_t size = c.Room;
        const bool ok = service->ConvertString(c.From, c.To, c.Input.data(), c.Input.size(), &destination[0], size);
        EXPECT_EQ(ok, c.Succeeds) << c.From << " to " << c.To;
        if (ok) {
            EXPECT_EQ(destination.substr(0, size), c.Output) << c.From << " to " << c.To;
        }
        EXPECT_EQ(destination[c.Room], '#') << "wrote past the room, " << c.From << " to " << c.To;
    }
}

// ---- the converter's own rules, over a scripted service

struct TServiceLog {
    std::vector<std::string> CharsetLookups;
    std::vector<uint32_t> CodePageLookups;
    uint32_t From = 0, To = 0;
    size_t Room = 0;
    int Conversions = 0;
};

class TScriptedService : public IMultiLanguageService {
public:
    explicit TScriptedService(std::shared_ptr<TServiceLog> log) : log_(std::move(log)) {}

    std::map<std::string, TCharsetInfo> Charsets;
    std::map<uint32_t, TCodePageInfo> CodePages;
    bool ConvertSucceeds = true;
    std::string Output = "out";
    size_t ReportedExtra = 0;  // claims to have written more than it did
    uint32_t SystemPage = 874;

    bool GetCharsetInfo(const std::string& name, TCharsetInfo& info) override {
        log_->CharsetLookups.push_back(name);
        auto found = Charsets.find(name);
        if (found == Charsets.end()) return false;
        info = found->second;
        return true;
    }
    bool GetCodePageInfo(uint32_t codePage, TCodePageInfo& info) override {
        log_->CodePageLookups.push_back(codePage);
        auto found = CodePages.find(codePage);
        if (found == CodePages.end()) return false;
        info = found->second;
        return true;
    }
    bool ConvertString(uint32_t from, uint32_t to, const char*, size_t, char* destination, size_t& size) override {
        ++log_->Conversions;
        log_->From = from;
        log_->To = to;
        log_->Room = size;
        if (!ConvertSucceeds || Output.size() > size) return false;
        std::memset(destination, '#', size);  // whatever lies after the written bytes must not show
        std::memcpy(destination, Output.data(), Output.size());
        size = Output.size() + ReportedExtra;
        return true;
    }
    uint32_t SystemCodePage() override { return SystemPage; }

private:
    std::shared_ptr<TServiceLog> log_;
};

TCodePageInfo Record(uint32_t codePage, uint32_t family, const char* web) {
    TCodePageInfo info;
    info.CodePage = codePage;
    info.FamilyCodePage = family;
    info.WebCharset = web;
    return info;
}

// A scripted service and a way to hand it to a converter while the test
// keeps looking at it.
struct TScripted {
    std::shared_ptr<TServiceLog> Log = std::make_shared<TServiceLog>();
    std::unique_ptr<TScriptedService> Owned{new TScriptedService(Log)};
    TScriptedService* Service = Owned.get();
    TScripted() {
        TCharsetInfo latin;
        latin.CodePage = 1252;  // the family: the record must come from the Internet encoding instead
        latin.InternetEncoding = 28591;
        Service->Charsets["ISO-8859-1"] = latin;
        Service->Charsets["iso-8859-1"] = latin;
        Service->CodePages[28591] = Record(28591, 1252, "iso-8859-1");
        TCharsetInfo orphan;
        orphan.InternetEncoding = 4242;  // a charset whose code page has no record
        Service->Charsets["orphan"] = orphan;
    }
    TCharsetConverter Make(const std::string& charset) {
        return TCharsetConverter(std::unique_ptr<IMultiLanguageService>(Owned.release()), charset);
    }
};

TEST(TCharsetConverter_Charset, AFreshConverterIsAllZeroAndAnEmptyNameAsksNothing) {
    TScripted s;
    TCharsetConverter converter = s.Make("");
    EXPECT_EQ(converter.CodePage(), 0u);
    EXPECT_EQ(converter.FamilyCodePage(), 0u);
    EXPECT_EQ(converter.Charset(), "");
    EXPECT_TRUE(s.Log->CharsetLookups.empty());
}

TEST(TCharsetConverter_Charset, TheRecordComesFromTheInternetEncoding) {
    TScripted s;
    TCharsetConverter converter = s.Make("ISO-8859-1");
    EXPECT_EQ(s.Log->CodePageLookups, std::vector<uint32_t>{28591});
    EXPECT_EQ(converter.CodePage(), 28591u);
    EXPECT_EQ(converter.FamilyCodePage(), 1252u);
    EXPECT_EQ(converter.Charset(), "iso-8859-1");
}

TEST(TCharsetConverter_Charset, OnlyTheExactCurrentNameIsSkipped) {
    TScripted s;
    TCharsetConverter converter = s.Make("iso-8859-1");
    converter.SetCharset("iso-8859-1");
    EXPECT_EQ(s.Log->CharsetLookups, std::vector<std::string>{"iso-8859-1"});
    converter.SetCharset("ISO-8859-1");  // the comparison heeds letter case
    EXPECT_EQ(s.Log->CharsetLookups, (std::vector<std::string>{"iso-8859-1", "ISO-8859-1"}));
}

TEST(TCharsetConverter_Charset, FailedLookupsKeepTheRecord) {
    TScripted s;
    TCharsetConverter converter = s.Make("iso-8859-1");
    converter.SetCharset("x-unknown");  // an unknown name
    EXPECT_EQ(converter.CodePage(), 28591u);
    converter.SetCharset("orphan");  // a known name whose code page has no record: not checked, nothing thrown
    EXPECT_EQ(s.Log->CodePageLookups.back(), 4242u);
    EXPECT_EQ(converter.CodePage(), 28591u);
    EXPECT_EQ(converter.Charset(), "iso-8859-1");
}

// Text of ASCII bytes alone is its own UTF-8 in every code page that reads
// those bytes as ASCII, and is not handed to the service; in the others
// (UTF-7, UTF-16, ISO-2022-JP, EBCDIC) it is converted like any text.
TEST(TCharsetConverter_Decode, IntoUtf8FromTheCodePageOrTheSystemsWithoutOne) {
    struct {
        uint32_t CodePage, ExpectedFrom;
        bool AsciiConverted;
    } const cases[] = {{28591, 28591, false}, {20866, 20866, false}, {50220, 50220, true}, {65001, 65001, false},
                       {65000, 65000, true},  {1200, 1200, true},    {37, 37, true},       {0, 874, false}};
    for (const auto& c : cases) {
        for (const std::string& input : {std::string("ab\xE9"), BYTES("a\0b~\x7F")}) {
            TScripted s;
            s.Service->Charsets["x"].InternetEncoding = c.CodePage;
            s.Service->CodePages[c.CodePage] = Record(c.CodePage, 1252, "x-web");
            TCharsetConverter converter = s.Make(c.CodePage ? "x" : "");
            const bool converted = input[2] == '\xE9' || c.AsciiConverted;
            EXPECT_EQ(converter.Decode(input), converted ? "out" : input) << c.CodePage;
            EXPECT_EQ(s.Log->Conversions, converted ? 1 : 0) << c.CodePage;
            if (!converted) continue;
            EXPECT_EQ(s.Log->From, c.ExpectedFrom);
            EXPECT_EQ(s.Log->To, 65001u);
        }
    }
}

// The service itself reads every ASCII byte as itself in each code page the
// converter passes such text over for (natively and MLang under Wine).
TEST(MultiLanguageService_Convert, AsciiBytesAreThemselvesWhereTheConverterSkipsThem) {
    std::string ascii;
    for (int byte = 0; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
    std::unique_ptr<IMultiLanguageService> service = CreateMultiLanguageService();
    size_t converted = 0;
    for (uint32_t codePage = 0; codePage <= 0xFFFF; ++codePage) {
        if (!ReadsAsciiAsItself(codePage)) continue;
        std::string out(4 * ascii.size(), '\0');
        size_t size = out.size();
        if (!service->ConvertString(codePage, 65001, ascii.data(), ascii.size(), &out[0], size)) {
            if (kMLang) continue;  // a code page this MLang lacks
            ADD_FAILURE() << codePage;
        }
        ++converted;
        EXPECT_EQ(out.substr(0, size), ascii) << codePage;
    }
    EXPECT_GE(converted, 30u);
}

// Whatever the service gives back, the text is UTF-8: a sequence that is no
// character becomes "?", the rest is kept.
TEST(TCharsetConverter_Decode, ABrokenResultIsRepaired) {
    const std::pair<std::string, std::string> cases[] = {
        {u8"caf\u00e9", u8"caf\u00e9"}, {"A\xFF" "B", "A?B"}, {"\xC3", "?"}, {"\xE2\x82" "x", "?x"},
        {"\xED\xA0\x80", "???"}, {"\xC0\xAF", "??"}, {u8"\U0001F600", u8"\U0001F600"},
    };
    for (const auto& c : cases) {
        TScripted s;
        s.Service->Output = c.first;
        EXPECT_EQ(s.Make("iso-8859-1").Decode("ab\xE9"), c.second) << c.first;
    }
}

TEST(TCharsetConverter_Decode, RoomForTheWorstCaseAndTheResultCutToWhatWasWritten) {
    for (const std::string& input : {std::string("\xE9"), std::string("a\xE9"), std::string(1000, '\xE9')}) {
        TScripted s;
        s.Service->Output = input.size() == 1 ? "" : "xy";  // fewer bytes than the source
        TCharsetConverter converter = s.Make("iso-8859-1");
        EXPECT_EQ(converter.Decode(input), s.Service->Output);
        EXPECT_EQ(s.Log->Conversions, 1);
        EXPECT_GE(s.Log->Room, 3 * input.size()) << input.size();
    }
}

// "<text> (CharsetConverter.cpp, line <number>)".
bool ThrownHere(const std::string& text, const std::string& message) {
    const std::string head = text + " (CharsetConverter.cpp, line ";
    if (message.compare(0, head.size(), head) != 0 || message.size() < head.size() + 2 || message.back() != ')')
        return false;
    for (size_t i = head.size(); i + 1 < message.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(message[i]))) return false;
    return true;
}

TEST(TCharsetConverter_Failure, MessagesCarryTheSourcePosition) {
    try {
        TCharsetConverter converter(std::unique_ptr<IMultiLanguageService>(), "utf-8");
        ADD_FAILURE() << "a missing service was not reported";
    } catch (const EAssertionFailed& e) {
        EXPECT_TRUE(ThrownHere("Failed to create the Multilanguage class instance", e.Message())) << e.Message();
    }
    for (int extra : {0, 1}) {
        TScripted s;
        s.Service->ConvertSucceeds = extra != 0;  // either a failure or a claim beyond the room
        s.Service->ReportedExtra = extra ? 1000 : 0;
        TCharsetConverter converter = s.Make("iso-8859-1");
        try {
            converter.Decode("ab\xE9");
            ADD_FAILURE() << "a failed conversion was not reported";
        } catch (const EAssertionFailed& e) {
            EXPECT_TRUE(ThrownHere("Couldn't convert the string", e.Message())) << e.Message();
        }
    }
}

#ifndef _WIN32
// Broken text in the replacement: a sequence that is not a character becomes
// "?" and the rest is kept. Windows differs here and is not held to this:
// it reads a broken Shift_JIS or EUC-JP character as a katakana middle dot,
// and Wine's MLang fails outright on ISO-2022-JP or UTF-7 cut off inside a
// character, and ignores the half-width katakana escape.
TEST(MultiLanguageReplacement_BrokenText, BecomesQuestionMarksAndTheRestIsKept) {
    struct {
        const char* Charset;
        std::string Input, Expected;
    } const cases[] = {
        {"shift_jis", BYTES("A\x82"), "A?"},
        {"shift_jis", BYTES("\xFF" "A\x82\xA0"), u8"?Aあ"},
        {"euc-jp", BYTES("\x8F\xB0\xA1x"), "?x"},
        {"euc-jp", BYTES("\xA4" "A"), "?A"},
        {"iso-2022-jp", BYTES("\x1B$BA"), "?"},
        {"iso-2022-jp", BYTES("\x1B$B\xE9$\"\x1B(B"), u8"?あ"},
        {"iso-2022-jp", BYTES("\x1B(I1\x1B(B1"), u8"ｱ1"},
        {"iso-2022-jp", BYTES("\x0E" "1\x0F" "1"), u8"ｱ1"},
        {"iso-2022-jp", BYTES("\x1B$(DB!\x1B(Bz"), "?z"},
        {"utf-7", BYTES("+AOk\x80x"), u8"é?x"},
        {"utf-8", BYTES("\xE2\x82"), "?"},
        {"utf-8", BYTES("A\xFF" "B\xC3"), "A?B?"},  // Windows: U+FFFD for each
        {"gb2312", BYTES("\xC4"), "?"},
        {"ks_c_5601-1987", BYTES("\xA2\xE8"), "?"},  // an undefined pair iconv steps over itself
        {"ks_c_5601-1987", BYTES("x\xA2\xE8" "A\xFF" "B"), "x?A?B"},
        {"unicode", BYTES("\x00\xD8" "A\0"), "?A"},
    };
    for (const auto& c : cases) EXPECT_EQ(TCharsetConverter(c.Charset).Decode(c.Input), c.Expected) << c.Charset;
}
#endif

}  // namespace
}  // namespace pellumo
