// Recordings read through the libraries, resampled to 100 Hz and measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/errors.h"
#include "ecgtrace/model/recording.h"
#include "ecgtrace/batch/recording_commands.h"
#include "ecgtrace/model/recording_plots.h"
#include "ecgtrace/model/signal_measures.h"
#include "support/recording_maker.h"
#include "support/work_dir.h"

namespace ecgtrace {
namespace {

using test_support::Sine;
using test_support::SineSum;

enum class Format { Edf, Bdf, Wfdb16, Wfdb212 };

// Writes one channel "II" and returns the path to open.
std::string Write(const std::string& folder, Format format, int rate,
                  const std::vector<double>& values, const std::string& label = "II") {
    switch (format) {
        case Format::Edf:
        case Format::Bdf: {
            const std::string path = folder + (format == Format::Bdf ? "/r.bdf" : "/r.edf");
            EXPECT_TRUE(test_support::WriteEdfRecording(path, format == Format::Bdf, rate, {label},
                                                        {values}));
            return path;
        }
        case Format::Wfdb16:
        case Format::Wfdb212:
            test_support::WriteWfdbSignal(folder, "r", format == Format::Wfdb16 ? 16 : 212, rate,
                                          label, values);
            return folder + "/r.hea";
    }
    return {};
}

struct KnownSignal {
    Format format;
    int rate;
    double dominantHz;
};

class RecordingFormats : public testing::TestWithParam<KnownSignal> {};

// Each format reads the channel with its label, rate and unit, and the
// dominant frequency of a noisy sum of sines lies within one 0.25 Hz bin.
TEST_P(RecordingFormats, FindsTheDominantFrequency) {
    testing_support::ScopedWorkDir dir;
    const KnownSignal k = GetParam();
    const auto values = SineSum(k.rate, 40, {{k.dominantHz, 2.0}, {2.2 * k.dominantHz, 0.7}}, 0.5);
    const std::string path = Write(dir.Path(), k.format, k.rate, values);
    const RecordingWindow w = ReadRecordingWindow(path, std::nullopt, 5.0);
    EXPECT_EQ(w.channelLabel, "II");
    EXPECT_EQ(w.unit, "mV");
    EXPECT_DOUBLE_EQ(w.rateHz, k.rate);
    EXPECT_EQ(w.samples.size(), static_cast<std::size_t>(kRecordingSamples));
    const SignalMeasures m = MeasureSignal(w.samples);
    ASSERT_TRUE(m.dominantFrequencyHz);
    EXPECT_NEAR(*m.dominantFrequencyHz, k.dominantHz, 0.25);
    ASSERT_TRUE(m.organisationIndex);
    EXPECT_GT(*m.organisationIndex, 0.5);
    EXPECT_LE(*m.organisationIndex, 1.0);
    // The plot's 1 Hz spectrum peaks at the same place.
    const RecordingAnalysis a = AnalyseRecording(w);
    const auto peak = std::max_element(a.power.amplitude.begin(), a.power.amplitude.end());
    EXPECT_NEAR(static_cast<double>(peak - a.power.amplitude.begin()), k.dominantHz, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Recordings, RecordingFormats,
                         testing::Values(KnownSignal{Format::Edf, 250, 5.3},
                                         KnownSignal{Format::Bdf, 360, 7.6},
                                         KnownSignal{Format::Wfdb16, 360, 4.2},
                                         KnownSignal{Format::Wfdb212, 250, 9.1}));

TEST(Resampling, KeepsTheAmplitudeOfA5HzSine) {
    for (double rate : {250.0, 360.0, 500.0}) {
        const auto in = SineSum(rate, 30, {{5.0, 1.0}});
        const std::vector<double> out = ResampleTo100Hz(in, rate);
        EXPECT_NEAR(static_cast<double>(out.size()), 3000, 2) << rate;
        // Away from the edges the peaks keep their height.
        const auto [low, high] = std::minmax_element(out.begin() + 200, out.end() - 200);
        EXPECT_NEAR(*high, 1.0, 0.01) << rate;
        EXPECT_NEAR(*low, -1.0, 0.01) << rate;
    }
}

TEST(Wfdb212, ReadsBackTheWrittenSamples) {
    testing_support::ScopedWorkDir dir;
    test_support::WfdbSignal a{"I", 200, "mV", {}}, b{"II", 100, "mV", {}};
    for (int n = 0; n < 1001; ++n) {              // odd count: the last byte triple is half used
        a.adc.push_back((n * 37) % 4095 - 2047);  // -2048 marks a missing sample
        b.adc.push_back(2047 - (n * 11) % 4096);
    }
    test_support::WriteWfdbRecord(dir.Path(), "x", 212, 360, {a, b});
    const auto source = OpenRecording(dir.File("x.hea"));
    ASSERT_EQ(source->Info().channels.size(), 2u);
    const std::vector<double> first = source->Read(0, 0, 1001);
    const std::vector<double> second = source->Read(1, 500, 500);
    for (int n = 0; n < 1001; ++n) EXPECT_DOUBLE_EQ(first[n], a.adc[n] / 200.0) << n;
    for (int n = 0; n < 500; ++n) EXPECT_DOUBLE_EQ(second[n], b.adc[n + 500] / 100.0) << n;
}

struct BadCase {
    const char* name;
    std::function<std::string(const std::string& folder)> make;  // returns the path
    std::optional<std::string> channel;
    double start;
    const char* message;  // a part of it
};

std::string GoodEdf(const std::string& folder) {
    return Write(folder, Format::Edf, 250, SineSum(250, 60, {{6, 1}}));
}

class BadRecordings : public testing::TestWithParam<BadCase> {};

TEST_P(BadRecordings, AreRefusedWithAClearMessage) {
    testing_support::ScopedWorkDir dir;
    const BadCase& c = GetParam();
    const std::string path = c.make(dir.Path());
    try {
        ReadRecordingWindow(path, c.channel, c.start);
        FAIL() << "accepted";
    } catch (const common::AppError& e) {
        EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Recordings, BadRecordings,
    testing::Values(
        BadCase{"UnknownFormat",
                [](const std::string& f) {
                    std::ofstream(f + "/x.dat") << std::string(3000, 'x');
                    return f + "/x.dat";
                },
                std::nullopt, 0, "unknown or damaged format"},
        BadCase{"DamagedEdf",
                [](const std::string& f) {
                    const std::string path = GoodEdf(f);
                    std::filesystem::resize_file(path, 300);
                    return path;
                },
                std::nullopt, 0, "unknown or damaged format"},
        BadCase{
            "MissingDat",
            [](const std::string& f) {
                test_support::WriteWfdbSignal(f, "r", 16, 250, "II", SineSum(250, 60, {{6, 1}}));
                std::filesystem::remove(f + "/r.dat");
                return f + "/r.hea";
            },
            std::nullopt, 0, "The signal file r.dat of the record r.hea is missing"},
        BadCase{
            "ShortDat",
            [](const std::string& f) {
                test_support::WriteWfdbSignal(f, "r", 212, 250, "II", SineSum(250, 60, {{6, 1}}));
                std::filesystem::resize_file(f + "/r.dat", 100);
                return f + "/r.hea";
            },
            std::nullopt, 0, "shorter than its header says"},
        BadCase{"NoSuchChannelNumber", GoodEdf, "2", 0, "The recording has no channel 2"},
        BadCase{"NoSuchChannelLabel", GoodEdf, "V9", 0, "The recording has no channel V9"},
        BadCase{"StartPastTheEnd", GoodEdf, std::nullopt, 70, "there are not 28 s"},
        BadCase{"StartTooNearTheEnd", GoodEdf, std::nullopt, 32.5, "there are not 28 s"},
        BadCase{"NegativeStart", GoodEdf, std::nullopt, -1, "there are not 28 s"},
        BadCase{"FlatChannel",
                [](const std::string& f) {
                    return Write(f, Format::Edf, 250, std::vector<double>(250 * 60, 0.4));
                },
                std::nullopt, 0, "Channel II is flat"},
        BadCase{"RateBelow40Hz",
                [](const std::string& f) {
                    return Write(f, Format::Edf, 30, SineSum(30, 60, {{6, 1}}));
                },
                std::nullopt, 0, "sampled at 30 Hz; at least 40 Hz"},
        BadCase{"NoFile", [](const std::string& f) { return f + "/none.edf"; }, std::nullopt, 0,
                "Cannot open file"},
        BadCase{"Folder", [](const std::string& f) { return f; }, std::nullopt, 0,
                "Cannot open file"}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST(Channels, AreChosenByNumberOrLabel) {
    RecordingInfo info;
    info.channels = {
        {"EDF Annotations", 1, "", 0, true}, {"I", 250, "mV", 1}, {"V1", 250, "mV", 1}};
    EXPECT_EQ(ChooseChannel(info, std::nullopt), 1u);
    EXPECT_EQ(ChooseChannel(info, "3"), 2u);
    EXPECT_EQ(ChooseChannel(info, "v1"), 2u);
    EXPECT_THROW(ChooseChannel(info, "1"), common::AppError);  // annotations are no signal
    EXPECT_THROW(ChooseChannel(info, "0"), common::AppError);
    EXPECT_THROW(ChooseChannel(info, "99999999999999999999"), common::AppError);
}

TEST(Summary, IsOneJsonObjectWithSafeStrings) {
    EXPECT_EQ(JsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\u000a\\u0001\"");
    EXPECT_EQ(JsonString("\xc3\xa9\xff"), "\"\xc3\xa9\\ufffd\"");
    SummaryValues v{"", "E", "", 100, 0, {}};
    EXPECT_EQ(SummaryJson(v),
              "{\"file\":null,\"channel\":\"E\",\"unit\":\"\",\"sample_rate_Hz\":100,\"start_s\":0,"
              "\"seconds\":28,\"dominant_frequency_Hz\":null,\"organisation_index\":null}\n");
}

}  // namespace
}  // namespace ecgtrace
