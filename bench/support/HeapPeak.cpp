#include "HeapPeak.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>

namespace {

std::atomic<int64_t> heapNow{0};
std::atomic<int64_t> heapPeak{0};

void Count(int64_t delta) {
    const int64_t now = heapNow.fetch_add(delta, std::memory_order_relaxed) + delta;
    int64_t peak = heapPeak.load(std::memory_order_relaxed);
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

void* CountedAlloc(size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (!p)
        throw std::bad_alloc();
    Count(static_cast<int64_t>(malloc_usable_size(p)));
    return p;
}

void CountedFree(void* p) {
    if (!p)
        return;
    Count(-static_cast<int64_t>(malloc_usable_size(p)));
    std::free(p);
}

} // namespace

int64_t HeapNow() {
    return heapNow.load();
}

void ResetHeapPeak() {
    heapPeak.store(heapNow.load());
}

double HeapPeakGrowthMB(int64_t start) {
    return static_cast<double>(heapPeak.load() - start) / (1024.0 * 1024.0);
}

namespace {

// A "Vm...:  123 kB" line of /proc/self/status, in MiB; 0 when there is none.
double StatusMB(const char* field) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    double mb = 0;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            mb = std::strtod(line + length + 1, nullptr) / 1024.0;
            break;
        }
    std::fclose(f);
    return mb;
}

} // namespace

double RssNowMB() {
    return StatusMB("VmRSS");
}

void ResetRssPeak() {
    malloc_trim(0);
    // Writing 5 here sets the peak back to what is resident now.
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

double RssPeakMB() {
    return StatusMB("VmHWM");
}

void* operator new(size_t n) {
    return CountedAlloc(n);
}
void* operator new[](size_t n) {
    return CountedAlloc(n);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, size_t) noexcept {
    CountedFree(p);
}
