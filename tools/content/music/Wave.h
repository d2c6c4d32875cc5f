// The synthesiser's one value type, a mono float signal at a fixed rate, and the operators that
// make and shape it. Instruments are straight-line compositions of these (Patches.cpp).
//
// Samples are nominally within -1..1; rates in Hz; times in seconds. Operators that shape a wave
// change it in place and return it, so designs read as chains.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "music/Random.h"

namespace cm::music {

struct Wave {
    double rate = 44100.0;
    std::vector<float> s;

    size_t Size() const { return s.size(); }
    double Seconds() const { return static_cast<double>(s.size()) / rate; }
};

// Frequency of a module note (49 = C-4) in equal temperament with A-4 at 440 Hz.
double NoteHz(int note);

Wave Silence(double rate, double seconds);

// A sine whose frequency starts at f0 and settles toward f1 with time constant tau:
// f(t) = f1 + (f0 - f1) exp(-t / tau). Drum bodies fall, risers climb.
Wave Sweep(double rate, double seconds, double f0, double f1, double tau);

// Two-operator frequency modulation, the classic bell: a sine carrier at hz whose phase is pushed
// by a sine at ratio * hz, with a modulation index that starts at `index` and decays with indexTau.
Wave Fm(double rate, double seconds, double hz, double ratio, double index, double indexTau);

// One partial of a periodic wave: `cycles` whole cycles over the wave's length.
struct Partial {
    int64_t cycles;
    double amplitude;
    double phase;  // in cycles, 0..1
};
// A sum of partials over `frames` samples. Every partial completes whole cycles, so the result
// loops without a seam; the phase is computed from exact integers, never accumulated.
Wave Periodic(double rate, int64_t frames, const std::vector<Partial>& partials);
// The partials of a band-limited sawtooth (harmonic h has amplitude 1/h) or square (odd h only)
// whose fundamental makes `cycles` cycles over `frames`; harmonics stop below 0.45 * rate.
std::vector<Partial> SawPartials(double rate, int64_t frames, int64_t cycles, double phase, bool oddOnly = false);

Wave Noise(double rate, double seconds, Random& random);

// Envelopes: multiply by exp(-t / tau); a linear rise over the first `seconds`; a linear fall
// over the last `seconds`.
Wave& Decay(Wave& w, double tau);
Wave& FadeIn(Wave& w, double seconds);
Wave& FadeOut(Wave& w, double seconds);

Wave& Gain(Wave& w, double g);
// a += g * b, sample by sample from the start; a grows to b's length when shorter.
Wave& Mix(Wave& a, const Wave& b, double g = 1.0);
// Soft clipping, tanh(drive x) / tanh(drive): unity at full scale, rounder below it.
Wave& Saturate(Wave& w, double drive);
// Scales so the largest magnitude becomes `peak` (a silent wave stays silent).
Wave& Normalize(Wave& w, double peak);

// Second-order filters (the usual bilinear-transform biquads), cutoff in Hz, q about 0.7 for
// no resonance. The cutoff may glide exponentially from `hz` to `hzEnd` over the wave.
Wave& LowPass(Wave& w, double hz, double q, double hzEnd = 0.0);
Wave& HighPass(Wave& w, double hz, double q, double hzEnd = 0.0);
Wave& BandPass(Wave& w, double hz, double q, double hzEnd = 0.0);

// A filter's output on a looped input only becomes periodic once its start-up has died away:
// the repetitions of w, `times` over, from which the caller keeps the last (see LastPeriod).
Wave Repeat(const Wave& w, int times);
Wave LastPeriod(const Wave& w, int64_t frames);

// Rounds to signed 16-bit, clamping anything beyond full scale.
std::vector<int16_t> ToPcm16(const Wave& w);

}  // namespace cm::music
