// musicgen SCORE OUT.xm: composes the module from our score. Writes through a temporary file and
// renames it, so a failed run never leaves a half-written module behind for the show to load.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "music/Score.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: musicgen SCORE OUT.xm\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "musicgen: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();

    std::string error;
    cm::music::Score score;
    cm::music::XmModule module;
    if (!cm::music::ParseScore(text.str(), score, error) || !cm::music::BuildModule(score, module, error)) {
        std::fprintf(stderr, "musicgen: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = cm::music::WriteXm(module, &error);
    if (bytes.empty()) {
        std::fprintf(stderr, "musicgen: %s\n", error.c_str());
        return 1;
    }
    const std::string temporary = std::string(argv[2]) + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "musicgen: cannot write %s\n", temporary.c_str());
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), argv[2]) != 0) {
        std::fprintf(stderr, "musicgen: cannot rename %s to %s\n", temporary.c_str(), argv[2]);
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
