// The transfer decoders: the escapes, groups and counts each one reads, hostile
// lines, and round trips against small encoders written here from the
// published formats.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <typeinfo>

#include "content/TransferDecoders.h"

namespace pellumo {
namespace test {
namespace {

struct Case {
    std::string in, out;
};

std::string Decoded(TTransferDecoder& decoder, const std::vector<std::string>& pieces) {
    TMemoryStream out;
    for (const std::string& piece : pieces) decoder.Decode(piece, out);
    decoder.Finish(out);
    return out.Text();
}
template <class D>
std::string Decoded(const std::vector<std::string>& pieces) {
    D decoder;
    return Decoded(decoder, pieces);
}

std::string Bytes(size_t n, uint32_t seed) {  // varied bytes, every value likely
    std::string s;
    for (size_t i = 0; i < n; ++i) s += static_cast<char>((seed = seed * 1103515245u + 12345u) >> 23);
    return s;
}

// ---- independent encoders ------------------------------------------------
const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
const char kXx[] = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
const char kHqx[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

// Sextets of Bytes, the last one zero-padded; Fill pads the text to whole groups.
std::string Sextets(const std::string& bytes, const char* alphabet, bool fill) {
    std::string s;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = 0;
        for (size_t k = 0; k < 3; ++k) v = v << 8 | (i + k < bytes.size() ? uint8_t(bytes[i + k]) : 0);
        const size_t used = std::min<size_t>(bytes.size() - i, 3) + 1;  // characters that carry bits
        for (size_t k = 0; k < 4; ++k)
            if (k < used) s += alphabet[v >> (18 - 6 * k) & 63];
            else if (fill) s += '=';
    }
    return s;
}

std::vector<std::string> Base64Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < bytes.size(); i += 57) lines.push_back(Sextets(bytes.substr(i, 57), kB64, true));
    return lines;
}

std::vector<std::string> QpLines(const std::string& bytes) {  // binary: every line ends in a soft break
    std::vector<std::string> lines(1);
    for (unsigned char c : bytes) {
        char enc[4] = {char(c)};
        if (c < 32 || c > 126 || c == '=') std::snprintf(enc, sizeof enc, "=%02X", c);
        if (lines.back().size() + std::strlen(enc) > 75) lines.back() += '=', lines.emplace_back();
        lines.back() += enc;
    }
    lines.back() += '=';
    return lines;
}

std::vector<std::string> CountedLines(const std::string& bytes, const char* alphabet) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < bytes.size(); i += 45) {
        const std::string chunk = bytes.substr(i, 45);
        lines.push_back(alphabet[chunk.size()] + Sextets(chunk + std::string((3 - chunk.size() % 3) % 3, '\0'), alphabet, false));
    }
    return lines;
}
std::string kUu() {  // "`" for zero, as most encoders write it
    std::string a = "`";
    for (char c = '!'; c <= '_'; ++c) a += c;
    return a;
}

uint16_t Crc16(const std::string& bytes) {  // CCITT, as BinHex uses it
    uint16_t crc = 0;
    for (unsigned char b : bytes)
        for (int i = 7; i >= 0; --i) crc = uint16_t(crc << 1 ^ (((crc >> 15) ^ (b >> i)) & 1 ? 0x1021 : 0));
    return crc;
}
std::string Be(uint32_t v, int n) {
    std::string s;
    while (n--) s += char(v >> (8 * n));
    return s;
}
std::string WithCrc(const std::string& s) { return s + Be(Crc16(s), 2); }

std::string BinHex(const std::string& name, const std::string& data, const std::string& rsrc) {
    std::string raw = WithCrc(char(name.size()) + name + '\0' + "TEXTttxt" + Be(0x0100, 2) + Be(uint32_t(data.size()), 4) +
                              Be(uint32_t(rsrc.size()), 4)) + WithCrc(data) + WithCrc(rsrc);
    std::string packed;
    for (size_t i = 0, run; i < raw.size(); i += run) {
        for (run = 1; i + run < raw.size() && raw[i + run] == raw[i] && run < 255;) ++run;
        packed += raw[i] == '\x90' ? std::string("\x90\0", 2) : std::string(1, raw[i]);
        if (run > 2 || (run == 2 && raw[i] == '\x90')) packed += '\x90' + std::string(1, char(run));
        else if (run == 2) packed += raw[i];
    }
    const std::string encoded = ":" + Sextets(packed, kHqx, false) + ":";
    std::string text = "(This file must be converted with BinHex 4.0)";
    for (size_t i = 0; i < encoded.size(); i += 64) text += "\r\n" + encoded.substr(i, 64);
    return text;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t to; (to = text.find("\r\n", from)) != std::string::npos; from = to + 2)
        lines.push_back(text.substr(from, to - from));
    lines.push_back(text.substr(from));
    return lines;
}

