// Streams the readers and writers rely on.
#include <gtest/gtest.h>

#include "platform/Stream.h"

namespace pellumo {
namespace test {
namespace {

// Counts the writes that reach it.
class CountingStream : public TMemoryStream {
public:
    size_t Write(const void* buffer, size_t count) override {
        ++writes;
        return TMemoryStream::Write(buffer, count);
    }
    int writes = 0;
};

TEST(TBufferedWriteStream, GathersSmallWritesAndKeepsTheirOrder) {
    CountingStream file;
    {
        TBufferedWriteStream buffered(file, 16);
        for (int i = 0; i < 10; ++i) buffered.Write("abc", 3);
        EXPECT_EQ(buffered.Position(), 30u);
        EXPECT_LT(file.writes, 10);
        buffered.Write(std::string(40, 'L').data(), 40);  // larger than the buffer: straight through
        buffered.Write("z", 1);
        buffered.Flush();
        EXPECT_EQ(file.Size(), 71u);
        buffered.Write("tail", 4);
    }  // the destructor writes what is left
    std::string expected;
    for (int i = 0; i < 10; ++i) expected += "abc";
    EXPECT_EQ(file.Text(), expected + std::string(40, 'L') + "z" + "tail");
}

TEST(TMemoryStream, WritesAtThePositionAndReadsShortAtTheEnd) {
    TMemoryStream s(std::string("0123456789"));
    s.Seek(8);
    s.Write("ABCD", 4);
    EXPECT_EQ(s.Text(), "01234567ABCD");
    char buffer[8];
    EXPECT_EQ(s.ReadAt(10, buffer, sizeof buffer), 2u);
    EXPECT_EQ(s.ReadAt(100, buffer, sizeof buffer), 0u);
}

}  // namespace
}  // namespace test
}  // namespace pellumo
