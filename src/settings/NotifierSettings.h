#pragma once
// The settings object: the popup's behaviour, its last rectangle and
// colours, and the watched folders. Loaded from the current user's registry
// when constructed; written back when it is destroyed. The program makes one
// and hands it on by reference.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "texts/Message.h"
#include "platform/Geometry.h"
#include "settings/Hotkey.h"
#include "store/WatchedFolders.h"
#include "store/DbxFolderTree.h"

namespace pellumo {

class TRegistryKey;

// Every stored number with its name and its two defaults, in one table: the
// value on a first run (no settings key at all), and the value when the key
// is there but this value is not. "Window Location" is a string: the bottom
// right of the primary work area on a first run, left as it is when missing.
struct TStoredValue {
    const char* Name;
    int32_t FirstRun;
    int32_t WhenMissing;
};
inline constexpr TStoredValue kAutoHideHintValue{"AutoHideHint", 1, 0};
inline constexpr TStoredValue kUseFadingValue{"UseFading", 1, 0};
inline constexpr TStoredValue kDisplayWhenOEActiveValue{"DisplayWhenOEActive", 1, 0};
inline constexpr TStoredValue kHintTimeValue{"HintTime", 3, 1};
inline constexpr TStoredValue kBeginColorValue{"BeginColor", int32_t(0x8000001B), 0x00EBB170};  // gradient caption colour
inline constexpr TStoredValue kEndColorValue{"EndColor", 0x00FFFFFF, 0x00FFFFFF};
// Later additions: a key written by an older version lacks them, and then
// they take their usual values.
inline constexpr TStoredValue kSummarizeAfterValue{"SummarizeAfter", 5, 5};
inline constexpr TStoredValue kPlaySoundValue{"PlaySound", 1, 1};
inline constexpr TStoredValue kQuietFullScreenValue{"QuietFullScreen", 1, 1};
inline constexpr TStoredValue kShowUnreadCountValue{"ShowUnreadCount", 1, 1};
// The hotkey that shows the newest message again, as settings/Hotkey.h
// describes it; 0: none.
inline constexpr TStoredValue kShowAgainHotkeyValue{"ShowAgainHotkey", int32_t(kDefaultShowAgainHotkey),
                                                    int32_t(kDefaultShowAgainHotkey)};
// Minutes without keyboard or mouse input after which the user counts as
// away and new alerts wait for their return; 0: never away.
inline constexpr TStoredValue kAwayMinutesValue{"AwayMinutes", 10, 10};
// The setup dialog's page last used (TSetupDialog::TPage); the dialog takes
// a number of no page as its first.
inline constexpr TStoredValue kSetupPageValue{"SetupPage", 0, 0};
// When the alerts pause ends, a REG_QWORD: a UTC file time, kUntilResumed,
// or missing (0) when they are not paused.
inline constexpr char kPausedUntilValue[] = "PausedUntil";
// Whether a copy installed for every user starts with Windows for this user,
// a REG_DWORD; written only for such a copy (a portable one goes by the
// user's own Run value), so it may be missing.
inline constexpr char kStartWithWindowsValue[] = "StartWithWindows";
// What is never announced and what always is, at once (app/AnnounceRules.h),
// REG_MULTI_SZ values of one rule a line; missing: no rules.
inline constexpr char kNeverAnnounceValue[] = "NeverAnnounce";
inline constexpr char kAlwaysAnnounceValue[] = "AlwaysAnnounce";
// The language the program speaks, a REG_SZ language tag ("de", "pt-BR");
// empty or missing: the user's own (ChooseLanguage).
inline constexpr char kLanguageValue[] = "Language";

// The setup dialog's range for AwayMinutes, 0 (never away) kept: what lies
// outside it is taken as its nearest end.
constexpr int32_t kAwayMinutesMax = 240;
inline int32_t ClampAwayMinutes(int32_t minutes) { return minutes < 0 ? 0 : minutes > kAwayMinutesMax ? kAwayMinutesMax : minutes; }

// The settings the user edits in the setup dialog and the popup reads.
struct TUserSettings {
    bool AutoHideHint = kAutoHideHintValue.FirstRun != 0;
    bool UseFading = kUseFadingValue.FirstRun != 0;
    bool DisplayWhenOEActive = kDisplayWhenOEActiveValue.FirstRun != 0;
    int32_t HintTime = kHintTimeValue.FirstRun;
    uint32_t BeginColor = static_cast<uint32_t>(kBeginColorValue.FirstRun);
    uint32_t EndColor = static_cast<uint32_t>(kEndColorValue.FirstRun);
    // More than this many waiting are shown as one summary; 0: never.
    int32_t SummarizeAfter = kSummarizeAfterValue.FirstRun;
    bool PlaySound = kPlaySoundValue.FirstRun != 0;
    // No popup starts while a full-screen program is in front.
    bool QuietFullScreen = kQuietFullScreenValue.FirstRun != 0;
    // The tray icon carries the number of unread messages.
    bool ShowUnreadCount = kShowUnreadCountValue.FirstRun != 0;
    // Shows the newest recent message again, from any program.
    uint32_t ShowAgainHotkey = static_cast<uint32_t>(kShowAgainHotkeyValue.FirstRun);
    // Alerts wait while the user is away (idle this long, locked, screen
    // saver); 0: never.
    int32_t AwayMinutes = kAwayMinutesValue.FirstRun;
    // A language tag, empty: the user's own.
    std::string Language {};
    // The rules' lines as stored (app/AnnounceRules.h).
    std::vector<std::string> NeverAnnounce {};
    std::vector<std::string> AlwaysAnnounce {};

