#include "RecordOptions.h"

#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <tuple>
#include <utility>

namespace cm::record {

namespace {
std::optional<double> ParseSeconds(const std::string& s) {
    if (s.empty() || s.size() > 32) return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s.c_str(), &end);
    // A day is far beyond any show; the bound keeps frame numbers small.
    if (errno != 0 || end != s.c_str() + s.size() || !std::isfinite(v) || v < 0.0 || v > 86400.0) return std::nullopt;
    return v;
}

std::optional<uint64_t> ParseUnsigned(const std::string& s, uint64_t max) {
    if (s.empty() || s.size() > 20) return std::nullopt;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + uint64_t(c - '0');
        if (v > max) return std::nullopt;
    }
    return v;
}

// An action for a value parsed by parse, stored by store; a refused value gets `wants` and the value.
template <typename Parse, typename Store>
CommandOption::Apply Parsed(Parse parse, Store store, std::string wants) {
    return [=](const std::string& v, std::string& error) {
        const auto parsed = parse(v);
        if (!parsed) {
            error = wants + ", not '" + v + "'";
            return false;
        }
        store(*parsed);
        return true;
    };
}

std::optional<std::pair<int, int>> ParseSize(const std::string& v) {
    const size_t x = v.find('x');
    if (x == std::string::npos) return std::nullopt;
    const auto w = ParseUnsigned(v.substr(0, x), 7680);
    const auto h = ParseUnsigned(v.substr(x + 1), 4320);
    if (!w || !h || *w < 16 || *h < 16) return std::nullopt;
    return std::pair{int(*w), int(*h)};
}

CommandOption::Apply ParseStills(std::vector<Still>& stills) {
    return [&stills](const std::string& v, std::string& error) {
        std::stringstream list(v);
        std::string item;
        while (std::getline(list, item, ',')) {
            const auto t = ParseSeconds(item);
            if (!t) {
                error = "wants show seconds separated by commas, not '" + item + "'";
                return false;
            }
            stills.push_back({item, *t});
        }
        if (stills.empty() || stills.size() > 10000) {
            error = "wants 1 to 10000 times";
            return false;
        }
        return true;
    };
}

std::vector<CommandOption> OutputOptions(RecordOptions& o) {
    return {
        {"--out", "FILE.mp4", "H.264 video with AAC music", SetText(o.out)},
        {"--lossless", "FILE.mkv", "FFV1 video (RGB) with FLAC music", SetText(o.lossless)},
        {"--frames", "DIR", "every frame as DIR/frame_NNNNNN.png (N = frame number from 0)", SetText(o.framesDir)},
        {"--stills", "T,T,...", "single frames at these show seconds, as still_T.png", ParseStills(o.stills)},
        {"--still-dir", "DIR", "where stills go (default: here)", SetText(o.stillsDir)},
        {"--contact-sheet", "FILE", "one PNG with a labelled frame from the middle of each part",
         SetText(o.contactSheet)},
        {"--trace", "DIR", "device calls of the frames in range, DIR/trace.txt and textures", SetText(o.traceDir)},
    };
}

