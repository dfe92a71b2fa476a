#include "myogrid/engine/model_renderer.h"

#include "myogrid/engine/delay_function.h"

#include "common/numeric.h"
#include "myogrid/engine/parameter_values.h"

#include <cstdlib>

namespace myogrid {

namespace {

// Top left of the dot of lattice point (x, y, z) in the all-cells and
// all-oscillators views: the x layers as tiles, four to a row.
int TileX(int x, int z, int dimension) { return (z + (dimension + 2) * (x % 4)) * 3 + 5; }
int TileY(int x, int y, int dimension) { return (y + (x / 4) * (dimension + 2)) * 3 + 5; }

constexpr int kTilesPerRow = 4;
constexpr int kDotPitch = 3;
constexpr int kTileMargin = 5;

}  // namespace

std::optional<LatticePoint> TileCellAt(int px, int py, int dimension) {
    if (dimension <= 0 || px < kTileMargin || py < kTileMargin) return std::nullopt;
    const int pitch = dimension + 2;  // a tile and its gap, in dots
    const int column = (px - kTileMargin) / kDotPitch;
    const int row = (py - kTileMargin) / kDotPitch;
    const int tileColumn = column / pitch;
    const int tileRow = row / pitch;
    LatticePoint cell{tileRow * kTilesPerRow + tileColumn, row % pitch, column % pitch};
    if (tileColumn >= kTilesPerRow || cell.x >= dimension || cell.y >= dimension ||
        cell.z >= dimension)
        return std::nullopt;
    return cell;
}

void ModelRenderer::DrawRunStart(ModelKind kind, const ModelEngine& engine,
                                 const BlockSwitches& switches) {
    if (!engine.Built(kind)) return;
    if (kind == ModelKind::Topological) {
        DrawBlockRunStart(engine.BlockModel(), switches);
    } else {
        DrawOscillatorRunStart(engine.Oscillators(), ModelEngine::OscillatorChoices(switches));
    }
}

void ModelRenderer::DrawStep(ModelKind kind, const ModelEngine& engine,
                             const BlockSwitches& switches) {
    if (!engine.Built(kind)) return;
    if (kind == ModelKind::Topological) {
        DrawBlockStep(engine.BlockModel(), switches);
    } else {
        DrawOscillatorStep(engine.Oscillators(), ModelEngine::OscillatorChoices(switches));
    }
}

void ModelRenderer::DrawBlockRunStart(const BlockRun& run, const BlockSwitches& switches) {
    const int count = run.Block().CellCount();
    common::PlotSurface& right = pictures_.RightWindow();
    pictures_.ClearRightWindow();
    TraceState& tr = pictures_.trace;
    tr.stepWidth = run.StepUnit() * 0.08;
    tr.scale = pictures_.TimeWindow().Height() / (count * 2.1);
    tr.rightScaleX = static_cast<double>(right.Width()) / count;
    tr.rightScaleY = static_cast<double>(right.Height()) / count;
    phaseX_ = 0;
    activeHistory_ = {0, 0, 0};

    // Start values of the traces.
    pictures_.TimeWindow().SetPenColor(common::kWhite);
    right.SetPenColor(common::kWhite);
    right.SetBrushColor(common::kWhite);
    tr.y1 = PixelCoordinate(run.TraceValue1() * tr.scale);
    tr.y2 = PixelCoordinate(run.TraceValue2() * tr.scale) + pictures_.Half();
    if (switches.firstDerivative) {
        tr.history1 = {0, 0, tr.y1};
        tr.history2 = {0, 0, tr.y2};
        tr.y1 = pictures_.Quarter();
        tr.y2 = pictures_.ThreeQuarter();
    }
    pictures_.PlaceBeyondRightEdge();
}

void ModelRenderer::DrawBlockStep(const BlockRun& run, const BlockSwitches& switches) {
    common::PlotSurface& right = pictures_.RightWindow();
    if (pictures_.PastRightEdge()) {
        pictures_.RestartSweep();
        right.SetPenColor(common::kWhite);
        right.SetBrushColor(common::kWhite);
    }
    const CellBlock& block = run.Block();
    const int count = block.CellCount();
    phaseX_ = PixelCoordinate(static_cast<double>(run.ActiveCount()) * right.Width() / count);
    if (switches.allCells) {
        const int dimension = block.Dimension();
        int c = 0;
        for (int x = 0; x < dimension; ++x) {
            for (int y = 0; y < dimension; ++y) {
                for (int z = 0; z < dimension; ++z, ++c) {
                    Dot(right, TileX(x, z, dimension), TileY(x, y, dimension), 2,
                        run.AgedState(c) == CellActive ? common::kRed : common::kBlack);
                }
            }
        }
    }
    DrawBlockTraces(run, switches);
}

void ModelRenderer::DrawBlockTraces(const BlockRun& run, const BlockSwitches& switches) {
    TraceState& tr = pictures_.trace;
    common::PlotSurface& time = pictures_.TimeWindow();
    time.SetPenColor(common::kWhite);

    time.MoveTo(tr.x1, tr.y1);
    tr.tracePosition += tr.stepWidth;
    tr.x1 = PixelCoordinate(tr.tracePosition);
    tr.y1 = PixelCoordinate(run.TraceValue1() * tr.scale) + 3;
    if (switches.firstDerivative) {
        tr.history1 = {tr.history1[1], tr.history1[2], tr.y1};
        tr.y1 = (tr.history1[2] - tr.history1[0]) / 2 + pictures_.Quarter();
    }
    time.LineTo(tr.x1, tr.y1);

    time.MoveTo(tr.x2, tr.y2);
    tr.x2 = PixelCoordinate(tr.tracePosition);
    tr.y2 = PixelCoordinate(run.TraceValue2() * tr.scale) + pictures_.Half();
    if (switches.firstDerivative) {
        tr.history2 = {tr.history2[1], tr.history2[2], tr.y2};
        tr.y2 = (tr.history2[2] - tr.history2[0]) / 2 + pictures_.ThreeQuarter();
    }
    time.LineTo(tr.x2, tr.y2);

    activeHistory_ = {activeHistory_[1], activeHistory_[2], run.ActiveCount()};
    const int change = activeHistory_[2] - activeHistory_[0];
    if (!switches.allCells) {
        common::PlotSurface& right = pictures_.RightWindow();
        const int count = run.Block().CellCount();
        const double sy = static_cast<double>(right.Height()) / count;
        phaseY_ = PixelCoordinate((count - change) * sy / 2);
        Dot(right, phaseX_, phaseY_, 5, common::kWhite);
    }
}

void ModelRenderer::DrawOscillatorRunStart(const OscillatorTable& table,
                                           const OscillatorSwitches& switches) {
    pictures_.ClearRightWindow();
    TraceState& tr = pictures_.trace;
    common::PlotSurface& right = pictures_.RightWindow();
    tr.y1 = pictures_.Quarter();
    tr.y2 = pictures_.ThreeQuarter();
    tr.stepWidth = table.OscStepUnit() * 0.08;
    tr.scale = pictures_.TimeWindow().Height() / 2.1;
    pictures_.PlaceBeyondRightEdge();
    pictures_.TimeWindow().SetPenColor(common::kWhite);
    if (!switches.allOscillators) {
        DrawReturnMap(pictures_, table);
        tr.rightScaleX = right.Width() - 10;
        tr.rightScaleY = right.Height() - 10;
    } else {
        tr.rightScaleX = static_cast<double>(right.Width()) / table.OscillatorCount();
        tr.rightScaleY = static_cast<double>(right.Height()) / table.OscillatorCount();
    }
    right.SetPenColor(common::kWhite);
    right.SetBrushColor(common::kWhite);
}

void ModelRenderer::DrawOscillatorStep(const OscillatorTable& table,
                                       const OscillatorSwitches& switches) {
    if (pictures_.PastRightEdge()) pictures_.RestartSweep();
    common::PlotSurface& right = pictures_.RightWindow();
    const int dimension = table.OscDimension();
    if (switches.allOscillators) {
        for (int x = 0; x <= table.SweepEndX(); ++x) {
            for (int y = 0; y <= table.SweepEndY(); ++y) {
                for (int z = 0; z <= table.SweepEndZ(); ++z) {
                    const Oscillator& o = table.Record((x * dimension + y) * dimension + z);
                    Dot(right, TileX(x, z, dimension), TileY(x, y, dimension), 2,
                        table.OscillatorActivity(o) > 0.5 ? common::kRed : common::kBlack);
                }
            }
        }
    } else {
        const int count = table.OscillatorCount();
        const int cell1 = table.TraceCell1();
        const Oscillator& o1 = table.Record(cell1 >= 0 && cell1 < count ? cell1 : count);
        const int x = PixelCoordinate((o1.PrevAmplitude * (right.Width() - 10) + 5));
        const int y = PixelCoordinate(((1 - o1.Amplitude) * (right.Height() - 10) + 5));
        Dot(right, x, y, 2, common::kWhite);
    }
    TraceState& tr = pictures_.trace;
    common::PlotSurface& time = pictures_.TimeWindow();
    time.SetPenColor(common::kWhite);
    time.MoveTo(tr.x1, tr.y1);
    tr.tracePosition += tr.stepWidth;
    tr.x1 = PixelCoordinate(tr.tracePosition);
    tr.y1 = PixelCoordinate((1 - table.TraceValue1()) * tr.scale) + 3;
    time.LineTo(tr.x1, tr.y1);

    time.MoveTo(tr.x2, tr.y2);
    tr.x2 = PixelCoordinate(tr.tracePosition);
    tr.y2 = PixelCoordinate((1 - table.TraceValue2()) * tr.scale) + pictures_.Half();
    time.LineTo(tr.x2, tr.y2);
}

void DrawReturnMap(ModelPictures& pictures, const OscillatorTable& table) {
    common::PlotSurface& right = pictures.RightWindow();
    pictures.ClearRightWindow();
    const int w = right.Width(), h = right.Height();
    const double sx = (w - 10) / 100.0;
    const double sh = h - 10;
    right.SetPenColor(common::kLime);
    right.Polyline({{5, h - 5}, {5, 5}, {w - 5, 5}, {5, h - 5}, {w - 5, h - 5}, {w - 5, 5}});
    right.MoveTo(5, 5);
    right.LineTo(w - 5, h - 5);
    right.SetPenColor(common::kWhite);
    right.MoveTo(5, 5);
    const auto& map = table.ReturnMap();
    for (int i = 0; i <= 100; ++i) {
        right.LineTo(PixelCoordinate((i * sx)) + 5,
                     PixelCoordinate((sh * (1 - map[static_cast<std::size_t>(i)]))) + 5);
    }
}

void DrawDelayFunction(ModelPictures& pictures, const ParameterSource& params) {
    common::PlotSurface& right = pictures.RightWindow();
    pictures.ClearRightWindow();
    right.SetPenColor(common::kWhite);
    const std::int32_t nexuses = NexusesPerCell(params);
    const std::int32_t refractory = params.Integer(Param::Refractory);
    const double sx = common::FloatDivide(right.Width(), nexuses);
    const double sy = common::FloatDivide(right.Height(), refractory);
    // Beyond this count the curve has left the window for good (a negative
    // refractory length would otherwise never end the search).
    const std::int64_t maxCount =
        2 * static_cast<std::int64_t>(std::abs(refractory)) + right.Height() + 2;
    const std::vector<LatencyPoint> curve = DelayFunction(params, maxCount + 1);

    right.MoveTo(0, 0);
    for (const LatencyPoint& point : curve) {
        // A latency above the top of the window ends the line just above it.
        std::int64_t count = 0;
        std::int64_t y = common::Round(static_cast<double>(refractory) * sy);
        while (count < point.steps) {
            ++count;
            y = common::Round(static_cast<double>(refractory - count) * sy);
            if (y < 0) break;
        }
        right.LineTo(PixelCoordinate(point.input * sx), PixelCoordinate(y));
    }
}

}  // namespace myogrid
