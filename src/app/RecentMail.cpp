#include "app/RecentMail.h"

#include "platform/Utf8Text.h"
#include "texts/Language.h"

namespace pellumo {

namespace {

// About what a menu shows without growing wider than half a small screen.
const size_t kMenuTextBytes = 60;

std::string Cut(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    return text.substr(0, Utf8CharacterStart(text, maxBytes)) + kEllipsis;
}

std::string Literal(const std::string& text) {
    std::string out;
    for (char ch : text) {
        // A line break has no place in a menu item.
        if (ch == '\r' || ch == '\n' || ch == '\t') ch = ' ';
        out += ch;
        if (ch == '&') out += '&';
    }
    return out;
}

}  // namespace

void TRecentMail::Add(const TNotification& info) {
    items_.push_front(info);
    CutToWhatAPopupShows(items_.front());
    while (items_.size() > kLimit) items_.pop_back();
}

std::string RecentMenuText(const TNotification& info) {
    return Literal(
        Text(TText::RecentEntry, {Cut(Text(TText::SenderAndSubject, {info.Sender, info.Subject}), kMenuTextBytes), Cut(info.Folder, 30)}));
}

}  // namespace pellumo
