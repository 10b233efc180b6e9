#pragma once
// The line source of the message reader: reads the caller's stream in chunks
// and hands out lines until the stream runs out. Messages are read as the
// store keeps them: a "." line is text like any other.
#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Exception.h"
#include "platform/Stream.h"

namespace pellumo {

class EMimeError : public Exception {
public:
    using Exception::Exception;
};

class TLineReader {
public:
    static const size_t kChunkSize = 32768;
    static const size_t kMaxLineLength = 16384;

    // Reads Stream from its current position; the stream stays the caller's.
    explicit TLineReader(TStream& stream) : stream_(stream) {}

    // A line up to LF (a CR right before it dropped). With a limit, only the
    // first kMaxLineLength characters of a longer line are kept (the rest is
    // read past), so no line of any length costs more memory than that;
    // without, any length is read. CrLfOnly ends lines only at CR LF, a lone
    // LF staying in the line. False when nothing is left.
    bool ReadLn(std::string& line, bool limited, bool crLfOnly = false);
    // Whether the last line read was cut and what was passed over of it held
    // more than blanks (a line that cannot be a boundary, however it starts).
    bool CutOffText() const { return cutOffText_; }

    // Hands Line out again before anything else the stream holds (the last
    // line put back first): a line read ahead that belongs to the body.
    void PutBack(std::string line) { putBack_.push_back(std::move(line)); }

private:
    // Next byte, refilling the buffer.
    bool Fill();

    TStream& stream_;
    std::unique_ptr<char[]> buffer_;
    size_t filled_ = 0;
    size_t at_ = 0;
    std::vector<std::string> putBack_;
    bool cutOffText_ = false;
};

}  // namespace pellumo
