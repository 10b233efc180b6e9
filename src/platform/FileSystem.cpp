#include "platform/FileSystem.h"

namespace pellumo {

int32_t DosDateTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1980 || year > 2107) return -1;
    const uint32_t date = uint32_t(year - 1980) << 9 | uint32_t(month) << 5 | uint32_t(day);
    const uint32_t time = uint32_t(hour) << 11 | uint32_t(minute) << 5 | uint32_t(second / 2);
    return static_cast<int32_t>(date << 16 | time);
}

}  // namespace pellumo
