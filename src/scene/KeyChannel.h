// A keyframed vector of N floats, interpolated with Kochanek-Bartels (Hermite) splines.
//
// Times are scene-file frame numbers (a key written for frame 30 has time 30.0). Keys live in a
// doubly linked list sorted by non-decreasing time; the channel owns every key it made, linked or
// not. The first and the last segment of a channel are deliberately not interpolated: between
// the first two keys the output already shows the second key, between the last two it shows the
// second-to-last one. Times, values, weights and outputs are all single precision.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace cm {

struct ChannelKey {
    ChannelKey* next = nullptr;
    ChannelKey* prev = nullptr;
    float time = 0.0f;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
    std::vector<float> values;  // exactly the channel's valueCount entries
};

class KeyChannel {
public:
    KeyChannel() = default;
    KeyChannel(const KeyChannel&) = delete;
    KeyChannel& operator=(const KeyChannel&) = delete;

    // Sets N and a zeroed output of N floats; every key already made is resized to N values
    // (new ones 0), so keys and output always agree in size. Refuses a negative or absurd N.
    bool Init(int32_t n);

    // A zeroed key with valueCount values, owned by this channel but not yet in its list.
    ChannelKey* NewKey();

    // Links a key of this channel in time order; a key whose time equals existing keys goes before
    // them. Refuses null, a key made by another channel, a key already linked and a time that is
    // not a number (which no ordering can place).
    bool InsertKey(ChannelKey* key);

    // Fills output for the given time. Without keys there is nothing to evaluate: output is left
    // as it was and the result is false, so callers keep their own value.
    bool Evaluate(float time);

    int32_t GetValueCount() const { return valueCount; }
    int32_t GetKeyCount() const { return keyCount; }
    const ChannelKey* GetFirst() const { return first; }
    const ChannelKey* GetLast() const { return last; }

    // Result of the last Evaluate, read by the node as a plain field.
    std::vector<float> output;

private:
    bool Owns(const ChannelKey* key) const;

    int32_t valueCount = 0;
    ChannelKey* first = nullptr;
    ChannelKey* last = nullptr;
    int32_t keyCount = 0;
    std::vector<std::unique_ptr<ChannelKey>> made_;
};

// The pure spline step, kept apart so that it can be checked against values worked out by hand:
// the Hermite blend of segment k1 -> k2 with neighbours k0 and k3 at time, written to out (count
// floats).
void EvaluateSegment(const ChannelKey& k0, const ChannelKey& k1, const ChannelKey& k2, const ChannelKey& k3,
                     float time, int32_t count, float* out);

}  // namespace cm
