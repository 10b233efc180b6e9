#include "settings/FolderChoices.h"

#include <exception>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "platform/AsciiText.h"
#include "platform/Exception.h"
#include "platform/Log.h"
#include "platform/Registry.h"
#include "settings/NotifierSettings.h"
#include "store/DbxFolderTree.h"
#include "store/DbxFormat.h"

namespace pellumo {

namespace {

const char kWatch[] = "Watch";
const char kColor[] = "Color";
const char kSound[] = "Sound";
const char kName[] = "Name";

// A folder Id as the records write it: six to eight hex digits.
bool IsFolderId(const std::string& name) {
    uint32_t number = 0;
    return name.size() >= 6 && name.size() <= 8 && dbx::ParseId(name, number);
}

// A DWORD of the folder's key; none when missing or bad (then logged).
std::optional<int32_t> ReadChoice(TRegistryKey& key, const std::string& folderId, const char* name) {
    try {
        return key.ReadIntegerIfPresent(name);
    } catch (const Exception& error) {
        LogLine("Folder " + folderId + ": " + error.Message() + "; taken as no choice");
        return std::nullopt;
    }
}

// The folder's Sound; empty when missing or bad (then logged).
std::string ReadSound(TRegistryKey& key, const std::string& folderId) {
    try {
        return key.ReadString(kSound);
    } catch (const Exception& error) {
        LogLine("Folder " + folderId + ": " + error.Message() + "; its mail plays the default sound");
        return std::string();
    }
}

// The folders' names by Id, for the registry's reader.
void CollectNames(const TTreeNode& node, std::map<std::string, std::string>& names) {
    std::vector<const TTreeNode*> pending{&node};
    while (!pending.empty()) {
        const TTreeNode* current = pending.back();
        pending.pop_back();
        const auto* folder = dynamic_cast<const TDbxFolderNode*>(current);
        if (folder && folder->Record) names.emplace(asciitext::UpperCase(folder->Record->Id), folder->Record->Name);
        for (size_t i = 0; i < current->Count(); ++i) pending.push_back(current->Items(i));
    }
}

}  // namespace

std::string FolderChoicesKey(const std::string& identityId) {
    return std::string(TNotifierSettings::kKey) + "\\Folders\\" + identityId;
}

TFolderChoices LoadFolderChoices(const std::string& identityId) {
    TFolderChoices choices;
    if (identityId.empty()) return choices;
    const std::string path = FolderChoicesKey(identityId);
    try {
        TRegistry& registry = CurrentUserRegistry();
        const auto key = registry.OpenKey(path, false, TKeyAccess::Read);
        if (!key) return choices;
        for (const std::string& name : key->SubKeyNames()) {
            if (!IsFolderId(name)) {
                LogLine("Folder choices: " + name + " is no folder Id; passed over");
                continue;
            }
            const auto folder = registry.OpenKey(path + "\\" + name, false, TKeyAccess::Read);
            if (!folder) {
                LogLine("Folder " + name + ": its key cannot be read; taken as no choice");
                continue;
            }
            TFolderChoice choice;
            if (const auto watch = ReadChoice(*folder, name, kWatch)) choice.Watch = *watch != 0;
            if (const auto color = ReadChoice(*folder, name, kColor)) choice.Color = static_cast<uint32_t>(*color);
            choice.Sound = ReadSound(*folder, name);
            if (!choice.Empty()) choices[asciitext::UpperCase(name)] = choice;
        }
    } catch (const std::exception& error) {
        // What was read stays; the rest counts as no choice.
        LogLine(std::string("Folder choices cannot be read: ") + error.what());
    }
    return choices;
}

void SaveFolderChoiceChanges(const std::string& identityId, const TFolderChoices& before, const TFolderChoices& after,
                             const TDbxFolderNode* tree) {
    if (identityId.empty()) return;
    std::set<std::string> ids;
    for (const auto& entry : before) ids.insert(entry.first);
    for (const auto& entry : after) ids.insert(entry.first);
    std::map<std::string, std::string> names;
    if (tree) CollectNames(*tree, names);
    TRegistry& registry = CurrentUserRegistry();
    for (const std::string& id : ids) {
        const TFolderChoice* was = ChoiceFor(before, id);
        const TFolderChoice* now = ChoiceFor(after, id);
        const TFolderChoice none;
        const TFolderChoice& b = was ? *was : none;
        const TFolderChoice& a = now ? *now : none;
        if (a == b) continue;
        const std::string path = FolderChoicesKey(identityId) + "\\" + id;
        const auto key = registry.OpenKey(path, true, TKeyAccess::ReadWrite);
        if (!key) throw Exception(TText::FailedToSetData, {id});
        if (a.Watch != b.Watch) {
            if (a.Watch)
                key->WriteInteger(kWatch, *a.Watch ? 1 : 0);
            else
                key->DeleteValue(kWatch);
        }
        if (a.Color != b.Color) {
            if (a.Color)
                key->WriteInteger(kColor, static_cast<int32_t>(*a.Color));
            else
                key->DeleteValue(kColor);
        }
        if (a.Sound != b.Sound) {
            if (a.Sound.empty())
                key->DeleteValue(kSound);
            else
                key->WriteString(kSound, a.Sound);
        }
        const auto name = names.find(id);
        if (name != names.end()) key->WriteString(kName, name->second);
    }
}

}  // namespace pellumo
