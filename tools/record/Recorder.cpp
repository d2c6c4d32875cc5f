#include "Recorder.h"

#include "ContactSheet.h"
#include "FfmpegProcess.h"
#include "FrameScaler.h"
#include "FrameSkip.h"
#include "Pieces.h"
#include "ModuleAudio.h"
#include "TraceWriter.h"
#include "VideoWriter.h"

#include "app/DemoClock.h"
#include "app/LightWaveScenes.h"
#include "app/Show.h"
#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/d3dx/D3DX.h"
#include "platform/d3dx/FrameSink.h"
#include "platform/device/Device.h"
#include "scene/SceneGraph.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <time.h>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>

namespace cm::record {

namespace fs = std::filesystem;

namespace {
using SteadyClock = std::chrono::steady_clock;
constexpr int64_t kNoEnd = std::numeric_limits<int64_t>::max();
// The show's nominal length, only for the progress line's estimate when no end is given.
constexpr double kNominalShowSeconds = 163.0;

double Since(SteadyClock::time_point t) { return std::chrono::duration<double>(SteadyClock::now() - t).count(); }

// Processor time of the whole process: on a busy machine it measures the work, not the wait.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Keeps a copy of a presented frame when asked to; the pixels are only valid during the call.
class CaptureSink final : public FrameSink {
public:
    void ShowFrame(const uint32_t* pixels, int width, int height, bool) override {
        if (presents++ == 0 && onCreated) onCreated();
        if (!want) return;
        image.width = width;
        image.height = height;
        image.pixels.assign(pixels, pixels + size_t(width) * height);
    }
    bool want = false;
    Image image;
    uint64_t presents = 0;
    std::function<void()> onCreated;  // at the display's own first present, before any frame
};

std::string Absolute(const std::string& p) { return p.empty() ? p : fs::absolute(p).lexically_normal().string(); }

// The data folder: as given, else here when the pack is here, else the program's own folder.
std::string ChooseDataDir(const std::string& given) {
    if (!given.empty()) return given;
    if (fs::exists("kelvarin.pak")) return ".";
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && fs::exists(self.parent_path() / "kelvarin.pak")) return self.parent_path().string();
    return ".";
}

struct Outputs {
    std::unique_ptr<VideoWriter> h264;
    std::unique_ptr<VideoWriter> lossless;
    std::unique_ptr<VideoWriter> piece;
    std::unique_ptr<TraceWriter> trace;
    std::unique_ptr<ContactSheet> sheet;
    std::string framesDir;
};

std::string StillName(const std::string& dir, const std::string& label) { return dir + "/still_" + label + ".png"; }

// A job of a parallel recording (in a child process): only its piece of the range, its video
// frames to the piece's file, its PNG frames where the recording's go.
int RecordPiece(RecordOptions o, uint32_t seed, const std::string& dataDir, const Piece& piece) {
    const FrameClock clock(o.fps);
    o.from = clock.SecondsAt(piece.first);
    o.to = clock.SecondsAt(piece.end);
    o.seed = seed;
    o.dataDir = dataDir;
    o.jobs = 1;
    o.quiet = true;
    o.audio = false;
    o.out.clear();
    o.lossless.clear();
    o.pieceVideo = piece.video;
    o.stills.clear();
    o.contactSheet.clear();
    Recorder recorder(o);
    return recorder.Run();
}
}  // namespace

