#include "platform/device/Supersample.h"

#include "platform/device/RenderTarget.h"
#include "platform/device/WorkerPool.h"

#include <algorithm>

namespace cm {

namespace {

// Rows [y0, y1) of the output. Channel sums of a block fit in 32 bits with room to spare
// (16 samples of 255 at most).
void AverageRows(const RenderTarget& target, int factor, uint32_t* out, int y0, int y1) {
    const int width = target.width / factor;
    const uint32_t count = static_cast<uint32_t>(factor * factor), half = count / 2;
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t sum[4] = {};
            for (int j = 0; j < factor; ++j) {
                const uint32_t* p = target.color.data() + static_cast<size_t>(y * factor + j) * target.width +
                                    static_cast<size_t>(x) * factor;
                for (int i = 0; i < factor; ++i)
                    for (int c = 0; c < 4; ++c) sum[c] += (p[i] >> (8 * c)) & 0xFFu;
            }
            uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c) pixel |= ((sum[c] + half) / count) << (8 * c);
            out[static_cast<size_t>(y) * width + x] = pixel;
        }
    }
}

}  // namespace

void AverageDown(const RenderTarget& target, int factor, uint32_t* out, WorkerPool* workers) {
    const int height = target.height / factor;
    if (!workers) {
        AverageRows(target, factor, out, 0, height);
        return;
    }
    const int parts = std::min(height, workers->GetThreadCount() * 4);
    workers->ForEach(parts, [&](int part) {
        AverageRows(target, factor, out, height * part / parts, height * (part + 1) / parts);
    });
}

}  // namespace cm
