#pragma once
// Byte streams: the read-only store file (through the platform's file seam) and
// an in-memory stream for message text, tests and fuzzing.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pellumo {

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Reads up to Count bytes at the current position; fewer at the end.
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes Count bytes at the current position; read-only streams raise.
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual void Seek(uint64_t position) = 0;
    virtual uint64_t Position() const = 0;
    virtual uint64_t Size() const = 0;

    // Positioned read: seek, then read until Count bytes or the end; fewer
    // bytes than asked for only at the end, which is not an error.
    size_t ReadAt(uint64_t position, void* buffer, size_t count);
};

// One span of a stream kept in memory, so that many small reads of things
// lying together cost one read of the stream.
class TStreamSpan {
public:
    explicit TStreamSpan(TStream& stream) : stream_(stream) {}

    bool Holds(uint64_t at, uint64_t count) const { return at >= start_ && at + count <= start_ + size_; }
    // Reads the span [At, Through) (shorter at the end of the stream).
    void ReadFrom(uint64_t at, uint64_t through);
    // What the span holds of [At, At + Count): Got bytes, nothing read.
    const uint8_t* Kept(uint64_t at, uint64_t count, uint64_t& got) const;
    // [At, At + Count) as far as the stream holds it (Got bytes), read anew
    // when the span does not hold it. The pointer lasts until the next read.
    const uint8_t* Bytes(uint64_t at, uint64_t count, uint64_t& got);

private:
    TStream& stream_;
    std::unique_ptr<uint8_t[]> bytes_;  // not zeroed: only what was read is looked at
    size_t capacity_ = 0, size_ = 0;
    uint64_t start_ = 0;
};

// Reads through another stream a span at a time: a read outside the span
// kept reads the next Ahead bytes from where it starts.
class TReadAheadStream : public TStream {
public:
    TReadAheadStream(TStream& inner, size_t ahead) : inner_(inner), span_(inner), ahead_(ahead) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    void Seek(uint64_t position) override { position_ = position; }
    uint64_t Position() const override { return position_; }
    uint64_t Size() const override { return inner_.Size(); }

private:
    TStream& inner_;
    TStreamSpan span_;
    const size_t ahead_;
    uint64_t position_ = 0;
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    explicit TMemoryStream(const std::string& bytes) : bytes_(bytes.begin(), bytes.end()) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    void Seek(uint64_t position) override { position_ = position; }
    uint64_t Position() const override { return position_; }
    uint64_t Size() const override { return bytes_.size(); }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }
    void Clear() { bytes_.clear(); position_ = 0; }

private:
    std::vector<uint8_t> bytes_;
    uint64_t position_ = 0;
};

// A store file opened read-only while other processes may read, write or
// delete it. Throws "Cannot open file <path>" when it cannot be opened.
class TFileStream : public TStream {
public:
    explicit TFileStream(const std::string& path);
    ~TFileStream() override;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    void Seek(uint64_t position) override { position_ = position; }
    uint64_t Position() const override { return position_; }
    uint64_t Size() const override;

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    uint64_t position_ = 0;
};

}  // namespace pellumo
