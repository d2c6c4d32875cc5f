#include "ServedTextures.h"

#include "resources/DosPath.h"
#include "resources/Texture.h"
#include "resources/TextureManager.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace cm::fuzz {
namespace {

// Names the reader keeps are at most this long.
constexpr std::size_t kLongestName = 511;

bool HasImageExtension(std::string_view name) {
    if (name.size() < 4) return false;
    const std::string_view tail = name.substr(name.size() - 4);
    return CompareNoCase(tail, ".jpg") == 0 || CompareNoCase(tail, ".tga") == 0;
}

}  // namespace

void ServeImageNames(Input data, TextureManager& textures) {
    int served = 0;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < data.size() && served < kMaxServedNames; ++i) {
        if (data[i] != 0) continue;
        const std::string_view run(reinterpret_cast<const char*>(data.data()) + runStart, i - runStart);
        runStart = i + 1;
        if (!HasImageExtension(run)) continue;
        const std::size_t longest = std::min(run.size(), kLongestName);
        for (std::size_t length = 4; length <= longest && served < kMaxServedNames; ++length) {
            const std::string name(run.substr(run.size() - length));
            if (textures.Find(name.c_str()) != nullptr) continue;
            auto* texture = new Texture;
            if (textures.Add(name.c_str(), texture)) {
                ++served;
            } else {
                delete texture;
            }
        }
    }
}

}  // namespace cm::fuzz
