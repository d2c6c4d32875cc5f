// Bad input that reaches a reader by a longer road than the owners' own tests take: modules
// through the audio library's loading code, and damaged objects served from a mounted pack to
// the scene reader. (Which test covers which listed bad input is tabled in fuzz/README.md.)

#include "Harness.h"
#include "common/Files.h"
#include "lightwave/LightWaveFiles.h"

#include "lightwave/LwsReader.h"
#include "resources/PackArchive.h"
#include "resources/PackWriter.h"
#include "resources/TextureManager.h"
#include "scene/SceneGraph.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include <unistd.h>

namespace cm::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;

// One textured triangle on surface "Hull" whose planar map names an image the pack does not hold:
// the map is dropped, the object still loads.
Bytes Triangle() {
    using namespace cm::test;
    Lwob o;
    o.Points({0, 0, 0, 1, 0, 0, 0, 1, 0}).Surfaces({"Hull"}).Polygons({{0, 1, 2, 1}});
    return o.Surface("Hull", {Sub("CTEX", Name("Planar Image Map")), Sub("TIMG", Name("hull.tga"))}).Build();
}

TEST(BadInput, DamagedModulesAreRefusedOrPlayQuietly) {
    const Harness* harness = FindHarness("module");
    if (harness == nullptr) GTEST_SKIP() << "built without the audio library";
    const Bytes module = cm::test::ReadBytes(std::string(CM_SOURCE_DIR) + "/fuzz/corpus/module/test.xm");
    ASSERT_GT(module.size(), 400u);
    // Every cut, coarsely: inside the header, the patterns and the samples.
    for (std::size_t length = 0; length < module.size(); length += 61) {
        EXPECT_EQ(harness->run(Bytes(module.begin(), module.begin() + static_cast<std::ptrdiff_t>(length))), "")
            << "cut at " << length;
    }
    // Header fields at their extremes: header size (60), song length (64), channels (68),
    // patterns (70), instruments (72).
    for (std::size_t field : {60u, 64u, 68u, 70u, 72u}) {
        for (std::uint8_t value : {std::uint8_t{0}, std::uint8_t{0xFF}}) {
            Bytes damaged = module;
            damaged[field] = damaged[field + 1] = value;
            EXPECT_EQ(harness->run(damaged), "") << "field " << field << " = " << int(value);
        }
    }
}

// The scene's objects come from the pack; each is cut short in turn. The scene always loads,
// the null object always gives its node, and the object gives one only when it loaded.
TEST(BadInput, ScenesKeepTheirItemsWhenPackedObjectsAreDamaged) {
    const std::string pack = (std::filesystem::temp_directory_path() /
                              ("cm_fuzz_badinput_" + std::to_string(getpid()) + ".pak")).string();
    const std::string scene = "LoadObject C:\\models\\hull.lwo\r\n\r\nLoadObject Null\r\nParentObject 1\r\n\r\n";
    const Bytes object = Triangle();
    std::ostringstream echo;
    int loadedCuts = 0;
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length < object.size(); length += 5) lengths.push_back(length);
    lengths.push_back(object.size());
    for (std::size_t length : lengths) {
        const Bytes cut(object.begin(), object.begin() + static_cast<std::ptrdiff_t>(length));
        ASSERT_TRUE(WritePack(pack, {{"hull.lwo", cut}, {"scene.lws", Bytes(scene.begin(), scene.end())}}));
        ASSERT_TRUE(MountPack(pack.c_str()));
        TextureManager textures;
        LwsReader reader(echo);
        std::unique_ptr<SceneGraph> graph = reader.Load("data\\scene.lws", &textures);
        UnmountPack();
        ASSERT_NE(graph, nullptr) << "cut at " << length;
        ASSERT_EQ(graph->GetHelperCount(), 1);
        const bool loaded = graph->GetMeshCount() == 1;
        loadedCuts += loaded;
        // The null's parent is the object: linked when the object loaded, a root otherwise.
        EXPECT_EQ(graph->GetHelper(0)->GetParent() != nullptr, loaded) << "cut at " << length;
        EXPECT_EQ(graph->GetNodeCount(), loaded ? 2 : 1);
        graph->Animate(0.0f);
    }
    std::filesystem::remove(pack);
    // The whole object loads; a file cut before its form type does not.
    EXPECT_GT(loadedCuts, 0);
    EXPECT_LT(loadedCuts, static_cast<int>(lengths.size()));
}

}  // namespace
}  // namespace cm::fuzz
