#pragma once
// The single pseudo-random source of the model window: uniform integers.
#include <cstdint>
#include <optional>
#include <random>

namespace myogrid {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniform integer in 0..n-1; 0 when n is 0.
    virtual std::uint32_t Below(std::uint32_t n) = 0;
};

// A uniform integer in 0..n-1 (n > 0) from uniform 64-bit words, the same
// with every compiler and library: the high half of word * n, a word being
// drawn again while the low half falls below 2^64 mod n (that part of the
// words would favour the small results).
template <class NextWord>
std::uint32_t BelowFromWords(std::uint32_t n, NextWord&& nextWord) {
    const std::uint64_t range = n;
    unsigned __int128 product = static_cast<unsigned __int128>(nextWord()) * range;
    auto low = static_cast<std::uint64_t>(product);
    if (low < range) {
        const std::uint64_t threshold = (0 - range) % range;
        while (low < threshold) {
            product = static_cast<unsigned __int128>(nextWord()) * range;
            low = static_cast<std::uint64_t>(product);
        }
    }
    return static_cast<std::uint32_t>(product >> 64);
}

// The 64-bit Mersenne Twister (fully specified by its seed) with the mapping
// above: a seed means the same draws everywhere.
class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(std::uint64_t seed) : generator_(seed) {}
    // Seeded from the wall clock, as the programs do once at start.
    static std::uint64_t ClockSeed();
    std::uint32_t Below(std::uint32_t n) override;

private:
    std::mt19937_64 generator_;
};

// Passes every draw on to another source, which may change between draws.
class RandomRelay : public RandomSource {
public:
    explicit RandomRelay(RandomSource& target) : target_(&target) {}
    void SetTarget(RandomSource& target) { target_ = &target; }
    std::uint32_t Below(std::uint32_t n) override { return target_->Below(n); }

private:
    RandomSource* target_;
};

// The seed of each build and the generator it drives. A build takes the seed
// the user chose, or a new one from the clock, and seeds the generator with
// it: the same seed and parameters build the same model and, drawing on,
// start the same run as myogrid-batch --seed. Each later run on that build
// with a chosen seed starts from the generator as the build left it, so it
// repeats step for step; without a chosen seed a later run draws on.
class RunSeed {
public:
    RunSeed() : random_(0), afterBuild_(0) {}

    // The seed the user chose; nothing: a new one from the clock per build.
    void Choose(std::optional<std::uint64_t> seed) { chosen_ = seed; }
    const std::optional<std::uint64_t>& Chosen() const { return chosen_; }
    // The seed of the model in memory; nothing before the first build.
    const std::optional<std::uint64_t>& OfBuild() const { return ofBuild_; }
    // A chosen seed other than the build's asks for a new build.
    bool ChosenDiffersFromBuild() const { return chosen_ && chosen_ != ofBuild_; }

    // A build begins: seeds the generator with the chosen seed or with
    // `clockSeed`, and returns the seed taken.
    std::uint64_t StartBuild(std::uint64_t clockSeed);
    // The build is done: the generator as it stands starts the next run.
    void BuildDone() {
        afterBuild_ = random_;
        runsSinceBuild_ = 0;
    }
    // No build is in memory any more.
    void Forget() { ofBuild_.reset(); }
    // A run begins on the build in memory.
    void StartRun();
    // Whether the run under way repeats with the build's seed alone (as
    // myogrid-batch --seed does): the seed is chosen, or it is the first run
    // after the build.
    bool RunRepeatsWithSeed() const {
        return ofBuild_ && (chosen_ == ofBuild_ || runsSinceBuild_ == 1);
    }

    SeededRandom& Random() { return random_; }

private:
    std::optional<std::uint64_t> chosen_;
    std::optional<std::uint64_t> ofBuild_;
    int runsSinceBuild_ = 0;
    SeededRandom random_;
    SeededRandom afterBuild_;
};

}  // namespace myogrid
