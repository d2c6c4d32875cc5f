// The program-wide device accessors, set by DisplayDevice::Create (or CreateHeadless) and
// cleared by Destroy; null before and after. No reference is added by the getters.
#pragma once

namespace cm {

class D3DXContext;
class Device;
class DirectDraw;
class VertexBuffer;

Device* GetDevice();
DirectDraw* GetDirectDraw();
D3DXContext* GetContext();
// 300 ScreenVertex records, format 0x144, write-only.
VertexBuffer* GetScreenVertexBuffer();

}  // namespace cm
