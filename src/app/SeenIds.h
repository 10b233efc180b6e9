#pragma once
// The Ids of the messages seen so far, per watched folder (a message's Id is
// its number within its folder file, so two folders can both hold an
// 000001). Kept as numbers in flat hashed sets: a store of any size costs
// the same per lookup and a few bytes per message, and a whole reading of a
// folder replaces its set with what the file still holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "platform/NumberSet.h"
#include "store/WatchedFolders.h"

namespace pellumo {

class TSeenIds {
public:
    using TFolderSet = TNumberSet;

    // The number of an Id as the records write it (hex, any letter case);
    // an empty or broken one counts as 0xFFFFFFFF.
    static uint32_t Number(const std::string& messageId);

    bool Contains(const std::string& folderId, const std::string& messageId) const;
    void Add(const std::string& folderId, const std::string& messageId);  // nothing when already there
    size_t Count() const;
    // What the sets keep in memory.
    size_t Bytes() const;
    void Clear() { folders_.clear(); }
    // The folder's set, made empty when there is none.
    TFolderSet& Of(const std::string& folderId);
    // The folder's set becomes Ids (a whole reading's).
    void Replace(const std::string& folderId, TFolderSet&& ids);
    // Forgets the folders no longer in the list.
    void KeepFolders(const TFolderList& folders);

private:
    std::unordered_map<std::string, TFolderSet> folders_;
};

}  // namespace pellumo
