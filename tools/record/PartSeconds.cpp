#include "PartSeconds.h"

#include <cmath>

namespace cm::record {

void PartSeconds::Add(int part, double showSeconds, double wall, double cpu) {
    const int s = static_cast<int>(std::floor(showSeconds));
    Second& entry = seconds_[{part, s}];
    entry.second = s;
    ++entry.frames;
    entry.wall += wall;
    entry.cpu += cpu;
}

std::optional<PartSeconds::Second> PartSeconds::Heaviest(int part, bool byCpu) const {
    int64_t fullest = 0;
    for (const auto& [key, s] : seconds_)
        if (key.first == part && s.frames > fullest) fullest = s.frames;
    std::optional<Second> heaviest;
    for (const auto& [key, s] : seconds_) {
        if (key.first != part || 2 * s.frames < fullest) continue;
        const double fps = byCpu ? s.CpuFps() : s.Fps();
        if (!heaviest || fps < (byCpu ? heaviest->CpuFps() : heaviest->Fps())) heaviest = s;
    }
    return heaviest;
}

}  // namespace cm::record
