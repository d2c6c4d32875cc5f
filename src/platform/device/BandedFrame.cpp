#include "platform/device/BandedFrame.h"

#include "platform/device/RenderTarget.h"
#include "platform/device/TextureSurface.h"

#include <algorithm>
#include <chrono>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace cm {

namespace {

// Lanes per drawing thread: a thread that finds every lane it could take claimed by another
// waits for at most one lane's rest of the frame, so the more lanes the shorter that wait.
// Every block boundary sets up the triangles across it twice; four lanes of one block each
// gave the least of the two together (a profile of the whole show on two threads: waiting
// 4.9% of the time against 7.2% with two lanes of two blocks, setup unchanged).
constexpr int kLanesPerThread = 4;

// Blocks per lane: more would share out any part of the picture more evenly, but cut more
// triangles in two; with several lanes per thread claiming them in turn, one is enough.
constexpr int kBlocksPerLane = 1;

// A draw's items are published at its end once this many draws or items have gathered.
constexpr int kPublishDraws = 8;
constexpr uint32_t kPublishItems = 32;
// A long draw's items are published while it goes on, this many at a time.
constexpr uint32_t kPublishLongDraw = 128;

// How long a helper that has caught up looks for more work before it sleeps: long enough to
// span the caller's work between draws and between two frames, as waking a sleeping thread
// takes longer (in a virtual machine, often more than the gap itself). At 60 frames a second
// it costs at most 3% of a core.
constexpr auto kSpinTime = std::chrono::microseconds(500);
// How long the caller waits for helpers drawing the last lanes of a frame before it sleeps:
// they are at work, so the wait is short unless they have lost their processor.
constexpr auto kFinishSpinTime = std::chrono::microseconds(2000);

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#else
    std::this_thread::yield();
#endif
}

// Asks ready() between pauses for up to spin; true as soon as it says yes.
template <typename Ready>
bool SpinUntil(Ready ready, std::chrono::microseconds spin) {
    const auto end = std::chrono::steady_clock::now() + spin;
    for (;;) {
        for (int i = 0; i < 32; ++i) {
            if (ready()) return true;
            Pause();
        }
        if (std::chrono::steady_clock::now() >= end) return false;
    }
}

// The rows a triangle may touch, widened by a row on each side to cover the rasterizer's
// snapping. Non-finite vertices give no rows (the rasterizer drops them too).
void RowBounds(const RasterVertex (&v)[3], int& first, int& last) {
    const double top = std::min({v[0].y, v[1].y, v[2].y}), bottom = std::max({v[0].y, v[1].y, v[2].y});
    if (!(top >= -1e7 && bottom <= 1e7)) {
        first = 1, last = 0;
        return;
    }
    // floor and ceil by truncation: std::floor and std::ceil are calls on plain x86-64.
    const int topRow = static_cast<int>(top), bottomRow = static_cast<int>(bottom);
    first = topRow - (topRow > top ? 1 : 0) - 1;
    last = bottomRow + (bottomRow < bottom ? 1 : 0) + 1;
}

// Whether two draws rasterize alike: the same target, rectangle and switches. The gradients
// and pixel counts are per triangle and per lane, so they are not compared.
// A switch added to SpanSetup or RasterContext must be compared here too.
bool SameStates(const RasterContext& a, const RasterContext& b) {
    const SpanSetup &s = a.setup, &t = b.setup;
    return a.target == b.target && a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1 &&
           a.cullMode == b.cullMode && a.perspective == b.perspective && a.spanLevel == b.spanLevel &&
           s.texels == t.texels && s.texWidth == t.texWidth && s.texHeight == t.texHeight &&
           s.fogColor == t.fogColor && s.tex == t.tex && s.combine == t.combine && s.blend == t.blend &&
           s.fog == t.fog && s.zTest == t.zTest && s.zWrite == t.zWrite && s.zFunc == t.zFunc &&
           s.colorOp == t.colorOp && s.colorArg1 == t.colorArg1 && s.colorArg2 == t.colorArg2 &&
           s.alphaOp == t.alphaOp && s.alphaArg1 == t.alphaArg1 && s.alphaArg2 == t.alphaArg2 &&
           s.srcBlend == t.srcBlend && s.destBlend == t.destBlend && s.textureFactor == t.textureFactor;
}

}  // namespace

