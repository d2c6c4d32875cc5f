// The storage behind the accessors of Registry.h; written only by DisplayDevice.
#pragma once

namespace cm {

class D3DXContext;
class Device;
class DirectDraw;
class VertexBuffer;

struct RegistryState {
    Device* device = nullptr;
    DirectDraw* directDraw = nullptr;
    D3DXContext* context = nullptr;
    VertexBuffer* screenVertexBuffer = nullptr;
};

extern RegistryState g_registry;

}  // namespace cm
