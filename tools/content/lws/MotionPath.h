// Evaluates a written motion the way the show's key channels do, so the generator can check what
// a camera will see before any renderer exists.
//
// The show's channel has two quirks that content must plan around: between the first and second
// key it already holds the second key's values, and between the last two keys it holds the
// second-to-last key's values. Paths therefore carry one extra key before and after the stretch
// in which they are shown. Time is in scene frames; single precision as in the show.
#pragma once

#include <vector>

#include "lws/LwsWriter.h"
#include "math/Vector3.h"

namespace cm::content {

// Value i (0..8) of the motion at time t; keys must be sorted by frame and non-empty.
float EvaluateMotion(const std::vector<LwsKey>& keys, float t, int i);
Vector3 EvaluatePosition(const std::vector<LwsKey>& keys, float t);

}  // namespace cm::content
