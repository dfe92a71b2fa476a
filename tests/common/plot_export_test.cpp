// Pictures and tables taken out of a plot surface: the drawing record that
// makes the vector drawing, PNG enlargement, SVG, and the table texts.
#include "common/errors.h"
#include "common/file_io.h"
#include "common/number_format.h"
#include "common/plot_export.h"
#include "common/plot_surface.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cmath>
#include <functional>
#include <random>

using common::DrawingRecord;
using common::PlotSurface;

namespace {

// A plot like the programs draw: a framed field, axes, a curve and a label.
PlotSurface SamplePlot() {
    PlotSurface s(120, 80);
    s.SetPenColor(common::kLime);
    s.SetBrushColor(common::kGreen);
    s.Rectangle(0, 0, 120, 80);
    s.MoveTo(10, 10);
    s.LineTo(10, 70);
    s.LineTo(110, 70);
    s.MoveTo(10, 40);
    for (int x = 10; x <= 110; x += 5) s.LineTo(x, 40 + static_cast<int>(20 * std::sin(x / 10.0)));
    s.TextOut(60, 2, "E(t)");
    return s;
}

QImage RenderSvg(const std::string& svg, QSize size) {
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    EXPECT_TRUE(renderer.isValid());
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    renderer.render(&p);
    return image;
}

// Share of pixels whose colours differ by more than `tolerance` per channel.
double DifferingShare(const QImage& a, const QImage& b, int tolerance) {
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance)
                ++differing;
        }
    return static_cast<double>(differing) / (a.width() * a.height());
}

bool IsWellFormedXml(const std::string& text) {
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    while (!xml.atEnd()) xml.readNext();
    return !xml.hasError();
}

}  // namespace

// --- shortest number form --------------------------------------------------

TEST(ShortestNumber, ReadsBackAsExactlyTheSameValue) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> exponent(-300, 300);
    for (int i = 0; i < 10000; ++i) {
        const double value =
            (i % 2 ? -1 : 1) * std::pow(10.0, exponent(random)) * 1.2345678901234567;
        EXPECT_EQ(common::ParseFloat(common::FormatShortest(value)), value);
    }
    EXPECT_EQ(common::FormatShortest(0.1), "0.1");
    EXPECT_EQ(common::FormatShortest(10.0), "10");
    EXPECT_EQ(common::FormatShortest(-2.5e-7), "-2.5e-07");
    EXPECT_THROW(common::FormatShortest(std::nan("")), common::AppError);
    EXPECT_THROW(common::FormatShortest(INFINITY), common::AppError);
}

// --- the drawing record ------------------------------------------------------

TEST(DrawingRecord, CoveringTheWholeSurfaceStartsAfresh) {
    PlotSurface s = SamplePlot();
    EXPECT_GT(s.Drawing().OperationCount(), 2u);
    s.SetBrushColor(common::kYellow);
    s.FillRect(0, 0, 120, 80);
    EXPECT_EQ(s.Drawing().OperationCount(), 1u);
    EXPECT_TRUE(s.Drawing().Complete());
}

TEST(DrawingRecord, ConnectedLinesOfOneColourBecomeOnePolyline) {
    PlotSurface s(50, 50);
    s.SetPenColor(common::kRed);
    // Two traces drawn by turns, as the model window's time window does.
    int y1 = 10, y2 = 30;
    for (int x = 0; x < 40; ++x) {
        s.MoveTo(x, y1);
        s.LineTo(x + 1, y1 = 10 + x % 3);
        s.MoveTo(x, y2);
        s.LineTo(x + 1, y2 = 30 + x % 4);
    }
    std::size_t lines = 0;
    s.Drawing().ForEach([&](const DrawingRecord::Operation& op) {
        if (op.kind == DrawingRecord::Kind::Lines) {
            ++lines;
            EXPECT_EQ(op.points.size(), 41u);
        }
    });
    EXPECT_EQ(lines, 2u);
}

