#pragma once
// TDbxFolderListFile: visits every record of a DBX file's index (the tree at 0xEC) in
// the store's order and hands each, as a folder record, to OnRecordFound.
// Used for Folders.dbx; checks neither signature nor file type itself.
#include <functional>
#include <memory>
#include <string>

#include "platform/Stream.h"
#include "store/DbxRecords.h"

namespace pellumo {

class TDbxFolderListFile {
public:
    // The handler receives ownership of the record.
    using TFolderRecordFoundEvent = std::function<void(TDbxFolderListFile& dbx, std::unique_ptr<TDbxFolderRecord> obj)>;

    TDbxFolderListFile() = default;
    ~TDbxFolderListFile() { Close(); }
    TDbxFolderListFile(const TDbxFolderListFile&) = delete;
    TDbxFolderListFile& operator=(const TDbxFolderListFile&) = delete;

    std::string FileName;
    TFolderRecordFoundEvent OnRecordFound;

    // Opens FileName read-only with full sharing when no stream is set yet.
    void Open();
    // Takes a stream the caller keeps.
    void Open(TStream& stream);
    // Takes a stream the reader frees on Close.
    void Open(std::unique_ptr<TStream> stream);
    void Close();

    bool Active() const { return stream_ != nullptr; }
    void SetActive(bool active) { active ? Open() : Close(); }
    TStream* Stream() const { return stream_; }
    bool OwnsStream() const { return owned_ != nullptr; }

    int FileType();
    // Reports every record of the index; does nothing when inactive.
    void Scan();

private:
    TStream* stream_ = nullptr;
    std::unique_ptr<TStream> owned_;
};

}  // namespace pellumo
