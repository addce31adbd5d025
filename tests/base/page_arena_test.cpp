#include "base/page_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::size_t kPage = base::PageArena::kPage;

std::uintptr_t Address(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

// Blocks are whole pages on page boundaries, apart from each other, writable to their last
// byte; the arena owns its blocks' bytes and nothing outside them.
TEST(PageArena, BlocksAreWholeAlignedPagesThatCanBeWritten) {
    auto arena = std::make_unique<base::PageArena>(8);
    void* a = arena->Allocate(kPage + 1);  // two pages
    void* b = arena->Allocate(1);          // one
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Address(a) % kPage, 0u);
    EXPECT_EQ(Address(b) % kPage, 0u);
    EXPECT_GE(Address(b), Address(a) + 2 * kPage);
    EXPECT_EQ(arena->PagesInUse(), 3u);
    std::memset(a, 0x5a, 2 * kPage);
    std::memset(b, 0xa5, kPage);
    EXPECT_EQ(static_cast<unsigned char*>(a)[2 * kPage - 1], 0x5a);
    EXPECT_EQ(static_cast<unsigned char*>(b)[0], 0xa5);
    EXPECT_TRUE(arena->Owns(static_cast<char*>(a) + kPage + 7));
    void* heap = std::malloc(64);
    EXPECT_FALSE(arena->Owns(heap));
    std::free(heap);
    EXPECT_FALSE(arena->Owns(reinterpret_cast<void*>(Address(a) + 8 * kPage)));
    arena->Free(a);
    arena->Free(b);
    EXPECT_EQ(arena->PagesInUse(), 0u);
}

// A full arena refuses (the caller falls back to the heap); freed pages are used again,
// the first run that fits, and a run must be unbroken.
TEST(PageArena, RefusesWhenFullAndReusesFreedRuns) {
    auto arena = std::make_unique<base::PageArena>(4);
    EXPECT_EQ(arena->Allocate(0), nullptr);
    EXPECT_EQ(arena->Allocate(4 * kPage + 1), nullptr);
    void* p[4];
    for (void*& q : p) {
        q = arena->Allocate(kPage);
        ASSERT_NE(q, nullptr);
    }
    EXPECT_EQ(arena->Allocate(1), nullptr);
    arena->Free(p[1]);
    arena->Free(p[3]);
    EXPECT_EQ(arena->Allocate(2 * kPage), nullptr);  // two free pages, not side by side
    arena->Free(p[2]);
    void* two = arena->Allocate(2 * kPage);
    EXPECT_EQ(two, p[1]);
    void* last = arena->Allocate(kPage);
    EXPECT_EQ(last, p[3]);
    static_cast<char*>(last)[kPage - 1] = 1;  // its memory is there again
    EXPECT_EQ(arena->PagesInUse(), 4u);
}

// Only a block's start frees it: a pointer inside a block, a second free and a pointer from
// elsewhere change nothing.
TEST(PageArena, FreeIgnoresWhatIsNoBlock) {
    auto arena = std::make_unique<base::PageArena>(4);
    void* a = arena->Allocate(2 * kPage);
    ASSERT_NE(a, nullptr);
    arena->Free(static_cast<char*>(a) + 16);
    arena->Free(static_cast<char*>(a) + kPage);
    int local = 0;
    arena->Free(&local);
    EXPECT_EQ(arena->PagesInUse(), 2u);
    static_cast<char*>(a)[0] = 1;
    arena->Free(a);
    arena->Free(a);
    EXPECT_EQ(arena->PagesInUse(), 0u);
}

}  // namespace
