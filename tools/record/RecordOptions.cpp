#include "RecordOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace cm::record {

const char* const kRecordUsage =
    "usage: coldmeridian-record [options]\n"
    "Runs the show headless at a fixed frame rate and records it.\n"
    "Outputs (any together; with none, the show is only rendered and timed):\n"
    "  --out FILE.mp4        H.264 video with AAC music\n"
    "  --lossless FILE.mkv   FFV1 video (RGB) with FLAC music\n"
    "  --frames DIR          every frame as DIR/frame_NNNNNN.png (N = frame number from 0)\n"
    "  --stills T,T,...      single frames at these show seconds, as still_T.png\n"
    "  --still-dir DIR       where stills go (default: here)\n"
    "  --contact-sheet FILE  one PNG with a labelled frame from the middle of each part\n"
    "  --trace DIR           device calls of the frames in range, DIR/trace.txt and textures\n"
    "Options:\n"
    "  --fps N or N/D        frames per second (default 60)\n"
    "  --from T, --to T      show seconds to record (default: the whole show)\n"
    "  --seed N              seed of the sparks (default: the calendar time)\n"
    "  --jobs N              record the range in N processes, each a piece of it (same bytes as one)\n"
    "  --size WxH            scale the 640x480 picture to fit WxH, shape kept (default 640x480)\n"
    "  --no-audio            no music in the video\n"
    "  --audio-rate R        44100 or 48000 (default 48000)\n"
    "  --data DIR            folder with kelvarin.pak and kelvarin.xm\n"
    "  --ffmpeg PATH         the ffmpeg program (default: ffmpeg on PATH)\n"
    "  --quiet               no progress line\n"
    "  --echo                keep the scene reader's echo on standard output\n";

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
}  // namespace

std::optional<RecordOptions> ParseRecordOptions(const std::vector<std::string>& args, std::string& error) {
    RecordOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--no-audio") {
            o.audio = false;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--echo") {
            o.echo = true;
        } else if (a == "--fps") {
            if (!value(v)) return std::nullopt;
            const auto r = ParseFrameRate(v);
            if (!r) {
                error = "--fps wants N or N/D frames a second (at most 1000), not '" + v + "'";
                return std::nullopt;
            }
            o.fps = *r;
        } else if (a == "--from" || a == "--to") {
            if (!value(v)) return std::nullopt;
            const auto t = ParseSeconds(v);
            if (!t) {
                error = a + " wants show seconds from 0 to 86400, not '" + v + "'";
                return std::nullopt;
            }
            if (a == "--from") o.from = *t;
            else o.to = *t;
        } else if (a == "--seed") {
            if (!value(v)) return std::nullopt;
            const auto s = ParseUnsigned(v, 0xFFFFFFFFu);
            if (!s) {
                error = "--seed wants a number from 0 to 4294967295, not '" + v + "'";
                return std::nullopt;
            }
            o.seed = uint32_t(*s);
        } else if (a == "--jobs") {
            if (!value(v)) return std::nullopt;
            const auto n = ParseUnsigned(v, 64);
            if (!n || *n < 1) {
                error = "--jobs wants a number of processes from 1 to 64, not '" + v + "'";
                return std::nullopt;
            }
            o.jobs = int(*n);
        } else if (a == "--size") {
            if (!value(v)) return std::nullopt;
            const size_t x = v.find('x');
            const auto w = x == std::string::npos ? std::nullopt : ParseUnsigned(v.substr(0, x), 3840);
            const auto h = x == std::string::npos ? std::nullopt : ParseUnsigned(v.substr(x + 1), 2160);
            if (!w || !h || *w < 16 || *h < 16) {
                error = "--size wants WxH from 16x16 to 3840x2160, not '" + v + "'";
                return std::nullopt;
            }
            o.width = int(*w);
            o.height = int(*h);
        } else if (a == "--audio-rate") {
            if (!value(v)) return std::nullopt;
            if (v != "44100" && v != "48000") {
                error = "--audio-rate is 44100 or 48000, not '" + v + "'";
                return std::nullopt;
            }
            o.sampleRate = uint32_t(std::stoul(v));
        } else if (a == "--stills") {
            if (!value(v)) return std::nullopt;
            std::stringstream list(v);
            std::string item;
            while (std::getline(list, item, ',')) {
                const auto t = ParseSeconds(item);
                if (!t) {
                    error = "--stills wants show seconds separated by commas, not '" + item + "'";
                    return std::nullopt;
                }
                o.stills.push_back({item, *t});
            }
            if (o.stills.empty() || o.stills.size() > 10000) {
                error = "--stills wants 1 to 10000 times";
                return std::nullopt;
            }
        } else if (a == "--out" || a == "--lossless" || a == "--frames" || a == "--still-dir" ||
                   a == "--contact-sheet" || a == "--trace" || a == "--data" || a == "--ffmpeg") {
            if (!value(v)) return std::nullopt;
            if (v.empty()) {
                error = a + " needs a non-empty value";
                return std::nullopt;
            }
            std::string* target = a == "--out"             ? &o.out
                                  : a == "--lossless"      ? &o.lossless
                                  : a == "--frames"        ? &o.framesDir
                                  : a == "--still-dir"     ? &o.stillsDir
                                  : a == "--contact-sheet" ? &o.contactSheet
                                  : a == "--trace"         ? &o.traceDir
                                  : a == "--data"          ? &o.dataDir
                                                           : &o.ffmpeg;
            *target = v;
        } else {
            error = "unknown option '" + a + "' (see --help)";
            return std::nullopt;
        }
    }
    if (o.to && *o.to <= o.from) {
        error = "--to must come after --from";
        return std::nullopt;
    }
    if (!o.out.empty() && o.out == o.lossless) {
        error = "--out and --lossless name the same file";
        return std::nullopt;
    }
    return o;
}

}  // namespace cm::record
