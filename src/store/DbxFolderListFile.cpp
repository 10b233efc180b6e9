#include "store/DbxFolderListFile.h"

#include "store/DbxFormat.h"
#include "store/DbxIndexWalk.h"

namespace pellumo {

using namespace dbx;

void TDbxFolderListFile::Open() {
    if (stream_) return;
    Open(std::unique_ptr<TStream>(new TFileStream(FileName)));
}

void TDbxFolderListFile::Open(TStream& stream) {
    Close();
    stream_ = &stream;
}

void TDbxFolderListFile::Open(std::unique_ptr<TStream> stream) {
    Close();
    owned_ = std::move(stream);
    stream_ = owned_.get();
}

void TDbxFolderListFile::Close() {
    stream_ = nullptr;
    owned_.reset();
}

int TDbxFolderListFile::FileType() {
    return stream_ ? ClassifyFileType(ReadHeaderWords(*stream_).fileType) : 0;
}

void TDbxFolderListFile::Scan() {
    if (!stream_) return;
    // Walked iteratively: a deep or cyclic index cannot exhaust the call stack.
    TStream* const stream = stream_;
    DbxIndexWalk walk(stream);
    for (bool more = walk.Start(ReadWordAt(*stream, kOffsetFolderRoot), false); more; more = walk.Advance()) {
        std::unique_ptr<TDbxFolderRecord> obj(new TDbxFolderRecord);
        if (!obj->Load(*stream, walk.RecordPosition())) continue;
        if (OnRecordFound) OnRecordFound(*this, std::move(obj));
        if (stream_ != stream) break;  // the handler closed the reader
    }
}

}  // namespace pellumo
