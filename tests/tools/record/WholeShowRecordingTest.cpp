// The whole show recorded at 20 frames a second with a fixed seed: reference frames of every
// part, the flash at every part change, the contact sheet and the show's end; and at 5 frames a
// second to video, whose music must run the show's whole length.
//
// Reference frames: tests/tools/record/reference/still_T.png, the frame at show time T (seed 1,
// 20 fps). They are compared with a tolerance, so that a different compiler's rounding passes
// and a changed picture does not: mean absolute difference at most 1.0 per channel (of 255) and
// at most 0.5% of pixels off by more than 32 in any channel. tools/record/update-references.sh
// rewrites them; run it only after a change meant to alter the picture, and look at them.
#include "ToolRun.h"

#include "app/FrameClock.h"
#include "app/Show.h"
#include "app/ShowLength.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace cm::record::test {
namespace {

const std::string kReferenceDir = std::string(CM_SOURCE_DIR) + "/tests/tools/record/reference";

// Within the tolerance above; and not black, which would match a broken renderer's black frame.
void ExpectLikeReference(const std::string& name, const ScratchDir& dir) {
    SCOPED_TRACE(name);
    Image expected, actual;
    ASSERT_TRUE(ReadPng(kReferenceDir + "/" + name, expected));
    ASSERT_TRUE(ReadPng(dir.Path(name), actual));
    ASSERT_EQ(expected.pixels.size(), actual.pixels.size());
    uint64_t sum = 0, far = 0;
    for (size_t i = 0; i < expected.pixels.size(); ++i) {
        int worst = 0;
        for (int s = 0; s < 24; s += 8) {
            const int d = std::abs(int((expected.pixels[i] >> s) & 0xFF) - int((actual.pixels[i] >> s) & 0xFF));
            sum += uint64_t(d);
            worst = std::max(worst, d);
        }
        far += worst > 32;
    }
    EXPECT_LE(double(sum) / (3.0 * double(expected.pixels.size())), 1.0);
    EXPECT_LE(double(far), 0.005 * double(expected.pixels.size()));
    EXPECT_GT(MeanBrightness(expected), 3.0);
}

// The contact sheet shows a picture in each of its nine tiles.
void ExpectNineLitTiles(const std::string& file) {
    Image sheet;
    ASSERT_TRUE(ReadPng(file, sheet));
    ASSERT_EQ(std::pair(sheet.width, sheet.height), std::pair(960, 3 * (240 + 28)));
    for (int part = 0; part < 9; ++part) {
        Image tile;
        for (int y = 0; y < 240; ++y) {
            const uint32_t* row = sheet.pixels.data() + size_t((part / 3) * 268 + y) * 960 + (part % 3) * 320;
            tile.pixels.insert(tile.pixels.end(), row, row + 320);
        }
        EXPECT_GT(MeanBrightness(tile), 3.0) << "part " << part;
    }
}

TEST(WholeShowRecording, EveryPartInOrderWithAFlashAtEachChangeAndTheReferenceFrames) {
    const ScratchDir dir;
    std::vector<std::string> references;
    std::string times;
    for (const std::string& name : FilesIn(kReferenceDir)) {
        if (name.rfind("still_", 0) != 0 || name.size() < 11) continue;
        references.push_back(name);
        if (!times.empty()) times.push_back(',');
        times.append(name, 6, name.size() - 10);
    }
    ASSERT_GE(references.size(), 18u) << "no reference frames in " << kReferenceDir;
    Recorder recorder(Options({"--fps", "20", "--seed", "1", "--contact-sheet", dir.Path("sheet.png"), "--still-dir",
                               dir.path.string(), "--stills", times}));
    std::vector<int> parts;
    std::vector<double> brightness, seconds;
    recorder.SetObserver([&](const FrameInfo& info, const Image& frame) {
        parts.push_back(info.part);
        brightness.push_back(MeanBrightness(frame));
        seconds.push_back(info.seconds);
    });
    ASSERT_EQ(recorder.Run(), 0);
    const RecordSummary& summary = recorder.Summary();
    EXPECT_TRUE(summary.showEnded);
    // The scroller raises the quit flag near clock time 1161, 162.5 s at 1000 / 14 ticks a second.
    EXPECT_NEAR(double(summary.framesRun) / 20.0, 1161 * 0.14, 0.2);
    const FrameClock clock({20, 1});
    EXPECT_EQ(summary.framesRun, CountShowFrames([&](int64_t n) { return clock.TicksAfter(n); }, 100000));
    ASSERT_EQ(parts.size(), size_t(summary.framesRun));
    EXPECT_EQ(std::pair(parts.front(), parts.back()), std::pair(0, 8));
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] == parts[i - 1]) continue;
        ASSERT_EQ(parts[i], parts[i - 1] + 1) << "frame " << i;
        // The flash adds 0.7 * 255 to every channel (saturating), so the margin is wide.
        EXPECT_GT(brightness[i], brightness[i - 1] + 40.0) << "part " << parts[i] << " at " << seconds[i] << " s";
        // The part starts on the first frame whose clock has passed its event.
        const double event = cm::kPartChangeTimes[parts[i] - 1] * 0.14;
        EXPECT_GE(seconds[i], event - 1e-9);
        EXPECT_LT(seconds[i], event + 2.0 / 20) << "part " << parts[i];
    }
    ExpectNineLitTiles(dir.Path("sheet.png"));

    for (const std::string& name : references) ExpectLikeReference(name, dir);
}

TEST(WholeShowRecording, TheVideosMusicIsAudibleAndAsLongAsTheShow) {
    const ScratchDir dir;
    Recorder recorder(Options({"--fps", "5", "--size", "160x120", "--seed", "1", "--out", dir.Path("show.mp4")}));
    ASSERT_EQ(recorder.Run(), 0);
    const int64_t frames = recorder.Summary().framesRun;
    EXPECT_EQ(Probe(dir.Path("show.mp4"), "v:0", "nb_read_frames"), std::to_string(frames));
    const double audio = std::stod(Probe(dir.Path("show.mp4"), "a:0", "duration"));
    EXPECT_NEAR(audio, double(frames) / 5, 1e-3);
    // Loud in every tenth of the show: the music neither stops nor starts late.
    const std::vector<int16_t> pcm = DecodeAudio(dir.Path("show.mp4"));
    ASSERT_NEAR(double(pcm.size()) / 2 / 48000, double(frames) / 5, 0.05);
    const size_t tenth = pcm.size() / 10 / 2 * 2;
    for (int i = 0; i < 10; ++i) {
        std::vector<int16_t> part(pcm.begin() + std::ptrdiff_t(tenth * i), pcm.begin() + std::ptrdiff_t(tenth * (i + 1)));
        EXPECT_GT(Rms(part), 200.0) << "tenth " << i;
    }
}

}  // namespace
}  // namespace cm::record::test
