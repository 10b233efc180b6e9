#include "store/StoreLocation.h"

#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "store/DbxFolderTree.h"

namespace pellumo {

namespace {
const char kIdentities[] = "Identities";
const char kLastUserId[] = "Last User ID";

std::string IdentityKey(const std::string& id) { return std::string("\\Identities\\") + id; }
}  // namespace

std::string GetStoreRoot() {
    // Each thread finds it once; afterwards it never reads the registry again.
    thread_local std::string cached;
    if (cached.empty()) cached = LookUpStoreRoot();
    return cached;
}

std::string LookUpStoreRoot() {
    TRegistry& registry = CurrentUserRegistry();
    // Read access is all we need: asking for more would fail for users
    // whose Identities key is not theirs to change.
    const auto identities = registry.OpenKey(kIdentities, false, TKeyAccess::Read);
    if (!identities) return std::string();
    const std::string id = identities->ReadString(kLastUserId);
    const auto store = registry.OpenKey(IdentityKey(id) + "\\Software\\Microsoft\\Outlook Express\\5.0", false,
                                        TKeyAccess::Read);
    if (!store) return std::string();
    std::string root = store->ReadString("Store Root");
    if (root.empty()) return root;
    if (root.back() != kPathDelimiter) root += kPathDelimiter;
    return ExpandEnvironment(root);
}

std::string GetIdentityName() {
    TRegistry& registry = CurrentUserRegistry();
    const auto identities = registry.OpenKey(kIdentities, false, TKeyAccess::Read);
    if (!identities) return std::string();
    const auto identity = registry.OpenKey(IdentityKey(identities->ReadString(kLastUserId)), false, TKeyAccess::Read);
    return identity ? identity->ReadString("Username") : std::string();
}

std::string GetIdentityId() {
    const auto identities = CurrentUserRegistry().OpenKey(kIdentities, false, TKeyAccess::Read);
    return identities ? identities->ReadString(kLastUserId) : std::string();
}

std::unique_ptr<TDbxFolderNode> BuildFolderTree() {
    return BuildFolderTree(GetStoreRoot(), GetIdentityName());
}

}  // namespace pellumo
