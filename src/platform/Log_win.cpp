#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "platform/Lock.h"
#include "platform/Log.h"
#include "platform/UniqueHandle_win.h"

namespace pellumo {

namespace {

const DWORD kLogCap = 256 * 1024;

// The folder made on first use; empty when there is no application data folder.
std::string LogFolder() {
    char appData[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData))) return "";
    std::string folder = std::string(appData) + "\\Ostrivane";
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\Pellumo";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

void AppendToFile(const std::string& path, const std::string& line) {
    DWORD access = FILE_APPEND_DATA, disposition = OPEN_ALWAYS;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
        (data.nFileSizeHigh != 0 || data.nFileSizeLow >= kLogCap)) {
        const std::string older = path + ".1";
        // A viewer holding either file open without delete sharing stops the
        // move: the log then starts over, so that it never outgrows the cap.
        // Where it cannot even be emptied the line is not written.
        if (!MoveFileExA(path.c_str(), older.c_str(), MOVEFILE_REPLACE_EXISTING))
            access = GENERIC_WRITE, disposition = TRUNCATE_EXISTING;
    }
    const TFileHandle file(CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// The log file, found once; empty where there is none.
std::string LogFilePath() {
    static const std::string path = [] {
        const std::string folder = LogFolder();
        return folder.empty() ? folder : folder + "\\pellumo.log";
    }();
    return path;
}

}  // namespace

void LogLine(const std::string& text) {
    static TLock lock;
    TLockGuard guard(lock);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    const std::string line = stamp + text + "\r\n";
    OutputDebugStringA(line.c_str());
    const std::string path = LogFilePath();
    if (!path.empty()) AppendToFile(path, line);
}

}  // namespace pellumo
