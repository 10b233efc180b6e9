#include "content/MimeMessage.h"

#include <algorithm>
#include <utility>

#include "content/CharsetConverter.h"
#include "content/MimePartReader.h"
#include "content/AsciiText.h"
#include "content/HtmlToText.h"
#include "platform/Log.h"

namespace pellumo {

using namespace asciitext;

// Header list.

std::string THeaderList::Values(const std::string& name) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (line.size() <= name.size() || line[name.size()] != ':' || !StartsWithI(line, name)) continue;
        // The value goes on in every following line that begins with a blank.
        std::string value = Trim(line.substr(name.size() + 1));
        for (size_t j = i + 1; j < lines_.size() && !lines_[j].empty() && (lines_[j][0] == ' ' || lines_[j][0] == '\t');
             ++j) {
            const std::string piece = Trim(lines_[j]);
            value += value.empty() || piece.empty() ? piece : " " + piece;
        }
        return Trim(value);
    }
    return std::string();
}

bool THeaderList::Has(const std::string& name) const {
    for (const auto& line : lines_)
        if (line.size() > name.size() && line[name.size()] == ':' && StartsWithI(line, name)) return true;
    return false;
}

void TMimeMessage::Clear() {
    Headers.Clear();
    ContentType.clear();
    CharSet.clear();
    ContentTransferEncoding.clear();
    ContentDisposition.clear();
    Encoding = EncodingDefault;
    Body.clear();
    MessageParts.clear();
    MIMEBoundary.Clear();
}

std::string TMimeMessage::DecodedBodyText() const {
    return TCharsetConverter(CharSet).Decode(JoinLines(Body));
}

std::string DecodedBody(const TMimeTextPart& part) {
    return TCharsetConverter(part.CharSet).Decode(JoinLines(part.Body));
}

// Reading.

namespace {

bool IsContainer(const std::string& contentType) { return StartsWithI(contentType, "multipart/"); }

// What is kept of one text: far more than any preview shows, and no more, so
// that a huge text costs no more memory than this.
const uint64_t kKeptTextBytes = 512 * 1024;

// Counts what is written and keeps none of it.
class TDiscardedData : public TStream {
public:
    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void*, size_t count) override {
        written_ += count;
        return count;
    }
    void Seek(uint64_t) override {}
    uint64_t Position() const override { return written_; }
    uint64_t Size() const override { return written_; }

private:
    uint64_t written_ = 0;
};

// Keeps the first kKeptTextBytes written and passes over the rest.
class TKeptText : public TMemoryStream {
public:
    size_t Write(const void* buffer, size_t count) override {
        const uint64_t room = Position() < kKeptTextBytes ? kKeptTextBytes - Position() : 0;
        TMemoryStream::Write(buffer, static_cast<size_t>(std::min<uint64_t>(count, room)));
        return count;
    }
};

class MessageReader {
public:
    MessageReader(TMimeMessage& message, TStream& stream) : m_(message), lines_(stream) {}

    void Read() {
        m_.Clear();
        const bool hasBody = ReadHeaderBlock();
        DeriveFields();
        if (!hasBody) return;
        const bool plain = m_.Encoding == EncodingPlainText;
        const bool encoded = EqualsI(m_.ContentTransferEncoding, "base64") ||
                             EqualsI(m_.ContentTransferEncoding, "quoted-printable");
        // Without a Content-Type a MIME message is plain text, read as one
        // without MIME: a uuencoded file in it becomes a part of its own.
        const bool untyped = !plain && !m_.Headers.Has("Content-Type");
        if ((m_.Encoding == EncodingMime && m_.MIMEBoundary.Count() > 0) || ((plain || untyped) && !encoded))
            LineLoop();
        else
            SinglePart();
    }

private:
    // False when the message ends inside its header block.
    bool ReadHeaderBlock() {
        std::string line;
        for (THeaderLine kind; (kind = ReadHeaderLine(lines_, line, true)) != HeaderEnd;) {
            if (kind == HeaderStreamEnd) return false;
            m_.Headers.Add(line);
        }
        return true;
    }

