#include "myogrid/engine/random_source.h"

#include <chrono>

namespace myogrid {

std::uint64_t SeededRandom::ClockSeed() {
    return static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

std::uint32_t SeededRandom::Below(std::uint32_t n) {
    if (n == 0) return 0;
    return BelowFromWords(n, [this] { return generator_(); });
}

std::uint64_t RunSeed::StartBuild(std::uint64_t clockSeed) {
    const std::uint64_t seed = chosen_.value_or(clockSeed);
    random_ = SeededRandom(seed);
    ofBuild_ = seed;
    return seed;
}

void RunSeed::StartRun() {
    ++runsSinceBuild_;
    // With the seed chosen, every run draws on from where the build ended,
    // as the batch tool's single run does.
    if (chosen_ && chosen_ == ofBuild_) random_ = afterBuild_;
}

}  // namespace myogrid
