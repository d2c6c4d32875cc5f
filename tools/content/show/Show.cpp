#include "show/Show.h"

namespace cm::content {

std::string FileNameOf(const std::string& dosName) {
    const size_t slash = dosName.find_last_of("\\/");
    return slash == std::string::npos ? dosName : dosName.substr(slash + 1);
}

ShowData BuildShow() {
    ShowData show;
    BuildObjects(show);
    BuildScenes(show);
    BuildImages(show);
    for (const auto& [name, object] : show.objects) show.files[name] = object.Serialize();
    for (const auto& [name, scene] : show.scenes) {
        const std::string text = scene.Serialize();
        show.files[name] = std::vector<uint8_t>(text.begin(), text.end());
    }
    return show;
}

}  // namespace cm::content
