// The popup's display cycle wired to the running system: the settings, the
// monitors, the foreground window and the user's preferences.
#include <vector>

#include "app/DesktopState_win.h"
#include "app/PopupWindow.h"
#include "platform/OutlookExpress.h"
#include "settings/EdgeSnapping.h"
#include "settings/NotifierSettings.h"

namespace pellumo {

TPopupCycle::TInputs TPopupWindow::DefaultInputs(TNotifierSettings& settings) {
    TPopupCycle::TInputs inputs;
    inputs.Settings = [&settings] { return UserSettingsOf(settings); };
    inputs.StoreWindowRect = [&settings](const TRect& r) { settings.WindowRect = r; };
    inputs.OutlookExpressActive = [] { return IsOutlookExpressActive(); };
    inputs.WorkAreas = [] {
        std::vector<TRect> areas;
        GetWorkAreas(areas);
        return areas;
    };
    inputs.DefaultRect = [] { return TNotifierSettings::DefaultRect(); };
    inputs.FullScreenInFront = FullScreenProgramInFront;
    inputs.System = ReadSystemPreferences;
    inputs.Snap = [](const TRect& r) {
        TRect snapped = r;
        SnapToWorkAreas(snapped);
        return snapped;
    };
    return inputs;
}

}  // namespace pellumo
