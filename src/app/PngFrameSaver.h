// The desktop program's frame saver (FrameSaver, Player.h): PNG files in a folder.
#pragma once

#include "app/Player.h"

#include <string>

namespace cm {

// Saves each frame as a new PNG file named after its show time in `folder`, or where that cannot
// be written (an installed program's folder), in the working folder; never over an earlier
// file. Says where on standard output, or on standard error that it could not.
FrameSaver PngFrameSaver(std::string folder);

}  // namespace cm
