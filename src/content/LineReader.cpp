#include "content/LineReader.h"

#include <algorithm>
#include <cstring>

namespace pellumo {

bool TLineReader::Fill() {
    if (at_ < filled_) return true;
    // Allocated once, at the first read, and never cleared: only what a read
    // fills is looked at.
    if (!buffer_) buffer_.reset(new char[kChunkSize]);
    filled_ = stream_.Read(buffer_.get(), kChunkSize);
    at_ = 0;
    return filled_ > 0;
}

bool TLineReader::ReadLn(std::string& line, bool limited, bool crLfOnly) {
    cutOffText_ = false;
    if (!putBack_.empty()) {
        line = std::move(putBack_.back());
        putBack_.pop_back();
        return true;
    }
    line.clear();
    if (!Fill()) return false;
    bool cut = false;
    bool pendingCr = false;  // a CR passed over: the line end's, unless more follows
    bool lastCr = false;     // the last byte taken from the line, kept or passed over, is a CR
    for (;;) {
        const char* begin = buffer_.get() + at_;
        const char* end = buffer_.get() + filled_;
        const char* lf = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
        if (crLfOnly) {
            // A lone LF belongs to the line: look for one with CR before it.
            while (lf && !((lf > begin && lf[-1] == '\r') || (lf == begin && lastCr)))
                lf = static_cast<const char*>(std::memchr(lf + 1, '\n', end - lf - 1));
        }
        const char* stop = lf ? lf : end;
        if (!cut) {
            line.append(begin, stop);
        } else {
            for (const char* c = begin; c < stop && !cutOffText_; ++c) {
                cutOffText_ = pendingCr || (*c != ' ' && *c != '\t' && *c != '\r');
                pendingCr = *c == '\r';
            }
        }
        if (stop > begin) lastCr = stop[-1] == '\r';
        at_ = stop - buffer_.get();
        if (limited && line.size() > kMaxLineLength) {
            for (size_t i = kMaxLineLength; i < line.size() && !cutOffText_; ++i) {
                cutOffText_ = pendingCr || (line[i] != ' ' && line[i] != '\t' && line[i] != '\r');
                pendingCr = line[i] == '\r';
            }
            line.resize(kMaxLineLength);
            cut = true;
        }
        if (lf)
            ++at_;
        else if (Fill())
            continue;
        // At an LF, or at the end of a last line without one: a CR before it
        // belongs to the line end.
        if (!cut && !line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }
}

}  // namespace pellumo
