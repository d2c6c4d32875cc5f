// The calls of a frame, drawn by several threads while the caller is still making them.
//
// The device's vertex stage runs on the caller's thread: transform, lighting, fog, clipping and
// projection to the target's pixels. What would go to the scan converter is kept instead: each
// draw's resolved states once (a RasterContext, with a reference on the texture it samples; draws
// with equal states share one) and every triangle as its three screen vertices; a Clear is kept as
// an item of its own.
//
// The target's rows are dealt out in blocks to lanes: block b (rows b * blockRows up to the next
// block) belongs to lane b mod lanes; there are as many blocks as lanes, so a lane is a band of
// rows, and a thread evens out the bands' uneven work by claiming lanes in turn. Each item is
// filed, in call order, with every lane whose blocks its rows can touch, and is published to the
// lanes when a draw ends, a few small draws at a time (a clear at once, a long draw every 128
// triangles as it goes): a publication takes the lines of the lanes' counters from the threads
// reading them. A helper that runs out of work looks for more for a while before it sleeps, as
// waking it costs more than the gap between two frames; when frames come with long gaps (paced by
// the display) helpers sleep between them at once.
// A lane is not a thread: whichever thread claims a lane draws what has been published to it,
// in order, with the writable rows narrowed to the lane's blocks, and lets it go. A frame for n
// threads has 4n lanes and n - 1 helper threads; the helpers draw while the caller is still
// transforming the rest of the frame, and in Finish the caller claims lanes too until all is
// drawn. So n threads are busy, never more: the caller's own share of the drawing is what is
// left when its vertex stage ends, whatever the frame's mix of transforming and filling.
//
// A pixel's value depends only on the items covering it, in call order, and on row and pixel
// arithmetic that does not depend on where a span or a block begins (Span.h, Rasterizer.h); so
// every lane count, block size and schedule gives the same bytes as drawing each triangle at
// once.
//
// Items and batches are kept in chunks that never move, so lanes read them while the caller
// adds more; a frame holds at most kMaxItems items, and one with more is drawn in parts.
#pragma once

#include "platform/device/Rasterizer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace cm {

class TextureSurface;

// Elements appended by one thread and read by others below a published count: chunks are
// allocated once and never move, and the table of chunks is sized at construction.
template <typename T>
class ChunkedList {
public:
    static constexpr uint32_t kChunk = 4096;

    explicit ChunkedList(uint32_t capacity) : chunks_((capacity + kChunk - 1) / kChunk) {}

    uint32_t Size() const { return size_; }
    uint32_t Capacity() const { return static_cast<uint32_t>(chunks_.size()) * kChunk; }
    T& operator[](uint32_t i) { return chunks_[i / kChunk][i % kChunk]; }
    const T& operator[](uint32_t i) const { return chunks_[i / kChunk][i % kChunk]; }
    // The caller checks Size() < Capacity().
    T& Append() {
        std::unique_ptr<T[]>& chunk = chunks_[size_ / kChunk];
        if (!chunk) chunk = std::make_unique<T[]>(kChunk);
        return chunk[size_++ % kChunk];
    }
    void Clear() { size_ = 0; }  // chunks are kept for the next frame

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    // Written for every element by the appending thread: kept off the line the readers' chunk
    // table is on, so appending does not take that line away from them each time.
    alignas(64) uint32_t size_ = 0;
};

class BandedFrame {
public:
    static constexpr uint32_t kMaxItems = 1u << 20;

    // Draws with threads threads (2 or more), the caller's included; keeps up to capacity items
    // (rounded up to whole chunks).
    explicit BandedFrame(int threads, uint32_t capacity = kMaxItems);
    ~BandedFrame();
    BandedFrame(const BandedFrame&) = delete;
    BandedFrame& operator=(const BandedFrame&) = delete;

    bool IsEmpty() const { return items_.Size() == 0; }

    // Starts a draw with these states into context.target; texture (may be null) is referenced
    // until Finish. Its triangles go to the lanes at EndDraw.
    void BeginDraw(const RasterContext& context, TextureSurface* texture);
    void AddTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    void EndDraw();
    // Fills [x0, x1) x [y0, y1) of target.
    void AddClear(RenderTarget& target, int x0, int y0, int x1, int y1, bool clearColor, uint32_t color,
                  bool clearDepth, float depth);

    // Waits until everything kept is drawn, then forgets it. Adds the pixels the triangles
    // covered to pixels, per span loop level.
    void Finish(uint64_t (&pixels)[kSpanLevelCount]);

private:
    struct Batch {
        RasterContext context;        // a draw's states; for a clear its target and rectangle
        TextureSurface* texture = nullptr;
        bool isClear = false;
        bool clearColor = false, clearDepth = false;
        uint32_t color = 0;
        float depth = 1.0f;
    };
    struct Item {
        uint32_t batch;
        int firstRow, lastRow;  // the rows the item may write (a conservative bound)
        RasterVertex v[3];
    };
    // Three groups on lines of their own, as each is written by another thread: what the caller
    // files, the counters every thread looks at for work, the state of the drawing thread.
    struct Lane {
        explicit Lane(uint32_t capacity) : items(capacity) {}
        ChunkedList<uint32_t> items;  // item numbers, in call order; appended by the caller
        uint32_t filed = 0;           // of them, published so far; the caller's
        alignas(64) std::atomic<uint32_t> published{0};  // how many of them may be drawn
        std::atomic<uint32_t> done{0};                   // how many of them are drawn
        std::atomic<bool> claimed{false};                // a thread is drawing the lane
        // Used by the thread that has claimed the lane.
        alignas(64) RasterContext context;
        uint32_t batch = UINT32_MAX;  // the batch context was made for
        uint64_t pixels[kSpanLevelCount] = {};
    };

    void MakeRoom();
    void FileItem(uint32_t item);
    void Publish();
    bool HasWork() const;
    bool DrawSome(size_t start);
    bool Claim(Lane& lane);
    void DrawLane(int index);
    void DrawClear(const Batch& batch, int lane) const;
    bool AllDrawn() const;
    void HelperLoop(size_t start);
    void Reset(uint64_t (&pixels)[kSpanLevelCount]);

    ChunkedList<Batch> batches_;
    ChunkedList<Item> items_;
    std::vector<std::unique_ptr<Lane>> lanes_;
    std::vector<std::thread> helpers_;
    int blockRows_ = 0;  // of the frame's target; set by its first item
    int targetHeight_ = 0;
    uint64_t carried_[kSpanLevelCount] = {};  // pixels of frames finished by MakeRoom
    int unpublishedDraws_ = 0;                // draws ended since the last publication
    uint32_t publishedItems_ = 0;             // items_.Size() at the last publication

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::atomic<int> sleeping_{0};         // helpers waiting on wake_
    std::atomic<bool> finishing_{false};  // the caller waits in Finish for lanes claimed by helpers
    bool stopping_ = false;                // under mutex_
    // Between frames: set when one is finished, cleared when the next one's items are published.
    std::atomic<bool> betweenFrames_{false};
    std::atomic<bool> restBetweenFrames_{false};  // the last gap between frames was long
    std::chrono::steady_clock::time_point finishedAt_;  // the caller's
};

}  // namespace cm
