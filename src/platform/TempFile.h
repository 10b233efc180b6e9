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
    // Creates Path only if nothing of that name exists (a file, directory or
    // link): null when the name is taken; raises "Cannot create file <path>"
    // on any other failure.
    static std::unique_ptr<TFileWriteStream> CreateNew(const std::string& path);

    size_t Read(void* buffer, size_t count) override;  // write-only: raises "Stream read error"
    size_t Write(const void* buffer, size_t count) override;  // raises "Stream write error" on failure
    void Seek(uint64_t position) override;
    uint64_t Position() const override { return position_; }
    uint64_t Size() const override { return size_; }
    // Closes the file; raises "Stream write error" when the system reports
    // that written data was lost. Writing after Close raises.
    void Close();

private:
    TFileWriteStream() = default;
    struct Handle;
    std::unique_ptr<Handle> handle_;
    uint64_t position_ = 0, size_ = 0;
};

// How many names are tried, counting up, before creating a file gives up.
const unsigned kTempFileNameTries = 4096;

// "Indy" + eight upper-case hex digits of Number + ".tmp".
std::string TempFileName(uint32_t number);

// Creates the first free TempFileName in Directory (which ends in a path
// delimiter) from Start on, counting up (and wrapping) past names that are
// taken; never opens a file that is already there. Sets Path; raises when the
// directory cannot take a file or Tries names were all taken.
std::unique_ptr<TFileWriteStream> CreateNumberedFile(const std::string& directory, uint32_t start,
                                                     std::string& path, unsigned tries = kTempFileNameTries);

// CreateNumberedFile in the temporary directory from the tick count on, so
// two attachments made in one millisecond get consecutive names.
std::unique_ptr<TFileWriteStream> CreateAttachmentFile(std::string& path);

// Removes a file; false when it could not be removed (or was not there).
bool DeleteFileAt(const std::string& path);

}  // namespace pellumo
