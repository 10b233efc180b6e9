// Attachment file names and the search for a free one; the file itself is
// made by the platform's TFileWriteStream::CreateNew.
#include "platform/TempFile.h"

#include <cstdio>

#include "platform/Exception.h"

namespace pellumo {

std::string TempFileName(uint32_t number) {
    char name[24];
    std::snprintf(name, sizeof name, "Indy%08X.tmp", static_cast<unsigned>(number));
    return name;
}

std::unique_ptr<TFileWriteStream> CreateNumberedFile(const std::string& directory, uint32_t start,
                                                     std::string& path, unsigned tries) {
    // An empty directory would put the file wherever the working directory is.
    if (directory.empty()) throw Exception("Cannot create a temporary file: no temporary directory");
    uint32_t number = start;
    for (unsigned tried = 0; tried < tries; ++tried, ++number) {
        const std::string candidate = directory + TempFileName(number);
        if (std::unique_ptr<TFileWriteStream> file = TFileWriteStream::CreateNew(candidate)) {
            path = candidate;
            return file;
        }
    }
    throw Exception(Substitute("Cannot create a temporary file in %s: every name tried is taken", directory));
}

std::unique_ptr<TFileWriteStream> CreateAttachmentFile(std::string& path) {
    return CreateNumberedFile(TempDirectory(), TickCount(), path);
}

size_t TFileWriteStream::Read(void*, size_t) {
    throw Exception("Stream read error");
}

void TFileWriteStream::Seek(uint64_t position) { position_ = position; }

}  // namespace pellumo
