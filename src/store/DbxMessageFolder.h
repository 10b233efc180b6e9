#pragma once
// TDbxMessageFolder: the reader of a message folder file, with ReadMessage,
// which copies a message's raw text out of its block chain.
#include <cstdint>
#include <memory>

#include "platform/Stream.h"
#include "store/DbxFile.h"
#include "store/DbxRecords.h"

namespace pellumo {

class TDbxMessageFolder : public TDbxFile {
public:
    TDbxMessageRecord* Current() const {
        return static_cast<TDbxMessageRecord*>(TDbxFile::Current());
    }

    // Writes the raw text of the message whose first block is at Position to
    // Dest and returns the number of bytes written. At most 512 bytes are taken
    // from a block; the chain ends at a short read (the bytes read are kept) or
    // when a block position comes round again, and it never gives more bytes
    // than the file holds (blocks may overlap). Complete, when given, tells
    // whether the whole chain was there: a chain that runs past the end of the
    // file or into a block still all zeros is a message the mail client has
    // not finished writing. (TDbxMessageStream reads the same chain a piece
    // at a time.)
    uint64_t ReadMessage(uint32_t position, TStream& dest, bool* complete = nullptr);

protected:
    uint32_t RootPosition() override;
    std::unique_ptr<TDbxRecord> NewRecord() const override;
    bool IsExpectedType() override { return FileType() == 2; }
};

}  // namespace pellumo
