// The recorder: the show run headless at a fixed frame rate, to video through the ffmpeg
// program, to PNG frames and stills, to a contact sheet, and to a device call trace.
//
// Owns: the show's clock while recording (it ticks it itself), the frame and sample
// arithmetic, the offline music, the ffmpeg child process, every file it writes.
// Units: show time in seconds (frame n of fps N/D shows n * D / N s); clock ticks of 14 ms (1000 / 14
// ticks a second, 0.1 clock units each); audio in sample frames at the chosen rate; pixels
// X8R8G8B8 of the 640 x 480 target.
// Errors: every failure is a message on standard error and a non-zero exit; files are written
// under temporary names and renamed only once complete, so a failed run leaves no output that
// looks finished.
#pragma once
