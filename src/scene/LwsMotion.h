// Motion blocks of a LightWave scene file as read, before they become KeyChannels. They live only
// while one scene loads. Frames are the file's frame numbers; rotation values are still heading,
// pitch, bank in degrees here (the scene reader reorders and converts them for the channel).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace cm {

class LwsKey {
public:
    // Allocates n zeroed values; refuses a negative or absurd n.
    bool Init(int32_t n);

    float GetFrame() const { return frame; }
    bool SetFrame(float f) { frame = f; return true; }
    int32_t GetLinear() const { return linear; }
    bool SetLinear(int32_t l) { linear = l; return true; }
    int32_t GetValueCount() const { return valueCount; }
    // Index outside 0..valueCount-1 reads 0 and writes nothing: a short key line must not
    // reach past the array.
    float GetValue(int32_t index) const;
    bool SetValue(int32_t index, float value);
    float GetTension() const { return tension; }
    bool SetTension(float t) { tension = t; return true; }
    float GetContinuity() const { return continuity; }
    bool SetContinuity(float c) { continuity = c; return true; }
    float GetBias() const { return bias; }
    bool SetBias(float b) { bias = b; return true; }

private:
    // The file's order: bias precedes continuity.
    float frame = 0.0f;
    int32_t linear = 0;
    int32_t valueCount = 0;
    std::vector<float> values;
    float tension = 0.0f;
    float bias = 0.0f;
    float continuity = 0.0f;
};

class LwsMotion {
public:
    // keyCount keys of channelCount values each, replacing any earlier keys. Refuses negative or
    // absurd counts, keeping what it had.
    bool Init(int32_t keyCount, int32_t channelCount);

    // Null outside 0..keyCount-1.
    LwsKey* GetKey(int32_t index) const;
    int32_t GetChannelCount() const { return channelCount; }
    int32_t GetKeyCount() const { return keyCount; }
    int32_t GetEndBehavior() const { return endBehavior; }
    bool SetEndBehavior(int32_t b) { endBehavior = b; return true; }

private:
    int32_t channelCount = 0;
    int32_t keyCount = 0;
    std::vector<std::unique_ptr<LwsKey>> keys;
    int32_t endBehavior = 1;
};

}  // namespace cm
