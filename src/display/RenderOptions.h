// How the display draws the show's 640 x 480 picture: at what size, with how much
// supersampling, on how many threads. The show's own coordinates never change; only the
// device's target does.
#pragma once

namespace cm {

struct RenderOptions {
    int threads = 1;              // drawing threads, 1..64 (each count gives the same pixels)
    int supersample = 1;          // drawn at k times the size in each direction, averaged down (1..4)
    bool originalPixels = false;  // a window keeps the 640 x 480 picture and scales it smoothly
    // The picture's size without a window (0: the show's own 640 x 480). With a window the
    // picture takes the largest 4:3 rectangle of the window's drawable area.
    int width = 0;
    int height = 0;
};

}  // namespace cm
