#pragma once
// The two plot images of the model window and the drawing state that the
// steps of a run carry from one step to the next.
#include "common/plot_surface.h"

#include <array>
#include <cstdint>

namespace myogrid {

inline constexpr int kTimeWindowWidth = 616;
inline constexpr int kTimeWindowHeight = 176;
inline constexpr int kRightWindowSize = 211;
// The system's button-face colour, seen in the corners of a cleared window.
inline constexpr common::Rgb kButtonFace{240, 240, 240};

// Drawing state of the time window and of the right window's point plots.
struct TraceState {
    double tracePosition = 0.0;  // accumulated x of both traces, pixels
    int x1 = 0, x2 = 0;          // x of the last point of trace 1 and 2
    int y1 = 0, y2 = 0;          // y of the last point
    // Last three y values of each trace, oldest first (1st derivative).
    std::array<int, 3> history1{}, history2{};
    double stepWidth = 0.16;  // pixels per step
    double scale = 1.0;       // vertical scale of the traces
    double rightScaleX = 1.0, rightScaleY = 1.0;
};

class ModelPictures {
public:
    ModelPictures();

    common::PlotSurface& TimeWindow() { return timeWindow_; }
    common::PlotSurface& RightWindow() { return rightWindow_; }
    const common::PlotSurface& TimeWindow() const { return timeWindow_; }
    const common::PlotSurface& RightWindow() const { return rightWindow_; }

    // Paint an empty window: button face, a green rounded rectangle with a
    // lime border and a lime grid of step H div 10. The pen stays lime.
    void ClearTimeWindow();
    void ClearRightWindow();

    // Trace geometry of the time window: 88, 44 and 132 for H = 176.
    int Half() const { return timeWindow_.Height() / 2; }
    int Quarter() const { return Half() / 2; }
    int ThreeQuarter() const { return Half() + Quarter(); }

    // True when the traces have passed the time window's right edge.
    bool PastRightEdge() const { return trace.x1 > timeWindow_.Width(); }
    // Puts the traces one pixel beyond the right edge, so that the next step
    // clears the time window and starts a new sweep.
    void PlaceBeyondRightEdge();
    // Clears the time window for a new sweep from x = 0 (pen white).
    void RestartSweep();

    TraceState trace;

private:
    static void Clear(common::PlotSurface& surface);
    common::PlotSurface timeWindow_;
    common::PlotSurface rightWindow_;
};

// A dot (x, y, s): a filled ellipse inscribed in (x, y)-(x + s, y + s) in
// the surface's pen and brush colours.
void Dot(common::PlotSurface& surface, int x, int y, int size, common::Rgb color);

// A pixel coordinate from a rounded real, kept within a range the painter
// handles (only points far outside the image are affected).
int PixelCoordinate(std::int64_t value);
// The same from a real, rounded halves-to-even; NaN and infinities throw
// "Invalid floating point operation".
int PixelCoordinate(double value);

}  // namespace myogrid
