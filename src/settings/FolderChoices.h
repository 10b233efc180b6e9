#pragma once
// The user's choice of watched folders and their colours, kept per mail
// identity under the settings key:
//   Settings\Folders\{identity GUID}\<folder Id>
//     Watch  REG_DWORD  1 watched, 0 not (none: watched when it is an Inbox)
//     Color  REG_DWORD  the popup's start colour for its mail (none: Start)
//     Sound  REG_SZ     the sound of its mail: none or empty the user's
//                       new-mail sound, "-" none, else a .wav file's path
//     Name   REG_SZ     the folder's name when last saved, for whoever reads
//                       the registry; never read back
#include <string>

#include "store/WatchedFolders.h"

namespace pellumo {

class TDbxFolderNode;

// The key of one identity's choices, below HKEY_CURRENT_USER.
std::string FolderChoicesKey(const std::string& identityId);

// One identity's choices. A value of the wrong type, a key that cannot be
// read or a name that is no folder Id is logged and counts as no choice;
// nothing here ever fails. No identity: no choices.
TFolderChoices LoadFolderChoices(const std::string& identityId);

// Writes what After changes against Before, and nothing else: a Watch or
// Color or Sound set, changed or removed. Tree gives the folders' names. Throws
// "Failed to set data for '%s'" when a value cannot be written.
void SaveFolderChoiceChanges(const std::string& identityId, const TFolderChoices& before, const TFolderChoices& after,
                             const TDbxFolderNode* tree);

}  // namespace pellumo
