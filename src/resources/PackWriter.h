// Writes pack archives in the layout PackArchive.h describes: each header's stored length equals
// its size, its offset is the header's own position, and the count closes the file. Unused name
// bytes are zero, so the same inputs always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cm {

struct PackInput {
    std::string name;  // stored as is: file name and extension, at most 127 bytes, no separators
    std::vector<std::uint8_t> data;
    std::uint32_t flags = 0;
};

// Writes the archive to path (through a temporary file renamed into place, so a failed write
// leaves no half archive). False with the reason in *error on a bad name, an archive that would
// not fit the format's 32-bit offsets, or a failed write.
bool WritePack(const std::string& path, const std::vector<PackInput>& inputs, std::string* error = nullptr);

// The name rule of WritePack: non-empty, shorter than 128 bytes, without '\', '/' or NUL, and
// neither "." nor "..".
bool IsValidPackName(const std::string& name);

}  // namespace cm
