// Resources: where the show's bytes come from.
//
// Owns: the pack archive (PackArchive.h) and the program-wide mounted pack, data files that read
// from the pack or, without one, from disk (DataFile.h), the text line reader of the scene files
// (TextLineReader.h), DOS-style path helpers (DosPath.h) and locale-free number parsing
// (AsciiNumber.h). Not owned: what the bytes mean (the readers in lightwave/ and the image
// loaders interpret them).
//
// Units: byte counts and offsets; names are relative DOS-style paths such as "data\intro.lws".
//
// Error policy: bad or damaged data is refused with the result the interface allows (false, an
// empty buffer, -1) and never read out of bounds; a damaged pack keeps only the entries that fit
// and records why the others were refused (PackArchive::GetDamage). Nothing throws, nothing logs.
// Everything here runs on the main thread: the mounted pack's current entry is shared state.
#pragma once

#include "resources/DataFile.h"
#include "resources/DosPath.h"
#include "resources/PackArchive.h"
#include "resources/TextLineReader.h"
