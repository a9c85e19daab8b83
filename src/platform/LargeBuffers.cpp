#include "LargeBuffers.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace {

// A large page holds 2 MiB; a smaller buffer cannot have one.
constexpr size_t LargePage = size_t{2} << 20;

size_t PageSize() {
    static const size_t size = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    return size;
}

} // namespace

void AdviseLargePages(void* data, size_t size) {
    if (size < LargePage)
        return;
    // Only whole pages can be advised, those inside the buffer; the advice says how
    // they are backed and nothing else.
    const size_t page = PageSize();
    const auto begin = (reinterpret_cast<uintptr_t>(data) + page - 1) / page * page;
    const auto end = (reinterpret_cast<uintptr_t>(data) + size) / page * page;
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

TLargeBuffer::TLargeBuffer(size_t size) : size_(size) {
    if (size == 0)
        return;
    // Allocated, not mapped by hand, so the program's allocation counts see it.
    data_ = new char[size];
    AdviseLargePages(data_, size_);
}

TLargeBuffer::~TLargeBuffer() {
    delete[] data_;
}

TLargeBuffer::TLargeBuffer(TLargeBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

TLargeBuffer& TLargeBuffer::operator=(TLargeBuffer&& other) noexcept {
    if (this != &other) {
        delete[] data_;
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}
