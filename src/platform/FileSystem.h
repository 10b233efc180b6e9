#pragma once
// Questions about files in the store directory that need no open handle.
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

}  // namespace pellumo
