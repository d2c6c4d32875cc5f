#include "music/Wave.h"

#include <algorithm>
#include <cmath>

namespace cm::music {
namespace {

constexpr double kTau = 6.283185307179586476925;

size_t Frames(double rate, double seconds) {
    return seconds > 0.0 ? static_cast<size_t>(std::llround(rate * seconds)) : 0;
}

enum class FilterKind { Low, High, Band };

// Bilinear-transform biquad (the familiar "audio EQ cookbook" forms), direct form I in double.
// With a glide the coefficients follow the cutoff sample by sample.
Wave& Filter(Wave& w, FilterKind kind, double hz, double q, double hzEnd) {
    if (hzEnd <= 0.0) hzEnd = hz;
    const size_t n = w.Size();
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < n; ++i) {
        const double t = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
        // Keep the cutoff below Nyquist whatever the caller asks for.
        const double f = std::min(hz * std::pow(hzEnd / hz, t), 0.45 * w.rate);
        const double omega = kTau * f / w.rate;
        const double cs = std::cos(omega);
        const double alpha = std::sin(omega) / (2.0 * q);
        double b0, b1, b2;
        switch (kind) {
            case FilterKind::Low: b1 = 1.0 - cs; b0 = b2 = b1 / 2.0; break;
            case FilterKind::High: b1 = -(1.0 + cs); b0 = b2 = (1.0 + cs) / 2.0; break;
            default: b0 = alpha; b1 = 0.0; b2 = -alpha; break;
        }
        const double a0 = 1.0 + alpha, a1 = -2.0 * cs, a2 = 1.0 - alpha;
        const double x = w.s[i];
        const double y = (b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2) / a0;
        x2 = x1; x1 = x; y2 = y1; y1 = y;
        w.s[i] = static_cast<float>(y);
    }
    return w;
}

}  // namespace

double NoteHz(int note) { return 440.0 * std::pow(2.0, (note - 58) / 12.0); }

Wave Silence(double rate, double seconds) {
    Wave w;
    w.rate = rate;
    w.s.assign(Frames(rate, seconds), 0.0f);
    return w;
}

Wave Sweep(double rate, double seconds, double f0, double f1, double tau) {
    Wave w = Silence(rate, seconds);
    double phase = 0.0;  // in cycles, kept within 0..1 so precision does not drift
    for (size_t i = 0; i < w.Size(); ++i) {
        w.s[i] = static_cast<float>(std::sin(kTau * phase));
        const double t = static_cast<double>(i) / rate;
        phase += (f1 + (f0 - f1) * std::exp(-t / tau)) / rate;
        phase -= std::floor(phase);
    }
    return w;
}

Wave Fm(double rate, double seconds, double hz, double ratio, double index, double indexTau) {
    Wave w = Silence(rate, seconds);
    for (size_t i = 0; i < w.Size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double modulator = std::sin(kTau * std::fmod(ratio * hz * t, 1.0));
        const double beta = index * std::exp(-t / indexTau);
        w.s[i] = static_cast<float>(std::sin(kTau * std::fmod(hz * t, 1.0) + beta * modulator));
    }
    return w;
}

Wave Periodic(double rate, int64_t frames, const std::vector<Partial>& partials) {
    Wave w;
    w.rate = rate;
    if (frames <= 0) return w;
    w.s.assign(static_cast<size_t>(frames), 0.0f);
    std::vector<double> sum(w.Size(), 0.0);
    for (const Partial& p : partials) {
        const int64_t step = ((p.cycles % frames) + frames) % frames;
        int64_t k = 0;  // cycles * i modulo frames, advanced exactly
        for (int64_t i = 0; i < frames; ++i) {
            sum[i] += p.amplitude * std::sin(kTau * (static_cast<double>(k) / static_cast<double>(frames) + p.phase));
            k += step;
            if (k >= frames) k -= frames;
        }
    }
    for (size_t i = 0; i < sum.size(); ++i) w.s[i] = static_cast<float>(sum[i]);
    return w;
}