    bool operator==(const TUserSettings& o) const {
        return AutoHideHint == o.AutoHideHint && UseFading == o.UseFading &&
               DisplayWhenOEActive == o.DisplayWhenOEActive && HintTime == o.HintTime &&
               BeginColor == o.BeginColor && EndColor == o.EndColor && SummarizeAfter == o.SummarizeAfter &&
               PlaySound == o.PlaySound && QuietFullScreen == o.QuietFullScreen &&
               ShowUnreadCount == o.ShowUnreadCount && ShowAgainHotkey == o.ShowAgainHotkey &&
               AwayMinutes == o.AwayMinutes && Language == o.Language && NeverAnnounce == o.NeverAnnounce &&
               AlwaysAnnounce == o.AlwaysAnnounce;
    }
};

class TNotifierSettings : public TUserSettings {
public:
    static const char* const kKey;

    // Sets the defaults, loads the registry key and builds the folder list.
    // Neither a bad value nor an unreadable folder list fails it: LoadError
    // and FolderListError say what went wrong.
    TNotifierSettings();
    // Saves, then frees the folder tree and the folder list.
    ~TNotifierSettings();
    TNotifierSettings(const TNotifierSettings&) = delete;
    TNotifierSettings& operator=(const TNotifierSettings&) = delete;

    // False when the key does not exist (nothing changed). A value of the
    // wrong type or size is logged, takes its first-run default and is
    // written back alone with that default, so that one bad value never
    // costs the others; the first such error's message is kept in LoadError.
    bool Load();
    // Writes every value, creating the key; silently nothing when the
    // key cannot be opened or created.
    void Save();

    // The first bad value's message ("Invalid data type for 'HintTime'"),
    // for the error box; empty when all were good.
    TMessage LoadError;
    // Why the store's folder list could not be read at construction (then
    // no folder is listed); empty when it was read or there was none.
    std::string FolderListError;

    TFolderList& FolderList() { return folderList_; }

    // The values the user edits come with TUserSettings.
    std::unique_ptr<TDbxFolderNode> FolderTree;
    TRect WindowRect;
    // When the alerts pause ends (see TAlertPause); 0: not paused.
    uint64_t PausedUntil = 0;
    // The setup dialog's page last used (kSetupPageValue).
    int32_t SetupPage = kSetupPageValue.FirstRun;
    // kStartWithWindowsValue when stored; saved only when set.
    std::optional<bool> StartWithWindows;

    // 300 x 200 at the bottom right of the primary work area.
    static TRect DefaultRect();

private:
    void Release();
    void SaveRules(TRegistryKey& key);

    TFolderList folderList_;
    // The rule lists as the key held them when last loaded or saved: they
    // are also edited in the registry, and an edit made there while the
    // program runs must outlive its end unless the program changed them too.
    std::optional<std::vector<std::string>> storedNever_, storedAlways_;
};


inline TUserSettings UserSettingsOf(const TNotifierSettings& settings) { return settings; }
inline void ApplyUserSettings(TNotifierSettings& settings, const TUserSettings& values) {
    static_cast<TUserSettings&>(settings) = values;
}

// The stored kStartWithWindowsValue of a settings key; empty when missing or
// unreadable (logged).
std::optional<bool> ReadStartWithWindows(TRegistryKey& key);

// Builds the store's folder tree into the settings and lists its watched folders.
void LoadFolders(TNotifierSettings& settings);

}  // namespace pellumo
