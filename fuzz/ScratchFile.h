// Scratch files for the harnesses whose readers take a path rather than bytes: one file per
// process and purpose in the system's temporary folder, overwritten by every input and removed
// when the process exits.
#pragma once

#include "Harness.h"

#include <string>

namespace cm::fuzz {

// The scratch path for `purpose`, registered for removal at exit; empty when the system has no
// temporary folder.
std::string ScratchPath(const char* purpose);

// Writes data to the scratch file `purpose` (a short name such as "pack") and returns its path,
// or an empty string when it cannot be written.
std::string WriteScratch(const char* purpose, Input data);

}  // namespace cm::fuzz
