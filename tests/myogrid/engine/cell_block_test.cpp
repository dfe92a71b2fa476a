#include "myogrid/engine/cell_block.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "engine_test_support.h"
#include "myogrid/engine/parameter_values.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace myogrid {
namespace {

using enginetest::HighestDraws;
using enginetest::LowestDraws;
using enginetest::StubRandom;

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));  // unterminated last line
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(CellBlock, DirectionTableIsSymmetricAndClassified) {
    std::multiset<int> classes;
    for (int d = 1; d <= kDirectionCount; ++d) {
        const Direction& a = kDirections[d];
        const Direction& b = kDirections[OppositeDirection(d)];
        EXPECT_EQ(a.dx, -b.dx);
        EXPECT_EQ(a.dy, -b.dy);
        EXPECT_EQ(a.dz, -b.dz);
        EXPECT_EQ(a.nexusClass, b.nexusClass);
        EXPECT_NE(a.dx, 0) << "no nexus inside an x-layer";
        EXPECT_EQ(a.nexusClass, 2 + (a.dy != 0) + (a.dz != 0));
        classes.insert(a.nexusClass);
    }
    EXPECT_EQ(classes.count(2), 2u);
    EXPECT_EQ(classes.count(3), 8u);
    EXPECT_EQ(classes.count(4), 8u);
}

// One line per cell in index order after the 4 header lines: coordinates
// then the 18 weights as they are stored at both ends of each junction.
void ExpectTableMatchesBlock(const std::vector<std::string>& lines, const CellBlock& block) {
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(4 + block.CellCount()));
    for (int c = 0; c < block.CellCount(); ++c) {
        const std::string& line = lines[static_cast<std::size_t>(4 + c)];
        ASSERT_EQ(line.size(), 60u) << line;
        std::istringstream fields(line);
        int x, y, z;
        fields >> x >> y >> z;
        EXPECT_EQ(CellBlock::CellIndex(x, y, z, block.Dimension()), c);
        for (int d = 1; d <= kDirectionCount; ++d) {
            int w = -1;
            fields >> w;
            EXPECT_EQ(w, block.Cell(c).Weight[d]) << "cell " << c << " direction " << d;
        }
    }
}

TEST(CellBlock, DimensionFiveWritesTheNexusTable) {
    testing_support::ScopedWorkDir dir;
    ParameterValues params;
    params.SetInteger(Param::Dimension, 5);
    SeededRandom random(7);
    CellBlock block;
    EXPECT_EQ(block.RebuildBlock(params, random), 5);
    EXPECT_TRUE(block.Built());
    EXPECT_EQ(block.CellCount(), 125);
    EXPECT_EQ(block.EnvironmentCell(), 125);

    block.WriteConnexionTable();
    const std::string text = common::ReadWholeFile(dir.File("connex.txt"));
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "CR LF line ends";
    const auto lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), 129u);
    EXPECT_EQ(lines[0], " X      1  1  1  1  1  1  1  1  1 -1 -1 -1 -1 -1 -1 -1 -1 -1");
    EXPECT_EQ(lines[1], "   Y    1  1  1  0  0  0 -1 -1 -1  1  1  1  0  0  0 -1 -1 -1");
    EXPECT_EQ(lines[2], "     Z  1  0 -1  1  0 -1  1  0 -1  1  0 -1  1  0 -1  1  0 -1");
    EXPECT_EQ(lines[3], "");
    ExpectTableMatchesBlock(lines, block);
}

TEST(CellBlock, JunctionsAreSymmetricAndFacesLeadToTheEnvironment) {
    testing_support::ScopedWorkDir dir;
    for (int dimension = 5; dimension <= 13; ++dimension) {
        ParameterValues params;
        params.SetInteger(Param::Dimension, dimension);
        params.SetReal(Param::Diversity, 1.5);
        SeededRandom random(static_cast<std::uint64_t>(dimension));
        CellBlock block;
        block.BuildBlock(params, random);
        const int count = block.CellCount();
        ASSERT_EQ(count, dimension * dimension * dimension);
        for (int x = 0; x < dimension; ++x) {
            for (int y = 0; y < dimension; ++y) {
                for (int z = 0; z < dimension; ++z) {
                    const int c = CellBlock::CellIndex(x, y, z, dimension);
                    const ModelCell& cell = block.Cell(c);
                    for (int d = 1; d <= kDirectionCount; ++d) {
                        const Direction& dir = kDirections[d];
                        const auto inside = [&](int v) { return v >= 0 && v < dimension; };
                        const bool leaves =
                            !inside(x + dir.dx) || !inside(y + dir.dy) || !inside(z + dir.dz);
                        const int n = cell.Neighbour[d];
                        if (leaves) {
                            ASSERT_EQ(n, count) << "cell " << c << " direction " << d;
                        } else {
                            ASSERT_EQ(n, CellBlock::CellIndex(x + dir.dx, y + dir.dy, z + dir.dz,
                                                              dimension));
                            ASSERT_EQ(block.Cell(n).Neighbour[OppositeDirection(d)], c);
                            ASSERT_EQ(block.Cell(n).Weight[OppositeDirection(d)], cell.Weight[d]);
                        }
                    }
                }
            }
        }
    }
}

