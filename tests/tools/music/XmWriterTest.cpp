#include <gtest/gtest.h>
#include <xmp.h>

#include "music/Xm.h"

namespace cm::music {
namespace {

// A small module: three channels, two patterns of odd lengths, one looped instrument with an
// envelope and one one-shot instrument.
XmModule SmallModule() {
    XmModule m{.name = "roundtrip", .channels = 3, .speed = 5, .bpm = 140, .restart = 1, .order = {1, 0, 1},
               .patterns = {{7, std::vector<XmCell>(7 * 3)}, {3, std::vector<XmCell>(3 * 3)}},
               .instruments = {{.name = "looped", .sample = std::vector<int16_t>(300, 1000), .loop = true,
                                .loopStart = 100, .loopLength = 150,
                                .envelope = {{{0, 0}, {10, 64}, {30, 20}}, 2}},
                               {.name = "oneshot", .sample = {0, 32767, -32768}, .envelope = {}}}};
    m.patterns[0].cells[0] = {49, 1, 0x10 + 40, 0, 0};      // note, instrument, volume
    m.patterns[0].cells[4] = {kXmKeyOff, 0, 0, 0, 0};       // row 1, channel 2
    m.patterns[0].cells[20] = {96, 2, 0x50, 0x0A, 0x21};    // all five fields: stored unpacked
    m.patterns[1].cells[8] = {0, 0, 0, 0x0F, 0x03};         // effect only
    return m;
}

// Reads bytes with libxmp, a reader that shares nothing with ours.
struct Xmp {
    explicit Xmp(std::vector<uint8_t> b) : bytes(std::move(b)) {
        loaded = xmp_load_module_from_memory(context, bytes.data(), static_cast<long>(bytes.size())) == 0;
        if (loaded) xmp_get_module_info(context, &info);
    }
    ~Xmp() {
        if (loaded) xmp_release_module(context);
        xmp_free_context(context);
    }
    std::vector<uint8_t> bytes;
    xmp_context context = xmp_create_context();
    xmp_module_info info{};
    bool loaded = false;
};

// The layout as another reader sees it. The instruments' fields and sample data are pinned by the
// show module's hash and heard in the patch pitch and loudness tests.
TEST(XmWriter, AnIndependentReaderSeesWhatWasWritten) {
    const XmModule source = SmallModule();
    std::string error;
    const std::vector<uint8_t> bytes = WriteXm(source, &error);
    ASSERT_FALSE(bytes.empty()) << error;
    Xmp xmp(bytes);
    ASSERT_TRUE(xmp.loaded);
    const xmp_module& m = *xmp.info.mod;
    EXPECT_STREQ(m.name, "roundtrip");
    // libxmp may add a blank pattern of its own.
    EXPECT_EQ(std::vector<int>({m.chn, m.spd, m.bpm, m.len, m.rst, m.pat >= 2, m.ins, m.xxo[0], m.xxp[0]->rows}),
              std::vector<int>({3, 5, 140, 3, 1, true, 2, 1, 7}));

    // Each cell as note, instrument, volume, effect, parameter. libxmp counts notes from C-0 = 13
    // and volumes from 1 (0 means none); the empty cells around the key off stay empty.
    auto cell = [&](int pattern, int row, int channel) {
        const xmp_event& e = m.xxt[m.xxp[pattern]->index[channel]]->event[row];
        return std::vector<int>{e.note, e.ins, e.vol, e.fxt, e.fxp};
    };
    EXPECT_EQ(cell(0, 0, 0), std::vector<int>({49 + 12, 1, 40 + 1, 0, 0}));
    EXPECT_EQ(cell(0, 1, 1), std::vector<int>({XMP_KEY_OFF, 0, 0, 0, 0}));
    for (int channel : {0, 2}) EXPECT_EQ(cell(0, 1, channel), std::vector<int>(5, 0)) << channel;
    EXPECT_EQ(cell(0, 6, 2), std::vector<int>({96 + 12, 2, 64 + 1, 0x0A, 0x21}));
    EXPECT_EQ(cell(1, 2, 2), std::vector<int>({0, 0, 0, 0x0F, 0x03}));
}

TEST(XmWriter, RefusesWhatTheFormatCannotHold) {
    struct Case {
        const char* what;
        void (*spoil)(XmModule&);
    };
    const Case cases[] = {
        {"no channels", [](XmModule& m) { m.channels = 0; }},
        {"order past the patterns", [](XmModule& m) { m.order.push_back(2); }},
        {"restart past the order", [](XmModule& m) { m.restart = 3; }},
        {"257 rows", [](XmModule& m) { m.patterns[0].rows = 257; m.patterns[0].cells.resize(257 * 3); }},
        {"cells for the wrong width", [](XmModule& m) { m.patterns[1].cells.pop_back(); }},
        {"instrument that does not exist", [](XmModule& m) { m.patterns[0].cells[0].instrument = 3; }},
        {"loop past the end", [](XmModule& m) { m.instruments[0].loopLength = 201; }},
        {"13 envelope points", [](XmModule& m) {
             auto& p = m.instruments[0].envelope.points;
             p.clear();
             for (uint16_t t = 0; t < 13; ++t) p.push_back({t, 10});
         }},
        {"envelope going back in time", [](XmModule& m) { m.instruments[0].envelope.points[2].tick = 5; }},
        {"sustain past the envelope", [](XmModule& m) { m.instruments[0].envelope.sustain = 3; }},
        {"finetune 128", [](XmModule& m) { m.instruments[1].finetune = 128; }},
    };
    for (const Case& c : cases) {
        XmModule m = SmallModule();
        c.spoil(m);
        std::string error;
        EXPECT_TRUE(WriteXm(m, &error).empty()) << c.what;
        EXPECT_EQ(error.rfind("XM: ", 0), 0u) << c.what << ": " << error;
    }
}

}  // namespace
}  // namespace cm::music
