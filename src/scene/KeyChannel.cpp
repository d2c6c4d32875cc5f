#include "scene/KeyChannel.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <new>

namespace cm {

namespace {

// Scene channels carry 3 values; the scene files allow at most 9. Anything far beyond is a
// corrupt count, not a channel.
constexpr int32_t kMaxValues = 1024;

}  // namespace

bool KeyChannel::Init(int32_t n) {
    if (n < 0 || n > kMaxValues) return false;
    valueCount = n;
    output.assign(static_cast<size_t>(n), 0.0f);
    for (auto& key : made_) key->values.resize(static_cast<size_t>(n), 0.0f);
    return true;
}

ChannelKey* KeyChannel::NewKey() {
    try {
        auto key = std::make_unique<ChannelKey>();
        key->values.assign(static_cast<size_t>(valueCount), 0.0f);
        made_.push_back(std::move(key));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return made_.back().get();
}

bool KeyChannel::Owns(const ChannelKey* key) const {
    for (const auto& k : made_) {
        if (k.get() == key) return true;
    }
    return false;
}

bool KeyChannel::InsertKey(ChannelKey* key) {
    if (key == nullptr || std::isnan(key->time) || !Owns(key)) return false;
    if (key->next != nullptr || key->prev != nullptr || key == first) return false;
    ++keyCount;
    key->values.resize(static_cast<size_t>(valueCount), 0.0f);

    const float t = key->time;
    if (first == nullptr) {
        first = last = key;
        return true;
    }
    // The first key whose time is not less than t; the new key goes just before it, so among
    // equal times the newest comes first. With no such key it is appended and becomes last.
    ChannelKey* k = first;
    while (k != nullptr && k->time < t) k = k->next;
    if (k == nullptr) {
        key->prev = last;
        last->next = key;
        last = key;
        return true;
    }
    key->next = k;
    key->prev = k->prev;
    if (k->prev != nullptr) {
        k->prev->next = key;
    } else {
        first = key;
    }
    k->prev = key;
    return true;
}

void EvaluateSegment(const ChannelKey& k0, const ChannelKey& k1, const ChannelKey& k2, const ChannelKey& k3,
                     float time, int32_t count, float* out) {
    const float t0 = k0.time, t1 = k1.time, t2 = k2.time, t3 = k3.time;
    const float s = (time - t1) / (t2 - t1);
    const float s2 = s * s;
    const float s3 = s2 * s;
    const float h1 = 2.0f * s3 - 3.0f * s2 + 1.0f;
    const float h2 = -2.0f * s3 + 3.0f * s2;
    const float h3 = s3 - 2.0f * s2 + s;
    const float h4 = s3 - s2;

    // Kochanek-Bartels weights of K1's outgoing and K2's incoming tangent.
    const float a1 = (1.0f - k1.tension) * (1.0f + k1.continuity) * (1.0f + k1.bias);
    const float b1 = (1.0f - k1.tension) * (1.0f - k1.continuity) * (1.0f - k1.bias);
    const float a2 = (1.0f - k2.tension) * (1.0f - k2.continuity) * (1.0f + k2.bias);
    const float b2 = (1.0f - k2.tension) * (1.0f + k2.continuity) * (1.0f - k2.bias);
    // The textbook tangent halves the weighted sum; the correction for uneven spacing multiplies
    // it by 2 dt / (dt_neighbour + dt). Together: dt / (dt_neighbour + dt), with dt = t2 - t1.
    const float r1 = (t2 - t1) / (t2 - t0);
    const float r2 = (t2 - t1) / (t3 - t1);

    // Left to right as the blend is written ((h3 * r1) * (...)), which fixes the float rounding.
    for (int32_t i = 0; i < count; ++i) {
        const float p0 = k0.values[i], p1 = k1.values[i], p2 = k2.values[i], p3 = k3.values[i];
        out[i] = h1 * p1 + h2 * p2 + h3 * r1 * (a1 * (p1 - p0) + b1 * (p2 - p1)) +
                 h4 * r2 * (a2 * (p2 - p1) + b2 * (p3 - p2));
    }
}

bool KeyChannel::Evaluate(float time) {
    if (first == nullptr) return false;
    // Keys are sized to the channel when inserted, but their values are a public field: never
    // read more than every key involved actually holds.
    auto width = [this](std::initializer_list<const ChannelKey*> keys) {
        size_t n = output.size();
        for (const ChannelKey* k : keys) n = std::min(n, k->values.size());
        return n;
    };
    auto copy = [&](const ChannelKey* k) { std::copy_n(k->values.begin(), width({k}), output.begin()); };

    if (first->next == nullptr || time < first->time) {
        copy(first);
        return true;
    }
    // K1: the last key not later than time; searched from the head every call (channels are short).
    const ChannelKey* k1 = first;
    while (k1->next != nullptr && k1->next->time <= time) k1 = k1->next;
    const ChannelKey* k2 = k1->next;
    if (k2 == nullptr) {
        copy(k1);
        return true;
    }
    if (k1->prev == nullptr) {
        copy(k2);
        return true;
    }
    if (k2->next == nullptr) {
        copy(k1);
        return true;
    }
    const size_t n = width({k1->prev, k1, k2, k2->next});
    EvaluateSegment(*k1->prev, *k1, *k2, *k2->next, time, static_cast<int32_t>(n), output.data());
    return true;
}

}  // namespace cm