std::vector<Partial> SawPartials(double rate, int64_t frames, int64_t cycles, double phase, bool oddOnly) {
    std::vector<Partial> out;
    const double fundamental = static_cast<double>(cycles) * rate / static_cast<double>(frames);
    for (int64_t h = 1; fundamental * static_cast<double>(h) < 0.45 * rate; h += oddOnly ? 2 : 1)
        out.push_back({cycles * h, 1.0 / static_cast<double>(h), phase * static_cast<double>(h)});
    return out;
}

Wave Noise(double rate, double seconds, Random& random) {
    Wave w = Silence(rate, seconds);
    for (float& v : w.s) v = random.Signed();
    return w;
}

Wave& Decay(Wave& w, double tau) {
    for (size_t i = 0; i < w.Size(); ++i) w.s[i] *= static_cast<float>(std::exp(-static_cast<double>(i) / w.rate / tau));
    return w;
}

Wave& FadeIn(Wave& w, double seconds) {
    const size_t n = std::min(Frames(w.rate, seconds), w.Size());
    for (size_t i = 0; i < n; ++i) w.s[i] *= static_cast<float>(static_cast<double>(i) / static_cast<double>(n));
    return w;
}

Wave& FadeOut(Wave& w, double seconds) {
    const size_t n = std::min(Frames(w.rate, seconds), w.Size());
    const size_t start = w.Size() - n;
    for (size_t i = 0; i < n; ++i) w.s[start + i] *= static_cast<float>(static_cast<double>(n - i) / static_cast<double>(n));
    return w;
}

Wave& Gain(Wave& w, double g) {
    for (float& v : w.s) v = static_cast<float>(v * g);
    return w;
}

Wave& Mix(Wave& a, const Wave& b, double g) {
    if (a.Size() < b.Size()) a.s.resize(b.Size(), 0.0f);
    for (size_t i = 0; i < b.Size(); ++i) a.s[i] = static_cast<float>(a.s[i] + g * b.s[i]);
    return a;
}

Wave& Saturate(Wave& w, double drive) {
    const double norm = std::tanh(drive);
    for (float& v : w.s) v = static_cast<float>(std::tanh(drive * v) / norm);
    return w;
}

Wave& Normalize(Wave& w, double peak) {
    float top = 0.0f;
    for (float v : w.s) top = std::max(top, std::fabs(v));
    return top > 0.0f ? Gain(w, peak / top) : w;
}

Wave& LowPass(Wave& w, double hz, double q, double hzEnd) { return Filter(w, FilterKind::Low, hz, q, hzEnd); }
Wave& HighPass(Wave& w, double hz, double q, double hzEnd) { return Filter(w, FilterKind::High, hz, q, hzEnd); }
Wave& BandPass(Wave& w, double hz, double q, double hzEnd) { return Filter(w, FilterKind::Band, hz, q, hzEnd); }

Wave Repeat(const Wave& w, int times) {
    Wave out;
    out.rate = w.rate;
    for (int i = 0; i < times; ++i) out.s.insert(out.s.end(), w.s.begin(), w.s.end());
    return out;
}

Wave LastPeriod(const Wave& w, int64_t frames) {
    Wave out;
    out.rate = w.rate;
    const size_t n = std::min(static_cast<size_t>(std::max<int64_t>(frames, 0)), w.Size());
    out.s.assign(w.s.end() - static_cast<std::ptrdiff_t>(n), w.s.end());
    return out;
}

std::vector<int16_t> ToPcm16(const Wave& w) {
    std::vector<int16_t> out(w.Size());
    for (size_t i = 0; i < w.Size(); ++i) {
        const double v = std::clamp(static_cast<double>(w.s[i]) * 32767.0, -32768.0, 32767.0);
        out[i] = static_cast<int16_t>(std::lround(v));
    }
    return out;
}

}  // namespace cm::music
