#include "content/MimeMessage.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "content/CharsetConverter.h"
#include "content/KeptText.h"
#include "content/MimePartReader.h"
#include "content/ReadingNeeds.h"
#include "platform/AsciiText.h"
#include "platform/Log.h"
#include "platform/Utf8Text.h"

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

// A text part that holds parts or a message of its own, rather than text.
bool HoldsParts(const TMimeTextPart& part) {
    return IsContainer(part.ContentType) || EqualsI(part.ContentType, "message/rfc822");
}

// Which lines of the message's header block a reading keeps: every field the
// reading needs (without needs, all), each no longer than kKeptFieldBytes.
class TKeptFields {
public:
    explicit TKeptFields(TReadingNeeds* needs) : needs_(needs), keeping_(!needs) {}

    bool Keeps(const std::string& line) {
        const bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (!continuation) {
            kept_ = 0;
            keeping_ = true;
            if (needs_) {
                const size_t colon = line.find(':');
                keeping_ = colon != std::string::npos && needs_->KeepsField(line.substr(0, colon));
            }
        }
        if (!keeping_) return false;
        kept_ += line.size();
        keeping_ = kept_ <= kKeptFieldBytes;
        return keeping_;
    }

private:
    TReadingNeeds* const needs_;
    bool keeping_;
    size_t kept_ = 0;
};

class MessageReader {
public:
    // Without needs, everything is read and kept; with them, what they need.
    MessageReader(TMimeMessage& message, TStream& stream, TReadingNeeds* needs)
        : m_(message), lines_(stream), needs_(needs) {}

