// The show's module as built: it loads cleanly, its sections start on the show's flashes,
// it sounds everywhere without clipping, and it is exactly what the score makes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <libopenmpt/libopenmpt.hpp>
#include <sstream>

#include "app/Show.h"
#include "common/Files.h"
#include "common/Fnv1a.h"
#include "music/Score.h"
#include "tools/music/Players.h"

namespace cm::music {
namespace {

const std::string kModulePath = CM_BINARY_DIR "/bin/kelvarin.xm";
const std::string kScorePath = CM_SOURCE_DIR "/content/music/kelvarin.score";
// Speed 6 at 137 bpm: 15/137 s in theory, 7/64 s where a tick is a whole number of samples, as in
// libopenmpt; the shorter of the two is the tolerance.
constexpr double kRowSeconds = 7.0 / 64.0;

// Order positions where the show's parts begin; each must start within a row of its flash.
constexpr int kSectionOrders[8] = {2, 5, 9, 12, 15, 18, 21, 23};
double Flash(int section) { return kPartChangeTimes[section] * kSecondsPerClockUnit; }
constexpr double kCreditsEnd = 162.5;

double Rms(const std::vector<float>& v, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(v[i]) * v[i];
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

// The built module; a missing file fails the test, naming it.
std::vector<uint8_t> Module() { return cm::test::ReadBytes(kModulePath); }

TEST(Kelvarin, LoadsCleanlySectionsStartOnTheFlashesAndTheSongOutlastsTheCredits) {
    std::ostringstream log;
    openmpt::module module(Module(), log);  // throws on a module it cannot read
    EXPECT_EQ(log.str(), "") << "libopenmpt complains";
    const double duration = module.get_duration_seconds();
    EXPECT_GE(duration, 163.0);
    EXPECT_LE(duration, 200.0);
    for (int i = 0; i < 8; ++i) {
        module.set_position_order_row(kSectionOrders[i], 0);
        EXPECT_NEAR(module.get_position_seconds(), Flash(i), kRowSeconds) << "order " << kSectionOrders[i];
    }
    // The outro is the last section: everything after it belongs to the credits.
    EXPECT_GE(module.get_num_orders() - kSectionOrders[7], 2);
}

TEST(Kelvarin, EverySectionSoundsAndNothingClips) {
    const int rate = 48000;
    const std::vector<float> audio = test::RenderOpenMpt(Module(), rate);
    ASSERT_GT(audio.size(), static_cast<size_t>(2 * rate * 163));
    float peak = 0.0f;
    for (float v : audio) peak = std::max(peak, std::fabs(v));
    EXPECT_LE(peak, 0.891f) << "libopenmpt's mix peaks above -1 dBFS";

    // Loud enough to hear in every part of the show (RMS above -34 dBFS), section by section.
    std::vector<double> starts = {0.0};
    for (int i = 0; i < 8; ++i) starts.push_back(Flash(i));
    starts.push_back(kCreditsEnd);
    double loudest = 0.0;
    for (size_t i = 0; i + 1 < starts.size(); ++i) {
        const double rms = Rms(audio, 2 * static_cast<size_t>(starts[i] * rate), 2 * static_cast<size_t>(starts[i + 1] * rate));
        EXPECT_GT(rms, 0.02) << "section from " << starts[i] << " s is nearly silent";
        loudest = std::max(loudest, rms);
    }
    // Mixed to about -16 dBFS RMS over the show, the quiet intro within 6 dB of what follows it.
    const size_t introEnd = 2 * static_cast<size_t>(Flash(0) * rate), showEnd = 2 * static_cast<size_t>(kCreditsEnd * rate);
    const double whole = 20.0 * std::log10(Rms(audio, 0, showEnd));
    EXPECT_GE(whole, -17.0);
    EXPECT_LE(whole, -14.0);
    EXPECT_GE(20.0 * std::log10(Rms(audio, 0, introEnd) / Rms(audio, introEnd, showEnd)), -6.0);
    // The outro has faded by the end, so the loop back to the quiet intro does not jump.
    const double tail = Rms(audio, audio.size() - 2 * 2 * rate, audio.size());
    EXPECT_LT(tail, 0.05 * loudest);
}

TEST(Kelvarin, IsExactlyWhatTheScoreComposes) {
    Score score;
    XmModule module;
    std::string error;
    ASSERT_TRUE(ParseScore(cm::test::ReadText(kScorePath), score, error)) << error;
    ASSERT_TRUE(BuildModule(score, module, error)) << error;
    const std::vector<uint8_t> bytes = Module();
    EXPECT_TRUE(WriteXm(module) == bytes) << "composing again gives different bytes";
    // Pinned: a change of score, patch or writer shows here and must be made on purpose.
    const uint64_t hash = cm::test::Fnv1a64(bytes.data(), bytes.size());
    EXPECT_EQ(hash, 0xaaf73a4cc0cc5f11ull) << std::hex << "module hash is 0x" << hash;
}

}  // namespace
}  // namespace cm::music
