#include "parts/ProgramRandom.h"
#include "parts/Spark.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace cm::test {
namespace {

TEST(SparkRandom, GeneratorFollowsTheRuntimeSequenceAndStaysInRange) {
    SeedProgramRandom(1);
    // The first values of the C runtime generator for seed 1.
    EXPECT_EQ(ProgramRandom(), 41);
    EXPECT_EQ(ProgramRandom(), 18467);
    EXPECT_EQ(ProgramRandom(), 6334);
    SeedProgramRandom(0x9e3779b9u);
    for (int i = 0; i < 20000; ++i) {
        const float r = RandomSigned();
        ASSERT_GE(r, -1.0f);
        ASSERT_LE(r, 1.0001f);
    }
}

// One hand-made spark at a time: no spawns from Advance, fixed life and brightness.
SparkEmitter SingleSparkEmitter(SparkPool& pool, int32_t life) {
    SparkEmitter e(pool);
    e.spawnBase = 0;
    e.spawnRange = 0;
    e.lifeBase = life;
    e.lifeRange = 0;
    e.greyStartBase = 1.1f;
    e.greyStartRange = 0.0f;
    e.greyEndBase = -0.1f;
    e.greyEndRange = 0.0f;
    return e;
}

TEST(SparkEmitter, ASparkOfLifeLIsMovedLTimesDrawnLPlusOneTimesAndFadesToItsEnd) {
    SeedProgramRandom(7);
    SparkPool pool(4);
    SparkEmitter e = SingleSparkEmitter(pool, 65);
    e.Spawn();
    ASSERT_NE(e.head, nullptr);
    Spark* s = e.head;
    EXPECT_FLOAT_EQ(s->greyStep, -1.2f / 65.0f);
    // Speeds 0.02 to 0.08 per tick inside 13 degrees of straight up.
    const float speed = std::sqrt(s->velocity.Dot(s->velocity));
    EXPECT_GE(speed, 0.0199f);
    EXPECT_LE(speed, 0.0801f);
    EXPECT_GE(s->velocity.y / speed, std::cos(0.2269f) - 1e-5f);

    int drawnFrames = 1;  // the frame it was born on
    float lastGrey = s->grey;
    while (true) {
        e.Advance(Vector3(0, 0, 0), 0.1f);
        if (e.head == nullptr) break;
        ++drawnFrames;
        lastGrey = s->grey;
    }
    EXPECT_EQ(drawnFrames, 66);
    EXPECT_NEAR(lastGrey, -0.1f, 1e-4f);
    EXPECT_EQ(e.liveCount, 0);
    // Released to the front of the free list: the next spawn takes the same spark.
    EXPECT_EQ(pool.GetFreeHead(), s);
    e.Spawn();
    EXPECT_EQ(e.head, s);
}

TEST(SparkEmitter, FrameWithoutTimeAgesButDoesNotMove) {
    SeedProgramRandom(3);
    SparkPool pool(2);
    SparkEmitter e = SingleSparkEmitter(pool, 10);
    e.Spawn();
    e.Advance(Vector3(1, 2, 3), 0.0f);
    EXPECT_EQ(e.head->life, 9);
    EXPECT_EQ(e.head->position.y, 0.0f);
    EXPECT_EQ(e.position.z, 3.0f);
    // Moving by the velocity before gravity acts: 10 ticks of dt = 1.
    const Vector3 v = e.head->velocity;
    e.Advance(Vector3(1, 2, 3), 1.0f);
    EXPECT_FLOAT_EQ(e.head->position.y, 10.0f * v.y);
    EXPECT_FLOAT_EQ(e.head->velocity.y, v.y - 0.01f);
}

TEST(SparkEmitter, PoolCapHoldsAndListsStayConsistent) {
    SeedProgramRandom(11);
    SparkPool pool(250);
    SparkEmitter e(pool);
    int maxLive = 0;
    for (int frame = 0; frame < 400; ++frame) {
        e.Advance(Vector3(0, 0, 0), 0.14f);
        maxLive = std::max(maxLive, e.liveCount);
        ASSERT_LE(e.liveCount, 250);
        // Walk both lists: every spark is either live or free, never both, none lost.
        std::set<const Spark*> seen;
        int live = 0;
        for (const Spark* s = e.head; s != nullptr; s = s->next) {
            ASSERT_TRUE(seen.insert(s).second);
            ASSERT_TRUE(s->prev == nullptr ? s == e.head : s->prev->next == s);
            ASSERT_GE(s->life, 0);
            ++live;
        }
        int free = 0;
        for (const Spark* s = pool.GetFreeHead(); s != nullptr; s = s->next) {
            ASSERT_TRUE(seen.insert(s).second);
            ++free;
        }
        ASSERT_EQ(live, e.liveCount);
        ASSERT_EQ(live + free, 250);
    }
    // At 5 to 25 a frame and 65 to 115 frames of life the pool fills up.
    EXPECT_EQ(maxLive, 250);
}

}  // namespace
}  // namespace cm::test
