#include "ecgtrace/model/recording.h"

#include <samplerate.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "common/errors.h"
#include "common/number_format.h"
#include "ecgtrace/model/recording_sources.h"

namespace ecgtrace {
namespace {

// Beyond this a window's samples would no longer be a small read.
constexpr double kHighestRecordingRateHz = 100000.0;
// Read on each side of the window where the file has it, so the
// converter's filter has settled at the window's edges.
constexpr double kResamplingMarginSeconds = 1.0;

std::string Number(double value) { return common::FormatGeneral(value, 6); }

std::string ChannelName(const RecordingWindow& w) {
    return w.channelLabel.empty() ? common::IntToText(static_cast<std::int64_t>(w.channel + 1))
                                  : w.channelLabel;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

namespace detail {
std::string UnreadableRecordingMessage(const std::string& path) {
    return RecordingName(path) + " is not a recording that can be read (unknown or damaged format)";
}
}  // namespace detail

std::string RecordingName(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

std::unique_ptr<RecordingSource> OpenRecording(const std::string& path) {
    // Devices, pipes and folders are no recordings; reading them could block.
    std::error_code error;
    if (path.empty() || path.find('\0') != std::string::npos ||
        !std::filesystem::is_regular_file(path, error))
        throw common::AppError(common::CannotOpenFileMessage(path));
    if (detail::LooksLikeEdf(path)) return detail::OpenEdfRecording(path);
    return detail::OpenBiosigRecording(path);
}

std::size_t ChooseChannel(const RecordingInfo& info, const std::optional<std::string>& choice) {
    const auto& channels = info.channels;
    if (!choice) {
        for (std::size_t i = 0; i < channels.size(); ++i)
            if (!channels[i].annotation) return i;
        throw common::AppError("The recording has no signal channel");
    }
    const std::string wanted = Trim(*choice);
    const std::string refusal = "The recording has no channel " + *choice;
    if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        })) {
        if (wanted.size() > 6) throw common::AppError(refusal);
        const std::size_t number = std::stoul(wanted);
        if (number < 1 || number > channels.size() || channels[number - 1].annotation)
            throw common::AppError(refusal);
        return number - 1;
    }
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < channels.size(); ++i) {
            const std::string label = Trim(channels[i].label);
            if (!channels[i].annotation &&
                (pass == 0 ? label == wanted : SameNoCase(label, wanted)))
                return i;
        }
    throw common::AppError(refusal);
}

std::vector<double> ResampleTo100Hz(const std::vector<double>& samples, double rateHz) {
    if (rateHz == kRecordingRateHz) return samples;
    const double ratio = kRecordingRateHz / rateHz;
    const std::vector<float> in(samples.begin(), samples.end());
    std::vector<float> out(static_cast<std::size_t>(std::ceil(in.size() * ratio)) + 16);
    SRC_DATA data{};
    data.data_in = in.data();
    data.input_frames = static_cast<long>(in.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(out.size());
    data.src_ratio = ratio;
    if (const int error = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, 1))
        throw common::AppError(std::string("The recording cannot be resampled: ") +
                               src_strerror(error));
    return std::vector<double>(out.begin(), out.begin() + data.output_frames_gen);
}

RecordingWindow ReadRecordingWindow(RecordingSource& source, std::size_t channel,
                                    double startSeconds) {
    const RecordingInfo& info = source.Info();
    const RecordingChannel& c = info.channels.at(channel);
    RecordingWindow w;
    w.file = info.file;
    w.channelLabel = c.label;
    w.channel = channel;
    w.unit = c.unit;
    w.rateHz = c.rateHz;
    w.startSeconds = startSeconds;
    w.recordingSeconds = c.Seconds();
    if (!(c.rateHz >= kLowestRecordingRateHz))
        throw common::AppError("Channel " + ChannelName(w) + " is sampled at " + Number(c.rateHz) +
                               " Hz; at least 40 Hz are needed");
    if (c.rateHz > kHighestRecordingRateHz)
        throw common::AppError("Channel " + ChannelName(w) + " is sampled at " + Number(c.rateHz) +
                               " Hz; at most 100000 Hz are handled");
    if (!std::isfinite(startSeconds) || startSeconds < 0 ||
        startSeconds + kRecordingSeconds > c.Seconds() + 1e-9)
        throw common::AppError("The recording lasts " + Number(c.Seconds()) + " s: from " +
                               Number(startSeconds) + " s on there are not 28 s to analyse");

    const double rate = c.rateHz;
    const std::int64_t total = c.sampleCount;
    const std::int64_t first = std::min<std::int64_t>(std::llround(startSeconds * rate), total);
    const std::int64_t count =
        std::min<std::int64_t>(std::llround(kRecordingSeconds * rate), total - first);
    const auto margin = static_cast<std::int64_t>(std::ceil(kResamplingMarginSeconds * rate));
    const std::int64_t from = std::max<std::int64_t>(0, first - margin);
    const std::int64_t to = std::min<std::int64_t>(total, first + count + margin);
    const std::vector<double> raw = source.Read(channel, from, to - from);

    const auto begin = raw.begin() + (first - from);
    const auto end = begin + count;
    // Formats mark samples they lack (a lead off) as not a number.
    if (!std::all_of(raw.begin(), raw.end(), [](double x) { return std::isfinite(x); }))
        throw common::AppError("Channel " + ChannelName(w) +
                               " has missing samples near the 28 s from " + Number(startSeconds) +
                               " s");
    const auto [low, high] = std::minmax_element(begin, end);
    if (count < 2 || *low == *high)
        throw common::AppError("Channel " + ChannelName(w) + " is flat from " +
                               Number(startSeconds) + " s on; there is nothing to analyse");

    const std::vector<double> resampled = ResampleTo100Hz(raw, rate);
    const auto offset = static_cast<std::size_t>(
        std::llround(static_cast<double>(first - from) * kRecordingRateHz / rate));
    w.samples.assign(kRecordingSamples, 0.0);
    for (std::size_t j = 0; j < w.samples.size(); ++j) {
        // The converter may give a sample or two fewer at the file's very end.
        const std::size_t i = std::min(offset + j, resampled.size() - 1);
        if (offset + j >= resampled.size() + 2)
            throw common::AppError(detail::UnreadableRecordingMessage(info.file));
        w.samples[j] = resampled[i];
    }
    return w;
}

RecordingWindow ReadRecordingWindow(const std::string& path,
                                    const std::optional<std::string>& channel,
                                    double startSeconds) {
    const std::unique_ptr<RecordingSource> source = OpenRecording(path);
    return ReadRecordingWindow(*source, ChooseChannel(source->Info(), channel), startSeconds);
}

}  // namespace ecgtrace
