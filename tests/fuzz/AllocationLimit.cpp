#include "AllocationLimit.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define CM_OWN_OPERATOR_NEW 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CM_OWN_OPERATOR_NEW 0
#endif
#endif
#ifndef CM_OWN_OPERATOR_NEW
#define CM_OWN_OPERATOR_NEW 1
#endif

namespace cm::fuzz::test {
namespace {
std::atomic<std::size_t> g_largest{0};
}  // namespace

void ResetLargestAllocation() { g_largest.store(0, std::memory_order_relaxed); }
std::size_t LargestAllocation() { return g_largest.load(std::memory_order_relaxed); }

#if CM_OWN_OPERATOR_NEW
void* Allocate(std::size_t size, std::size_t alignment) {
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (size > seen && !g_largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
    if (size == 0) size = 1;
    void* p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
#endif

}  // namespace cm::fuzz::test

#if CM_OWN_OPERATOR_NEW
// The array and no-throw forms of the standard library call these.
void* operator new(std::size_t size) { return cm::fuzz::test::Allocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t a) {
    return cm::fuzz::test::Allocate(size, static_cast<std::size_t>(a));
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
#endif
