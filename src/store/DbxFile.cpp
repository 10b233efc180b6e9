#include "store/DbxFile.h"

#include "platform/Exception.h"
#include "store/DbxFormat.h"

namespace pellumo {

using namespace dbx;

namespace {
const size_t kNodeReadAhead = 16 * kNodeSize;
}

void TDbxFile::Open(TStream& stream) {
    Close();
    stream_ = &stream;
    walk_.SetStream(stream_);
    CheckFile();
}

void TDbxFile::Open(std::unique_ptr<TStream> stream) {
    Close();
    owned_ = std::move(stream);
    stream_ = owned_.get();
    walk_.SetStream(stream_);
    CheckFile();
}

void TDbxFile::CheckFile() {
    if (!HasSignature()) throw Exception(TText::InvalidDbxFile);
    if (!IsExpectedType()) throw Exception(TText::UnexpectedDbxFileType);
}

void TDbxFile::Close() {
    Reset();
    stream_ = nullptr;
    walk_.SetStream(nullptr);
    owned_.reset();
}

void TDbxFile::Reset() {
    walk_.Reset();
    current_.reset();
}

bool TDbxFile::HasSignature() {
    return stream_ && ReadHeaderWords(*stream_).signature == kSignature;
}

int TDbxFile::FileType() {
    return stream_ ? ClassifyFileType(ReadHeaderWords(*stream_).fileType) : 0;
}

size_t TDbxFile::ReadAt(uint32_t position, void* buffer, size_t count) {
    return stream_ ? stream_->ReadAt(position, buffer, count) : 0;
}

std::unique_ptr<TDbxRecord> TDbxFile::NewRecord() const {
    return std::unique_ptr<TDbxRecord>(new TDbxRecord);
}

uint32_t TDbxFile::ItemCount() { return stream_ ? ReadWordAt(*stream_, kOffsetItemCount) : 0; }

void TDbxFile::First() {
    Reset();
    if (!stream_ || ReadWordAt(*stream_, kOffsetItemCount) == 0) return;
    TakeCurrent(walk_.Start(RootPosition(), true));
}

std::vector<uint32_t> TDbxFile::RecordPositions() {
    Reset();
    std::vector<uint32_t> positions;
    if (!stream_ || ReadWordAt(*stream_, kOffsetItemCount) == 0) return positions;
    // Index nodes are written together (a new index at a time), so a few
    // large reads fetch many of them.
    TReadAheadStream nodes(*stream_, kNodeReadAhead);
    DbxIndexWalk walk(&nodes);
    for (bool positioned = walk.Start(RootPosition(), true); positioned; positioned = walk.Advance())
        positions.push_back(walk.RecordPosition());
    return positions;
}

void TDbxFile::Next() {
    current_.reset();
    TakeCurrent(walk_.Advance());
}

void TDbxFile::TakeCurrent(bool positioned) {
    for (; positioned; positioned = walk_.Advance()) {
        auto obj = NewRecord();
        if (obj->Load(*stream_, walk_.RecordPosition())) {
            current_ = std::move(obj);
            return;
        }
    }
}

}  // namespace pellumo
