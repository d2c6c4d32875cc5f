// Every seed and every recorded finding, run through the same harness entry points the fuzzers
// use. A harness reports a broken promise as text; a crash or sanitizer report (in a sanitizer
// build) fails the test program outright, and so does a single allocation beyond the fuzzers'
// malloc limit.

#include "AllocationLimit.h"
#include "CorpusFiles.h"
#include "Harness.h"

#include <gtest/gtest.h>

#include <algorithm>

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

// Inputs too short to hold any header: each reader refuses them without touching memory.
TEST(Harness, TruncatedAndEmptyInputsAreRefusedQuietly) {
    for (const Harness& harness : AllHarnesses()) {
        EXPECT_EQ(harness.run({}), "") << harness.name;
        const std::vector<std::uint8_t> one(1, 0xFF);
        EXPECT_EQ(harness.run(one), "") << harness.name;
    }
}

}  // namespace
}  // namespace cm::fuzz
