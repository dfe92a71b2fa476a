#include "myogrid/engine/illusion_model.h"

#include <gtest/gtest.h>

#include <set>

namespace myogrid {
namespace {

std::set<int> SwitchedColumns(const std::vector<IllusionSwitch>& switched, int row) {
    std::set<int> columns;
    for (const IllusionSwitch& cell : switched)
        if (cell.row == row) columns.insert(cell.column);
    return columns;
}

TEST(IllusionModel, SwitchesSpreadOutwardFromTheCentreColumns) {
    IllusionModel model;
    const auto& first = model.Step();
    EXPECT_EQ(model.Clock(), 100);
    EXPECT_EQ(first.size(), 4u * IllusionModel::kSize);
    for (int i = 1; i <= IllusionModel::kSize; ++i)
        EXPECT_EQ(SwitchedColumns(first, i), (std::set{11, 12, 13, 14})) << i;
    EXPECT_TRUE(first.front().lit);
    EXPECT_EQ(first.front().count, 1);

    const auto& second = model.Step();
    EXPECT_EQ(SwitchedColumns(second, 25), (std::set{8, 9, 10, 15, 16, 17}));
    // (1, 12) switched at 100 with 20 < 100; next at 20 + 505, so at 600.
    EXPECT_EQ(model.NextSwitch(1, 12), 525);
    for (int k = 0; k < 4; ++k) model.Step();
    EXPECT_EQ(model.Clock(), 600);
    EXPECT_EQ(model.Lit(1, 12), 0);
    EXPECT_EQ(model.SwitchCount(1, 12), 2);
    EXPECT_EQ(model.NextSwitch(1, 12), 1030);
}

TEST(IllusionModel, ClockWrapsByAddingTheLargestValue) {
    struct Case {
        std::int32_t before, after;
    };
    for (const Case c :
         {Case{2147483547, 2147483647}, Case{2147483600, 51}, Case{2147483647, 98}}) {
        IllusionModel model;
        model.SetClock(c.before);
        model.Step();
        EXPECT_EQ(model.Clock(), c.after) << c.before;
    }
}

TEST(IllusionModel, TableHoldsEveryCellRowByRow) {
    IllusionModel model;
    model.Step();
    const common::DataTable table = model.Table();
    EXPECT_EQ(table.columns, (std::vector<std::string>{"clock_ms", "row", "column", "period_ms",
                                                       "next_switch_ms", "lit", "switch_count"}));
    ASSERT_EQ(table.rows.size(), 625u);
    EXPECT_EQ(table.rows[11], (std::vector<double>{100, 1, 12, 505, 525, 1, 1}));
    EXPECT_EQ(table.rows[624], (std::vector<double>{100, 25, 25, 625, 500, 0, 0}));
}

}  // namespace
}  // namespace myogrid