// ---- tests -------------------------------------------------------------------

TEST(CreateContentDecoder, ChoosesByTransferEncoding) {
    const struct {
        std::string encoding;
        const std::type_info* kind;
    } cases[] = {{"base64", &typeid(TBase64Decoder)},       {"BASE64", &typeid(TBase64Decoder)},
                 {" base64\t", &typeid(TBase64Decoder)},    {"Quoted-Printable", &typeid(TQuotedPrintableDecoder)},
                 {"binhex40", &typeid(TBinHexDecoder)},  {"BinHex40", &typeid(TBinHexDecoder)},
                 {"", nullptr}, {"7bit", nullptr}, {"8bit", nullptr}, {"binary", nullptr}, {"x-uuencode", nullptr},
                 {"base64x", nullptr}, {"quoted", nullptr}};
    for (const auto& c : cases) {
        std::unique_ptr<TTransferDecoder> d = CreateContentDecoder(c.encoding);
        const TTransferDecoder* made = d.get();
        EXPECT_EQ(made ? &typeid(*made) : nullptr, c.kind) << c.encoding;
    }
}

TEST(TQuotedPrintableDecoder_Line, EscapesSoftBreaksAndTrailingBlanks) {
    const Case cases[] = {
        {"plain\r\n", "plain\r\n"},         {"=C3=A9\r\n", "\xC3\xA9\r\n"},  {"=c3=a9\r\n", "\xC3\xA9\r\n"},
        {"abc  \t\r\n", "abc\r\n"},         {"a \tb \r\n", "a \tb\r\n"},     {"=4x\r\n", "\x04x\r\n"},
        {"=A\r\n", "\x0A\r\n"},             {"=4", "\x04"},                  {"soft=\r\n", "soft"},
        {"soft =\r\n", "soft "},            {"soft=  \r\n", "soft"},         {"a=x\r\n", "ax\r\n"},
        {"=G1\r\n", "G1\r\n"},              {"==41\r\n", "A\r\n"},           {"a=", "a"},
        {"=\r\r\r\n", "\r\n"},              {"=\n\n", ""},                   {"", ""},
        {"\r\n", "\r\n"},                   {"  \r\n", "\r\n"},              {"end  ", "end"},
        {std::string("nul=00\0\r\n", 9), std::string("nul\0\0\r\n", 7)},
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded<TQuotedPrintableDecoder>({c.in}), c.out) << c.in;
}

TEST(TQuotedPrintableDecoder_Lines, SoftBreakJoinsLinesAndEncodedDataComesBack) {
    EXPECT_EQ(Decoded<TQuotedPrintableDecoder>({"abc=\r\n", "def\r\n"}), "abcdef\r\n");
    for (size_t n : {0, 1, 74, 75, 76, 300}) {
        std::vector<std::string> lines = QpLines(Bytes(n, uint32_t(n)));
        for (std::string& line : lines) line += "\r\n";
        EXPECT_EQ(Decoded<TQuotedPrintableDecoder>(lines), Bytes(n, uint32_t(n))) << n;
    }
}

TEST(TBase64Decoder_Line, GroupsOfFourAndFill) {
    const Case cases[] = {
        {"QUJD", "ABC"},     {"QUI=", "AB"},     {"QQ==", "A"},         {"QUJDRA==", "ABCD"},
        {"QUJDR", "ABC"},    {"QUJDRE", "ABC"},  {"QUJDREU", "ABC"},    {"QQ==QUJD", "A"},
        {"QUI=QUJD", "AB"},  {"QQ=x", "A"},      {"=QUJ", ""},          {"Q=JD", ""},
        {"", ""},            {"QU", ""},         {"////", "\xFF\xFF\xFF"},
        // Outside the alphabet: zero bits in their place, and decoding goes on.
        {"QU J", "A@\x09"},  {"\xFF\xFF\xFF\xFFQUJD", std::string("\0\0\0ABC", 6)},
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded<TBase64Decoder>({c.in}), c.out) << c.in;
    EXPECT_EQ(Decoded<TBase64Decoder>({"QUJ", "RA=="}), "D") << "leftovers are not carried to the next line";
    for (size_t n = 0; n < 120; n += 7) EXPECT_EQ(Decoded<TBase64Decoder>(Base64Lines(Bytes(n, 7))), Bytes(n, 7)) << n;
}

