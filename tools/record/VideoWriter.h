// A video file made by ffmpeg from raw frames, with the music added afterwards.
//
// Frames go through a pipe into a video-only file; once the last frame is in and the exact
// length is known, a second ffmpeg run copies that video and encodes the audio beside it. Both
// write under temporary names next to the output; only a complete file is renamed to the
// output's name. The encoders run with ffmpeg's bit-exact flags, so the same frames and samples
// give the same file.
#pragma once

#include "FfmpegProcess.h"
#include "app/FrameClock.h"
#include "ModuleAudio.h"
#include "resources/PngImage.h"

#include <string>

namespace cm::record {

enum class VideoKind {
    H264,      // H.264 yuv420p, AAC audio, MP4
    Lossless,  // FFV1 in RGB, FLAC audio, Matroska
    Piece,     // FFV1 in RGB in NUT, never with audio: one job's frames of a parallel recording
};

class VideoWriter {
public:
    VideoWriter() = default;
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;
    // Removes the temporary files of a recording that was not finished.
    ~VideoWriter();

    // ffmpeg: the program's path (see FindProgram). H.264 needs even sizes.
    bool Begin(VideoKind kind, const std::string& path, const std::string& ffmpeg, int width, int height,
               FrameRate rate, std::string& error);
    // The frame must have the size given to Begin.
    bool AddFrame(const Image& frame, std::string& error);
    // Ends the video, adds audio when given (null: a silent file), and renames the result to
    // the output path. False with a message, leaving no output file.
    bool Finish(const Pcm* audio, std::string& error);

    const std::string& Path() const { return path_; }
    int64_t Frames() const { return frames_; }

private:
    bool Run(const std::vector<std::string>& args, std::string& error);
    void RemoveTemporaries();

    VideoKind kind_ = VideoKind::H264;
    std::string path_;
    std::string ffmpeg_;
    std::string videoPart_;  // video only, being written
    std::string audioPart_;  // the music as WAV
    std::string muxPart_;    // video and audio, before the rename
    std::string log_;
    int width_ = 0;
    int height_ = 0;
    int64_t frames_ = 0;
    FfmpegProcess encoder_;
    bool running_ = false;
};

}  // namespace cm::record
