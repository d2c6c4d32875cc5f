#include "Recorder.h"

#include "ContactSheet.h"
#include "FfmpegProcess.h"
#include "FrameScaler.h"
#include "FrameSkip.h"
#include "Interrupt.h"
#include "ModuleAudio.h"
#include "PartSeconds.h"
#include "Pieces.h"
#include "TraceWriter.h"
#include "VideoWriter.h"

#include "app/CommandLine.h"
#include "app/DataFolder.h"
#include "app/DemoClock.h"
#include "app/LightWaveScenes.h"
#include "app/Show.h"
#include "app/ShowLength.h"
#include "display/DisplayDevice.h"
#include "display/Registry.h"
#include "platform/d3dx/D3DX.h"
#include "platform/d3dx/FrameSink.h"
#include "platform/device/Device.h"
#include "platform/window/Window.h"
#include "scene/SceneGraph.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <time.h>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>

namespace cm::record {

namespace fs = std::filesystem;

namespace {
using SteadyClock = std::chrono::steady_clock;
constexpr int64_t kNoEnd = std::numeric_limits<int64_t>::max();
// Well past the show's end: counting its frames stops here if the credits never end.
constexpr double kShowSecondsBound = 400.0;

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

struct Outputs {
    std::unique_ptr<VideoWriter> h264;
    std::unique_ptr<VideoWriter> lossless;
    std::unique_ptr<VideoWriter> piece;  // a job's frames (RecordOptions::pieceVideo)
    std::unique_ptr<TraceWriter> trace;
    std::unique_ptr<ContactSheet> sheet;
};

// The frames a run draws and which of them go where.
struct FramePlan {
    int64_t first = 0;     // the range's first frame
    int64_t rangeEnd = 0;  // one past the range's last frame (kNoEnd: to the show's end)
    int64_t stop = 0;      // the run stops after the frame before this one
    bool rangeUsed = false;  // by a range output, or by a run with no output at all (for timing)
    std::vector<int64_t> stillFrames;

    bool InRange(int64_t f) const { return f >= first && f < rangeEnd; }
    bool IsStill(int64_t f) const { return std::find(stillFrames.begin(), stillFrames.end(), f) != stillFrames.end(); }
};

// Wall and processor time of the run, split between drawing and writing outputs.
struct Timing {
    SteadyClock::time_point started = SteadyClock::now();
    SteadyClock::time_point lastProgress = started;
    double outputSeconds = 0.0;
    double outputCpu = 0.0;
    double firstFrameCpu = 0.0;  // when the first frame has been drawn, less any seeking before it
    double lastOutputEndCpu = 0.0;
    SteadyClock::time_point lastOutputEnd = started;
};

std::string StillName(const std::string& dir, const std::string& label) { return dir + "/still_" + label + ".png"; }

// A job of a parallel recording (in a child process): only its piece of the range, its video
// frames to the piece's file, its PNG frames where the recording's go.
int RecordPiece(RecordOptions o, const std::string& dataDir, const Piece& piece) {
    const FrameClock clock(o.fps);
    o.from = clock.SecondsAt(piece.first);
    o.to = clock.SecondsAt(piece.end);
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

int Fail(const std::string& message, int code = 1) {
    std::fprintf(stderr, "coldmeridian-record: %s\n", message.c_str());
    return code;
}

// Whether file can be written: its folder is made if needed and a file is created there (and
// removed again unless it was there before). False naming the file and the reason.
bool CheckWritable(const std::string& file, std::string& error) {
    const fs::path folder = fs::path(file).parent_path();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder)) {
        error = "cannot write " + file + ": cannot make its folder" + (ec ? ": " + ec.message() : "");
        return false;
    }
    const bool existed = fs::exists(file, ec);
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot write " + file + ": " + std::strerror(errno);
        return false;
    }
    close(fd);
    if (!existed) unlink(file.c_str());
    return true;
}

