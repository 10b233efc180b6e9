#pragma once
// Attachment files: new files "Indy" + eight upper-case hex digits + ".tmp"
// in the system's temporary directory, created exclusively, written once and
// deleted with their message part.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Stream.h"

namespace pellumo {

// The system's temporary directory, ending in a path delimiter.
std::string TempDirectory();

// A millisecond counter (wraps around), the seed of attachment file names.
uint32_t TickCount();

// A writable stream over a new file.
class TFileWriteStream : public TStream {
public:
    ~TFileWriteStream() override;
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;  // raises "Stream write error" on failure
    void Seek(uint64_t position) override;
    uint64_t Position() const override { return position_; }
    uint64_t Size() const override { return size_; }
    void Close();

private:
    friend std::unique_ptr<TFileWriteStream> CreateAttachmentFile(std::string& path);
    TFileWriteStream() = default;
    struct Handle;
    std::unique_ptr<Handle> handle_;
    uint64_t position_ = 0, size_ = 0;
};

// Creates the next free "Indy%08X.tmp" in the temporary directory, starting
// from the tick count and counting up past names that exist; never opens a
// file that is already there. Sets Path; raises when no file can be made.
std::unique_ptr<TFileWriteStream> CreateAttachmentFile(std::string& path);

// Removes a file; false when it could not be removed (or was not there).
bool DeleteFileAt(const std::string& path);

}  // namespace pellumo
