// The calls of a frame kept for drawing later by several threads, each owning bands of rows.
//
// The device's vertex stage still runs at once, on the caller's thread: transform, lighting,
// fog, clipping and projection to the target's pixels. What would go to the scan converter is
// kept instead: each draw's resolved states once (a RasterContext, with a reference on the
// texture it samples) and every triangle as its three screen vertices; a Clear is kept as an
// item of its own. The target's rows are cut into bands (several per thread, so that a band
// with more work than the others does not hold up the frame) and every item is filed, in call
// order, under each band its rows can touch.
//
// Draw then hands the bands to the pool; whichever thread takes a band replays that band's
// items in call order with the writable rows narrowed to the band. A pixel's value depends only
// on the items covering it, in call order, and on row and pixel arithmetic that does not depend
// on where a span or a band begins (Span.h, Rasterizer.h); so every thread count, band count
// and schedule gives the same bytes as drawing each triangle at once.
#pragma once

#include "platform/device/Rasterizer.h"

#include <cstdint>
#include <vector>

namespace cm {

class TextureSurface;
class WorkerPool;

class BandedFrame {
public:
    BandedFrame() = default;
    ~BandedFrame();
    BandedFrame(const BandedFrame&) = delete;
    BandedFrame& operator=(const BandedFrame&) = delete;

    bool IsEmpty() const { return items_.empty(); }

    // Starts a draw with these states; texture (may be null) is referenced until Draw.
    void BeginDraw(const RasterContext& context, TextureSurface* texture);
    void AddTriangle(const RasterVertex& v0, const RasterVertex& v1, const RasterVertex& v2);
    // Fills [x0, x1) x [y0, y1) of the target.
    void AddClear(int x0, int y0, int x1, int y1, bool clearColor, uint32_t color, bool clearDepth, float depth);

    // Draws everything kept into target using pool's threads, then forgets it. Adds the pixels
    // the triangles covered to pixels, per span loop level.
    void Draw(RenderTarget& target, WorkerPool& pool, uint64_t (&pixels)[kSpanLevelCount]);

private:
    struct Batch {
        RasterContext context;        // a draw's states; for a clear only its rectangle
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

    void FileItems(int bandCount, int bandRows);
    void DrawBand(RenderTarget& target, int band, int bandRows, uint64_t (&pixels)[kSpanLevelCount]) const;
    void Reset();

    std::vector<Batch> batches_;
    std::vector<Item> items_;
    std::vector<std::vector<uint32_t>> bands_;  // item numbers per band, in call order
};

}  // namespace cm
