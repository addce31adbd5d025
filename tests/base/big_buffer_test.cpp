#include "base/big_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Small arrays come from the heap, large ones from fresh pages: both start zero, and so
// does an array assigned again after it was written.
TEST(ZeroedArray, StartsZeroAtEverySizeAndAgainAfterAssign) {
    for (const std::size_t size : {std::size_t(1), std::size_t(1000), std::size_t(3) << 20}) {
        SCOPED_TRACE(size);
        base::ZeroedArray<std::uint32_t> a(size);
        ASSERT_EQ(a.Size(), size);
        std::uint32_t any = 0;
        for (std::size_t i = 0; i < size; ++i) any |= a[i];
        EXPECT_EQ(any, 0u);
        a[0] = 7;
        a[size - 1] = 9;
        a.Assign(size);
        EXPECT_EQ(a[0], 0u);
        EXPECT_EQ(a[size - 1], 0u);
    }
    base::ZeroedArray<std::uint32_t> empty(0);
    EXPECT_EQ(empty.Size(), 0u);
}

}  // namespace
