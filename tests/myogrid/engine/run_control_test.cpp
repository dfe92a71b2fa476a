// Run control below the window: how a timer tick paces the steps, which
// cell a click on the all-cells view means, and how a seed repeats a build
// and its runs.
#include "myogrid/engine/model_renderer.h"
#include "myogrid/engine/random_source.h"
#include "myogrid/engine/run_loop.h"

#include "common/errors.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace myogrid {
namespace {

// Each reading moves the clock on by `advance` milliseconds.
class SteppingClock : public MillisecondClock {
public:
    std::int64_t now = 1000;
    std::int64_t advance = 0;
    std::int64_t NowMs() override {
        const std::int64_t value = now;
        now += advance;
        return value;
    }
};

// ------------------------------------------------------------- pacing

TEST(RunPacing, WithAPauseEveryTickIsOneShownStepAfterStepTimePlusPause) {
    SteppingClock clock;
    clock.advance = 40;  // the timed first step takes 40 ms
    RunLoop loop(clock);
    EXPECT_EQ(loop.PauseMs(), kDefaultPauseMs);
    int steps = 0;
    EXPECT_EQ(loop.StartRun([] {}, [&] { ++steps; }), 140);
    for (int i = 0; i < 5; ++i) {
        const SliceResult slice = loop.RunSlice([&] { ++steps; });
        EXPECT_EQ(slice.steps, 1);
        EXPECT_TRUE(slice.show);
    }
    EXPECT_EQ(steps, 6);

    loop.SetPauseMs(250);
    EXPECT_EQ(loop.IntervalMs(), 290);
    loop.SetPauseMs(5000);
    EXPECT_EQ(loop.PauseMs(), kMaxPauseMs);
    loop.SetPauseMs(-3);
    EXPECT_EQ(loop.PauseMs(), 0);
    EXPECT_EQ(loop.IntervalMs(), 0);  // as often as the event loop allows
}

TEST(RunPacing, WithoutPauseASliceEndsAfterItsBudgetWhateverTheStepsCost) {
    SteppingClock clock;
    RunLoop loop(clock);
    loop.SetPauseMs(0);
    loop.StartRun([] {}, [] {});
    for (const int cost : {1, 3, 7, 8, 50}) {
        SCOPED_TRACE(cost);
        clock.advance = cost;  // one clock reading per step
        const std::int64_t begin = clock.now;
        const SliceResult slice = loop.RunSlice([] {});
        EXPECT_GE(slice.steps, 1);
        EXPECT_EQ(slice.steps, (kSliceBudgetMs + cost - 1) / cost);
        // The event loop has its turn one step after the budget at most.
        EXPECT_LE(clock.now - begin, kSliceBudgetMs + 2 * cost);
    }
}

TEST(RunPacing, WithoutPauseThePicturesAreShownAtMostOncePerFrame) {
    SteppingClock clock;
    clock.advance = 1;
    RunLoop loop(clock);
    loop.SetPauseMs(0);
    loop.StartRun([] {}, [] {});
    int steps = 0;
    std::vector<std::int64_t> shownAt;
    const std::int64_t begin = clock.now;
    for (int tick = 0; tick < 200; ++tick) {
        const SliceResult slice = loop.RunSlice([&] { ++steps; });
        if (slice.show) shownAt.push_back(clock.now);
    }
    const std::int64_t elapsed = clock.now - begin;
    ASSERT_FALSE(shownAt.empty());
    EXPECT_LE(static_cast<std::int64_t>(shownAt.size()), elapsed / kFrameIntervalMs + 1);
    // Never more often than a frame, but not much less often either.
    for (std::size_t i = 1; i < shownAt.size(); ++i) {
        EXPECT_GE(shownAt[i] - shownAt[i - 1], kFrameIntervalMs);
        EXPECT_LE(shownAt[i] - shownAt[i - 1], kFrameIntervalMs + kSliceBudgetMs + 2);
    }
    EXPECT_GT(steps, static_cast<int>(10 * shownAt.size()));  // many steps per picture
}

TEST(RunPacing, AClockSetBackEndsTheSliceAndShowsThePictures) {
    SteppingClock clock;
    clock.advance = 1;
    RunLoop loop(clock);
    loop.SetPauseMs(0);
    loop.StartRun([] {}, [] {});
    loop.RunSlice([] {});
    int steps = 0;
    const SliceResult slice = loop.RunSlice([&] {
        ++steps;
        clock.now -= 100000;
    });
    EXPECT_EQ(slice.steps, 1);
    EXPECT_TRUE(slice.show);
}

TEST(RunPacing, PauseHoldsTheRunAndHaltEndsIt) {
    SteppingClock clock;
    RunLoop loop(clock);
    int steps = 0;
    const auto step = [&] { ++steps; };
    EXPECT_EQ(loop.RunSlice(step).steps, 0);  // nothing to run yet
    loop.Pause();                             // nothing to pause either
    EXPECT_FALSE(loop.Paused());

    loop.StartRun([] {}, step);
    loop.Pause();
    EXPECT_TRUE(loop.Paused());
    EXPECT_FALSE(loop.Running());
    EXPECT_EQ(loop.RunSlice(step).steps, 0);
    loop.Resume();
    EXPECT_TRUE(loop.Running());
    EXPECT_EQ(loop.RunSlice(step).steps, 1);

    loop.Pause();
    loop.Halt();
    EXPECT_FALSE(loop.Paused());
    loop.Resume();  // a halted run does not go on
    EXPECT_FALSE(loop.Running());

    loop.StartRun([] {}, step);
    loop.HoldStill();  // a run begun by a single step
    EXPECT_TRUE(loop.Paused());
    EXPECT_FALSE(loop.Running());
}

TEST(RunPacing, AFailingStepInASliceHaltsTheRun) {
    SteppingClock clock;
    clock.advance = 1;
    RunLoop loop(clock);
    loop.SetPauseMs(0);
    loop.StartRun([] {}, [] {});
    int steps = 0;
    EXPECT_THROW(loop.RunSlice([&] {
        if (++steps == 3) throw common::AppError("Invalid floating point operation");
    }),
                 common::AppError);
    EXPECT_EQ(steps, 3);
    EXPECT_FALSE(loop.Running());
    EXPECT_FALSE(loop.Paused());
}

// ------------------------------------------------------ picking cells

// Top left of a dot in the all-cells view, as it is drawn: the x layers as
// tiles, four to a row, dots 3 pixels apart, tiles dimension + 2 dots apart.
int DotX(int x, int z, int d) { return (z + (d + 2) * (x % 4)) * 3 + 5; }
int DotY(int x, int y, int d) { return (y + (x / 4) * (d + 2)) * 3 + 5; }

TEST(TileCellAt, EveryPixelOfADotsPlaceMeansItsCell) {
    for (const int d : {3, 5, 10, 13}) {
        SCOPED_TRACE(d);
        std::set<std::pair<int, int>> covered;
        for (int x = 0; x < d; ++x) {
            for (int y = 0; y < d; ++y) {
                for (int z = 0; z < d; ++z) {
                    const int px = DotX(x, z, d), py = DotY(x, y, d);
                    for (int dx = 0; dx < 3; ++dx) {
                        for (int dy = 0; dy < 3; ++dy) {
                            const auto cell = TileCellAt(px + dx, py + dy, d);
                            ASSERT_TRUE(cell) << x << " " << y << " " << z;
                            ASSERT_EQ(*cell, (LatticePoint{x, y, z}));
                            covered.insert({px + dx, py + dy});
                        }
                    }
                }
            }
        }
        // No other pixel of the right window means a cell.
        for (int px = -2; px < 215; ++px) {
            for (int py = -2; py < 215; ++py) {
                if (covered.count({px, py})) continue;
                ASSERT_FALSE(TileCellAt(px, py, d)) << px << " " << py;
            }
        }
    }
}

TEST(TileCellAt, TileEdgesAtTheLargestBlock) {
    // Dimension 13: tiles of 39 pixels, 45 apart, from pixel 5; four rows.
    EXPECT_EQ(TileCellAt(5, 5, 13), (LatticePoint{0, 0, 0}));
    EXPECT_EQ(TileCellAt(43, 43, 13), (LatticePoint{0, 12, 12}));
    EXPECT_FALSE(TileCellAt(44, 5, 13));  // the gap right of the first tile
    EXPECT_FALSE(TileCellAt(49, 5, 13));
    EXPECT_EQ(TileCellAt(50, 5, 13), (LatticePoint{1, 0, 0}));
    EXPECT_EQ(TileCellAt(5, 50, 13), (LatticePoint{4, 0, 0}));
    EXPECT_EQ(TileCellAt(5, 140, 13), (LatticePoint{12, 0, 0}));  // the last layer
    EXPECT_FALSE(TileCellAt(50, 140, 13));                        // no 14th layer
    EXPECT_FALSE(TileCellAt(185, 5, 13));                         // no fifth tile in a row
    EXPECT_FALSE(TileCellAt(4, 5, 13));
    EXPECT_FALSE(TileCellAt(5, 4, 13));
    EXPECT_FALSE(TileCellAt(5, 5, 0));
}

// -------------------------------------------------------------- seeds

std::vector<std::uint32_t> Draws(RandomSource& random, int count) {
    std::vector<std::uint32_t> draws;
    for (int i = 0; i < count; ++i) draws.push_back(random.Below(1000000));
    return draws;
}

TEST(RunSeed, DrawsAreFixedByTheSeedAlone) {
    // Known draws of seed 42: a seed must mean the same run everywhere.
    SeededRandom random(42);
    EXPECT_EQ(Draws(random, 8), (std::vector<std::uint32_t>{755155, 639031, 752145, 136272, 903268,
                                                            94068, 574570, 372887}));
    // A word whose low part of word * n lies below 2^64 mod n is drawn again.
    std::vector<std::uint64_t> words = {0, std::uint64_t{1} << 63};
    std::size_t next = 0;
    EXPECT_EQ(BelowFromWords(3, [&] { return words[next++]; }), 1u);
    EXPECT_EQ(next, 2u);
}

TEST(RunSeed, ABuildWithTheSeedDrawsAsAGeneratorWithThatSeed) {
    RunSeed seed;
    seed.Choose(77);
    EXPECT_EQ(seed.StartBuild(12345), 77u);
    EXPECT_EQ(seed.OfBuild(), std::optional<std::uint64_t>(77));
    SeededRandom same(77);
    EXPECT_EQ(Draws(seed.Random(), 50), Draws(same, 50));

    seed.Choose(std::nullopt);
    EXPECT_EQ(seed.StartBuild(12345), 12345u);  // from the clock
    SeededRandom fromClock(12345);
    EXPECT_EQ(Draws(seed.Random(), 50), Draws(fromClock, 50));
}

TEST(RunSeed, WithAChosenSeedEveryRunRepeatsTheFirstAfterTheBuild) {
    RunSeed seed;
    seed.Choose(9);
    seed.StartBuild(1);
    const auto build = Draws(seed.Random(), 20);
    seed.BuildDone();
    seed.StartRun();
    const auto firstRun = Draws(seed.Random(), 30);
    seed.StartRun();
    EXPECT_EQ(Draws(seed.Random(), 30), firstRun);

    // The same stream as one generator through build and run (the batch tool).
    SeededRandom batch(9);
    EXPECT_EQ(Draws(batch, 20), build);
    EXPECT_EQ(Draws(batch, 30), firstRun);
}

TEST(RunSeed, WithoutAChosenSeedRunsDrawOnAndAChangedChoiceAsksForABuild) {
    RunSeed seed;
    EXPECT_FALSE(seed.ChosenDiffersFromBuild());
    seed.StartBuild(5);
    seed.BuildDone();
    seed.StartRun();
    EXPECT_TRUE(seed.RunRepeatsWithSeed());
    const auto firstRun = Draws(seed.Random(), 30);
    seed.StartRun();
    EXPECT_NE(Draws(seed.Random(), 30), firstRun);
    EXPECT_FALSE(seed.RunRepeatsWithSeed());

    seed.Choose(5);  // the seed the clock gave: no new build needed
    EXPECT_FALSE(seed.ChosenDiffersFromBuild());
    seed.StartRun();
    EXPECT_EQ(Draws(seed.Random(), 30), firstRun);
    seed.Choose(6);
    EXPECT_TRUE(seed.ChosenDiffersFromBuild());
    seed.Choose(5);
    seed.Forget();  // the model was released
    EXPECT_TRUE(seed.ChosenDiffersFromBuild());
}

}  // namespace
}  // namespace myogrid
