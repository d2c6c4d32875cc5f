#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

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
    m.patterns = {{32, std::vector<XmCell>(32)}};
    m.patterns[0].cells[0] = {static_cast<uint8_t>(note), 1, 0, 0, 0};
    XmInstrument in;
    EXPECT_TRUE(MakePatch(patch, in));
    m.instruments = {in};
    const std::vector<float> stereo = test::RenderOpenMpt(WriteXm(m), rate);
    std::vector<float> mono(stereo.size() / 2);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = stereo[2 * i] + stereo[2 * i + 1];
    return mono;
}

// Frequency in Hz of the strongest period between minHz and maxHz in `mono` (autocorrelation).
double EstimatePitch(const std::vector<float>& mono, int rate, double minHz, double maxHz) {
    const int minLag = static_cast<int>(rate / maxHz);
    const int maxLag = static_cast<int>(rate / minHz) + 1;
    const int n = static_cast<int>(mono.size()) - maxLag - 1;
    if (n <= 0) return 0.0;
    auto correlation = [&](int lag) {
        double sum = 0.0;
        for (int i = 0; i < n; ++i) sum += static_cast<double>(mono[i]) * mono[i + lag];
        return sum;
    };
    int best = minLag;
    double bestValue = -1e300;
    for (int lag = minLag; lag <= maxLag; ++lag) {
        const double c = correlation(lag);
        if (c > bestValue) { bestValue = c; best = lag; }
    }
    // Parabolic interpolation around the peak gives the period to a fraction of a sample.
    const double a = correlation(best - 1), b = bestValue, c = correlation(best + 1);
    const double shift = (a - 2 * b + c) != 0.0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0.0;
    return rate / (best + shift);
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
        const std::vector<float> note = PlayNote(c.patch, c.note, rate);
        ASSERT_GE(note.size(), size_t(c.to * rate)) << c.patch;
        const std::vector<float> window(note.begin() + long(c.from * rate), note.begin() + long(c.to * rate));
        const double hz = EstimatePitch(window, rate, expected * 0.75, expected * 1.4);
        EXPECT_NEAR(hz / expected, 1.0, 0.006) << c.patch << " plays " << hz << " Hz, wants " << expected;
    }
}

// A looped sample must join its own start smoothly, or every held note clicks once per loop.
TEST(Patches, LoopsJoinWithoutAStepAndUnknownNamesAreRefused) {
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
    XmInstrument unknown;
    EXPECT_FALSE(MakePatch("kazoo", unknown));
    EXPECT_TRUE(unknown.sample.empty());
}

}  // namespace
}  // namespace cm::music
