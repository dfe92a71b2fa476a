#pragma once
// Recordings of known content for the tests: sums of sines with noise,
// written as EDF+/BDF+ (with EDFlib) or as WFDB records.
#include <edflib.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/wfdb_writer.h"

namespace test_support {

struct Sine {
    double frequencyHz;
    double amplitude;
};

// `seconds` of the sum of `sines` plus uniform noise of amplitude `noise`.
inline std::vector<double> SineSum(double rateHz, double seconds, const std::vector<Sine>& sines,
                                   double noise = 0.0, unsigned seed = 7) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-noise, noise);
    const double pi = 3.14159265358979323846;
    std::vector<double> x(static_cast<std::size_t>(std::llround(rateHz * seconds)));
    for (std::size_t n = 0; n < x.size(); ++n) {
        for (const Sine& s : sines)
            x[n] +=
                s.amplitude * std::sin(2 * pi * s.frequencyHz * static_cast<double>(n) / rateHz);
        if (noise > 0) x[n] += jitter(random);
    }
    return x;
}

// One channel per entry of `channels`, all at `rateHz` (whole seconds);
// values within -5..5 mV. Returns false when EDFlib refused.
inline bool WriteEdfRecording(const std::string& path, bool bdf, int rateHz,
                              const std::vector<std::string>& labels,
                              const std::vector<std::vector<double>>& channels) {
    const int handle = edfopen_file_writeonly(
        path.c_str(), bdf ? EDFLIB_FILETYPE_BDFPLUS : EDFLIB_FILETYPE_EDFPLUS,
        static_cast<int>(channels.size()));
    if (handle < 0) return false;
    for (int i = 0; i < static_cast<int>(channels.size()); ++i) {
        edf_set_samplefrequency(handle, i, rateHz);
        edf_set_physical_maximum(handle, i, 5.0);
        edf_set_physical_minimum(handle, i, -5.0);
        edf_set_digital_maximum(handle, i, bdf ? 8388607 : 32767);
        edf_set_digital_minimum(handle, i, bdf ? -8388608 : -32768);
        edf_set_label(handle, i, labels[static_cast<std::size_t>(i)].c_str());
        edf_set_physical_dimension(handle, i, "mV");
    }
    const std::size_t seconds = channels.front().size() / static_cast<std::size_t>(rateHz);
    bool ok = true;
    for (std::size_t s = 0; s < seconds && ok; ++s)
        for (const auto& c : channels) {
            std::vector<double> second(c.begin() + static_cast<std::ptrdiff_t>(s * rateHz),
                                       c.begin() + static_cast<std::ptrdiff_t>((s + 1) * rateHz));
            ok = ok && edfwrite_physical_samples(handle, second.data()) == 0;
        }
    return edfclose_file(handle) == 0 && ok;
}

// A WFDB record of one signal: `values` in mV stored at 200 units per mV.
inline void WriteWfdbSignal(const std::string& folder, const std::string& name, int format,
                            double rateHz, const std::string& label,
                            const std::vector<double>& values) {
    WfdbSignal s;
    s.description = label;
    for (double v : values) s.adc.push_back(static_cast<int>(std::lround(v * s.gain)));
    WriteWfdbRecord(folder, name, format, rateHz, {s});
}

}  // namespace test_support
