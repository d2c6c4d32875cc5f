// An in-memory FastTracker 2 extended module (version 0x0104) and its writer.
//
// One sample per instrument, always 16-bit; the writer delta-codes it and packs pattern cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cm::music {

constexpr int kXmKeyOff = 97;      // the note value that releases a voice
constexpr int kXmMaxChannels = 32;
constexpr int kXmMaxRows = 256;
constexpr int kXmMaxEnvelopePoints = 12;

struct XmCell {
    uint8_t note = 0;        // 0 nothing, 1..96 C-0..B-7, 97 key off
    uint8_t instrument = 0;  // 0 nothing, else 1-based
    uint8_t volume = 0;      // volume column byte: 0 nothing, 0x10 + v sets volume v (0..64)
    uint8_t effect = 0;      // effect type 0..35 (0-9, A-Z)
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    std::vector<XmCell> cells;  // rows * channels, row-major
};

struct XmEnvelopePoint {
    uint16_t tick = 0;   // ticks from note start
    uint16_t value = 0;  // 0..64
};

// A volume envelope; the sustain point holds until key off. Empty means "no envelope", and then
// key off silences the voice at once.
struct XmEnvelope {
    std::vector<XmEnvelopePoint> points;
    int sustain = -1;  // index of the sustain point, or -1
};

struct XmInstrument {
    std::string name;
    std::vector<int16_t> sample;
    bool loop = false;          // forward loop over [loopStart, loopStart + loopLength)
    uint32_t loopStart = 0;     // in sample frames
    uint32_t loopLength = 0;
    int volume = 64;            // default volume 0..64
    int panning = 128;
    int relativeNote = 0;       // semitones, -96..95
    int finetune = 0;           // 1/128 semitone, -128..127
    XmEnvelope envelope;
    int fadeout = 0;            // 0..0xFFF, per tick after key off
    int vibratoDepth = 0;       // auto-vibrato, sine: depth 0..15, rate 0..63, sweep in ticks
    int vibratoRate = 0;
    int vibratoSweep = 0;
};

struct XmModule {
    std::string name;
    int channels = 8;
    int speed = 6;    // ticks per row
    int bpm = 125;
    int restart = 0;  // order position the song loops back to
    std::vector<uint8_t> order;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// Serialises the module. On a module the format cannot hold it returns an empty vector and
// says why in *error (when given).
std::vector<uint8_t> WriteXm(const XmModule& module, std::string* error = nullptr);

}  // namespace cm::music
