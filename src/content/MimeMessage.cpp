#include "content/MimeMessage.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "content/CharsetConverter.h"
#include "content/KeptText.h"
#include "content/MimePartReader.h"
#include "platform/AsciiText.h"
#include "content/MessagePreview.h"
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

// A text part that holds parts or a message of its own, rather than text.
bool HoldsParts(const TMimeTextPart& part) {
    return IsContainer(part.ContentType) || EqualsI(part.ContentType, "message/rfc822");
}

// While a text grows, whether the preview is settled is asked again each time
// the text has doubled, from the first size that could settle it, and once
// more when it is full: a few readings of it in all.
class TCheckPoints {
public:
    bool Due(uint64_t size, bool full) {
        if (full ? fullChecked_ : size < next_) return false;
        fullChecked_ = full;
        while (next_ <= size) next_ *= 2;
        return true;
    }

private:
    uint64_t next_ = kLongestPreviewBytes + kUnsettledTailBytes;
    bool fullChecked_ = false;
};

// After which parts a reading asks whether the preview is settled: after
// each of the first ones, where every usual message settles; past them
// after a text part kept (what settles a preview) once parts to a sixty-fourth
// of those kept have come since the last look, and at each doubling of the
// parts read. A look walks the parts kept, so a message of a hundred
// thousand parts costs a few hundred walks rather than one a part, and the
// reading still stops soon after the text that settles it.
class TPartCheckPoints {
public:
    bool Due(size_t read, size_t kept, bool afterText) {
        const bool due = read <= kEveryPartUpTo || read >= next_ ||
                         (afterText && (read - lastLook_) * kEveryPartUpTo >= kept);
        if (!due) return false;
        lastLook_ = read;
        while (next_ <= read) next_ *= 2;
        return true;
    }

private:
    static constexpr size_t kEveryPartUpTo = 64;
    size_t next_ = 2 * kEveryPartUpTo;
    size_t lastLook_ = 0;
};

// How many parts a reading for a preview keeps before it keeps no more
// attachments, nor text parts that show nothing.
const size_t kPreviewPartsKept = 256;

// Which lines of the message's header block a reading keeps: every field
// (a reading for a preview only the first of each field it reads), each no
// longer than kKeptFieldBytes.
class TKeptFields {
public:
    explicit TKeptFields(bool previewOnly) : all_(!previewOnly), keeping_(all_) {}

    bool Keeps(const std::string& line) {
        const bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (!continuation) {
            keeping_ = false;
            kept_ = 0;
        }
        if (!continuation && !all_) {
            const size_t colon = line.find(':');
            if (colon == std::string::npos) return false;
            const char* name = ReadName(line, colon);
            if (!name) return false;
            // Only the first of a name is ever read.
            if (std::find(seen_.begin(), seen_.end(), name) != seen_.end()) return false;
            seen_.push_back(name);
        }
        if (!continuation) keeping_ = true;
        if (!keeping_) return false;
        kept_ += line.size();
        keeping_ = kept_ <= kKeptFieldBytes;
        return keeping_;
    }

private:
    // The name read of the field Line starts with (Length letters, in any
    // case), or null: the sender, the subject, whether it is MIME, and what a
    // single-part message's reader takes of its header.
    static const char* ReadName(const std::string& line, size_t length) {
        auto named = [&](const char* name) {
            return std::strlen(name) == length && EqualsI(line.substr(0, length), name);
        };
        for (const char* name : {"From", "Subject", "MIME-Version"})
            if (named(name)) return name;
        for (const char* taken : TMimePartReader::kMessageFieldsTaken)
            if (named(taken)) return taken;
        return nullptr;
    }

    const bool all_;
    bool keeping_;
    size_t kept_ = 0;
    std::vector<const char*> seen_;
};

class MessageReader {
public:
    // For a preview only, the reading stops as soon as the rest of the
    // message could no longer change the preview, the sender or the subject,
    // and attachments are read only to find their end.
    // For the names only, it stops once the sender and the subject are
    // settled, most often right after the header block.
    enum class TNeeds { Everything, Preview, Names };
    MessageReader(TMimeMessage& message, TStream& stream, TNeeds needs = TNeeds::Everything)
        : m_(message), lines_(stream), previewOnly_(needs != TNeeds::Everything), namesOnly_(needs == TNeeds::Names) {}

