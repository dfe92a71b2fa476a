// WFDB records and the other biosignal formats through libbiosig.
#include <biosig.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "common/errors.h"
#include "common/number_format.h"
#include "ecgtrace/model/recording_sources.h"

namespace ecgtrace::detail {
namespace {

namespace fs = std::filesystem;

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) return false;
    return std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

// Bytes one sample takes in a WFDB signal file of this format; 0 when not known.
double WfdbBytesPerSample(int format) {
    switch (format) {
        case 8:
        case 80:
            return 1;
        case 16:
        case 61:
        case 160:
            return 2;
        case 212:
            return 1.5;
        case 310:
        case 311:
            return 4.0 / 3.0;
        case 24:
            return 3;
        case 32:
            return 4;
        default:
            return 0;
    }
}

// The library does not survive a WFDB header whose signal file is missing:
// the files the header names are checked first, and so is their size when
// the header gives the number of samples.
void CheckWfdbSignalFiles(const std::string& headerPath) {
    std::ifstream in(headerPath, std::ios::binary);
    if (!in) throw common::AppError(common::CannotOpenFileMessage(headerPath));
    std::string line;
    bool recordLineSeen = false;
    long long samplesPerSignal = 0;
    long long signalCount = 0;
    std::map<std::string, double>
        bytesPerFrame;  // file -> bytes of one sample of each of its signals
    std::vector<std::string> files;
    int lines = 0;
    while (std::getline(in, line) && ++lines < 10000) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream words(line);
        if (!recordLineSeen) {
            std::string name, rate;
            words >> name >> signalCount >> rate >> samplesPerSignal;
            if (!words && signalCount <= 0) break;
            if (name.find('/') != std::string::npos) return;  // multi-segment: the library checks
            recordLineSeen = true;
            if (signalCount <= 0) return;  // no signals: nothing to check
            continue;
        }
        std::string file, formatText;
        words >> file >> formatText;
        if (file.empty() || file == "-" || file.find('/') != std::string::npos ||
            file.find('\0') != std::string::npos)
            throw common::AppError(UnreadableRecordingMessage(headerPath));
        int format = 0;
        std::size_t digits = 0;
        while (digits < formatText.size() &&
               std::isdigit(static_cast<unsigned char>(formatText[digits])))
            ++digits;
        if (digits == 0 || digits > 4)
            throw common::AppError(UnreadableRecordingMessage(headerPath));
        format = std::stoi(formatText.substr(0, digits));
        if (!bytesPerFrame.count(file)) files.push_back(file);
        bytesPerFrame[file] += WfdbBytesPerSample(format);
        if (static_cast<long long>(files.size()) > signalCount) break;
    }
    if (!recordLineSeen || files.empty())
        throw common::AppError(UnreadableRecordingMessage(headerPath));
    const fs::path folder = fs::path(headerPath).parent_path();
    for (const std::string& file : files) {
        const fs::path signalFile = folder / file;
        std::error_code error;
        if (!fs::is_regular_file(signalFile, error))
            throw common::AppError("The signal file " + file + " of the record " +
                                   RecordingName(headerPath) + " is missing");
        const double needed = bytesPerFrame[file] * static_cast<double>(samplesPerSignal);
        const auto size = fs::file_size(signalFile, error);
        if (error || static_cast<double>(size) + 2 < needed)
            throw common::AppError("The signal file " + file + " of the record " +
                                   RecordingName(headerPath) + " is shorter than its header says");
    }
}

class BiosigRecording : public RecordingSource {
public:
    explicit BiosigRecording(const std::string& path) {
        header_ = sopen(path.c_str(), "r", nullptr);
        if (!header_ || biosig_check_error(header_)) {
            Close();
            std::error_code error;
            if (!fs::is_regular_file(path, error))
                throw common::AppError(common::CannotOpenFileMessage(path));
            throw common::AppError(UnreadableRecordingMessage(path));
        }
        info_.file = path;
        // A sample at the end of the converter's range is a clipped peak, kept
        // as it is, not taken for a missing sample.
        biosig_reset_flag(header_, BIOSIG_FLAG_OVERFLOWDETECTION);
        const double rate = header_->SampleRate;
        const long long samples = static_cast<long long>(header_->NRec) * header_->SPR;
        if (!(rate > 0) || rate > 1e6 || header_->NRec < 0 || header_->SPR == 0 || samples <= 0) {
            Close();
            throw common::AppError(UnreadableRecordingMessage(path));
        }
        for (int i = 0; i < header_->NS; ++i) {
            CHANNEL_TYPE* channel = biosig_get_channel(header_, i);
            RecordingChannel c;
            const char* label = biosig_channel_get_label(channel);
            const char* unit = biosig_channel_get_physdim(channel);
            c.label = label ? label : "";
            c.unit = unit ? unit : "";
            // Every channel is read at the record's rate.
            c.rateHz = rate;
            c.sampleCount = samples;
            std::string lower = c.label;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
            c.annotation = lower.find("annotation") != std::string::npos || channel->OnOff == 2;
            info_.channels.push_back(c);
        }
        info_.seconds = static_cast<double>(samples) / rate;
    }
    ~BiosigRecording() override { Close(); }
    BiosigRecording(const BiosigRecording&) = delete;
    BiosigRecording& operator=(const BiosigRecording&) = delete;

    const RecordingInfo& Info() const override { return info_; }

    std::vector<double> Read(std::size_t index, std::int64_t first, std::int64_t count) override {
        for (std::size_t i = 0; i < info_.channels.size(); ++i)
            header_->CHANNEL[i].OnOff = i == index ? 1 : 0;
        const std::int64_t perBlock = header_->SPR;
        const std::int64_t firstBlock = first / perBlock;
        const std::int64_t lastBlock = (first + count - 1) / perBlock;
        const std::int64_t blocks = lastBlock - firstBlock + 1;
        const std::size_t read = sread(nullptr, static_cast<std::size_t>(firstBlock),
                                       static_cast<std::size_t>(blocks), header_);
        const std::int64_t offset = first - firstBlock * perBlock;
        if (biosig_check_error(header_) || static_cast<std::int64_t>(read) != blocks ||
            !header_->data.block ||
            static_cast<std::int64_t>(header_->data.size[0]) < offset + count)
            throw common::AppError(UnreadableRecordingMessage(info_.file));
        const double* data = header_->data.block + offset;
        return std::vector<double>(data, data + count);
    }

private:
    void Close() {
        if (!header_) return;
        sclose(header_);
        destructHDR(header_);
        header_ = nullptr;
    }

    HDRTYPE* header_ = nullptr;
    RecordingInfo info_;
};

}  // namespace

std::unique_ptr<RecordingSource> OpenBiosigRecording(const std::string& path) {
    if (EndsWithNoCase(path, ".hea")) CheckWfdbSignalFiles(path);
    return std::make_unique<BiosigRecording>(path);
}

}  // namespace ecgtrace::detail