TEST(DrawingRecord, DotsDrawnOverAndOverStayBounded) {
    // The all-cells view paints every cell's dot at every step.
    PlotSurface s(211, 211);
    for (int step = 0; step < 50; ++step)
        for (int cell = 0; cell < 2197; ++cell) {
            const common::Rgb c = (cell + step) % 3 ? common::kBlack : common::kRed;
            s.SetPenColor(c);
            s.SetBrushColor(c);
            const int x = 5 + 3 * (cell % 60), y = 5 + 3 * (cell / 60);
            s.Ellipse(x, y, x + 2, y + 2);
        }
    EXPECT_TRUE(s.Drawing().Complete());
    EXPECT_LE(s.Drawing().OperationCount(), 2197u + 1u);
    // The last colour of each dot is the one recorded.
    int red = 0;
    s.Drawing().ForEach([&](const DrawingRecord::Operation& op) {
        if (op.kind == DrawingRecord::Kind::Ellipse && op.pen == qRgb(255, 0, 0)) ++red;
    });
    int expectedRed = 0;
    for (int cell = 0; cell < 2197; ++cell) expectedRed += (cell + 49) % 3 == 0;
    EXPECT_EQ(red, expectedRed);
}

TEST(DrawingRecord, ADotRedrawnOverWhatWasDrawnSinceStaysOnTop) {
    // Something drawn after the dot overlaps it; the dot redrawn in its
    // first colour must cover it again in the replay, as in the pixels.
    const std::vector<std::function<void(PlotSurface&)>> overlaps = {
        [](PlotSurface& s) { s.Ellipse(11, 11, 15, 15); },
        [](PlotSurface& s) {
            s.MoveTo(0, 12);
            s.LineTo(39, 12);
        },
        [](PlotSurface& s) { s.SetPixel(12, 12, common::kBlue); },
        [](PlotSurface& s) { s.TextOut(8, 8, "W"); },
    };
    // Alone, or right after another dot as in a view of dots redrawn in
    // their order (the record then expects it without looking it up).
    for (std::size_t i = 0; i < overlaps.size() * 2; ++i) {
        SCOPED_TRACE(i);
        const bool afterAnother = i >= overlaps.size();
        PlotSurface s(40, 40);
        const auto dot = [&s, afterAnother](common::Rgb c) {
            s.SetPenColor(c);
            s.SetBrushColor(c);
            if (afterAnother) s.Ellipse(2, 2, 6, 6);
            s.Ellipse(10, 10, 14, 14);
        };
        if (afterAnother) {  // dots already change in place when these are drawn
            s.Ellipse(30, 30, 34, 34);
            s.Ellipse(30, 30, 34, 34);
        }
        dot(common::kBlack);
        dot(common::kRed);  // a redraw: from here on dots may change in place
        s.SetPenColor(common::kBlue);
        s.SetBrushColor(common::kBlue);
        s.SetFontColor(common::kBlue);
        overlaps[i % overlaps.size()](s);
        dot(common::kRed);
        ASSERT_EQ(s.Pixel(12, 12), common::kRed);
        QImage replayed(40, 40, QImage::Format_RGB32);
        {
            QPainter p(&replayed);
            s.Drawing().Replay(p);
        }
        EXPECT_EQ(replayed.pixel(12, 12), qRgb(255, 0, 0));
    }
}

TEST(DrawingRecord, ARectangleRemovesOnlyTheLineSegmentsWhollyUnderIt) {
    PlotSurface s(100, 40);
    s.SetPenColor(common::kLime);
    s.MoveTo(0, 20);
    s.LineTo(50, 20);
    s.LineTo(99, 20);
    s.SetBrushColor(common::kGreen);
    s.FillRect(0, 0, 60, 40);  // covers the first segment, not the second
    std::vector<QPoint> kept;
    s.Drawing().ForEach([&](const DrawingRecord::Operation& op) {
        if (op.kind == DrawingRecord::Kind::Lines) kept = op.points;
    });
    EXPECT_EQ(kept, (std::vector<QPoint>{{50, 20}, {99, 20}}));
}

TEST(DrawingRecord, IsGivenUpBeyondItsBoundAndTakenUpAgainWhenCoveredWhole) {
    PlotSurface s(400, 400);
    s.SetPenColor(common::kWhite);
    for (std::size_t i = 0; i <= DrawingRecord::kMaxOperations; ++i) {
        const int x = static_cast<int>(i % 400), y = static_cast<int>(i / 400 % 400);
        s.MoveTo(x, y);
        s.LineTo(x + 1 + static_cast<int>(i / 160000), y + 1);
        s.SetPenColor(i % 2 ? common::kWhite : common::kRed);  // no merging
    }
    EXPECT_FALSE(s.Drawing().Complete());
    EXPECT_EQ(s.Drawing().OperationCount(), 0u);
    const std::string svg = common::SvgOfSurface(s);
    EXPECT_NE(svg.find("<image"), std::string::npos);  // the pixels instead
    s.Rectangle(0, 0, 400, 400);
    EXPECT_TRUE(s.Drawing().Complete());
}

