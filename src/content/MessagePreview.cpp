#include "content/MessagePreview.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "content/HtmlToText.h"
#include "content/KeptText.h"
#include "content/MimePartReader.h"
#include "content/ReadingNeeds.h"
#include "platform/AsciiText.h"
#include "platform/Exception.h"
#include "platform/Log.h"

namespace pellumo {

using namespace asciitext;

namespace {

bool IsContainer(const std::string& contentType) { return StartsWithI(contentType, "multipart/"); }

bool IsHtml(const std::string& contentType) { return FindI(contentType, "html") != std::string::npos; }

bool IsEnclosedMessage(const std::string& contentType) { return EqualsI(contentType, "message/rfc822"); }

// Messages enclosed in one another inline, each without text of its own,
// are looked into no deeper than this (forwarded mail nests two or three).
const int kMaxEnclosedLevels = 4;

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

// A text and whether the rest of the message could still change it (or,
// for a text read only in part, its start as far as a popup shows it).
struct TChoice {
    std::string Text;
    bool Settled = true;
};

TChoice Unsettled() { return TChoice{std::string(), false}; }

// The parts of one container, by their index among the message's parts.
struct TPartList {
    const size_t* First;
    const size_t* Last;
    const size_t* begin() const { return First; }
    const size_t* end() const { return Last; }
};

// The readable text of a message whose reading is State (none: read whole).
class TPreviewChoice {
public:
    // EnclosedLevel: how many messages this one is enclosed in.
    TPreviewChoice(const TMimeMessage& message, const TReadingState* state, int enclosedLevel = 0)
        : message_(message), state_(state), enclosedLevel_(enclosedLevel) {
        ListParts();
    }

    // A message's own text first; only without any does a message enclosed
    // in it inline (or the whole of it) supply the preview.
    TChoice Selected(int depth) const {
        TChoice own = MessagePreview(depth, false);
        if (!own.Settled || !IsBlankText(own.Text)) return own;
        TChoice enclosed = MessagePreview(depth, true);
        if (!enclosed.Settled) return enclosed;
        return IsBlankText(enclosed.Text) ? own : enclosed;
    }

private:
    // Every container's parts, listed once for the whole choice, in order: a
    // message of many containers costs one pass, not one pass a container.
    // A part counts only after its container (so no walk comes back round).
    void ListParts() {
        const size_t count = message_.MessageParts.size();
        auto holds = [&](size_t part) {
            const int parent = message_.MessageParts[part]->ParentPart;
            return parent == -1 || (parent >= 0 && static_cast<size_t>(parent) < part);
        };
        // firstPart_[container + 1] is where the container's parts start in parts_.
        firstPart_.assign(count + 2, 0);
        for (size_t i = 0; i < count; ++i)
            if (holds(i)) ++firstPart_[message_.MessageParts[i]->ParentPart + 2];
        for (size_t i = 1; i < firstPart_.size(); ++i) firstPart_[i] += firstPart_[i - 1];
        parts_.resize(firstPart_.back());
        std::vector<size_t> next(firstPart_.begin(), firstPart_.end() - 1);
        for (size_t i = 0; i < count; ++i)
            if (holds(i)) parts_[next[message_.MessageParts[i]->ParentPart + 1]++] = i;
    }

    bool Open(int container) const {
        if (!state_ || !state_->Open) return false;
        for (size_t i = 0; i < state_->Open->Count(); ++i)
            if (state_->Open->ParentPart(i) == container) return true;
        return false;
    }

    // A text read in part is settled once its start shows something and
    // runs well past what a popup keeps, or once no more of it is kept.
    static TChoice InPart(std::string text, bool full) {
        const bool settled = full || (text.size() >= kLongestPreviewBytes + kUnsettledTailBytes &&
                                      !IsBlankText(text.substr(0, text.size() - kUnsettledTailBytes)));
        return TChoice{std::move(text), settled};
    }

