#include "resources/TgaDecoder.h"

#include "resources/ByteCursor.h"

#include <cstdio>

namespace cm {
namespace {

constexpr size_t kHeaderSize = 18;
constexpr int kTypeRunLengthTrueColour = 10;
constexpr int kBitsPerPixel = 24;

// One pixel as the file stores it: blue, green, red.
bool ReadPixel(ByteCursor& in, uint32_t& value) {
    const auto p = in.Bytes(3);
    if (!p) return false;
    value = PackOpaque((*p)[2], (*p)[1], (*p)[0]);
    return true;
}

// The fields of the 18-byte header that decoding needs.
struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t mapType = 0;
    uint8_t imageType = 0;
    uint16_t mapLength = 0;  // colour map entries
    uint8_t mapBits = 0;     // bits per colour map entry
    int32_t width = 0;
    int32_t height = 0;
    uint8_t bits = 0;  // bits per pixel
};

// Reads the header; the caller has checked that the data holds one.
TgaHeader ReadHeader(ByteCursor& in) {
    TgaHeader h;
    h.idLength = in.U8().value_or(0);
    h.mapType = in.U8().value_or(0);
    h.imageType = in.U8().value_or(0);
    in.Skip(2);  // first colour map entry
    h.mapLength = in.U16LE().value_or(0);
    h.mapBits = in.U8().value_or(0);
    in.Skip(4);  // origin
    h.width = in.U16LE().value_or(0);
    h.height = in.U16LE().value_or(0);
    h.bits = in.U8().value_or(0);
    in.Skip(1);  // descriptor
    return h;
}

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
    ByteCursor in(data);
    const TgaHeader header = ReadHeader(in);
    if (header.imageType != kTypeRunLengthTrueColour || header.bits != kBitsPerPixel) {
        return Refuse(error, "TGA: type %ld with %ld bits per pixel, only type 10 with 24 is read", header.imageType,
                      header.bits);
    }
    const int32_t width = header.width;
    const int32_t height = header.height;
    if (!ImageSizeAllowed(width, height)) {
        return Refuse(error, "TGA: size %ld x %ld is out of range", width, height);
    }

    // The ID field and the colour map: a true-colour image does not use the map, it only has to
    // be stepped over.
    size_t skip = header.idLength;
    if (header.mapType != 0) skip += static_cast<size_t>(header.mapLength) * ((header.mapBits + 7u) / 8u);
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
        const auto packet = in.U8();
        uint32_t pixel = 0;
        if (!packet) {
            truncated = true;
            break;
        }
        const bool run = (*packet & 0x80u) != 0;
        if (run && !ReadPixel(in, pixel)) {
            truncated = true;
            break;
        }
        const size_t count = (*packet & 0x7Fu) + 1u;
        for (size_t k = 0; k < count && i < total; ++k, ++i) {
            if (!run && !ReadPixel(in, pixel)) {
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