    // True when the reading stopped before the end of the message.
    bool Read() {
        m_.Clear();
        const bool hasBody = ReadHeaderBlock();
        DeriveFields();
        if (!hasBody) return false;
        if (needs_ && needs_->EnoughAfterHeader(m_)) return stopped_ = true;
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
        return stopped_;
    }

private:
    // False when the message ends inside its header block.
    bool ReadHeaderBlock() {
        std::string line;
        TKeptFields fields(needs_);
        for (THeaderLine kind; (kind = ReadHeaderLine(lines_, line, true)) != HeaderEnd;) {
            if (kind == HeaderStreamEnd) return false;
            if (fields.Keeps(line)) m_.Headers.Add(line);
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
        bool messageEnd = false;
        lineLoop_ = true;
        size_t partsRead = 0;
        while (!messageEnd && !stopped_) {
            if (!lines_.ReadLn(line, true)) break;
            // A container that ends right after the last part of one it holds
            // ends here: its close line is not text, and the parts after it
            // belong to the container around it.
            if (m_.MIMEBoundary.Count() > 0 && BoundaryLineOf(line, m_.MIMEBoundary.Boundary()) == CloseDelimiter) {
                m_.MIMEBoundary.Pop();
                continue;
            }
            std::unique_ptr<TPartReader> reader = DetectPart(m_, lines_, line);
            if (!reader) {
                // Read on past the kept text: a uuencoded file may still follow.
                if (!BodyFull()) m_.Body.push_back(line);
                bodyBytes_ += line.size() + 2;
                if (needs_ && needs_->LookDue(true, bodyBytes_, BodyFull())) stopped_ = Settled();
                continue;
            }
            DropTrailingEmptyLine(m_.Body);
            while (reader && !stopped_) {
                reader->ReadHeader();
                if (reader->PartType == PartUnknown) throw EMimeError("Unknown Message Part Type.");
                const bool text = reader->PartType == PartText;
                reader = text ? ReadText(*reader, messageEnd) : ReadAttachment(*reader, messageEnd);
                ++partsRead;
                if (!needs_ || stopped_) continue;
                // A container or an enclosed message is no text of its own.
                auto* kept = text && textKept_ ? static_cast<TMimeTextPart*>(m_.MessageParts.back().get()) : nullptr;
                if (kept && HoldsParts(*kept)) kept = nullptr;
                if (needs_->LookDueAfterPart(partsRead, m_.MessageParts.size(), kept != nullptr)) stopped_ = Settled();
                if (!stopped_ && kept) needs_->TextKept(*kept);
            }
        }
        if (!stopped_) DropTrailingEmptyLine(m_.Body);
    }

    // Whether what has been read gives what the whole message would.
    bool Settled(int partInProgress = -1, bool partFull = false, bool bodyFull = false) {
        TReadingState state;
        state.Open = &m_.MIMEBoundary;
        state.PartInProgress = partInProgress;
        state.PartFull = partFull;
        state.BodyInProgress = lineLoop_ || singlePartText_;
        state.BodyFull = lineLoop_ ? BodyFull() : bodyFull;
        state.PartsMayCome = lineLoop_;
        return needs_->Settled(m_, state);
    }

    void SinglePart() {
        TMimePartReader reader(m_, lines_);
        reader.TakeMessageHeaders();
        reader.PartType = PartTypeOf(m_.ContentType, m_.ContentDisposition, reader.FileName);
        bool messageEnd = false;
        if (reader.PartType == PartText) {
            reader.CutLongLines = true;
            TKeptText text;
            singlePartText_ = true;
            if (needs_) {
                reader.Enough = [&] {
                    if (!needs_->LookDue(true, text.Position(), text.Full())) return false;
                    m_.Body = text.Lines();
                    return Settled(-1, false, text.Full());
                };
            }
            reader.ReadBody(text, messageEnd);
            m_.Body = text.Lines();
            stopped_ = reader.Stopped;
        } else {
            ReadAttachment(reader, messageEnd);
        }
    }

    // Whether the body read line by line keeps no more lines.
    bool BodyFull() const { return bodyBytes_ >= kKeptTextBytes || m_.Body.size() >= kKeptTextLines; }

    // The parent part of the part being read: the one recorded with the
    // boundary it was read under (for a container, the one before the
    // boundary it has just pushed).
    int ParentOf(const TPartReader& reader) const { return m_.MIMEBoundary.ParentPart(reader.OpensContainer ? 1 : 0); }

    // Whether the part being read is looked into: the containers around
    // it, the message's own counted (for a container, those around it).
    bool LooksInto(const TPartReader& reader) const {
        return !needs_ || needs_->LooksInto(m_.MIMEBoundary.Count() - (reader.OpensContainer ? 1 : 0));
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

    std::unique_ptr<TMimeTextPart> TextPart(const TPartReader& reader, int parent, const TKeptText& text) {
        std::unique_ptr<TMimeTextPart> part(new TMimeTextPart);
        FillPart(*part, reader, parent);
        part->Body = text.Lines();
        DropTrailingEmptyLine(part->Body);
        return part;
    }

    std::unique_ptr<TPartReader> ReadText(TPartReader& reader, bool& messageEnd) {
        const int parent = ParentOf(reader);
        reader.CutLongLines = true;
        TKeptText text;
        // A text not looked into is read past like an attachment.
        const bool lookedInto = LooksInto(reader);
        reader.SkipData = !lookedInto;
        if (needs_ && lookedInto) {
            needs_->PartTextStarts();
            // The part as it would be if it ended here, looked at in its place.
            reader.Enough = [&] {
                if (!needs_->LookDue(false, text.Position(), text.Full())) return false;
                m_.MessageParts.push_back(TextPart(reader, parent, text));
                const bool settled = Settled(static_cast<int>(m_.MessageParts.size()) - 1, text.Full());
                m_.MessageParts.pop_back();
                return settled;
            };
        }
        std::unique_ptr<TPartReader> next = reader.ReadBody(text, messageEnd);
        std::unique_ptr<TMimeTextPart> part = TextPart(reader, parent, text);
        textKept_ = !needs_ || reader.Stopped || needs_->KeepsText(m_, *part, lookedInto);
        if (textKept_) m_.MessageParts.push_back(std::move(part));
        if (reader.Stopped) {
            stopped_ = true;
            return nullptr;
        }
        return next;
    }

    std::unique_ptr<TPartReader> ReadAttachment(TPartReader& reader, bool& messageEnd) {
        const int parent = ParentOf(reader);
        std::unique_ptr<TMimeAttachment> part(new TMimeAttachment);
        FillPart(*part, reader, parent);
        part->FileName = reader.FileName;
        if (StartsWithI(reader.Header("Content-Type"), "application/mac-binhex40")) part->ContentTransfer = "binhex40";
        TDiscardedData data;
        reader.SkipData = needs_ && !needs_->DecodesAttachments();
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
        if (needs_ && !needs_->KeepsAttachment(m_, LooksInto(reader))) return next;
        m_.MessageParts.push_back(std::move(part));
        return next;
    }

    static void DropTrailingEmptyLine(TStringList& lines) {
        if (!lines.empty() && lines.back().empty()) lines.pop_back();
    }

    TMimeMessage& m_;
    TLineReader lines_;
    TReadingNeeds* const needs_;
    bool stopped_ = false;
    bool textKept_ = false;        // the last text part read was kept
    bool lineLoop_ = false;        // the body is read line by line, parts found in it
    bool singlePartText_ = false;  // the body is one text read whole
    uint64_t bodyBytes_ = 0;
};

}  // namespace

bool ReadMessage(TMimeMessage& message, TStream& stream, TReadingNeeds* needs) {
    return MessageReader(message, stream, needs).Read();
}

void ReadFromStream(TMimeMessage& message, TStream& stream) { ReadMessage(message, stream, nullptr); }

namespace {

struct TFromParts {
    std::string Name, Address;
};

TFromParts SplitFromValue(const std::string& from) {
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
    return {name, address};
}

}  // namespace

std::string SenderOfFromValue(const std::string& from) {
    TFromParts parts = SplitFromValue(from);
    return parts.Name.empty() ? parts.Address : parts.Name;
}

std::string AddressOfFromValue(const std::string& from) {
    // Of several mailboxes, the first.
    const std::string address = SplitFromValue(from).Address;
    return Trim(address.substr(0, address.find(',')));
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
    // An address knows no encoded words; one in another script is UTF-8 by
    // rights, else written as the names are.
    const std::string address = AddressOfFromValue(message.Headers.Values("From"));
    names.Address = IsValidUtf8(address.data(), address.size()) ? address : Trim(DecodeEncodedWords(address, charset));
    return names;
}

std::string PreviewRawMessage(const std::string& raw) {
    TMemoryStream stream(raw);
    TMimeMessage message;
    ReadFromStream(message, stream);
    return BodyPreview(message);
}

}  // namespace pellumo
