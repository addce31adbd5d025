// The converter's allocations of 1 MiB and more come from a page arena (base/page_arena.h):
// huge pages, and the pages of a freed array reused by the next one. A run over a model of
// a million faces builds and drops several arrays of 10-100 MB, and otherwise pays a page
// fault for every 4 KiB of each. Only this program's own operator new is replaced; under
// the address sanitizer the sanitizer's allocator stays, so that it sees every block.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRILUNE_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KESTRILUNE_SANITIZED 1
#endif

#ifndef KESTRILUNE_SANITIZED

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <new>

#include "base/page_arena.h"

namespace {

constexpr std::size_t kBig = std::size_t(1) << 20;

// Made on the first big allocation and never destroyed: blocks may be freed by the
// destructors of static objects, after every other static is gone.
base::PageArena& Arena() {
    alignas(base::PageArena) static unsigned char storage[sizeof(base::PageArena)];
    static base::PageArena* arena = new (storage) base::PageArena(base::PageArena::kMaxPages);
    return *arena;
}

std::mutex& ArenaLock() {
    alignas(std::mutex) static unsigned char storage[sizeof(std::mutex)];
    static std::mutex* lock = new (storage) std::mutex;
    return *lock;
}

// Set once the arena exists: until then no block can be one of its own.
std::atomic<bool> arenaMade{false};

void* Allocate(std::size_t n) {
    if (n >= kBig) {
        const std::lock_guard<std::mutex> hold(ArenaLock());
        base::PageArena& arena = Arena();
        arenaMade = true;
        if (void* p = arena.Allocate(n)) return p;
    }
    for (;;) {
        if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void Release(void* p) noexcept {
    if (!p) return;
    if (arenaMade && Arena().Owns(p)) {
        const std::lock_guard<std::mutex> hold(ArenaLock());
        Arena().Free(p);
        return;
    }
    std::free(p);
}

}  // namespace

void* operator new(std::size_t n) {
    return Allocate(n);
}
void* operator new[](std::size_t n) {
    return Allocate(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    Release(p);
}

#endif  // KESTRILUNE_SANITIZED
