#pragma once
// A fixed-size raster image with a drawing pen, a fill brush and the
// line and rectangle conventions of the programs' plots:
// - MoveTo/LineTo draw with a 1-pixel aliased pen; a line's end point is not
//   painted, so consecutive LineTo calls paint every pixel exactly once;
// - Rectangle(x1, y1, x2, y2) covers x1..x2-1 and y1..y2-1: border in the pen
//   colour, inside in the brush colour (same for Ellipse);
// - TextOut places text by its top-left corner, on the brush colour.
// Besides the pixels, the surface keeps the drawing operations that made
// them (DrawingRecord), so the same picture can be drawn as a vector drawing.
#include "common/drawing_record.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace common {

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kLime{0, 255, 0};
inline constexpr Rgb kGreen{0, 128, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kTeal{0, 128, 128};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
inline constexpr Rgb kNavy{0, 0, 128};
inline constexpr Rgb kGray{128, 128, 128};
inline constexpr Rgb kSilver{192, 192, 192};

// The font plots write with when nothing else is chosen.
QFont DefaultPlotFont();
// Makes the plot fonts (Liberation Serif and Sans) available from the
// system's font files, so plots look alike whatever the user's font
// settings; a program that draws plots calls it once at start.
void LoadPlotFonts();

class PlotSurface {
public:
    PlotSurface(int width, int height);
    ~PlotSurface();
    PlotSurface(const PlotSurface& other);
    PlotSurface& operator=(const PlotSurface& other);

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }

    void SetPenColor(Rgb c) { pen_ = c; }
    void SetBrushColor(Rgb c) { brush_ = c; }
    void SetFontColor(Rgb c) { fontColor_ = c; }
    Rgb PenColor() const { return pen_; }
    Rgb BrushColor() const { return brush_; }
    void SetFont(const QFont& font) { font_ = font; }
    const QFont& Font() const { return font_; }

    void MoveTo(int x, int y) { pos_ = QPoint(x, y); }
    void LineTo(int x, int y);
    QPoint PenPosition() const { return pos_; }
    // Lines through the points; the last point is not painted.
    void Polyline(const std::vector<QPoint>& points);
    // Closed polygon, outlined with the pen and filled with the brush.
    void Polygon(const std::vector<QPoint>& points);
    void Rectangle(int x1, int y1, int x2, int y2);
    void FillRect(int x1, int y1, int x2, int y2);  // brush only, no border
    void Ellipse(int x1, int y1, int x2, int y2);
    void SetPixel(int x, int y, Rgb c);

    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;

    Rgb Pixel(int x, int y) const;
    // The picture as drawn so far (drawing goes on afterwards as usual).
    const QImage& Image() const;
    // Direct access to the pixels; the drawing record is given up.
    QImage& MutableImage();
    // How the picture was drawn (since the last time it was covered whole).
    const DrawingRecord& Drawing() const { return record_; }
    // Drawing keeps the record unless switched off (to see what it costs);
    // off, the record is given up, and switched on again it starts when
    // the surface is next covered whole.
    void SetRecording(bool on);

    // Writes the whole image as a Windows bitmap, replacing `path` atomically.
    void SaveBmp(const std::string& path) const;

private:
    // Drawing keeps one painter open for speed; reading the image ends it.
    QPainter& Painter();
    QRgb* Row(int y);  // direct pixel access (ends painting first)
    void FillArea(int x1, int y1, int x2, int y2, Rgb c);  // clipped
    // An ellipse of at most a few pixels across, clipped.
    void PaintSmallEllipse(int x1, int y1, int w, int h, QRgb pen, QRgb brush);
    void EndPainting() const;
    mutable std::unique_ptr<QPainter> painter_;
    // The pixels, kept between direct writes: asking the image each time
    // checks its sharing and costs more than painting a dot. Forgotten
    // whenever the image may be shared or painted on otherwise.
    mutable QRgb* pixels_ = nullptr;
    QImage image_;
    Rgb pen_ = kBlack;
    Rgb brush_ = kWhite;
    Rgb fontColor_ = kBlack;
    QFont font_;
    QPoint pos_{0, 0};
    DrawingRecord record_;
    bool recording_ = true;
};

// A black-on-white copy of `image`: pixels of `background` become white,
// every other pixel black (the copy put on the clipboard).
QImage MaskOfImage(const QImage& image, Rgb background);

}  // namespace common
