#include "content/MimePartReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "content/CharsetConverter.h"
#include "content/KeptText.h"
#include "content/TransferDecoders.h"
#include "platform/AsciiText.h"

namespace pellumo {

using namespace asciitext;

namespace {

const char kFileNameCharacters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz1234567890^&'@{}[],$=!-#()%.+~_";

// "Name: value" as a "Name=value" entry: blanks around the colon go (some
// writers put none after it, a few put some before it); the value itself is
// kept as written, a " =" in a boundary included. A line without a colon is
// kept whole.
std::string ToEntry(const std::string& line) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return line;
    size_t nameEnd = colon;
    while (nameEnd > 0 && (line[nameEnd - 1] == ' ' || line[nameEnd - 1] == '\t')) --nameEnd;
    size_t valueStart = colon + 1;
    while (valueStart < line.size() && (line[valueStart] == ' ' || line[valueStart] == '\t')) ++valueStart;
    return line.substr(0, nameEnd) + "=" + line.substr(valueStart);
}

// A quoted parameter value is the text between its quotes; otherwise up to ";".
std::string ParameterValue(const std::string& rest) {
    if (!rest.empty() && rest[0] == '"') {
        const size_t close = rest.find('"', 1);
        return rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return rest.substr(0, rest.find(';'));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A "Name=value" entry's name; empty for an entry without "=" (a line that
// was no field), which no name finds.
std::string EntryName(const std::string& entry) {
    const size_t eq = entry.find('=');
    return eq == std::string::npos ? std::string() : entry.substr(0, eq);
}

// The fields a part is read by (what TPartReader::Header is asked for).
bool IsFieldRead(const std::string& entry) {
    const std::string name = EntryName(entry);
    for (const char* read : {"Content-Type", "Content-Transfer-Encoding", "Content-Disposition"})
        if (EqualsI(name, read)) return true;
    return false;
}

// The first entry of that name, or null.
const std::string* EntryNamed(const TStringList& entries, const std::string& name) {
    for (const std::string& entry : entries) {
        const std::string entryName = EntryName(entry);
        if (!entryName.empty() && EqualsI(entryName, name)) return &entry;
    }
    return nullptr;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool SameLetter(char x, char y) { return AsciiUpper(x) == AsciiUpper(y); }

// Nothing but blanks from At on.
bool BlanksFrom(const std::string& line, size_t at) {
    for (; at < line.size(); ++at)
        if (!IsBlank(line[at])) return false;
    return true;
}

// "Name:", blanks allowed before the colon as the old syntax allows; the name
// is printable ASCII without a colon.
bool IsFieldLine(const std::string& line) {
    size_t at = 0;
    while (at < line.size() && line[at] > ' ' && line[at] < 127 && line[at] != ':') ++at;
    if (at == 0) return false;
    while (at < line.size() && IsBlank(line[at])) ++at;
    return at < line.size() && line[at] == ':';
}

// A field line or the fold of one (a blank, then text).
bool ContinuesHeader(const std::string& line) {
    if (!line.empty() && IsBlank(line[0])) return !BlanksFrom(line, 1);
    return IsFieldLine(line);
}

}  // namespace

THeaderLine ReadHeaderLine(TLineReader& lines, std::string& line, bool limited) {
    if (!lines.ReadLn(line, limited)) return HeaderStreamEnd;
    if (line.empty()) return HeaderEnd;
    if (ContinuesHeader(line)) return HeaderField;
    // A line of blanks, or one that is no field. When fields go on right after
    // it, it is a broken line inside the block (a fold of blanks, a mangled
    // field, an envelope "From " line), kept as one; otherwise the body starts
    // after a line of blanks, or with the other line. A boundary is never part
    // of a header block.
    std::string next;
    const bool more = lines.ReadLn(next, limited);
    if (more && line.compare(0, 2, "--") != 0 && ContinuesHeader(next)) {
        lines.PutBack(std::move(next));
        return HeaderField;
    }
    if (more) lines.PutBack(std::move(next));
    if (!BlanksFrom(line, 0)) lines.PutBack(line);
    return HeaderEnd;
}

TBoundaryLine BoundaryLineOf(const std::string& line, const std::string& boundary) {
    const size_t end = boundary.size() + 2;
    if (line.size() < end || line[0] != '-' || line[1] != '-' ||
        !std::equal(boundary.begin(), boundary.end(), line.begin() + 2, SameLetter))
        return NotABoundary;
    // Blanks after either delimiter are transport padding; anything else makes
    // it a longer line that only starts with the boundary.
    if (BlanksFrom(line, end)) return PartDelimiter;
    if (line.compare(end, 2, "--") == 0 && BlanksFrom(line, end + 2)) return CloseDelimiter;
    return NotABoundary;
}

namespace {

// A piece of header text outside encoded words: 8-bit bytes in it are read in
// RawCharset (the system's code page when empty); plain ASCII is kept as it is.
std::string RawHeaderText(const std::string& text, const std::string& rawCharset) {
    return IsAscii(text) ? text : TCharsetConverter(rawCharset).Decode(text);
}

}  // namespace

std::string DecodeEncodedWords(const std::string& text, const std::string& rawCharset) {
    std::string out;
    size_t at = 0;
    bool afterWord = false;  // blanks between two encoded words are dropped
    while (at < text.size()) {
        const size_t start = text.find("=?", at);
        if (start == std::string::npos) break;
        const size_t q1 = text.find('?', start + 2);
        const size_t q2 = q1 == std::string::npos ? q1 : text.find('?', q1 + 1);
        const size_t end = q2 == std::string::npos ? q2 : text.find("?=", q2 + 1);
        const char kind = q1 == std::string::npos || q1 + 1 >= text.size()
                              ? '\0'
                              : static_cast<char>(std::toupper(static_cast<unsigned char>(text[q1 + 1])));
        if (end == std::string::npos || q2 != q1 + 2 || (kind != 'B' && kind != 'Q')) {
            out += RawHeaderText(text.substr(at, start + 2 - at), rawCharset);
            at = start + 2;
            afterWord = false;
            continue;
        }
        const std::string between = text.substr(at, start - at);
        if (!(afterWord && Trim(between).empty())) out += RawHeaderText(between, rawCharset);
        std::string payload = text.substr(q2 + 1, end - q2 - 1);
        TMemoryStream bytes;
        if (kind == 'B') {
            TBase64Decoder().Decode(payload, bytes);
        } else {
            for (char& c : payload)
                if (c == '_') c = ' ';
            TQuotedPrintableDecoder().Decode(payload, bytes);
        }
        std::string charset = text.substr(start + 2, q1 - start - 2);
        charset = charset.substr(0, charset.find('*'));  // a language suffix is not part of the name
        out += TCharsetConverter(charset).Decode(bytes.Text());
        at = end + 2;
        afterWord = true;
    }
    return out + RawHeaderText(text.substr(at), rawCharset);
}

TPartReader::TPartReader(TMimeMessage& message, TLineReader& lines)
    : message_(message), lines_(lines) {
    const std::string& te = message.ContentTransferEncoding;
    BodyEncoded = !te.empty() && !EqualsI(te, "8bit") && !EqualsI(te, "7bit") && !EqualsI(te, "binary");
}

std::string TPartReader::Header(const std::string& name) const {
    const std::string* entry = EntryNamed(Headers, name);
    return entry ? entry->substr(entry->find('=') + 1) : std::string();
}

std::string ExtractBoundary(const std::string& contentType) {
    const std::string upper = UpperCase(contentType);
    const size_t at = upper.find("BOUNDARY");
    if (at == std::string::npos) return std::string();
    std::string rest = Trim(upper.substr(at + 8));
    if (!rest.empty() && rest[0] == '=') rest = Trim(rest.substr(1));
    if (!rest.empty() && rest[0] == '"') {
        const size_t close = rest.find('"', 1);
        return rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    // An unquoted boundary ends at the next parameter: taking the rest of the
    // value would make a boundary no line ever matches.
    return Trim(rest.substr(0, rest.find(';')));
}

std::string ExtractCharSet(const std::string& value) {
    const size_t at = FindI(value, "CHARSET=");
    return at == std::string::npos ? std::string() : ParameterValue(value.substr(at + 8));
}

TPartType PartTypeOf(const std::string& contentType, const std::string& disposition,
                                     std::string& fileName) {
    const size_t semicolon = disposition.find(';');
    const std::string dispositionType = Trim(disposition.substr(0, semicolon));
    const std::string rest = semicolon == std::string::npos ? std::string() : disposition.substr(semicolon + 1);
    std::string name;
    size_t at = FindI(rest, "FILENAME=");
    if (at != std::string::npos) {
        name = rest.substr(at + 9);
    } else if ((at = FindI(contentType, "NAME=")) != std::string::npos) {
        name = contentType.substr(at + 5);
    }
    name = DecodeEncodedWords(ParameterValue(Trim(name)));
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    for (char& c : name)
        if (c == '\0' || !std::strchr(kFileNameCharacters, c)) c = '_';
    fileName = name;
    if (EqualsI(dispositionType, "attachment") || !fileName.empty()) return PartAttachment;
    // No type is text/plain (RFC 2045), and "text" without a subtype is how
    // some writers say it. A message enclosed inline is kept like text: it
    // may hold the only text there is to show.
    const std::string type = Trim(contentType.substr(0, contentType.find(';')));
    const bool text = StartsWithI(contentType, "text/") || EqualsI(type, "text") || type.empty();
    if (text || StartsWithI(contentType, "multipart/") || EqualsI(type, "message/rfc822")) return PartText;
    return PartAttachment;
}

// MIME parts.

TMimePartReader::TMimePartReader(TMimeMessage& message, TLineReader& lines)
    : TPartReader(message, lines) {
    MIMEBoundary = message.MIMEBoundary.Boundary();
}

TMimePartReader::TMimePartReader(TMimeMessage& message, TLineReader& lines,
                                             const std::string& firstLine)
    : TMimePartReader(message, lines) {
    FirstLine = firstLine;
    ProcessFirstLine = true;
}

const char* const TMimePartReader::kMessageFieldsTaken[5] = {
    "Content-Type", "Content-Transfer-Encoding", "Content-Disposition", "Content-ID", "Content-Location"};

void TMimePartReader::TakeMessageHeaders() {
    Headers.clear();
    for (const char* name : kMessageFieldsTaken) {
        if (message_.Headers.Has(name)) Headers.push_back(std::string(name) + "=" + message_.Headers.Values(name));
    }
}

void TMimePartReader::ReadHeader() {
    if (BodyEncoded) {
        TakeMessageHeaders();
        PartType = PartTypeOf(message_.ContentType, message_.ContentDisposition, FileName);
        return;
    }
    // Of the fields only those a part is read by are kept, the first of
    // each name, and of each no more than kKeptFieldBytes: a header block of
    // any size costs no more memory than that.
    std::string line;
    bool anyField = false, keeping = false;
    for (;;) {
        const THeaderLine kind = ReadHeaderLine(lines_, line, true);
        if (kind == HeaderStreamEnd) {
            PartType = PartUnknown;  // the message ended inside the part headers
            return;
        }
        if (kind == HeaderEnd) break;
        const bool fold = line[0] == ' ' || line[0] == '\t';
        if (fold && anyField) {
            if (keeping && Headers.back().size() < kKeptFieldBytes) Headers.back() += " " + line.substr(1);
            continue;
        }
        anyField = true;
        std::string entry = ToEntry(fold ? line.substr(1) : line);
        keeping = IsFieldRead(entry) && !EntryNamed(Headers, EntryName(entry));
        if (keeping) Headers.push_back(std::move(entry));
    }
    const std::string contentType = Header("Content-Type");
    if (StartsWithI(contentType, "multipart/") && message_.MIMEBoundary.Count() < kMaxContainerNesting) {
        OpensContainer = true;
        const std::string boundary = ExtractBoundary(contentType);
        const int parent = static_cast<int>(message_.MessageParts.size());
        if (boundary.empty()) {
            message_.MIMEBoundary.Push(message_.MIMEBoundary.Boundary(), parent);
        } else {
            message_.MIMEBoundary.Push(boundary, parent);
            MIMEBoundary = boundary;
        }
    }
    PartType = PartTypeOf(contentType, Header("Content-Disposition"), FileName);
}

std::unique_ptr<TPartReader> TMimePartReader::ReadBody(TStream& dest, bool& messageEnd) {
    // Trimmed once for every use below: a blank after the name must not
    // pick the decoder by one name and the line handling by another.
    std::string te = Trim(BodyEncoded ? message_.ContentTransferEncoding : Header("Content-Transfer-Encoding"));
    if (te.empty() && StartsWithI(Header("Content-Type"), "application/mac-binhex40")) te = "binhex40";
    std::unique_ptr<TTransferDecoder> decoder = SkipData ? nullptr : CreateContentDecoder(te);
    const bool binary = EqualsI(te, "binary");
    // Lines passed over are cut like a text's: a line cut with more than
    // blanks after the cut is no boundary, which tells every line as a whole
    // line would be told, for any boundary that fits well within the cut.
    const bool limited = CutLongLines || (SkipData && MIMEBoundary.size() + 4 < TLineReader::kMaxLineLength);
    const bool base64 = EqualsI(te, "base64");
    const bool quotedPrintable = EqualsI(te, "quoted-printable");
    std::unique_ptr<TPartReader> next;
    bool firstContent = true;
    std::string line;
    messageEnd = false;
    for (;;) {
        bool cutOff = false;
        if (ProcessFirstLine) {
            line = FirstLine;
            ProcessFirstLine = false;
        } else if (!lines_.ReadLn(line, limited, binary)) {
            messageEnd = true;
            break;
        } else {
            cutOff = SkipData && lines_.CutOffText();
        }
        if (!MIMEBoundary.empty() && !cutOff) {
            const TBoundaryLine boundary = BoundaryLineOf(line, MIMEBoundary);
            if (boundary == PartDelimiter) {
                next.reset(new TMimePartReader(message_, lines_));
                break;
            }
            if (boundary == CloseDelimiter) {
                message_.MIMEBoundary.Pop();
                break;
            }
        }
        if (SkipData) continue;
        if (decoder) {
            if (quotedPrintable)
                decoder->Decode(line + "\r\n", dest);
            else if (!base64 || !line.empty())
                decoder->Decode(line, dest);
        } else if (binary && !MIMEBoundary.empty()) {
            if (!firstContent) dest.Write("\r\n", 2);
            dest.Write(line.data(), line.size());
        } else {
            line += "\r\n";
            dest.Write(line.data(), line.size());
        }
        if (!decoder) firstContent = false;
        if (Enough && Enough()) {
            // What is held back stays out: the text ends where it was judged.
            Stopped = true;
            return nullptr;
        }
    }
    if (decoder) decoder->Finish(dest);
    return next;
}

// Uuencoded blocks.

TUuencodedPartReader::TUuencodedPartReader(TMimeMessage& message, TLineReader& lines,
                                           const std::string& fileName)
    : TPartReader(message, lines) {
    FileName = fileName;
    PartType = PartAttachment;
}

std::unique_ptr<TPartReader> TUuencodedPartReader::ReadBody(TStream& dest, bool& messageEnd) {
    messageEnd = false;
    std::unique_ptr<TTransferDecoder> decoder;
    char fill = '`';
    std::string line;
    for (;;) {
        // A block without its "end" line ends with the message.
        if (!lines_.ReadLn(line, false)) {
            messageEnd = true;
            break;
        }
        if (EqualsI(Trim(line), "end")) break;
        if (!decoder) {
            const char first = line.empty() ? '\0' : line[0];
            if (first >= ' ' && first <= 'U') {
                decoder.reset(new TUuDecoder);
                TransferEncoding = "UUE";
            } else if (first == 'h') {
                decoder.reset(new TXxDecoder);
                TransferEncoding = "XXE";
                fill = '+';
            } else {
                throw EMimeError("Unrecognized UUE encoding scheme.");
            }
        }
        if (line.empty() || line == std::string(1, fill)) continue;
        decoder->Decode(line, dest);
    }
    if (decoder) decoder->Finish(dest);
    return nullptr;
}

// Detectors.

std::unique_ptr<TPartReader> DetectPart(TMimeMessage& message, TLineReader& lines,
                                              const std::string& line) {
    if (message.MIMEBoundary.Count() > 0) {
        if (BoundaryLineOf(line, message.MIMEBoundary.Boundary()) == PartDelimiter)
            return std::unique_ptr<TPartReader>(new TMimePartReader(message, lines));
        const std::string& te = message.ContentTransferEncoding;
        if (EqualsI(te, "base64") || EqualsI(te, "quoted-printable"))
            return std::unique_ptr<TPartReader>(new TMimePartReader(message, lines, line));
    }
    // "begin NNN name": a three-digit positive number and a space.
    if (line.size() >= 10 && StartsWithI(line, "begin ") && line[9] == ' ') {
        const std::string digits = line.substr(6, 3);
        bool number = true;
        for (char c : digits) number = number && c >= '0' && c <= '9';
        if (number && std::stoi(digits) > 0)
            return std::unique_ptr<TPartReader>(new TUuencodedPartReader(message, lines, line.substr(10)));
    }
    return nullptr;
}

}  // namespace pellumo
