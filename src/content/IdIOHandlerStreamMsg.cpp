#include "content/IdIOHandlerStreamMsg.h"

#include <algorithm>
#include <cstring>

namespace pellumo {

bool TIdIOHandlerStreamMsg::Fill() {
    if (at_ < buffer_.size()) return true;
    buffer_.resize(kChunkSize);
    const size_t got = stream_.Read(buffer_.data(), buffer_.size());
    buffer_.resize(got);
    at_ = 0;
    if (got > 0) {
        lastRead_ = buffer_[got - 1];
        return true;
    }
    if (markerAdded_) return false;
    // The message ends with a "." line whatever its last bytes were.
    markerAdded_ = true;
    const char* marker = lastRead_ == '\n' ? ".\r\n" : lastRead_ == '\r' ? "\n.\r\n" : "\r\n.\r\n";
    buffer_.assign(marker, marker + std::strlen(marker));
    return true;
}

bool TIdIOHandlerStreamMsg::ReadLn(std::string& line, bool limited, bool crLfOnly) {
    line.clear();
    if (!Fill()) return false;
    for (;;) {
        const char* begin = buffer_.data() + at_;
        const char* end = buffer_.data() + buffer_.size();
        const char* lf = static_cast<const char*>(std::memchr(begin, '\n', end - begin));
        if (crLfOnly) {
            // A lone LF belongs to the line: look for one with CR before it.
            while (lf && !((lf > begin && lf[-1] == '\r') || (lf == begin && !line.empty() && line.back() == '\r')))
                lf = static_cast<const char*>(std::memchr(lf + 1, '\n', end - lf - 1));
        }
        const char* stop = lf ? lf : end;
        line.append(begin, stop);
        at_ = stop - buffer_.data();
        // The CR before the LF counts towards the limit: check before dropping it.
        if (limited && line.size() > kMaxLineLength) throw EIdReadLnMaxLineLengthExceeded();
        if (lf) {
            ++at_;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        if (!Fill()) return true;  // the last line had no line end
    }
}

}  // namespace pellumo
