// Transfer decoders. Each one reads only inside the piece it is given and
// carries across pieces no more than its encoding needs, so a short, overlong
// or hostile line costs at most a bounded amount of output and never a read
// outside its text.
#include "content/TransferDecoders.h"

#include <cstdint>

namespace pellumo {
namespace {

void Put(TStream& dest, const std::string& bytes) {
    if (!bytes.empty()) dest.Write(bytes.data(), bytes.size());
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// A 256-entry map from character to 6-bit value; Missing marks characters
// outside the alphabet.
struct SixBitTable {
    static const int8_t kMissing = -1;
    int8_t value[256];
    explicit SixBitTable(const char* alphabet) {
        for (int8_t& v : value) v = kMissing;
        for (int i = 0; alphabet[i]; ++i) value[static_cast<uint8_t>(alphabet[i])] = static_cast<int8_t>(i);
    }
    int operator[](char c) const { return value[static_cast<uint8_t>(c)]; }
};

const SixBitTable& Base64Table() {
    static const SixBitTable table("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/");
    return table;
}

const SixBitTable& XxTable() {
    static const SixBitTable table("+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return table;
}

const SixBitTable& BinHexTable() {
    static const SixBitTable table("!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr");
    return table;
}

// uuencode maps every character: its code minus 32, taken modulo 64, so that
// both space and "`" stand for zero.
int UuValue(char c) { return (static_cast<uint8_t>(c) - 0x20) & 0x3F; }

int XxValue(char c) {
    const int v = XxTable()[c];
    return v < 0 ? 0 : v;
}

// One uuencoded or xxencoded line: the first character gives the byte count,
// every four characters after it give three bytes. Characters the line lacks
// for its count read as zero, because mail transports strip the trailing
// spaces that uuencode uses for zero bits; characters beyond the count are
// ignored (some encoders add a check character there).
void DecodeCountedLine(const std::string& line, int (*value)(char), TStream& dest) {
    if (line.empty()) return;
    const size_t count = static_cast<size_t>(value(line[0]));
    std::string out;
    out.reserve(count);
    for (size_t at = 1; out.size() < count; at += 4) {
        uint32_t group = 0;
        for (size_t k = 0; k < 4; ++k)
            group = group << 6 | static_cast<uint32_t>(at + k < line.size() ? value(line[at + k]) : 0);
        for (int shift = 16; shift >= 0 && out.size() < count; shift -= 8)
            out += static_cast<char>(group >> shift & 0xFF);
    }
    Put(dest, out);
}

}  // namespace

// ---------------------------------------------------------------------------
// Quoted-printable. Each piece is decoded by itself: the reader hands over
// whole lines with their line end, so no escape can span two pieces. A piece
// without a line end is treated as if its end were one.

void TQuotedPrintableDecoder::Decode(const std::string& text, TStream& dest) {
    size_t lineEnd = text.size();
    while (lineEnd > 0 && IsLineEnd(text[lineEnd - 1])) --lineEnd;
    size_t contentEnd = lineEnd;
    while (contentEnd > 0 && (text[contentEnd - 1] == ' ' || text[contentEnd - 1] == '\t')) --contentEnd;
    const std::string line = text.substr(0, contentEnd) + text.substr(lineEnd);

    std::string out;
    out.reserve(line.size());
    const size_t n = line.size();
    for (size_t i = 0; i < n;) {
        if (line[i] != '=') {
            out += line[i++];
            continue;
        }
        ++i;
        const int high = i < n ? HexValue(line[i]) : -1;
        if (high >= 0) {
            const int low = i + 1 < n ? HexValue(line[i + 1]) : -1;
            if (low >= 0) {
                out += static_cast<char>(high << 4 | low);
                i += 2;
            } else {
                out += static_cast<char>(high);  // a lone digit stands for its own value
                i += 1;
            }
        } else {
            // Soft line break; any other character after the "=" is left to
            // the loop, so it is kept (or, if it is "=", starts an escape).
            for (int skipped = 0; skipped < 2 && i < n && IsLineEnd(line[i]); ++skipped) ++i;
        }
    }
    Put(dest, out);
}

// ---------------------------------------------------------------------------
// Base64, a line at a time; leftovers after the last whole group are dropped,
// not carried to the next line. A character outside the alphabet counts as
// zero bits in its group. A fill character in the first or second place of a
// group means the data has ended: the group gives nothing and ends the line.

void TBase64Decoder::Decode(const std::string& text, TStream& dest) {
    const SixBitTable& table = Base64Table();
    auto bits = [&](char c) -> uint32_t {
        const int v = table[c];
        return v < 0 ? 0u : static_cast<uint32_t>(v);
    };
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (size_t at = 0; at + 4 <= text.size(); at += 4) {
        const char* g = text.data() + at;
        if (g[0] == '=' || g[1] == '=') break;
        const uint32_t group = bits(g[0]) << 18 | bits(g[1]) << 12 | bits(g[2]) << 6 | bits(g[3]);
        out += static_cast<char>(group >> 16 & 0xFF);
        if (g[2] == '=') break;
        out += static_cast<char>(group >> 8 & 0xFF);
        if (g[3] == '=') break;
        out += static_cast<char>(group & 0xFF);
    }
    Put(dest, out);
}

// ---------------------------------------------------------------------------
// uuencode and xxencode: one data line per piece; the block reader deals with
// "begin", "end" and the choice of alphabet.

void TUuDecoder::Decode(const std::string& text, TStream& dest) { DecodeCountedLine(text, UuValue, dest); }

void TXxDecoder::Decode(const std::string& text, TStream& dest) { DecodeCountedLine(text, XxValue, dest); }

// ---------------------------------------------------------------------------
// BinHex 4.0, decoded as a stream so that it works the same whether it is fed
// the collected text at once, line by line or in any other pieces:
//   text  -> 6-bit characters between a ":" that starts a line and the next ":"
//         -> bytes -> run-length expansion (0x90 n repeats the previous byte
//            to n in all; 0x90 0 is a literal 0x90)
//         -> header (name length, name, version, type, creator, flags,
//            data length, resource length, CRC), then the data fork.
// Only the data fork is written. CRCs and the resource fork are not checked:
// the data is never read back, and a damaged file should still give what it
// holds. Characters outside the alphabet inside the data are skipped.

struct TBinHexDecoder::State {
    enum Phase { kSeekStart, kText, kDone };
    enum Stage { kHeader, kDataFork, kRest };

    Phase phase = kSeekStart;
    bool lineStart = true;
    uint32_t bits = 0;
    int bitCount = 0;
    bool marker = false;  // a 0x90 waits for its count
    uint8_t last = 0;     // the byte a run repeats
    Stage stage = kHeader;
    std::string header;
    size_t headerSize = 0;  // known once the name length is read
    uint32_t dataLeft = 0;
    std::string out;

    static const size_t kFlushSize = 64 * 1024;

    void Flush(TStream& dest) {
        Put(dest, out);
        out.clear();
    }

    // One byte after run-length expansion.
    void Emit(uint8_t b, TStream& dest) {
        last = b;
        switch (stage) {
        case kHeader:
            header += static_cast<char>(b);
            // length byte, name, version 1, type 4, creator 4, flags 2,
            // data length 4, resource length 4, CRC 2
            if (header.size() == 1) headerSize = 1 + b + 1 + 4 + 4 + 2 + 4 + 4 + 2;
            if (header.size() == headerSize) {
                const size_t at = 1 + static_cast<uint8_t>(header[0]) + 1 + 4 + 4 + 2;
                dataLeft = 0;
                for (size_t k = 0; k < 4; ++k) dataLeft = dataLeft << 8 | static_cast<uint8_t>(header[at + k]);
                stage = dataLeft ? kDataFork : kRest;
            }
            break;
        case kDataFork:
            out += static_cast<char>(b);
            if (out.size() >= kFlushSize) Flush(dest);
            if (--dataLeft == 0) stage = kRest;
            break;
        case kRest:
            break;
        }
    }

    // One byte before run-length expansion.
    void Packed(uint8_t b, TStream& dest) {
        if (marker) {
            marker = false;
            if (b == 0) {
                Emit(0x90, dest);
            } else {
                const uint8_t repeated = last;
                for (int k = 1; k < b && stage != kRest; ++k) Emit(repeated, dest);
            }
        } else if (b == 0x90) {
            marker = true;
        } else {
            Emit(b, dest);
        }
        if (stage == kRest) phase = kDone;  // nothing after the data fork is wanted
    }

    void Character(char c, TStream& dest) {
        switch (phase) {
        case kSeekStart:
            if (c == ':' && lineStart)
                phase = kText;
            else if (IsLineEnd(c))
                lineStart = true;
            else if (c != ' ' && c != '\t')
                lineStart = false;
            break;
        case kText: {
            if (c == ':') {
                phase = kDone;
                break;
            }
            const int v = BinHexTable()[c];
            if (v < 0) break;  // line ends, blanks and stray characters
            bits = bits << 6 | static_cast<uint32_t>(v);
            bitCount += 6;
            if (bitCount >= 8) {
                bitCount -= 8;
                Packed(static_cast<uint8_t>(bits >> bitCount & 0xFF), dest);
                bits &= (1u << bitCount) - 1;
            }
            break;
        }
        case kDone:
            break;
        }
    }
};

TBinHexDecoder::TBinHexDecoder() : state_(new State) {}

TBinHexDecoder::~TBinHexDecoder() = default;

void TBinHexDecoder::Decode(const std::string& text, TStream& dest) {
    State& s = *state_;
    s.lineStart = true;  // pieces are lines, or the whole text
    for (size_t i = 0; i < text.size() && s.phase != State::kDone; ++i) s.Character(text[i], dest);
    s.Flush(dest);
}

void TBinHexDecoder::Finish(TStream& dest) {
    // Bits short of a whole byte at the end are padding; all bytes are out.
    state_->Flush(dest);
}

// ---------------------------------------------------------------------------

std::unique_ptr<TTransferDecoder> CreateContentDecoder(const std::string& transferEncoding) {
    // Blanks around the value are not part of it (RFC 2045 allows them).
    size_t first = 0, last = transferEncoding.size();
    while (first < last && static_cast<uint8_t>(transferEncoding[first]) <= 32) ++first;
    while (last > first && static_cast<uint8_t>(transferEncoding[last - 1]) <= 32) --last;
    std::string name = transferEncoding.substr(first, last - first);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (name == "base64") return std::unique_ptr<TTransferDecoder>(new TBase64Decoder);
    if (name == "quoted-printable") return std::unique_ptr<TTransferDecoder>(new TQuotedPrintableDecoder);
    if (name == "binhex40") return std::unique_ptr<TTransferDecoder>(new TBinHexDecoder);
    return nullptr;
}

}  // namespace pellumo
