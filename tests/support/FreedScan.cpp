// The global operator new/delete of a test program, over malloc and free, scanning each block
// that is freed while a FreedScan is armed.
#include "FreedScan.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>
#include <stdexcept>

namespace velkor::test {
namespace {

constexpr std::size_t kRun = 16;
std::atomic<bool> gArmed{false};
std::atomic<int> gHits{0};
char gPattern[256];
std::size_t gPatternSize = 0;

void ScanAndFree(void* p) noexcept {
    if (p != nullptr && gArmed.load(std::memory_order_acquire)) {
        std::size_t size = malloc_usable_size(p);
        // Any 16-byte run of the pattern counts: clearing a string overwrites its first byte
        // with the terminator, and a partial copy is a leak too.
        for (std::size_t at = 0; at + kRun <= gPatternSize; at += kRun / 2) {
            if (memmem(p, size, gPattern + at, kRun) != nullptr) {
                gHits.fetch_add(1);
                break;
            }
        }
    }
    std::free(p);
}

void* Allocate(std::size_t size) {
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

} // namespace

FreedScan::FreedScan(std::string_view pattern) {
    if (pattern.size() < 16 || pattern.size() > sizeof gPattern)
        throw std::invalid_argument("FreedScan: pattern of 16 to 256 bytes");
    std::memcpy(gPattern, pattern.data(), pattern.size());
    gPatternSize = pattern.size();
    gHits = 0;
    gArmed.store(true, std::memory_order_release);
}

FreedScan::~FreedScan() {
    gArmed.store(false, std::memory_order_release);
}

int FreedScan::Hits() const {
    return gHits.load();
}

} // namespace velkor::test

void* operator new(std::size_t size) {
    return velkor::test::Allocate(size);
}
void* operator new[](std::size_t size) {
    return velkor::test::Allocate(size);
}
void operator delete(void* p) noexcept {
    velkor::test::ScanAndFree(p);
}
void operator delete[](void* p) noexcept {
    velkor::test::ScanAndFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    velkor::test::ScanAndFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    velkor::test::ScanAndFree(p);
}
