#include "myogrid/engine/cell_block.h"

#include "common/file_io.h"
#include "common/number_format.h"
#include "common/numeric.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace myogrid {

const std::array<Direction, kDirectionCount + 1> kDirections = {{
    {0, 0, 0, 0},    {+1, +1, +1, 4}, {+1, +1, 0, 3},  {+1, +1, -1, 4}, {+1, 0, +1, 3},
    {+1, 0, 0, 2},   {+1, 0, -1, 3},  {+1, -1, +1, 4}, {+1, -1, 0, 3},  {+1, -1, -1, 4},
    {-1, +1, +1, 4}, {-1, +1, 0, 3},  {-1, +1, -1, 4}, {-1, 0, +1, 3},  {-1, 0, 0, 2},
    {-1, 0, -1, 3},  {-1, -1, +1, 4}, {-1, -1, 0, 3},  {-1, -1, -1, 4},
}};

namespace {

// Right-aligned integer in `width` characters.
void AppendField(std::string& out, int value, int width) { out += common::IntToText(value, width); }

}  // namespace

int CellBlock::NeighbourIndex(int x, int y, int z, int d) const {
    const Direction& dir = kDirections[static_cast<std::size_t>(d)];
    const int nx = x + dir.dx, ny = y + dir.dy, nz = z + dir.dz;
    const auto outside = [this](int v) { return v < 0 || v >= dimension_; };
    if (outside(nx) || outside(ny) || outside(nz)) return cellCount_;
    return CellIndex(nx, ny, nz, dimension_);
}

std::array<std::string, 3> CellBlock::ConnexionHeader() {
    std::array<std::string, 3> lines = {" X    ", "   Y  ", "     Z"};
    for (int d = 1; d <= kDirectionCount; ++d) {
        AppendField(lines[0], kDirections[d].dx, 3);
        AppendField(lines[1], kDirections[d].dy, 3);
        AppendField(lines[2], kDirections[d].dz, 3);
    }
    return lines;
}

void CellBlock::Release() {
    cells_.clear();
    cells_.shrink_to_fit();
    onFace_.clear();
    dimension_ = 0;
    cellCount_ = 0;
    built_ = false;
}

bool CellBlock::Allocate(int dimension) {
    const int count = dimension * dimension * dimension;
    try {
        ModelCell fresh;
        fresh.Neighbour.fill(kUnlaidSlot);
        fresh.Neighbour[0] = 0;
        cells_.assign(static_cast<std::size_t>(count) + 1, fresh);
        onFace_.assign(static_cast<std::size_t>(count) + 1, 0);
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
    dimension_ = dimension;
    cellCount_ = count;
    return true;
}

int CellBlock::BuildBlock(const ParameterSource& params, RandomSource& random) {
    Release();
    // Mean nexus count per class (index 2..4).
    std::array<std::int32_t, 5> mean{};
    mean[2] = params.Integer(Param::XNexus);
    mean[3] = params.Integer(Param::XyXzNexus);
    mean[4] = params.Integer(Param::XyzNexus);
    // A negative diversity spreads like none at all.
    const double diversity = std::max(0.0, params.Real(Param::Diversity));

    int dimension = std::clamp(params.Integer(Param::Dimension), 1, kMaxDimension);
    while (!Allocate(dimension)) {
        if (dimension == 1) throw std::bad_alloc();
        --dimension;
    }

    // Spread h per class, held in 16 bits and at least 3.
    std::array<std::uint16_t, 5> spread{};
    for (int k = 2; k <= 4; ++k) {
        const auto h = static_cast<std::uint16_t>(
            common::Round(diversity * mean[static_cast<std::size_t>(k)]));
        spread[static_cast<std::size_t>(k)] = h < 3 ? std::uint16_t{3} : h;
    }

    int c = 0;
    for (int x = 0; x < dimension_; ++x) {
        for (int y = 0; y < dimension_; ++y) {
            for (int z = 0; z < dimension_; ++z, ++c) {
                ModelCell& cell = cells_[static_cast<std::size_t>(c)];
                for (int d = 1; d <= kDirectionCount; ++d) {
                    if (cell.Neighbour[d] == kUnlaidSlot) {
                        const int n = NeighbourIndex(x, y, z, d);
                        cell.Neighbour[d] = static_cast<std::uint16_t>(n);
                        const std::int32_t m =
                            mean[static_cast<std::size_t>(kDirections[d].nexusClass)];
                        const std::uint16_t h =
                            spread[static_cast<std::size_t>(kDirections[d].nexusClass)];
                        const std::int64_t r = random.Below(h);
                        std::int64_t w = r + m - h / 2;
                        w = std::clamp<std::int64_t>(w, 0, 255);  // one byte
                        cell.Weight[d] = static_cast<std::uint8_t>(w);
                        ModelCell& other = cells_[static_cast<std::size_t>(n)];
                        other.Neighbour[OppositeDirection(d)] = static_cast<std::uint16_t>(c);
                        other.Weight[OppositeDirection(d)] = static_cast<std::uint8_t>(w);
                    }
                    if (cell.Neighbour[d] == cellCount_) onFace_[static_cast<std::size_t>(c)] = 1;
                }
            }
        }
    }
    built_ = true;
    return dimension_;
}

int CellBlock::RebuildBlock(const ParameterSource& params, RandomSource& random) {
    Release();
    return BuildBlock(params, random);
}

std::string CellBlock::ConnexionTable() const {
    std::string text;
    if (!built_) return text;
    text.reserve(static_cast<std::size_t>(cellCount_ + 4) * 62);
    for (const std::string& line : ConnexionHeader()) text += line + "\r\n";
    text += "\r\n";
    int c = 0;
    for (int x = 0; x < dimension_; ++x) {
        for (int y = 0; y < dimension_; ++y) {
            for (int z = 0; z < dimension_; ++z, ++c) {
                AppendField(text, x, 2);
                AppendField(text, y, 2);
                AppendField(text, z, 2);
                const ModelCell& cell = cells_[static_cast<std::size_t>(c)];
                for (int d = 1; d <= kDirectionCount; ++d) AppendField(text, cell.Weight[d], 3);
                text += "\r\n";
            }
        }
    }
    return text;
}

void CellBlock::WriteConnexionTable(const std::string& path) const {
    common::WriteFileAtomically(path, ConnexionTable());
}

}  // namespace myogrid
