#include "display/Registry.h"

#include "display/RegistryState.h"

namespace cm {

RegistryState g_registry;

Device* GetDevice() { return g_registry.device; }
DirectDraw* GetDirectDraw() { return g_registry.directDraw; }
D3DXContext* GetContext() { return g_registry.context; }
VertexBuffer* GetScreenVertexBuffer() { return g_registry.screenVertexBuffer; }

}  // namespace cm
