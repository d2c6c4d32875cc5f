// The closing scroll image: the show's title, a drawing of each station of the journey, a few
// words, and what the show is built with under which licence.
#pragma once

#include "images/Image.h"

namespace cm::content {

// 512 x 512, drawn for the scroller that stretches it to 640 x 960: text and drawings are made
// 1.5 times wider than tall so they come out in proportion on screen.
Image Credits();

}  // namespace cm::content
