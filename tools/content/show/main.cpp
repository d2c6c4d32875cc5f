// cm-content: writes the show's data set as loose files, and optionally preview images.
//
//   cm-content OUT_DIR [--manifest FILE] [--preview PREVIEW_DIR]
//
// Every file goes to OUT_DIR under its file name (the part after "data\"). A file whose bytes are
// unchanged is not rewritten. The manifest (always rewritten) lists the written paths, one per line, in the order the
// pack should hold them (sorted by name). The previews are frames of each part of the show drawn
// from this content at the parts' numbers, to judge the look before the show's renderer runs it.
// Exit code 0 on success, 1 on any failure (with a message on standard error).
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "images/ImageWriters.h"
#include "preview/ShowPreview.h"
#include "show/Show.h"

namespace fs = std::filesystem;
using namespace cm::content;

namespace {

void WriteIfChanged(const fs::path& path, const std::vector<uint8_t>& bytes) {
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (old == bytes) return;
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

int main(int argc, char** argv) {
    std::string manifest, preview;
    bool ok = argc >= 2;
    for (int i = 2; ok && i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc) ok = false;
        else if (option == "--manifest") manifest = argv[i + 1];
        else if (option == "--preview") preview = argv[i + 1];
        else ok = false;
    }
    if (!ok) {
        std::fprintf(stderr, "usage: cm-content OUT_DIR [--manifest FILE] [--preview PREVIEW_DIR]\n");
        return 1;
    }
    try {
        const ShowData show = BuildShow();
        const fs::path out(argv[1]);
        fs::create_directories(out);
        std::string list;
        for (const auto& [name, bytes] : show.files) {
            const fs::path path = out / FileNameOf(name);
            WriteIfChanged(path, bytes);
            list += path.string() + "\n";
        }
        if (!manifest.empty()) {
            // Always rewritten: the build takes its new time as "the data changed", so the pack
            // is remade even when the list of names stays the same.
            std::ofstream out(manifest, std::ios::binary | std::ios::trunc);
            out << list;
            if (!out) throw std::runtime_error("cannot write " + manifest);
        }
        if (!preview.empty()) {
            const fs::path dir(preview);
            fs::create_directories(dir);
            // Each part at its start, a third and two thirds through (local clock units).
            const float lengths[9] = {100, 112, 175, 68, 70, 125, 85, 66, 360};
            for (int part = 0; part < 9; ++part)
                for (int k = 0; k < 3; ++k) {
                    char name[64];
                    std::snprintf(name, sizeof name, "part%d_%d.jpg", part, k);
                    WriteIfChanged(dir / name, EncodeJpeg(PreviewPart(show, part, lengths[part] * float(k) / 3)));
                }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cm-content: %s\n", e.what());
        return 1;
    }
    return 0;
}
