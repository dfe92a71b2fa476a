#include "myogrid/illusion_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace myogrid {
namespace {

constexpr int kSize = IllusionWindow::kSize;

common::Rgb CellPixel(const IllusionWindow& f, int i, int j) {
    // The lower right corner of a cell: never covered by a digit.
    return f.Grid().Pixel(j * 12 - 1, i * 12 - 1);
}

TEST(Illusion, StartsWhiteWithCalibratedColoursAndWaitsForTheLauncher) {
    IllusionWindow f;
    EXPECT_EQ(f.DarkColour(), (common::Rgb{0, 130, 130}));
    EXPECT_EQ(f.LightColour(), (common::Rgb{102, 255, 255}));
    EXPECT_EQ(f.Grid().Pixel(200, 200), common::kWhite) << "the calibration square is wiped";
    EXPECT_FALSE(f.stepTimer->isActive());
    EXPECT_EQ(f.NextSwitch(1, 1), 460);
    EXPECT_EQ(f.NextSwitch(25, 25), 500);
    EXPECT_EQ(f.NextSwitch(3, 12), 20);
    EXPECT_TRUE(f.explanation->toPlainText().contains("periods from 0 to 9 and then \nback to 0."));
}

TEST(Illusion, WaveFrontMovesOutwardFromTheCentreColumns) {
    IllusionWindow f;
    f.IllusionStep();
    EXPECT_EQ(f.IllusionClock(), 100);
    for (int i = 1; i <= kSize; ++i)
        for (int j = 1; j <= kSize; ++j) {
            const bool centre = j >= 11 && j <= 14;
            EXPECT_EQ(f.Lit(i, j), centre ? 1 : 0) << i << "," << j;
            EXPECT_EQ(CellPixel(f, i, j), centre ? f.DarkColour() : common::kWhite)
                << i << "," << j;
        }
    f.IllusionStep();
    for (int i = 1; i <= kSize; ++i)
        for (int j = 1; j <= kSize; ++j)
            EXPECT_EQ(f.SwitchCount(i, j), (j >= 8 && j <= 17) ? 1 : 0) << i << "," << j;
    // A cell switches back one period after its first switch: (1, 12)
    // switched at 100 (20 < 100), next at 525, so at clock 600.
    for (int k = 0; k < 3; ++k) f.IllusionStep();
    EXPECT_EQ(f.Lit(1, 12), 1);
    f.IllusionStep();
    EXPECT_EQ(f.IllusionClock(), 600);
    EXPECT_EQ(f.Lit(1, 12), 0);
    EXPECT_EQ(CellPixel(f, 1, 12), f.LightColour());
}

TEST(Illusion, CountsWrapAtTenAndDigitsShowTheNewCount) {
    IllusionWindow f;
    f.periodButton->click();
    EXPECT_TRUE(f.ShowPeriod());
    f.IllusionStep();
    // The cell holds the digit 1 on its dark colour.
    common::PlotSurface one(300, 300);
    one.SetPenColor(f.DarkColour());
    one.SetBrushColor(f.DarkColour());
    one.Rectangle(132, 0, 144, 12);
    one.TextOut(132, 0, "1");
    common::PlotSurface blank = one;
    blank.Rectangle(132, 0, 144, 12);
    const QRect cell(132, 0, 12, 12);
    EXPECT_EQ(f.Grid().Image().copy(cell), one.Image().copy(cell));
    EXPECT_NE(one.Image().copy(cell), blank.Image().copy(cell)) << "a digit is visible";

    int switches = 1;
    int last = f.SwitchCount(1, 12);
    while (switches < 10) {
        f.IllusionStep();
        if (f.SwitchCount(1, 12) != last) {
            ++switches;
            EXPECT_EQ(f.SwitchCount(1, 12), switches % 10);
            last = f.SwitchCount(1, 12);
        }
    }
    EXPECT_EQ(f.SwitchCount(1, 12), 0);
}

TEST(Illusion, ButtonsPauseStepAndCycleTheirCaptions) {
    IllusionWindow f;
    f.Open();
    EXPECT_TRUE(f.stepTimer->isActive());
    EXPECT_EQ(f.stepTimer->interval(), 100);
    for (int k = 0; k < 2; ++k) f.StepTimerTick();
    ASSERT_EQ(f.IllusionClock(), 200);
    f.pauseButton->click();
    EXPECT_EQ(f.pauseButton->text(), "run");
    EXPECT_TRUE(f.stepButton->isEnabled());
    EXPECT_FALSE(f.stepTimer->isActive());
    const QString shown = f.elapsedSeconds->text();
    const std::int32_t clock = f.IllusionClock();
    for (int k = 0; k < 10; ++k) f.stepButton->click();
    EXPECT_EQ(f.IllusionClock(), clock + 1000);
    EXPECT_EQ(f.elapsedSeconds->text(), shown);
    f.pauseButton->click();
    EXPECT_EQ(f.pauseButton->text(), "pause");
    EXPECT_FALSE(f.stepButton->isEnabled());
    EXPECT_TRUE(f.stepTimer->isActive());
    // The label shows the whole seconds before the step.
    for (int k = 0; k < 9; ++k) f.StepTimerTick();
    EXPECT_EQ(f.IllusionClock(), clock + 1900);
    EXPECT_EQ(f.elapsedSeconds->text().toInt(), (f.IllusionClock() - 100) / 1000);
    EXPECT_EQ(f.elapsedSeconds->text(), "2");

    QStringList captions{f.periodButton->text()};
    for (int k = 0; k < 3; ++k) {
        f.periodButton->click();
        captions << f.periodButton->text();
    }
    EXPECT_EQ(captions, (QStringList{"show period", "show blocks", "show phase", "show blocks"}));
}

TEST(Illusion, ClosingStopsTheTimerAndKeepsTheState) {
    IllusionWindow f;
    int closed = 0;
    QObject::connect(&f, &IllusionWindow::Closed, [&] { ++closed; });
    f.Open();
    for (int k = 0; k < 3; ++k) f.StepTimerTick();
    ASSERT_EQ(f.IllusionClock(), 300);
    f.exitButton->click();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.stepTimer->isActive());
    const std::int32_t clock = f.IllusionClock();
    const QImage picture = f.Grid().Image();
    EXPECT_EQ(f.IllusionClock(), clock);
    f.Open();
    EXPECT_EQ(f.IllusionClock(), clock);
    EXPECT_EQ(f.Grid().Image(), picture);
    EXPECT_TRUE(f.stepTimer->isActive());
    f.close();
    EXPECT_EQ(closed, 2);
}

}  // namespace
}  // namespace myogrid
