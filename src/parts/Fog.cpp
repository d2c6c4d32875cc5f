#include "parts/Fog.h"

#include "display/Registry.h"
#include "platform/device/Device.h"

#include <cstring>

namespace cm {

void EnableLinearFog(float end, uint32_t color) {
    Device* device = GetDevice();
    if (device == nullptr) return;
    // Float-valued render states carry the float's bit pattern.
    uint32_t endBits = 0;
    std::memcpy(&endBits, &end, sizeof endBits);
    device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kTrue);
    device->SetRenderState(D3DRENDERSTATE_FOGVERTEXMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRENDERSTATE_FOGEND, endBits);
    device->SetRenderState(D3DRENDERSTATE_FOGCOLOR, color);
}

void DisableFog() {
    if (Device* device = GetDevice()) device->SetRenderState(D3DRENDERSTATE_FOGENABLE, kFalse);
}

}  // namespace cm
