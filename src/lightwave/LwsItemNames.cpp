#include "lightwave/LwsItemNames.h"

#include <cstdio>

#include "scene/LwsItem.h"

namespace cm {

namespace {

std::string ItemName(std::int32_t lwsItemKind, bool take) {
    static std::int64_t meshes = 0, helpers = 0, cameras = 0, lights = 0;
    const char* pattern = "lightwave_light_%lld";
    std::int64_t* counter = &lights;
    switch (lwsItemKind) {
        case kLwsMesh: pattern = "lightwave_mesh_%lld"; counter = &meshes; break;
        case kLwsHelper: pattern = "lightwave_helper_%lld"; counter = &helpers; break;
        case kLwsCamera: pattern = "lightwave_camera_%lld"; counter = &cameras; break;
        default: break;
    }
    char name[48];
    std::snprintf(name, sizeof name, pattern, static_cast<long long>(*counter));
    if (take) ++*counter;
    return name;
}

}  // namespace

std::string NextItemName(std::int32_t lwsItemKind) { return ItemName(lwsItemKind, true); }
std::string PeekItemName(std::int32_t lwsItemKind) { return ItemName(lwsItemKind, false); }

}  // namespace cm
