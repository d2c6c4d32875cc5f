#include <gtest/gtest.h>

#include <cstdlib>
#include <libopenmpt/libopenmpt.hpp>

#include "music/Patches.h"
#include "music/Wave.h"
#include "tools/music/Players.h"

namespace cm::music {
namespace {

// One note of a patch, alone in a one-channel module, rendered by libopenmpt in mono.
std::vector<float> PlayNote(const std::string& patch, int note, int rate) {
    XmModule m;
    m.channels = 1;
    m.bpm = 137;
    m.order = {0};
    XmPattern p;
    p.rows = 32;
    p.cells.assign(32, XmCell{});
    p.cells[0] = {static_cast<uint8_t>(note), 1, 0, 0, 0};
    m.patterns = {p};
    XmInstrument in;
    EXPECT_TRUE(MakePatch(patch, in));
    m.instruments = {in};
    const std::vector<float> stereo = test::RenderOpenMpt(WriteXm(m), rate);
    std::vector<float> mono(stereo.size() / 2);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = stereo[2 * i] + stereo[2 * i + 1];
    return mono;
}

std::vector<float> Window(const std::vector<float>& v, int rate, double from, double to) {
    const size_t a = static_cast<size_t>(from * rate), b = static_cast<size_t>(to * rate);
    return b <= v.size() ? std::vector<float>(v.begin() + a, v.begin() + b) : std::vector<float>{};
}

// The tuning chain (design rate, relative note, finetune, the player's note table) is only right
// if a written note sounds at its pitch; a slip of a semitone is 6 %, far outside these bounds.
TEST(Patches, NotesSoundAtTheirPitch) {
    struct Case {
        const char* patch;
        int note;
        double from, to;  // seconds of the note to analyse
    };
    const Case cases[] = {
        {"bass", 27, 0.2, 0.8},  // D-2
        {"pad", 58, 0.5, 1.1},
        {"pad2", 53, 0.5, 1.1},  // E-4
        {"lead", 70, 0.3, 0.9},
        {"bell", 63, 0.7, 1.2},  // D-5, once the modulation has died down
    };
    const int rate = 48000;
    for (const Case& c : cases) {
        const double expected = NoteHz(c.note);
        const std::vector<float> window = Window(PlayNote(c.patch, c.note, rate), rate, c.from, c.to);
        ASSERT_FALSE(window.empty()) << c.patch;
        const double hz = test::EstimatePitch(window, rate, expected * 0.75, expected * 1.4);
        EXPECT_NEAR(hz / expected, 1.0, 0.006) << c.patch << " plays " << hz << " Hz, wants " << expected;
    }
}

// A looped sample must join its own start smoothly, or every held note clicks once per loop.
TEST(Patches, LoopsJoinWithoutAStep) {
    for (const std::string& name : PatchNames()) {
        XmInstrument in;
        ASSERT_TRUE(MakePatch(name, in));
        ASSERT_FALSE(in.sample.empty()) << name;
        if (!in.loop) continue;
        const auto& s = in.sample;
        int largestStep = 0;
        for (size_t i = in.loopStart + 1; i < in.loopStart + in.loopLength; ++i)
            largestStep = std::max(largestStep, std::abs(s[i] - s[i - 1]));
        const int seam = std::abs(s[in.loopStart] - s[in.loopStart + in.loopLength - 1]);
        EXPECT_LE(seam, largestStep) << name;
    }
}

TEST(Patches, UnknownNamesAreRefused) {
    XmInstrument in;
    EXPECT_FALSE(MakePatch("kazoo", in));
    EXPECT_TRUE(in.sample.empty());
}

}  // namespace
}  // namespace cm::music
