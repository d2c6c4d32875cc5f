// Where a context sends each finished frame: a window, the recorder's memory sink, or nothing.
// Pixels are X8R8G8B8 (blue in the low byte), width x height, rows packed; they are only valid
// during the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cm {

class FrameSink {
public:
    virtual ~FrameSink() = default;
    // waitVSync: the caller asked for presentation on vertical sync.
    virtual void ShowFrame(const uint32_t* pixels, int width, int height, bool waitVSync) = 0;
};

// Keeps a copy of the latest frame and counts frames; for tests and the recorder.
class MemorySink final : public FrameSink {
public:
    void ShowFrame(const uint32_t* pixels, int width, int height, bool waitVSync) override {
        frame.assign(pixels, pixels + static_cast<size_t>(width) * height);
        this->width = width;
        this->height = height;
        lastWaitVSync = waitVSync;
        ++frames;
    }

    std::vector<uint32_t> frame;
    int width = 0;
    int height = 0;
    bool lastWaitVSync = false;
    uint64_t frames = 0;
};

}  // namespace cm
