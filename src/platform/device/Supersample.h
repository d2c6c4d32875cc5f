// Averaging a supersampled target down: each factor x factor block of target pixels becomes one
// pixel, every channel the block's mean rounded to nearest (halves up).
#pragma once

#include <cstdint>

namespace cm {

struct RenderTarget;
class WorkerPool;

// out receives (target.width / factor) x (target.height / factor) pixels, rows packed. workers
// (may be null) share the rows out; the result does not depend on them.
void AverageDown(const RenderTarget& target, int factor, uint32_t* out, WorkerPool* workers);

}  // namespace cm