    // True when the reading stopped before the end of the message.
    bool Read() {
        m_.Clear();
        const bool hasBody = ReadHeaderBlock();
        DeriveFields();
        if (!hasBody) return false;
        if (namesOnly_ && NamesSettled(m_)) return stopped_ = true;
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

    // The preview of the message as read, once a reading has stopped.
    std::string& SettledPreview() { return settledPreview_; }

private:
    // False when the message ends inside its header block.
    bool ReadHeaderBlock() {
        std::string line;
        TKeptFields fields(previewOnly_);
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
        TCheckPoints bodyChecks;
        TPartCheckPoints partChecks;
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
                if (previewOnly_ && bodyChecks.Due(bodyBytes_, BodyFull())) stopped_ = Settled();
                continue;
            }
            DropTrailingEmptyLine(m_.Body);
            while (reader && !stopped_) {
                reader->ReadHeader();
                if (reader->PartType == PartUnknown) throw EMimeError("Unknown Message Part Type.");
                const bool text = reader->PartType == PartText;
                reader = text ? ReadText(*reader, messageEnd) : ReadAttachment(*reader, messageEnd);
                ++partsRead;
                // A container or an enclosed message settles nothing by itself.
                const bool keptText = text && textKept_ &&
                                      !HoldsParts(static_cast<const TMimeTextPart&>(*m_.MessageParts.back()));
                if (previewOnly_ && !stopped_ && partChecks.Due(partsRead, m_.MessageParts.size(), keptText)) stopped_ = Settled();
                if (previewOnly_ && !stopped_ && keptText) KeptText(*m_.MessageParts.back());
            }
        }
        if (!stopped_) DropTrailingEmptyLine(m_.Body);
    }

    // Whether the preview of what has been read is that of the whole message.
    bool Settled(int partInProgress = -1, bool partFull = false, bool bodyFull = false) {
        if (namesOnly_) return NamesSettled(m_);
        TReadingState state;
        state.Open = &m_.MIMEBoundary;
        state.PartInProgress = partInProgress;
        state.PartFull = partFull;
        state.BodyInProgress = lineLoop_ || singlePartText_;
        state.BodyFull = lineLoop_ ? BodyFull() : bodyFull;
        state.PartsMayCome = lineLoop_;
        return PreviewSettled(m_, state, settledPreview_);
    }

    void SinglePart() {
        TMimePartReader reader(m_, lines_);
        reader.TakeMessageHeaders();
        reader.PartType = PartTypeOf(m_.ContentType, m_.ContentDisposition, reader.FileName);
        bool messageEnd = false;
        if (reader.PartType == PartText) {
            reader.CutLongLines = true;
            TKeptText text;
            TCheckPoints checks;
            singlePartText_ = true;
            if (previewOnly_) {
                reader.Enough = [&] {
                    if (!checks.Due(text.Position(), text.Full())) return false;
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

    // A text part read whole and kept that shows nothing keeps no lines (it
    // shows nothing either way); one that shows text is noted for the parts
    // that follow it.
    void KeptText(TMimePart& kept) {
        auto* part = dynamic_cast<TMimeTextPart*>(&kept);
        if (!part || HoldsParts(*part)) return;
        try {
            if (ShowsText(*part))
                reach_.Shows(*part);
            else
                TStringList().swap(part->Body);
        } catch (const Exception& error) {
            // Left as read: the preview meets the same failure if it takes it.
            LogLine("A text part kept as read: " + error.Message());
        }
    }

    // Whether the body read line by line keeps no more lines.
    bool BodyFull() const { return bodyBytes_ >= kKeptTextBytes || m_.Body.size() >= kKeptTextLines; }

    // The parent part of the part being read: the one recorded with the
    // boundary it was read under (for a container, the one before the
    // boundary it has just pushed).
    int ParentOf(const TPartReader& reader) const { return m_.MIMEBoundary.ParentPart(reader.OpensContainer ? 1 : 0); }

    // A part inside more containers than any preview looks into: a reading
    // for a preview keeps none (but a text that names the charset the sender
    // and subject may be read in, without its text).
    bool TooDeep(const TPartReader& reader) const {
        return previewOnly_ &&
               m_.MIMEBoundary.Count() - (reader.OpensContainer ? 1 : 0) > static_cast<size_t>(kMaxPreviewDepth) + 1;
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
        TCheckPoints checks;
        // Nothing so deep is shown: its text is read past like an attachment.
        const bool deep = TooDeep(reader);
        reader.SkipData = deep;
        if (previewOnly_ && !deep) {
            // The part as it would be if it ended here, looked at in its place.
            reader.Enough = [&] {
                if (!checks.Due(text.Position(), text.Full())) return false;
                m_.MessageParts.push_back(TextPart(reader, parent, text));
                const bool settled = Settled(static_cast<int>(m_.MessageParts.size()) - 1, text.Full());
                m_.MessageParts.pop_back();
                return settled;
            };
        }
        std::unique_ptr<TPartReader> next = reader.ReadBody(text, messageEnd);
        std::unique_ptr<TMimeTextPart> part = TextPart(reader, parent, text);
        if (previewOnly_ && !reader.Stopped && reach_.PassedOver(*part)) TStringList().swap(part->Body);
        const bool showsNothingPastFirstParts = m_.MessageParts.size() >= kPreviewPartsKept && ShowsNothing(*part);
        textKept_ = !(previewOnly_ && !reader.Stopped && (showsNothingPastFirstParts || (deep && !NamesCharset(*part))));
        if (textKept_) {
            charsetNamed_ = charsetNamed_ || !part->CharSet.empty();
            m_.MessageParts.push_back(std::move(part));
        }
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
        reader.SkipData = previewOnly_;
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
        // An attachment shows nothing in a preview; past the first parts a
        // preview keeps none, so that a message of a hundred thousand of them
        // costs no more than one of a few.
        if (previewOnly_ && (m_.MessageParts.size() >= kPreviewPartsKept || TooDeep(reader))) return next;
        m_.MessageParts.push_back(std::move(part));
        return next;
    }

    // A text part a preview passes over whatever follows: no container, no
    // enclosed message, nothing but blanks, and no charset the sender and
    // subject might be read in (one names it already, or it names none).
    bool ShowsNothing(const TMimeTextPart& part) const {
        if (HoldsParts(part) || NamesCharset(part)) return false;
        for (const std::string& line : part.Body)
            if (line.find_first_not_of(" \t") != std::string::npos) return false;
        return true;
    }

    // Whether the part is the first text to name a charset, the one raw 8-bit
    // bytes in the sender and subject are read in.
    bool NamesCharset(const TMimeTextPart& part) const {
        return !part.CharSet.empty() && !charsetNamed_ && m_.CharSet.empty();
    }

    static void DropTrailingEmptyLine(TStringList& lines) {
        if (!lines.empty() && lines.back().empty()) lines.pop_back();
    }

    TMimeMessage& m_;
    TLineReader lines_;
    const bool previewOnly_;
    const bool namesOnly_;
    bool stopped_ = false;
    bool charsetNamed_ = false;    // a text part kept names a charset
    bool textKept_ = false;        // the last text part read was kept
    bool lineLoop_ = false;        // the body is read line by line, parts found in it
    bool singlePartText_ = false;  // the body is one text read whole
    uint64_t bodyBytes_ = 0;
    std::string settledPreview_;
    TPreviewReach reach_{m_};
};

}  // namespace

void ReadFromStream(TMimeMessage& message, TStream& stream) {
    MessageReader(message, stream).Read();
}

bool ReadPreviewFromStream(TMimeMessage& message, TStream& stream, std::string& preview) {
    MessageReader reader(message, stream, MessageReader::TNeeds::Preview);
    const bool stopped = reader.Read();
    preview = stopped ? std::move(reader.SettledPreview()) : BodyPreview(message);
    return stopped;
}

bool ReadNamesFromStream(TMimeMessage& message, TStream& stream) {
    return MessageReader(message, stream, MessageReader::TNeeds::Names).Read();
}


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
