#include "common/plot_surface.h"

#include "common/errors.h"
#include "common/file_io.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QBuffer>
#include <algorithm>
#include <array>
#include <cstdint>

namespace common {
namespace {

QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }

void PaintEllipse(QPainter& p, int x1, int y1, int x2, int y2, Rgb pen, Rgb brush) {
    QPen outline(ToQColor(pen));
    outline.setWidth(1);
    outline.setCosmetic(true);
    p.setPen(outline);
    p.setBrush(ToQColor(brush));
    p.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

// Which pixels a small ellipse paints with the pen and which with the brush,
// taken once from the painter itself: the painter's aliased ellipses look
// alike wherever they stand, and painting a few pixels directly is far
// cheaper than a painter call (the all-cells view paints thousands a step).
class SmallEllipses {
public:
    static constexpr int kMaxSize = 12;
    static constexpr int kMargin = 2;  // the footprint may pass the corners
    // A pixel the ellipse paints, from its top left corner.
    struct Spot {
        std::int8_t dx, dy;
        bool pen;  // else the brush
    };

    SmallEllipses() {
        constexpr Rgb kPenMark{255, 0, 0}, kBrushMark{0, 0, 255};
        for (int h = 1; h <= kMaxSize; ++h) {
            for (int w = 1; w <= kMaxSize; ++w) {
                QImage scratch(w + 2 * kMargin, h + 2 * kMargin, QImage::Format_RGB32);
                scratch.fill(Qt::white);
                {
                    QPainter p(&scratch);
                    p.setRenderHint(QPainter::Antialiasing, false);
                    PaintEllipse(p, kMargin, kMargin, kMargin + w, kMargin + h, kPenMark,
                                 kBrushMark);
                }
                std::vector<Spot>& footprint = footprints_[Index(w, h)];
                for (int y = 0; y < scratch.height(); ++y)
                    for (int x = 0; x < scratch.width(); ++x) {
                        const QRgb c = scratch.pixel(x, y) & 0xFFFFFF;
                        const bool pen = c == (qRgb(255, 0, 0) & 0xFFFFFF);
                        if (pen || c == (qRgb(0, 0, 255) & 0xFFFFFF))
                            footprint.push_back({static_cast<std::int8_t>(x - kMargin),
                                                 static_cast<std::int8_t>(y - kMargin), pen});
                    }
            }
        }
    }
    // Width and height 1..kMaxSize.
    const std::vector<Spot>& Footprint(int w, int h) const { return footprints_[Index(w, h)]; }

private:
    static std::size_t Index(int w, int h) {
        return static_cast<std::size_t>((h - 1) * kMaxSize + (w - 1));
    }
    std::array<std::vector<Spot>, kMaxSize * kMaxSize> footprints_;
};

const SmallEllipses& SmallEllipseFootprints() {
    static const SmallEllipses footprints;
    return footprints;
}

}  // namespace

QFont DefaultPlotFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
    return font;
}

