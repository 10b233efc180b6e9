#pragma once
// What a reading of a message is for, asked by the reader as it reads: which
// of what it reads still matters, and whether it may stop. The reader knows
// how mail is written; what is worth keeping and when enough is read are
// decided beside the rules that choose what the popup shows
// (content/MessagePreview), so that the two cannot drift apart.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/MimeMessage.h"

namespace pellumo {

// What may still change in a message being read.
struct TReadingState {
    // Containers that may still get parts: those with a boundary on this stack.
    const TBoundaryStack* Open = nullptr;
    // A text part whose text is still being read (its text so far is in the
    // message), -1 for none; Full once its text has reached what is kept of
    // any text, so that nothing more of it would be kept.
    int PartInProgress = -1;
    bool PartFull = false;
    // The message's own body lines may still grow (Full as above), and parts
    // may still be found in them.
    bool BodyInProgress = false;
    bool BodyFull = false;
    bool PartsMayCome = false;
};

class TReadingNeeds {
public:
    virtual ~TReadingNeeds() = default;

    // Whether a field of the message's header is kept, asked at its first
    // line with its name as written.
    virtual bool KeepsField(const std::string& name) = 0;
    // Whether nothing after the header block is needed.
    virtual bool EnoughAfterHeader(const TMimeMessage& message) = 0;
    // Whether attachments are decoded, or read only to find their end.
    virtual bool DecodesAttachments() const = 0;
    // Whether a part inside Depth containers (the message's own counted) is
    // looked into: the text of one that is not is read past, not kept.
    virtual bool LooksInto(size_t depth) const = 0;
    // A text part read whole, not yet among the message's parts: whether it
    // joins them. It may give up its text first.
    virtual bool KeepsText(const TMimeMessage& message, TMimeTextPart& part, bool lookedInto) = 0;
    // An attachment read, not yet among the message's parts: whether it
    // joins them.
    virtual bool KeepsAttachment(const TMimeMessage& message, bool lookedInto) = 0;
    // A text part kept and now the message's last part (not a container nor
    // an enclosed message), for the parts that follow; it may give up its
    // text.
    virtual void TextKept(TMimeTextPart& part) = 0;

    // When to ask Settled, each far cheaper than asking: while the message's
    // own body (OwnBody) or the text of a part grows to Size bytes (Full:
    // nothing more of it is kept), and after each part read (PartsRead so
    // far, PartsKept of them kept, the last a text kept: AfterText).
    // PartTextStarts comes before each part's text.
    virtual void PartTextStarts() = 0;
    virtual bool LookDue(bool ownBody, uint64_t size, bool full) = 0;
    virtual bool LookDueAfterPart(size_t partsRead, size_t partsKept, bool afterText) = 0;
    // Whether no more of the message could change what it is read for.
    virtual bool Settled(const TMimeMessage& message, const TReadingState& state) = 0;
};

// Clears Message and reads it from Stream's current position, as far as
// Needs need (without needs, all of it, keeping everything). True when the
// reading stopped before the end.
bool ReadMessage(TMimeMessage& message, TStream& stream, TReadingNeeds* needs);

}  // namespace pellumo