BandedFrame::BandedFrame(int threads, uint32_t capacity) : batches_(capacity), items_(capacity) {
    for (int i = 0; i < kLanesPerThread * threads; ++i) lanes_.push_back(std::make_unique<Lane>(capacity));
    for (int i = 1; i < threads; ++i)
        helpers_.emplace_back([this, i] { HelperLoop(static_cast<size_t>(i) * kLanesPerThread); });
}

BandedFrame::~BandedFrame() {
    uint64_t ignored[kSpanLevelCount] = {};
    Finish(ignored);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& helper : helpers_) helper.join();
}

// A frame with as many items or batches as can be kept is drawn and forgotten (its pixels are
// counted at the next Finish), and the new one goes on.
void BandedFrame::MakeRoom() {
    if (items_.Size() < items_.Capacity() && batches_.Size() < batches_.Capacity()) return;
    uint64_t pixels[kSpanLevelCount] = {};
    Finish(pixels);
    for (int l = 0; l < kSpanLevelCount; ++l) carried_[l] += pixels[l];
}

// A draw with the states of the one before it goes on in that one's batch: most draws are
// one triangle of a mesh, and a lane sets up its context only when the batch changes.
void BandedFrame::BeginDraw(const RasterContext& context, TextureSurface* texture) {
    MakeRoom();
    if (batches_.Size() > 0) {
        const Batch& last = batches_[batches_.Size() - 1];
        if (!last.isClear && last.texture == texture && SameStates(last.context, context)) return;
    }
    Batch& b = batches_.Append();
    // Field by field: clearing the whole batch first cost as much as a small draw's filing.
    b.context = context;
    b.texture = texture;
    b.isClear = false;  // the clear's own fields are only read for clears
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
    if (items_.Size() - publishedItems_ >= kPublishLongDraw) Publish();
}

// Small draws are handed over a few at a time: every publication costs the caller the lines
// the lanes' readers hold.
void BandedFrame::EndDraw() {
    if (++unpublishedDraws_ >= kPublishDraws || items_.Size() - publishedItems_ >= kPublishItems) Publish();
}

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

// Lets every lane be drawn up to what has been filed with it, and wakes the helpers that sleep.
void BandedFrame::Publish() {
    if (betweenFrames_.load(std::memory_order_relaxed)) {  // a frame's first items
        const auto gap = std::chrono::steady_clock::now() - finishedAt_;
        restBetweenFrames_.store(gap > kSpinTime, std::memory_order_relaxed);
        betweenFrames_.store(false, std::memory_order_relaxed);
    }
    for (std::unique_ptr<Lane>& lane : lanes_) {
        if (lane->items.Size() == lane->filed) continue;
        lane->filed = lane->items.Size();
        lane->published.store(lane->filed, std::memory_order_release);
    }
    unpublishedDraws_ = 0;
    publishedItems_ = items_.Size();
    // A read-modify-write, ordered with the helper's count of sleepers before it looks for
    // work: either it sees the lanes just published or this sees it asleep.
    if (sleeping_.fetch_add(0, std::memory_order_seq_cst) == 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    wake_.notify_all();
}

// The caller draws whatever lane it can claim until everything is drawn; it waits only while
// the last lanes are being drawn by helpers.
void BandedFrame::Finish(uint64_t (&pixels)[kSpanLevelCount]) {
    for (int l = 0; l < kSpanLevelCount; ++l) pixels[l] += std::exchange(carried_[l], 0);
    if (IsEmpty()) return;
    Publish();
    for (;;) {
        if (DrawSome(0)) continue;
        if (AllDrawn()) break;
        if (SpinUntil([&] { return AllDrawn() || HasWork(); }, kFinishSpinTime)) continue;
        finishing_.store(true, std::memory_order_seq_cst);
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [&] { return AllDrawn() || HasWork(); });
        finishing_.store(false, std::memory_order_seq_cst);
    }
    Reset(pixels);
    finishedAt_ = std::chrono::steady_clock::now();
    betweenFrames_.store(true, std::memory_order_relaxed);
}

