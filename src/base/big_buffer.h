// Large arrays of plain values for the readers: never zero-filled, and on Linux in pages
// the kernel may back with huge pages. A file of a million faces otherwise spends much of
// its time faulting in (and zeroing twice) its arrays 4 KiB at a time.
#pragma once

#include <cstddef>
#include <limits>
#include <new>
#include <span>
#include <type_traits>

namespace base {

// Asks the kernel to back the whole 2 MiB pages inside [p, p + bytes) with huge pages
// once they are first touched. Only a hint: nothing changes when it is refused, and
// nothing happens on systems without it. For memory not yet touched (a fresh reservation).
void AdviseHugePages(const void* p, std::size_t bytes);

// Raw storage behind BigBuffer: `bytes` more bytes than `used` of the block at `data`
// (`mapped` says how it was allocated). Throws std::bad_alloc when it cannot grow.
struct BigBlock {
    void* data = nullptr;
    std::size_t capacity = 0;  // bytes
    std::size_t mapped = 0;    // size of the mapping; 0 while on the heap
};
void GrowBigBlock(BigBlock& block, std::size_t used, std::size_t needed);
// A block of `bytes` zero bytes that are not written: large blocks are fresh mapped pages
// (zero until first touched, huge pages where the kernel allows), small ones calloc'd.
// Throws std::bad_alloc when it cannot be had.
void AllocateZeroedBlock(BigBlock& block, std::size_t bytes);
void FreeBigBlock(BigBlock& block);

// A growable array of trivially copyable values that is never zero-filled. Small arrays
// live on the heap; large ones are mapped pages that grow by remapping, not by copying.
template <class T>
class BigBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    BigBuffer() = default;
    BigBuffer(const BigBuffer&) = delete;
    BigBuffer& operator=(const BigBuffer&) = delete;
    ~BigBuffer() { FreeBigBlock(block_); }

    // Room for `extra` more values after the last one; returns where they go.
    T* Ensure(std::size_t extra) {
        if (Capacity() - size_ < extra) Grow(extra);
        return Data() + size_;
    }
    // Takes `count` values written after the last one into the array.
    void Commit(std::size_t count) { size_ += count; }
    void Push(const T& value) {
        *Ensure(1) = value;
        ++size_;
    }
    // Forgets the values from `size` on.
    void Truncate(std::size_t size) {
        if (size < size_) size_ = size;
    }
    std::size_t Size() const { return size_; }
    bool Empty() const { return size_ == 0; }
    T* Data() { return static_cast<T*>(block_.data); }
    const T* Data() const { return static_cast<const T*>(block_.data); }
    T& operator[](std::size_t i) { return Data()[i]; }
    const T& operator[](std::size_t i) const { return Data()[i]; }
    std::span<const T> Span() const { return {Data(), size_}; }

  private:
    std::size_t Capacity() const { return block_.capacity / sizeof(T); }
    void Grow(std::size_t extra) {
        constexpr std::size_t kLimit = std::numeric_limits<std::size_t>::max() / sizeof(T) / 4;
        if (extra > kLimit - size_) throw std::bad_alloc();
        GrowBigBlock(block_, size_ * sizeof(T), (size_ + extra) * sizeof(T));
    }

    BigBlock block_;
    std::size_t size_ = 0;
};

// A fixed number of values that start as all zero bytes (which must be the value a T
// starts as) without the array writing them: a table of a million faces then only costs
// the pages that are used.
template <class T>
class ZeroedArray {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    ZeroedArray() = default;
    explicit ZeroedArray(std::size_t size) { Assign(size); }
    ZeroedArray(const ZeroedArray&) = delete;
    ZeroedArray& operator=(const ZeroedArray&) = delete;
    ~ZeroedArray() { FreeBigBlock(block_); }

    // `size` zero values in place of the old ones.
    void Assign(std::size_t size) {
        if (size > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
        BigBlock fresh;
        AllocateZeroedBlock(fresh, size * sizeof(T));
        FreeBigBlock(block_);
        block_ = fresh;
        size_ = size;
    }
    std::size_t Size() const { return size_; }
    T* get() { return static_cast<T*>(block_.data); }
    const T* get() const { return static_cast<const T*>(block_.data); }
    T& operator[](std::size_t i) { return get()[i]; }
    const T& operator[](std::size_t i) const { return get()[i]; }

  private:
    BigBlock block_;
    std::size_t size_ = 0;
};

}  // namespace base
