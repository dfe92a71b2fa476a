#include "myogrid/engine/illusion_model.h"

#include <cstdlib>

#include "common/numeric.h"

namespace myogrid {
namespace {

// Adds with 32-bit wrapping; a sum that ran past the range is brought back
// by adding the largest value, so time keeps going forward.
std::int32_t AddTime(std::int32_t a, std::int32_t b) {
    std::int32_t sum = common::WrapAdd32(a, b);
    if (sum < 0) sum = common::WrapAdd32(sum, 2147483647);
    return sum;
}

}  // namespace

IllusionModel::IllusionModel() {
    for (int i = 1; i <= kSize; ++i) {
        for (int j = 1; j <= kSize; ++j) {
            period_[Cell(i, j)] = 500 + 5 * i;
            nextSwitch_[Cell(i, j)] = std::abs(500 - 40 * j);
        }
    }
    switched_.reserve(kSize * kSize);
}

const std::vector<IllusionSwitch>& IllusionModel::Step() {
    switched_.clear();
    clock_ = AddTime(clock_, kStepMs);
    for (int i = 1; i <= kSize; ++i) {
        for (int j = 1; j <= kSize; ++j) {
            const std::size_t c = Cell(i, j);
            if (!(nextSwitch_[c] < clock_)) continue;
            nextSwitch_[c] = AddTime(nextSwitch_[c], period_[c]);
            lit_[c] = lit_[c] == 1 ? 0 : 1;
            switchCount_[c] = static_cast<std::uint8_t>((switchCount_[c] + 1) % 10);
            switched_.push_back({i, j, lit_[c] == 1, switchCount_[c]});
        }
    }
    return switched_;
}

common::DataTable IllusionModel::Table() const {
    common::DataTable table;
    table.columns = {"clock_ms",       "row", "column",      "period_ms",
                     "next_switch_ms", "lit", "switch_count"};
    table.rows.reserve(kSize * kSize);
    for (int i = 1; i <= kSize; ++i)
        for (int j = 1; j <= kSize; ++j)
            table.rows.push_back(
                {static_cast<double>(clock_), static_cast<double>(i), static_cast<double>(j),
                 static_cast<double>(Period(i, j)), static_cast<double>(NextSwitch(i, j)),
                 static_cast<double>(Lit(i, j)), static_cast<double>(SwitchCount(i, j))});
    return table;
}

}  // namespace myogrid