std::vector<CommandOption> SettingOptions(RecordOptions& o) {
    const auto seconds = [](const std::string& v) { return ParseSeconds(v); };
    std::vector<CommandOption> table = {
        {"--fps", "N or N/D", "frames per second (default 60)",
         Parsed(ParseFrameRate, [&o](FrameRate r) { o.fps = r; }, "wants N or N/D frames a second (at most 1000)")},
        {"--from", "T", "show seconds to record from (default: the start)",
         Parsed(seconds, [&o](double t) { o.from = t; }, "wants show seconds from 0 to 86400")},
        {"--to", "T", "show seconds to record to (default: the show's end)",
         Parsed(seconds, [&o](double t) { o.to = t; }, "wants show seconds from 0 to 86400")},
        {"--seed", "N", "seed of the sparks (default: the calendar time)",
         Parsed([](const std::string& v) { return ParseUnsigned(v, 0xFFFFFFFFu); },
                [&o](uint64_t s) { o.seed = uint32_t(s); }, "wants a number from 0 to 4294967295")},
        {"--jobs", "N", "record the range in N processes, each a piece of it (the same bytes as one)",
         Parsed([](const std::string& v) { const auto n = ParseUnsigned(v, 64); return n == 0u ? std::nullopt : n; },
                [&o](uint64_t n) { o.jobs = int(n); },
                "wants a number of processes from 1 to 64")},
        {"--size", "WxH", "draw the picture at WxH: 4:3 picture centred, bars beside (default 640x480)",
         Parsed(ParseSize, [&o](std::pair<int, int> s) { std::tie(o.width, o.height) = s; },
                "wants WxH from 16x16 to 7680x4320")},
        {"--no-audio", "", "no music in the video", [&o](const std::string&, std::string&) {
             o.audio = false;
             return true;
         }},
        {"--audio-rate", "R", "44100 or 48000 (default 48000)",
         Parsed([](const std::string& v) { return ParseUnsigned(v == "44100" || v == "48000" ? v : "", 48000); },
                [&o](uint64_t r) { o.sampleRate = uint32_t(r); }, "is 44100 or 48000")},
        {"--data", "DIR", "folder with kelvarin.pak and kelvarin.xm (default: beside this program)", SetText(o.dataDir)},
        {"--ffmpeg", "PATH", "the ffmpeg program (default: ffmpeg on PATH)", SetText(o.ffmpeg)},
        {"--quiet", "", "no progress line", SetFlag(o.quiet)},
        {"--echo", "", "keep the scene reader's echo on standard output", SetFlag(o.echo)},
        {"--help", "", "print this help and exit", SetFlag(o.help), "-h"},
    };
    std::vector<CommandOption> render = RenderOptionRows(o.render);
    table.insert(table.end() - 4, render.begin(), render.end());  // before --quiet, --echo, --help
    return table;
}

bool HasExtension(const std::string& file, const std::string& extension) {
    if (file.size() <= extension.size()) return false;
    const std::string tail = file.substr(file.size() - extension.size());
    return std::equal(tail.begin(), tail.end(), extension.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

// The container is fixed by the option, so the file's extension must name it.
bool CheckVideoExtensions(const RecordOptions& o, std::string& error) {
    const char* const which = "--out takes a .mp4 file (H.264 in MP4), --lossless a .mkv file (FFV1 in Matroska)";
    for (const auto& [option, file, extension] : {std::tuple{"--out", &o.out, ".mp4"},
                                                  std::tuple{"--lossless", &o.lossless, ".mkv"}}) {
        if (!file->empty() && !HasExtension(*file, extension)) {
            error = std::string(option) + " '" + *file + "': " + which;
            return false;
        }
    }
    return true;
}

// What no single option can check: the options against each other.
bool CheckCombination(const RecordOptions& o, std::string& error) {
    if (!CheckVideoExtensions(o, error)) return false;
    if (o.to && *o.to <= o.from) {
        error = "--to must come after --from";
        return false;
    }
    if (!o.out.empty() && o.out == o.lossless) {
        error = "--out and --lossless name the same file";
        return false;
    }
    return true;
}
}  // namespace

std::string RecordUsage() {
    RecordOptions unused;
    return "usage: coldmeridian-record [options]\n"
           "Runs the show headless at a fixed frame rate and records it.\n"
           "Outputs (any together; with none, the show is only rendered and timed):\n" +
           DescribeOptions(OutputOptions(unused)) + "Options:\n" + DescribeOptions(SettingOptions(unused));
}

std::optional<RecordOptions> ParseRecordOptions(const std::vector<std::string>& args, std::string& error) {
    RecordOptions o;
    std::vector<CommandOption> table = OutputOptions(o);
    for (CommandOption& option : SettingOptions(o)) table.push_back(std::move(option));
    if (!ParseCommandLine(table, args, error) || !CheckCombination(o, error)) return std::nullopt;
    return o;
}

}  // namespace cm::record
