// Preview frames of every part of the show, drawn from the generated content with the parts'
// numbers: cameras, fog, hand-spun meshes, blob wobble and environment mapping, warp tubes,
// screen images. Used to look at the content; the show's renderer is the reference.
// Times are each part's local clock time (clock units).
#pragma once

#include <string>

#include "images/Image.h"
#include "show/Show.h"

namespace cm::content {

// Parts by sequence index 0..8; returns the 640 x 480 frame at local time t.
Image PreviewPart(const ShowData& show, int part, float t);

}  // namespace cm::content
