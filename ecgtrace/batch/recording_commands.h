#pragma once
// ecgtrace-batch's recording and summary commands:
//   --recording FILE [--channel N|LABEL] [--start SECONDS] --summary
//   --recording FILE [--channel ...] [--start ...] --plot histogram|autocorrelation|power
//                    --format png|svg|csv [--scale N] --out FILE
//   [PARFILE] --summary
// Each returns the exit status (0 done, 1 failed, 2 bad arguments); messages
// go to stderr and nothing is written to stdout on failure.
#include <optional>
#include <string>

#include "ecgtrace/model/recording.h"
#include "ecgtrace/model/signal_measures.h"

namespace ecgtrace {

bool AsksForRecording(int argc, char** argv);
bool AsksForSummary(int argc, char** argv);
int RunRecordingCommand(int argc, char** argv);
int RunSummaryCommand(int argc, char** argv);

// One JSON object: "file", "channel", "unit", "sample_rate_Hz", "start_s",
// "seconds", "dominant_frequency_Hz", "organisation_index" (null when the
// signal has no power from 1 to 20 Hz). `file` empty: null (the defaults).
struct SummaryValues {
    std::string file;
    std::string channel;
    std::string unit;
    double sampleRateHz = 0.0;
    double startSeconds = 0.0;
    SignalMeasures measures;
};
std::string SummaryJson(const SummaryValues& values);
// A JSON string: quotes, backslashes and control characters escaped; bytes
// that are not UTF-8 become U+FFFD.
std::string JsonString(const std::string& text);

}  // namespace ecgtrace
