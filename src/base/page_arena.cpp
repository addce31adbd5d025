#include "base/page_arena.h"

#include <algorithm>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace base {

PageArena::PageArena(std::size_t pages) {
#if defined(__linux__)
    pages = std::min(pages, kMaxPages);
    if (pages == 0) return;
    // Addresses only: no memory is committed until a block is handed out.
    const std::size_t bytes = (pages + 1) * kPage;
    void* p = ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) return;
    mapping_ = p;
    mappingBytes_ = bytes;
    base_ = (reinterpret_cast<std::uintptr_t>(p) + kPage - 1) / kPage * kPage;
    pages_ = pages;
#else
    (void)pages;
#endif
}

PageArena::~PageArena() {
#if defined(__linux__)
    if (mapping_) ::munmap(mapping_, mappingBytes_);
#endif
}

void PageArena::Mark(std::size_t first, std::size_t n, bool on) {
    for (std::size_t i = first; i < first + n; ++i) {
        const std::uint64_t bit = std::uint64_t(1) << (i % 64);
        used_[i / 64] = on ? used_[i / 64] | bit : used_[i / 64] & ~bit;
    }
}

std::size_t PageArena::FindRun(std::size_t n) const {
    std::size_t run = 0;
    for (std::size_t i = 0; i < pages_; ++i) {
        // Whole words of used pages are passed over at once.
        if (i % 64 == 0 && used_[i / 64] == ~std::uint64_t(0)) {
            run = 0;
            i += 63;
            continue;
        }
        run = Used(i) ? 0 : run + 1;
        if (run == n) return i + 1 - n;
    }
    return kMaxPages;
}

void* PageArena::Allocate(std::size_t bytes) {
#if defined(__linux__)
    if (pages_ == 0 || bytes == 0 || bytes > pages_ * kPage) return nullptr;
    const std::size_t n = (bytes + kPage - 1) / kPage;
    const std::size_t first = FindRun(n);
    if (first == kMaxPages) return nullptr;
    auto* p = reinterpret_cast<unsigned char*>(base_ + first * kPage);
    if (::mprotect(p, n * kPage, PROT_READ | PROT_WRITE) != 0) return nullptr;
    // Huge pages for the pages the block fills, and for its last page when it fills half
    // of it; a last page it only reaches into is faulted in 4 KiB at a time, so that it
    // costs only what is written.
    const std::size_t huge = (bytes + kPage / 2) / kPage;
    if (huge > 0) ::madvise(p, huge * kPage, MADV_HUGEPAGE);
    if (huge < n) ::madvise(p + huge * kPage, kPage, MADV_NOHUGEPAGE);
    Mark(first, n, true);
    length_[first] = std::uint32_t(n);
    inUse_ += n;
    return p;
#else
    (void)bytes;
    return nullptr;
#endif
}

void PageArena::Free(void* p) {
    if (!Owns(p)) return;
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    const std::size_t first = (at - base_) / kPage;
    const std::size_t n = length_[first];
    if (n == 0 || at != base_ + first * kPage) return;  // not a block's start
#if defined(__linux__)
    // The memory goes back to the system; the addresses stay reserved.
    ::madvise(p, n * kPage, MADV_DONTNEED);
    ::mprotect(p, n * kPage, PROT_NONE);
#endif
    length_[first] = 0;
    Mark(first, n, false);
    inUse_ -= n;
}

}  // namespace base
