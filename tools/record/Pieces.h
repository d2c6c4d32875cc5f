// A recording on several processes: the range split into contiguous pieces, every piece but the
// first recorded by a child process of its own (which seeks to its start), the first by the
// recorder itself. A child writes its frames as PNG files where asked, and its video frames
// losslessly to a piece file; the recorder then reads those frames back, in order, into its own
// video encoders. The encoders thus see exactly the frames of a one-process run, in the same
// order, and write the same bytes, whatever the codec.
#pragma once

#include "resources/PngImage.h"

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cm::record {

struct Piece {
    int64_t first = 0;   // frames [first, end)
    int64_t end = 0;
    std::string video;   // the child's lossless frames (empty: no video wanted)
    pid_t pid = -1;      // the child, -1 for the recorder's own piece or once waited for
};

// [first, end) in `jobs` contiguous pieces of nearly equal length, earlier ones the longer;
// never more pieces than frames.
std::vector<Piece> SplitRange(int64_t first, int64_t end, int jobs);

// Forks a child for each piece after the first; the child runs record(piece) and exits with its
// result, touching nothing else of the parent. False with a message when a child cannot start
// (those started are stopped).
bool StartPieces(std::vector<Piece>& pieces, const std::function<int(const Piece&)>& record, std::string& error);

// Waits for a piece's child: false with a message unless it exited with 0.
bool WaitPiece(Piece& piece, std::string& error);
// Stops and reaps every child still running (a recording given up).
void StopPieces(std::vector<Piece>& pieces);

// Reads the piece's video back with ffmpeg, frame by frame (width x height), into take, which
// may refuse a frame. False with a message unless exactly the piece's frames were read.
bool ReadPieceFrames(const std::string& ffmpeg, const Piece& piece, int width, int height,
                     const std::function<bool(const Image&, std::string&)>& take, std::string& error);

}  // namespace cm::record
