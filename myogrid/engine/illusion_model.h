#pragma once
// 25 x 25 independent on/off oscillators whose periods grow from the top row
// to the bottom row and whose phases are shifted from the centre column
// outward; the eye sees travelling waves although nothing couples them.
// Rows i and columns j count from 1.
#include <array>
#include <cstdint>
#include <vector>

#include "common/plot_export.h"

namespace myogrid {

// A cell that switched in the last step, with its new state.
struct IllusionSwitch {
    int row = 0;
    int column = 0;
    bool lit = false;
    int count = 0;  // switches so far, modulo 10
};

class IllusionModel {
public:
    static constexpr int kSize = 25;
    static constexpr std::int32_t kStepMs = 100;

    // Clock 0; every cell unlit, with its period and its first switch time.
    IllusionModel();

    // Advances the clock one step and switches every cell whose time has
    // passed; returns those cells in row order (also kept as LastSwitches).
    const std::vector<IllusionSwitch>& Step();
    const std::vector<IllusionSwitch>& LastSwitches() const { return switched_; }

    std::int32_t Clock() const { return clock_; }
    // Puts the clock at `ms` without switching anything (to resume a state).
    void SetClock(std::int32_t ms) { clock_ = ms; }
    std::int32_t Period(int i, int j) const { return period_[Cell(i, j)]; }
    std::int32_t NextSwitch(int i, int j) const { return nextSwitch_[Cell(i, j)]; }
    int Lit(int i, int j) const { return lit_[Cell(i, j)]; }
    int SwitchCount(int i, int j) const { return switchCount_[Cell(i, j)]; }

    // One row per cell, row by row: "clock_ms", "row", "column", "period_ms",
    // "next_switch_ms", "lit", "switch_count".
    common::DataTable Table() const;

private:
    static std::size_t Cell(int i, int j) {
        return static_cast<std::size_t>((i - 1) * kSize + (j - 1));
    }

    std::int32_t clock_ = 0;
    std::array<std::int32_t, kSize * kSize> period_{};
    std::array<std::int32_t, kSize * kSize> nextSwitch_{};
    std::array<std::uint8_t, kSize * kSize> lit_{};
    std::array<std::uint8_t, kSize * kSize> switchCount_{};
    std::vector<IllusionSwitch> switched_;
};

}  // namespace myogrid
