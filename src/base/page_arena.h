// Large blocks of memory in whole 2 MiB pages of one reserved range of addresses, for a
// process that builds and drops arrays of hundreds of megabytes (the converter). Each block
// is backed by huge pages where the kernel allows, so that a 100 MB array costs some fifty
// page faults instead of 25,000. A freed block's memory goes back to the system at once and
// its addresses are used again. (Keeping freed pages for the next block was tried: it saved
// little time and raised the converter's peak memory by 20-90 MB.)
//
// Not thread-safe: the caller serialises the calls. Allocate never allocates memory of its
// own (it may serve operator new).
#pragma once

#include <cstddef>
#include <cstdint>

namespace base {

class PageArena {
  public:
    static constexpr std::size_t kPage = std::size_t(2) << 20;
    static constexpr std::size_t kMaxPages = 32768;  // 64 GiB of addresses

    // Reserves `pages` pages of addresses (at most kMaxPages); none are in use yet. An
    // arena whose reservation was refused serves nothing.
    explicit PageArena(std::size_t pages);
    ~PageArena();
    PageArena(const PageArena&) = delete;
    PageArena& operator=(const PageArena&) = delete;

    // A block of at least `bytes` bytes (not zeroed), or null when the arena has no room.
    void* Allocate(std::size_t bytes);
    // Whether `p` lies in the arena's addresses (a block from Allocate, or inside one).
    bool Owns(const void* p) const {
        const auto a = reinterpret_cast<std::uintptr_t>(p);
        return a >= base_ && a < base_ + pages_ * kPage;
    }
    // Frees a block Allocate gave (a pointer to its start; anything else is ignored).
    void Free(void* p);

    std::size_t PagesInUse() const { return inUse_; }

  private:
    // First page of a run of `n` free pages; kMaxPages when there is none.
    std::size_t FindRun(std::size_t n) const;
    void Mark(std::size_t first, std::size_t n, bool on);
    bool Used(std::size_t page) const { return (used_[page / 64] >> (page % 64)) & 1u; }

    std::uintptr_t base_ = 0;  // first page (2 MiB aligned); 0: no reservation
    std::size_t pages_ = 0;
    void* mapping_ = nullptr;
    std::size_t mappingBytes_ = 0;
    std::size_t inUse_ = 0;
    std::uint64_t used_[kMaxPages / 64] = {};
    std::uint32_t length_[kMaxPages] = {};  // pages of the block that starts at each page
};

}  // namespace base
