// Drawing time per second of show time within each part, to report each part's heaviest second
// (its slowest whole second of frames): in wall time, which counts drawing on several threads
// once, and in processor time, which other programs on a busy machine do not inflate.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace cm::record {

class PartSeconds {
public:
    // A frame of part (0..8) at show time showSeconds took wall seconds to draw, and cpu
    // seconds of the process's processor time (all threads).
    void Add(int part, double showSeconds, double wall, double cpu);

    struct Second {
        int second = 0;      // show seconds [second, second + 1)
        int64_t frames = 0;
        double wall = 0.0;
        double cpu = 0.0;
        double Fps() const { return wall > 0.0 ? static_cast<double>(frames) / wall : 0.0; }
        double CpuFps() const { return cpu > 0.0 ? static_cast<double>(frames) / cpu : 0.0; }
    };
    // The second of the part drawn at the lowest rate (in wall or processor time); seconds the
    // part only touches (fewer than half as many frames as its fullest second) are left out.
    std::optional<Second> Heaviest(int part, bool byCpu = false) const;

private:
    std::map<std::pair<int, int>, Second> seconds_;  // by (part, second)
};

}  // namespace cm::record
