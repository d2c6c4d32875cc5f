// Every seed and every recorded finding, run through the same harness entry points the fuzzers
// use. A harness reports a broken promise as text; a crash or sanitizer report (in a sanitizer
// build) fails the test program outright, and so does a single allocation beyond the fuzzers'
// malloc limit.

#include "AllocationLimit.h"
#include "CorpusFiles.h"
#include "Harness.h"
#include "common/Files.h"

#include <gtest/gtest.h>

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