// Junctions between neighbouring layers: (Dimension - 1) layer pairs, each
// with (3 * Dimension - 2)^2 pairs of cells.
int InnerJunctions(int dimension) {
    return (dimension - 1) * (3 * dimension - 2) * (3 * dimension - 2);
}

TEST(CellBlock, OneDrawPerJunctionAndTheTableAgreesWithTheBlock) {
    testing_support::ScopedWorkDir dir;
    // From Dimension 7 on, cell 255 exists: it is a cell like any other.
    for (int dimension : {5, 7, 10}) {
        ParameterValues params;
        params.SetInteger(Param::Dimension, dimension);
        auto counting = StubRandom([n = 0u](std::uint32_t range) mutable { return n++ % range; });
        CellBlock block;
        block.BuildBlock(params, counting);
        // Every junction once: inner ones plus the links to the environment.
        const int cells = dimension * dimension * dimension;
        EXPECT_EQ(static_cast<int>(counting.ranges.size()), 18 * cells - InnerJunctions(dimension));
        ExpectTableMatchesBlock(SplitCrLf(block.ConnexionTable()), block);
    }
}

// Weights of a cell deep inside the block, per class.
struct ClassWeights {
    int x, xy, xyz;
};
ClassWeights InnerWeights(const CellBlock& block) {
    const ModelCell& cell = block.Cell(CellBlock::CellIndex(2, 2, 2, block.Dimension()));
    return {cell.Weight[5], cell.Weight[2], cell.Weight[1]};
}

TEST(CellBlock, SpreadOfTheWeightsAroundTheMeans) {
    testing_support::ScopedWorkDir dir;
    ParameterValues params;  // means 18, 3, 1 with Diversity 0.5
    params.SetInteger(Param::Dimension, 5);
    CellBlock block;
    auto low = LowestDraws();
    block.BuildBlock(params, low);
    const ClassWeights lowest = InnerWeights(block);
    EXPECT_EQ(lowest.x, 14);
    EXPECT_EQ(lowest.xy, 2);
    EXPECT_EQ(lowest.xyz, 0);
    EXPECT_EQ(std::set<std::uint32_t>(low.ranges.begin(), low.ranges.end()),
              (std::set<std::uint32_t>{3, 9}));

    auto high = HighestDraws();
    block.RebuildBlock(params, high);
    const ClassWeights highest = InnerWeights(block);
    EXPECT_EQ(highest.x, 22);
    EXPECT_EQ(highest.xy, 4);
    EXPECT_EQ(highest.xyz, 2);
}

TEST(CellBlock, SpreadLimits) {
    testing_support::ScopedWorkDir dir;
    ParameterValues params;
    params.SetInteger(Param::Dimension, 5);
    CellBlock block;

    // No nexuses and no diversity: the spread is raised to 3, weights 0..1.
    params.SetInteger(Param::XNexus, 0);
    params.SetInteger(Param::XyXzNexus, 0);
    params.SetInteger(Param::XyzNexus, 0);
    params.SetReal(Param::Diversity, 0);
    auto low = LowestDraws();
    block.BuildBlock(params, low);
    EXPECT_EQ(InnerWeights(block).x, 0);
    auto high = HighestDraws();
    block.BuildBlock(params, high);
    EXPECT_EQ(InnerWeights(block).x, 1);
    EXPECT_EQ(InnerWeights(block).xyz, 1);

    // A negative diversity spreads like none: 18 gives 17..19.
    params.SetInteger(Param::XNexus, 18);
    params.SetReal(Param::Diversity, -4);
    block.BuildBlock(params, low);
    EXPECT_EQ(InnerWeights(block).x, 17);
    block.BuildBlock(params, high);
    EXPECT_EQ(InnerWeights(block).x, 19);

    // A weight beyond one byte is stored as 255, in the records and the file.
    params.SetInteger(Param::XNexus, 35);
    params.SetReal(Param::Diversity, 20);  // spread 700: weights up to 384
    block.BuildBlock(params, high);
    EXPECT_EQ(InnerWeights(block).x, 255);
    const std::string text = block.ConnexionTable();
    EXPECT_NE(text.find("255"), std::string::npos);
    EXPECT_EQ(text.find("384"), std::string::npos);
}

TEST(CellBlock, UnwritableTableIsReportedButTheBlockIsComplete) {
    testing_support::ScopedWorkDir dir;
    ParameterValues params;
    params.SetInteger(Param::Dimension, 5);
    SeededRandom random(1);
    CellBlock block;
    block.BuildBlock(params, random);
    EXPECT_THROW(block.WriteConnexionTable(dir.File("missing/connex.txt")), common::AppError);
    EXPECT_TRUE(block.Built());
    EXPECT_EQ(block.CellCount(), 125);
    block.Release();
    EXPECT_FALSE(block.Built());
    EXPECT_EQ(block.CellCount(), 0);
}

}  // namespace
}  // namespace myogrid