int Recorder::Run() {
    const auto started = SteadyClock::now();
    RecordOptions& o = options_;
    for (std::string* p : {&o.out, &o.lossless, &o.framesDir, &o.stillsDir, &o.contactSheet, &o.traceDir}) {
        *p = Absolute(*p);
    }
    auto fail = [](const std::string& message) {
        std::fprintf(stderr, "coldmeridian-record: %s\n", message.c_str());
        return 1;
    };

    const std::string dataDir = ChooseDataDir(o.dataDir);
    std::error_code ec;
    fs::current_path(dataDir, ec);
    if (ec) return fail("cannot enter the data folder " + dataDir + ": " + ec.message());
    if (!fs::exists("kelvarin.pak") && !fs::exists("data")) {
        return fail("no kelvarin.pak or data folder in " + fs::current_path().string() + " (use --data DIR)");
    }

    std::string ffmpeg;
    if (o.WantsVideo()) {
        ffmpeg = FindProgram(o.ffmpeg);
        if (ffmpeg.empty()) {
            return fail("cannot find the ffmpeg program '" + o.ffmpeg +
                        "': install ffmpeg (apt-get install ffmpeg) or name it with --ffmpeg PATH");
        }
        if (o.audio && !fs::exists(o.module)) {
            return fail("no music module " + o.module + " in " + fs::current_path().string() +
                        " (build the content, or record with --no-audio)");
        }
    }

    const FrameClock clock(o.fps);
    const int64_t first = clock.FirstFrameAtOrAfter(o.from);
    int64_t rangeEnd = o.to ? clock.FirstFrameAtOrAfter(*o.to) : kNoEnd;
    if (rangeEnd <= first) return fail("no frame lies between --from and --to at this frame rate");
    const uint32_t seed = o.seed ? *o.seed : static_cast<uint32_t>(std::time(nullptr));
    std::vector<Piece> pieces;
    struct StopOnExit {
        std::vector<Piece>& pieces;
        ~StopOnExit() { StopPieces(pieces); }
    } stopPieces{pieces};
    if (o.jobs > 1 && o.WantsRange()) {
        if (!o.traceDir.empty()) return fail("--trace is written by one process: leave out --jobs");
        const int64_t end = rangeEnd != kNoEnd ? rangeEnd : SimulatedShowEnd(seed, clock);
        if (end <= first) return fail("no frame to record: --from lies after the show's end");
        pieces = SplitRange(first, end, o.jobs);
        const std::string base = o.WantsVideo() ? (o.out.empty() ? o.lossless : o.out) : std::string();
        if (!base.empty()) fs::create_directories(fs::path(base).parent_path(), ec);
        for (size_t i = 1; i < pieces.size() && !base.empty(); ++i) {
            pieces[i].video = base + ".job" + std::to_string(i) + ".nut";
        }
        const std::string here = fs::current_path().string();
        std::string error;
        if (!StartPieces(pieces, [&](const Piece& p) { return RecordPiece(o, seed, here, p); }, error)) return fail(error);
        rangeEnd = pieces[0].end;  // this process records the first piece
    }

    std::vector<int64_t> stillFrames;
    for (const Still& s : o.stills) stillFrames.push_back(clock.FirstFrameAtOrAfter(s.seconds));
    // The run stops after the last frame any output needs; with no output at all it only
    // renders the range, for timing.
    int64_t stop = 0;
    const bool anyOutput = o.WantsRange() || !o.stills.empty() || !o.contactSheet.empty();
    if (o.WantsRange() || !anyOutput) stop = rangeEnd;
    for (int64_t f : stillFrames) stop = std::max(stop, f + 1);
    // The contact sheet's frames are known once the show is up (PlanContactSheet).
    const int64_t stopWithoutSheet = stop;
    if (!o.contactSheet.empty()) stop = kNoEnd;

    // Folders named for outputs are made here, so that a fresh output path just works.
    for (const std::string* file : {&o.out, &o.lossless, &o.contactSheet}) {
        if (file->empty()) continue;
        fs::create_directories(fs::path(*file).parent_path(), ec);
        if (!fs::is_directory(fs::path(*file).parent_path())) {
            return fail("cannot make the folder of " + *file);
        }
    }

    Outputs out;
    std::string error;
    const int width = o.width, height = o.height;
    if (!o.out.empty()) {
        out.h264 = std::make_unique<VideoWriter>();
        if (!out.h264->Begin(VideoKind::H264, o.out, ffmpeg, width, height, o.fps, error)) return fail(error);
    }
    if (!o.lossless.empty()) {
        out.lossless = std::make_unique<VideoWriter>();
        if (!out.lossless->Begin(VideoKind::Lossless, o.lossless, ffmpeg, width, height, o.fps, error)) return fail(error);
    }
    if (!o.pieceVideo.empty()) {
        out.piece = std::make_unique<VideoWriter>();
        if (!out.piece->Begin(VideoKind::Piece, o.pieceVideo, ffmpeg, width, height, o.fps, error)) return fail(error);
    }
    for (const std::string* dir : {&o.framesDir, o.stills.empty() ? nullptr : &o.stillsDir}) {
        if (dir == nullptr || dir->empty()) continue;
        fs::create_directories(*dir, ec);
        if (!fs::is_directory(*dir)) return fail("cannot make the folder " + *dir);
    }
    if (!o.traceDir.empty()) {
        out.trace = std::make_unique<TraceWriter>();
        if (!out.trace->Open(o.traceDir, error)) return fail(error);
    }
    if (!o.contactSheet.empty()) out.sheet = std::make_unique<ContactSheet>();

    summary_ = {};
    summary_.firstFrame = first;
    summary_.seed = seed;

    ShowSetup setup;
    setup.options.windowed = 1;
    setup.options.noSound = 1;  // the music is rendered offline into the video instead
    setup.options.cancelled = 0;
    setup.readScene = &ReadLightWaveScene;
    setup.headless = true;
    setup.runTimer = false;
    setup.sparkSeed = summary_.seed;
    CaptureSink sink;
    setup.sink = &sink;

    auto traced = [&](int64_t f) { return out.trace && f >= first && f < rangeEnd; };
    auto beginTrace = [&] {
        Device* device = GetDevice();
        if (device == nullptr) return;
        device->GetCallRecord().Clear();
        device->GetCallRecord().Enable(true);
        out.trace->BeginFrame(device->GetState());
    };
    if (traced(0)) sink.onCreated = beginTrace;

    auto wantsCapture = [&](int64_t f) {
        if (observer_ || out.sheet) return true;
        if (f >= first && f < rangeEnd && (out.h264 || out.lossless || out.piece || !o.framesDir.empty())) return true;
        return std::find(stillFrames.begin(), stillFrames.end(), f) != stillFrames.end();
    };
    sink.want = wantsCapture(0);

    const bool tty = isatty(2) != 0;
    const int64_t estimatedEnd =
        std::min(stop, rangeEnd != kNoEnd ? rangeEnd : clock.FirstFrameAtOrAfter(kNominalShowSeconds));
    auto lastProgress = SteadyClock::now();
    double outputSeconds = 0.0;
    double outputCpu = 0.0;
    double firstFrameCpu = 0.0;  // when the first frame has been drawn, less any seeking before it
    double lastOutputEndCpu = 0.0;
    std::string runError;
    int64_t frame = 0;
    Image scaled;

    auto afterPresent = [&](Show& show) {
        const auto t0 = SteadyClock::now();
        const double cpu0 = CpuSeconds();
        const int64_t k = frame;
        if (summary_.framesDrawn++ == 0) firstFrameCpu = cpu0 - summary_.seekCpuSeconds;
        // The processor time since the last frame's outputs were done is this frame's drawing
        // (with the clock's update and the message pump), charged to the part it drew.
        const int drawn = show.GetLastDrawnPart();
        if (summary_.framesDrawn > 1 && drawn >= 0 && drawn < kPartCount) {
            summary_.partCpuSeconds[size_t(drawn)] += cpu0 - lastOutputEndCpu;
            ++summary_.partFrames[size_t(drawn)];
        }
        const double seconds = clock.SecondsAt(k);
        if (sink.want) {
            const Image& full = sink.image;
            FrameInfo info{k, seconds, show.GetLastDrawnPart(), show.GetFlashLevel()};
            if (observer_) observer_(info, full);
            if (out.sheet) out.sheet->Add(info.part, seconds, full);
            const bool inRange = k >= first && k < rangeEnd;
            const bool isStill = std::find(stillFrames.begin(), stillFrames.end(), k) != stillFrames.end();
            if ((inRange && (out.h264 || out.lossless || out.piece || !o.framesDir.empty())) || isStill) {
                const Image* image = &full;
                if (width != full.width || height != full.height) {
                    ScaleToFit(full, width, height, scaled);
                    image = &scaled;
                }
                if (inRange && out.h264 && !out.h264->AddFrame(*image, error)) runError = error;
                if (inRange && out.lossless && !out.lossless->AddFrame(*image, error)) runError = error;
                if (inRange && out.piece && !out.piece->AddFrame(*image, error)) runError = error;
                if (inRange && !o.framesDir.empty()) {
                    char name[32];
                    std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(k));
                    if (!WritePng(o.framesDir + name, *image)) runError = "cannot write " + o.framesDir + name;
                }
                for (size_t i = 0; i < stillFrames.size(); ++i) {
                    if (stillFrames[i] == k && !WritePng(StillName(o.stillsDir, o.stills[i].label), *image)) {
                        runError = "cannot write " + StillName(o.stillsDir, o.stills[i].label);
                    }
                }
            }
        }
        if (k >= first && k < rangeEnd) ++summary_.framesWritten;
        if (traced(k)) {
            Device* device = GetDevice();
            D3DXContext* context = GetContext();
            if (device && context) out.trace->EndFrame(context->GetClearColor(), device->GetCallRecord().Calls());
            if (device) device->GetCallRecord().Clear();
            if (device && !traced(k + 1)) device->GetCallRecord().Enable(false);
        }
        if (traced(k + 1) && !traced(k)) beginTrace();
        else if (traced(k + 1)) out.trace->BeginFrame(GetDevice()->GetState());

        // The clock: exactly the ticks that bring it to frame k + 1's time.
        show.TickClock(static_cast<int>(clock.TicksAfter(k)));
        frame = k + 1;
        sink.want = wantsCapture(frame);
        if (frame >= stop || !runError.empty()) show.GetDisplay()->KeyDown(kVirtualKeyEscape);
        if (show.GetQuitFlag() != 0) summary_.showEnded = true;

        outputSeconds += Since(t0);
        lastOutputEndCpu = CpuSeconds();
        outputCpu += lastOutputEndCpu - cpu0;
        if (!o.quiet && (Since(lastProgress) >= (tty ? 0.5 : 10.0))) {
            lastProgress = SteadyClock::now();
            const double elapsed = Since(started);
            const double fps = double(frame) / std::max(elapsed, 1e-9);
            const double left = double(std::max<int64_t>(estimatedEnd - frame, 0)) / std::max(fps, 1e-9);
            std::fprintf(stderr, "%sframe %lld/%lld  show %.1f s  %.0f fps  %.0f s left%s", tty ? "\r" : "",
                         static_cast<long long>(frame), static_cast<long long>(estimatedEnd), clock.SecondsAt(frame),
                         fps, left, tty ? "   " : "\n");
        }
    };

    Show show;
    const auto showStart = SteadyClock::now();
    const double showCpuStart = CpuSeconds();
    // Frames no output needs are simulated, not drawn.
    std::array<int64_t, 9> sheetFrames;
    sheetFrames.fill(-1);
    auto needed = [&](int64_t f) {
        if (observer_ || (f >= first && f < rangeEnd && (o.WantsRange() || !anyOutput))) return true;
        if (std::find(stillFrames.begin(), stillFrames.end(), f) != stillFrames.end()) return true;
        return out.sheet && std::find(sheetFrames.begin(), sheetFrames.end(), f) != sheetFrames.end();
    };
    auto beforeFrame = [&](Show& s) {
        if (out.sheet && frame == 0) {
            sheetFrames = PlanContactSheet(s, clock);
            if (!o.WantsRange()) stop = std::max(stopWithoutSheet, *std::max_element(sheetFrames.begin(), sheetFrames.end()) + 1);
        }
        const auto t0 = SteadyClock::now();
        const double cpu0 = CpuSeconds();
        const int64_t next = SkipToNeededFrame(s, clock, frame, stop, needed);
        summary_.seekSeconds += Since(t0);
        summary_.seekCpuSeconds += CpuSeconds() - cpu0;
        if (s.GetQuitFlag() != 0) summary_.showEnded = true;
        if (next == frame) return;
        frame = next;
        sink.want = wantsCapture(frame);
        if (traced(frame)) beginTrace();
        lastOutputEndCpu = CpuSeconds();
    };
    const int code = RunShow(show, setup, afterPresent, beforeFrame);
    const double showSeconds = Since(showStart);
    const double showCpuEnd = CpuSeconds();
    summary_.renderCpuSeconds = showCpuEnd - showCpuStart - outputCpu;
    summary_.startupCpuSeconds = firstFrameCpu - showCpuStart;
    if (!o.quiet && tty) std::fprintf(stderr, "\n");
    summary_.framesRun = frame;
    summary_.renderSeconds = showSeconds - outputSeconds;
    if (code != 0) return fail("the show could not start in " + fs::current_path().string() +
                               " (are kelvarin.pak and its data complete?)");
    if (!runError.empty()) return fail(runError);

    for (size_t i = 0; i < stillFrames.size(); ++i) {
        if (stillFrames[i] >= frame) {
            return fail("the still at " + o.stills[i].label + " s lies after the show's end at " +
                        std::to_string(clock.SecondsAt(frame)) + " s");
        }
    }
    // The other jobs' pieces, in order: their frames into this process's encoders.
    for (size_t i = 1; i < pieces.size(); ++i) {
        if (!WaitPiece(pieces[i], error)) return fail(error);
        if (pieces[i].video.empty()) continue;
        const bool read = ReadPieceFrames(ffmpeg, pieces[i], width, height, [&](const Image& image, std::string& e) {
            for (VideoWriter* v : {out.h264.get(), out.lossless.get()}) {
                if (v && !v->AddFrame(image, e)) return false;
            }
            return true;
        }, error);
        std::remove(pieces[i].video.c_str());
        if (!read) return fail(error);
        summary_.framesWritten += pieces[i].end - pieces[i].first;
    }
    const int64_t written = summary_.framesWritten;
    if (o.WantsRange() && written == 0) {
        return fail("no frame to record: --from lies after the show's end at " + std::to_string(clock.SecondsAt(frame)) +
                    " s");
    }
    if (out.trace && !out.trace->Close(error)) return fail(error);
    if (out.h264 || out.lossless) {
        Pcm pcm;
        if (o.audio) {
            const int64_t a = clock.SamplesAt(first, o.sampleRate), b = clock.SamplesAt(first + written, o.sampleRate);
            if (!RenderModule(o.module, o.sampleRate, a, b, pcm, error)) return fail(error);
        }
        for (VideoWriter* v : {out.h264.get(), out.lossless.get()}) {
            if (v && !v->Finish(o.audio ? &pcm : nullptr, error)) return fail(error);
        }
    }
    if (out.piece && !out.piece->Finish(nullptr, error)) return fail(error);
    if (out.sheet && !out.sheet->Write(o.contactSheet, kDefaultFont, error)) return fail(error);
    summary_.totalSeconds = Since(started);

    if (!o.quiet) {
        std::fprintf(stderr,
                     "coldmeridian-record: %lld frames at %u/%u fps (show %.3f to %.3f s, seed %u)%s; "
                     "rendering %.2f s (%.0f fps; processor time %.2f s, %.0f fps), whole run %.2f s\n",
                     static_cast<long long>(frame), o.fps.num, o.fps.den, clock.SecondsAt(first),
                     clock.SecondsAt(first + written), summary_.seed, summary_.showEnded ? ", to the show's end" : "",
                     summary_.renderSeconds, double(frame) / std::max(summary_.renderSeconds, 1e-9),
                     summary_.renderCpuSeconds, double(frame) / std::max(summary_.renderCpuSeconds, 1e-9),
                     summary_.totalSeconds);
        if (summary_.framesDrawn < frame) {
            std::fprintf(stderr, "coldmeridian-record: %lld frames drawn, the other %lld simulated in %.2f s (%.2f s of processor time)\n",
                         static_cast<long long>(summary_.framesDrawn), static_cast<long long>(frame - summary_.framesDrawn),
                         summary_.seekSeconds, summary_.seekCpuSeconds);
        }
        // Drawn frames after the first, without start-up, seeking, shutdown or output work: the drawing rate.
        const double drawing = summary_.renderCpuSeconds - summary_.startupCpuSeconds - summary_.seekCpuSeconds;
        const int64_t after = summary_.framesDrawn - 1;
        if (after > 0) {
            std::fprintf(stderr, "coldmeridian-record: start-up %.2f s of processor time; %lld frames after the first drawn at %.0f fps\n",
                         summary_.startupCpuSeconds, static_cast<long long>(after), double(after) / std::max(drawing, 1e-9));
            for (int p = 0; p < kPartCount; ++p) {
                const int64_t n = summary_.partFrames[size_t(p)];
                if (n == 0) continue;
                std::fprintf(stderr, "  part %d %-17s %6lld frames  %6.0f fps\n", p + 1, kPartNames[p],
                             static_cast<long long>(n), double(n) / std::max(summary_.partCpuSeconds[size_t(p)], 1e-9));
            }
        }
        for (const std::string* p : {&o.out, &o.lossless, &o.contactSheet}) {
            if (!p->empty()) std::fprintf(stderr, "coldmeridian-record: wrote %s\n", p->c_str());
        }
        if (!o.traceDir.empty()) std::fprintf(stderr, "coldmeridian-record: wrote %s/trace.txt\n", o.traceDir.c_str());
    }
    return 0;
}

}  // namespace cm::record
