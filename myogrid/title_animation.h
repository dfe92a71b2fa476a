#pragma once
// The launcher's title picture: 41 polygon segments that change between two
// colours, each on its own period, so that waves of colour run over it.
// The clock counts timer ticks, not wall time, so a late tick never makes
// the picture jump and a stopped timer simply holds it.
#include "common/plot_surface.h"

#include <array>
#include <cstdint>

namespace myogrid {

class TitleAnimation {
public:
    static constexpr int kWidth = 231;
    static constexpr int kHeight = 236;
    static constexpr int kSegmentCount = 41;
    static constexpr std::int32_t kTickMs = 10;
    static constexpr common::Rgb kFirstColour{204, 51, 0};
    static constexpr common::Rgb kSecondColour{255, 0, 0};

    // A white picture with the two fixed black polygons; clock 0.
    TitleAnimation();

    // One timer tick: advances the clock by `interval` ms and redraws the
    // segments whose toggle time has passed. Returns how many were redrawn.
    int Tick(std::int32_t interval = kTickMs);

    std::int32_t Clock() const { return clock_; }
    // True while a segment (1..41) next shows the first colour.
    bool PhaseFlag(int segment) const { return phase_[static_cast<std::size_t>(segment - 1)]; }
    std::int64_t NextToggle(int segment) const {
        return next_[static_cast<std::size_t>(segment - 1)];
    }

    const common::PlotSurface& Surface() const { return surface_; }

    // Geometry, for drawing checks: the corner points of a segment (1..41).
    static std::vector<QPoint> SegmentPolygon(int segment);
    static std::vector<QPoint> FixedTriangle();
    static std::vector<QPoint> FixedQuadrilateral();

private:
    common::PlotSurface surface_;
    std::int32_t clock_ = 0;
    std::array<bool, kSegmentCount> phase_{};
    std::array<std::int64_t, kSegmentCount> next_{};
};

}  // namespace myogrid
