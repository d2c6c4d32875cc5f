// A bounds-checked reader of fields over a byte span, the one way the file readers look at file
// bytes (objects big-endian; images and the pack's directory little-endian). Every read may state
// a limit it must stay within (a chunk or sub-chunk end; by default the span's end); a read that
// would cross it, or the end of the span, fails and leaves the position unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace cm {

class ByteCursor {
public:
    static constexpr std::size_t kToEnd = static_cast<std::size_t>(-1);

    explicit ByteCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    std::size_t Position() const { return position_; }
    // Clamped to the end of the span.
    void Seek(std::size_t position) { position_ = position < bytes_.size() ? position : bytes_.size(); }
    std::size_t Remaining(std::size_t limit = kToEnd) const;
    // Moves count bytes on; false (not moving) when fewer remain.
    bool Skip(std::size_t count, std::size_t limit = kToEnd);
    // The next count bytes, moving past them.
    std::optional<std::span<const std::uint8_t>> Bytes(std::size_t count, std::size_t limit = kToEnd);

    // Big-endian.
    std::optional<std::uint8_t> U8(std::size_t limit = kToEnd);
    std::optional<std::uint16_t> U16(std::size_t limit = kToEnd);
    std::optional<std::int16_t> I16(std::size_t limit = kToEnd);
    std::optional<std::uint32_t> U32(std::size_t limit = kToEnd);
    std::optional<float> F32(std::size_t limit = kToEnd);
    // Little-endian.
    std::optional<std::uint16_t> U16LE(std::size_t limit = kToEnd);
    std::optional<std::uint32_t> U32LE(std::size_t limit = kToEnd);
    // Four characters, as chunk IDs are compared.
    std::optional<std::string> Id(std::size_t limit);

    // A NUL-terminated name padded to an even length (n characters take n + 1 bytes, or n + 2 when
    // n + 1 is odd). Names longer than maxLength characters are cut to maxLength, as a fixed
    // buffer would hold them. Without a NUL before limit the name is refused: nothing is
    // returned and the position moves to limit, since the rest up to there is that broken name.
    std::optional<std::string> Name(std::size_t limit, std::size_t maxLength);

private:
    bool Fits(std::size_t count, std::size_t limit) const;

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace cm
