#pragma once
// Small things the unit tests share: collecting what the readers report,
// streams with awkward read sizes, and the real sample files.
#include <memory>
#include <string>
#include <vector>

#include "platform/Stream.h"
#include "store/DbxFolderListFile.h"
#include "store/DbxMessageFolder.h"

namespace pellumo {
namespace test {

// A memory stream that hands out at most one byte per read, so code that
// forgets to loop over short reads shows itself.
class OneByteStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    size_t Read(void* buffer, size_t count) override { return TMemoryStream::Read(buffer, count ? 1 : 0); }
};

// Ids of the records a message reader returns, First to Eof.
inline std::vector<std::string> ListIds(TDbxMessageFolder& dbx) {
    std::vector<std::string> ids;
    for (dbx.First(); !dbx.Eof(); dbx.Next()) ids.push_back(dbx.Current()->Id);
    return ids;
}
inline std::vector<std::string> ListIds(const std::vector<uint8_t>& file) {
    TDbxMessageFolder dbx;
    dbx.Open(std::unique_ptr<TStream>(new TMemoryStream(file)));
    return ListIds(dbx);
}

// Ids of the records a Scan reports.
inline std::vector<std::string> ScanIds(const std::vector<uint8_t>& file) {
    TMemoryStream stream(file);
    TDbxFolderListFile dbx;
    dbx.Open(stream);
    std::vector<std::string> ids;
    dbx.OnRecordFound = [&](TDbxFolderListFile&, std::unique_ptr<TDbxFolderRecord> obj) { ids.push_back(obj->Id); };
    dbx.Scan();
    return ids;
}

inline std::string Hex6(unsigned n) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", n);
    return text;
}

inline std::string TestData(const std::string& relative) { return std::string(PELLUMO_TESTDATA) + "/" + relative; }
// The larger corpora kept beside the project (not copied into it).
inline std::string SharedData(const std::string& relative) {
    return std::string(PELLUMO_SHARED_TESTDATA) + "/" + relative;
}

std::string Sha256Hex(const std::vector<uint8_t>& bytes);

}  // namespace test
}  // namespace pellumo
