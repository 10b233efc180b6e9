#pragma once
// The iterating DBX reader (First / Next / Eof / Current over the index in
// the store's order) and its message folder specialisation with ReadMessage.
#include <cstdint>
#include <memory>

#include "platform/Stream.h"
#include "store/DbxIndexWalk.h"
#include "store/ZellDbxObject.h"

namespace pellumo {

class TZellCustomDbx {
public:
    TZellCustomDbx() = default;
    virtual ~TZellCustomDbx() { Close(); }
    TZellCustomDbx(const TZellCustomDbx&) = delete;
    TZellCustomDbx& operator=(const TZellCustomDbx&) = delete;

    // Takes the stream (kept by the caller, or owned and freed on Close), then
    // raises "Invalid dbx file" without the signature and "Unexpected dbx file
    // type" when the file is not of this reader's kind; the stream stays set
    // either way. Does not position the reader: Eof is true until First.
    void Open(TStream& stream);
    void Open(std::unique_ptr<TStream> stream);
    void Close();

    bool HasSignature();
    int FileType();

    void First();
    void Next();
    bool Eof() const { return current_ == nullptr; }
    // Belongs to the reader; freed by the next First, Next or Close.
    TZellCustomDbxObject* Current() const { return current_.get(); }

    // Positioned read of up to Count bytes; a short read is not reported.
    size_t ReadAt(uint32_t position, void* buffer, size_t count);

    TStream* Stream() const { return stream_; }
    bool OwnsStream() const { return owned_ != nullptr; }

protected:
    virtual uint32_t RootPosition() = 0;
    // The record class created for each entry.
    virtual std::unique_ptr<TZellCustomDbxObject> ObjectClass() const;
    virtual bool IsExpectedType() = 0;

    void Reset();

private:
    void CheckFile();
    // Makes Current from the walk's entry, moving on past records that cannot be read.
    void TakeCurrent(bool positioned);

    TStream* stream_ = nullptr;
    std::unique_ptr<TStream> owned_;
    DbxIndexWalk walk_;
    std::unique_ptr<TZellCustomDbxObject> current_;
};

class TZellMessageDbx : public TZellCustomDbx {
public:
    TZellDbxMessageObject* Current() const {
        return static_cast<TZellDbxMessageObject*>(TZellCustomDbx::Current());
    }

    // Writes the raw text of the message whose first block is at Position to
    // Dest and returns the number of bytes written. At most 512 bytes are taken
    // from a block; the chain ends at a short read (the bytes read are kept) or
    // when a block position comes round again. Complete, when given, tells
    // whether the whole chain was there: a chain that runs past the end of the
    // file or into a block still all zeros is a message the mail client has
    // not finished writing.
    int32_t ReadMessage(uint32_t position, TStream& dest, bool* complete = nullptr);

protected:
    uint32_t RootPosition() override;
    std::unique_ptr<TZellCustomDbxObject> ObjectClass() const override;
    bool IsExpectedType() override { return FileType() == 2; }
};

}  // namespace pellumo
