// Every seed and every recorded finding, run through the same harness entry points the fuzzers
// use. A harness reports a broken promise as text; a crash or sanitizer report (in a sanitizer
// build) fails the test program outright, and so does a single allocation beyond the fuzzers'
// malloc limit.
#include "CorpusFiles.h"
#include "Harness.h"
#include "common/Files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// The largest single allocation made through operator new since the last reset. The replay
// test holds every input to the same bound as the fuzzers' malloc limit, so that a few bytes
// which make a reader claim a gigabyte fail in the ordinary build too. Sanitizer builds keep
// their own operator new (and the fuzzers their own limit): there the figure stays 0.
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
constexpr std::size_t kAllocationLimitBytes = 256u << 20;
std::atomic<std::size_t> g_largest{0};

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
}  // namespace
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

namespace cm::fuzz {
namespace {

class Replay : public ::testing::TestWithParam<const char*> {};

TEST_P(Replay, SeedsAndFindingsAreHandledSoundly) {
    const Harness* harness = FindHarness(GetParam());
    ASSERT_NE(harness, nullptr);
    const std::vector<test::CorpusFile> seeds = test::ReadCorpus("corpus", harness->name);
    // An empty corpus would mean a wrong path and a test that checks nothing.
    ASSERT_GE(seeds.size(), 3u) << "seed corpus of " << harness->name << " missing";
    for (const auto& kind : {"corpus", "regress"}) {
        for (const test::CorpusFile& file : test::ReadCorpus(kind, harness->name)) {
            test::ResetLargestAllocation();
            EXPECT_EQ(harness->run(file.bytes), "") << file.path;
            EXPECT_LE(test::LargestAllocation(), test::kAllocationLimitBytes) << file.path;
        }
    }
}

std::vector<const char*> HarnessNames() {
    std::vector<const char*> names;
    for (const Harness& harness : AllHarnesses()) names.push_back(harness.name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Fuzz, Replay, ::testing::ValuesIn(HarnessNames()),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// Every cut of a module, coarsely, and its header fields at their extremes, through the audio
// library's loading code: refused or played quietly.
TEST(BadInput, DamagedModulesAreRefusedOrPlayQuietly) {
    const Harness* harness = FindHarness("module");
    if (harness == nullptr) GTEST_SKIP() << "built without the audio library";
    const std::vector<std::uint8_t> module =
        cm::test::ReadBytes(std::string(CM_SOURCE_DIR) + "/fuzz/corpus/module/test.xm");
    ASSERT_GT(module.size(), 400u);
    for (std::size_t length = 0; length < module.size(); length += 61) {
        EXPECT_EQ(harness->run({module.begin(), module.begin() + static_cast<std::ptrdiff_t>(length)}), "")
            << "cut at " << length;
    }
    // Header size (60), song length (64), channels (68), patterns (70), instruments (72).
    for (std::size_t field : {60u, 64u, 68u, 70u, 72u}) {
        for (std::uint8_t value : {std::uint8_t{0}, std::uint8_t{0xFF}}) {
            std::vector<std::uint8_t> damaged = module;
            damaged[field] = damaged[field + 1] = value;
            EXPECT_EQ(harness->run(damaged), "") << "field " << field << " = " << int(value);
        }
    }
}

}  // namespace
}  // namespace cm::fuzz
