// Reference counting in the manner of the original interfaces: an object is born with one
// reference, AddRef adds one, Release drops one and deletes the object at zero. The device
// holds a reference on the texture it has bound, so releasing a bound texture is safe.
#pragma once

#include <cstdint>

namespace cm {

class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    uint32_t AddRef() { return ++references_; }
    // Returns the remaining count; the object is gone when it returns 0.
    uint32_t Release() {
        const uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~RefCounted() = default;

private:
    uint32_t references_ = 1;
};

}  // namespace cm
