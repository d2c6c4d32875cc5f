// The contact sheet: one PNG with a frame from the middle of each of the show's nine parts,
// half size, three by three, each labelled with its part and show time (DejaVu Sans through
// FreeType).
//
// Frames are offered as the show runs; one every kSampleStep of the current part is kept, and when the
// part changes its middle sample is kept and the rest dropped, so memory stays at one part's
// worth of half-size frames.
#pragma once

#include "resources/PngImage.h"
#include "app/Show.h"

#include <string>
#include <vector>

namespace cm::record {

class ContactSheet {
public:
    static constexpr int kParts = 9;
    static constexpr int kTileWidth = 320;
    static constexpr int kTileHeight = 240;
    static constexpr int kLabelHeight = 28;
    // Show seconds between the samples kept of a part: its middle is found to within half this.
    static constexpr double kSampleStep = 0.25;

    // A 640 x 480 frame of `part` (0..8) at show time `seconds`; others are ignored. An empty
    // frame makes the same choice of times without pictures: offered every frame of a run, a
    // sheet says which frames it would show (ChosenSeconds), so only those need drawing.
    void Add(int part, double seconds, const Image& frame);
    // Composes and writes the sheet. Parts never seen stay black with their label saying so.
    bool Write(const std::string& path, const std::string& fontPath, std::string& error);

    // The chosen frame's show time of a part, negative when the part was never seen.
    double ChosenSeconds(int part);

private:
    struct Sample {
        double seconds;
        Image tile;
    };
    void Settle();

    int current_ = -1;
    std::vector<Sample> pending_;
    Sample chosen_[kParts] = {};
    bool have_[kParts] = {};
};

inline constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

}  // namespace cm::record