// The same for a folder that files will be written in.
bool CheckWritableFolder(const std::string& dir, std::string& error) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir)) {
        error = "cannot make the folder " + dir + (ec ? ": " + ec.message() : "");
        return false;
    }
    if (access(dir.c_str(), W_OK) != 0) {
        error = "cannot write in the folder " + dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// One run of the recorder, step by step: the steps return false with the reason in error_.
class Session {
public:
    Session(RecordOptions& options, const Recorder::Observer& observer, RecordSummary& summary)
        : o_(options), observer_(observer), summary_(summary), clock_(options.fps) {}

    int Run();

private:
    bool FindInputs();
    bool PlanFrames();
    bool CheckPlanAgainstShowEnd();
    bool StartJobs();
    bool OpenOutputs();
    void BeforeFrame(Show& show);
    bool Needed(int64_t f) const;
    bool JoinJobs();
    ShowSetup MakeShowSetup();
    void OnFrame(Show& show);
    bool WantsCapture(int64_t f) const;
    void WriteFrame(const FrameInfo& info, const Image& full);
    void ChargeDrawing(const Show& show, double cpu);
    void TraceAfter(int64_t k);
    void BeginTrace();
    void PrintProgress();
    bool CheckRunCoveredOutputs();
    bool FinishOutputs();
    void PrintSummary() const;

    RecordOptions& o_;
    const Recorder::Observer& observer_;
    RecordSummary& summary_;
    const FrameClock clock_;
    FramePlan plan_;
    Outputs out_;
    CaptureSink sink_;
    Timing timing_;
    std::string ffmpeg_;
    std::string error_;
    std::string runError_;
    int failCode_ = 1;     // 2 for a request that cannot be met, 1 for a failure
    int64_t showFrames_ = 0;  // the frames the show draws before it ends
    int64_t frame_ = 0;
    int64_t estimatedEnd_ = 0;
    bool tty_ = isatty(2) != 0;
    Image scaled_;
    std::vector<Piece> pieces_;  // with --jobs: the range's pieces, this process's first
    std::array<int64_t, 9> sheetFrames_{-1, -1, -1, -1, -1, -1, -1, -1, -1};
    int64_t stopWithoutSheet_ = 0;
    PartSeconds seconds_;  // wall time of drawing per second of each part
};

int Session::Run() {
    for (std::string* p : {&o_.out, &o_.lossless, &o_.framesDir, &o_.stillsDir, &o_.contactSheet, &o_.traceDir}) {
        *p = Absolute(*p);
    }
    // Children that have not finished when the session ends are stopped.
    struct StopOnExit {
        std::vector<Piece>& pieces;
        ~StopOnExit() { StopPieces(pieces); }
    } stopJobs{pieces_};
    if (!FindInputs() || !PlanFrames() || !StartJobs() || !OpenOutputs()) return Fail(error_, failCode_);

    const ShowSetup setup = MakeShowSetup();
    Show show;
    const auto showStart = SteadyClock::now();
    const double showCpuStart = CpuSeconds();
    const int code = RunShow(show, setup, [this](Show& s) { OnFrame(s); }, [this](Show& s) { BeforeFrame(s); });
    const double showSeconds = Since(showStart);
    summary_.renderCpuSeconds = CpuSeconds() - showCpuStart - timing_.outputCpu;
    summary_.startupCpuSeconds = timing_.firstFrameCpu - showCpuStart;
    if (!o_.quiet && tty_) std::fprintf(stderr, "\n");
    summary_.framesRun = frame_;
    summary_.renderSeconds = showSeconds - timing_.outputSeconds;
    if (code != 0) {
        return Fail("the show could not start: " + show.GetStartupFailure());
    }
    if (!runError_.empty() || !JoinJobs() || !CheckRunCoveredOutputs() || !FinishOutputs()) {
        // The outputs' writers remove what they had not finished as the session ends.
        if (const int signal = InterruptSignal()) {
            return Fail("stopped by signal " + std::to_string(signal) + "; unfinished outputs removed", 128 + signal);
        }
        return Fail(runError_.empty() ? error_ : runError_);
    }
    summary_.totalSeconds = Since(timing_.started);
    if (!o_.quiet) PrintSummary();
    return 0;
}

// The data folder (entered: the show reads its files by relative names), and for videos the
// ffmpeg program and the music module.
bool Session::FindInputs() {
    const DataSearch search = FindDataFolder(o_.dataDir);
    if (search.folder.empty()) {
        error_ = DescribeMissingData(search);
        return false;
    }
    std::error_code ec;
    fs::current_path(search.folder, ec);
    if (ec) {
        error_ = "cannot enter the data folder " + search.folder + ": " + ec.message();
        return false;
    }
    if (!o_.WantsVideo()) return true;
    ffmpeg_ = FindProgram(o_.ffmpeg);
    if (ffmpeg_.empty()) {
        error_ = "cannot find the ffmpeg program '" + o_.ffmpeg +
                 "': install ffmpeg (apt-get install ffmpeg) or name it with --ffmpeg PATH";
        return false;
    }
    if (o_.audio && !fs::exists(o_.module)) {
        error_ = "no music module " + o_.module + " in " + fs::current_path().string() +
                 " (build the content, or record with --no-audio)";
        return false;
    }
    return true;
}

bool Session::PlanFrames() {
    failCode_ = 2;
    plan_.first = clock_.FirstFrameAtOrAfter(o_.from);
    plan_.rangeEnd = o_.to ? clock_.FirstFrameAtOrAfter(*o_.to) : kNoEnd;
    if (plan_.rangeEnd <= plan_.first) {
        error_ = "no frame lies between --from and --to at this frame rate";
        return false;
    }
    for (const Still& s : o_.stills) plan_.stillFrames.push_back(clock_.FirstFrameAtOrAfter(s.seconds));
    // The run stops after the last frame any output needs; with no output at all it only
    // renders the range, for timing.
    const bool anyOutput = o_.WantsRange() || !o_.stills.empty() || !o_.contactSheet.empty();
    plan_.rangeUsed = o_.WantsRange() || !anyOutput;
    if (plan_.rangeUsed) plan_.stop = plan_.rangeEnd;
    for (int64_t f : plan_.stillFrames) plan_.stop = std::max(plan_.stop, f + 1);
    // The contact sheet's frames are known once the show is up (PlanContactSheet).
    stopWithoutSheet_ = plan_.stop;
    // An observer (the tests' eye) sees the show to its end, whatever the outputs need.
    if (!o_.contactSheet.empty() || (observer_ && !plan_.rangeUsed)) plan_.stop = kNoEnd;
    showFrames_ = CountShowFrames([this](int64_t n) { return clock_.TicksAfter(n); },
                                  clock_.FirstFrameAtOrAfter(kShowSecondsBound));
    estimatedEnd_ = std::min(plan_.stop, showFrames_);
    if (!CheckPlanAgainstShowEnd()) return false;
    failCode_ = 1;
    return true;
}

// A range or still after the show's end is refused before anything is drawn.
bool Session::CheckPlanAgainstShowEnd() {
    std::ostringstream last;
    last << clock_.SecondsAt(showFrames_ - 1);
    const std::string end = " lies after the show's end (its last frame is at " + last.str() + " s at this frame rate)";
    if (plan_.rangeUsed && plan_.first >= showFrames_) {
        std::ostringstream from;
        from << o_.from;
        error_ = "no frame to draw: --from " + from.str() + " s" + end;
        return false;
    }
    for (size_t i = 0; i < plan_.stillFrames.size(); ++i) {
        if (plan_.stillFrames[i] >= showFrames_) {
            error_ = "the still at " + o_.stills[i].label + " s" + end;
            return false;
        }
    }
    return true;
}

// --jobs: the range in contiguous pieces, all but the first recorded by child processes that
// start here, before this process starts any ffmpeg of its own.
bool Session::StartJobs() {
    if (o_.jobs <= 1 || !o_.WantsRange()) return true;
    if (!o_.traceDir.empty()) {
        error_ = "--trace is written by one process: leave out --jobs";
        return false;
    }
    if (!o_.seed) o_.seed = static_cast<uint32_t>(std::time(nullptr));  // one seed for every job
    pieces_ = SplitRange(plan_.first, std::min(plan_.rangeEnd, showFrames_), o_.jobs);
    const std::string video = o_.out.empty() ? o_.lossless : o_.out;
    for (size_t i = 1; i < pieces_.size() && !video.empty(); ++i) {
        pieces_[i].video = video + ".job" + std::to_string(i) + ".nut";
    }
    if (!video.empty() && !CheckWritable(video, error_)) return false;
    const std::string here = fs::current_path().string();
    if (!StartPieces(pieces_, [&](const Piece& p) { return RecordPiece(o_, here, p); }, error_)) return false;
    plan_.rangeEnd = pieces_[0].end;  // this process records the first piece
    stopWithoutSheet_ = plan_.rangeEnd;
    for (int64_t f : plan_.stillFrames) stopWithoutSheet_ = std::max(stopWithoutSheet_, f + 1);
    if (plan_.stop != kNoEnd) plan_.stop = stopWithoutSheet_;
    return true;
}

// The other jobs' pieces, in order: their frames into this process's encoders.
bool Session::JoinJobs() {
    for (size_t i = 1; i < pieces_.size(); ++i) {
        if (!WaitPiece(pieces_[i], error_)) return false;
        if (pieces_[i].video.empty()) continue;
        const bool read = ReadPieceFrames(ffmpeg_, pieces_[i], o_.width, o_.height, [&](const Image& image, std::string& e) {
            for (VideoWriter* v : {out_.h264.get(), out_.lossless.get()}) {
                if (v && !v->AddFrame(image, e)) return false;
            }
            return true;
        }, error_);
        std::remove(pieces_[i].video.c_str());
        if (!read) return false;
        summary_.framesWritten += pieces_[i].end - pieces_[i].first;
    }
    return true;
}

bool Session::OpenOutputs() {
    // Folders named for outputs are made here, so that a fresh output path just works; a file
    // that cannot be written is refused before anything is drawn.
    for (const std::string* file : {&o_.out, &o_.lossless, &o_.contactSheet}) {
        if (!file->empty() && !CheckWritable(*file, error_)) return false;
    }
    for (const std::string* dir : {&o_.framesDir, o_.stills.empty() ? nullptr : &o_.stillsDir, &o_.traceDir}) {
        if (dir != nullptr && !dir->empty() && !CheckWritableFolder(*dir, error_)) return false;
    }
    if (!o_.out.empty()) {
        out_.h264 = std::make_unique<VideoWriter>();
        if (!out_.h264->Begin(VideoKind::H264, o_.out, ffmpeg_, o_.width, o_.height, o_.fps, error_)) return false;
    }
    if (!o_.lossless.empty()) {
        out_.lossless = std::make_unique<VideoWriter>();
        if (!out_.lossless->Begin(VideoKind::Lossless, o_.lossless, ffmpeg_, o_.width, o_.height, o_.fps, error_)) {
            return false;
        }
    }
    if (!o_.pieceVideo.empty()) {
        out_.piece = std::make_unique<VideoWriter>();
        if (!out_.piece->Begin(VideoKind::Piece, o_.pieceVideo, ffmpeg_, o_.width, o_.height, o_.fps, error_)) return false;
    }
    if (!o_.traceDir.empty()) {
        out_.trace = std::make_unique<TraceWriter>();
        if (!out_.trace->Open(o_.traceDir, error_)) return false;
    }
    if (!o_.contactSheet.empty()) out_.sheet = std::make_unique<ContactSheet>();
    return true;
}

// The show as the program runs it, windowed and silent (the music is rendered offline into the
// video instead), headless, its clock ticked here.
ShowSetup Session::MakeShowSetup() {
    summary_ = {};
    summary_.firstFrame = plan_.first;
    summary_.seed = o_.seed ? *o_.seed : static_cast<uint32_t>(std::time(nullptr));

    ShowSetup setup = HeadlessShowSetup(&ReadLightWaveScene, &sink_, summary_.seed);
    // Drawn at the largest 4:3 picture the output holds; WriteFrame adds the bars.
    setup.render = o_.render;
    if (setup.render.threads == 0) setup.render.threads = DefaultThreadCount(nullptr);
    const PictureRect picture = FitPicture(o_.width, o_.height);
    setup.render.width = picture.width;
    setup.render.height = picture.height;
    if (out_.trace && plan_.InRange(0)) sink_.onCreated = [this] { BeginTrace(); };
    sink_.want = WantsCapture(0);
    return setup;
}

bool Session::WantsCapture(int64_t f) const {
    if (observer_ || out_.sheet) return true;
    if (plan_.InRange(f) && (out_.h264 || out_.lossless || out_.piece || !o_.framesDir.empty())) return true;
    return plan_.IsStill(f);
}

// Whether frame f must be drawn; the others are simulated. An observer sees every frame.
bool Session::Needed(int64_t f) const {
    if (observer_ || (plan_.rangeUsed && plan_.InRange(f)) || plan_.IsStill(f)) return true;
    return out_.sheet && std::find(sheetFrames_.begin(), sheetFrames_.end(), f) != sheetFrames_.end();
}

// Before each frame: on to the next frame an output needs, the frames before it simulated.
void Session::BeforeFrame(Show& show) {
    const auto t0 = SteadyClock::now();
    const double cpu0 = CpuSeconds();
    if (out_.sheet && frame_ == 0) {
        sheetFrames_ = PlanContactSheet(show, clock_);
        const int64_t last = *std::max_element(sheetFrames_.begin(), sheetFrames_.end());
        if (!plan_.rangeUsed && !observer_) plan_.stop = std::max(stopWithoutSheet_, last + 1);
    }
    const int64_t next = SkipToNeededFrame(show, clock_, frame_, std::min(plan_.stop, showFrames_),
                                           [this](int64_t f) { return Needed(f); });
    summary_.seekSeconds += Since(t0);
    summary_.seekCpuSeconds += CpuSeconds() - cpu0;
    if (show.GetQuitFlag() != 0) summary_.showEnded = true;
    if (next == frame_) return;
    frame_ = next;
    sink_.want = WantsCapture(frame_);
    if (out_.trace && plan_.InRange(frame_)) BeginTrace();
    timing_.lastOutputEnd = SteadyClock::now();
    timing_.lastOutputEndCpu = CpuSeconds();
}

// After each frame's present: its outputs, its trace, then the clock moved to the next frame.
void Session::OnFrame(Show& show) {
    const auto t0 = SteadyClock::now();
    const double cpu0 = CpuSeconds();
    const int64_t k = frame_;
    if (summary_.framesDrawn++ == 0) timing_.firstFrameCpu = cpu0 - summary_.seekCpuSeconds;
    ChargeDrawing(show, cpu0);
    const int drawn = show.GetLastDrawnPart();
    if (summary_.framesDrawn > 1 && drawn >= 0 && drawn < kPartCount)
        seconds_.Add(drawn, clock_.SecondsAt(k), std::chrono::duration<double>(t0 - timing_.lastOutputEnd).count(),
                     cpu0 - timing_.lastOutputEndCpu);
    if (sink_.want) WriteFrame({k, clock_.SecondsAt(k), show.GetLastDrawnPart(), show.GetFlashLevel()}, sink_.image);
    if (plan_.InRange(k)) ++summary_.framesWritten;
    TraceAfter(k);

    // The clock: exactly the ticks that bring it to frame k + 1's time.
    show.TickClock(static_cast<int>(clock_.TicksAfter(k)));
    frame_ = k + 1;
    sink_.want = WantsCapture(frame_);
    if (InterruptSignal() != 0) runError_ = "interrupted";
    if (frame_ >= plan_.stop || !runError_.empty()) show.GetDisplay()->KeyDown(kVirtualKeyEscape);
    if (show.GetQuitFlag() != 0) summary_.showEnded = true;

    timing_.outputSeconds += Since(t0);
    timing_.lastOutputEnd = SteadyClock::now();
    timing_.lastOutputEndCpu = CpuSeconds();
    timing_.outputCpu += timing_.lastOutputEndCpu - cpu0;
    if (!o_.quiet && (Since(timing_.lastProgress) >= (tty_ ? 0.5 : 10.0))) PrintProgress();
}

// The processor time since the last frame's outputs were done is this frame's drawing (with the
// clock's update and the message pump), charged to the part it drew.
void Session::ChargeDrawing(const Show& show, double cpu) {
    const int drawn = show.GetLastDrawnPart();
    if (summary_.framesDrawn > 1 && drawn >= 0 && drawn < kPartCount) {
        summary_.partCpuSeconds[size_t(drawn)] += cpu - timing_.lastOutputEndCpu;
        ++summary_.partFrames[size_t(drawn)];
    }
}

void Session::WriteFrame(const FrameInfo& info, const Image& full) {
    const int64_t k = info.frame;
    if (observer_) observer_(info, full);
    if (out_.sheet) out_.sheet->Add(info.part, info.seconds, full);
    const bool inRange = plan_.InRange(k);
    if (!(inRange && (out_.h264 || out_.lossless || out_.piece || !o_.framesDir.empty())) && !plan_.IsStill(k)) return;
    const Image* image = &full;
    if (o_.width != full.width || o_.height != full.height) {
        CentreInside(full, o_.width, o_.height, scaled_);
        image = &scaled_;
    }
    std::string error;
    if (inRange && out_.h264 && !out_.h264->AddFrame(*image, error)) runError_ = error;
    if (inRange && out_.lossless && !out_.lossless->AddFrame(*image, error)) runError_ = error;
    if (inRange && out_.piece && !out_.piece->AddFrame(*image, error)) runError_ = error;
    if (inRange && !o_.framesDir.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(k));
        if (!WritePng(o_.framesDir + name, *image)) runError_ = "cannot write " + o_.framesDir + name;
    }
    for (size_t i = 0; i < plan_.stillFrames.size(); ++i) {
        const std::string still = StillName(o_.stillsDir, o_.stills[i].label);
        if (plan_.stillFrames[i] == k && !WritePng(still, *image)) runError_ = "cannot write " + still;
    }
}

