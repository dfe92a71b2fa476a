#include "common/plot_export.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <algorithm>
#include <cctype>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"

namespace common {
namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Bytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string ImageBytes(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        throw AppError(std::string("Cannot make the ") + format + " picture");
    return Bytes(bytes);
}

std::string Cell(double value) {
    if (std::isnan(value)) return {};
    return FormatShortest(value);
}

std::string TableText(const DataTable& table, char separator) {
    std::string text;
    StreamTableText(table, separator, [&](const std::string& block) { text += block; });
    return text;
}

}  // namespace

void StreamTableText(const DataTable& table, char separator,
                     const std::function<void(const std::string&)>& sink) {
    constexpr std::size_t kBlock = 1 << 16;
    std::string block = TableLine(table.columns, separator);
    auto add = [&](const std::vector<double>& row) {
        block += TableLine(row, separator);
        if (block.size() >= kBlock) {
            sink(block);
            block.clear();
        }
    };
    for (const std::vector<double>& row : table.rows) add(row);
    for (std::size_t i = 0; i < table.madeRowCount; ++i) add(table.makeRow(i));
    if (!block.empty()) sink(block);
}

std::optional<PictureFormat> PictureFormatNamed(const std::string& name) {
    const std::string lower = Lower(name);
    if (lower == "png") return PictureFormat::Png;
    if (lower == "svg") return PictureFormat::Svg;
    if (lower == "bmp") return PictureFormat::Bmp;
    return std::nullopt;
}

std::optional<PictureFormat> PictureFormatOfPath(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::nullopt;
    return PictureFormatNamed(path.substr(dot + 1));
}

std::string ExtensionOf(PictureFormat format) {
    switch (format) {
        case PictureFormat::Png:
            return "png";
        case PictureFormat::Svg:
            return "svg";
        case PictureFormat::Bmp:
            return "bmp";
    }
    return "png";
}

QImage EnlargedImage(const QImage& image, int scale) {
    if (scale < kMinPictureScale || scale > kMaxPictureScale)
        throw AppError("The scale of a picture is a whole number from " +
                       IntToText(kMinPictureScale) + " to " + IntToText(kMaxPictureScale));
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    if (scale == 1) return source;
    QImage large(source.width() * scale, source.height() * scale, QImage::Format_RGB32);
    for (int y = 0; y < large.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y / scale));
        auto* out = reinterpret_cast<QRgb*>(large.scanLine(y));
        for (int x = 0; x < large.width(); ++x) out[x] = in[x / scale];
    }
    return large;
}

std::string SvgOfSurface(const PlotSurface& surface) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSize size(surface.Width(), surface.Height());
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(96);  // one surface pixel is one CSS pixel
    {
        QPainter painter(&generator);
        if (surface.Drawing().Complete())
            surface.Drawing().Replay(painter);
        else
            painter.drawImage(QRect(QPoint(0, 0), size), surface.Image());
    }
    return Bytes(bytes);
}

std::string PictureBytes(const PlotSurface& surface, PictureFormat format, int scale) {
    switch (format) {
        case PictureFormat::Png:
            return ImageBytes(EnlargedImage(surface.Image(), scale), "PNG");
        case PictureFormat::Svg:
            return SvgOfSurface(surface);
        case PictureFormat::Bmp:
            return ImageBytes(surface.Image(), "BMP");
    }
    return {};
}

void SavePicture(const PlotSurface& surface, const std::string& path, PictureFormat format,
                 int scale) {
    // Made in full before the file is touched.
    const std::string bytes = PictureBytes(surface, format, scale);
    WriteFileAtomically(path, bytes);
}

std::string TableLine(const std::vector<std::string>& cells, char separator) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += separator;
        line += cells[i];
    }
    line += '\n';
    return line;
}

std::string TableLine(const std::vector<double>& values, char separator) {
    std::string line;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) line += separator;
        line += Cell(values[i]);
    }
    line += '\n';
    return line;
}

std::string CsvText(const DataTable& table) { return TableText(table, ','); }

std::string TabSeparatedText(const DataTable& table) { return TableText(table, '\t'); }

// Written block by block: a table of millions of rows never sits in memory
// as one text.
void SaveCsv(const DataTable& table, const std::string& path) {
    AtomicFileWriter file(path);
    StreamTableText(table, ',', [&](const std::string& block) { file.Write(block); });
    file.Commit();
}

}  // namespace common
