#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "scene/KeyChannel.h"

namespace cm {
namespace {

struct K {
    float time;
    float value;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
};

// A one-value channel from keys given in any order.
void Fill(KeyChannel& c, std::initializer_list<K> keys) {
    ASSERT_TRUE(c.Init(1));
    for (const K& k : keys) {
        ChannelKey* key = c.NewKey();
        ASSERT_NE(key, nullptr);
        key->time = k.time;
        key->values[0] = k.value;
        key->tension = k.tension;
        key->continuity = k.continuity;
        key->bias = k.bias;
        ASSERT_TRUE(c.InsertKey(key));
    }
}

float At(KeyChannel& c, float t) {
    EXPECT_TRUE(c.Evaluate(t));
    return c.output[0];
}

std::vector<float> Times(const KeyChannel& c) {
    std::vector<float> times;
    for (const ChannelKey* k = c.GetFirst(); k != nullptr; k = k->next) times.push_back(k->time);
    return times;
}

TEST(KeyChannelEvaluate, EndSegmentsShowTheInnerKeyInsteadOfInterpolating) {
    KeyChannel two;
    Fill(two, {{0, 0}, {10, 10}});
    EXPECT_EQ(At(two, -1), 0.0f);
    EXPECT_EQ(At(two, 0), 10.0f);  // the first segment already shows the second key
    EXPECT_EQ(At(two, 5), 10.0f);
    EXPECT_EQ(At(two, 10), 10.0f);
    EXPECT_EQ(At(two, 20), 10.0f);

    KeyChannel four;
    Fill(four, {{0, 0}, {10, 10}, {20, 20}, {30, 30}});
    EXPECT_EQ(At(four, 5), 10.0f);
    EXPECT_EQ(At(four, 25), 20.0f);  // the last segment shows the second-to-last key
    EXPECT_EQ(At(four, 30), 30.0f);
    EXPECT_EQ(At(four, 10), 10.0f);  // s = 0 gives P1 exactly

    KeyChannel one;
    Fill(one, {{7, 3}});
    for (float t : {-100.0f, 7.0f, 1e6f}) EXPECT_EQ(At(one, t), 3.0f);
}

TEST(KeyChannelEvaluate, InnerSegmentIsCatmullRomWithDefaultParameters) {
    KeyChannel line;
    Fill(line, {{0, 0}, {10, 10}, {20, 20}, {30, 30}});
    EXPECT_FLOAT_EQ(At(line, 15), 15.0f);

    // Values 0, 0, 10, 10: tangents at both inner keys are 5 per segment, s = 0.5 is the midpoint.
    KeyChannel step;
    Fill(step, {{0, 0}, {10, 0}, {20, 10}, {30, 10}});
    EXPECT_FLOAT_EQ(At(step, 15), 5.0f);
    // s = 0.25: h1 = 27/32, h2 = 5/32, h3 = 9/64, h4 = -3/64, tangents 5 and 5.
    EXPECT_FLOAT_EQ(At(step, 12.5f), 10.0f * 5.0f / 32.0f + 5.0f * 9.0f / 64.0f - 5.0f * 3.0f / 64.0f);
}

TEST(KeyChannelEvaluate, TensionOneDropsTheTangents) {
    KeyChannel c;
    Fill(c, {{0, 0}, {10, 0, 1}, {20, 10, 1}, {30, 10}});
    // Only h1 * P1 + h2 * P2 remains; at s = 0.25 that is 10 * 5/32.
    EXPECT_FLOAT_EQ(At(c, 12.5f), 10.0f * 5.0f / 32.0f);
}

TEST(KeyChannelEvaluate, UnevenSpacingScalesTangentsByTheSegmentShare) {
    // Keys at 0, 10, 20, 60 with values 0, 10, 20, 20. Outgoing tangent of K1:
    // r1 = 10/20, (10 + 10) * r1 = 10. Incoming of K2: r2 = 10/50, (10 + 0) * r2 = 2.
    KeyChannel c;
    Fill(c, {{0, 0}, {10, 10}, {20, 20}, {60, 20}});
    const float s = 0.5f;
    const float h1 = 2 * s * s * s - 3 * s * s + 1, h2 = -2 * s * s * s + 3 * s * s;
    const float h3 = s * s * s - 2 * s * s + s, h4 = s * s * s - s * s;
    EXPECT_FLOAT_EQ(At(c, 15), h1 * 10 + h2 * 20 + h3 * 10 + h4 * 2);
    EXPECT_FLOAT_EQ(At(c, 15), 16.0f);

    // Bias and continuity weigh the two neighbouring differences unevenly, and differently at
    // the two ends of the segment. At s = 0.5: h1 = h2 = 0.5, h3 = 0.125, h4 = -0.125.
    // Bias 1 on K1: outgoing = 0.5 * 2 * (10 - 0) = 10, incoming = 0.5 * (20 + 0) = 10.
    KeyChannel biased;
    Fill(biased, {{0, 0}, {10, 10, 0, 0, 1}, {20, 30}, {30, 30}});
    EXPECT_FLOAT_EQ(At(biased, 15), 20.0f);
    // Continuity 1 on K2: outgoing = 0.5 * (10 + 20) = 15, incoming = 0.5 * 2 * (40 - 30) = 10.
    KeyChannel continuous;
    Fill(continuous, {{0, 0}, {10, 10}, {20, 30, 0, 1}, {30, 40}});
    EXPECT_FLOAT_EQ(At(continuous, 15), 20.625f);
    // The same continuity on K1: outgoing = 0.5 * 2 * (10 - 0) = 10, incoming = 0.5 * (20 + 10) = 15.
    KeyChannel first;
    Fill(first, {{0, 0}, {10, 10, 0, 1}, {20, 30}, {30, 40}});
    EXPECT_FLOAT_EQ(At(first, 15), 19.375f);
}

TEST(KeyChannelEvaluate, EqualKeyTimesNeverFormTheSegment) {
    KeyChannel c;
    Fill(c, {{0, 0}, {10, 1}, {10, 2}, {20, 3}, {30, 4}});
    // Inserted later, the second key at 10 (value 2) sits before the first one (value 1); the
    // walk stops on the last of the equal keys, and the segment 10 -> 20 stays finite.
    const float v = At(c, 15);
    EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(At(c, 10), 1.0f);
}

TEST(KeyChannelEvaluate, NoKeysLeavesOutputAndReportsIt) {
    KeyChannel c;
    EXPECT_FALSE(c.Evaluate(3.0f));  // not even Init: nothing to crash on
    ASSERT_TRUE(c.Init(3));
    c.output = {4, 5, 6};
    EXPECT_FALSE(c.Evaluate(3.0f));
    EXPECT_EQ(c.output, (std::vector<float>{4, 5, 6}));
}

ChannelKey* Insert(KeyChannel& c, float time, float value) {
    ChannelKey* k = c.NewKey();
    k->time = time;
    k->values[0] = value;
    EXPECT_TRUE(c.InsertKey(k));
    return k;
}

TEST(KeyChannelInsert, KeepsTimeOrderAndPutsNewEqualKeysFirst) {
    KeyChannel c;
    Fill(c, {{20, 1}, {10, 2}, {30, 3}});
    EXPECT_EQ(Times(c), (std::vector<float>{10, 20, 30}));
    const ChannelKey* again = Insert(c, 20, 9);
    EXPECT_EQ(c.GetFirst()->next, again);
    EXPECT_EQ(again->next->values[0], 1.0f);
    const ChannelKey* front = Insert(c, 10, 0);
    EXPECT_EQ(c.GetFirst(), front);
    Insert(c, 30, 0);
    EXPECT_EQ(c.GetLast()->values[0], 3.0f);  // an equal time goes before, so last is unchanged
    EXPECT_EQ(c.GetKeyCount(), 6);
    EXPECT_EQ(Times(c), (std::vector<float>{10, 10, 20, 20, 30, 30}));
    std::vector<float> backwards;
    for (const ChannelKey* k = c.GetLast(); k != nullptr; k = k->prev) backwards.insert(backwards.begin(), k->time);
    EXPECT_EQ(backwards, Times(c));  // prev links agree with next
}

TEST(KeyChannelInsert, RefusesKeysThatWouldCorruptTheListAndKeepsWidths) {
    KeyChannel c, other;
    ASSERT_TRUE(c.Init(1));
    ASSERT_TRUE(other.Init(5));
    ChannelKey* k = Insert(c, 1, 2);
    EXPECT_FALSE(c.InsertKey(nullptr));
    EXPECT_FALSE(c.InsertKey(k));  // a second link of the same key would make a cycle
    EXPECT_FALSE(c.InsertKey(other.NewKey()));
    ChannelKey* nan = c.NewKey();
    nan->time = std::nanf("");
    EXPECT_FALSE(c.InsertKey(nan));
    EXPECT_EQ(c.GetKeyCount(), 1);

    ASSERT_TRUE(c.Init(3));  // widening later pads every key and the output
    ASSERT_TRUE(c.Evaluate(0.0f));
    EXPECT_EQ(c.output, (std::vector<float>{2, 0, 0}));
    EXPECT_FALSE(c.Init(-1));
}

}  // namespace
}  // namespace cm
