#include <windows.h>

#include <cstring>

#include "platform/OutlookExpress.h"

namespace pellumo {

bool IsOutlookExpressActive() {
    // The foreground window itself must be the mail client's main window:
    // one merely open behind other windows does not count.
    HWND front = GetForegroundWindow();
    char name[64];
    return front && GetClassNameA(front, name, sizeof name) > 0 &&
           std::strcmp(name, "Outlook Express Browser Class") == 0;
}

}  // namespace pellumo