void LoadPlotFonts() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    const QDir dir(QStringLiteral("/usr/share/fonts/truetype/liberation"));
    for (const QString& name : dir.entryList({QStringLiteral("Liberation*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(dir.filePath(name));
}

PlotSurface::PlotSurface(int width, int height)
    : image_(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32),
      font_(DefaultPlotFont()),
      record_(image_.size()) {
    image_.fill(Qt::white);
    record_.AddFill(0, 0, image_.width(), image_.height(), kWhite);
}

PlotSurface::~PlotSurface() { EndPainting(); }

PlotSurface::PlotSurface(const PlotSurface& other)
    : image_(other.Image().copy()),
      pen_(other.pen_),
      brush_(other.brush_),
      fontColor_(other.fontColor_),
      font_(other.font_),
      pos_(other.pos_),
      record_(other.record_),
      recording_(other.recording_) {}

PlotSurface& PlotSurface::operator=(const PlotSurface& other) {
    if (this != &other) {
        EndPainting();
        pixels_ = nullptr;
        image_ = other.Image().copy();
        pen_ = other.pen_;
        brush_ = other.brush_;
        fontColor_ = other.fontColor_;
        font_ = other.font_;
        pos_ = other.pos_;
        record_ = other.record_;
        recording_ = other.recording_;
    }
    return *this;
}

QPainter& PlotSurface::Painter() {
    pixels_ = nullptr;
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, false);
    }
    return *painter_;
}

void PlotSurface::EndPainting() const {
    if (painter_) {
        painter_->end();
        painter_.reset();
    }
}

const QImage& PlotSurface::Image() const {
    EndPainting();
    pixels_ = nullptr;  // the caller may share the image
    return image_;
}

QImage& PlotSurface::MutableImage() {
    EndPainting();
    pixels_ = nullptr;
    record_.GiveUp();
    return image_;
}

void PlotSurface::SetRecording(bool on) {
    if (!on) record_.GiveUp();
    recording_ = on;
}

QRgb* PlotSurface::Row(int y) {
    if (!pixels_) {
        EndPainting();
        pixels_ = reinterpret_cast<QRgb*>(image_.bits());
    }
    return reinterpret_cast<QRgb*>(reinterpret_cast<uchar*>(pixels_) +
                                   std::ptrdiff_t(y) * image_.bytesPerLine());
}

void PlotSurface::LineTo(int x, int y) {
    // Steps along the longer axis from the current position; the end point
    // itself is left for the next line, whatever the direction.
    const std::int64_t x0 = pos_.x(), y0 = pos_.y();
    const std::int64_t dx = std::int64_t(x) - x0, dy = std::int64_t(y) - y0;
    const std::int64_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const std::int64_t steps = std::max(ax, ay);
    const std::int64_t w = image_.width(), h = image_.height();
    const QRgb colour = qRgb(pen_.r, pen_.g, pen_.b);
    if (steps > 0) {
        // Only the steps whose major coordinate lies inside the image matter.
        const std::int64_t major0 = ax >= ay ? x0 : y0;
        const int majorStep = ax >= ay ? sx : sy;
        const std::int64_t limit = ax >= ay ? w : h;
        std::int64_t first = 0, last = steps - 1;
        if (majorStep > 0) {
            first = std::max<std::int64_t>(first, -major0);
            last = std::min<std::int64_t>(last, limit - 1 - major0);
        } else {
            first = std::max<std::int64_t>(first, major0 - (limit - 1));
            last = std::min<std::int64_t>(last, major0);
        }
        QRgb* const pixels = Row(0);
        const std::int64_t stride = image_.bytesPerLine() / std::int64_t(sizeof(QRgb));
        for (std::int64_t i = first; i <= last; ++i) {
            std::int64_t px, py;
            if (ax >= ay) {
                px = x0 + sx * i;
                py = y0 + sy * static_cast<std::int64_t>((__int128(2) * i * ay + ax) /
                                                         (__int128(2) * ax));
            } else {
                py = y0 + sy * i;
                px = x0 + sx * static_cast<std::int64_t>((__int128(2) * i * ax + ay) /
                                                         (__int128(2) * ay));
            }
            if (px >= 0 && py >= 0 && px < w && py < h) pixels[py * stride + px] = colour;
        }
    }
    if (recording_) record_.AddLine(pos_, QPoint(x, y), pen_);
    pos_ = QPoint(x, y);
}

void PlotSurface::Polyline(const std::vector<QPoint>& points) {
    if (points.empty()) return;
    MoveTo(points.front().x(), points.front().y());
    for (std::size_t i = 1; i < points.size(); ++i) LineTo(points[i].x(), points[i].y());
}

void PlotSurface::Polygon(const std::vector<QPoint>& points) {
    if (points.empty()) return;
    QPainter& p = Painter();
    QPen pen(ToQColor(pen_));
    pen.setWidth(1);
    pen.setCosmetic(true);
    p.setPen(pen);
    p.setBrush(ToQColor(brush_));
    p.drawPolygon(QPolygon(QList<QPoint>(points.begin(), points.end())));
    if (recording_) record_.AddPolygon(points, pen_, brush_);
}

void PlotSurface::FillArea(int x1, int y1, int x2, int y2, Rgb c) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, image_.width());
    y2 = std::min(y2, image_.height());
    const QRgb colour = qRgb(c.r, c.g, c.b);
    for (int y = y1; y < y2; ++y) {
        QRgb* row = Row(y);
        for (int x = x1; x < x2; ++x) row[x] = colour;
    }
}

void PlotSurface::Rectangle(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (x2 == x1 || y2 == y1) return;
    FillArea(x1 + 1, y1 + 1, x2 - 1, y2 - 1, brush_);
    FillArea(x1, y1, x2, y1 + 1, pen_);
    FillArea(x1, y2 - 1, x2, y2, pen_);
    FillArea(x1, y1, x1 + 1, y2, pen_);
    FillArea(x2 - 1, y1, x2, y2, pen_);
    if (recording_) record_.AddRectangle(x1, y1, x2, y2, pen_, brush_);
}

