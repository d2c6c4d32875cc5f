// A null object: a node without geometry that only positions its children and serves as a
// look-at target.
#pragma once

#include "scene/SceneNode.h"

namespace cm {

class HelperNode : public SceneNode {
public:
    HelperNode() : SceneNode(kNodeHelper, "default_helper") {}
};

}  // namespace cm
