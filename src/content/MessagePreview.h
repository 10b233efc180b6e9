#pragma once
// Which text of a parsed message the popup shows (BodyPreview, declared with
// the message), and whether a message still being read already shows what
// the whole of it would: the rule that lets the reader stop early.
#include <cstddef>
#include <map>
#include <string>

#include "content/MimeMessage.h"

namespace pellumo {

// Containers and enclosed messages nest no deeper than this in any message
// worth previewing: what lies deeper shows nothing.
const int kMaxPreviewDepth = 32;

// More than any popup keeps of a body (the notification queue's bound).
const size_t kLongestPreviewBytes = 32 * 1024;
// Past this many bytes from its end, the text of a part read only in part is
// that of the whole part: a character cut off by the stop, a reference or
// tag not yet closed, change no more than the last few bytes.
const size_t kUnsettledTailBytes = 4 * 1024;

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

// True when no more of the message could change what the popup shows of it
// (the first kLongestPreviewBytes of BodyPreview), nor the sender and the
// subject MessageNames gives; Preview then receives BodyPreview(message),
// worked out on the way.
bool PreviewSettled(const TMimeMessage& message, const TReadingState& state, std::string& preview);

// True when no more of the message could change the sender and the subject
// MessageNames gives: raw 8-bit bytes in From or Subject are read in the
// charset of the first text that names one, so once one does, or when there
// are none.
bool NamesSettled(const TMimeMessage& message);

// Whether a text part (not a container nor an enclosed message) shows any
// text in a preview: its text decoded and reduced is more than blanks.
bool ShowsText(const TMimeTextPart& part);

// Which text parts of a message being read for its preview no preview can
// take any more, because an earlier part that shows text comes first at
// their level or an ancestor's: of alternatives, once an HTML part shows
// text, every later part but a plain text; in any other container, once a
// part shows text, every later part. Such a part need keep no text, so that
// a message of many large alternatives costs what one of them does.
class TPreviewReach {
public:
    explicit TPreviewReach(const TMimeMessage& message) : message_(message) {}
    // Whether Part (its parent set, not yet among the message's parts) can
    // no longer be taken.
    bool PassedOver(const TMimePart& part) const;
    // Notes a text part read whole and kept that shows text.
    void Shows(const TMimeTextPart& part);

private:
    struct TShown {
        bool Text = false;
        bool Html = false;
    };
    const TMimeMessage& message_;
    std::map<int, TShown> shownByContainer_;
};

}  // namespace pellumo
