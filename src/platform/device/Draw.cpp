#include "platform/device/Device.h"
#include "platform/device/Pipeline.h"

namespace cm {

HResult Device::Draw(PrimitiveType /*type*/, uint32_t /*fvf*/, const uint8_t* /*vertices*/, uint32_t /*count*/) {
    return kD3DOk;
}

}  // namespace cm
