// Buffers the size of a whole file. Filling one page by page costs a page fault for
// every 4 KiB, which for a file of megabytes takes longer than the work done in it:
// these ask the system for large pages and leave the bytes as they come.
#pragma once

#include <cstddef>
#include <new>
#include <string_view>

// Asks that the memory be backed by large pages when it is first touched; a hint
// that changes nothing else and may be refused.
void AdviseLargePages(void* data, size_t size);

// The size of one large page; an array smaller than this cannot have one.
inline constexpr size_t LargePageBytes = size_t{2} << 20;

// Allocates arrays for containers that may hold many megabytes: an array of at least a
// large page is placed on a large page's boundary and advised to large pages, so it is
// first touched a large page at a time rather than 4 KiB at a time; a smaller one is
// allocated as usual.
template <class T> struct TLargePageAllocator {
    using value_type = T;

    TLargePageAllocator() noexcept = default;
    template <class U> TLargePageAllocator(const TLargePageAllocator<U>&) noexcept {}

    T* allocate(size_t n) {
        if (n > static_cast<size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        const size_t bytes = n * sizeof(T);
        if (bytes < LargePageBytes)
            return static_cast<T*>(::operator new(bytes, std::align_val_t(alignof(T))));
        void* data = ::operator new(bytes, std::align_val_t(LargePageBytes));
        AdviseLargePages(data, bytes);
        return static_cast<T*>(data);
    }
    void deallocate(T* data, size_t n) noexcept {
        const size_t bytes = n * sizeof(T);
        ::operator delete(data, bytes < LargePageBytes ? std::align_val_t(alignof(T))
                                                       : std::align_val_t(LargePageBytes));
    }
    template <class U>
    friend bool operator==(const TLargePageAllocator&, const TLargePageAllocator<U>&) noexcept {
        return true;
    }
};

// An uninitialised buffer of a fixed size, moved and never copied.
class TLargeBuffer {
public:
    TLargeBuffer() = default;
    // std::bad_alloc when the memory cannot be had.
    explicit TLargeBuffer(size_t size);
    ~TLargeBuffer();
    TLargeBuffer(TLargeBuffer&& other) noexcept;
    TLargeBuffer& operator=(TLargeBuffer&& other) noexcept;
    TLargeBuffer(const TLargeBuffer&) = delete;
    TLargeBuffer& operator=(const TLargeBuffer&) = delete;

    char* Data() { return data_; }
    const char* Data() const { return data_; }
    size_t Size() const { return size_; }
    std::string_view View() const { return {data_, size_}; }
    operator std::string_view() const { return View(); }
    friend bool operator==(const TLargeBuffer& a, std::string_view b) { return a.View() == b; }

private:
    char* raw_ = nullptr; // what was allocated; data_ lies inside it
    char* data_ = nullptr;
    size_t size_ = 0;
};
