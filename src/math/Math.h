// The show's linear algebra: single-precision, value-typed, never allocating.
//
// Conventions, shared with the device: row vectors (p' = p * M), matrices row-major exactly as
// the device's 4x4 transform (element (r, c) at index 4r + c, row 3 is the translation), angles in
// radians, left-handed rotations (a positive angle about z turns +x toward +y).
//
// Every operation that yields a vector, matrix or quaternion computes into a temporary and copies
// it to its destination at the end, so the destination may also be an operand.
#pragma once

#include "math/Color4.h"
#include "math/Matrix4.h"
#include "math/Quaternion.h"
#include "math/Vector3.h"
