// Decoding a JPEG image held in memory through libjpeg (version 62 interface).
//
// The data is fed to the library by a source of our own that hands out one byte per fill call
// and, once the data is exhausted, an end-of-image marker, so the decoder never reads past the
// buffer. Fatal library errors return here (never exit the process) with the library's message.
//
// Accepted: baseline and progressive images with three colour components (output as the library's
// RGB) or one grey component (expanded to grey RGB). Refused: CMYK/YCCK and other component
// layouts, sizes beyond kMaxImageSide or kMaxImagePixels, more than kMaxJpegScans scans, data
// that ends before the end-of-image marker, and coded data that ends early or is corrupt (the
// library would pad the picture with grey and call it good).
#pragma once

#include "resources/DecodedImage.h"

#include <cstdint>
#include <span>
#include <string>

namespace cm {

// Ordinary progressive files have about ten scans; hundreds only come from files built to make
// the decoder re-walk its whole coefficient buffer again and again.
inline constexpr int kMaxJpegScans = 300;

// On success fills `image` and returns true. On refusal returns false, leaves `image` empty and
// puts the reason (the library's own message where it has one) in `error`.
bool DecodeJpeg(std::span<const uint8_t> data, DecodedImage& image, std::string& error);

}  // namespace cm
