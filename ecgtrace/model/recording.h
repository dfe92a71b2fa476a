#pragma once
// ECG recordings beside the simulation: a recording file (EDF, EDF+, BDF
// through EDFlib; WFDB and the other biosignal formats through libbiosig),
// its channels, and the 28 s of one channel resampled to the simulated
// signal's 100 Hz. Only the part of the file that is needed is read.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ecgtrace {

inline constexpr int kRecordingRateHz = 100;
inline constexpr int kRecordingSeconds = 28;
inline constexpr int kRecordingSamples = kRecordingRateHz * kRecordingSeconds;  // as E(t)
inline constexpr double kLowestRecordingRateHz = 40.0;

struct RecordingChannel {
    std::string label;
    double rateHz = 0.0;
    std::string unit;
    std::int64_t sampleCount = 0;
    bool annotation = false;  // carries events, not a signal
    double Seconds() const { return rateHz > 0 ? static_cast<double>(sampleCount) / rateHz : 0.0; }
};

struct RecordingInfo {
    std::string file;
    std::vector<RecordingChannel> channels;
    double seconds = 0.0;  // the longest channel's length
};

// A reader of one open recording file.
class RecordingSource {
public:
    virtual ~RecordingSource() = default;
    virtual const RecordingInfo& Info() const = 0;
    // Samples first..first+count-1 of channel `index` (0-based) in its unit.
    virtual std::vector<double> Read(std::size_t index, std::int64_t first, std::int64_t count) = 0;
};

// Opens a recording; a file that cannot be read as one throws AppError.
std::unique_ptr<RecordingSource> OpenRecording(const std::string& path);

// The channel `choice` names: a number counting from 1 or a label; none
// means the first channel that is not an annotation channel. Throws when
// there is no such channel.
std::size_t ChooseChannel(const RecordingInfo& info, const std::optional<std::string>& choice);

// 28 s of one channel at 100 Hz.
struct RecordingWindow {
    std::string file;
    std::string channelLabel;
    std::size_t channel = 0;  // 0-based
    std::string unit;
    double rateHz = 0.0;  // the recording's own rate
    double startSeconds = 0.0;
    double recordingSeconds = 0.0;
    std::vector<double> samples;  // kRecordingSamples values, 10 ms apart
};

// Reads the 28 s from `startSeconds` of channel `channel` and resamples
// them. Refuses a start that leaves less than 28 s, a rate below 40 Hz,
// a flat channel and samples that are not numbers.
RecordingWindow ReadRecordingWindow(RecordingSource& source, std::size_t channel,
                                    double startSeconds);
RecordingWindow ReadRecordingWindow(const std::string& path,
                                    const std::optional<std::string>& channel, double startSeconds);

// Resamples `samples` taken at `rateHz` to 100 Hz with a band-limiting
// (anti-aliasing) converter; returns about samples.size() * 100 / rateHz values.
std::vector<double> ResampleTo100Hz(const std::vector<double>& samples, double rateHz);

// The name shown for the recording: the file name without its folders.
std::string RecordingName(const std::string& path);

}  // namespace ecgtrace
