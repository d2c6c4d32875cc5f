// A headless display (frames dropped) whose device records its calls, for tests of what the
// scene and the parts hand to the device.
#pragma once

#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/device/Device.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <vector>

namespace cm::test {

class DeviceRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.CreateHeadless(640, 480, 0, "test", nullptr));
        device = GetDevice();
        device->GetCallRecord().Enable(true);
        device->GetCallRecord().Clear();
    }
    void TearDown() override { display.Destroy(); }

    const std::vector<DeviceCall>& Calls() const { return device->GetCallRecord().Calls(); }
    std::vector<DeviceCall> Calls(DeviceMethod method) const {
        std::vector<DeviceCall> out;
        for (const DeviceCall& call : device->GetCallRecord().Calls()) {
            if (call.method == method) out.push_back(call);
        }
        return out;
    }
    // The last value given to a render state in the record (before the first call of `until`, when
    // given); -1 when it was never set.
    int64_t LastRenderState(RenderState state, std::optional<DeviceMethod> until = {}) const {
        int64_t value = -1;
        for (const DeviceCall& call : device->GetCallRecord().Calls()) {
            if (call.method == until) break;
            if (call.method == DeviceMethod::SetRenderState && call.a == state) value = call.b;
        }
        return value;
    }
    template <typename Vertex>
    static Vertex VertexAt(const DeviceCall& call, size_t index) {
        Vertex v;
        std::memcpy(&v, call.vertices.data() + index * sizeof(Vertex), sizeof(Vertex));
        return v;
    }

    DisplayDevice display;
    Device* device = nullptr;
};

}  // namespace cm::test
