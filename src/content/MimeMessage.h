#pragma once
// The parsed message: its top-level header block, the fields derived from it,
// the body outside all parts, and the parts (text parts with their lines,
// attachments with their name and decoded size; their data is never kept).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "content/LineReader.h"

namespace pellumo {

using TStringList = std::vector<std::string>;

// Header lines, one entry per physical line (a folded line is an entry of its
// own after the line it continues).
class THeaderList {
public:
    void Add(const std::string& line) { lines_.push_back(line); }
    void Clear() { lines_.clear(); }
    const TStringList& Lines() const { return lines_; }
    // The unfolded value of the first line named Name (case-insensitive, the
    // colon right after the name), trimmed; empty when there is none.
    std::string Values(const std::string& name) const;
    bool Has(const std::string& name) const;

private:
    TStringList lines_;
};

// What every part has; only a text part or an attachment is ever made.
class TMimePart {
public:
    virtual ~TMimePart() = default;

    std::string ContentType;
    std::string CharSet;
    std::string ContentTransfer;
    THeaderList Headers;  // its Content-Type and Content-Transfer-Encoding lines
    int ParentPart = -1;

protected:
    TMimePart() = default;
};

class TMimeTextPart : public TMimePart {
public:
    TStringList Body;
};

// Only the text is ever shown, so an attachment's data is decoded (to find
// where the part ends) and dropped: nothing of it reaches a disk.
class TMimeAttachment : public TMimePart {
public:
    std::string FileName;
    uint64_t DecodedSize = 0;  // 0 when read for a preview only (not decoded)
};

// Boundaries as a stack (newest first) with the parent part index of each.
class TBoundaryStack {
public:
    void Push(const std::string& boundary, int parentPart) { entries_.push_back({boundary, parentPart}); }
    void Pop() {
        if (!entries_.empty()) entries_.pop_back();
    }
    void Clear() { entries_.clear(); }
    size_t Count() const { return entries_.size(); }
    // The newest boundary, or empty.
    const std::string& Boundary() const {
        static const std::string kNone;
        return entries_.empty() ? kNone : entries_.back().first;
    }
    // The parent part recorded with entry I (0 newest); -1 past the end.
    int ParentPart(size_t i = 0) const { return i < entries_.size() ? entries_[entries_.size() - 1 - i].second : -1; }

private:
    // Oldest first, so that a message nested thousands deep pushes and pops
    // without moving the others.
    std::vector<std::pair<std::string, int>> entries_;
};

enum TMessageEncoding { EncodingDefault = 0, EncodingMime = 1, EncodingPlainText = 2 };

class TMimeMessage {
public:
    TMimeMessage() = default;
    TMimeMessage(const TMimeMessage&) = delete;
    TMimeMessage& operator=(const TMimeMessage&) = delete;

    // Empties every field.
    void Clear();

    THeaderList Headers;
    std::string ContentType = "text/plain";
    std::string CharSet;
    std::string ContentTransferEncoding;
    std::string ContentDisposition;
    TMessageEncoding Encoding = EncodingDefault;
    TStringList Body;
    std::vector<std::unique_ptr<TMimePart>> MessageParts;
    TBoundaryStack MIMEBoundary;

    // Body lines, each followed by CR LF, converted from CharSet.
    std::string DecodedBodyText() const;
};

// A text part's body lines, each followed by CR LF, converted from its CharSet.
std::string DecodedBody(const TMimeTextPart& part);

// Clears Message and reads it from Stream's current position.
void ReadFromStream(TMimeMessage& message, TStream& stream);

// The same reading, only as far as the preview, the sender and the subject
// need (content/MessagePreview decides): it stops once the rest of the
// message could no longer change them, so that BodyPreview and MessageNames give what they give
// for the whole message, the preview as far as any popup shows it. A text
// may be read only in part; an attachment is read only to find its end,
// neither decoded nor counted. True when it stopped before the end. Preview
// receives BodyPreview(message) (a reading that stops has worked it out
// already).
bool ReadPreviewFromStream(TMimeMessage& message, TStream& stream, std::string& preview);

// The same reading only as far as the sender and the subject need (a
// message whose preview is not to be shown): most often the header block
// alone. True when it stopped before the end.
bool ReadNamesFromStream(TMimeMessage& message, TStream& stream);

// The text the popup shows for a parsed message: the first inline text found
// through its containers (of alternatives the plain one, else the HTML; blank
// text passed over), or the body of a message without parts; converted from
// its charset, with HTML reduced to text. Only a message without text of its
// own shows that of a message enclosed inline (message/rfc822, as a part or
// as the whole body), chosen the same way. Of the control characters only CR,
// LF and tab are kept; every other one becomes a space.
std::string BodyPreview(const TMimeMessage& message);

// The preview of a raw message as stored, read into a fresh message and
// selected as above.
std::string PreviewRawMessage(const std::string& raw);

// Who a message is from and what it is about, as the popup names them: from
// the message's own From and Subject headers, as UTF-8 (encoded words
// decoded; raw 8-bit bytes read in the charset of the message's text, else
// the system's code page). The sender is the display name, or the address
// when there is none; the address is the sender's address alone (its raw
// bytes UTF-8 when they are, else read as the names are). Empty when the
// header is missing or blank.
struct TMessageNames {
    std::string Sender;
    std::string Subject;
    std::string Address;
};
TMessageNames MessageNames(const TMimeMessage& message);

// The display name of a From value ("Name" <address>, Name <address>,
// address (Name)), or its address when it has none; not yet decoded.
std::string SenderOfFromValue(const std::string& from);
// The address of a From value, the first of several, without its brackets.
std::string AddressOfFromValue(const std::string& from);

}  // namespace pellumo
