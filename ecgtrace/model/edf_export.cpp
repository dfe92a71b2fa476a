#include "ecgtrace/model/edf_export.h"

#include <edflib.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/errors.h"
#include "common/number_format.h"
#include "common/numeric.h"

namespace ecgtrace {
namespace {

constexpr int kSamplesPerSecond = 100;
constexpr std::size_t kFieldWidth = 8;

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

void WriteEdf(const SignalModel& model, const std::string& path) {
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

    // EDFlib writes to a path of its own: a temporary file beside the
    // target, renamed over it once complete.
    const QFileInfo target(QString::fromStdString(path));
    QTemporaryFile temporary(target.absoluteDir().filePath(QStringLiteral(".XXXXXX.edf")));
    if (!temporary.open())
        throw common::AppError("Cannot create file " + path + ". " +
                               temporary.errorString().toStdString());
    const std::string temporaryPath = temporary.fileName().toStdString();
    temporary.close();
    const auto fail = [&] { throw common::AppError("Cannot write file " + path + "."); };

    EdfWriter edf(temporaryPath);
    const int h = edf.Handle();
    if (h < 0) fail();
    if (edf_set_samplefrequency(h, 0, kSamplesPerSecond) != 0 ||
        edf_set_physical_maximum(h, 0, range.maximum) != 0 ||
        edf_set_physical_minimum(h, 0, range.minimum) != 0 ||
        edf_set_digital_maximum(h, 0, 32767) != 0 || edf_set_digital_minimum(h, 0, -32768) != 0 ||
        edf_set_label(h, 0, "E") != 0 ||
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
    // The permissions a new file gets, or those of the file replaced.
    QFile::setPermissions(QString::fromStdString(temporaryPath),
                          target.exists()
                              ? target.permissions()
                              : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                    QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther);
    if (std::rename(temporaryPath.c_str(), target.absoluteFilePath().toStdString().c_str()) != 0)
        fail();
}

}  // namespace ecgtrace
