// The recorder's command line.
#pragma once

#include "app/FrameClock.h"

#include "display/RenderOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cm::record {

struct Still {
    std::string label;  // the time as the user wrote it, used in the file name
    double seconds = 0.0;
};

struct RecordOptions {
    FrameRate fps;
    double from = 0.0;
    std::optional<double> to;             // default: the show's end
    std::optional<uint32_t> seed;         // default: the calendar time, as the show does
    std::string out;                      // H.264 video
    std::string lossless;                 // lossless video
    std::string framesDir;                // one PNG per frame
    std::vector<Still> stills;
    std::string stillsDir = ".";
    std::string contactSheet;             // one PNG, a frame from the middle of each part
    std::string traceDir;                 // device call trace of the frames in range
    int width = 640;
    int height = 480;
    RenderOptions render{.threads = 0};   // threads 0: every hardware thread
    bool audio = true;
    uint32_t sampleRate = 48000;
    std::string module = "kelvarin.xm";
    std::string ffmpeg = "ffmpeg";
    std::string dataDir;                  // default: see app/DataFolder.h
    bool quiet = false;
    bool echo = false;                    // keep the scene reader's echo on standard output
    bool help = false;
    int jobs = 1;                         // processes that record the range, each a piece
    std::string pieceVideo;               // a job's own frames, losslessly and without audio (set for jobs only)

    bool WantsVideo() const { return !out.empty() || !lossless.empty() || !pieceVideo.empty(); }
    bool WantsRange() const { return WantsVideo() || !framesDir.empty() || !traceDir.empty(); }
};

// Parses argv[1..]; on failure returns nothing and says why in error.
std::optional<RecordOptions> ParseRecordOptions(const std::vector<std::string>& args, std::string& error);

// The usage text, made from the option table; ends with a newline.
std::string RecordUsage();

}  // namespace cm::record
