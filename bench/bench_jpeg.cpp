// Timing of the book-figure decoder on the largest pictures it accepts
// (8000 x 5000): a sequential file, a progressive file of the most scans
// allowed, and a progressive file of 1000 scans, which must be refused
// within a second instead of being decoded scan by scan.
#include <benchmark/benchmark.h>

#include <string>

#include "common/errors.h"
#include "ecgtrace/jpeg_figure.h"
#include "support/jpeg_maker.h"

namespace {

const std::string& LargeJpeg(int scans) {
    static std::string made[3];
    const int slot = scans == 0 ? 0 : scans == ecgtrace::kMaxJpegScans ? 1 : 2;
    if (made[slot].empty()) {
        testing_support::JpegRecipe recipe;
        recipe.width = 8000;
        recipe.height = 5000;
        recipe.scans = scans;
        made[slot] = testing_support::MakeJpeg(recipe);
    }
    return made[slot];
}

void Decode(benchmark::State& state, int scans, bool shown) {
    const std::string& bytes = LargeJpeg(scans);
    for (auto _ : state) {
        bool decoded = true;
        try {
            benchmark::DoNotOptimize(ecgtrace::DecodeJpeg(bytes, "x.jpg").constBits());
        } catch (const common::AppError&) {
            decoded = false;
        }
        if (decoded != shown) state.SkipWithError(shown ? "refused" : "decoded");
    }
    state.counters["kB"] = static_cast<double>(bytes.size()) / 1024;
}

void BM_JpegSequential8000x5000(benchmark::State& state) { Decode(state, 0, true); }
void BM_JpegProgressive8000x5000MostScans(benchmark::State& state) {
    Decode(state, ecgtrace::kMaxJpegScans, true);
}
void BM_JpegProgressive8000x5000Refused(benchmark::State& state) { Decode(state, 1000, false); }

BENCHMARK(BM_JpegSequential8000x5000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_JpegProgressive8000x5000MostScans)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_JpegProgressive8000x5000Refused)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
