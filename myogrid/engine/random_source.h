#pragma once
// The single pseudo-random source of the model window: uniform integers.
#include <cstdint>
#include <random>

namespace myogrid {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniform integer in 0..n-1; 0 when n is 0.
    virtual std::uint32_t Below(std::uint32_t n) = 0;
};

class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : generator_(seed) {}
    // Seeded from the wall clock, as the programs do once at start.
    static std::uint64_t ClockSeed();
    std::uint32_t Below(std::uint32_t n) override;

private:
    std::mt19937_64 generator_;
};

}  // namespace myogrid
