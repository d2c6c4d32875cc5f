// The record of calls a device has received, for tests: off by default, and when off the only
// cost per call is one branch. Each entry keeps the method, its numeric arguments, the pointer
// it was given and copies of any matrix, material or vertices passed by pointer, so a test can
// check both the order of calls and what was handed over.
#pragma once

#include "math/Matrix4.h"
#include "platform/device/D3DTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace cm {

enum class DeviceMethod : uint8_t {
    BeginScene,
    EndScene,
    SetTransform,          // a = transform state, matrix
    SetRenderState,        // a = state, b = value
    SetMaterial,           // material (hasData false for a null pointer)
    SetTexture,            // a = stage, pointer = surface
    SetTextureStageState,  // a = stage, b = state, c = value
    DrawPrimitive,         // a = primitive type, b = fvf, c = vertex count, d = flags, vertices
    DrawPrimitiveVB,       // a = primitive type, pointer = buffer, b = fvf, c = vertex count, d = flags,
                           // e = start vertex, vertices (the range drawn)
};

struct DeviceCall {
    DeviceMethod method = DeviceMethod::BeginScene;
    uint32_t a = 0;
    uint32_t b = 0;
    uint32_t c = 0;
    uint32_t d = 0;
    uint32_t e = 0;
    const void* pointer = nullptr;
    bool hasData = false;  // matrix or material was given (not null)
    Matrix4 matrix;
    D3DMaterial7 material;
    std::vector<uint8_t> vertices;
    HResult result = kD3DOk;
};

class CallRecord {
public:
    void Enable(bool on) { enabled_ = on; }
    bool IsEnabled() const { return enabled_; }
    void Clear() { calls_.clear(); }
    const std::vector<DeviceCall>& Calls() const { return calls_; }
    size_t Size() const { return calls_.size(); }
    const DeviceCall& operator[](size_t i) const { return calls_[i]; }

    DeviceCall& Add(DeviceMethod method) {
        calls_.emplace_back();
        calls_.back().method = method;
        return calls_.back();
    }

private:
    bool enabled_ = false;
    std::vector<DeviceCall> calls_;
};

}  // namespace cm
