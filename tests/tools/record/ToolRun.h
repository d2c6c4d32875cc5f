// Helpers of the recorder's tests: recordings made in-process, and ffprobe/ffmpeg to look at
// the files they write.
#pragma once

#include "common/Command.h"
#include "common/Files.h"
#include "common/ScratchDir.h"
#include "resources/PngImage.h"
#include "RecordOptions.h"
#include "Recorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace cm::record::test {

using cm::test::FilesIn;
using cm::test::ReadText;
using cm::test::RunCommand;
using cm::test::ScratchDir;

// Options from a command line, which must parse.
inline RecordOptions Options(const std::vector<std::string>& args) {
    std::string error;
    auto o = ParseRecordOptions(args, error);
    EXPECT_TRUE(o) << error;
    RecordOptions r = o ? *o : RecordOptions{};
    r.quiet = true;
    return r;
}

// ffprobe's value of one stream entry (e.g. "duration", "nb_frames") of stream v:0 or a:0.
inline std::string Probe(const std::string& file, const std::string& stream, const std::string& entry) {
    const std::string select = "-v error -count_frames -of default=nw=1:nk=1 -select_streams " + stream;
    std::string v =
        RunCommand("ffprobe " + select + " -show_entries stream=" + entry + " '" + file + "'").output;
    while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.pop_back();
    return v;
}

// The file's audio decoded to 16-bit stereo at 48000 Hz.
inline std::vector<int16_t> DecodeAudio(const std::string& file) {
    const std::string raw =
        RunCommand("ffmpeg -v error -nostdin -i '" + file + "' -map 0:a:0 -f s16le -ac 2 -ar 48000 -").output;
    std::vector<int16_t> s(raw.size() / 2);
    std::memcpy(s.data(), raw.data(), s.size() * 2);
    return s;
}

inline double Rms(const std::vector<int16_t>& samples) {
    double sum = 0.0;
    for (int16_t v : samples) sum += double(v) * v;
    return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

// Mean of red, green and blue over the image, 0..255.
inline double MeanBrightness(const Image& image) {
    uint64_t sum = 0;
    for (uint32_t p : image.pixels) sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
    return image.pixels.empty() ? 0.0 : double(sum) / (3.0 * double(image.pixels.size()));
}

}  // namespace cm::record::test
