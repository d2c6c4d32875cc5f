#include "VideoWriter.h"

#include <cstdio>

namespace cm::record {

namespace {
const char* Format(VideoKind kind) {
    return kind == VideoKind::H264 ? "mp4" : kind == VideoKind::Lossless ? "matroska" : "nut";
}

// Flags that keep version strings, times and encoder choices out of the output, so that the
// same input gives the same bytes.
void AddBitExact(std::vector<std::string>& a) {
    a.insert(a.end(), {"-fflags", "+bitexact", "-flags:v", "+bitexact", "-flags:a", "+bitexact", "-map_metadata",
                       "-1"});
}
}  // namespace

VideoWriter::~VideoWriter() {
    // ffmpeg first: once it has exited nothing writes the temporaries again.
    encoder_.Stop();
    RemoveTemporaries();
}

void VideoWriter::RemoveTemporaries() {
    for (const std::string* p : {&videoPart_, &audioPart_, &muxPart_, &log_}) {
        if (!p->empty()) std::remove(p->c_str());
    }
}

bool VideoWriter::Begin(VideoKind kind, const std::string& path, const std::string& ffmpeg, int width, int height,
                        FrameRate rate, std::string& error) {
    if (kind == VideoKind::H264 && (width % 2 != 0 || height % 2 != 0)) {
        error = "H.264 in yuv420p needs an even width and height, not " + std::to_string(width) + "x" +
                std::to_string(height);
        return false;
    }
    kind_ = kind;
    path_ = path;
    ffmpeg_ = ffmpeg;
    width_ = width;
    height_ = height;
    videoPart_ = path + ".video.part";
    audioPart_ = path + ".audio.part.wav";
    muxPart_ = path + ".part";
    log_ = path + ".ffmpeg.log";

    std::vector<std::string> a = {"-hide_banner", "-nostdin", "-loglevel", "error", "-y", "-f", "rawvideo",
                                  "-pix_fmt", "bgr0", "-video_size", std::to_string(width) + "x" + std::to_string(height),
                                  "-framerate", std::to_string(rate.num) + "/" + std::to_string(rate.den), "-i",
                                  "pipe:0", "-an"};
    if (kind == VideoKind::H264) {
        // Quality 16: the flashes and the fog's smooth gradients stay free of blocks and bands.
        a.insert(a.end(), {"-c:v", "libx264", "-preset", "medium", "-crf", "16", "-pix_fmt", "yuv420p",
                           "-movflags", "+faststart"});
    } else {
        a.insert(a.end(), {"-c:v", "ffv1", "-level", "3", "-g", "1", "-pix_fmt", "bgr0"});
    }
    AddBitExact(a);
    a.insert(a.end(), {"-f", Format(kind), videoPart_});
    if (!encoder_.Start(ffmpeg, a, true, log_, error)) return false;
    running_ = true;
    frames_ = 0;
    return true;
}

bool VideoWriter::AddFrame(const Image& frame, std::string& error) {
    if (!running_ || frame.width != width_ || frame.height != height_) {
        error = "frame of the wrong size for the video";
        return false;
    }
    if (!encoder_.Write(frame.pixels.data(), frame.pixels.size() * sizeof(uint32_t))) {
        std::string ignored;
        encoder_.Finish(ignored);
        running_ = false;
        error = "ffmpeg stopped taking frames:\n" + LogTail(log_);
        return false;
    }
    ++frames_;
    return true;
}

bool VideoWriter::Run(const std::vector<std::string>& args, std::string& error) {
    FfmpegProcess mux;
    if (!mux.Start(ffmpeg_, args, false, log_, error)) return false;
    if (!mux.Finish(error)) {
        error += ":\n" + LogTail(log_);
        return false;
    }
    return true;
}

bool VideoWriter::Finish(const Pcm* audio, std::string& error) {
    if (!running_) {
        error = "no video is being written";
        return false;
    }
    running_ = false;
    if (!encoder_.Finish(error)) {
        error += ":\n" + LogTail(log_);
        RemoveTemporaries();
        return false;
    }
    if (frames_ == 0) {
        error = "no frame was recorded";
        RemoveTemporaries();
        return false;
    }
    std::string done = videoPart_;
    if (audio != nullptr) {
        if (!WriteWav(audioPart_, *audio)) {
            error = "cannot write " + audioPart_;
            RemoveTemporaries();
            return false;
        }
        std::vector<std::string> a = {"-hide_banner", "-nostdin", "-loglevel", "error", "-y", "-i", videoPart_,
                                      "-i", audioPart_, "-map", "0:v:0", "-map", "1:a:0", "-c:v", "copy"};
        if (kind_ == VideoKind::H264) a.insert(a.end(), {"-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"});
        else a.insert(a.end(), {"-c:a", "flac"});
        AddBitExact(a);
        a.insert(a.end(), {"-f", Format(kind_), muxPart_});
        if (!Run(a, error)) {
            RemoveTemporaries();
            return false;
        }
        done = muxPart_;
    }
    if (std::rename(done.c_str(), path_.c_str()) != 0) {
        error = "cannot rename " + done + " to " + path_;
        RemoveTemporaries();
        return false;
    }
    RemoveTemporaries();
    return true;
}

}  // namespace cm::record
