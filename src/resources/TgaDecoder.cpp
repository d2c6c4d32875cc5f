#include "resources/TgaDecoder.h"

#include <cstdio>

namespace cm {
namespace {

constexpr size_t kHeaderSize = 18;
constexpr int kTypeRunLengthTrueColour = 10;
constexpr int kBitsPerPixel = 24;

// All reads go through this cursor; a read past the end fails instead of touching memory.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

    size_t Remaining() const { return data_.size() - position_; }
    bool Skip(size_t count) {
        if (count > Remaining()) return false;
        position_ += count;
        return true;
    }
    bool Byte(uint8_t& value) {
        if (Remaining() < 1) return false;
        value = data_[position_++];
        return true;
    }
    // One pixel as the file stores it: blue, green, red.
    bool Pixel(uint32_t& value) {
        if (Remaining() < 3) return false;
        const uint8_t* p = data_.data() + position_;
        value = PackOpaque(p[2], p[1], p[0]);
        position_ += 3;
        return true;
    }

private:
    std::span<const uint8_t> data_;
    size_t position_ = 0;
};

uint32_t Word16(const uint8_t* p) { return p[0] | (static_cast<uint32_t>(p[1]) << 8); }

bool Refuse(std::string& error, const char* format, long a = 0, long b = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    error = text;
    return false;
}

}  // namespace

bool DecodeTga(std::span<const uint8_t> data, DecodedImage& image, std::string& error) {
    image = DecodedImage{};
    if (data.size() < kHeaderSize) {
        return Refuse(error, "TGA: header needs 18 bytes, file has %ld", static_cast<long>(data.size()));
    }
    const uint8_t* header = data.data();
    if (header[2] != kTypeRunLengthTrueColour || header[16] != kBitsPerPixel) {
        return Refuse(error, "TGA: type %ld with %ld bits per pixel, only type 10 with 24 is read", header[2],
                      header[16]);
    }
    const int32_t width = static_cast<int32_t>(Word16(header + 12));
    const int32_t height = static_cast<int32_t>(Word16(header + 14));
    if (!ImageSizeAllowed(width, height)) {
        return Refuse(error, "TGA: size %ld x %ld is out of range", width, height);
    }

    ByteReader in(data);
    // Header, ID field (length at offset 0), colour map (type at 1, entry count at 5, entry bits
    // at 7); a true-colour image does not use the map, it only has to be stepped over.
    size_t skip = kHeaderSize + header[0];
    if (header[1] != 0) skip += static_cast<size_t>(Word16(header + 5)) * ((header[7] + 7u) / 8u);
    if (!in.Skip(skip)) return Refuse(error, "TGA: ID field or colour map runs past the end of the file");

    // Each packet of 4 bytes (header and one pixel) yields at most 128 pixels; data shorter than
    // that cannot fill the image, so it is refused before the pixel array is allocated.
    const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (in.Remaining() < (total + 127) / 128 * 4) {
        return Refuse(error, "TGA: %ld bytes of pixel data cannot fill %ld pixels", static_cast<long>(in.Remaining()),
                      static_cast<long>(total));
    }

    image.width = width;
    image.height = height;
    image.pixels.assign(total, 0);
    // Pixel i of the packet stream is column i % width of decoded row i / width, and decoded rows
    // fill the image from the bottom row upward.
    const size_t w = static_cast<size_t>(width);
    size_t i = 0;
    bool truncated = false;
    while (i < total && !truncated) {
        uint8_t packet = 0;
        uint32_t pixel = 0;
        if (!in.Byte(packet)) {
            truncated = true;
            break;
        }
        const bool run = (packet & 0x80u) != 0;
        if (run && !in.Pixel(pixel)) {
            truncated = true;
            break;
        }
        const size_t count = (packet & 0x7Fu) + 1u;
        for (size_t k = 0; k < count && i < total; ++k, ++i) {
            if (!run && !in.Pixel(pixel)) {
                truncated = true;
                break;
            }
            image.pixels[(static_cast<size_t>(height) - 1 - i / w) * w + i % w] = pixel;
        }
    }
    if (truncated) {
        image = DecodedImage{};
        return Refuse(error, "TGA: pixel data ends after %ld of %ld pixels", static_cast<long>(i),
                      static_cast<long>(total));
    }
    return true;
}

}  // namespace cm
