#pragma once
// Questions about files in the store directory that need no open handle.
#include <cstdint>
#include <string>

namespace pellumo {

// What ends a directory name in a path: the store directory always ends in one.
#ifdef _WIN32
const char kPathDelimiter = '\\';
#else
const char kPathDelimiter = '/';
#endif

inline bool EndsWithPathDelimiter(const std::string& path) {
    return !path.empty() && (path.back() == kPathDelimiter || path.back() == '/');
}

// True for an existing regular file; false for a directory, a missing path
// or an empty one.
bool FileExists(const std::string& path);

// A file's last-write time in local time, packed as an MS-DOS date (high 16
// bits) and time (low 16 bits, two-second steps); -1 for a missing file, a
// directory, or a time outside what the packing holds (1980 to 2107).
int32_t FileAge(const std::string& path);

// The packing itself; -1 outside 1980 to 2107.
int32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace pellumo
