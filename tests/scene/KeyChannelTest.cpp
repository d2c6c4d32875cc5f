#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "scene/KeyChannel.h"

namespace cm {
namespace {

struct K {
    float time, value, tension = 0, continuity = 0, bias = 0;
};

ChannelKey* Insert(KeyChannel& c, const K& k) {
    ChannelKey* key = c.NewKey();
    key->time = k.time, key->tension = k.tension, key->continuity = k.continuity, key->bias = k.bias;
    key->values[0] = k.value;
    EXPECT_TRUE(c.InsertKey(key));
    return key;
}

// A one-value channel from keys given in any order.
void Fill(KeyChannel& c, std::initializer_list<K> keys) {
    ASSERT_TRUE(c.Init(1));
    for (const K& k : keys) Insert(c, k);
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
    KeyChannel two, four, one;
    Fill(two, {{0, 0}, {10, 10}});
    EXPECT_EQ(At(two, -1), 0.0f);
    for (float t : {0.0f, 5.0f, 10.0f, 20.0f}) EXPECT_EQ(At(two, t), 10.0f) << t;
    Fill(four, {{0, 0}, {10, 10}, {20, 20}, {30, 30}});
    EXPECT_EQ(At(four, 5), 10.0f);   // the first segment already shows the second key
    EXPECT_EQ(At(four, 25), 20.0f);  // the last one shows the second-to-last key
    EXPECT_EQ(At(four, 30), 30.0f);
    EXPECT_EQ(At(four, 10), 10.0f);  // s = 0 gives P1 exactly
    Fill(one, {{7, 3}});
    for (float t : {-100.0f, 7.0f, 1e6f}) EXPECT_EQ(At(one, t), 3.0f);
}

TEST(KeyChannelEvaluate, InnerSegmentIsCatmullRomAndTensionOneDropsTheTangents) {
    KeyChannel line, step, tense;
    Fill(line, {{0, 0}, {10, 10}, {20, 20}, {30, 30}});
    EXPECT_FLOAT_EQ(At(line, 15), 15.0f);
    // Values 0, 0, 10, 10: both inner tangents are 5. At s = 0.5 the midpoint; at s = 0.25
    // h1 = 27/32, h2 = 5/32, h3 = 9/64, h4 = -3/64.
    Fill(step, {{0, 0}, {10, 0}, {20, 10}, {30, 10}});
    EXPECT_FLOAT_EQ(At(step, 15), 5.0f);
    EXPECT_FLOAT_EQ(At(step, 12.5f), 50.0f / 32 + 45.0f / 64 - 15.0f / 64);
    Fill(tense, {{0, 0}, {10, 0, 1}, {20, 10, 1}, {30, 10}});
    EXPECT_FLOAT_EQ(At(tense, 12.5f), 50.0f / 32);  // h1 * P1 + h2 * P2 alone
}

TEST(KeyChannelEvaluate, SpacingBiasAndContinuityWeighTheTangents) {
    // At s = 0.5: h1 = h2 = 0.5, h3 = 0.125, h4 = -0.125.
    // Keys 0, 10, 20, 60: outgoing of K1 = 10/20 * (10 + 10) = 10; incoming of K2 = 10/50 * 10 = 2.
    KeyChannel uneven, biased, continuous, first;
    Fill(uneven, {{0, 0}, {10, 10}, {20, 20}, {60, 20}});
    EXPECT_FLOAT_EQ(At(uneven, 15), 16.0f);
    // Bias 1 on K1: outgoing = 0.5 * 2 * (10 - 0) = 10, incoming = 0.5 * (20 + 0) = 10.
    Fill(biased, {{0, 0}, {10, 10, 0, 0, 1}, {20, 30}, {30, 30}});
    EXPECT_FLOAT_EQ(At(biased, 15), 20.0f);
    // Continuity 1 on K2: outgoing = 0.5 * (10 + 20) = 15, incoming = 0.5 * 2 * (40 - 30) = 10.
    Fill(continuous, {{0, 0}, {10, 10}, {20, 30, 0, 1}, {30, 40}});
    EXPECT_FLOAT_EQ(At(continuous, 15), 20.625f);
    // The same on K1: outgoing = 0.5 * 2 * (10 - 0) = 10, incoming = 0.5 * (20 + 10) = 15.
    Fill(first, {{0, 0}, {10, 10, 0, 1}, {20, 30}, {30, 40}});
    EXPECT_FLOAT_EQ(At(first, 15), 19.375f);
}

TEST(KeyChannelEvaluate, EqualTimesAndMissingKeysStaySafe) {
    // The later key at 10 (value 2) sits before the earlier one; the walk stops on the last of
    // equal keys, so the segment 10 -> 20 never divides by zero.
    KeyChannel c;
    Fill(c, {{0, 0}, {10, 1}, {10, 2}, {20, 3}, {30, 4}});
    EXPECT_TRUE(std::isfinite(At(c, 15)));
    EXPECT_EQ(At(c, 10), 1.0f);

    KeyChannel empty;
    EXPECT_FALSE(empty.Evaluate(3.0f));  // not even Init: nothing to crash on
    ASSERT_TRUE(empty.Init(3));
    empty.output = {4, 5, 6};
    EXPECT_FALSE(empty.Evaluate(3.0f));
    EXPECT_EQ(empty.output, (std::vector<float>{4, 5, 6}));
}

TEST(KeyChannelInsert, KeepsTimeOrderPutsNewEqualKeysFirstAndRefusesKeysThatWouldCorruptTheList) {
    KeyChannel c;
    Fill(c, {{20, 1}, {10, 2}, {30, 3}});
    EXPECT_EQ(Times(c), (std::vector<float>{10, 20, 30}));
    const ChannelKey* again = Insert(c, {20, 9});
    EXPECT_EQ(c.GetFirst()->next, again);
    EXPECT_EQ(again->next->values[0], 1.0f);
    const ChannelKey* front = Insert(c, {10, 0});
    EXPECT_EQ(c.GetFirst(), front);
    Insert(c, {30, 0});
    EXPECT_EQ(c.GetLast()->values[0], 3.0f);  // an equal time goes before, so last is unchanged
    EXPECT_EQ(c.GetKeyCount(), 6);
    EXPECT_EQ(Times(c), (std::vector<float>{10, 10, 20, 20, 30, 30}));
    std::vector<float> backwards;
    for (const ChannelKey* k = c.GetLast(); k != nullptr; k = k->prev) backwards.insert(backwards.begin(), k->time);
    EXPECT_EQ(backwards, Times(c));  // prev links agree with next

    // Keys that would corrupt the list are refused; widths are kept.
    KeyChannel narrow, other;
    ASSERT_TRUE(narrow.Init(1));
    ASSERT_TRUE(other.Init(5));
    ChannelKey* k = Insert(narrow, {1, 2});
    EXPECT_FALSE(narrow.InsertKey(nullptr));
    EXPECT_FALSE(narrow.InsertKey(k));  // a second link of the same key would make a cycle
    EXPECT_FALSE(narrow.InsertKey(other.NewKey()));
    ChannelKey* nan = narrow.NewKey();
    nan->time = std::nanf("");
    EXPECT_FALSE(narrow.InsertKey(nan));
    EXPECT_EQ(narrow.GetKeyCount(), 1);

    ASSERT_TRUE(narrow.Init(3));  // widening later pads every key and the output
    ASSERT_TRUE(narrow.Evaluate(0.0f));
    EXPECT_EQ(narrow.output, (std::vector<float>{2, 0, 0}));
    EXPECT_FALSE(narrow.Init(-1));
    k->values.resize(1);  // shrunk after insertion: evaluation reads only what is there
    ASSERT_TRUE(narrow.Evaluate(0.0f));
    EXPECT_EQ(narrow.output, (std::vector<float>{2, 0, 0}));
}


}  // namespace
}  // namespace cm
