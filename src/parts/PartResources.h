// What a part's Load takes from the show: the texture store and the scene-file reader.
#pragma once

#include <functional>
#include <memory>

namespace cm {

class SceneGraph;
class TextureManager;

// Reads one scene file by its DOS-style name into a new graph; null when the file cannot be
// read. The show binds this to the LightWave scene reader; tests may build
// graphs by hand.
using SceneReader = std::function<std::unique_ptr<SceneGraph>(const char* name, TextureManager& textures)>;

struct PartResources {
    TextureManager* textures = nullptr;
    SceneReader readScene;

    // Reads name through readScene; null without a reader or texture store.
    std::unique_ptr<SceneGraph> ReadScene(const char* name) const;
};

}  // namespace cm
