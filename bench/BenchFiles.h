#pragma once
// Corpus loading for the benchmarks: every file below a directory, read whole.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pellumo {
namespace bench {

// Every regular file below Dir, recursively, sorted so that runs see the same
// order; the corpora's SOURCES.txt attribution files are not data.
inline std::vector<std::string> FilesBelow(const std::string& dir) {
    std::vector<std::string> files;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        if (it->is_regular_file() && it->path().filename() != "SOURCES.txt") files.push_back(it->path().string());
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where the benchmarks put the files their peers read: $TMPDIR or /tmp, with
// a trailing slash.
inline std::string TempDirectory() {
    const char* tmpdir = std::getenv("TMPDIR");
    std::string dir = tmpdir && *tmpdir ? tmpdir : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir;
}

}  // namespace bench
}  // namespace pellumo