    // The preview of a message enclosed in another, chosen as for any
    // message. One its reader gives up on still shows the text read before
    // that. Each is read anew from the text of the one around it, which is
    // held meanwhile: a chain of them is looked into kMaxEnclosedLevels deep.
    std::string EnclosedPreview(const TStringList& lines, int depth) const {
        if (depth > kMaxPreviewDepth || enclosedLevel_ >= kMaxEnclosedLevels) return std::string();
        TMimeMessage message;
        {
            TMemoryStream stream(JoinLines(lines));
            try {
                ReadFromStream(message, stream);
            } catch (const EMimeError& error) {
                LogLine("An enclosed message read in part: " + error.Message());
            }
        }
        return TPreviewChoice(message, nullptr, enclosedLevel_ + 1).Selected(depth).Text;
    }

    // The preview text part Index yields: a text part its text, a container
    // what it holds, an enclosed message its own preview when Enclosed is
    // set; attachments and attached messages yield nothing.
    TChoice PartPreview(size_t index, int depth, bool enclosed) const {
        const auto* text = dynamic_cast<const TMimeTextPart*>(message_.MessageParts[index].get());
        if (!text) return TChoice();
        if (IsContainer(text->ContentType))
            return ContainerPreview(static_cast<int>(index), text->ContentType, depth + 1, enclosed);
        const bool inProgress = state_ && state_->PartInProgress == static_cast<int>(index);
        if (IsEnclosedMessage(text->ContentType)) {
            if (!enclosed) return TChoice();
            return inProgress ? Unsettled() : TChoice{EnclosedPreview(text->Body, depth + 1), true};
        }
        std::string readable = ReadableText(text->ContentType, DecodedBody(*text));
        return inProgress ? InPart(std::move(readable), state_->PartFull) : TChoice{std::move(readable), true};
    }

    // The preview of what a container holds, chosen as a reader of the mail
    // would: of alternatives the plain text, else the HTML; otherwise the
    // first part that yields text (in a related group or a signed message
    // that is the root or the signed content, unless it holds no text at
    // all). Blank text is no text: the next part that has some is taken.
    // Parts still to come can only follow those read: they change nothing
    // but a choice among alternatives with no plain text yet.
    TChoice ContainerPreview(int container, const std::string& type, int depth, bool enclosed) const {
        if (depth > kMaxPreviewDepth) return TChoice();
        const bool open = Open(container);
        const TPartList children{parts_.data() + firstPart_[container + 1], parts_.data() + firstPart_[container + 2]};
        if (StartsWithI(type, "multipart/alternative")) {
            for (const char* wanted : {"text/plain", "text/html"}) {
                for (size_t child : children) {
                    if (!StartsWithI(message_.MessageParts[child]->ContentType, wanted)) continue;
                    TChoice choice = PartPreview(child, depth, enclosed);
                    if (!choice.Settled || !IsBlankText(choice.Text)) return choice;
                }
                if (open) return Unsettled();  // a plain text may still come
            }
        }
        for (size_t child : children) {
            TChoice choice = PartPreview(child, depth, enclosed);
            if (!choice.Settled || !IsBlankText(choice.Text)) return choice;
        }
        return TChoice{std::string(), !open};
    }

    // What the message's own text yields, and with Enclosed set, what the
    // messages enclosed in it inline yield too.
    TChoice MessagePreview(int depth, bool enclosed) const {
        const bool partsMayCome = state_ && state_->PartsMayCome;
        const bool ownBodyIsNoText =
            message_.Encoding != EncodingPlainText && message_.Headers.Has("Content-Type");
        if (!message_.MessageParts.empty()) {
            if (IsContainer(message_.ContentType))
                return ContainerPreview(-1, message_.ContentType, depth, enclosed);
            // A message whose only parts are uuencoded files still has its own
            // text in Body; a single-part MIME attachment shows nothing.
            if (ownBodyIsNoText) return TChoice();
        } else if (partsMayCome && (IsContainer(message_.ContentType) || ownBodyIsNoText)) {
            return Unsettled();  // a part found later would take the body's place
        }
        const bool inProgress = state_ && state_->BodyInProgress;
        if (IsEnclosedMessage(message_.ContentType)) {
            if (!enclosed) return TChoice();
            return inProgress ? Unsettled() : TChoice{EnclosedPreview(message_.Body, depth + 1), true};
        }
        std::string readable = ReadableText(message_.ContentType, message_.DecodedBodyText());
        return inProgress ? InPart(std::move(readable), state_->BodyFull) : TChoice{std::move(readable), true};
    }

