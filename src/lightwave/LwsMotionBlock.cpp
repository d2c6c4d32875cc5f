// A motion block: a line with the channel count N, a line with the key count K, two lines per key
// (N channel values; frame, linear flag, tension, continuity, bias) and a closing line whose
// second token is the end behaviour. Channels 0..2 are position, 3..5 heading, pitch, bank in
// degrees, 6..8 scale.
#include <algorithm>
#include <string>

#include "lightwave/LwsReader.h"
#include "scene/LwsItem.h"
#include "scene/LwsMotion.h"
#include "scene/LwsScene.h"

namespace cm {

namespace {

constexpr std::int32_t kMaxChannels = 9;
// Far more keys than any authored motion holds. Channels insert and look up keys by walking
// their list, so a damaged count of a million keys would cost a million squared steps; keys
// beyond this are read (to stay in step with the lines) and dropped.
constexpr std::size_t kMaxKeys = 4096;

}  // namespace

// What a key line pair gives.
struct LwsReader::RawKey {
    // A channel the file does not give keeps the value that leaves the node as it is: no offset,
    // no turn, unit scale.
    float values[kMaxChannels] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    std::int32_t frame = 0;
    std::int32_t linear = 0;
    float tension = 0.0f;
    float continuity = 0.0f;
    float bias = 0.0f;
};

void LwsReader::ReadMotion(LwsItem& item) {
    echo_ << "Keyframe" << std::endl;
    const std::string name = item.GetName();
    std::int32_t channelCount = 0, keyCount = 0;
    if (!ReadCountLine(channelCount) || !ReadCountLine(keyCount)) {
        Note("motion of " + name + " ends before its counts");
        return;
    }
    echo_ << "Keys: " << keyCount << ", Channels: " << channelCount << std::endl;
    if (channelCount < 0 || channelCount > kMaxChannels) {
        Note("channel count " + std::to_string(channelCount) + " clamped to 0..9");
    }
    if (keyCount < 0) Note("negative key count " + std::to_string(keyCount) + " reads as no key");

    std::vector<RawKey> keys;
    const bool complete = ReadKeys(std::clamp(channelCount, 0, kMaxChannels), keyCount, keys);
    if (keys.size() == kMaxKeys && keyCount > static_cast<std::int32_t>(kMaxKeys)) {
        Note("motion of " + name + ": keys beyond 4096 dropped");
    }
    if (!complete) {
        Note("motion of " + name + " stops after " + std::to_string(keys.size()) + " of " + std::to_string(keyCount) +
             " keys");
    }
    const std::int32_t endBehavior = complete ? ReadEndBehavior(name) : 1;
    if (LineIsEmpty()) blockEnded_ = true;
    AttachMotions(item, keys, endBehavior);
}

// A count line gives its first token. Reaching the end of the file or an empty line stops the
// motion with what it has; an empty line also ends the item's block.
bool LwsReader::ReadCountLine(std::int32_t& count) {
    if (!NextLine()) return false;
    if (LineIsEmpty()) {
        blockEnded_ = true;
        return false;
    }
    count = ReadInt();
    return true;
}

// Keys are collected as they are read rather than allocated from the count up front: the count
// may be any number, while the file can only hold as many keys as it has line pairs left. False
// when the lines end before the keys do.
bool LwsReader::ReadKeys(std::int32_t channels, std::int32_t keyCount, std::vector<RawKey>& keys) {
    for (std::int32_t k = 0; k < keyCount; ++k) {
        RawKey key;
        if (!NextLine() || LineIsEmpty()) return false;
        for (std::int32_t c = 0; c < channels; ++c) {
            float value = key.values[c];
            if (!lineTooLong_ && lines_.NextToken(value)) key.values[c] = value;
        }
        if (!NextLine() || LineIsEmpty()) return false;
        key.frame = ReadInt();
        key.linear = ReadInt();
        key.tension = ReadFloat();
        key.continuity = ReadFloat();
        key.bias = ReadFloat();
        if (keys.size() < kMaxKeys) keys.push_back(key);
    }
    return true;
}

// The closing line's second token; 1 when the line is missing, empty or gives none.
std::int32_t LwsReader::ReadEndBehavior(const std::string& name) {
    std::int32_t endBehavior = 1;
    if (!NextLine()) {
        Note("motion of " + name + " ends before its end behaviour");
    } else if (!LineIsEmpty()) {
        lines_.NextToken();
        std::int32_t value = 0;
        if (!lineTooLong_ && lines_.NextToken(value)) endBehavior = value;
    }
    return endBehavior;
}

// Position, rotation and scale: three motions of three values that share every key's frame and
// spline parameters.
void LwsReader::AttachMotions(LwsItem& item, const std::vector<RawKey>& keys, std::int32_t endBehavior) {
    LwsMotion* motions[3] = {};
    for (int m = 0; m < 3; ++m) {
        auto motion = std::make_unique<LwsMotion>();
        if (!motion->Init(static_cast<std::int32_t>(keys.size()), 3)) return;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            LwsKey* key = motion->GetKey(static_cast<std::int32_t>(k));
            key->SetFrame(static_cast<float>(keys[k].frame));
            key->SetLinear(keys[k].linear);
            key->SetTension(keys[k].tension);
            key->SetContinuity(keys[k].continuity);
            key->SetBias(keys[k].bias);
            for (int v = 0; v < 3; ++v) key->SetValue(v, keys[k].values[3 * m + v]);
        }
        motion->SetEndBehavior(endBehavior);
        if (!scene_->AddMotion(motion.get())) return;
        motions[m] = motion.release();
    }
    item.SetPositionMotion(motions[0]);
    item.SetRotationMotion(motions[1]);
    item.SetScaleMotion(motions[2]);
}

}  // namespace cm
