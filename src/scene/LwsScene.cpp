#include "scene/LwsScene.h"

namespace cm {

bool LwsItem::SetName(const char* n) {
    if (n == nullptr) return false;
    name = n;
    return true;
}

bool LwsMeshItem::SetObjectFile(const char* file) {
    if (file == nullptr) return false;
    objectFile = file;
    hasObjectFile = true;
    return true;
}

LwsScene::~LwsScene() {
    // Duplicates are refused on the way in, so each item and motion is held exactly once.
    for (LwsItem* item : items) delete item;
    for (LwsMotion* motion : motions) delete motion;
}

bool LwsScene::SetName(const char* n) {
    if (n == nullptr) return false;
    name = n;
    return true;
}

template <typename T>
bool LwsScene::AddItem(PointerList<T>& kindList, T* item) {
    if (item == nullptr || items.Contains(item)) return false;
    if (!kindList.Append(item)) return false;
    if (items.Append(item)) return true;
    kindList.RemoveLast();
    return false;
}

bool LwsScene::AddMeshItem(LwsMeshItem* item) { return AddItem(meshItems, item); }
bool LwsScene::AddHelperItem(LwsHelperItem* item) { return AddItem(helperItems, item); }
bool LwsScene::AddCameraItem(LwsCameraItem* item) { return AddItem(cameraItems, item); }
bool LwsScene::AddLightItem(LwsLightItem* item) { return AddItem(lightItems, item); }

bool LwsScene::AddMotion(LwsMotion* motion) {
    if (motion == nullptr || motions.Contains(motion)) return false;
    return motions.Append(motion);
}

}  // namespace cm
