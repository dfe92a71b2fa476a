// EDF, EDF+, BDF and BDF+ recordings through EDFlib: only the header is read
// on opening, and only the samples asked for afterwards.
#include <edflib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>

#include "common/errors.h"
#include "ecgtrace/model/recording_sources.h"

namespace ecgtrace::detail {
namespace {

std::string Trimmed(const char* text) {
    std::string s(text);
    const auto end = s.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

class EdfRecording : public RecordingSource {
public:
    explicit EdfRecording(const std::string& path) {
        edf_hdr_struct header{};
        if (edfopen_file_readonly(path.c_str(), &header, EDFLIB_DO_NOT_READ_ANNOTATIONS) != 0) {
            if (header.filetype == EDFLIB_NO_SUCH_FILE_OR_DIRECTORY)
                throw common::AppError(common::CannotOpenFileMessage(path));
            throw common::AppError(UnreadableRecordingMessage(path));
        }
        handle_ = header.handle;
        info_.file = path;
        if (header.datarecord_duration <= 0) {
            edfclose_file(handle_);
            throw common::AppError(UnreadableRecordingMessage(path));
        }
        const double recordSeconds =
            static_cast<double>(header.datarecord_duration) / EDFLIB_TIME_DIMENSION;
        // Annotation signals are not among EDFlib's signals.
        for (int i = 0; i < header.edfsignals; ++i) {
            const edf_param_struct& p = header.signalparam[i];
            RecordingChannel c;
            c.label = Trimmed(p.label);
            c.unit = Trimmed(p.physdimension);
            c.rateHz = p.smp_in_datarecord / recordSeconds;
            c.sampleCount = p.smp_in_file;
            if (c.Seconds() > info_.seconds) info_.seconds = c.Seconds();
            info_.channels.push_back(c);
        }
    }
    ~EdfRecording() override { edfclose_file(handle_); }
    EdfRecording(const EdfRecording&) = delete;
    EdfRecording& operator=(const EdfRecording&) = delete;

    const RecordingInfo& Info() const override { return info_; }

    std::vector<double> Read(std::size_t index, std::int64_t first, std::int64_t count) override {
        const int signal = static_cast<int>(index);
        std::vector<double> samples(static_cast<std::size_t>(count));
        if (edfseek(handle_, signal, first, EDFSEEK_SET) != first ||
            count > std::numeric_limits<int>::max() ||
            edfread_physical_samples(handle_, signal, static_cast<int>(count), samples.data()) !=
                count)
            throw common::AppError(UnreadableRecordingMessage(info_.file));
        return samples;
    }

private:
    int handle_ = -1;
    RecordingInfo info_;
};

}  // namespace

bool LooksLikeEdf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char start[8] = {};
    if (!in.read(start, sizeof start)) return false;
    return std::memcmp(start, "0       ", 8) == 0 || std::memcmp(start,
                                                                 "\xff"
                                                                 "BIOSEMI",
                                                                 8) == 0;
}

std::unique_ptr<RecordingSource> OpenEdfRecording(const std::string& path) {
    return std::make_unique<EdfRecording>(path);
}

}  // namespace ecgtrace::detail
