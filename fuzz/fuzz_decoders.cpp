// Any text through any transfer decoder: the first byte picks the decoder, the
// rest is split into lines and fed as the part reader feeds them. Besides
// memory errors, output beyond what the encoding can give is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "content/TransferDecoders.h"

namespace {

// Counts what is written and keeps nothing, so long runs cost no memory.
class CountingStream : public pellumo::TStream {
public:
    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void*, size_t count) override { return written += count, count; }
    void Seek(uint64_t) override {}
    uint64_t Position() const override { return written; }
    uint64_t Size() const override { return written; }
    uint64_t written = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int kind = data[0] % 5;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::unique_ptr<pellumo::TTransferDecoder> decoder;
    switch (kind) {
    case 0: decoder.reset(new pellumo::TQuotedPrintableDecoder); break;
    case 1: decoder.reset(new pellumo::TBase64Decoder); break;
    case 2: decoder.reset(new pellumo::TUuDecoder); break;
    case 3: decoder.reset(new pellumo::TXxDecoder); break;
    default: decoder.reset(new pellumo::TBinHexDecoder); break;
    }
    CountingStream out;
    uint64_t bound = 0;  // the most the fed text may decode to
    size_t from = 0;
    while (from <= text.size()) {
        size_t to = text.find('\n', from);
        if (to == std::string::npos) to = text.size();
        std::string line = text.substr(from, to - from);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        from = to + 1;
        switch (kind) {
        case 0: line += "\r\n"; bound += line.size(); break;
        case 1: if (line.empty()) continue; bound += line.size() / 4 * 3; break;
        case 2: case 3: bound += 63; break;
        default: bound += (line.size() * 6 / 8 + 1) * 255; break;  // runs repeat a byte up to 255 times
        }
        const uint64_t before = out.written;
        decoder->Decode(line, out);
        if (out.written - before > bound) __builtin_trap();
        bound -= out.written - before;
    }
    decoder->Finish(out);
    return 0;
}
