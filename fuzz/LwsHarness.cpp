// LightWave scenes: the input is the scene file; the objects it asks for come from a pack of a
// few real and generated objects (with the images they use), mounted for the load. A graph
// must have unique node names, parent chains that end, roots without parents, and must survive
// animation at times before, inside and far beyond any key.

#include "Harness.h"
#include "ScratchFile.h"

#include "lightwave/LwsReader.h"
#include "resources/PackArchive.h"
#include "resources/PackWriter.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"
#include "scene/SceneNode.h"

#include <fstream>
#include <iterator>
#include <ostream>
#include <set>

namespace cm::fuzz {
namespace {

std::vector<std::uint8_t> ReadSource(const char* relative) {
    std::ifstream in(std::string(CM_FUZZ_DIR) + "/" + relative, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A 2 x 2 run-length TGA: the header, then one run packet of four pixels.
std::vector<std::uint8_t> SmallTga() {
    return {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0, 0x83, 40, 80, 120};
}

// The served pack, written once per process. The object names are the ones the seed scenes
// load (and the dictionary offers); the images are the ones those objects use.
const std::string& ServedPack() {
    static const std::string path = [] {
        std::vector<PackInput> inputs = {
            {"greenball.lwo", ReadSource("corpus/lwo/greenball.lwo")},
            {"redcone.lwo", ReadSource("corpus/lwo/redcone.lwo")},
            {"roomPedestal.lwo", ReadSource("corpus/lwo/roomPedestal.lwo")},
            {"rotoRingInner.lwo", ReadSource("corpus/lwo/rotoRingInner.lwo")},
            {"roomFloor.tga", SmallTga()},
            {"rotoRing.jpg", ReadSource("corpus/jpeg/jpg-gray.jpg")},
        };
        for (const PackInput& input : inputs) {
            if (input.data.empty()) return std::string();
        }
        const std::string pack = ScratchPath("served.pak");
        return !pack.empty() && WritePack(pack, inputs) ? pack : std::string();
    }();
    return path;
}

std::string CheckGraph(SceneGraph& graph) {
    const int32_t count = graph.GetNodeCount();
    std::set<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
        SceneNode* node = graph.GetNode(i);
        if (!names.insert(node->GetName()).second) return "two nodes share a name";
        int32_t steps = 0;
        for (const SceneNode* up = node->GetParent(); up != nullptr; up = up->GetParent()) {
            if (++steps > count) return "a parent chain that never ends";
        }
    }
    for (int32_t i = 0; i < graph.GetRootCount(); ++i) {
        if (graph.GetRoot(i)->GetParent() != nullptr) return "a root with a parent";
    }
    for (float time : {-1e9f, -1.0f, 0.0f, 0.5f, 30.0f, 1e9f}) graph.Animate(time);
    return {};
}

}  // namespace

std::string FuzzLws(Input data) {
    if (data.size() > kMaxInputBytes) return {};
    const std::string& pack = ServedPack();
    if (pack.empty() || !MountPack(pack.c_str())) return "the served pack cannot be written or mounted";

    std::string result;
    {
        std::ostream silent(nullptr);
        TextureManager textures;
        LwsReader reader(silent);
        std::unique_ptr<SceneGraph> graph = reader.LoadBytes(data, "data\\fuzz.lws", &textures);
        if (graph) result = CheckGraph(*graph);
    }
    UnmountPack();
    return result;
}

}  // namespace cm::fuzz
