#include "settings/NotifierSettings.h"

#include <algorithm>

#include "platform/Exception.h"
#include "platform/Log.h"
#include "platform/Registry.h"
#include "settings/HintTimeValue.h"
#include "settings/WindowLocation.h"
#include "store/StoreLocation.h"

namespace pellumo {

const char* const TNotifierSettings::kKey = "Software\\Ostrivane\\Pellumo\\Settings";

namespace {
const char kWindowLocation[] = "Window Location";
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
        // A half-built object is still destroyed, and destruction saves; the
        // error goes on to whoever made the settings.
        Release();
        throw;
    }
}

TNotifierSettings::~TNotifierSettings() { Release(); }

void TNotifierSettings::Release() {
    try {
        Save();
    } catch (const Exception& error) {
        // Nobody is left to tell at this point; the run's changes are lost.
        LogLine("The settings could not be saved: " + error.Message());
    }
    FolderTree.reset();
    while (!folderList_.empty()) folderList_.pop_back();
}

bool TNotifierSettings::Load() {
    const auto key = CurrentUserRegistry().OpenKey(kKey, false, TKeyAccess::ReadWrite);
    if (!key) return false;
    auto number = [&](const TStoredValue& value) {
        return key->ReadIntegerIfPresent(value.Name).value_or(value.WhenMissing);
    };
    AutoHideHint = number(kAutoHideHintValue) != 0;
    UseFading = number(kUseFadingValue) != 0;
    DisplayWhenOEActive = number(kDisplayWhenOEActiveValue) != 0;
    // The dialog's range: 0 or less would end or hold every popup at once.
    HintTime = ClampHintTime(number(kHintTimeValue));
    if (key->ValueExists(kWindowLocation))
        WindowRect = ParseWindowLocation(key->ReadString(kWindowLocation), WindowRect);
    BeginColor = static_cast<uint32_t>(number(kBeginColorValue));
    EndColor = static_cast<uint32_t>(number(kEndColorValue));
    // Below zero means nothing more than never.
    SummarizeAfter = std::max<int32_t>(0, number(kSummarizeAfterValue));
    PlaySound = number(kPlaySoundValue) != 0;
    QuietFullScreen = number(kQuietFullScreenValue) != 0;
    return true;
}

void TNotifierSettings::Save() {
    const auto key = CurrentUserRegistry().OpenKey(kKey, true, TKeyAccess::ReadWrite);
    if (!key) return;
    key->WriteInteger(kAutoHideHintValue.Name, AutoHideHint ? 1 : 0);
    key->WriteInteger(kUseFadingValue.Name, UseFading ? 1 : 0);
    key->WriteInteger(kDisplayWhenOEActiveValue.Name, DisplayWhenOEActive ? 1 : 0);
    key->WriteInteger(kHintTimeValue.Name, HintTime);
    key->WriteString(kWindowLocation, FormatWindowLocation(WindowRect));
    key->WriteInteger(kBeginColorValue.Name, static_cast<int32_t>(BeginColor));
    key->WriteInteger(kEndColorValue.Name, static_cast<int32_t>(EndColor));
    key->WriteInteger(kSummarizeAfterValue.Name, SummarizeAfter);
    key->WriteInteger(kPlaySoundValue.Name, PlaySound ? 1 : 0);
    key->WriteInteger(kQuietFullScreenValue.Name, QuietFullScreen ? 1 : 0);
}

void LoadFolders(TNotifierSettings& settings) {
    settings.FolderTree = BuildFolderTree();
    AddWatchedFolders(*settings.FolderTree, settings.FolderList());
}

}  // namespace pellumo