    void DeriveFields() {
        const std::string contentType = m_.Headers.Values("Content-Type");
        m_.ContentType = Trim(contentType.substr(0, contentType.find(';')));
        if (m_.ContentType.empty()) m_.ContentType = "text/plain";
        const std::string upper = UpperCase(contentType);
        const size_t at = upper.find("CHARSET=");
        m_.CharSet.clear();
        if (at != std::string::npos) {
            const std::string rest = upper.substr(at + 8);
            if (!rest.empty() && rest[0] == '"') {
                const size_t close = rest.find('"', 1);
                m_.CharSet = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            } else {
                m_.CharSet = rest.substr(0, rest.find(';'));
            }
        }
        // A multipart body is never encoded as a whole (its parts are): an
        // encoding declared on it would make the preamble the message.
        m_.ContentTransferEncoding =
            IsContainer(m_.ContentType) ? std::string() : m_.Headers.Values("Content-Transfer-Encoding");
        m_.ContentDisposition = m_.Headers.Values("Content-Disposition");
        const std::string boundary = ExtractBoundary(contentType);
        if (!boundary.empty()) m_.MIMEBoundary.Push(boundary, -1);
        m_.Encoding = m_.Headers.Values("MIME-Version").empty() ? EncodingPlainText : EncodingMime;
    }

    void LineLoop() {
        std::string line;
        uint64_t bodyBytes = 0;
        bool messageEnd = false;
        while (!messageEnd) {
            if (!lines_.ReadLn(line, true)) break;
            std::unique_ptr<TPartReader> reader = DetectPart(m_, lines_, line);
            if (!reader) {
                // Read on past the kept text: a uuencoded file may still follow.
                if (bodyBytes < kKeptTextBytes) m_.Body.push_back(line);
                bodyBytes += line.size() + 2;
                continue;
            }
            DropTrailingEmptyLine(m_.Body);
            while (reader) {
                reader->ReadHeader();
                if (reader->PartType == PartUnknown) throw EMimeError("Unknown Message Part Type.");
                reader = reader->PartType == PartText ? ReadText(*reader, messageEnd)
                                                      : ReadAttachment(*reader, messageEnd);
            }
        }
        DropTrailingEmptyLine(m_.Body);
    }

    void SinglePart() {
        TMimePartReader reader(m_, lines_);
        reader.TakeMessageHeaders();
        reader.PartType = PartTypeOf(m_.ContentType, m_.ContentDisposition, reader.FileName);
        bool messageEnd = false;
        if (reader.PartType == PartText) {
            reader.CutLongLines = true;
            TKeptText text;
            reader.ReadBody(text, messageEnd);
            m_.Body = SplitLines(text.Text());
        } else {
            ReadAttachment(reader, messageEnd);
        }
    }

    // The parent part of the part being read: the one recorded with the
    // boundary it was read under (for a multipart container, the one before
    // the boundary it has just pushed).
    int ParentOf(const std::string& contentType) const {
        return m_.MIMEBoundary.ParentPart(IsContainer(contentType) ? 1 : 0);
    }

    void FillPart(TMimePart& part, const TPartReader& reader, int parent) {
        const std::string contentType = reader.Header("Content-Type");
        const std::string transfer = reader.Header("Content-Transfer-Encoding");
        part.ParentPart = parent;
        part.ContentType = Trim(contentType.substr(0, contentType.find(';')));
        if (part.ContentType.empty() && m_.Encoding == EncodingMime) {
            // A part of a digest, the message itself or a part of it, is a
            // message unless it says otherwise (RFC 2046).
            std::string container = m_.ContentType;
            if (parent >= 0)
                container = static_cast<size_t>(parent) < m_.MessageParts.size() ? ParentContentType(parent) : "";
            const bool digest = FindI(container, "multipart/digest") != std::string::npos;
            part.ContentType = digest ? "message/rfc822" : "text/plain";
        }
        part.Headers.Add("Content-Type: " + contentType);
        part.Headers.Add("Content-Transfer-Encoding: " + transfer);
        part.CharSet = ExtractCharSet(contentType);
        part.ContentTransfer = transfer;
    }

    std::string ParentContentType(int parent) const {
        const TMimePart& p = *m_.MessageParts[parent];
        for (const auto& line : p.Headers.Lines())
            if (StartsWithI(line, "Content-Type: ")) return line.substr(14);
        return p.ContentType;
    }

    std::unique_ptr<TPartReader> ReadText(TPartReader& reader, bool& messageEnd) {
        const int parent = ParentOf(reader.Header("Content-Type"));
        reader.CutLongLines = true;
        TKeptText text;
        std::unique_ptr<TPartReader> next = reader.ReadBody(text, messageEnd);
        std::unique_ptr<TMimeTextPart> part(new TMimeTextPart);
        FillPart(*part, reader, parent);
        part->Body = SplitLines(text.Text());
        DropTrailingEmptyLine(part->Body);
        m_.MessageParts.push_back(std::move(part));
        return next;
    }

