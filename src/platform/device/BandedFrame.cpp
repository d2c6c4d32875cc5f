#include "platform/device/BandedFrame.h"

#include "platform/device/RenderTarget.h"
#include "platform/device/TextureSurface.h"

#include <algorithm>
#include <cmath>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace cm {

namespace {

// Blocks per lane: enough that every lane gets a fair share of any part of the picture, few
// enough that most small triangles lie in one block and are set up by one lane only.
constexpr int kBlocksPerLane = 16;

// How long a lane that has caught up looks for more work before it sleeps.
constexpr int kSpinRounds = 200;

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

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

BandedFrame::BandedFrame(int lanes, uint32_t capacity) : batches_(capacity), items_(capacity) {
    for (int i = 0; i < lanes; ++i) lanes_.push_back(std::make_unique<Lane>(capacity));
    for (int i = 0; i < lanes; ++i) lanes_[static_cast<size_t>(i)]->thread = std::thread([this, i] { LaneLoop(i); });
}

BandedFrame::~BandedFrame() {
    uint64_t ignored[kSpanLevelCount] = {};
    Finish(ignored);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::unique_ptr<Lane>& lane : lanes_) lane->thread.join();
}

// A frame with as many items or batches as can be kept is drawn and forgotten (its pixels are
// counted at the next Finish), and the new one goes on.
void BandedFrame::MakeRoom() {
    if (items_.Size() < items_.Capacity() && batches_.Size() < batches_.Capacity()) return;
    uint64_t pixels[kSpanLevelCount] = {};
    Finish(pixels);
    for (int l = 0; l < kSpanLevelCount; ++l) carried_[l] += pixels[l];
}

void BandedFrame::BeginDraw(const RasterContext& context, TextureSurface* texture) {
    MakeRoom();
    Batch& b = batches_.Append();
    b = Batch{};
    b.context = context;
    b.texture = texture;
    if (texture) texture->AddRef();
}

void BandedFrame::AddTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2) {
    if (items_.Size() == items_.Capacity()) {  // draw the frame so far, then go on with this draw
        const Batch current = batches_[batches_.Size() - 1];
        if (current.texture) current.texture->AddRef();
        MakeRoom();
        BeginDraw(current.context, current.texture);
        if (current.texture) current.texture->Release();
    }
    const uint32_t number = items_.Size();
    Item& item = items_.Append();
    item.batch = batches_.Size() - 1;
    item.v[0] = v0, item.v[1] = v1, item.v[2] = v2;
    RowBounds(item.v, item.firstRow, item.lastRow);
    const RasterContext& c = batches_[item.batch].context;
    item.firstRow = std::max(item.firstRow, c.y0);
    item.lastRow = std::min(item.lastRow, c.y1 - 1);
    FileItem(number);
}

void BandedFrame::EndDraw() { Publish(); }

void BandedFrame::AddClear(RenderTarget& target, int x0, int y0, int x1, int y1, bool clearColor, uint32_t color,
                           bool clearDepth, float depth) {
    MakeRoom();
    Batch& b = batches_.Append();
    b = Batch{};
    b.isClear = true;
    b.context.target = &target;
    b.context.x0 = x0, b.context.y0 = y0, b.context.x1 = x1, b.context.y1 = y1;
    b.clearColor = clearColor, b.color = color, b.clearDepth = clearDepth, b.depth = depth;
    const uint32_t number = items_.Size();
    Item& item = items_.Append();
    item.batch = batches_.Size() - 1;
    item.firstRow = y0, item.lastRow = y1 - 1;
    FileItem(number);
    Publish();
}

// Hands the item to every lane owning a block of its rows. The first item of a frame fixes the
// frame's blocks.
void BandedFrame::FileItem(uint32_t number) {
    const Item& item = items_[number];
    if (item.firstRow > item.lastRow) return;
    const int laneCount = static_cast<int>(lanes_.size());
    if (blockRows_ == 0) {
        targetHeight_ = batches_[item.batch].context.target->height;
        const int blocks = laneCount * kBlocksPerLane;
        blockRows_ = std::max(1, (targetHeight_ + blocks - 1) / blocks);
    }
    const int first = std::max(item.firstRow, 0) / blockRows_;
    const int last = std::min(item.lastRow, targetHeight_ - 1) / blockRows_;
    if (last < first) return;
    const int count = std::min(last - first + 1, laneCount);
    for (int b = first; b < first + count; ++b) lanes_[static_cast<size_t>(b % laneCount)]->items.Append() = number;
}

