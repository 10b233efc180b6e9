#pragma once
// Corpus loading for the benchmarks: every file below a directory, read whole.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pellumo {
namespace bench {

// Every regular file below Dir, recursively, sorted so that runs see the same
// order; the corpora's SOURCES.txt attribution files are not data.
inline std::vector<std::string> FilesBelow(const std::string& dir) {
    std::vector<std::string> files, pending{dir};
    while (!pending.empty()) {
        const std::string d = pending.back();
        pending.pop_back();
        DIR* handle = opendir(d.c_str());
        if (!handle) continue;
        while (dirent* e = readdir(handle)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const std::string path = d + "/" + name;
            struct stat st {};
            if (stat(path.c_str(), &st) != 0) continue;
            if (S_ISDIR(st.st_mode))
                pending.push_back(path);
            else if (S_ISREG(st.st_mode) && name != "SOURCES.txt")
                files.push_back(path);
        }
        closedir(handle);
    }
    std::sort(files.begin(), files.end());
    return files;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace bench
}  // namespace pellumo