// With every lane drawn: adds the lanes' pixel counts to pixels and forgets the frame. Each lane
// is claimed while it is read and cleared, so a helper that looked at it just before cannot
// take it half cleared.
void BandedFrame::Reset(uint64_t (&pixels)[kSpanLevelCount]) {
    for (uint32_t i = 0; i < batches_.Size(); ++i)
        if (batches_[i].texture) batches_[i].texture->Release();
    batches_.Clear();
    items_.Clear();
    unpublishedDraws_ = 0;
    publishedItems_ = 0;
    for (std::unique_ptr<Lane>& lane : lanes_) {
        while (!Claim(*lane)) Pause();
        for (int l = 0; l < kSpanLevelCount; ++l) pixels[l] += lane->pixels[l] + lane->context.pixels[l];
        lane->items.Clear();
        lane->filed = 0;
        lane->published.store(0, std::memory_order_seq_cst);
        lane->done.store(0, std::memory_order_relaxed);
        lane->batch = UINT32_MAX;
        for (int l = 0; l < kSpanLevelCount; ++l) lane->pixels[l] = lane->context.pixels[l] = 0;
        lane->claimed.store(false, std::memory_order_seq_cst);
    }
    blockRows_ = 0;
}

// True when a lane that nobody draws has items published and not drawn.
bool BandedFrame::HasWork() const {
    for (const std::unique_ptr<Lane>& lane : lanes_)
        if (!lane->claimed.load(std::memory_order_seq_cst) &&
            lane->published.load(std::memory_order_seq_cst) > lane->done.load(std::memory_order_acquire))
            return true;
    return false;
}

// True when every lane is drawn up to what was published and nobody holds one.
bool BandedFrame::AllDrawn() const {
    for (const std::unique_ptr<Lane>& lane : lanes_)
        if (lane->claimed.load(std::memory_order_seq_cst) ||
            lane->done.load(std::memory_order_acquire) != lane->published.load(std::memory_order_acquire))
            return false;
    return true;
}

bool BandedFrame::Claim(Lane& lane) {
    return !lane.claimed.load(std::memory_order_relaxed) && !lane.claimed.exchange(true, std::memory_order_acquire);
}

// Draws, from lane start on, every lane with work that can be claimed. True when it drew any.
bool BandedFrame::DrawSome(size_t start) {
    bool drew = false;
    for (size_t k = 0; k < lanes_.size(); ++k) {
        const size_t index = (start + k) % lanes_.size();
        Lane& lane = *lanes_[index];
        if (lane.published.load(std::memory_order_acquire) <= lane.done.load(std::memory_order_acquire)) continue;
        if (!Claim(lane)) continue;
        DrawLane(static_cast<int>(index));
        lane.claimed.store(false, std::memory_order_seq_cst);
        drew = true;
        if (finishing_.load(std::memory_order_seq_cst)) {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_.notify_all();
        }
    }
    return drew;
}

void BandedFrame::HelperLoop(size_t start) {
    for (;;) {
        if (DrawSome(start)) continue;
        // Frames that come with gaps longer than the look-out (a show paced by the display)
        // would only burn it at every frame's end: then helpers sleep between frames at once.
        const auto resting = [&] {
            return betweenFrames_.load(std::memory_order_relaxed) &&
                   restBetweenFrames_.load(std::memory_order_relaxed);
        };
        if (SpinUntil([&] { return HasWork() || resting(); }, kSpinTime) && !resting()) continue;
        std::unique_lock<std::mutex> lock(mutex_);
        sleeping_.fetch_add(1, std::memory_order_seq_cst);
        wake_.wait(lock, [&] { return stopping_ || HasWork(); });
        sleeping_.fetch_sub(1, std::memory_order_seq_cst);
        if (stopping_) return;
    }
}

// With the lane claimed: draws what was published to it since it was last drawn.
void BandedFrame::DrawLane(int index) {
    Lane& lane = *lanes_[static_cast<size_t>(index)];
    const uint32_t from = lane.done.load(std::memory_order_relaxed);
    const uint32_t to = lane.published.load(std::memory_order_acquire);
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
    lane.done.store(to, std::memory_order_release);
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

}  // namespace cm
