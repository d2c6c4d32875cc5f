#include "resources/PackWriter.h"

#include "resources/BinaryFile.h"
#include "resources/PackArchive.h"

#include <cstdio>
#include <cstring>
#include <limits>

namespace cm {

bool IsValidPackName(const std::string& name) {
    if (name.empty() || name.size() >= PackEntry::kNameSize || name == "." || name == "..") return false;
    return name.find_first_of(std::string("\\/\0", 3)) == std::string::npos;
}

bool WritePack(const std::string& path, const std::vector<PackInput>& inputs, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error != nullptr) *error = why;
        return false;
    };
    // Every header position must be expressible in the 32-bit offset field and the whole file
    // must stay below 4 GiB; checked before anything is written.
    std::uint64_t total = 0;
    for (const PackInput& input : inputs) {
        if (!IsValidPackName(input.name)) return fail("\"" + input.name + "\" is not a valid entry name");
        total += PackEntry::kHeaderSize + input.data.size();
        if (total > std::numeric_limits<std::uint32_t>::max() - 4u) return fail("archive would exceed 4 GiB");
    }
    if (inputs.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return fail("too many entries");

    const std::string temporary = path + ".tmp";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (out == nullptr) return fail("cannot create " + temporary);
    bool ok = true;
    std::uint32_t position = 0;
    for (const PackInput& input : inputs) {
        unsigned char header[PackEntry::kHeaderSize] = {};
        std::memcpy(header, input.name.data(), input.name.size());
        const auto size = static_cast<std::uint32_t>(input.data.size());
        StoreU32LE(header + 128, size);
        StoreU32LE(header + 132, size);
        StoreU32LE(header + 136, input.flags);
        StoreU32LE(header + 140, position);
        ok = ok && std::fwrite(header, 1, sizeof header, out) == sizeof header;
        if (!input.data.empty()) ok = ok && std::fwrite(input.data.data(), 1, input.data.size(), out) == input.data.size();
        position += static_cast<std::uint32_t>(PackEntry::kHeaderSize) + size;
    }
    unsigned char count[4];
    StoreU32LE(count, static_cast<std::uint32_t>(inputs.size()));
    ok = ok && std::fwrite(count, 1, sizeof count, out) == sizeof count;
    ok = (std::fclose(out) == 0) && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return fail("cannot write " + path);
    }
    return true;
}

}  // namespace cm