bool Traced(const Outputs& out, const FramePlan& plan, int64_t f) { return out.trace && plan.InRange(f); }

void Session::BeginTrace() {
    Device* device = GetDevice();
    if (device == nullptr) return;
    device->GetCallRecord().Clear();
    device->GetCallRecord().Enable(true);
    out_.trace->BeginFrame(device->GetState());
}

// Ends frame k's trace and starts frame k + 1's when it is traced too.
void Session::TraceAfter(int64_t k) {
    const bool now = Traced(out_, plan_, k), next = Traced(out_, plan_, k + 1);
    if (now) {
        Device* device = GetDevice();
        D3DXContext* context = GetContext();
        if (device && context) out_.trace->EndFrame(context->GetClearColor(), device->GetCallRecord().Calls());
        if (device) device->GetCallRecord().Clear();
        if (device && !next) device->GetCallRecord().Enable(false);
    }
    if (next && !now) BeginTrace();
    else if (next) out_.trace->BeginFrame(GetDevice()->GetState());
}

void Session::PrintProgress() {
    timing_.lastProgress = SteadyClock::now();
    const double elapsed = Since(timing_.started);
    const double fps = double(frame_) / std::max(elapsed, 1e-9);
    const double left = double(std::max<int64_t>(estimatedEnd_ - frame_, 0)) / std::max(fps, 1e-9);
    std::fprintf(stderr, "%sframe %lld/%lld  show %.1f s  %.0f fps  %.0f s left%s", tty_ ? "\r" : "",
                 static_cast<long long>(frame_), static_cast<long long>(estimatedEnd_), clock_.SecondsAt(frame_), fps,
                 left, tty_ ? "   " : "\n");
}

