#include "base/big_buffer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace base {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

}  // namespace

void AdviseHugePages(const void* p, std::size_t bytes) {
#if defined(__linux__)
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t first = (start + kHugePage - 1) / kHugePage * kHugePage;
    const std::uintptr_t last = (start + bytes) / kHugePage * kHugePage;
    if (bytes >= kHugePage && last > first) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)p;
    (void)bytes;
#endif
}

void GrowBigBlock(BigBlock& block, std::size_t used, std::size_t needed) {
    std::size_t capacity = std::max({needed, block.capacity * 2, std::size_t(64)});
#if defined(__linux__)
    if (capacity >= 2 * kHugePage) {
        capacity = (capacity + kHugePage - 1) / kHugePage * kHugePage;
        void* grown = MAP_FAILED;
        if (block.mapped != 0) {
            grown = ::mremap(block.data, block.mapped, capacity, MREMAP_MAYMOVE);
            if (grown != MAP_FAILED) {
                AdviseHugePages(grown, capacity);
                block = {grown, capacity, capacity};
                return;
            }
        }
        // A new mapping (also when the old one cannot be moved): the values are copied.
        grown =
            ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (grown == MAP_FAILED) throw std::bad_alloc();
        AdviseHugePages(grown, capacity);
        if (used > 0) std::memcpy(grown, block.data, used);
        FreeBigBlock(block);
        block = {grown, capacity, capacity};
        return;
    }
#endif
    (void)used;
    void* grown = std::realloc(block.data, capacity);
    if (!grown) throw std::bad_alloc();
    block.data = grown;
    block.capacity = capacity;
}

void AllocateZeroedBlock(BigBlock& block, std::size_t bytes) {
    block = {};
#if defined(__linux__)
    if (bytes >= 2 * kHugePage) {
        const std::size_t size = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        AdviseHugePages(p, size);
        block = {p, size, size};
        return;
    }
#endif
    void* p = std::calloc(std::max<std::size_t>(bytes, 1), 1);
    if (!p) throw std::bad_alloc();
    block = {p, bytes, 0};
}

void FreeBigBlock(BigBlock& block) {
#if defined(__linux__)
    if (block.mapped != 0) {
        ::munmap(block.data, block.mapped);
        block = {};
        return;
    }
#endif
    std::free(block.data);
    block = {};
}

}  // namespace base
