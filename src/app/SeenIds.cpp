#include "app/SeenIds.h"

#include <iterator>
#include <unordered_set>

#include "platform/AsciiText.h"
#include "store/DbxFormat.h"

namespace pellumo {

uint32_t TSeenIds::Number(const std::string& messageId) {
    uint32_t value = 0;
    return dbx::ParseId(messageId, value) ? value : 0xFFFFFFFFu;
}

bool TSeenIds::Contains(const std::string& folderId, const std::string& messageId) const {
    const auto folder = folders_.find(asciitext::UpperCase(folderId));
    return folder != folders_.end() && folder->second.Contains(Number(messageId));
}

void TSeenIds::Add(const std::string& folderId, const std::string& messageId) {
    Of(folderId).Insert(Number(messageId));
}

size_t TSeenIds::Count() const {
    size_t count = 0;
    for (const auto& folder : folders_) count += folder.second.Size();
    return count;
}

size_t TSeenIds::Bytes() const {
    size_t bytes = 0;
    for (const auto& folder : folders_) bytes += folder.first.capacity() + sizeof folder + folder.second.Bytes();
    return bytes;
}

TSeenIds::TFolderSet& TSeenIds::Of(const std::string& folderId) { return folders_[asciitext::UpperCase(folderId)]; }

void TSeenIds::Replace(const std::string& folderId, TFolderSet&& ids) { Of(folderId) = std::move(ids); }

void TSeenIds::KeepFolders(const TFolderList& folders) {
    std::unordered_set<std::string> listed;
    for (const TFolderListEntry& entry : folders) listed.insert(asciitext::UpperCase(entry.FolderId));
    for (auto folder = folders_.begin(); folder != folders_.end();)
        folder = listed.count(folder->first) ? std::next(folder) : folders_.erase(folder);
}

}  // namespace pellumo