// Stills and ranges that the show ended before reaching are errors, not empty outputs.
bool Session::CheckRunCoveredOutputs() {
    for (size_t i = 0; i < plan_.stillFrames.size(); ++i) {
        if (plan_.stillFrames[i] >= frame_) {
            error_ = "the still at " + o_.stills[i].label + " s lies after the show's end at " +
                     std::to_string(clock_.SecondsAt(frame_)) + " s";
            return false;
        }
    }
    if (o_.WantsRange() && summary_.framesWritten == 0) {
        error_ = "no frame to record: --from lies after the show's end at " + std::to_string(clock_.SecondsAt(frame_)) +
                 " s";
        return false;
    }
    return true;
}

// Closes the trace, adds the music to the videos and writes the contact sheet.
bool Session::FinishOutputs() {
    if (out_.trace && !out_.trace->Close(error_)) return false;
    if (InterruptSignal() != 0) return false;
    if (out_.h264 || out_.lossless) {
        Pcm pcm;
        if (o_.audio) {
            const int64_t a = clock_.SamplesAt(plan_.first, o_.sampleRate);
            const int64_t b = clock_.SamplesAt(plan_.first + summary_.framesWritten, o_.sampleRate);
            if (!RenderModule(o_.module, o_.sampleRate, a, b, pcm, error_)) return false;
        }
        for (VideoWriter* v : {out_.h264.get(), out_.lossless.get()}) {
            if (InterruptSignal() != 0 || (v && !v->Finish(o_.audio ? &pcm : nullptr, error_))) return false;
        }
    }
    if (out_.piece && !out_.piece->Finish(nullptr, error_)) return false;
    return !out_.sheet || out_.sheet->Write(o_.contactSheet, kDefaultFont, error_);
}

