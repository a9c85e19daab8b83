#include "LargeBuffers.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr size_t LargePage = LargePageBytes;

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
    if (size < LargePage) {
        raw_ = data_ = new char[size];
        return;
    }
    // Placed on a large page's boundary and advised to the end of its last large page:
    // an unaligned buffer keeps up to two large pages' worth of small pages at its ends,
    // a page fault for each 4 KiB of them. The room around is only reserved, never touched
    // but for the part of the last large page past the end.
    const size_t whole = (size + LargePage - 1) / LargePage * LargePage;
    raw_ = new char[whole + LargePage];
    const auto at = (reinterpret_cast<uintptr_t>(raw_) + LargePage - 1) / LargePage * LargePage;
    data_ = reinterpret_cast<char*>(at);
    AdviseLargePages(data_, whole);
}

TLargeBuffer::~TLargeBuffer() {
    delete[] raw_;
}

TLargeBuffer::TLargeBuffer(TLargeBuffer&& other) noexcept
    : raw_(std::exchange(other.raw_, nullptr)), data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

TLargeBuffer& TLargeBuffer::operator=(TLargeBuffer&& other) noexcept {
    if (this != &other) {
        delete[] raw_;
        raw_ = std::exchange(other.raw_, nullptr);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}
