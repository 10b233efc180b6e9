#pragma once
// TDbxFile: the iterating reader of a DBX file's index (First / Next / Eof /
// Current over the records in the store's order). A kind of store file
// derives from it and names its index root, its record type and its file type.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Stream.h"
#include "store/DbxIndexWalk.h"
#include "store/DbxRecords.h"

namespace pellumo {

class TDbxFile {
public:
    TDbxFile() = default;
    virtual ~TDbxFile() { Close(); }
    TDbxFile(const TDbxFile&) = delete;
    TDbxFile& operator=(const TDbxFile&) = delete;

    // Takes the stream (kept by the caller, or owned and freed on Close), then
    // throws "Invalid dbx file" without the signature and "Unexpected dbx file
    // type" when the file is not of this reader's kind; the stream stays set
    // either way. Does not position the reader: Eof is true until First.
    void Open(TStream& stream);
    void Open(std::unique_ptr<TStream> stream);
    void Close();

    bool HasSignature();
    int FileType();
    // The number of records the header says the index holds (0 without a stream).
    uint32_t ItemCount();

    void First();
    void Next();
    // The positions of the records the index names, in walk order, none of
    // them read (the same walk as First and Next; empty when the header
    // counts no records).
    std::vector<uint32_t> RecordPositions();
    bool Eof() const { return current_ == nullptr; }
    // Belongs to the reader; freed by the next First, Next or Close.
    TDbxRecord* Current() const { return current_.get(); }

    // Positioned read of up to Count bytes; a short read is not reported.
    size_t ReadAt(uint32_t position, void* buffer, size_t count);

    TStream* Stream() const { return stream_; }
    bool OwnsStream() const { return owned_ != nullptr; }

protected:
    virtual uint32_t RootPosition() = 0;
    // The record class created for each entry.
    virtual std::unique_ptr<TDbxRecord> NewRecord() const;
    virtual bool IsExpectedType() = 0;

    void Reset();

private:
    void CheckFile();
    // Makes Current from the walk's entry, moving on past records that cannot be read.
    void TakeCurrent(bool positioned);

    TStream* stream_ = nullptr;
    std::unique_ptr<TStream> owned_;
    DbxIndexWalk walk_;
    std::unique_ptr<TDbxRecord> current_;
};

}  // namespace pellumo