void PlotSurface::FillRect(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    FillArea(x1, y1, x2, y2, brush_);
    if (recording_) record_.AddFill(x1, y1, x2, y2, brush_);
}

void PlotSurface::Ellipse(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    if (x2 == x1 || y2 == y1) return;
    const std::int64_t w = std::int64_t(x2) - x1, h = std::int64_t(y2) - y1;
    const QRgb pen = qRgb(pen_.r, pen_.g, pen_.b), brush = qRgb(brush_.r, brush_.g, brush_.b);
    if (w <= SmallEllipses::kMaxSize && h <= SmallEllipses::kMaxSize)
        PaintSmallEllipse(x1, y1, static_cast<int>(w), static_cast<int>(h), pen, brush);
    else
        PaintEllipse(Painter(), x1, y1, x2, y2, pen_, brush_);
    if (recording_ &&
        !record_.RecolourNext(DrawingRecord::Kind::Ellipse, x1, y1, x2, y2, pen, brush))
        record_.AddEllipse(x1, y1, x2, y2, pen_, brush_);
}

void PlotSurface::PaintSmallEllipse(int x1, int y1, int w, int h, QRgb pen, QRgb brush) {
    constexpr int m = SmallEllipses::kMargin;
    const std::int64_t width = image_.width(), height = image_.height();
    if (std::int64_t(x1) + w + m <= 0 || std::int64_t(y1) + h + m <= 0 ||
        std::int64_t(x1) - m >= width || std::int64_t(y1) - m >= height)
        return;
    QRgb* const first = Row(0);
    const std::int64_t stride = image_.bytesPerLine() / std::int64_t(sizeof(QRgb));
    for (const SmallEllipses::Spot& spot : SmallEllipseFootprints().Footprint(w, h)) {
        const std::int64_t x = std::int64_t(x1) + spot.dx, y = std::int64_t(y1) + spot.dy;
        if (x >= 0 && y >= 0 && x < width && y < height)
            first[y * stride + x] = spot.pen ? pen : brush;
    }
}

void PlotSurface::SetPixel(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return;
    const QRgb colour = qRgb(c.r, c.g, c.b);
    Row(y)[x] = colour;
    if (recording_ &&
        !record_.RecolourNext(DrawingRecord::Kind::Pixel, x, y, x + 1, y + 1, colour, colour))
        record_.AddPixel(x, y, c);
}

void PlotSurface::TextOut(int x, int y, const std::string& text) {
    QPainter& p = Painter();
    p.setFont(font_);
    p.setPen(ToQColor(fontColor_));
    p.setBackgroundMode(Qt::OpaqueMode);
    p.setBackground(ToQColor(brush_));
    const QFontMetrics metrics(font_);
    const QString shown = QString::fromStdString(text);
    p.drawText(QPoint(x, y + metrics.ascent()), shown);
    p.setBackgroundMode(Qt::TransparentMode);
    if (recording_)
        record_.AddText(x, y, text, font_, fontColor_, brush_, metrics.horizontalAdvance(shown),
                        metrics.height(), metrics.ascent());
}

int PlotSurface::TextWidth(const std::string& text) const {
    return QFontMetrics(font_).horizontalAdvance(QString::fromStdString(text));
}

int PlotSurface::TextHeight(const std::string& text) const {
    (void)text;
    return QFontMetrics(font_).height();
}

Rgb PlotSurface::Pixel(int x, int y) const {
    const QImage& image = Image();
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return {};
    const QRgb c = image.pixel(x, y);
    return Rgb{qRed(c), qGreen(c), qBlue(c)};
}

void PlotSurface::SaveBmp(const std::string& path) const {
    // Made in full first, then written through the one checked path.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!Image().save(&buffer, "BMP")) throw AppError("Cannot make the BMP picture");
    WriteFileAtomically(path,
                        std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QImage MaskOfImage(const QImage& image, Rgb background) {
    QImage source = image.convertToFormat(QImage::Format_RGB32);
    QImage mask(source.size(), QImage::Format_RGB32);
    const QRgb bg = qRgb(background.r, background.g, background.b);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(mask.scanLine(y));
        for (int x = 0; x < source.width(); ++x)
            out[x] = (in[x] & 0xFFFFFF) == (bg & 0xFFFFFF) ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    }
    return mask;
}

}  // namespace common
