// Streams the readers and writers rely on.
#include <gtest/gtest.h>

#include "platform/Stream.h"

namespace pellumo {
namespace test {
namespace {

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
