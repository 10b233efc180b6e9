// Any bytes as a stored message: read it, choose and convert the preview,
// and make sure every attachment file is gone with the message.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "content/IdMessage.h"
#include "platform/FileSystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> files;
    {
        pellumo::TMemoryStream stream(std::string(reinterpret_cast<const char*>(data), size));
        pellumo::TIdMessage message;
        try {
            pellumo::ReadFromStream(message, stream);
            pellumo::BodyPreview(message);
        } catch (const pellumo::Exception&) {
        }
        for (const auto& part : message.MessageParts)
            if (auto* file = dynamic_cast<const pellumo::TIdAttachmentFile*>(part.get()))
                files.push_back(file->StoredPathName);
    }
    for (const auto& path : files)
        if (pellumo::FileExists(path)) __builtin_trap();  // left behind
    return 0;
}
