#include "content/MessagePreview.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/AsciiText.h"
#include "content/HtmlToText.h"
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

}  // namespace

bool TPreviewReach::PassedOver(const TMimePart& part) const {
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
            if (alternatives ? shown->second.Html && !StartsWithI(node->ContentType, "text/plain") : shown->second.Text)
                return true;
        }
        if (parent < 0) return false;
        node = message_.MessageParts[parent].get();
    }
    return false;
}

void TPreviewReach::Shows(const TMimeTextPart& part) {
    TShown& shown = shownByContainer_[part.ParentPart];
    shown.Text = true;
    shown.Html = shown.Html || StartsWithI(part.ContentType, "text/html");
}

bool ShowsText(const TMimeTextPart& part) {
    return !part.Body.empty() && !IsBlankText(ReadableText(part.ContentType, DecodedBody(part)));
}

bool NamesSettled(const TMimeMessage& message) {
    if (!message.CharSet.empty()) return true;
    for (const auto& part : message.MessageParts)
        if (dynamic_cast<const TMimeTextPart*>(part.get()) && !part->CharSet.empty()) return true;
    return IsAscii(message.Headers.Values("From")) && IsAscii(message.Headers.Values("Subject"));
}

std::string BodyPreview(const TMimeMessage& message) { return TPreviewChoice(message, nullptr).Selected(0).Text; }

// A settled choice took the same turns as the reading of the whole message
// would (every turn that could differ gives an unsettled one), so its text
// is that message's preview.
bool PreviewSettled(const TMimeMessage& message, const TReadingState& state, std::string& preview) {
    if (!NamesSettled(message)) return false;
    TChoice choice = TPreviewChoice(message, &state).Selected(0);
    if (choice.Settled) preview = std::move(choice.Text);
    return choice.Settled;
}

}  // namespace pellumo