    const TMimeMessage& message_;
    const TReadingState* state_;
    const int enclosedLevel_;
    std::vector<size_t> firstPart_;
    std::vector<size_t> parts_;
};

// Whether a text part (not a container nor an enclosed message) shows any
// text in a preview: its text decoded and reduced is more than blanks.
bool ShowsText(const TMimeTextPart& part) {
    return !part.Body.empty() && !IsBlankText(ReadableText(part.ContentType, DecodedBody(part)));
}

// A text part that holds parts or a message of its own, rather than text.
bool HoldsParts(const TMimePart& part) { return IsContainer(part.ContentType) || IsEnclosedMessage(part.ContentType); }

// Raw 8-bit bytes in From or Subject are read in the charset of the first
// text that names one: no more of the message changes the names once one
// does, or when there are none.
bool NamesSettled(const TMimeMessage& message) {
    if (!message.CharSet.empty()) return true;
    for (const auto& part : message.MessageParts)
        if (dynamic_cast<const TMimeTextPart*>(part.get()) && !part->CharSet.empty()) return true;
    return IsAscii(message.Headers.Values("From")) && IsAscii(message.Headers.Values("Subject"));
}

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
    bool PassedOver(const TMimePart& part) const {
        // Up from the part through its containers (each lies before what it
        // holds), asking at each level whether an earlier part comes first.
        const TMimePart* node = &part;
        for (size_t level = 0; level <= message_.MessageParts.size(); ++level) {
            const int parent = node->ParentPart;
            if (parent >= static_cast<int>(message_.MessageParts.size())) return false;
            const std::string& type = parent < 0 ? message_.ContentType : message_.MessageParts[parent]->ContentType;
            const auto shown = shownByContainer_.find(parent);
            if (IsContainer(type) && shown != shownByContainer_.end()) {
                const bool alternatives = StartsWithI(type, "multipart/alternative");
                if (alternatives ? shown->second.Html && !StartsWithI(node->ContentType, "text/plain")
                                 : shown->second.Text)
                    return true;
            }
            if (parent < 0) return false;
            node = message_.MessageParts[parent].get();
        }
        return false;
    }

    // Notes a text part read whole and kept that shows text.
    void Shows(const TMimeTextPart& part) {
        TShown& shown = shownByContainer_[part.ParentPart];
        shown.Text = true;
        shown.Html = shown.Html || StartsWithI(part.ContentType, "text/html");
    }

private:
    struct TShown {
        bool Text = false;
        bool Html = false;
    };
    const TMimeMessage& message_;
    std::map<int, TShown> shownByContainer_;
};

// While a text grows, whether the preview is settled is asked again each time
// the text has doubled, from the first size that could settle it, and once
// more when it is full: a few readings of it in all.
class TTextLooks {
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
// thousand parts costs a few hundred looks rather than one a part, and the
// reading still stops soon after the text that settles it.
class TPartLooks {
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

// What a reading for a preview needs: the header fields a preview or the
// names read (the first of each), no attachment's data, no part deeper than
// a preview looks, no text a preview can no longer take; it may stop once
// the rest of the message could no longer change the preview (the first
// kLongestPreviewBytes of BodyPreview), the sender or the subject.
class TPreviewNeeds : public TReadingNeeds {
public:
    explicit TPreviewNeeds(const TMimeMessage& message) : message_(message), reach_(message) {}

    bool KeepsField(const std::string& name) override {
        const char* read = ReadName(name);
        if (!read || std::find(seen_.begin(), seen_.end(), read) != seen_.end()) return false;
        seen_.push_back(read);
        return true;
    }
    bool EnoughAfterHeader(const TMimeMessage&) override { return false; }
    bool DecodesAttachments() const override { return false; }
    bool LooksInto(size_t depth) const override { return depth <= static_cast<size_t>(kMaxPreviewDepth) + 1; }

