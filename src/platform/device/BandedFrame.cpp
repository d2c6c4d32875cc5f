#include "platform/device/BandedFrame.h"

#include "platform/device/RenderTarget.h"
#include "platform/device/TextureSurface.h"
#include "platform/device/WorkerPool.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace cm {

namespace {

// Bands per thread: enough that uneven bands even out, few enough that filing stays cheap.
constexpr int kBandsPerThread = 4;

// The rows a triangle may touch, widened by a row on each side to cover the rasterizer's
// snapping. Non-finite vertices give no rows (the rasterizer drops them too).
void RowBounds(const RasterVertex (&v)[3], int& first, int& last) {
    const double top = std::min({v[0].y, v[1].y, v[2].y}), bottom = std::max({v[0].y, v[1].y, v[2].y});
    if (!(top >= -1e7 && bottom <= 1e7)) {
        first = 1, last = 0;
        return;
    }
    first = static_cast<int>(std::floor(top)) - 1;
    last = static_cast<int>(std::ceil(bottom)) + 1;
}

}  // namespace

BandedFrame::~BandedFrame() { Reset(); }

void BandedFrame::BeginDraw(const RasterContext& context, TextureSurface* texture) {
    Batch& b = batches_.emplace_back();
    b.context = context;
    b.texture = texture;
    if (texture) texture->AddRef();
}

void BandedFrame::AddTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2) {
    Item& item = items_.emplace_back();
    item.batch = static_cast<uint32_t>(batches_.size() - 1);
    item.v[0] = v0, item.v[1] = v1, item.v[2] = v2;
    RowBounds(item.v, item.firstRow, item.lastRow);
    item.firstRow = std::max(item.firstRow, batches_.back().context.y0);
    item.lastRow = std::min(item.lastRow, batches_.back().context.y1 - 1);
}

void BandedFrame::AddClear(int x0, int y0, int x1, int y1, bool clearColor, uint32_t color, bool clearDepth,
                           float depth) {
    Batch& b = batches_.emplace_back();
    b.isClear = true;
    b.context.x0 = x0, b.context.y0 = y0, b.context.x1 = x1, b.context.y1 = y1;
    b.clearColor = clearColor, b.color = color, b.clearDepth = clearDepth, b.depth = depth;
    Item& item = items_.emplace_back();
    item.batch = static_cast<uint32_t>(batches_.size() - 1);
    item.firstRow = y0, item.lastRow = y1 - 1;
}

void BandedFrame::FileItems(int bandCount, int bandRows) {
    bands_.resize(static_cast<size_t>(bandCount));
    for (std::vector<uint32_t>& band : bands_) band.clear();
    for (uint32_t i = 0; i < items_.size(); ++i) {
        const Item& item = items_[i];
        if (item.firstRow > item.lastRow) continue;
        const int first = std::max(item.firstRow, 0) / bandRows;
        const int last = std::min(item.lastRow / bandRows, bandCount - 1);
        for (int b = first; b <= last; ++b) bands_[static_cast<size_t>(b)].push_back(i);
    }
}

void BandedFrame::DrawBand(RenderTarget& target, int band, int bandRows, uint64_t (&pixels)[kSpanLevelCount]) const {
    const int rowBegin = band * bandRows, rowEnd = std::min(rowBegin + bandRows, target.height);
    RasterContext context;
    uint32_t current = UINT32_MAX;
    for (uint32_t i : bands_[static_cast<size_t>(band)]) {
        const Item& item = items_[i];
        const Batch& batch = batches_[item.batch];
        const RasterContext& c = batch.context;
        if (batch.isClear) {
            for (int y = std::max(c.y0, rowBegin); y < std::min(c.y1, rowEnd); ++y) {
                const size_t row = static_cast<size_t>(y) * target.width;
                if (batch.clearColor) std::fill_n(target.color.begin() + row + c.x0, c.x1 - c.x0, batch.color);
                if (batch.clearDepth) std::fill_n(target.depth.begin() + row + c.x0, c.x1 - c.x0, batch.depth);
            }
            continue;
        }
        if (item.batch != current) {
            context = c;
            context.target = &target;
            context.y0 = std::max(c.y0, rowBegin);
            context.y1 = std::min(c.y1, rowEnd);
            for (uint64_t& p : context.pixels) p = 0;
            current = item.batch;
        }
        uint64_t before[kSpanLevelCount];
        std::copy(std::begin(context.pixels), std::end(context.pixels), before);
        RasterizeTriangle(context, item.v[0], item.v[1], item.v[2]);
        for (int l = 0; l < kSpanLevelCount; ++l) pixels[l] += context.pixels[l] - before[l];
    }
}

void BandedFrame::Draw(RenderTarget& target, WorkerPool& pool, uint64_t (&pixels)[kSpanLevelCount]) {
    if (items_.empty()) return Reset();
    const int bandCount = std::min(target.height, pool.GetThreadCount() * kBandsPerThread);
    const int bandRows = (target.height + bandCount - 1) / bandCount;
    FileItems(bandCount, bandRows);
    std::vector<std::array<uint64_t, kSpanLevelCount>> counts(static_cast<size_t>(bandCount));
    pool.ForEach(bandCount, [&](int band) {
        uint64_t c[kSpanLevelCount] = {};
        DrawBand(target, band, bandRows, c);
        std::copy(std::begin(c), std::end(c), counts[static_cast<size_t>(band)].begin());
    });
    Reset();
    for (const auto& c : counts)
        for (int l = 0; l < kSpanLevelCount; ++l) pixels[l] += c[static_cast<size_t>(l)];
}

void BandedFrame::Reset() {
    for (Batch& b : batches_)
        if (b.texture) b.texture->Release();
    batches_.clear();
    items_.clear();
}

}  // namespace cm
