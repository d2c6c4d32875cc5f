// The device's status text: a built-in 3 x 5 pixel font of capitals, digits and a little
// punctuation, each font pixel drawn as a 2 x 2 block, written straight into the colour buffer.
// It touches no device state, so the show's next frame is drawn exactly as without it.
#include "platform/device/Device.h"

#include <cctype>

namespace cm {

namespace {

// Five rows of three columns each, top row first, '#' set.
struct Glyph {
    char c;
    const char* rows[5];
};

constexpr Glyph kFont[] = {
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'C', {".##", "#..", "#..", "#..", ".##"}}, {'D', {"##.", "#.#", "#.#", "#.#", "##."}},
    {'E', {"###", "#..", "##.", "#..", "###"}}, {'F', {"###", "#..", "##.", "#..", "#.."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}}, {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}}, {'J', {"..#", "..#", "..#", "#.#", ".#."}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}}, {'L', {"#..", "#..", "#..", "#..", "###"}},
    {'M', {"#.#", "###", "###", "#.#", "#.#"}}, {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}}, {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'Q', {".#.", "#.#", "#.#", "##.", ".##"}}, {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}}, {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}}, {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'W', {"#.#", "#.#", "###", "###", "#.#"}}, {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}}, {'Z', {"###", "..#", ".#.", "#..", "###"}},
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}}, {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "##."}},
    {'.', {"...", "...", "...", "...", ".#."}}, {',', {"...", "...", "...", ".#.", "#.."}},
    {':', {"...", ".#.", "...", ".#.", "..."}}, {'-', {"...", "...", "###", "...", "..."}},
    {'/', {"..#", "..#", ".#.", "#..", "#.."}}, {'?', {"##.", "..#", ".#.", "...", ".#."}},
};

const Glyph* Find(char c) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const Glyph& g : kFont) {
        if (g.c == upper) return &g;
    }
    return upper == ' ' ? nullptr : Find('?');
}

}  // namespace

void Device::DrawTextLine(int x, int y, const std::string& text, uint32_t argb) {
    RenderTarget& target = GetRenderTarget();
    auto plot = [&](int px, int py) {
        if (px >= 0 && py >= 0 && px < target.width && py < target.height) {
            target.color[static_cast<size_t>(py) * target.width + px] = argb;
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph* g = Find(text[i]);
        if (g == nullptr) continue;
        const int left = x + static_cast<int>(i) * kTextAdvance;
        for (int row = 0; row < 5; ++row) {
            for (int col = 0; col < 3; ++col) {
                if (g->rows[row][col] != '#') continue;
                for (int d = 0; d < 4; ++d) plot(left + col * 2 + d % 2, y + row * 2 + d / 2);
            }
        }
    }
}

}  // namespace cm
