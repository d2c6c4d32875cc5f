#include <gtest/gtest.h>

#include <cstring>

#include "music/Score.h"

namespace cm::music {
namespace {

const char* kHeader =
    "channels 4\n"
    "instrument drum kick 64 128\n"
    "instrument soft pad 32 40   # velocities on this one come out at half\n";

// Parses the header and body, and checks that Windows line ends read the same.
Score Parse(const std::string& body) {
    const std::string text = std::string(kHeader) + body;
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Score score, windows;
    std::string error;
    EXPECT_TRUE(ParseScore(text, score, error)) << error;
    EXPECT_TRUE(ParseScore(crlf, windows, error)) << error;
    EXPECT_EQ(score.patterns.size(), windows.patterns.size());
    for (size_t p = 0; p < score.patterns.size() && p < windows.patterns.size(); ++p) {
        const std::vector<XmCell>&a = score.patterns[p].cells, &b = windows.patterns[p].cells;
        EXPECT_TRUE(a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(XmCell)) == 0);
    }
    return score;
}

const XmCell& Cell(const Score& s, int pattern, int row, int channel) {
    return s.patterns[pattern].cells[static_cast<size_t>(row * s.channels + channel - 1)];
}

TEST(Score, LaysPhrasesDownTheChannelWithTheirModifiers) {
    const Score s = Parse(
        "phrase beat 4 C-4 . C-4@32 off\n"
        "phrase tune 2 D-4 F#4!A04\n"
        "  A-4@64 | .@16\n"  // an indented line continues the phrase
        "pattern p 32\n"
        "  1 drum beat*2\n"
        "  2 soft _3 tune+2 tune-12%32\n"
        "  3 soft _28 tune ...\n"
        "order p p\n");
    ASSERT_EQ(s.patterns.size(), 1u);
    EXPECT_EQ(s.order, (std::vector<uint8_t>{0, 0}));

    struct Expect {
        int row, channel, note, instrument, volume;
    };
    const Expect cells[] = {
        // Channel 1: a 16-row phrase twice; notes carry the instrument, key off does not; no
        // velocity leaves the sample's default volume.
        {0, 1, 49, 1, 0}, {4, 1, 0, 0, 0}, {8, 1, 49, 1, 0x10 + 32}, {12, 1, kXmKeyOff, 0, 0}, {16, 1, 49, 1, 0},
        {28, 1, kXmKeyOff, 0, 0},
        // Channel 2: a 3-row rest, the phrase up a tone (D-4 + 2, F#4 + 2), velocity 64 on a
        // volume-32 instrument, ".@16" volume only and scaled, then down an octave and softened.
        {3, 2, 53, 2, 0}, {5, 2, 57, 2, 0}, {7, 2, 60, 2, 0x10 + 32}, {9, 2, 0, 0, 0x10 + 8}, {11, 2, 39, 2, 0x10 + 16},
        // Channel 3: cut at the pattern's end by "...": rows 28 and 30 placed, the rest dropped.
        {28, 3, 51, 2, 0}, {30, 3, 55, 2, 0},
    };
    for (const Expect& e : cells) {
        const XmCell& c = Cell(s, 0, e.row, e.channel);
        EXPECT_EQ(std::vector<int>({c.note, c.instrument, c.volume}), std::vector<int>({e.note, e.instrument, e.volume}))
            << "row " << e.row << " channel " << e.channel;
    }
    EXPECT_EQ(Cell(s, 0, 5, 2).effect, 10);  // A04: volume slide
    EXPECT_EQ(Cell(s, 0, 5, 2).param, 0x04);
}

TEST(Score, RefusesMistakesNamingTheLine) {
    struct Case {
        const char* body;
        int line;  // counted from the first line after the shared header (3 lines); 0: no line
    };
    const Case cases[] = {
        {"phrase a 1 H-4\n", 1},                                 // no such note
        {"phrase a 1 E#4\n", 1},                                 // no such key
        {"phrase a 1 C-4@65\n", 1},                              // velocity beyond 64
        {"phrase a 1 C-4!G1\n", 1},                              // effect needs two hex digits
        {"phrase a 1 C-4\npattern p 4\n  5 drum a\n", 3},        // channel beyond 4
        {"phrase a 1 C-4\npattern p 4\n  1 drum a\n  1 drum a\n", 4},
        {"phrase a 1 C-4\npattern p 4\n  1 nobody a\n", 3},
        {"pattern p 4\n  1 drum missing\n", 2},
        {"phrase a 1 C-4*3\npattern p 4\n  1 drum a*2\n", 3},    // runs past the end
        {"phrase a 1 C-4\npattern p 4\n  1 drum _5 a\n", 3},     // a rest beyond the end
        {"phrase a 1 B-7\npattern p 4\n  1 drum a+1\n", 3},      // transposed off the keyboard
        {"pattern p 4\nchannels 8\n", 2},                        // too late to change the width
        {"pattern p 257\n", 1},
        {"instrument drum kick 64 128\n", 1},                    // declared twice
        {"instrument x nosuchpatch 64 128\n", 1},
        {"  1 drum a\n", 1},                                     // indented, continuing nothing
        {"flourish 3\n", 1},
        {"pattern p 4\norder p\n  q\n", 3},                      // unknown pattern in the order
        {"pattern p 4\nrestart 1\norder p\n", 3},                // restart past the order's end
        {"pattern p 4\n", 0},                                    // no order at all
    };
    for (const Case& c : cases) {
        Score score;
        std::string error;
        EXPECT_FALSE(ParseScore(std::string(kHeader) + c.body, score, error)) << c.body;
        const std::string where = c.line > 0 ? "score line " + std::to_string(c.line + 3) + ":" : "score:";
        EXPECT_EQ(error.find(where), 0u) << c.body << " -> " << error;
        EXPECT_TRUE(score.patterns.empty() && score.instruments.empty()) << c.body;
    }
}

}  // namespace
}  // namespace cm::music
