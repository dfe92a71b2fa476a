#pragma once
// Random sources with known draws for the engine tests.
#include "myogrid/engine/random_source.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace myogrid::enginetest {

// Answers every draw with pick(n) and records the ranges asked for.
class StubRandom : public RandomSource {
public:
    explicit StubRandom(std::function<std::uint32_t(std::uint32_t)> pick)
        : pick_(std::move(pick)) {}
    std::uint32_t Below(std::uint32_t n) override {
        ranges.push_back(n);
        return n == 0 ? 0 : pick_(n);
    }
    std::vector<std::uint32_t> ranges;

private:
    std::function<std::uint32_t(std::uint32_t)> pick_;
};

inline StubRandom LowestDraws() {
    return StubRandom([](std::uint32_t) { return 0u; });
}
inline StubRandom HighestDraws() {
    return StubRandom([](std::uint32_t n) { return n - 1; });
}

}  // namespace myogrid::enginetest
