// Opening and analysing 28 s of a long recording: a 2-hour, 12-channel
// EDF+ at 500 Hz is made once; each iteration opens it, reads one
// channel's window, resamples it and computes every analysis and measure.
// Goal: well within 1 s and 150 MB in the Release build.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "ecgtrace/model/recording.h"
#include "ecgtrace/model/recording_plots.h"
#include "ecgtrace/model/signal_measures.h"
#include "support/recording_maker.h"

namespace {

const std::string& LongRecording() {
    static const std::string path = [] {
        const std::string p =
            (std::filesystem::temp_directory_path() / "ecgtrace-bench-2h-12ch.edf").string();
        if (!std::filesystem::exists(p)) {
            // Written a second at a time: the whole recording never is in memory.
            const int rate = 500, channels = 12;
            const int handle = edfopen_file_writeonly(p.c_str(), EDFLIB_FILETYPE_EDFPLUS, channels);
            for (int c = 0; c < channels; ++c) {
                edf_set_samplefrequency(handle, c, rate);
                edf_set_physical_maximum(handle, c, 5.0);
                edf_set_physical_minimum(handle, c, -5.0);
                edf_set_digital_maximum(handle, c, 32767);
                edf_set_digital_minimum(handle, c, -32768);
                edf_set_label(handle, c, ("L" + std::to_string(c + 1)).c_str());
                edf_set_physical_dimension(handle, c, "mV");
            }
            for (int s = 0; s < 2 * 3600; ++s)
                for (int c = 0; c < channels; ++c) {
                    std::vector<double> second = test_support::SineSum(
                        rate, 1, {{5.0 + c * 0.3, 2}}, 0.3, static_cast<unsigned>(s));
                    edfwrite_physical_samples(handle, second.data());
                }
            edfclose_file(handle);
        }
        return p;
    }();
    return path;
}

void BM_OpenAndAnalyseLongRecording(benchmark::State& state) {
    const std::string& path = LongRecording();
    for (auto _ : state) {
        const auto analysis =
            ecgtrace::AnalyseRecording(ecgtrace::ReadRecordingWindow(path, "7", 3600.0));
        benchmark::DoNotOptimize(ecgtrace::MeasureSignal(analysis.window.samples));
    }
}
BENCHMARK(BM_OpenAndAnalyseLongRecording)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