    std::unique_ptr<TPartReader> ReadAttachment(TPartReader& reader, bool& messageEnd) {
        const int parent = ParentOf(reader.Header("Content-Type"));
        std::unique_ptr<TMimeAttachment> part(new TMimeAttachment);
        FillPart(*part, reader, parent);
        part->FileName = reader.FileName;
        if (StartsWithI(reader.Header("Content-Type"), "application/mac-binhex40")) part->ContentTransfer = "binhex40";
        TDiscardedData data;
        std::unique_ptr<TPartReader> next;
        try {
            next = reader.ReadBody(data, messageEnd);
        } catch (const Exception& error) {
            // An attachment that cannot be decoded is left out: the text
            // before it is still the preview.
            LogLine("An attachment left out: " + error.Message());
            return nullptr;
        }
        if (!reader.TransferEncoding.empty()) part->ContentTransfer = reader.TransferEncoding;
        part->DecodedSize = data.Position();
        m_.MessageParts.push_back(std::move(part));
        return next;
    }

    static void DropTrailingEmptyLine(TStringList& lines) {
        if (!lines.empty() && lines.back().empty()) lines.pop_back();
    }

    TMimeMessage& m_;
    TLineReader lines_;
};

}  // namespace

void ReadFromStream(TMimeMessage& message, TStream& stream) {
    MessageReader(message, stream).Read();
}

