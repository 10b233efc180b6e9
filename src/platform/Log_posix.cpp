#include <cstdio>
#include <ctime>

#include "platform/Lock.h"
#include "platform/Log.h"

namespace pellumo {

void LogLine(const std::string& text) {
    static TLock lock;
    TLockGuard guard(lock);
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "";
    if (const std::tm* local = std::localtime(&now)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    std::fprintf(stderr, "%s pellumo: %s\n", stamp, text.c_str());
}

}  // namespace pellumo
