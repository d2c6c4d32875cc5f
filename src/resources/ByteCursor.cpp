#include "resources/ByteCursor.h"

#include <algorithm>
#include <cstring>

namespace cm {

std::size_t ByteCursor::Remaining(std::size_t limit) const {
    const std::size_t end = std::min(limit, bytes_.size());
    return end > position_ ? end - position_ : 0;
}

bool ByteCursor::Fits(std::size_t count, std::size_t limit) const { return Remaining(limit) >= count; }

bool ByteCursor::Skip(std::size_t count, std::size_t limit) {
    if (!Fits(count, limit)) return false;
    position_ += count;
    return true;
}

std::optional<std::span<const std::uint8_t>> ByteCursor::Bytes(std::size_t count, std::size_t limit) {
    if (!Fits(count, limit)) return std::nullopt;
    const auto bytes = bytes_.subspan(position_, count);
    position_ += count;
    return bytes;
}

std::optional<std::uint8_t> ByteCursor::U8(std::size_t limit) {
    if (!Fits(1, limit)) return std::nullopt;
    return bytes_[position_++];
}

std::optional<std::uint16_t> ByteCursor::U16(std::size_t limit) {
    if (!Fits(2, limit)) return std::nullopt;
    const auto value = static_cast<std::uint16_t>(bytes_[position_] << 8 | bytes_[position_ + 1]);
    position_ += 2;
    return value;
}

std::optional<std::uint16_t> ByteCursor::U16LE(std::size_t limit) {
    if (!Fits(2, limit)) return std::nullopt;
    const auto value = static_cast<std::uint16_t>(bytes_[position_] | bytes_[position_ + 1] << 8);
    position_ += 2;
    return value;
}

std::optional<std::uint32_t> ByteCursor::U32LE(std::size_t limit) {
    if (!Fits(4, limit)) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes_[position_ + static_cast<std::size_t>(i)];
    position_ += 4;
    return value;
}

std::optional<std::int16_t> ByteCursor::I16(std::size_t limit) {
    const std::optional<std::uint16_t> raw = U16(limit);
    if (!raw) return std::nullopt;
    return static_cast<std::int16_t>(*raw);
}

std::optional<std::uint32_t> ByteCursor::U32(std::size_t limit) {
    if (!Fits(4, limit)) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | bytes_[position_ + static_cast<std::size_t>(i)];
    position_ += 4;
    return value;
}

std::optional<float> ByteCursor::F32(std::size_t limit) {
    const std::optional<std::uint32_t> raw = U32(limit);
    if (!raw) return std::nullopt;
    // The bits as they are (std::bit_cast is missing from some standard libraries still).
    float value;
    std::memcpy(&value, &*raw, sizeof value);
    return value;
}

std::optional<std::string> ByteCursor::Id(std::size_t limit) {
    if (!Fits(4, limit)) return std::nullopt;
    std::string id(reinterpret_cast<const char*>(bytes_.data() + position_), 4);
    position_ += 4;
    return id;
}

std::optional<std::string> ByteCursor::Name(std::size_t limit, std::size_t maxLength) {
    const std::size_t end = std::min(limit, bytes_.size());
    if (position_ >= end) return std::nullopt;
    const std::uint8_t* start = bytes_.data() + position_;
    const void* nul = std::memchr(start, 0, end - position_);
    if (nul == nullptr) {
        position_ = end;
        return std::nullopt;
    }
    const std::size_t length = static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - start);
    std::string name(reinterpret_cast<const char*>(start), std::min(length, maxLength));
    // The terminator, plus a pad byte when that makes the total even.
    std::size_t used = length + 1;
    if (used % 2 != 0) ++used;
    position_ = std::min(position_ + used, end);
    return name;
}

}  // namespace cm
