#include "store/DbxMessageFolder.h"

#include "store/DbxFormat.h"
#include "store/DbxMessageStream.h"

namespace pellumo {

using namespace dbx;

uint32_t TDbxMessageFolder::RootPosition() {
    return ReadWordAt(*Stream(), kOffsetMessageRoot);
}

std::unique_ptr<TDbxRecord> TDbxMessageFolder::NewRecord() const {
    return std::unique_ptr<TDbxRecord>(new TDbxMessageRecord);
}

uint64_t TDbxMessageFolder::ReadMessage(uint32_t position, TStream& dest, bool* complete) {
    TMemoryStream none;
    TDbxMessageStream chain(Stream() ? *Stream() : none, position);
    uint64_t total = 0;
    uint8_t buffer[4096];
    for (size_t got; (got = chain.Read(buffer, sizeof buffer)) > 0; total += got)
        dest.Write(buffer, got);
    if (complete) *complete = chain.Whole();
    return total;
}

}  // namespace pellumo
