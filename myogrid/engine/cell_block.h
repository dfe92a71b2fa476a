#pragma once
// The cube of model cells, their neighbourhood and the random laying of the
// nexuses (cell-to-cell junctions) between neighbouring x-layers.
#include "myogrid/engine/parameter_source.h"
#include "myogrid/engine/random_source.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace myogrid {

inline constexpr int kMaxDimension = 13;
inline constexpr int kCellSlots = kMaxDimension * kMaxDimension * kMaxDimension + 1;  // 2198
inline constexpr int kDirectionCount = 18;
// Marks a neighbour slot not yet laid while the block is built: above every
// cell index (at most 13^3), so no real neighbour is taken for it.
inline constexpr std::uint16_t kUnlaidSlot = 0xFFFF;
static_assert(kUnlaidSlot > kCellSlots);
inline constexpr const char* kConnexionFile = "connex.txt";

// Neighbour directions 1..18 (index 0 unused): the 9 cells of the next and
// the 9 of the previous x-layer. NexusClass 2 = along x, 3 = xy/xz diagonal,
// 4 = xyz diagonal. The opposite of d is 19 - d.
struct Direction {
    int dx, dy, dz;
    int nexusClass;
};
extern const std::array<Direction, kDirectionCount + 1> kDirections;
constexpr int OppositeDirection(int d) { return kDirectionCount + 1 - d; }

// Cell state codes.
enum CellStateCode : std::uint8_t {
    CellExcited = 0,
    CellActive = 1,
    CellAbsRefractory = 2,
    CellRelRefractory = 3,
    EnvQuiet = 4,
    EnvStimulating = 5,
};

struct ModelCell {
    // Milliseconds since the last excitation; all arithmetic wraps mod 65536.
    std::uint16_t Clock = 0;
    std::uint8_t CellState = 0;
    std::array<std::uint8_t, kDirectionCount + 1> Weight{};      // [1..18]
    std::array<std::uint16_t, kDirectionCount + 1> Neighbour{};  // [1..18]
};

class CellBlock {
public:
    // Dimension of the block in memory (0 while none is built).
    int Dimension() const { return dimension_; }
    // Dimension^3; also the index of the EnvironmentCell.
    int CellCount() const { return cellCount_; }
    int EnvironmentCell() const { return cellCount_; }
    // True once BuildBlock has laid every nexus.
    bool Built() const { return built_; }

    ModelCell& Cell(int i) { return cells_[static_cast<std::size_t>(i)]; }
    const ModelCell& Cell(int i) const { return cells_[static_cast<std::size_t>(i)]; }
    // True when cell i has a link to the EnvironmentCell (it lies on a face).
    bool TouchesEnvironment(int i) const { return onFace_[static_cast<std::size_t>(i)] != 0; }
    static int CellIndex(int x, int y, int z, int dimension) {
        return (x * dimension + y) * dimension + z;
    }

    // Index of the cell at (x, y, z) + offset of d, or CellCount when that
    // leaves the cube.
    int NeighbourIndex(int x, int y, int z, int d) const;

    // Allocates the records 0..CellCount and lays all nexuses (one random
    // draw per junction, cells in index order, directions 1..18), in memory
    // only. Reads Dimension, XNexus, XyXzNexus, XyzNexus and Diversity.
    // Returns the dimension built, which is lower than asked only when
    // memory ran out (the window then lowers its dimension control's maximum).
    int BuildBlock(const ParameterSource& params, RandomSource& random);
    // Releases the block, then BuildBlock.
    int RebuildBlock(const ParameterSource& params, RandomSource& random);
    // The nexus table of the block in memory (CR LF lines): the header, an
    // empty line, then per cell its coordinates and its 18 weights. Empty
    // while no block is built.
    std::string ConnexionTable() const;
    // Writes ConnexionTable() to `path`; throws common::AppError when it
    // cannot. The block stays as it is either way.
    void WriteConnexionTable(const std::string& path = kConnexionFile) const;
    // Releases every record ("stop").
    void Release();

    // The three header lines of the nexus table (without line ends).
    static std::array<std::string, 3> ConnexionHeader();

private:
    bool Allocate(int dimension);

    std::vector<ModelCell> cells_;
    std::vector<std::uint8_t> onFace_;
    int dimension_ = 0;
    int cellCount_ = 0;
    bool built_ = false;
};

}  // namespace myogrid
