#pragma once
// Where the store of the identity that used Outlook Express last lies, and
// its name, both from the current user's registry.
#include <memory>
#include <string>

namespace pellumo {

class TDbxFolderNode;

// The store directory with environment references expanded, ending in a
// backslash (the path delimiter where that is not a backslash); empty when
// it cannot be found. Kept per thread once found.
std::string GetStoreRoot();

// The same, looked up in the registry every time: what a long-running
// watcher asks, since the user may switch identities or move the store.
std::string LookUpStoreRoot();

// The identity's display name, or empty.
std::string GetIdentityName();

// The identity's registry name, its GUID in braces ("Last User ID"), looked
// up every time; empty when there is none.
std::string GetIdentityId();

// The folder tree of the current identity's store.
std::unique_ptr<TDbxFolderNode> BuildFolderTree();

}  // namespace pellumo
