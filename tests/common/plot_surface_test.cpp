#include "common/errors.h"
#include "common/file_io.h"
#include "common/plot_surface.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QPainter>

using common::PlotSurface;
using common::Rgb;

namespace {
int CountColour(const PlotSurface& s, Rgb c) {
    int n = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x) n += s.Pixel(x, y) == c;
    return n;
}
}  // namespace

TEST(PlotSurface, RectangleCoversUpToButNotIncludingTheSecondCorner) {
    PlotSurface s(20, 10);
    s.SetPenColor(common::kLime);
    s.SetBrushColor(common::kGreen);
    s.Rectangle(2, 1, 12, 8);
    EXPECT_EQ(s.Pixel(2, 1), common::kLime);
    EXPECT_EQ(s.Pixel(11, 7), common::kLime);
    EXPECT_EQ(s.Pixel(12, 7), common::kWhite);
    EXPECT_EQ(s.Pixel(11, 8), common::kWhite);
    EXPECT_EQ(s.Pixel(3, 2), common::kGreen);
    EXPECT_EQ(s.Pixel(10, 6), common::kGreen);
    EXPECT_EQ(CountColour(s, common::kLime), 2 * 10 + 2 * 5);
    EXPECT_EQ(CountColour(s, common::kGreen), 8 * 5);
}

TEST(PlotSurface, LinesLeaveTheirEndPointUnpainted) {
    PlotSurface s(30, 30);
    s.SetPenColor(common::kRed);
    s.MoveTo(2, 5);
    s.LineTo(12, 5);
    for (int x = 2; x < 12; ++x) EXPECT_EQ(s.Pixel(x, 5), common::kRed) << x;
    EXPECT_EQ(s.Pixel(12, 5), common::kWhite);
    s.LineTo(12, 15);  // vertical, continuing from the last end point
    EXPECT_EQ(s.Pixel(12, 5), common::kRed);
    EXPECT_EQ(s.Pixel(12, 14), common::kRed);
    EXPECT_EQ(s.Pixel(12, 15), common::kWhite);
    s.MoveTo(20, 20);
    s.LineTo(25, 25);  // diagonal
    for (int i = 0; i < 5; ++i) EXPECT_EQ(s.Pixel(20 + i, 20 + i), common::kRed) << i;
    EXPECT_EQ(s.Pixel(25, 25), common::kWhite);
    EXPECT_EQ(CountColour(s, common::kRed), 10 + 10 + 5);
    EXPECT_EQ(s.PenPosition(), QPoint(25, 25));
}

TEST(PlotSurface, ZeroLengthLinePaintsNothingAndLinesBackwardsWork) {
    PlotSurface s(20, 20);
    s.SetPenColor(common::kBlue);
    s.MoveTo(5, 5);
    s.LineTo(5, 5);
    EXPECT_EQ(CountColour(s, common::kBlue), 0);
    s.MoveTo(15, 10);
    s.LineTo(5, 10);
    EXPECT_EQ(s.Pixel(15, 10), common::kBlue);
    EXPECT_EQ(s.Pixel(6, 10), common::kBlue);
    EXPECT_EQ(s.Pixel(5, 10), common::kWhite);
}

TEST(PlotSurface, TextStandsOnTheBrushFromItsTopLeftCorner) {
    PlotSurface s(80, 30);
    s.SetPenColor(common::kLime);
    s.SetBrushColor(common::kGreen);
    s.Rectangle(0, 0, 80, 30);
    s.SetBrushColor(common::kYellow);
    s.TextOut(10, 5, "ms");
    const int w = s.TextWidth("ms"), h = s.TextHeight("ms");
    EXPECT_GT(w, 5);
    EXPECT_GT(h, 5);
    EXPECT_EQ(s.Pixel(10, 5), common::kYellow);  // background of the text cell
    EXPECT_EQ(s.Pixel(9, 5), common::kGreen);
    EXPECT_EQ(s.Pixel(10, 4), common::kGreen);
    int black = 0;
    for (int y = 5; y < 5 + h; ++y)
        for (int x = 10; x < 10 + w; ++x) black += s.Pixel(x, y) == common::kBlack;
    EXPECT_GT(black, 5);
}

