#include "Harness.h"

#include <cstring>
#include <iterator>

namespace cm::fuzz {
namespace {

const Harness kHarnesses[] = {
    {"pack", &FuzzPackArchive}, {"textline", &FuzzTextLines}, {"tga", &FuzzTga}, {"jpeg", &FuzzJpeg},
#ifdef CM_FUZZ_HAVE_AUDIO
    {"module", &FuzzModule},
#endif
#ifdef CM_FUZZ_HAVE_LIGHTWAVE
    {"lwo", &FuzzLwo},       {"lws", &FuzzLws},
#endif
};

}  // namespace

std::span<const Harness> AllHarnesses() { return {kHarnesses, std::size(kHarnesses)}; }

const Harness* FindHarness(const char* name) {
    for (const Harness& harness : kHarnesses) {
        if (std::strcmp(harness.name, name) == 0) return &harness;
    }
    return nullptr;
}

}  // namespace cm::fuzz
