#include "app/PngFrameSaver.h"

#include "resources/PngImage.h"

#include <cstdio>
#include <filesystem>

namespace cm {

FrameSaver PngFrameSaver(std::string folder) {
    return [folder = std::move(folder)](const Image& frame, double seconds) -> std::string {
        namespace fs = std::filesystem;
        const std::string name = SavedFrameName(seconds);
        std::error_code ec;
        for (const fs::path& place : {fs::path(folder), fs::current_path(ec)}) {
            std::string path = (place / name).string() + ".png";
            for (int n = 2; fs::exists(path); ++n) path = (place / name).string() + "-" + std::to_string(n) + ".png";
            if (!WritePng(path, frame)) continue;
            std::printf("coldmeridian: frame at %.3f s saved as %s\n", seconds, path.c_str());
            std::fflush(stdout);
            return path;
        }
        std::fprintf(stderr, "coldmeridian: cannot write the frame in %s or the working folder\n", folder.c_str());
        return {};
    };
}

}  // namespace cm
