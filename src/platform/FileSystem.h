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
// True for an existing directory (a trailing delimiter is allowed).
bool DirectoryExists(const std::string& path);

// What tells the scan that a store file changed. The age alone moves in
// two-second steps, and the mail client writes a message in several writes:
// a scan woken by the first of them would stamp a half-written file with the
// age the finished one has too, and never look at it again. The exact
// last-write time and the size see every write the file system records.
struct TFileStamp {
    // The last-write time in local time, packed as an MS-DOS date (high 16
    // bits) and time (low 16 bits, two-second steps); -1 for a missing file,
    // a directory, or a time outside what the packing holds (1980 to 2107).
    int32_t Age = 0;
    int64_t WriteTime = 0;  // the last-write time in the system's own finest units
    int64_t Size = 0;
    bool operator==(const TFileStamp& o) const { return Age == o.Age && WriteTime == o.WriteTime && Size == o.Size; }
    bool operator!=(const TFileStamp& o) const { return !(*this == o); }
};

// Age -1 (and nothing else) for a missing file or a directory.
TFileStamp FileStamp(const std::string& path);

// The packing itself; -1 outside 1980 to 2107.
int32_t DosDateTime(int year, int month, int day, int hour, int minute, int second);

}  // namespace pellumo
