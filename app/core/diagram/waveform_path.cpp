#include "app/core/diagram/waveform_path.h"

namespace zo::quintel {

void BuildWaveformPath(std::span<const std::uint8_t> levels, int left, int lowY, int highY,
                       std::vector<DiagramPoint>& path) {
    path.clear();
    if (levels.size() < 2) {
        return;
    }
    auto levelY = [&](std::uint8_t level) { return level != 0 ? highY : lowY; };
    auto lineTo = [&](DiagramPoint point) {
        if (path.back() != point) {
            path.push_back(point);
        }
    };
    path.push_back({left, levelY(levels[0])});
    for (std::size_t k = 1; k < levels.size(); ++k) {
        if (levels[k] != levels[k - 1]) {
            const int edgeX = left + static_cast<int>(k) - 1;
            lineTo({edgeX, levelY(levels[k - 1])});
            lineTo({edgeX, levelY(levels[k])});
        }
    }
    lineTo({left + static_cast<int>(levels.size()) - 2, levelY(levels.back())});
}

}  // namespace zo::quintel
