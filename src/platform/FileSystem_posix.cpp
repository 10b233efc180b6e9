#include <sys/stat.h>

#include <ctime>

#include "platform/FileSystem.h"

namespace pellumo {

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

int32_t AgeOf(const struct stat& st) {
    struct tm local {};
    const time_t written = st.st_mtime;
    if (!localtime_r(&written, &local)) return -1;
    return DosDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                       local.tm_sec);
}

}  // namespace

TFileStamp FileStamp(const std::string& path) {
    TFileStamp stamp;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
        stamp.Age = -1;
        return stamp;
    }
    stamp.Age = AgeOf(st);
    stamp.WriteTime = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.Size = st.st_size;
    return stamp;
}

}  // namespace pellumo
