#pragma once
// Taking plots out of the programs: a plot surface as a PNG (enlarged by a
// whole number, without smoothing), an SVG drawing or a Windows bitmap, and
// the values behind a plot as a table (CSV with a header row, or
// tab-separated for pasting into a spreadsheet).
#include <QImage>
#include <cmath>
#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/plot_surface.h"

namespace common {

enum class PictureFormat { Png, Svg, Bmp };

inline constexpr int kMinPictureScale = 1;
inline constexpr int kMaxPictureScale = 8;

// "png", "svg" or "bmp", in any letter case.
std::optional<PictureFormat> PictureFormatNamed(const std::string& name);
// The format a file name's extension names ("figure.SVG" -> Svg).
std::optional<PictureFormat> PictureFormatOfPath(const std::string& path);
std::string ExtensionOf(PictureFormat format);  // "png", "svg", "bmp"

// Every pixel becomes `scale` x `scale` pixels of the same colour, so lines
// stay crisp, `scale` pixels wide. Throws AppError for a scale outside 1..8.
QImage EnlargedImage(const QImage& image, int scale);

// The picture as an SVG document of the surface's size: the recorded
// drawing operations as vector shapes, or, when the surface no longer
// records how its picture was drawn, its pixels as an embedded image.
std::string SvgOfSurface(const PlotSurface& surface);

// The file's bytes; `scale` counts for PNG only.
std::string PictureBytes(const PlotSurface& surface, PictureFormat format, int scale = 1);
// Writes the picture, replacing `path` atomically: a failure leaves an
// existing file as it was and throws AppError.
void SavePicture(const PlotSurface& surface, const std::string& path, PictureFormat format,
                 int scale = 1);

// The values behind a plot: one named column per quantity (with its unit,
// "t_ms"), one row per sample. A cell holding kNoValue stays empty.
// A table too long to hold (millions of samples) keeps no rows: it makes
// `madeRowCount` rows after `rows`, each when it is written.
struct DataTable {
    static constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
    DataTable() = default;
    DataTable(std::vector<std::string> columnNames, std::vector<std::vector<double>> rowValues)
        : columns(std::move(columnNames)), rows(std::move(rowValues)) {}
    std::vector<std::string> columns;
    std::vector<std::vector<double>> rows;
    std::size_t madeRowCount = 0;
    std::function<std::vector<double>(std::size_t)> makeRow;
};

// Hands the table's text to `sink` in blocks of some 64 KB, so that no
// table costs more memory than a block.
void StreamTableText(const DataTable& table, char separator,
                     const std::function<void(const std::string&)>& sink);

// A header or data line ending in LF; numbers in their shortest exact form
// with "." as decimal point. Infinities throw "Invalid floating point operation".
std::string TableLine(const std::vector<std::string>& cells, char separator);
std::string TableLine(const std::vector<double>& values, char separator);
// The whole table: comma-separated (CSV) or tab-separated.
std::string CsvText(const DataTable& table);
std::string TabSeparatedText(const DataTable& table);
// Writes CsvText atomically.
void SaveCsv(const DataTable& table, const std::string& path);

}  // namespace common
