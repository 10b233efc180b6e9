#pragma once
// The parsed message: its top-level header block, the fields derived from it,
// the body outside all parts, and the parts (text parts with their lines,
// attachments with their temporary files).
#include <memory>
#include <string>
#include <vector>

#include "content/IdIOHandlerStreamMsg.h"

namespace pellumo {

using TStringList = std::vector<std::string>;

class EIdCanNotCreateMessagePart : public EIdException {
public:
    EIdCanNotCreateMessagePart()
        : EIdException("TIdMessagePart can not be created.  Use descendant classes. ") {}
};

// Header lines, one entry per physical line (a folded line is an entry of its
// own after the line it continues).
class TIdHeaderList {
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

class TIdMessagePart {
public:
    // A bare part cannot be made: only its descendants.
    TIdMessagePart() { throw EIdCanNotCreateMessagePart(); }
    virtual ~TIdMessagePart() = default;

    std::string ContentType;
    std::string CharSet;
    std::string ContentTransfer;
    std::string ContentID;
    std::string ContentLocation;
    TIdHeaderList Headers;
    TIdHeaderList ExtraHeaders;
    int ParentPart = -1;

protected:
    struct Descendant {};
    explicit TIdMessagePart(Descendant) {}
};

class TIdText : public TIdMessagePart {
public:
    TIdText() : TIdMessagePart(Descendant()) {}
    TStringList Body;
};

class TIdAttachment : public TIdMessagePart {
public:
    std::string FileName;

protected:
    TIdAttachment() : TIdMessagePart(Descendant()) {}
};

// An attachment whose decoded data lies in a temporary file, deleted with the part.
class TIdAttachmentFile : public TIdAttachment {
public:
    TIdAttachmentFile() = default;
    ~TIdAttachmentFile() override;
    std::string StoredPathName;
    bool FileIsTempFile = false;
    bool Blocked = false;
};

// Boundaries as a stack (newest first) with the parent part index of each.
class TIdMIMEBoundary {
public:
    void Push(const std::string& boundary, int parentPart) { entries_.insert(entries_.begin(), {boundary, parentPart}); }
    void Pop() {
        if (!entries_.empty()) entries_.erase(entries_.begin());
    }
    void Clear() { entries_.clear(); }
    size_t Count() const { return entries_.size(); }
    // The newest boundary, or empty.
    std::string Boundary() const { return entries_.empty() ? std::string() : entries_[0].first; }
    // The parent part recorded with entry I (0 newest); -1 past the end.
    int ParentPart(size_t i = 0) const { return i < entries_.size() ? entries_[i].second : -1; }

private:
    std::vector<std::pair<std::string, int>> entries_;
};

enum TIdMessageEncoding { meDefault = 0, meMIME = 1, mePlainText = 2 };

class TIdMessage {
public:
    TIdMessage() = default;
    TIdMessage(const TIdMessage&) = delete;
    TIdMessage& operator=(const TIdMessage&) = delete;

    // Empties every field; parts are freed, deleting their temporary files.
    void Clear();

    TIdHeaderList Headers;
    std::string ContentType = "text/plain";
    std::string CharSet;
    std::string ContentTransferEncoding;
    std::string ContentDisposition;
    TIdMessageEncoding Encoding = meDefault;
    TStringList Body;
    std::vector<std::unique_ptr<TIdMessagePart>> MessageParts;
    TIdMIMEBoundary MIMEBoundary;
    bool NoDecode = false;
    bool ExceptionOnBlockedAttachments = false;

    // Body lines, each followed by CR LF, converted from CharSet.
    std::string DecodedBodyText() const;
};

// A text part's body lines, each followed by CR LF, converted from its CharSet.
std::string DecodedBody(const TIdText& part);

// Clears Message and reads it from Stream's current position.
void ReadFromStream(TIdMessage& message, TStream& stream);

// The text the popup shows for a parsed message: the first inline text found
// through its containers (of alternatives the plain one, else the HTML), or
// the body of a message without parts; converted from its charset, with HTML
// reduced to text.
std::string BodyPreview(const TIdMessage& message);

// The preview of a raw message as stored, read into a fresh message and
// selected as above.
std::string PreviewRawMessage(const std::string& raw);

}  // namespace pellumo
