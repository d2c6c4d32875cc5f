// Helpers of the recorder's tests: recordings made in-process, and ffprobe/ffmpeg to look at
// the files they write.
#pragma once

#include "common/Command.h"
#include "common/Files.h"
#include "common/ScratchDir.h"
#include "resources/PngImage.h"
#include "RecordOptions.h"
#include "Recorder.h"

#include <string>
#include <vector>

namespace cm::record::test {

using cm::test::FilesIn;
using cm::test::ReadText;
using cm::test::RunCommand;
using cm::test::ScratchDir;

// Options from a command line, which must parse.
RecordOptions Options(const std::vector<std::string>& args);
// ffprobe's value of one stream entry (e.g. "duration", "nb_frames") of stream v:0 or a:0.
std::string Probe(const std::string& file, const std::string& stream, const std::string& entry);
// The file's audio decoded to 16-bit stereo at 48000 Hz.
std::vector<int16_t> DecodeAudio(const std::string& file);
double Rms(const std::vector<int16_t>& samples);
// Mean of red, green and blue over the image, 0..255.
double MeanBrightness(const Image& image);

}  // namespace cm::record::test