// Lets every lane draw what has been filed with it, and wakes the lanes that sleep.
void BandedFrame::Publish() {
    for (std::unique_ptr<Lane>& lane : lanes_) lane->published.store(lane->items.Size(), std::memory_order_seq_cst);
    if (sleeping_.load(std::memory_order_seq_cst) == 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_all();
}

void BandedFrame::Finish(uint64_t (&pixels)[kSpanLevelCount]) {
    for (int l = 0; l < kSpanLevelCount; ++l) pixels[l] += std::exchange(carried_[l], 0);
    if (IsEmpty()) return;
    Publish();
    std::unique_lock<std::mutex> lock(mutex_);
    closed_ = true;
    wake_.notify_all();
    finished_.wait(lock, [&] { return drained_ == static_cast<int>(lanes_.size()); });
    for (std::unique_ptr<Lane>& lane : lanes_)
        for (int l = 0; l < kSpanLevelCount; ++l) pixels[l] += std::exchange(lane->pixels[l], 0);
    Reset();
    closed_ = false;
    drained_ = 0;
    ++frame_;
    wake_.notify_all();
}

// With every lane waiting for the next frame.
void BandedFrame::Reset() {
    for (uint32_t i = 0; i < batches_.Size(); ++i)
        if (batches_[i].texture) batches_[i].texture->Release();
    batches_.Clear();
    items_.Clear();
    for (std::unique_ptr<Lane>& lane : lanes_) {
        lane->items.Clear();
        lane->published.store(0);
    }
    blockRows_ = 0;
}

void BandedFrame::LaneLoop(int index) {
    Lane& lane = *lanes_[static_cast<size_t>(index)];
    uint32_t done = 0;
    uint64_t frame = 0;
    for (;;) {
        const uint32_t published = lane.published.load(std::memory_order_acquire);
        if (published > done) {
            DrawItems(index, done, published);
            done = published;
            continue;
        }
        if (WaitForWork(lane, done)) continue;
        // The frame is closed and everything in it drawn: report, then wait for the next one.
        std::unique_lock<std::mutex> lock(mutex_);
        if (stopping_) return;
        CloseLane(lane);
        if (++drained_ == static_cast<int>(lanes_.size())) finished_.notify_one();
        wake_.wait(lock, [&] { return stopping_ || frame_ != frame; });
        if (stopping_) return;
        frame = frame_;
        done = 0;
    }
}

// True when more items were published after done; false when the frame was closed with none
// left, or the frame is stopping.
bool BandedFrame::WaitForWork(Lane& lane, uint32_t done) {
    for (int i = 0; i < kSpinRounds; ++i) {
        if (lane.published.load(std::memory_order_acquire) > done) return true;
        Pause();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    sleeping_.fetch_add(1, std::memory_order_seq_cst);
    wake_.wait(lock, [&] { return stopping_ || closed_ || lane.published.load(std::memory_order_seq_cst) > done; });
    sleeping_.fetch_sub(1, std::memory_order_seq_cst);
    return !stopping_ && lane.published.load(std::memory_order_acquire) > done;
}

void BandedFrame::DrawItems(int index, uint32_t from, uint32_t to) {
    Lane& lane = *lanes_[static_cast<size_t>(index)];
    for (uint32_t k = from; k < to; ++k) {
        const Item& item = items_[lane.items[k]];
        const Batch& batch = batches_[item.batch];
        if (batch.isClear) {
            DrawClear(batch, index);
            continue;
        }
        if (item.batch != lane.batch) {
            for (int l = 0; l < kSpanLevelCount; ++l) lane.pixels[l] += lane.context.pixels[l];
            lane.context = batch.context;
            lane.context.blockRows = blockRows_;
            lane.context.blockStride = static_cast<int>(lanes_.size());
            lane.context.blockPhase = index;
            for (uint64_t& p : lane.context.pixels) p = 0;
            lane.batch = item.batch;
        }
        RasterizeTriangle(lane.context, item.v[0], item.v[1], item.v[2]);
    }
}

void BandedFrame::DrawClear(const Batch& batch, int lane) const {
    const RasterContext& c = batch.context;
    RenderTarget& target = *c.target;
    const int stride = static_cast<int>(lanes_.size());
    const int firstBlock = c.y0 / blockRows_;
    const int firstOwned = firstBlock + ((lane - firstBlock % stride) + stride) % stride;
    for (int block = firstOwned; block * blockRows_ < c.y1; block += stride) {
        const int rowEnd = std::min(c.y1, (block + 1) * blockRows_);
        for (int y = std::max(c.y0, block * blockRows_); y < rowEnd; ++y) {
            const size_t row = static_cast<size_t>(y) * target.width;
            if (batch.clearColor) std::fill_n(target.color.begin() + row + c.x0, c.x1 - c.x0, batch.color);
            if (batch.clearDepth) std::fill_n(target.depth.begin() + row + c.x0, c.x1 - c.x0, batch.depth);
        }
    }
}

// Under mutex_, once the lane has drawn all of a closed frame.
void BandedFrame::CloseLane(Lane& lane) {
    for (int l = 0; l < kSpanLevelCount; ++l) {
        lane.pixels[l] += lane.context.pixels[l];
        lane.context.pixels[l] = 0;
    }
    lane.batch = UINT32_MAX;
}

}  // namespace cm
