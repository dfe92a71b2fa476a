#include "myogrid/engine/random_source.h"

#include <chrono>

namespace myogrid {

std::uint64_t SeededRandom::ClockSeed() {
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

std::uint32_t SeededRandom::Below(std::uint32_t n) {
    if (n == 0) return 0;
    std::uniform_int_distribution<std::uint32_t> pick(0, n - 1);
    return pick(generator_);
}

}  // namespace myogrid
