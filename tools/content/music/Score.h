// Our score format: a plain-text module source, read into patterns ready for the writer.
//
// One statement per line; a token starting with '#' begins a comment; indented lines continue the
// statement above them. Statements:
//   title <words>      speed <ticks per row>      bpm <n>      channels <n>      restart <order pos>
//   instrument <name> <patch> <volume 0..64> <panning 0..255>    numbered 1, 2, ... as declared
//   phrase <name> <rows per step> <steps>...                     a melody or rhythm for one channel
//   pattern <name> <rows>                                        then one indented line per channel:
//       <channel 1..n> <instrument> <items>...
//   order <pattern>...                                           the song, played in this order
// A step is "." (nothing), "off" (key off) or a note such as "C-4" or "F#3", optionally followed
// by "@v" (velocity 0..64, scaled by the instrument's volume), "!Exx" (an effect, letter or digit
// and two hex digits) and "*n" (the step n times). A "|" between steps is a bar line for the eye.
// A pattern item is a phrase name, optionally transposed ("bass+5", "bass-2"), softened ("pad%40":
// velocities times 40/64) and repeated ("hats*4"), or "_n" (n empty rows); items follow each other down the pattern. Items must fit
// the pattern, unless the line ends with "..." which cuts what runs past the end (for echoes).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "music/Xm.h"

namespace cm::music {

struct ScoreInstrument {
    std::string name;
    std::string patch;
    int volume = 64;
    int panning = 128;
};

struct Score {
    std::string title;
    int speed = 6;
    int bpm = 125;
    int channels = 8;
    int restart = 0;
    std::vector<ScoreInstrument> instruments;
    std::vector<std::string> patternNames;
    std::vector<XmPattern> patterns;
    std::vector<uint8_t> order;
};

// Reads a whole score. On failure returns false with "score line N: what" in `error`, and `out`
// holds no half-read song worth using.
bool ParseScore(std::string_view text, Score& out, std::string& error);

// Renders every instrument's patch and assembles the module.
bool BuildModule(const Score& score, XmModule& out, std::string& error);

}  // namespace cm::music