TEST(TUuDecoder_Line, CountGroupsAndShortOrLongLines) {
    const Case cases[] = {
        {"#0V%T", "Cat"},    {"#0V%Tjunk", "Cat"},  {"\"0V%T", "Ca"},        {"!0V%T", "C"},
        {"#0V", std::string("C`\0", 3)},     {"#", std::string(3, '\0')}, {"M", std::string(45, '\0')},
        {"`", ""},           {" ", ""},             {"", ""},                {"$0V%T", std::string("Cat\0", 4)},
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded<TUuDecoder>({c.in}), c.out) << c.in;
    // A count byte past the alphabet still gives at most 63 bytes.
    for (int c = 0; c < 256; ++c) EXPECT_LE(Decoded<TUuDecoder>({std::string(1, char(c)) + "!!"}).size(), 63u);
}

TEST(TXxDecoder_Line, CountGroupsAndStrayCharacters) {
    const Case cases[] = {
        {"1Eq3o", "Cat"}, {"0Eq3o", "Ca"}, {"-Eq3o", "C"}, {"+Eq3o", ""},  {"", ""},
        {"1Eq", std::string("C`\0", 3)},  {"1Eq3o!!", "Cat"},
        {"1E q3", "@\x0D\x85"},  // a stray character reads as "+", zero
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded<TXxDecoder>({c.in}), c.out) << c.in;
}

TEST(TUuDecoder_Lines, EncodedDataComesBackInBothAlphabets) {
    for (size_t n : {0, 1, 44, 45, 46, 200}) {
        EXPECT_EQ(Decoded<TUuDecoder>(CountedLines(Bytes(n, 3), kUu().c_str())), Bytes(n, 3)) << n;
        EXPECT_EQ(Decoded<TXxDecoder>(CountedLines(Bytes(n, 3), kXx)), Bytes(n, 3)) << n;
        // Trailing spaces (zero bits) lost in transit do not lose data.
        std::string space = kUu();
        space[0] = ' ';
        std::vector<std::string> lines = CountedLines(std::string(n, '\0') + "x", space.c_str());
        for (std::string& line : lines) line.erase(line.find_last_not_of(' ') + 1);
        EXPECT_EQ(Decoded<TUuDecoder>(lines), std::string(n, '\0') + "x") << n;
    }
}

TEST(TBinHexDecoder_File, WritesTheDataForkHoweverTheTextIsFed) {
    const std::string datas[] = {"", "x", "Hello, world\r\n", Bytes(5000, 9),
                                 std::string(600, 'a') + std::string(300, '\x90') + "\x90z\x90\x90" + std::string(2, '\0')};
    for (const std::string& data : datas) {
        const std::string text = BinHex("file.txt", data, "resource fork");
        std::vector<std::string> chars;
        for (char c : text) chars.push_back(std::string(1, c));
        EXPECT_EQ(Decoded<TBinHexDecoder>({text}), data);
        EXPECT_EQ(Decoded<TBinHexDecoder>(Split(text)), data);
        EXPECT_EQ(Decoded<TBinHexDecoder>(chars), data);
    }
}

TEST(TBinHexDecoder_File, StartEndAndDamage) {
    const std::string text = BinHex("a", "data fork", "rsrc");
    const size_t colon = text.find(':');
    const std::string body = text.substr(colon);
    const Case cases[] = {
        {"note: " + body, ""},                                // a colon inside a line does not start the data
        {"note: x\r\n  " + body, "data fork"},                // blanks before the starting colon
        {body.substr(0, body.size() - 1), "data fork"},       // no closing colon
        {body.substr(0, 10), ""},                             // cut inside the header
        {body.substr(0, 20) + "\x01~\x7F\xFF" + body.substr(20), "data fork"},  // stray characters skipped
        {":" + body, ""},                                     // closed before any data
        {"", ""},
        {":rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr", ""},    // header of garbage: length 0xFFFF... cut short
    };
    for (const Case& c : cases) EXPECT_EQ(Decoded<TBinHexDecoder>({c.in}), c.out) << c.in;
    EXPECT_EQ(Decoded<TBinHexDecoder>({body + "\r\n" + body}), "data fork") << "one file per part";
    // Declared data longer than the text: what is there comes out, nothing more.
    const std::string cut = BinHex("a", Bytes(3000, 1), "").substr(0, 2000);
    const std::string got = Decoded<TBinHexDecoder>({cut});
    EXPECT_FALSE(got.empty());
    EXPECT_EQ(got, Bytes(3000, 1).substr(0, got.size()));
}

}  // namespace
}  // namespace test
}  // namespace pellumo