TEST(PlotSurface, EllipsePolygonAndPolyline) {
    PlotSurface s(40, 40);
    s.SetPenColor(common::kBlack);
    s.SetBrushColor(common::kRed);
    s.Ellipse(0, 0, 10, 10);
    EXPECT_EQ(s.Pixel(5, 5), common::kRed);
    EXPECT_EQ(s.Pixel(10, 5), common::kWhite);
    s.Polygon({{20, 20}, {30, 20}, {30, 30}, {20, 30}});
    EXPECT_EQ(s.Pixel(25, 25), common::kRed);
    EXPECT_EQ(s.Pixel(20, 20), common::kBlack);
    s.SetPenColor(common::kBlue);
    s.Polyline({{0, 35}, {5, 35}, {5, 39}});
    EXPECT_EQ(s.Pixel(0, 35), common::kBlue);
    EXPECT_EQ(s.Pixel(5, 38), common::kBlue);
    EXPECT_EQ(s.Pixel(5, 39), common::kWhite);
}

// Small ellipses are painted without the painter: every size, cut by every
// edge, must give the painter's own pixels.
TEST(PlotSurface, EllipsesGiveThePaintersPixelsWhereverTheyStand) {
    struct Case {
        int x, y, w, h;
    };
    const Case cases[] = {{3, 4, 1, 1},     {7, 7, 2, 2},     {20, 9, 5, 5},  {11, 2, 3, 7},
                          {15, 15, 12, 12}, {4, 20, 13, 9},   {-1, -2, 5, 5}, {37, 26, 5, 5},
                          {-3, 10, 2, 2},   {38, 29, 12, 12}, {-90, 5, 5, 5}, {5, 1000000, 2, 2}};
    for (const Case& c : cases) {
        PlotSurface s(40, 30);
        s.SetPenColor(common::kNavy);
        s.SetBrushColor(common::kYellow);
        s.Ellipse(c.x, c.y, c.x + c.w, c.y + c.h);
        QImage expected(40, 30, QImage::Format_RGB32);
        expected.fill(Qt::white);
        QPainter p(&expected);
        QPen pen(QColor(0, 0, 128));
        pen.setCosmetic(true);
        p.setPen(pen);
        p.setBrush(QColor(255, 255, 0));
        p.drawEllipse(QRect(c.x, c.y, c.w - 1, c.h - 1));
        p.end();
        EXPECT_EQ(s.Image(), expected) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
}

TEST(PlotSurface, DrawingAfterReadingGoesOnAndCopiesAreIndependent) {
    PlotSurface s(10, 10);
    s.SetPenColor(common::kRed);
    s.MoveTo(0, 0);
    s.LineTo(5, 0);
    const QImage before = s.Image();
    PlotSurface copy = s;
    s.LineTo(5, 5);
    EXPECT_EQ(s.Pixel(5, 3), common::kRed);
    EXPECT_EQ(copy.Pixel(5, 3), common::kWhite);
    EXPECT_EQ(QColor(before.pixel(5, 3)), QColor(Qt::white));
}

TEST(PlotSurface, MaskTurnsTheBackgroundWhiteAndEverythingElseBlack) {
    PlotSurface s(20, 20);
    s.SetPenColor(common::kLime);
    s.SetBrushColor(common::kGreen);
    s.Rectangle(0, 0, 20, 20);
    const QImage mask = common::MaskOfImage(s.Image(), common::kGreen);
    EXPECT_EQ(QColor(mask.pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(mask.pixel(10, 10)), QColor(Qt::white));
}

TEST(PlotSurface, SavesAWholeImageBitmapReplacingTheFile) {
    testing_support::ScopedWorkDir dir;
    const std::string path = dir.File("right.png");  // the extension does not decide the format
    common::WriteFileAtomically(path, "old contents");
    PlotSurface s(211, 211);
    s.SetBrushColor(common::kNavy);
    s.Rectangle(0, 0, 211, 211);
    s.SaveBmp(path);
    QImageReader reader(QString::fromStdString(path));
    EXPECT_EQ(reader.format(), QByteArray("bmp"));
    const QImage back = reader.read();
    EXPECT_EQ(back.size(), QSize(211, 211));
    EXPECT_EQ(QColor(back.pixel(100, 100)), QColor(0, 0, 128));
    EXPECT_THROW(s.SaveBmp(dir.File("no/such/folder/x.bmp")), common::AppError);
}

TEST(PlotSurface, FarAwayEndPointsAreClippedNotWalked) {
    PlotSurface s(50, 50);
    s.SetPenColor(common::kRed);
    s.MoveTo(-2000000000, 25);
    s.LineTo(2000000000, 25);
    EXPECT_EQ(s.Pixel(0, 25), common::kRed);
    EXPECT_EQ(s.Pixel(49, 25), common::kRed);
    s.MoveTo(10, 2000000000);
    s.LineTo(10, -2000000000);
    EXPECT_EQ(s.Pixel(10, 0), common::kRed);
    s.Rectangle(-100, -100, 1000000, 1000000);  // clipped as well
    EXPECT_EQ(s.Pixel(10, 10), common::kWhite);
}
