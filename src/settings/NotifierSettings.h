#pragma once
// The one settings object of the process: the popup's behaviour, its last
// rectangle and colours, and the watched folders. Loaded from the current
// user's registry when first used; written back when it is destroyed.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Geometry.h"
#include "store/WatchedFolders.h"
#include "store/DbxFolderTree.h"

namespace pellumo {

// The six settings the user edits in the setup dialog and the popup reads,
// with their defaults.
struct TUserSettings {
    bool AutoHideHint = true;
    bool UseFading = true;
    bool DisplayWhenOEActive = true;
    int32_t HintTime = 3;
    uint32_t BeginColor = 0x8000001B;  // the gradient-caption system colour
    uint32_t EndColor = 0x00FFFFFF;

    bool operator==(const TUserSettings& o) const {
        return AutoHideHint == o.AutoHideHint && UseFading == o.UseFading &&
               DisplayWhenOEActive == o.DisplayWhenOEActive && HintTime == o.HintTime &&
               BeginColor == o.BeginColor && EndColor == o.EndColor;
    }
};

class TNotifierSettings : public TUserSettings {
public:
    static const char* const kKey;

    // Sets the defaults, loads the registry key and builds the folder list.
    // When any of it fails, whatever was set so far is saved (which repairs
    // a wrongly typed value) and the error is passed on.
    TNotifierSettings();
    // Saves, then frees the folder tree and the folder list.
    ~TNotifierSettings();
    TNotifierSettings(const TNotifierSettings&) = delete;
    TNotifierSettings& operator=(const TNotifierSettings&) = delete;

    // False when the key does not exist (nothing changed).
    bool Load();
    // Writes all seven values, creating the key; silently nothing when the
    // key cannot be opened or created.
    void Save();

    TFolderList& FolderList() { return folderList_; }

    // AutoHideHint, UseFading, DisplayWhenOEActive, HintTime, BeginColor and
    // EndColor come with TUserSettings.
    std::unique_ptr<TDbxFolderNode> FolderTree;
    TRect WindowRect;

    // 300 x 200 at the bottom right of the primary work area.
    static TRect DefaultRect();

private:
    void Release();

    TFolderList folderList_;
};


inline TUserSettings UserSettingsOf(const TNotifierSettings& settings) { return settings; }
inline void ApplyUserSettings(TNotifierSettings& settings, const TUserSettings& values) {
    static_cast<TUserSettings&>(settings) = values;
}

// The process's settings, constructed on first use. A failed construction
// throws and keeps nothing, so the next call tries again.
TNotifierSettings& NotifierSettings();

// At program end: destroys (and thereby saves) the settings, if any.
void FreeNotifierSettings();

// Builds the store's folder tree into the settings and lists its watched folders.
void LoadFolders(TNotifierSettings& settings);

}  // namespace pellumo
