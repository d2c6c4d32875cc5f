#include "music/Xm.h"

#include <algorithm>

namespace cm::music {
namespace {

// Little-endian byte sink; every multi-byte field of the format is little-endian.
struct Out {
    std::vector<uint8_t> bytes;
    void U8(int v) { bytes.push_back(static_cast<uint8_t>(v)); }
    void U16(int v) { U8(v & 0xFF); U8((v >> 8) & 0xFF); }
    void U32(uint32_t v) { U16(static_cast<int>(v & 0xFFFF)); U16(static_cast<int>(v >> 16)); }
    // Fixed-width text field, zero padded, cut at the width.
    void Text(const std::string& s, size_t width) {
        for (size_t i = 0; i < width; ++i) U8(i < s.size() ? s[i] : 0);
    }
    void Zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = "XM: " + why;
    return false;
}

bool Validate(const XmModule& m, std::string* error) {
    if (m.channels < 1 || m.channels > kXmMaxChannels) return Fail(error, "channel count out of range");
    if (m.speed < 1 || m.speed > 31) return Fail(error, "speed out of range 1..31");
    if (m.bpm < 32 || m.bpm > 255) return Fail(error, "bpm out of range 32..255");
    if (m.order.empty() || m.order.size() > 256) return Fail(error, "order list must hold 1..256 entries");
    if (m.patterns.empty() || m.patterns.size() > 256) return Fail(error, "pattern count must be 1..256");
    if (m.instruments.size() > 128) return Fail(error, "more than 128 instruments");
    if (m.restart < 0 || m.restart >= static_cast<int>(m.order.size())) return Fail(error, "restart beyond the order list");
    for (uint8_t p : m.order)
        if (p >= m.patterns.size()) return Fail(error, "order names a missing pattern");
    for (size_t i = 0; i < m.patterns.size(); ++i) {
        const XmPattern& p = m.patterns[i];
        if (p.rows < 1 || p.rows > kXmMaxRows) return Fail(error, "pattern " + std::to_string(i) + " rows out of 1..256");
        if (p.cells.size() != static_cast<size_t>(p.rows * m.channels))
            return Fail(error, "pattern " + std::to_string(i) + " cell count is not rows * channels");
        for (const XmCell& c : p.cells) {
            if (c.note > kXmKeyOff || c.instrument > m.instruments.size() || c.effect > 35)
                return Fail(error, "pattern " + std::to_string(i) + " has a cell out of range");
        }
    }
    for (size_t i = 0; i < m.instruments.size(); ++i) {
        const XmInstrument& in = m.instruments[i];
        const std::string who = "instrument " + std::to_string(i + 1);
        // Sample lengths are stored in bytes in 32 bits.
        if (in.sample.size() > 0x3FFFFFFF) return Fail(error, who + " sample too long");
        if (in.loop && (in.loopLength == 0 || in.loopStart > in.sample.size() ||
                        in.loopLength > in.sample.size() - in.loopStart))
            return Fail(error, who + " loop outside the sample");
        if (in.volume < 0 || in.volume > 64 || in.panning < 0 || in.panning > 255)
            return Fail(error, who + " volume or panning out of range");
        if (in.relativeNote < -96 || in.relativeNote > 95 || in.finetune < -128 || in.finetune > 127)
            return Fail(error, who + " tuning out of range");
        const auto& pts = in.envelope.points;
        if (pts.size() > kXmMaxEnvelopePoints) return Fail(error, who + " envelope has more than 12 points");
        for (size_t k = 0; k < pts.size(); ++k) {
            if (pts[k].value > 64) return Fail(error, who + " envelope value above 64");
            if (k > 0 && pts[k].tick <= pts[k - 1].tick) return Fail(error, who + " envelope ticks not increasing");
        }
        if (in.envelope.sustain >= static_cast<int>(pts.size())) return Fail(error, who + " sustain beyond the envelope");
        if (in.fadeout < 0 || in.fadeout > 0xFFF) return Fail(error, who + " fadeout out of range");
        if (in.vibratoDepth < 0 || in.vibratoDepth > 15 || in.vibratoRate < 0 || in.vibratoRate > 63 ||
            in.vibratoSweep < 0 || in.vibratoSweep > 255)
            return Fail(error, who + " vibrato out of range");
    }
    return true;
}

// A cell is written whole when all five fields are used, otherwise as a flag byte (0x80 plus one
// bit per present field) followed by the present fields: empty cells cost one byte.
void PackCell(Out& out, const XmCell& c) {
    const int mask = (c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) |
                     (c.effect ? 8 : 0) | (c.param ? 16 : 0);
    if (mask == 31) {
        out.U8(c.note); out.U8(c.instrument); out.U8(c.volume); out.U8(c.effect); out.U8(c.param);
        return;
    }
    out.U8(0x80 | mask);
    if (c.note) out.U8(c.note);
    if (c.instrument) out.U8(c.instrument);
    if (c.volume) out.U8(c.volume);
    if (c.effect) out.U8(c.effect);
    if (c.param) out.U8(c.param);
}

void WritePattern(Out& out, const XmPattern& p) {
    Out packed;
    for (const XmCell& c : p.cells) PackCell(packed, c);
    out.U32(9);  // pattern header length
    out.U8(0);   // packing type
    out.U16(p.rows);
    out.U16(static_cast<int>(packed.bytes.size()));
    out.bytes.insert(out.bytes.end(), packed.bytes.begin(), packed.bytes.end());
}

void WriteEnvelopePoints(Out& out, const XmEnvelope& env) {
    for (int k = 0; k < kXmMaxEnvelopePoints; ++k) {
        if (k < static_cast<int>(env.points.size())) {
            out.U16(env.points[k].tick);
            out.U16(env.points[k].value);
        } else {
            out.U32(0);
        }
    }
}

void WriteInstrument(Out& out, const XmInstrument& in) {
    const bool hasSample = !in.sample.empty();
    out.U32(hasSample ? 263 : 29);  // header size: the fields below plus reserved bytes
    out.Text(in.name, 22);
    out.U8(0);
    out.U16(hasSample ? 1 : 0);
    if (!hasSample) return;
    out.U32(40);      // sample header size
    out.Zeros(96);    // every note plays sample 0
    WriteEnvelopePoints(out, in.envelope);
    WriteEnvelopePoints(out, XmEnvelope{});  // no panning envelope
    const int points = static_cast<int>(in.envelope.points.size());
    out.U8(points);
    out.U8(0);
    out.U8(std::max(in.envelope.sustain, 0));
    out.U8(0); out.U8(0);            // volume loop start, end
    out.U8(0); out.U8(0); out.U8(0); // panning sustain, loop start, end
    out.U8((points > 0 ? 1 : 0) | (points > 0 && in.envelope.sustain >= 0 ? 2 : 0));
    out.U8(0);
    out.U8(0);  // vibrato type: sine
    out.U8(in.vibratoSweep);
    out.U8(in.vibratoDepth);
    out.U8(in.vibratoRate);
    out.U16(in.fadeout);
    out.Zeros(22);

    const uint32_t bytes = static_cast<uint32_t>(in.sample.size() * 2);
    out.U32(bytes);
    out.U32(in.loop ? in.loopStart * 2 : 0);
    out.U32(in.loop ? in.loopLength * 2 : 0);
    out.U8(in.volume);
    out.U8(in.finetune & 0xFF);
    out.U8(0x10 | (in.loop ? 1 : 0));  // 16-bit, forward loop
    out.U8(in.panning);
    out.U8(in.relativeNote & 0xFF);
    out.U8(0);
    out.Text(in.name, 22);
    // Delta coding: each stored value is the difference to the previous sample, modulo 2^16.
    uint16_t previous = 0;
    for (int16_t s : in.sample) {
        const uint16_t v = static_cast<uint16_t>(s);
        out.U16(static_cast<uint16_t>(v - previous));
        previous = v;
    }
}

}  // namespace

std::vector<uint8_t> WriteXm(const XmModule& m, std::string* error) {
    if (!Validate(m, error)) return {};
    Out out;
    out.Text("Extended Module: ", 17);
    out.Text(m.name, 20);
    out.U8(0x1A);
    out.Text("Cold Meridian", 20);
    out.U16(0x0104);
    out.U32(276);  // header size, counted from this field
    out.U16(static_cast<int>(m.order.size()));
    out.U16(m.restart);
    out.U16(m.channels);
    out.U16(static_cast<int>(m.patterns.size()));
    out.U16(static_cast<int>(m.instruments.size()));
    out.U16(1);  // linear frequency table
    out.U16(m.speed);
    out.U16(m.bpm);
    for (int i = 0; i < 256; ++i) out.U8(i < static_cast<int>(m.order.size()) ? m.order[i] : 0);
    for (const XmPattern& p : m.patterns) WritePattern(out, p);
    for (const XmInstrument& in : m.instruments) WriteInstrument(out, in);
    return std::move(out.bytes);
}

}  // namespace cm::music
