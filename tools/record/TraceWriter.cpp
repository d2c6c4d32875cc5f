#include "TraceWriter.h"

#include "platform/device/TextureSurface.h"

#include <array>
#include <cstdarg>
#include <cstring>
#include <filesystem>

namespace cm::record {

namespace {
bool IsFloatState(uint32_t state) { return state == D3DRENDERSTATE_FOGSTART || state == D3DRENDERSTATE_FOGEND; }
bool IsColourState(uint32_t state) {
    return state == D3DRENDERSTATE_FOGCOLOR || state == D3DRENDERSTATE_TEXTUREFACTOR || state == D3DRENDERSTATE_AMBIENT;
}
float BitsToFloat(uint32_t v) {
    float f;
    std::memcpy(&f, &v, 4);
    return f;
}
}  // namespace

TraceWriter::~TraceWriter() {
    if (file_ != nullptr) {
        std::fclose(file_);
        std::remove(partPath_.c_str());
    }
}

bool TraceWriter::Open(const std::string& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    dir_ = dir;
    partPath_ = dir + "/trace.txt.part";
    file_ = std::fopen(partPath_.c_str(), "w");
    if (file_ == nullptr) {
        error = "cannot write " + partPath_ + ": " + std::strerror(errno);
        return false;
    }
    Line("# device call trace: one call per line; see tools/record/TraceWriter.h for the format");
    return true;
}

void TraceWriter::Line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    if (std::vfprintf(file_, format, args) < 0) ok_ = false;
    va_end(args);
    if (std::fputc('\n', file_) == EOF) ok_ = false;
}

void TraceWriter::RenderStateLine(uint32_t state, uint32_t value, const char* prefix) {
    if (IsFloatState(state)) Line("%srs %u %.9g", prefix, state, double(BitsToFloat(value)));
    else if (IsColourState(state)) Line("%srs %u 0x%08X", prefix, state, value);
    else Line("%srs %u %u", prefix, state, value);
}

void TraceWriter::TransformLine(uint32_t kind, const Matrix4& m, const char* prefix) {
    char text[512];
    int n = std::snprintf(text, sizeof text, "%stransform %u", prefix, kind);
    for (int i = 0; i < 16; ++i) n += std::snprintf(text + n, sizeof text - size_t(n), " %.9g", double(m.m[i]));
    Line("%s", text);
}

void TraceWriter::MaterialComment(const D3DMaterial7& m) {
    auto c = [](const D3DColorValue& v) { return std::array<double, 4>{v.r, v.g, v.b, v.a}; };
    const auto d = c(m.diffuse), a = c(m.ambient), s = c(m.specular), e = c(m.emissive);
    Line("# material diffuse %.9g %.9g %.9g %.9g ambient %.9g %.9g %.9g %.9g specular %.9g %.9g %.9g %.9g "
         "emissive %.9g %.9g %.9g %.9g power %.9g",
         d[0], d[1], d[2], d[3], a[0], a[1], a[2], a[3], s[0], s[1], s[2], s[3], e[0], e[1], e[2], e[3],
         double(m.power));
}

uint32_t TraceWriter::TextureId(const TextureSurface* texture) {
    if (texture == nullptr) return 0;
    auto it = textureIds_.find(texture);
    if (it != textureIds_.end()) return it->second;
    const uint32_t id = uint32_t(textureIds_.size()) + 1;
    textureIds_.emplace(texture, id);
    const std::string name = "tex_" + std::to_string(id) + ".argb";
    const uint32_t w = texture->GetWidth(), h = texture->GetHeight();
    // Little-endian words whatever the machine.
    std::vector<unsigned char> bytes(size_t(w) * h * 4);
    const uint32_t* texels = texture->GetTexels();
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        for (int b = 0; b < 4; ++b) bytes[i * 4 + size_t(b)] = static_cast<unsigned char>(texels[i] >> (8 * b));
    }
    std::FILE* f = std::fopen((dir_ + "/" + name).c_str(), "wb");
    if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) ok_ = false;
    if (f != nullptr && std::fclose(f) != 0) ok_ = false;
    Line("texture %u %u %u %s", id, w, h, name.c_str());
    return id;
}

