#pragma once
// Writes small WFDB records (a ".hea" header and one ".dat" signal file) in
// formats 16 and 212, so tests can make recordings of known content.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace test_support {

struct WfdbSignal {
    std::string description;  // the channel's label
    double gain = 200.0;      // ADC units per physical unit
    std::string unit = "mV";
    std::vector<int> adc;  // the stored sample values
};

// Writes `folder`/`name`.hea and `folder`/`name`.dat; `format` is 16 or 212.
// Every signal must hold the same number of samples (212: within -2048..2047).
inline void WriteWfdbRecord(const std::string& folder, const std::string& name, int format,
                            double rateHz, const std::vector<WfdbSignal>& channels) {
    const std::size_t count = channels.empty() ? 0 : channels.front().adc.size();
    std::vector<int> frames;  // sample-major, as the file stores them
    frames.reserve(count * channels.size());
    for (std::size_t n = 0; n < count; ++n)
        for (const WfdbSignal& s : channels) frames.push_back(s.adc[n]);

    std::string bytes;
    if (format == 16) {
        for (int v : frames) {
            const auto u = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
            bytes += static_cast<char>(u & 0xff);
            bytes += static_cast<char>(u >> 8);
        }
    } else {
        // Two 12-bit values in three bytes: low byte of the first, the high
        // nibbles of both, low byte of the second.
        for (std::size_t i = 0; i < frames.size(); i += 2) {
            const unsigned a = static_cast<unsigned>(frames[i]) & 0xfff;
            const unsigned b =
                i + 1 < frames.size() ? static_cast<unsigned>(frames[i + 1]) & 0xfff : 0;
            bytes += static_cast<char>(a & 0xff);
            bytes += static_cast<char>(((a >> 8) & 0x0f) | ((b >> 8) & 0x0f) << 4);
            if (i + 1 < frames.size()) bytes += static_cast<char>(b & 0xff);
        }
    }
    std::ofstream(folder + "/" + name + ".dat", std::ios::binary) << bytes;

    std::ofstream hea(folder + "/" + name + ".hea", std::ios::binary);
    hea << name << " " << channels.size() << " " << rateHz << " " << count << "\n";
    for (const WfdbSignal& s : channels) {
        int first = s.adc.empty() ? 0 : s.adc.front();
        int checksum = 0;
        for (int v : s.adc) checksum += v;
        hea << name << ".dat " << format << " " << s.gain << "/" << s.unit << " "
            << (format == 16 ? 16 : 12) << " 0 " << first << " "
            << static_cast<std::int16_t>(checksum) << " 0 " << s.description << "\n";
    }
}

}  // namespace test_support
