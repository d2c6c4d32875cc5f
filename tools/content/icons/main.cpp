// cm-icons: writes the program's icon at every size as OUT_DIR/NxN/apps/coldmeridian.png, the
// layout of an icon theme's folder (share/icons/hicolor). Exit code 0 on success, 1 on any
// failure (with a message on standard error).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "icons/Icon.h"
#include "icons/PngEncoder.h"
#include "show/Show.h"

namespace fs = std::filesystem;
using namespace cm::content;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cm-icons OUT_DIR\n");
        return 1;
    }
    try {
        ShowData show;
        BuildImages(show);
        const Image& backdrop = show.images.at("data\\rotoball.jpg");
        for (int size : kIconSizes) {
            const std::string side = std::to_string(size);
            const fs::path dir = fs::path(argv[1]) / (side + "x" + side) / "apps";
            fs::create_directories(dir);
            const std::vector<uint8_t> png = EncodePng(DrawIcon(backdrop, size));
            std::ofstream out(dir / "coldmeridian.png", std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
            if (!out) throw std::runtime_error("cannot write " + (dir / "coldmeridian.png").string());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cm-icons: %s\n", e.what());
        return 1;
    }
    return 0;
}
