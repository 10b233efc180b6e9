#include "app/TrayTip.h"

#include "content/CharsetConverter.h"
#include "platform/Utf8Text.h"

namespace pellumo {

namespace {

// UTF-16 units of a UTF-8 text: two for a character beyond U+FFFF.
size_t Utf16Length(const std::string& text) {
    size_t units = 0;
    for (unsigned char ch : text) {
        if ((ch & 0xC0) != 0x80) ++units;  // a character starts here
        if (ch >= 0xF0) ++units;
    }
    return units;
}

// The longest start of Text (whole characters) with at most Units UTF-16 units.
std::string StartWithin(const std::string& text, size_t units) {
    size_t used = 0, end = 0;
    while (end < text.size()) {
        const unsigned char ch = static_cast<unsigned char>(text[end]);
        const size_t need = ch >= 0xF0 ? 2 : 1;
        if (used + need > units) break;
        used += need;
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return text.substr(0, end);
}

}  // namespace

std::vector<TFolderUnread> UnreadByFolder(const TFolderList& folders) {
    std::vector<TFolderUnread> unread;
    for (const TFolderListEntry& entry : folders)
        if (entry.Info && entry.Info->Record && entry.Info->Unread > 0)
            unread.push_back({SystemTextToUtf8(entry.Info->Record->Name), entry.Info->Unread});
    return unread;
}

size_t TotalUnread(const std::vector<TFolderUnread>& unread) {
    size_t total = 0;
    for (const TFolderUnread& folder : unread) total += folder.Count;
    return total;
}

std::string TrayTip(TWatchState state, const std::string& pausedUntil, const std::vector<TFolderUnread>& unread,
                    const TLanguage& language) {
    if (state != TWatchState::Watching) return WatchStateTip(state, language);
    const size_t total = TotalUnread(unread);
    std::string mail;
    if (total == 0) {
        mail = language.Text(TText::TipNoUnread);
    } else {
        std::string folders;
        for (size_t i = 0; i < unread.size(); ++i)
            folders += (i ? language.Text(TText::ListSeparator) : "") +
                       language.Text(TText::CountInFolder, {unread[i].Name, std::to_string(unread[i].Count)});
        mail = language.Counted(TText::TipUnread, total, {folders});
    }
    if (!pausedUntil.empty()) mail = language.Text(TText::TipPaused, {pausedUntil, mail});
    const std::string tip = language.Text(TText::TipTitle, {mail});
    if (Utf16Length(tip) <= kTrayTipLength) return tip;
    return StartWithin(tip, kTrayTipLength - 1) + kEllipsis;
}

std::string IconCount(size_t unread) {
    if (unread == 0) return std::string();
    return unread > 99 ? "99+" : std::to_string(unread);
}

}  // namespace pellumo
