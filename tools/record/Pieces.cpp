#include "Pieces.h"

#include "FfmpegProcess.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace cm::record {

std::vector<Piece> SplitRange(int64_t first, int64_t end, int jobs) {
    const int64_t frames = end - first;
    const int64_t n = std::max<int64_t>(1, std::min<int64_t>(jobs, frames));
    std::vector<Piece> pieces;
    int64_t at = first;
    for (int64_t i = 0; i < n; ++i) {
        const int64_t length = frames / n + (i < frames % n ? 1 : 0);
        pieces.push_back({at, at + length, {}, -1});
        at += length;
    }
    return pieces;
}

bool StartPieces(std::vector<Piece>& pieces, const std::function<int(const Piece&)>& record, std::string& error) {
    std::fflush(nullptr);  // nothing buffered may be written twice
    for (size_t i = 1; i < pieces.size(); ++i) {
        const pid_t pid = fork();
        if (pid == 0) _exit(record(pieces[i]));
        if (pid < 0) {
            error = std::string("cannot start a job: ") + std::strerror(errno);
            StopPieces(pieces);
            return false;
        }
        pieces[i].pid = pid;
    }
    return true;
}

bool WaitPiece(Piece& piece, std::string& error) {
    if (piece.pid <= 0) return true;
    int status = 0;
    pid_t r;
    while ((r = waitpid(piece.pid, &status, 0)) < 0 && errno == EINTR) {
    }
    piece.pid = -1;
    if (r > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    error = "the job recording frames " + std::to_string(piece.first) + " to " + std::to_string(piece.end - 1) +
            " failed (its message is above)";
    return false;
}

void StopPieces(std::vector<Piece>& pieces) {
    for (Piece& piece : pieces) {
        if (piece.pid <= 0) continue;
        kill(piece.pid, SIGTERM);
        int status = 0;
        while (waitpid(piece.pid, &status, 0) < 0 && errno == EINTR) {
        }
        piece.pid = -1;
        if (!piece.video.empty()) std::remove(piece.video.c_str());
    }
}

bool ReadPieceFrames(const std::string& ffmpeg, const Piece& piece, int width, int height,
                     const std::function<bool(const Image&, std::string&)>& take, std::string& error) {
    const std::string log = piece.video + ".ffmpeg.log";
    FfmpegProcess decoder;
    const std::vector<std::string> args = {"-hide_banner", "-nostdin", "-loglevel", "error", "-i", piece.video,
                                           "-f", "rawvideo", "-pix_fmt", "bgr0", "pipe:1"};
    if (!decoder.StartReading(ffmpeg, args, log, error)) return false;
    Image frame{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    int64_t count = 0;
    while (decoder.Read(frame.pixels.data(), frame.pixels.size() * sizeof(uint32_t))) {
        if (!take(frame, error)) return false;
        ++count;
    }
    const bool finished = decoder.Finish(error);
    if (!finished) error += ":\n" + LogTail(log);
    std::remove(log.c_str());
    if (finished && count == piece.end - piece.first) return true;
    if (finished) {
        error = "the job's video " + piece.video + " holds " + std::to_string(count) + " frames, not " +
                std::to_string(piece.end - piece.first);
    }
    return false;
}

}  // namespace cm::record
