#include "store/ZellFolderDbx.h"

#include <algorithm>
#include <unordered_set>

#include "platform/Exception.h"
#include "store/DbxFormat.h"

namespace pellumo {

using namespace dbx;

void TZellCustomDbx::Open(TStream& stream) {
    Close();
    stream_ = &stream;
    walk_.SetStream(stream_);
    CheckFile();
}

void TZellCustomDbx::Open(std::unique_ptr<TStream> stream) {
    Close();
    owned_ = std::move(stream);
    stream_ = owned_.get();
    walk_.SetStream(stream_);
    CheckFile();
}

void TZellCustomDbx::CheckFile() {
    if (!HasSignature()) throw Exception("Invalid dbx file");
    if (!IsExpectedType()) throw Exception("Unexpected dbx file type");
}

void TZellCustomDbx::Close() {
    Reset();
    stream_ = nullptr;
    walk_.SetStream(nullptr);
    owned_.reset();
}

void TZellCustomDbx::Reset() {
    walk_.Reset();
    current_.reset();
}

bool TZellCustomDbx::HasSignature() {
    return stream_ && ReadHeaderWords(*stream_).signature == kSignature;
}

int TZellCustomDbx::FileType() {
    return stream_ ? ClassifyFileType(ReadHeaderWords(*stream_).fileType) : 0;
}

size_t TZellCustomDbx::ReadAt(uint32_t position, void* buffer, size_t count) {
    return stream_ ? stream_->ReadAt(position, buffer, count) : 0;
}

std::unique_ptr<TZellCustomDbxObject> TZellCustomDbx::ObjectClass() const {
    return std::unique_ptr<TZellCustomDbxObject>(new TZellCustomDbxObject);
}

void TZellCustomDbx::First() {
    Reset();
    if (!stream_ || ReadWordAt(*stream_, kOffsetItemCount) == 0) return;
    TakeCurrent(walk_.Start(RootPosition(), true));
}

void TZellCustomDbx::Next() {
    current_.reset();
    TakeCurrent(walk_.Advance());
}

void TZellCustomDbx::TakeCurrent(bool positioned) {
    for (; positioned; positioned = walk_.Advance()) {
        auto obj = ObjectClass();
        if (obj->Load(*stream_, walk_.RecordPosition())) {
            current_ = std::move(obj);
            return;
        }
    }
}

uint32_t TZellMessageDbx::RootPosition() {
    return ReadWordAt(*Stream(), kOffsetMessageRoot);
}

std::unique_ptr<TZellCustomDbxObject> TZellMessageDbx::ObjectClass() const {
    return std::unique_ptr<TZellCustomDbxObject>(new TZellDbxMessageObject);
}

int32_t TZellMessageDbx::ReadMessage(uint32_t position, TStream& dest, bool* complete) {
    int32_t total = 0;
    bool whole = true;
    std::unordered_set<uint32_t> seen;
    uint8_t block[kBlockSize];
    while (position != 0 && seen.insert(position).second) {
        const size_t got = ReadAt(position, block, sizeof block);
        if (got < sizeof block || std::all_of(block, block + kBlockData, [](uint8_t b) { return b == 0; }))
            whole = false;
        if (got < kBlockData) break;
        const uint32_t count = std::min<uint32_t>(Le32(block + kBlockCount), kBlockDataSize);
        const size_t take = std::min<size_t>(count, got - kBlockData);
        dest.Write(block + kBlockData, take);
        total += static_cast<int32_t>(take);
        if (got < sizeof block) break;  // past the end of the file: nothing more to trust
        position = Le32(block + kBlockNext);
    }
    if (complete) *complete = whole;
    return total;
}

}  // namespace pellumo
