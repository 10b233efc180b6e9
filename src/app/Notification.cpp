#include "app/Notification.h"

#include <algorithm>
#include <set>

#include "platform/Utf8Text.h"
#include "texts/Language.h"

namespace pellumo {

std::string NotDownloadedBody() { return Text(TText::NotDownloadedBody); }

namespace {

// A new string, so that the long one's memory goes with it.
void CutToCharacters(std::string& text, size_t maxBytes) {
    if (text.size() > maxBytes) text = text.substr(0, Utf8CharacterStart(text, maxBytes));
}

}  // namespace

void CutToWhatAPopupShows(TNotification& info) {
    CutToCharacters(info.Folder, TNotificationQueue::kMaxLineBytes);
    CutToCharacters(info.Sender, TNotificationQueue::kMaxLineBytes);
    CutToCharacters(info.SenderAddress, TNotificationQueue::kMaxLineBytes);
    CutToCharacters(info.Subject, TNotificationQueue::kMaxLineBytes);
    CutToCharacters(info.Body, TNotificationQueue::kMaxBodyBytes);
}

void TNotificationQueue::Add(std::unique_ptr<TNotification> info) {
    // The cutting is done before the lock is taken: the popup takes entries
    // from the other thread meanwhile.
    if (info) CutToWhatAPopupShows(*info);
    TLockGuard guard(lock_);
    if (!info) return;
    if (info->Always) {
        items_.insert(AfterAlways(), std::move(info));
        return;
    }
    if (items_.size() >= kMaxWaitingWithBody) std::string().swap(info->Body);
    items_.push_back(std::move(info));
}

std::deque<std::unique_ptr<TNotification>>::iterator TNotificationQueue::AfterAlways() {
    return std::find_if(items_.begin(), items_.end(), [](const std::unique_ptr<TNotification>& item) { return !item->Always; });
}

bool TNotificationQueue::FrontIsAlways() {
    TLockGuard guard(lock_);
    return !items_.empty() && items_.front()->Always;
}

std::unique_ptr<TNotification> TNotificationQueue::Take() {
    TLockGuard guard(lock_);
    if (items_.empty()) return nullptr;
    std::unique_ptr<TNotification> oldest = std::move(items_.front());
    items_.pop_front();
    return oldest;
}

std::vector<std::unique_ptr<TNotification>> TNotificationQueue::TakeAll() {
    TLockGuard guard(lock_);
    std::vector<std::unique_ptr<TNotification>> all;
    all.reserve(items_.size());
    for (auto& item : items_) all.push_back(std::move(item));
    items_.clear();
    return all;
}

void TNotificationQueue::PutBack(std::vector<std::unique_ptr<TNotification>> items) {
    TLockGuard guard(lock_);
    for (auto item = items.rbegin(); item != items.rend(); ++item) {
        if (!*item) continue;
        if ((*item)->Always)
            items_.push_front(std::move(*item));
        else
            items_.insert(AfterAlways(), std::move(*item));
    }
}

void TNotificationQueue::Clear() {
    TLockGuard guard(lock_);
    items_.clear();
}

void TNotificationQueue::RemoveIf(const std::function<bool(const TNotification&)>& drop) {
    TLockGuard guard(lock_);
    items_.erase(std::remove_if(items_.begin(), items_.end(),
                                [&](const std::unique_ptr<TNotification>& item) { return item && drop(*item); }),
                 items_.end());
}

size_t TNotificationQueue::Count() {
    TLockGuard guard(lock_);
    return items_.size();
}

namespace {

// The lines a summary lists at most, "…" standing for the rest.
const size_t kMaxSummaryLines = 100;

// The one text all share, else how many different ones there are.
std::string SharedOrCount(const std::set<std::string>& texts, TText counted) {
    if (texts.size() == 1) return *texts.begin();
    return Counted(counted, texts.size());
}

}  // namespace

TNotification SampleNotification() {
    TNotification sample;
    sample.Folder = Text(TText::SampleFolder);
    sample.Sender = Text(TText::SampleSender);
    sample.Subject = Text(TText::SampleSubject);
    sample.Body = Text(TText::SampleBody);
    return sample;
}

TNotification SummaryOf(const std::vector<std::unique_ptr<TNotification>>& items) {
    std::set<std::string> folders, folderIds, senders;
    TNotification summary;
    bool anyHigh = false, allLow = true;
    size_t lines = 0;
    for (const auto& item : items) {
        folders.insert(item->Folder);
        folderIds.insert(item->FolderId);
        senders.insert(item->Sender);
        anyHigh = anyHigh || item->Priority == mpHigh;
        allLow = allLow && item->Priority == mpLow;
        if (lines == kMaxSummaryLines) {
            // More than any popup shows; the subject gives the count.
            summary.Body += std::string("\r\n") + kEllipsis;
            ++lines;
        } else if (lines < kMaxSummaryLines) {
            if (!summary.Body.empty()) summary.Body += "\r\n";
            summary.Body += Text(TText::SenderAndSubject, {item->Sender, item->Subject});
            ++lines;
        }
    }
    summary.Priority = anyHigh ? mpHigh : allLow ? mpLow : mpNormal;
    summary.Folder = SharedOrCount(folders, TText::FolderCount);
    if (folderIds.size() == 1 && !items.empty()) {
        summary.FolderId = items.front()->FolderId;
        summary.Color = items.front()->Color;
        summary.Sound = items.front()->Sound;
    }
    summary.Sender = SharedOrCount(senders, TText::SenderCount);
    summary.Subject = Counted(TText::NewMessages, items.size());
    return summary;
}

namespace {
// "Inbox 2, Lists 1": how many came in each folder, in the order they came.
std::string CountPerFolder(const std::vector<std::unique_ptr<TNotification>>& items) {
    std::vector<std::pair<std::string, size_t>> folders;
    for (const auto& item : items) {
        auto folder = std::find_if(folders.begin(), folders.end(), [&](const auto& f) { return f.first == item->Folder; });
        if (folder == folders.end())
            folders.emplace_back(item->Folder, 1);
        else
            ++folder->second;
    }
    std::string counts;
    for (size_t i = 0; i < folders.size(); ++i)
        counts += (i ? Text(TText::ListSeparator) : "") +
                  Text(TText::CountInFolder, {folders[i].first, std::to_string(folders[i].second)});
    return counts;
}
}  // namespace

TNotification SummaryWhileAway(const std::vector<std::unique_ptr<TNotification>>& items) {
    TNotification summary = SummaryOf(items);
    summary.Subject = Text(TText::WhileYouWereAway, {summary.Subject});
    summary.Folder = CountPerFolder(items);
    return summary;
}

std::string AlertName(const std::vector<std::unique_ptr<TNotification>>& items) {
    if (items.empty()) return std::string();
    if (items.size() == 1) return Text(TText::AlertFrom, {items.front()->Sender, items.front()->Subject});
    return Text(TText::AlertSeveral, {Counted(TText::NewMessages, items.size()), CountPerFolder(items)});
}

std::string AlertDescription(const std::string& body) {
    // Enough to know what it is about; the rest is a click away.
    const size_t kDescriptionBytes = 300;
    if (body.size() <= kDescriptionBytes) return body;
    return body.substr(0, Utf8CharacterStart(body, kDescriptionBytes)) + kEllipsis;
}

}  // namespace pellumo
