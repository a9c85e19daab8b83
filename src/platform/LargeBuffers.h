// Buffers the size of a whole file. Filling one page by page costs a page fault for
// every 4 KiB, which for a file of megabytes takes longer than the work done in it:
// these ask the system for large pages and leave the bytes as they come.
#pragma once

#include <cstddef>
#include <string_view>

// Asks that the memory be backed by large pages when it is first touched; a hint
// that changes nothing else and may be refused.
void AdviseLargePages(void* data, size_t size);

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
    char* data_ = nullptr;
    size_t size_ = 0;
};