    bool KeepsText(const TMimeMessage& message, TMimeTextPart& part, bool lookedInto) override {
        if (reach_.PassedOver(part)) TStringList().swap(part.Body);
        const bool showsNothingPastFirstParts = message.MessageParts.size() >= kPreviewPartsKept && ShowsNothing(part);
        // A part not looked into is kept, without its text, only for the
        // charset the sender and subject may be read in.
        if (showsNothingPastFirstParts || (!lookedInto && !NamesCharset(part))) return false;
        charsetNamed_ = charsetNamed_ || !part.CharSet.empty();
        return true;
    }
    bool KeepsAttachment(const TMimeMessage& message, bool lookedInto) override {
        // An attachment shows nothing in a preview; past the first parts none
        // is kept, so that a message of a hundred thousand of them costs no
        // more than one of a few.
        return lookedInto && message.MessageParts.size() < kPreviewPartsKept;
    }

    // A text part that shows nothing keeps no lines (it shows nothing either
    // way); one that shows text is noted for the parts that follow it.
    void TextKept(TMimeTextPart& part) override {
        try {
            if (ShowsText(part))
                reach_.Shows(part);
            else
                TStringList().swap(part.Body);
        } catch (const Exception& error) {
            // Left as read: the preview meets the same failure if it takes it.
            LogLine("A text part kept as read: " + error.Message());
        }
    }

    void PartTextStarts() override { partTextLooks_ = TTextLooks(); }
    bool LookDue(bool ownBody, uint64_t size, bool full) override {
        return (ownBody ? bodyLooks_ : partTextLooks_).Due(size, full);
    }
    bool LookDueAfterPart(size_t partsRead, size_t partsKept, bool afterText) override {
        return partLooks_.Due(partsRead, partsKept, afterText);
    }

    // A settled choice took the same turns as the reading of the whole
    // message would (every turn that could differ gives an unsettled one),
    // so its text is that message's preview.
    bool Settled(const TMimeMessage& message, const TReadingState& state) override {
        if (!NamesSettled(message)) return false;
        TChoice choice = TPreviewChoice(message, &state).Selected(0);
        if (choice.Settled) settledPreview_ = std::move(choice.Text);
        return choice.Settled;
    }

    // The preview, once the reading has stopped.
    std::string& SettledPreview() { return settledPreview_; }

private:
    // The name a reading reads of a field named Name (in any case), or null:
    // the sender, the subject, whether it is MIME, and what a single-part
    // message's reader takes of its header.
    static const char* ReadName(const std::string& name) {
        for (const char* read : {"From", "Subject", "MIME-Version"})
            if (EqualsI(name, read)) return read;
        for (const char* taken : TMimePartReader::kMessageFieldsTaken)
            if (EqualsI(name, taken)) return taken;
        return nullptr;
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
        return !part.CharSet.empty() && !charsetNamed_ && message_.CharSet.empty();
    }

    const TMimeMessage& message_;
    TPreviewReach reach_;
    std::vector<const char*> seen_;
    bool charsetNamed_ = false;  // a text part kept names a charset
    TTextLooks bodyLooks_, partTextLooks_;
    TPartLooks partLooks_;
    std::string settledPreview_;
};

// What a reading for the sender and the subject alone needs: what a preview
// needs, until the names are settled, most often right after the header.
class TNamesNeeds : public TPreviewNeeds {
public:
    using TPreviewNeeds::TPreviewNeeds;
    bool EnoughAfterHeader(const TMimeMessage& message) override { return NamesSettled(message); }
    bool Settled(const TMimeMessage& message, const TReadingState&) override { return NamesSettled(message); }
};

}  // namespace

std::string BodyPreview(const TMimeMessage& message) { return TPreviewChoice(message, nullptr).Selected(0).Text; }

bool ReadPreviewFromStream(TMimeMessage& message, TStream& stream, std::string& preview) {
    TPreviewNeeds needs(message);
    const bool stopped = ReadMessage(message, stream, &needs);
    preview = stopped ? std::move(needs.SettledPreview()) : BodyPreview(message);
    return stopped;
}

bool ReadNamesFromStream(TMimeMessage& message, TStream& stream) {
    TNamesNeeds needs(message);
    return ReadMessage(message, stream, &needs);
}

}  // namespace pellumo
