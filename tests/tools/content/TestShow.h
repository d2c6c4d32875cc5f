// The show's data set, built once per test program, and small byte readers for the checks.
#pragma once

#include <cstdint>
#include <vector>

#include "show/Show.h"

namespace cm::content::test {

inline const ShowData& Show() {
    static const ShowData show = BuildShow();
    return show;
}

// Every name the parts load, as written in their code.
inline const char* const kPartFiles[] = {
    "data\\introScene.lws",    "data\\introLogo.jpg",       "data\\tunnelBackground.jpg", "data\\tunnelTexture.jpg",
    "data\\roomScene.lws",     "data\\roomFlare_1.jpg",     "data\\distortTexture01.jpg", "data\\distortBackground.jpg",
    "data\\distort.lws",       "data\\glassScene.lws",      "data\\glassBackground.jpg",  "data\\glassTexture01.jpg",
    "data\\rotoballScene.lws", "data\\rotoball.jpg",        "data\\roto2.lws",            "data\\scroll.jpg",
    "data\\endBackground.jpg"};

inline uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}
inline uint16_t Be16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] << 8 | b[at + 1]); }

}  // namespace cm::content::test