void TraceWriter::Vertices(uint32_t fvf, uint32_t count, const std::vector<uint8_t>& bytes) {
    const size_t stride = fvf == kFvfScreenVertex ? kScreenVertexStride : kMeshVertexStride;
    const size_t floatsBefore = fvf == kFvfScreenVertex ? 4 : 6;  // then the diffuse word, then u, v
    for (uint32_t i = 0; i < count && (i + 1) * stride <= bytes.size(); ++i) {
        const uint8_t* v = bytes.data() + i * stride;
        float f[8];
        uint32_t diffuse;
        std::memcpy(f, v, floatsBefore * 4);
        std::memcpy(&diffuse, v + floatsBefore * 4, 4);
        std::memcpy(f + floatsBefore, v + floatsBefore * 4 + 4, 8);
        if (fvf == kFvfScreenVertex) {
            Line("%.9g %.9g %.9g %.9g 0x%08X %.9g %.9g", double(f[0]), double(f[1]), double(f[2]), double(f[3]), diffuse,
                 double(f[4]), double(f[5]));
        } else {
            Line("%.9g %.9g %.9g %.9g %.9g %.9g 0x%08X %.9g %.9g", double(f[0]), double(f[1]), double(f[2]),
                 double(f[3]), double(f[4]), double(f[5]), diffuse, double(f[6]), double(f[7]));
        }
    }
}

void TraceWriter::BeginFrame(const DeviceState& state) {
    Line("frame");
    if (stateWritten_) return;
    stateWritten_ = true;
    Line("# the device state this frame starts from");
    for (uint32_t s = 1; s < kRenderStateCount; ++s) RenderStateLine(s, state.renderStates[s]);
    for (uint32_t stage = 0; stage < kTextureStageCount; ++stage) {
        for (uint32_t s = 1; s < kTextureStageStateCount; ++s) Line("tss %u %u %u", stage, s, state.stageStates[stage][s]);
    }
    TransformLine(D3DTRANSFORMSTATE_WORLD, state.world);
    TransformLine(D3DTRANSFORMSTATE_VIEW, state.view);
    TransformLine(D3DTRANSFORMSTATE_PROJECTION, state.projection);
    MaterialComment(state.material);
    for (uint32_t stage = 0; stage < kTextureStageCount; ++stage) {
        Line("settexture %u %u", stage, TextureId(state.textures[stage]));
    }
    Line("# viewport %d %d %d %d %.9g %.9g", state.viewport.x, state.viewport.y, state.viewport.width,
         state.viewport.height, double(state.viewport.minZ), double(state.viewport.maxZ));
    Line("# end of the device state");
}

void TraceWriter::Call(const DeviceCall& c) {
    // A refused call changed nothing; it is kept for the reader as a comment.
    const char* prefix = c.result == kD3DOk ? "" : "# refused: ";
    switch (c.method) {
        case DeviceMethod::BeginScene: Line("# beginscene"); break;
        case DeviceMethod::EndScene: Line("# endscene"); break;
        case DeviceMethod::SetMaterial:
            if (c.hasData) MaterialComment(c.material);
            else Line("# refused: material null");
            break;
        case DeviceMethod::SetRenderState: RenderStateLine(c.a, c.b, prefix); break;
        case DeviceMethod::SetTextureStageState: Line("%stss %u %u %u", prefix, c.a, c.b, c.c); break;
        case DeviceMethod::SetTransform:
            if (c.hasData) TransformLine(c.a, c.matrix, prefix);
            else Line("# refused: transform %u null", c.a);
            break;
        case DeviceMethod::SetTexture:
            if (c.result != kD3DOk) Line("# refused: settexture %u", c.a);
            else Line("settexture %u %u", c.a, TextureId(static_cast<const TextureSurface*>(c.pointer)));
            break;
        case DeviceMethod::DrawPrimitive:
        case DeviceMethod::DrawPrimitiveVB:
            if (c.result != kD3DOk) {
                Line("# refused: draw %u 0x%X %u", c.a, c.b, c.c);
                break;
            }
            Line("draw %u 0x%X %u", c.a, c.b, c.c);
            Vertices(c.b, c.c, c.vertices);
            break;
    }
}

void TraceWriter::EndFrame(uint32_t clearColor, const std::vector<DeviceCall>& calls) {
    Line("clear 0x%08X", clearColor);
    for (const DeviceCall& c : calls) Call(c);
    Line("present");
    ++frames_;
}

bool TraceWriter::Close(std::string& error) {
    if (file_ == nullptr) {
        error = "the trace was not open";
        return false;
    }
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!ok_ || !closed || std::rename(partPath_.c_str(), (dir_ + "/trace.txt").c_str()) != 0) {
        std::remove(partPath_.c_str());
        error = "cannot write the trace in " + dir_;
        return false;
    }
    return true;
}

}  // namespace cm::record
