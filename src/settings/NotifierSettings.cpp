#include "settings/NotifierSettings.h"

#include <algorithm>
#include <functional>

#include "platform/Exception.h"
#include "platform/Geometry.h"
#include "platform/Log.h"
#include "platform/Registry.h"
#include "settings/FolderChoices.h"
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
    // Designed at 96 DPI; as large as the fonts at larger ones.
    r.Left = area.Right - ScaledToScreen(300);
    r.Top = area.Bottom - ScaledToScreen(200);
    r.Right = area.Right;
    r.Bottom = area.Bottom;
    return r;
}

TNotifierSettings::TNotifierSettings() : WindowRect(DefaultRect()) {
    // Nothing is saved when construction fails: a value never loaded is
    // never written back.
    Load();
    try {
        LoadFolders(*this);
    } catch (const std::exception& error) {
        // Half written while the mail client rewrites it, at logon say: no
        // folder is watched until the store watch reads the file again.
        FolderListError = error.what();
        LogLine(std::string("Folders.dbx: ") + error.what() + "; no folder is watched until it changes");
        FolderTree.reset();
        folderList_.clear();
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
    // A bad value is told, then repaired alone with its first-run default.
    auto repair = [&](const std::string& name, const Exception& error, const std::function<void()>& write) {
        LogLine("Setting " + name + ": " + error.Message() + "; repaired with its default");
        if (LoadError.Empty()) LoadError = error.UserMessage();
        try {
            write();
        } catch (const Exception& failed) {
            LogLine("Setting " + name + " could not be repaired: " + failed.Message());
        }
    };
    auto number = [&](const TStoredValue& value) {
        try {
            return key->ReadIntegerIfPresent(value.Name).value_or(value.WhenMissing);
        } catch (const Exception& error) {
            repair(value.Name, error, [&] { key->WriteInteger(value.Name, value.FirstRun); });
            return value.FirstRun;
        }
    };
    AutoHideHint = number(kAutoHideHintValue) != 0;
    UseFading = number(kUseFadingValue) != 0;
    DisplayWhenOEActive = number(kDisplayWhenOEActiveValue) != 0;
    // The dialog's range: 0 or less would end or hold every popup at once.
    HintTime = ClampHintTime(number(kHintTimeValue));
    try {
        if (key->ValueExists(kWindowLocation))
            WindowRect = ParseWindowLocation(key->ReadString(kWindowLocation), WindowRect);
    } catch (const Exception& error) {
        repair(kWindowLocation, error, [&] { key->WriteString(kWindowLocation, FormatWindowLocation(WindowRect)); });
    }
    BeginColor = static_cast<uint32_t>(number(kBeginColorValue));
    EndColor = static_cast<uint32_t>(number(kEndColorValue));
    // Below zero means nothing more than never.
    SummarizeAfter = std::max<int32_t>(0, number(kSummarizeAfterValue));
    PlaySound = number(kPlaySoundValue) != 0;
    QuietFullScreen = number(kQuietFullScreenValue) != 0;
    ShowUnreadCount = number(kShowUnreadCountValue) != 0;
    // A number the setup dialog would not take is never registered: a key
    // without Ctrl or Alt would be taken from every program.
    ShowAgainHotkey = static_cast<uint32_t>(number(kShowAgainHotkeyValue));
    if (ShowAgainHotkey != 0 && !HotkeyRegistration(ShowAgainHotkey)) {
        const char* name = kShowAgainHotkeyValue.Name;
        ShowAgainHotkey = static_cast<uint32_t>(kShowAgainHotkeyValue.FirstRun);
        repair(name, Exception(TText::InvalidValue, {name}),
               [&] { key->WriteInteger(name, kShowAgainHotkeyValue.FirstRun); });
    }
    AwayMinutes = ClampAwayMinutes(number(kAwayMinutesValue));
    try {
        PausedUntil = key->ReadQwordIfPresent(kPausedUntilValue).value_or(0);
    } catch (const Exception& error) {
        // Not paused: alerts held back by a value nobody can read would be
        // lost. No setting of the user's, so no error box either.
        PausedUntil = 0;
        LogLine("Setting " + std::string(kPausedUntilValue) + ": " + error.Message() + "; not paused");
    }
    try {
        Language = key->ReadString(kLanguageValue);
    } catch (const Exception& error) {
        repair(kLanguageValue, error, [&] { key->DeleteValue(kLanguageValue); });
        Language.clear();
    }
    auto lines = [&](const char* name) {
        try {
            return key->ReadStringsIfPresent(name).value_or(std::vector<std::string>());
        } catch (const Exception& error) {
            repair(name, error, [&] { key->WriteStrings(name, {}); });
            return std::vector<std::string>();
        }
    };
    storedNever_ = NeverAnnounce = lines(kNeverAnnounceValue);
    storedAlways_ = AlwaysAnnounce = lines(kAlwaysAnnounceValue);
    try {
        SetupPage = key->ReadIntegerIfPresent(kSetupPageValue.Name).value_or(kSetupPageValue.WhenMissing);
    } catch (const Exception& error) {
        // Where the dialog opens is no setting of the user's: no error box.
        SetupPage = kSetupPageValue.FirstRun;
        LogLine("Setting " + std::string(kSetupPageValue.Name) + ": " + error.Message() + "; the first page");
    }
    StartWithWindows = ReadStartWithWindows(*key);
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
    key->WriteInteger(kShowUnreadCountValue.Name, ShowUnreadCount ? 1 : 0);
    key->WriteInteger(kShowAgainHotkeyValue.Name, static_cast<int32_t>(ShowAgainHotkey));
    key->WriteInteger(kAwayMinutesValue.Name, AwayMinutes);
    key->WriteInteger(kSetupPageValue.Name, SetupPage);
    if (!Language.empty())
        key->WriteString(kLanguageValue, Language);
    else
        key->DeleteValue(kLanguageValue);
    if (PausedUntil != 0)
        key->WriteQword(kPausedUntilValue, PausedUntil);
    else
        key->DeleteValue(kPausedUntilValue);
    SaveRules(*key);
    if (StartWithWindows) key->WriteInteger(kStartWithWindowsValue, *StartWithWindows ? 1 : 0);
}

void TNotifierSettings::SaveRules(TRegistryKey& key) {
    // Written when changed here, or not there at all (so that the user finds
    // them to fill in); left alone otherwise, so that an edit made in the
    // registry meanwhile is kept.
    const auto save = [&](const char* name, const std::vector<std::string>& lines,
                          std::optional<std::vector<std::string>>& stored) {
        if (stored && *stored == lines && key.ValueExists(name)) return;
        key.WriteStrings(name, lines);
        stored = lines;
    };
    save(kNeverAnnounceValue, NeverAnnounce, storedNever_);
    save(kAlwaysAnnounceValue, AlwaysAnnounce, storedAlways_);
}

std::optional<bool> ReadStartWithWindows(TRegistryKey& key) {
    try {
        if (const auto stored = key.ReadIntegerIfPresent(kStartWithWindowsValue)) return *stored != 0;
    } catch (const Exception& error) {
        // Decided again as on a first start, and stored then.
        LogLine("Setting " + std::string(kStartWithWindowsValue) + ": " + error.Message() + "; taken as not stored");
    }
    return std::nullopt;
}

void LoadFolders(TNotifierSettings& settings) {
    settings.FolderTree = BuildFolderTree();
    AddWatchedFolders(*settings.FolderTree, settings.FolderList(), LoadFolderChoices(GetIdentityId()));
}

}  // namespace pellumo
