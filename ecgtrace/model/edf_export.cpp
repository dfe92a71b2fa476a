#include "ecgtrace/model/edf_export.h"

#include <edflib.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <system_error>
#include <vector>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/numeric.h"

namespace ecgtrace {
namespace {

constexpr int kSamplesPerSecond = 100;
constexpr std::size_t kFieldWidth = 8;
// E(t) is a sum of relative amplitudes: arbitrary units.
constexpr const char* kEdfDimension = "a.u.";

// `value` rounded toward -infinity (down) or +infinity (up) to the most
// decimals that still fit the field.
std::string OutwardText(double value, bool up) {
    for (int decimals = 7; decimals >= 0; --decimals) {
        const double unit = std::pow(10.0, -decimals);
        double steps = up ? std::ceil(value / unit) : std::floor(value / unit);
        std::string text = common::FormatFixed(steps * unit, decimals, 15);
        if (text.size() > kFieldWidth) continue;
        // The division may have rounded the wrong way: one unit further out.
        const double read = common::ParseFloat(text);
        if (up ? read < value : read > value) {
            steps += up ? 1 : -1;
            text = common::FormatFixed(steps * unit, decimals, 15);
            if (text.size() > kFieldWidth) continue;
        }
        if (text == "-0" || text.find_first_not_of("-0.") == std::string::npos)
            text = text.front() == '-' ? text.substr(1) : text;  // no negative zero
        return text;
    }
    throw common::AppError("E(t) is too large for an EDF file");
}

class EdfWriter {
public:
    explicit EdfWriter(const std::string& path) {
        handle_ = edfopen_file_writeonly(path.c_str(), EDFLIB_FILETYPE_EDFPLUS, 1);
    }
    ~EdfWriter() {
        if (handle_ >= 0) edfclose_file(handle_);
    }
    int Handle() const { return handle_; }
    bool Close() {
        const int result = edfclose_file(handle_);
        handle_ = -1;
        return result == 0;
    }

private:
    int handle_ = -1;
};

}  // namespace

EdfRange EdfPhysicalRange(double smallest, double largest) {
    common::RequireFinite(smallest);
    common::RequireFinite(largest);
    EdfRange r;
    r.minimumText = OutwardText(smallest, false);
    r.maximumText = OutwardText(largest, true);
    r.minimum = common::ParseFloat(r.minimumText);
    r.maximum = common::ParseFloat(r.maximumText);
    if (r.maximum <= r.minimum) {
        // A flat signal: one unit of the last digit above it.
        const std::size_t point = r.maximumText.find('.');
        const int decimals =
            point == std::string::npos ? 0 : static_cast<int>(r.maximumText.size() - point - 1);
        r.maximumText = OutwardText(r.minimum + std::pow(10.0, -decimals), true);
        r.maximum = common::ParseFloat(r.maximumText);
    }
    return r;
}

namespace {

// EDFlib writes to a path only: a file in memory, so that the bytes reach
// the target through the one checked writing path like every other file.
class MemoryFile {
public:
    MemoryFile() : fd_(static_cast<int>(::memfd_create("edf", MFD_CLOEXEC))) {
        if (fd_ < 0)
            throw common::AppError("Cannot make the EDF file. " +
                                   std::system_category().message(errno));
    }
    ~MemoryFile() { ::close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }
    std::string Bytes() const {
        std::string bytes;
        char block[8192];
        for (off_t at = 0;;) {
            const ssize_t n = ::pread(fd_, block, sizeof block, at);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0)
                throw common::AppError("Cannot make the EDF file. " +
                                       std::system_category().message(errno));
            if (n == 0) return bytes;
            bytes.append(block, static_cast<std::size_t>(n));
            at += n;
        }
    }

private:
    int fd_;
};

// Puts `text`, blank-padded, into a header field of `width` characters.
void SetField(std::string& bytes, std::size_t at, std::size_t width, const std::string& text) {
    if (at + width > bytes.size() || text.size() > width)
        throw common::AppError("Cannot make the EDF file");
    bytes.replace(at, width, text + std::string(width - text.size(), ' '));
}

}  // namespace

std::string EdfBytes(const SignalModel& model) {
    if (model.ESignal().size() != static_cast<std::size_t>(kESampleCount) + 1)
        throw common::AppError("E(t) is not computed");
    const std::vector<double> samples(model.ESignal().begin() + 1, model.ESignal().end());
    common::RequireAllFinite(samples);
    double smallest = samples.front(), largest = samples.front();
    for (double v : samples) {
        smallest = std::min(smallest, v);
        largest = std::max(largest, v);
    }
    const EdfRange range = EdfPhysicalRange(smallest, largest);

    MemoryFile file;
    const auto fail = [] { throw common::AppError("Cannot make the EDF file"); };
    EdfWriter edf(file.Path());
    const int h = edf.Handle();
    if (h < 0) fail();
    if (edf_set_samplefrequency(h, 0, kSamplesPerSecond) != 0 ||
        edf_set_physical_maximum(h, 0, range.maximum) != 0 ||
        edf_set_physical_minimum(h, 0, range.minimum) != 0 ||
        edf_set_digital_maximum(h, 0, 32767) != 0 || edf_set_digital_minimum(h, 0, -32768) != 0 ||
        edf_set_label(h, 0, "E") != 0 || edf_set_physical_dimension(h, 0, kEdfDimension) != 0 ||
        // A simulated signal has no recording date: EDF's earliest one.
        edf_set_startdatetime(h, 1985, 1, 1, 0, 0, 0) != 0 ||
        // Sample 1 lies at 10 ms (units of 100 ns).
        edf_set_subsecond_starttime(h, 100000) != 0 ||
        edf_set_recording_additional(h, "simulated E(t), 10 ms per sample") != 0)
        fail();
    std::vector<double> record(kSamplesPerSecond);
    for (std::size_t first = 0; first < samples.size(); first += kSamplesPerSecond) {
        std::copy(samples.begin() + static_cast<std::ptrdiff_t>(first),
                  samples.begin() + static_cast<std::ptrdiff_t>(first + kSamplesPerSecond),
                  record.begin());
        if (edfwrite_physical_samples(h, record.data()) != 0) fail();
    }
    if (!edf.Close()) fail();

    // The library prints the physical limits in its own way, which may cut
    // the last digit toward zero and so leave samples outside them: the
    // header gets the outward-rounded texts the samples were scaled with.
    std::string bytes = file.Bytes();
    constexpr std::size_t kGeneralHeader = 256;
    if (bytes.size() < kGeneralHeader) fail();
    std::int32_t signals = 0;
    if (!common::TryParseInteger(bytes.substr(252, 4).substr(0, bytes.substr(252, 4).find(' ')),
                                 signals) ||
        signals < 1)
        fail();
    const auto count = static_cast<std::size_t>(signals);
    // Per signal: label 16, transducer 80, dimension 8, physical minimum 8,
    // physical maximum 8; signal E is the first.
    const std::size_t minimumAt = kGeneralHeader + count * (16 + 80 + 8);
    SetField(bytes, minimumAt, kFieldWidth, range.minimumText);
    SetField(bytes, minimumAt + count * kFieldWidth, kFieldWidth, range.maximumText);
    return bytes;
}

void WriteEdf(const SignalModel& model, const std::string& path) {
    // Made in full before the target is touched.
    common::WriteFileAtomically(path, EdfBytes(model));
}

}  // namespace ecgtrace
