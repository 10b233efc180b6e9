#include "settings/NotifierSettings.h"

#include "platform/Exception.h"
#include "platform/Registry.h"
#include "settings/HintTimeValue.h"
#include "settings/WindowLocation.h"
#include "store/StoreLocation.h"

namespace pellumo {

const char* const TNotifierSettings::kKey = "Software\\Ostrivane\\Pellumo\\Settings";

namespace {
const char kAutoHideHint[] = "AutoHideHint";
const char kUseFading[] = "UseFading";
const char kDisplayWhenOEActive[] = "DisplayWhenOEActive";
const char kHintTime[] = "HintTime";
const char kWindowLocation[] = "Window Location";
const char kBeginColor[] = "BeginColor";
const char kEndColor[] = "EndColor";

std::unique_ptr<TNotifierSettings> theSettings;
}  // namespace

TRect TNotifierSettings::DefaultRect() {
    const TRect area = PrimaryWorkArea();
    TRect r;
    r.Left = area.Right - 300;
    r.Top = area.Bottom - 200;
    r.Right = area.Right;
    r.Bottom = area.Bottom;
    return r;
}

TNotifierSettings::TNotifierSettings() : WindowRect(DefaultRect()) {
    try {
        Load();
        LoadFolders(*this);
    } catch (...) {
        // A half-built object is still destroyed, and destruction saves.
        Release();
        throw;
    }
}

TNotifierSettings::~TNotifierSettings() { Release(); }

void TNotifierSettings::Release() {
    try {
        Save();
    } catch (const Exception&) {
        // Nobody is left to tell at this point; the run's changes are lost.
    }
    FolderTree.reset();
    while (!folderList_.empty()) folderList_.pop_back();
}

bool TNotifierSettings::Load() {
    const auto key = CurrentUserRegistry().OpenKey(kKey, false, TKeyAccess::ReadWrite);
    if (!key) return false;
    auto flag = [&](const char* name) { return key->ValueExists(name) ? key->ReadInteger(name) != 0 : false; };
    AutoHideHint = flag(kAutoHideHint);
    UseFading = flag(kUseFading);
    DisplayWhenOEActive = flag(kDisplayWhenOEActive);
    // The dialog's range: 0 or less would end or hold every popup at once.
    HintTime = key->ValueExists(kHintTime) ? ClampHintTime(key->ReadInteger(kHintTime)) : 1;
    if (key->ValueExists(kWindowLocation))
        WindowRect = ParseWindowLocation(key->ReadString(kWindowLocation), WindowRect);
    BeginColor = key->ValueExists(kBeginColor) ? static_cast<uint32_t>(key->ReadInteger(kBeginColor)) : 0x00EBB170;
    EndColor = key->ValueExists(kEndColor) ? static_cast<uint32_t>(key->ReadInteger(kEndColor)) : 0x00FFFFFF;
    return true;
}

void TNotifierSettings::Save() {
    const auto key = CurrentUserRegistry().OpenKey(kKey, true, TKeyAccess::ReadWrite);
    if (!key) return;
    key->WriteInteger(kAutoHideHint, AutoHideHint ? 1 : 0);
    key->WriteInteger(kUseFading, UseFading ? 1 : 0);
    key->WriteInteger(kDisplayWhenOEActive, DisplayWhenOEActive ? 1 : 0);
    key->WriteInteger(kHintTime, HintTime);
    key->WriteString(kWindowLocation, FormatWindowLocation(WindowRect));
    key->WriteInteger(kBeginColor, static_cast<int32_t>(BeginColor));
    key->WriteInteger(kEndColor, static_cast<int32_t>(EndColor));
}

void LoadFolders(TNotifierSettings& settings) {
    settings.FolderTree = BuildFolderTree();
    AddWatchedFolders(*settings.FolderTree, settings.FolderList());
}

TNotifierSettings& NotifierSettings() {
    if (!theSettings) theSettings.reset(new TNotifierSettings);
    return *theSettings;
}

void FreeNotifierSettings() { theSettings.reset(); }

}  // namespace pellumo
