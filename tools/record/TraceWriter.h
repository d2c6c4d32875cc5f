// The device call trace: every call a device received during chosen frames, as replayable text,
// with each texture those calls bind written once as raw texels.
//
// trace.txt, one call per line ('#' starts a comment; integers decimal or 0x hex; floats with
// nine significant digits, so each reads back to the same 32-bit value):
//   frame                       before the first call of each traced frame
//   clear ARGB                  the context's clear of colour and depth
//   rs STATE VALUE              SetRenderState (FOGSTART, FOGEND as floats; colours in hex)
//   tss STAGE STATE VALUE       SetTextureStageState
//   transform KIND m11 .. m44   SetTransform (1 world, 2 view, 3 projection), row-major
//   texture ID W H FILE         a texture's first binding; FILE holds W x H little-endian
//                               0xAARRGGBB words, rows top to bottom
//   settexture STAGE ID         SetTexture (ID 0: none)
//   draw PRIM FVF COUNT         DrawPrimitive and DrawPrimitiveVB, then COUNT vertex lines:
//                               0x144: x y z rhw diffuse u v; 0x152: x y z nx ny nz diffuse u v
//   present                     the frame's UpdateFrame
// Scene brackets, materials and refused calls are comments. The first traced frame starts with
// the whole device state, since state carries over from the frames before it.
#pragma once

#include "platform/device/CallRecord.h"
#include "platform/device/DeviceState.h"

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace cm {
class TextureSurface;
}

namespace cm::record {

class TraceWriter {
public:
    TraceWriter() = default;
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;
    ~TraceWriter();

    // Creates dir if needed and starts dir/trace.txt (under a temporary name until Close).
    bool Open(const std::string& dir, std::string& error);
    // Starts a traced frame. The first one also writes `state`, the device state the frame
    // starts from.
    void BeginFrame(const DeviceState& state);
    // Writes the frame's clear, its calls in order, and its present.
    void EndFrame(uint32_t clearColor, const std::vector<DeviceCall>& calls);
    // Finishes trace.txt. False when anything could not be written.
    bool Close(std::string& error);

    int64_t Frames() const { return frames_; }

private:
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void RenderStateLine(uint32_t state, uint32_t value, const char* prefix = "");
    void TransformLine(uint32_t kind, const Matrix4& m, const char* prefix = "");
    void MaterialComment(const D3DMaterial7& m);
    // The texture's ID, writing its file and `texture` line the first time it is seen.
    uint32_t TextureId(const TextureSurface* texture);
    void Vertices(uint32_t fvf, uint32_t count, const std::vector<uint8_t>& bytes);
    void Call(const DeviceCall& call);

    std::string dir_;
    std::string partPath_;
    std::FILE* file_ = nullptr;
    std::map<const TextureSurface*, uint32_t> textureIds_;
    bool ok_ = true;
    bool stateWritten_ = false;
    int64_t frames_ = 0;
};

}  // namespace cm::record
