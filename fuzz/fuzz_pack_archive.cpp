// fuzz-deps: cm_resources
// Any bytes as a pack archive: the directory walk must end, stay inside the file and keep only
// entries whose data can be read in full.
#include "resources/PackArchive.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/cm_fuzz_pack_" + std::to_string(getpid()) + ".pak";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    cm::PackArchive pack;
    if (!pack.Open(path)) return 0;
    for (const cm::PackEntry& entry : pack.GetEntries()) {
        if (!entry.IsReadable()) continue;
        if (std::uint64_t{entry.offset} + cm::PackEntry::kHeaderSize + entry.size > size - 4) std::abort();
        if (pack.Read(entry).size() != entry.size) std::abort();
        pack.Select(entry.name);
    }
    return 0;
}
