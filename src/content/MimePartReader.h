#pragma once
// Part readers: short-lived objects that read one part of a message (a MIME
// part between boundaries, or a uuencoded block in a plain body) and hand
// back the reader for the part that follows, if they met its boundary.
#include <functional>
#include <memory>
#include <string>

#include "content/MimeMessage.h"

namespace pellumo {

enum TPartType { PartUnknown = 0, PartText = 1, PartAttachment = 2 };

class TPartReader {
public:
    TPartReader(TMimeMessage& message, TLineReader& lines);
    virtual ~TPartReader() = default;

    // Reads the part's header lines and decides its type.
    virtual void ReadHeader() = 0;
    // Reads and decodes the part's body into Dest. Returns the reader of the
    // next part, or null; sets MessageEnd when the end of the message came.
    virtual std::unique_ptr<TPartReader> ReadBody(TStream& dest, bool& messageEnd) = 0;

    // The part's header value Name ("name=value" entries, case-insensitive names).
    std::string Header(const std::string& name) const;

    TStringList Headers;
    TPartType PartType = PartUnknown;
    std::string FileName;
    std::string MIMEBoundary;  // the boundary this reader stops at
    std::string FirstLine;     // a body line already read by the detector
    bool ProcessFirstLine = false;
    // Set for a text part: its lines are cut at the line reader's limit, as
    // only their start can ever be shown.
    bool CutLongLines = false;
    bool BodyEncoded = false;  // the message's own transfer encoding applies
    // Set when only the part's end is wanted (an attachment, for a preview):
    // a MIME part's lines are neither decoded nor written. A uuencoded block
    // is decoded all the same, as a line it cannot decode ends its reading.
    bool SkipData = false;
    // Asked after each line of the body is written: true stops the reading
    // there (Stopped is then set, and no next part is known).
    std::function<bool()> Enough;
    bool Stopped = false;
    std::string TransferEncoding;  // of an attachment, as recorded ("UUE", "XXE", ...)
    // Set when the part is a container whose boundary its header pushed.
    bool OpensContainer = false;

protected:
    TMimeMessage& message_;
    TLineReader& lines_;
};

class TMimePartReader : public TPartReader {
public:
    // A container nested deeper than this (counting the message's own) is
    // read as one part, its inner boundaries as its text: no preview looks
    // that deep, and the boundaries of more would cost memory without bound.
    static const size_t kMaxContainerNesting = 64;

    // Stops at the boundary newest on the message's stack.
    TMimePartReader(TMimeMessage& message, TLineReader& lines);
    TMimePartReader(TMimeMessage& message, TLineReader& lines, const std::string& firstLine);
    void ReadHeader() override;
    std::unique_ptr<TPartReader> ReadBody(TStream& dest, bool& messageEnd) override;
    // Uses the message's own header fields as the part's (a single-part body).
    void TakeMessageHeaders();
    // The message's header fields TakeMessageHeaders takes.
    static const char* const kMessageFieldsTaken[5];
};

class TUuencodedPartReader : public TPartReader {
public:
    TUuencodedPartReader(TMimeMessage& message, TLineReader& lines, const std::string& fileName);
    void ReadHeader() override {}
    std::unique_ptr<TPartReader> ReadBody(TStream& dest, bool& messageEnd) override;
};

// The part detectors in their fixed order (MIME, then UUE): a reader for the
// part that Line begins, or null.
std::unique_ptr<TPartReader> DetectPart(TMimeMessage& message, TLineReader& lines,
                                              const std::string& line);

// How a header block goes on at its next line.
enum THeaderLine { HeaderField = 0, HeaderEnd = 1, HeaderStreamEnd = 2 };

// Reads the next line of a header block into Line: a field (or its fold), or
// the end of the block, or the end of the message inside it. The block ends
// at an empty line, and at a line of blanks (the body starts after it) or a
// line that is no "Name:" field and no fold (the body starts with it), unless
// fields go on right after such a line: then it is a broken line of the block
// and comes back as a field. Lines read ahead for the body go back to Lines.
THeaderLine ReadHeaderLine(TLineReader& lines, std::string& line, bool limited);

enum TBoundaryLine { NotABoundary = 0, PartDelimiter = 1, CloseDelimiter = 2 };

// Whether Line is "--Boundary" or "--Boundary--" (any letter case), with
// nothing after it but blanks.
TBoundaryLine BoundaryLineOf(const std::string& line, const std::string& boundary);

// Part type and file name from a Content-Type and a Content-Disposition value.
TPartType PartTypeOf(const std::string& contentType, const std::string& disposition,
                                     std::string& fileName);

// Header text as UTF-8: its encoded words (=?charset?B|Q?text?=) decoded and
// converted from their charsets, blanks between two encoded words dropped,
// and raw 8-bit bytes outside them read in RawCharset (the system's code page
// when empty).
std::string DecodeEncodedWords(const std::string& text, const std::string& rawCharset = std::string());

// The boundary parameter of a Content-Type value, upper-cased; empty when none.
std::string ExtractBoundary(const std::string& contentType);

// The charset parameter: after the first "CHARSET=" (case-insensitive), the
// quoted text or up to ";"; the case as found in Value.
std::string ExtractCharSet(const std::string& value);

}  // namespace pellumo
