#include "scene/LwsMotion.h"

#include <new>

namespace cm {

namespace {

// A LightWave motion has at most 9 channels; key counts of real scenes are in the hundreds at
// most. Counts beyond these limits come from a damaged file and would only exhaust memory.
constexpr int32_t kMaxValues = 1024;
constexpr int32_t kMaxKeys = 1 << 20;

}  // namespace

bool LwsKey::Init(int32_t n) {
    if (n < 0 || n > kMaxValues) return false;
    values.assign(static_cast<size_t>(n), 0.0f);
    valueCount = n;
    return true;
}

float LwsKey::GetValue(int32_t index) const {
    if (index < 0 || index >= valueCount) return 0.0f;
    return values[static_cast<size_t>(index)];
}

bool LwsKey::SetValue(int32_t index, float value) {
    if (index < 0 || index >= valueCount) return false;
    values[static_cast<size_t>(index)] = value;
    return true;
}

bool LwsMotion::Init(int32_t newKeyCount, int32_t newChannelCount) {
    if (newKeyCount < 0 || newKeyCount > kMaxKeys || newChannelCount < 0 || newChannelCount > kMaxValues) return false;
    std::vector<std::unique_ptr<LwsKey>> made;
    try {
        made.reserve(static_cast<size_t>(newKeyCount));
        for (int32_t i = 0; i < newKeyCount; ++i) {
            made.push_back(std::make_unique<LwsKey>());
            made.back()->Init(newChannelCount);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    keys = std::move(made);
    keyCount = newKeyCount;
    channelCount = newChannelCount;
    return true;
}

LwsKey* LwsMotion::GetKey(int32_t index) const {
    if (index < 0 || index >= keyCount) return nullptr;
    return keys[static_cast<size_t>(index)].get();
}

}  // namespace cm
