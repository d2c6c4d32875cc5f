#include "app/DemoClock.h"
#include "parts/ProgramRandom.h"
#include "parts/Spark.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <set>
#include <tuple>
#include <vector>

namespace cm::test {
namespace {

TEST(SparkRandom, GeneratorFollowsTheRuntimeSequenceAndStaysInRange) {
    SeedProgramRandom(1);
    // The first values of the C runtime generator for seed 1.
    EXPECT_EQ((std::array{ProgramRandom(), ProgramRandom(), ProgramRandom()}), (std::array{41, 18467, 6334}));
    SeedProgramRandom(0x9e3779b9u);
    for (int i = 0; i < 20000; ++i) {
        const float r = RandomSigned();
        ASSERT_GE(r, -1.0f);
        ASSERT_LE(r, 1.0001f);
    }
}

TEST(SparkEmitter, ASparkOfLifeLIsMovedLTimesDrawnLPlusOneTimesFadesToItsEndAndMovesOnlyWithTime) {
    SeedProgramRandom(7);
    SparkPool pool(4);
    // One hand-made spark: no spawns from Advance, a fixed life and fixed brightness from 1.1 to -0.1.
    SparkEmitter e(pool);
    e.spawnBase = e.spawnRange = e.lifeRange = 0;
    e.lifeBase = 65;
    e.greyStartRange = e.greyEndRange = 0.0f;
    e.greyStartBase = 1.1f;
    e.greyEndBase = -0.1f;
    e.Spawn();
    ASSERT_NE(e.head, nullptr);
    Spark* s = e.head;
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

    // A frame without time ages the spark but does not move it; with time it moves by the
    // velocity before gravity acts: 10 ticks of dt = 1.
    e.Advance(Vector3(1, 2, 3), 0.0f);
    EXPECT_EQ(s->life, 64);
    EXPECT_EQ(s->position.y, 0.0f);
    EXPECT_EQ(e.position.z, 3.0f);
    const Vector3 v = s->velocity;
    e.Advance(Vector3(1, 2, 3), 1.0f);
    EXPECT_FLOAT_EQ(s->position.y, 10.0f * v.y);
    EXPECT_FLOAT_EQ(s->velocity.y, v.y - 0.01f);
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

// Drives an emitter as the show does at fps frames a second, the recorder's way: frame n shows
// the clock after n * 1000 / (fps * 14) ticks of 14 ms and takes the steps that fell due since the
// frame before (perFrame: one step per frame whatever fell due, the fountain's old stepping).
// The emitter joins at show second 1, as the room part joins the show late; at(i) runs after the
// frame at seconds[i].
void Drive(SparkEmitter& e, int fps, const std::vector<double>& seconds, const std::function<void(size_t)>& at,
           bool perFrame = false) {
    constexpr uint32_t kTickMs = 14;
    DemoClock clock;
    int64_t ticks = 0;
    size_t next = 0;
    for (int64_t frame = 0; next < seconds.size(); ++frame) {
        if (frame >= fps) {
            const float dt = clock.GetFrameDelta();
            if (perFrame) {
                e.Advance(Vector3(0, 0, 0), dt);
            } else {
                e.Step(Vector3(0, 0, 0), dt,
                       SparkStepsDue(clock.GetFrameTicks(), kTickMs) - SparkStepsDue(clock.GetPreviousFrameTicks(), kTickMs));
            }
        }
        if (frame == std::llround(seconds[next] * fps)) at(next++);
        for (; ticks < (frame + 1) * 1000 / (fps * kTickMs); ++ticks)
            DemoClock::Tick(clock.GetTimerId(), 0, reinterpret_cast<std::uintptr_t>(&clock), 0, 0);
        clock.Update();
    }
}

struct Population {
    int32_t count = 0;
    float highest = 0.0f;
    float meanGrey = 0.0f;
};

std::vector<Population> FountainAt(int fps, bool perFrame = false) {
    SeedProgramRandom(5);
    SparkPool pool(250);
    SparkEmitter e(pool);
    std::vector<Population> census;
    Drive(e, fps, {1.5, 2.0, 3.0, 4.5}, [&](size_t) {
        Population p;
        p.count = e.liveCount;
        for (const Spark* s = e.head; s != nullptr; s = s->next) {
            p.highest = std::max(p.highest, s->position.y);
            p.meanGrey += s->grey / float(e.liveCount);
        }
        census.push_back(p);
    }, perFrame);
    return census;
}

TEST(SparkEmitter, TheFountainIsTheSameAtAnyFrameRateAndAsBeforeAtSixty) {
    const std::vector<Population> sixty = FountainAt(60);
    const std::vector<Population> perFrame = FountainAt(60, true);
    ASSERT_EQ(sixty.size(), 4u);
    for (size_t i = 0; i < sixty.size(); ++i) {
        EXPECT_GT(sixty[i].count, 100);
        EXPECT_EQ(std::tie(sixty[i].count, sixty[i].highest, sixty[i].meanGrey),
                  std::tie(perFrame[i].count, perFrame[i].highest, perFrame[i].meanGrey));
    }
    // Joining the show at another rate may take the step due just before the join in the first
    // frame: the fountains then differ by about one step (25 sparks, 1/90 of brightness).
    for (int fps : {24, 30, 50, 144}) {
        const std::vector<Population> other = FountainAt(fps);
        for (size_t i = 0; i < sixty.size(); ++i) {
            EXPECT_NEAR(other[i].count, sixty[i].count, 25) << fps << " fps, time " << i;
            EXPECT_NEAR(other[i].highest, sixty[i].highest, 0.03f * sixty[i].highest) << fps << " fps, time " << i;
            EXPECT_NEAR(other[i].meanGrey, sixty[i].meanGrey, 0.015f) << fps << " fps, time " << i;
        }
    }
}

}  // namespace
}  // namespace cm::test
