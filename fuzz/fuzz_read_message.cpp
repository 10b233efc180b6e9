// Any bytes as block chains: the signature and type are forced so that
// every input reaches ReadMessage, which starts at the position stored at
// 0x10. The chain read as a stream, in pieces of every size, gives the same
// bytes and the same verdict on whether it is all written.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "store/DbxMessageFolder.h"
#include "store/DbxMessageStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 0x14) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    const uint8_t header[8] = {0xCF, 0xAD, 0x12, 0xFE, 0xC5, 0xFD, 0x74, 0x6F};
    std::memcpy(bytes.data(), header, sizeof header);
    const uint32_t start = uint32_t(bytes[0x10]) | uint32_t(bytes[0x11]) << 8 | uint32_t(bytes[0x12]) << 16 |
                           uint32_t(bytes[0x13]) << 24;
    pellumo::TMemoryStream stream(bytes);
    pellumo::TDbxMessageFolder dbx;
    dbx.Open(stream);
    pellumo::TMemoryStream text;
    bool whole = false;
    const int32_t total = dbx.ReadMessage(start, text, &whole);
    if (total != int32_t(text.Size())) __builtin_trap();  // the count must be what was written
    pellumo::TDbxMessageStream chain(stream, start);
    std::vector<uint8_t> read;
    uint8_t piece[700];
    for (size_t want = 1, got; (got = chain.Read(piece, want)) > 0; want = want % sizeof piece + 37)
        read.insert(read.end(), piece, piece + got);
    if (read != text.Bytes() || chain.Whole() != whole || !chain.Ended()) __builtin_trap();
    return 0;
}