void Session::PrintSummary() const {
    const int64_t frame = frame_;
    // Rates count the frames drawn, in the time drawing them took: a run from a later second
    // simulates the frames before it, which are neither drawn nor counted.
    const double drawn = double(summary_.framesDrawn);
    std::fprintf(stderr,
                 "coldmeridian-record: %lld frames at %u/%u fps (show %.3f to %.3f s, seed %u)%s; "
                 "rendering %.2f s (%.0f fps; processor time %.2f s, %.0f fps), whole run %.2f s\n",
                 static_cast<long long>(frame), o_.fps.num, o_.fps.den, clock_.SecondsAt(plan_.first),
                 clock_.SecondsAt(plan_.first + summary_.framesWritten), summary_.seed,
                 summary_.showEnded ? ", to the show's end" : "", summary_.renderSeconds,
                 drawn / std::max(summary_.renderSeconds - summary_.seekSeconds, 1e-9), summary_.renderCpuSeconds,
                 drawn / std::max(summary_.renderCpuSeconds - summary_.seekCpuSeconds, 1e-9), summary_.totalSeconds);
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
            std::fprintf(stderr, "  part %d %-17s %6lld frames, %6.0f fps of processor time", p + 1, kPartNames[p],
                         static_cast<long long>(n), double(n) / std::max(summary_.partCpuSeconds[size_t(p)], 1e-9));
            // Wall time counts drawing on several threads once; processor time is not inflated
            // by other programs on a busy machine.
            if (const auto s = seconds_.Heaviest(p))
                std::fprintf(stderr, "; heaviest second %3d-%3d s: %5.0f fps", s->second, s->second + 1, s->Fps());
            if (const auto s = seconds_.Heaviest(p, true))
                std::fprintf(stderr, " (in processor time: %3d-%3d s, %5.0f fps)", s->second, s->second + 1, s->CpuFps());
            std::fprintf(stderr, "\n");
        }
    }
    for (const std::string* p : {&o_.out, &o_.lossless, &o_.contactSheet}) {
        if (!p->empty()) std::fprintf(stderr, "coldmeridian-record: wrote %s\n", p->c_str());
    }
    if (!o_.traceDir.empty()) std::fprintf(stderr, "coldmeridian-record: wrote %s/trace.txt\n", o_.traceDir.c_str());
}
}  // namespace

int Recorder::Run() {
    Session session(options_, observer_, summary_);
    return session.Run();
}

}  // namespace cm::record