TEST(DrawingRecord, DirectPixelAccessGivesItUp) {
    PlotSurface s = SamplePlot();
    s.MutableImage().setPixel(3, 3, qRgb(1, 2, 3));
    EXPECT_FALSE(s.Drawing().Complete());
}

// --- pictures ------------------------------------------------------------------

TEST(PlotPicture, PngAtScaleOneIsThePixelsAndLargerScalesRepeatEachPixel) {
    const PlotSurface s = SamplePlot();
    QImage one;
    ASSERT_TRUE(one.loadFromData(
        QByteArray::fromStdString(common::PictureBytes(s, common::PictureFormat::Png, 1))));
    EXPECT_EQ(one.convertToFormat(QImage::Format_RGB32), s.Image());
    QImage three;
    ASSERT_TRUE(three.loadFromData(
        QByteArray::fromStdString(common::PictureBytes(s, common::PictureFormat::Png, 3))));
    ASSERT_EQ(three.size(), s.Image().size() * 3);
    for (int y = 0; y < three.height(); ++y)
        for (int x = 0; x < three.width(); ++x)
            ASSERT_EQ(three.pixel(x, y), s.Image().pixel(x / 3, y / 3)) << x << "," << y;
    EXPECT_THROW(common::EnlargedImage(s.Image(), 0), common::AppError);
    EXPECT_THROW(common::EnlargedImage(s.Image(), 9), common::AppError);
}

TEST(PlotPicture, SvgIsWellFormedAndHoldsTheCurveAsAPolyline) {
    const std::string svg = common::SvgOfSurface(SamplePlot());
    EXPECT_TRUE(IsWellFormedXml(svg));
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
    // The axes' corner at pixel (10, 70): its centre in the drawing.
    EXPECT_NE(svg.find("10.5,70.5"), std::string::npos);
    EXPECT_NE(svg.find("E(t)"), std::string::npos);
    EXPECT_EQ(svg.find("<image"), std::string::npos);
}

TEST(PlotPicture, SvgDrawsWhatThePixelsShow) {
    PlotSurface s = SamplePlot();
    s.SetBrushColor(common::kYellow);
    s.SetPenColor(common::kRed);
    s.Rectangle(70, 45, 100, 60);
    s.Ellipse(20, 15, 40, 35);
    const QImage drawn = RenderSvg(common::SvgOfSurface(s), s.Image().size());
    // Edges may blend; a misplaced shape would differ over far more pixels.
    EXPECT_LT(DifferingShare(drawn, s.Image(), 100), 0.03);
}

TEST(PlotPicture, AFailedSaveLeavesTheFormerFile) {
    testing_support::ScopedWorkDir dir;
    const std::string path = dir.File("plot.png");
    common::WriteFileAtomically(path, "former");
    EXPECT_THROW(common::SavePicture(SamplePlot(), path, common::PictureFormat::Png, 9),
                 common::AppError);
    EXPECT_EQ(common::ReadWholeFile(path), "former");
    EXPECT_THROW(
        common::SavePicture(SamplePlot(), dir.File("missing/plot.svg"), common::PictureFormat::Svg),
        common::AppError);
    common::SavePicture(SamplePlot(), path, common::PictureFormat::Bmp);
    EXPECT_EQ(common::ReadWholeFile(path).substr(0, 2), "BM");
}

TEST(PlotPicture, FormatsAreKnownByNameAndExtension) {
    EXPECT_EQ(common::PictureFormatNamed("SVG"), common::PictureFormat::Svg);
    EXPECT_EQ(common::PictureFormatOfPath("a.b/plot.PNG"), common::PictureFormat::Png);
    EXPECT_EQ(common::PictureFormatOfPath("a.png/plot"), std::nullopt);
    EXPECT_EQ(common::PictureFormatNamed("jpg"), std::nullopt);
}

// --- tables ----------------------------------------------------------------------

TEST(DataTableText, HeaderRowsPointDecimalsAndLineFeeds) {
    common::DataTable table{{"f_Hz", "power_dB"}, {{0, common::DataTable::kNoValue}, {1, -3.25}}};
    EXPECT_EQ(common::CsvText(table), "f_Hz,power_dB\n0,\n1,-3.25\n");
    EXPECT_EQ(common::TabSeparatedText(table), "f_Hz\tpower_dB\n0\t\n1\t-3.25\n");
    table.rows.push_back({2, INFINITY});
    EXPECT_THROW(common::CsvText(table), common::AppError);
}
