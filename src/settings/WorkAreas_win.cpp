#include <windows.h>

#include <exception>

#include "settings/EdgeSnapping.h"

namespace pellumo {

namespace {

struct Collector {
    std::vector<TRect>* list;
    std::exception_ptr error;
};

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& collector = *reinterpret_cast<Collector*>(data);
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;  // nothing defined to add; go on
    TRect r;
    r.Left = info.rcWork.left;
    r.Top = info.rcWork.top;
    r.Right = info.rcWork.right;
    r.Bottom = info.rcWork.bottom;
    // No exception may unwind through user32: keep it and rethrow outside.
    // Adding to the list can only run out of memory.
    try {
        collector.list->push_back(r);
    } catch (const std::exception&) {
        collector.error = std::current_exception();
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void GetWorkAreas(std::vector<TRect>& list) {
    Collector collector {&list, nullptr};
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&collector));
    if (collector.error) std::rethrow_exception(collector.error);
}

}  // namespace pellumo