namespace {

bool IsHtml(const std::string& contentType) { return FindI(contentType, "html") != std::string::npos; }

bool IsEnclosedMessage(const std::string& contentType) { return EqualsI(contentType, "message/rfc822"); }

// Containers and enclosed messages nest no deeper than this in any message
// worth previewing.
const int kMaxPreviewDepth = 32;

bool IsBlankText(const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

// Line breaks and tabs are the only control characters a preview keeps:
// every other one, NUL included, and DEL become a space, so that none cuts
// the text short or runs two words together.
std::string WithoutControls(std::string text) {
    for (char& c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\r' && byte != '\n' && byte != '\t') || byte == 0x7F) c = ' ';
    }
    return text;
}

std::string ReadableText(const std::string& contentType, std::string decoded) {
    return WithoutControls(IsHtml(contentType) ? HtmlToText(decoded) : std::move(decoded));
}

std::string SelectedPreview(const TMimeMessage& message, int depth);

// The preview of a message enclosed in another, chosen as for any message.
// One its reader gives up on still shows the text read before that.
std::string EnclosedPreview(const TStringList& lines, int depth) {
    if (depth > kMaxPreviewDepth) return std::string();
    TMemoryStream stream(JoinLines(lines));
    TMimeMessage message;
    try {
        ReadFromStream(message, stream);
    } catch (const EMimeError& error) {
        LogLine("An enclosed message read in part: " + error.Message());
    }
    return SelectedPreview(message, depth);
}

std::string ContainerPreview(const TMimeMessage& message, int container, const std::string& type, int depth,
                             bool enclosed);

// The preview text part Index yields: a text part its text, a container what
// it holds, an enclosed message its own preview when Enclosed is set;
// attachments and attached messages yield nothing.
std::string PartPreview(const TMimeMessage& message, size_t index, int depth, bool enclosed) {
    const auto* text = dynamic_cast<const TMimeTextPart*>(message.MessageParts[index].get());
    if (!text) return std::string();
    if (IsContainer(text->ContentType))
        return ContainerPreview(message, static_cast<int>(index), text->ContentType, depth + 1, enclosed);
    if (IsEnclosedMessage(text->ContentType)) return enclosed ? EnclosedPreview(text->Body, depth + 1) : std::string();
    return ReadableText(text->ContentType, DecodedBody(*text));
}

// The preview of what a container holds, chosen as a reader of the mail
// would: of alternatives the plain text, else the HTML; otherwise the first
// part that yields text (in a related group or a signed message that is the
// root or the signed content, unless it holds no text at all). Blank text is
// no text: the next part that has some is taken.
std::string ContainerPreview(const TMimeMessage& message, int container, const std::string& type, int depth,
                             bool enclosed) {
    if (depth > kMaxPreviewDepth) return std::string();
    std::vector<size_t> children;
    // A part lies after its container, so no walk comes back round.
    for (size_t i = container < 0 ? 0 : static_cast<size_t>(container) + 1; i < message.MessageParts.size(); ++i)
        if (message.MessageParts[i]->ParentPart == container) children.push_back(i);
    if (StartsWithI(type, "multipart/alternative")) {
        for (const char* wanted : {"text/plain", "text/html"}) {
            for (size_t child : children) {
                if (!StartsWithI(message.MessageParts[child]->ContentType, wanted)) continue;
                std::string text = PartPreview(message, child, depth, enclosed);
                if (!IsBlankText(text)) return text;
            }
        }
    }
    for (size_t child : children) {
        std::string text = PartPreview(message, child, depth, enclosed);
        if (!IsBlankText(text)) return text;
    }
    return std::string();
}

// What the message's own text yields, and with Enclosed set, what the
// messages enclosed in it inline yield too.
std::string MessagePreview(const TMimeMessage& message, int depth, bool enclosed) {
    if (!message.MessageParts.empty()) {
        if (IsContainer(message.ContentType))
            return ContainerPreview(message, -1, message.ContentType, depth, enclosed);
        // A message whose only parts are uuencoded files still has its own
        // text in Body; a single-part MIME attachment shows nothing.
        if (message.Encoding != EncodingPlainText && message.Headers.Has("Content-Type")) return std::string();
    }
    if (IsEnclosedMessage(message.ContentType)) return enclosed ? EnclosedPreview(message.Body, depth + 1) : std::string();
    return ReadableText(message.ContentType, message.DecodedBodyText());
}

// A message's own text first; only without any does a message enclosed in
// it inline (or the whole of it) supply the preview.
std::string SelectedPreview(const TMimeMessage& message, int depth) {
    std::string own = MessagePreview(message, depth, false);
    if (!IsBlankText(own)) return own;
    std::string enclosed = MessagePreview(message, depth, true);
    return IsBlankText(enclosed) ? own : enclosed;
}

}  // namespace

std::string BodyPreview(const TMimeMessage& message) { return SelectedPreview(message, 0); }

std::string SenderOfFromValue(const std::string& from) {
    // The name before an address in angle brackets, outside quotes.
    bool quoted = false;
    size_t angle = std::string::npos;
    for (size_t i = 0; i < from.size() && angle == std::string::npos; ++i) {
        if (from[i] == '\\' && quoted) ++i;
        else if (from[i] == '"') quoted = !quoted;
        else if (from[i] == '<' && !quoted) angle = i;
    }
    std::string name, address;
    if (angle != std::string::npos) {
        name = Trim(from.substr(0, angle));
        const size_t close = from.find('>', angle);
        address = Trim(from.substr(angle + 1, close == std::string::npos ? std::string::npos : close - angle - 1));
    } else {
        // "address (Name)": the comment is the name.
        const size_t open = from.find('(');
        const size_t close = from.rfind(')');
        if (open != std::string::npos && close != std::string::npos && close > open) {
            name = Trim(from.substr(open + 1, close - open - 1));
            address = Trim(from.substr(0, open));
        } else {
            address = Trim(from);
        }
    }
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        std::string unquoted;
        for (size_t i = 1; i + 1 < name.size(); ++i) {
            if (name[i] == '\\' && i + 2 < name.size()) ++i;
            unquoted += name[i];
        }
        name = Trim(unquoted);
    }
    return name.empty() ? address : name;
}

TMessageNames MessageNames(const TMimeMessage& message) {
    // Raw 8-bit header bytes were most likely written in the charset of the
    // text: the message's own, else the first one a part names.
    std::string charset = message.CharSet;
    for (size_t i = 0; charset.empty() && i < message.MessageParts.size(); ++i)
        if (dynamic_cast<const TMimeTextPart*>(message.MessageParts[i].get())) charset = message.MessageParts[i]->CharSet;
    TMessageNames names;
    names.Sender = Trim(DecodeEncodedWords(SenderOfFromValue(message.Headers.Values("From")), charset));
    names.Subject = Trim(DecodeEncodedWords(message.Headers.Values("Subject"), charset));
    return names;
}

std::string PreviewRawMessage(const std::string& raw) {
    TMemoryStream stream(raw);
    TMimeMessage message;
    ReadFromStream(message, stream);
    return BodyPreview(message);
}

}  // namespace pellumo
