#include <sys/stat.h>

#include "platform/FileSystem.h"

namespace pellumo {

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace pellumo
