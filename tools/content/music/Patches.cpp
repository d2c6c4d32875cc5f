#include "music/Patches.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "music/Wave.h"

namespace cm::music {
namespace {

constexpr double kRate = 44100.0;
constexpr int kC4 = 49, kC3 = 37, kC5 = 61;

// Note-on at full level, a short fall to `sustain`, held until key off; the fadeout (1/65536 of
// full volume per tick) then ends the note. Ticks are 2.5 / bpm s, about 18 ms here.
XmEnvelope Held(int attackTicks, int decayTicks, int sustain) {
    XmEnvelope e;
    e.points = {{0, static_cast<uint16_t>(attackTicks > 0 ? 0 : 64)},
                {static_cast<uint16_t>(std::max(attackTicks, 1)), 64},
                {static_cast<uint16_t>(std::max(attackTicks, 1) + decayTicks), static_cast<uint16_t>(sustain)}};
    e.sustain = 2;
    return e;
}

// A loop holds a whole number of cycles. Fixing the cycles first and rounding the length to whole
// frames keeps the pitch within a few parts per million; rounding the cycles into a fixed length
// would be off by up to half a cycle per loop, several cents on a short loop.
int64_t LoopFrames(double hz, double rate, int64_t cycles) { return std::llround(static_cast<double>(cycles) * rate / hz); }

void Store(XmInstrument& out, const Wave& w, bool loop) {
    out.sample = ToPcm16(w);
    out.loop = loop;
    out.loopStart = 0;
    out.loopLength = loop ? static_cast<uint32_t>(out.sample.size()) : 0;
}

void Kick(XmInstrument& out) {
    const double rate = Tune(out, kRate, kC4);
    Random random(11);
    Wave body = Sweep(rate, 0.45, 170.0, 44.0, 0.035);
    Decay(body, 0.16);
    Wave click = Noise(rate, 0.006, random);
    HighPass(click, 2000.0, 0.7);
    Mix(body, click, 0.35);
    Saturate(body, 2.0);
    FadeOut(body, 0.03);
    Store(out, Normalize(body, 0.97), false);
}

void Snare(XmInstrument& out) {
    const double rate = Tune(out, kRate, kC4);
    Random random(23);
    Wave tone = Sweep(rate, 0.3, 290.0, 185.0, 0.02);
    Decay(tone, 0.05);
    Wave rattle = Noise(rate, 0.3, random);
    HighPass(rattle, 1400.0, 0.7);
    LowPass(rattle, 9000.0, 0.7);
    Decay(rattle, 0.075);
    Mix(rattle, tone, 0.7);
    Saturate(rattle, 1.5);
    FadeOut(rattle, 0.04);
    Store(out, Normalize(rattle, 0.95), false);
}

void Hat(XmInstrument& out, double seconds, double tau, uint64_t seed) {
    const double rate = Tune(out, kRate, kC4);
    Random random(seed);
    Wave hiss = Noise(rate, seconds, random);
    HighPass(hiss, 7000.0, 0.8);
    Decay(hiss, tau);
    FadeOut(hiss, 0.01);
    Store(out, Normalize(hiss, 0.9), false);
}

void Crash(XmInstrument& out) {
    const double rate = Tune(out, kRate, kC4);
    Random random(47);
    Wave hiss = Noise(rate, 2.2, random);
    HighPass(hiss, 3500.0, 0.7);
    BandPass(hiss, 6000.0, 0.5);
    Decay(hiss, 0.55);
    FadeIn(hiss, 0.002);
    FadeOut(hiss, 0.3);
    Store(out, Normalize(hiss, 0.9), false);
}

// A band of noise climbing for about three and a half seconds: the lift into a new section.
void Riser(XmInstrument& out) {
    const double rate = Tune(out, kRate, kC4);
    Random random(59);
    Wave hiss = Noise(rate, 3.6, random);
    BandPass(hiss, 250.0, 2.5, 7000.0);
    Wave tone = Sweep(rate, 3.6, 110.0, 880.0, 2.0);
    Mix(hiss, tone, 0.08);
    for (size_t i = 0; i < hiss.Size(); ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(hiss.Size());
        hiss.s[i] = static_cast<float>(hiss.s[i] * t * t);  // quadratic swell
    }
    FadeOut(hiss, 0.02);
    Store(out, Normalize(hiss, 0.9), false);
}

void Tom(XmInstrument& out) {
    const double rate = Tune(out, kRate, kC4);
    Wave body = Sweep(rate, 0.5, 190.0, 95.0, 0.07);
    Decay(body, 0.14);
    Saturate(body, 1.5);
    FadeOut(body, 0.05);
    Store(out, Normalize(body, 0.95), false);
}

// Round bass: mostly the fundamental, with a filtered sawtooth underneath for definition on
// small speakers; one looped period set, so held notes last as long as the score wants.
void Bass(XmInstrument& out) {
    const double rate = Tune(out, kRate, kC3);
    const int64_t cycles = 64;  // about half a second
    const int64_t frames = LoopFrames(NoteHz(kC3), rate, cycles);
    Wave saw = Periodic(rate, frames, SawPartials(rate, frames, cycles, 0.0));
    Wave tone = Repeat(saw, 3);
    LowPass(tone, 520.0, 0.9);
    tone = LastPeriod(tone, frames);
    Wave sine = Periodic(rate, frames, {{cycles, 1.0, 0.0}, {2 * cycles, 0.18, 0.0}});
    Mix(sine, tone, 0.45);
    Saturate(sine, 1.3);
    Store(out, Normalize(sine, 0.95), true);
    out.envelope = Held(0, 14, 46);
    out.fadeout = 0x900;
}

// Wide pad: seven sawtooths detuned by whole cycles per loop (a slow chorus that still loops
// seamlessly), darkened by a low-pass. Two seeds make two voices for left and right.
void Pad(XmInstrument& out, uint64_t seed) {
    const double rate = Tune(out, kRate, kC4);
    Random random(seed);
    const int64_t cycles = 523;  // about two seconds, so the chorus beats slowly
    const int64_t frames = LoopFrames(NoteHz(kC4), rate, cycles);
    const int64_t detune[] = {0, -1, 1, -3, 3, -5, 6};
    std::vector<Partial> partials;
    for (int64_t d : detune) {
        const double phase = 0.5 + 0.5 * random.Signed();
        for (const Partial& p : SawPartials(rate, frames, cycles + d, phase)) partials.push_back(p);
    }
    Wave tone = Repeat(Periodic(rate, frames, partials), 2);
    LowPass(tone, 1900.0, 0.7);
    LowPass(tone, 3200.0, 0.7);
    tone = LastPeriod(tone, frames);
    Store(out, Normalize(tone, 0.9), true);
    out.envelope = Held(14, 30, 52);
    out.fadeout = 0x180;
}

// Bell for the arpeggios: FM at a 3.5 ratio gives the inharmonic shimmer, dying into a sine.
void Bell(XmInstrument& out) {
    const double rate = Tune(out, kRate, kC5);
    Wave bell = Fm(rate, 1.6, NoteHz(kC5), 3.5, 2.2, 0.25);
    Wave body = Sweep(rate, 1.6, NoteHz(kC5), NoteHz(kC5), 1.0);
    Mix(bell, body, 0.6);
    Decay(bell, 0.42);
    FadeIn(bell, 0.002);
    FadeOut(bell, 0.2);
    Store(out, Normalize(bell, 0.92), false);
}

// Lead: a square and a sawtooth two cycles apart, filtered and slightly driven, with a delayed
// vibrato from the instrument so long notes sing.
void Lead(XmInstrument& out) {
    const double rate = Tune(out, kRate, kC5);
    const int64_t cycles = 262;  // about half a second
    const int64_t frames = LoopFrames(NoteHz(kC5), rate, cycles);
    std::vector<Partial> partials = SawPartials(rate, frames, cycles, 0.0, true);
    for (Partial p : SawPartials(rate, frames, cycles + 2, 0.3)) {
        p.amplitude *= 0.6;
        partials.push_back(p);
    }
    Wave tone = Repeat(Periodic(rate, frames, partials), 3);
    LowPass(tone, 3400.0, 0.8);
    tone = LastPeriod(tone, frames);
    Saturate(Normalize(tone, 1.0), 1.4);
    Store(out, Normalize(tone, 0.9), true);
    out.envelope = Held(2, 16, 48);
    out.fadeout = 0x500;
    out.vibratoDepth = 3;
    out.vibratoRate = 10;
    out.vibratoSweep = 40;
}

}  // namespace

double Tune(XmInstrument& out, double rate, int rootNote) {
    // The player's rate for note n is 8363 * 2^((n - 49 + relativeNote + finetune / 128) / 12).
    const double semitones = 12.0 * std::log2(rate / 8363.0) - (rootNote - 49);
    const long total = std::lround(semitones * 128.0);
    const long relative = total >= 0 ? total / 128 : -((-total + 127) / 128);
    out.relativeNote = static_cast<int>(relative);
    out.finetune = static_cast<int>(total - relative * 128);
    return 8363.0 * std::pow(2.0, ((rootNote - 49) + static_cast<double>(total) / 128.0) / 12.0);
}

std::vector<std::string> PatchNames() {
    return {"kick", "snare", "hat", "openhat", "crash", "riser", "tom", "bass", "pad", "pad2", "bell", "lead"};
}

bool MakePatch(const std::string& name, XmInstrument& out) {
    if (name == "kick") Kick(out);
    else if (name == "snare") Snare(out);
    else if (name == "hat") Hat(out, 0.12, 0.022, 31);
    else if (name == "openhat") Hat(out, 0.5, 0.12, 37);
    else if (name == "crash") Crash(out);
    else if (name == "riser") Riser(out);
    else if (name == "tom") Tom(out);
    else if (name == "bass") Bass(out);
    else if (name == "pad") Pad(out, 71);
    else if (name == "pad2") Pad(out, 83);
    else if (name == "bell") Bell(out);
    else if (name == "lead") Lead(out);
    else return false;
    return true;
}

}  // namespace cm::music
