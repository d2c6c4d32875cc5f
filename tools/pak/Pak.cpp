// pak: creates, lists and extracts the show's pack archives.
//
//   pak create OUT.pak FILE...   entries named by each file's name and extension, in argument order
//   pak list PAK                 one line per entry: name, size, flags
//   pak extract PAK DIR          writes every readable entry to DIR/name
//
// An archive with any refused entry is reported entry by entry and refused as a whole (exit 1);
// usage errors exit 2.
#include "resources/PackArchive.h"
#include "resources/PackWriter.h"

#include "resources/DosPath.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: pak create OUT.pak FILE...\n"
                 "       pak list PAK\n"
                 "       pak extract PAK DIR\n");
    return 2;
}

bool ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>& data) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int Create(const std::string& out, const std::vector<std::string>& files) {
    std::vector<cm::PackInput> inputs;
    for (const std::string& file : files) {
        cm::PackInput input;
        // The archive stores the file name and extension only; look-ups drop the directory too.
        input.name = cm::DosFileName(file);
        for (const cm::PackInput& earlier : inputs)
            if (cm::CompareNoCase(earlier.name, input.name) == 0)
                std::fprintf(stderr, "pak: warning: %s: \"%s\" is already in the archive; look-ups find the first\n",
                             file.c_str(), input.name.c_str());
        if (!cm::IsValidPackName(input.name)) {
            std::fprintf(stderr, "pak: %s: \"%s\" cannot be an entry name (1 to 127 bytes)\n", file.c_str(),
                         input.name.c_str());
            return 1;
        }
        if (!ReadWholeFile(file, input.data)) {
            std::fprintf(stderr, "pak: %s: cannot read\n", file.c_str());
            return 1;
        }
        inputs.push_back(std::move(input));
    }
    std::string error;
    if (!cm::WritePack(out, inputs, &error)) {
        std::fprintf(stderr, "pak: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

// Opens the archive and refuses it when it is damaged in any way.
bool OpenSound(cm::PackArchive& pack, const std::string& path) {
    std::string error;
    if (!pack.Open(path, &error)) {
        std::fprintf(stderr, "pak: %s\n", error.c_str());
        return false;
    }
    if (!pack.GetDamage().empty()) {
        for (const std::string& why : pack.GetDamage()) std::fprintf(stderr, "pak: %s: %s\n", path.c_str(), why.c_str());
        std::fprintf(stderr, "pak: %s: damaged archive refused\n", path.c_str());
        return false;
    }
    return true;
}

int List(const std::string& path) {
    cm::PackArchive pack;
    if (!OpenSound(pack, path)) return 1;
    for (const cm::PackEntry& entry : pack.GetEntries())
        std::printf("%-40s %10u  %u\n", entry.name.c_str(), entry.size, entry.flags);
    return 0;
}

int Extract(const std::string& path, const std::string& directory) {
    cm::PackArchive pack;
    if (!OpenSound(pack, path)) return 1;
    // Entry names become file names under directory: anything that could leave it is refused
    // before a single file is written.
    for (const cm::PackEntry& entry : pack.GetEntries()) {
        if (!cm::IsValidPackName(entry.name)) {
            std::fprintf(stderr, "pak: %s: entry name \"%s\" is not a plain file name; archive refused\n",
                         path.c_str(), entry.name.c_str());
            return 1;
        }
    }
    std::error_code ec;
    fs::create_directories(directory, ec);
    if (ec) {
        std::fprintf(stderr, "pak: %s: cannot create: %s\n", directory.c_str(), ec.message().c_str());
        return 1;
    }
    const auto& entries = pack.GetEntries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const cm::PackEntry& entry = entries[i];
        bool shadowed = false;
        for (std::size_t j = 0; j < i; ++j) shadowed = shadowed || cm::CompareNoCase(entries[j].name, entry.name) == 0;
        if (shadowed) {
            std::fprintf(stderr, "pak: %s: skipped, an earlier entry has the same name\n", entry.name.c_str());
            continue;
        }
        if (!entry.IsReadable()) {
            std::fprintf(stderr, "pak: %s: skipped, marked unreadable\n", entry.name.c_str());
            continue;
        }
        const std::vector<std::uint8_t> data = pack.Read(entry);
        if (data.size() != entry.size) {
            std::fprintf(stderr, "pak: %s: cannot read from %s\n", entry.name.c_str(), path.c_str());
            return 1;
        }
        const fs::path target = fs::path(directory) / entry.name;
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "pak: %s: cannot write\n", target.string().c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "create" && argc >= 3) return Create(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    if (command == "list" && argc == 3) return List(argv[2]);
    if (command == "extract" && argc == 4) return Extract(argv[2], argv[3]);
    return Usage();
}
