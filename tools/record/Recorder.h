// One recording: the show's own start-up, parts, timeline, flashes and quit flag (RunShow),
// headless and silent, with the clock ticked here so that frame n shows time n / fps exactly;
// each frame goes to the outputs the options ask for.
#pragma once

#include "app/FrameClock.h"
#include "resources/PngImage.h"
#include "RecordOptions.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace cm::record {

struct FrameInfo {
    int64_t frame = 0;        // from 0 at show time 0
    double seconds = 0.0;     // show time of the frame
    int part = -1;            // sequence index of the part drawn, -1 for none
    float flashLevel = 0.0f;  // the flash level after the frame (negative once faded)
};

struct RecordSummary {
    int64_t framesRun = 0;      // frames the show went through, from frame 0
    int64_t framesDrawn = 0;    // of those, the ones drawn (the others were simulated)
    double seekSeconds = 0.0;   // simulating, wall time
    double seekCpuSeconds = 0.0;
    int64_t framesWritten = 0;  // frames in the range that went to the range outputs
    int64_t firstFrame = 0;
    bool showEnded = false;     // the show raised its quit flag
    uint32_t seed = 0;
    double renderSeconds = 0.0;     // drawing, clock and events only, wall time
    double renderCpuSeconds = 0.0;  // the same in processor time
    double startupCpuSeconds = 0.0; // processor time up to the end of frame 0 (loads included)
    // Processor time and frames of each part's drawing (frames 1 on).
    std::array<double, 9> partCpuSeconds{};
    std::array<int64_t, 9> partFrames{};
    // Both include start-up (loading every part) and shutdown.
    double totalSeconds = 0.0;
};

class Recorder {
public:
    explicit Recorder(RecordOptions options) : options_(std::move(options)) {}

    // Sees every frame the show draws, until the run stops: the end of a range, else the show's
    // end (outputs alone would stop after their last frame). For tests.
    using Observer = std::function<void(const FrameInfo&, const Image&)>;
    void SetObserver(Observer observer) { observer_ = std::move(observer); }

    // Records. 0 on success; otherwise a message on standard error and a non-zero code, with
    // no output file left under its final name unless it is complete.
    int Run();
    const RecordSummary& Summary() const { return summary_; }

private:
    RecordOptions options_;
    Observer observer_;
    RecordSummary summary_;
};

}  // namespace cm::record
