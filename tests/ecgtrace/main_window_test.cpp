// The main window driven as a user drives it: typing, arrows, tabs, clicks.
#include "ecgtrace/main_window.h"
#include "ecgtrace/value_texts.h"

#include "common/plot_surface.h"
#include "common/program_folders.h"
#include "common/ui/error_box.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "ecgtrace/about_box.h"
#include "ecgtrace/equations.h"
#include "ecgtrace/model/signal_plots.h"
#include "ecgtrace/step_arrows.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <memory>

namespace {

using common::ui::IntSpinEdit;
using common::ui::PlotView;
using testing_support::EcgtraceWindowTest;

class MainWindow : public EcgtraceWindowTest {};

TEST_F(MainWindow, StartsWithDefaultsWithoutParameterFileAndOffersSaveAtExit) {
    auto form = Open();
    const auto& m = form->Model();
    EXPECT_EQ(m.GroupCount(), 6);
    for (int g = 1; g <= 6; ++g) EXPECT_EQ(m.Period(g), 221);
    EXPECT_EQ(Label(*form, "periodLabel")->text(), "T for group 1 = 221");
    EXPECT_EQ(Spin(*form, "groupCountField")->Text(), "6");
    EXPECT_EQ(Spin(*form, "actualGroupField")->Text(), "1");
    EXPECT_EQ(Spin(*form, "crossGroupField")->Text(), "1");
    EXPECT_EQ(Spin(*form, "windowStartField")->Text(), "0");
    EXPECT_EQ(Spin(*form, "windowEndField")->Text(), "2800");
    EXPECT_EQ(Edit(*form, "fField")->text(), "21.00");
    EXPECT_EQ(Edit(*form, "FField")->text(), "0.75");
    EXPECT_EQ(Label(*form, "m1Label")->text(), "m1 = 66.00000");
    EXPECT_EQ(Label(*form, "signalHeading")->text(), "elaboration of function A(t) for group 1");
    EXPECT_EQ(Label(*form, "mapHeading")->text(), "elaboration of function Pn");
    EXPECT_EQ(Label(*form, "pHalfLabel")->text(), "p half = 0.290");
    EXPECT_EQ(Label(*form, "pWholeLabel")->text(), "p whole = 0.706");
    EXPECT_EQ(Edit(*form, "P0Field")->text(), "0.10");
    EXPECT_EQ(form->findChild<ecgtrace::StepArrows*>("P0Arrows")->Position(), 10);
    EXPECT_FALSE(Plot(*form, "signalPlot")->Image().isNull());
    EXPECT_FALSE(Plot(*form, "mapPlot")->Image().isNull());
    EXPECT_EQ(Tabs(*form)->currentIndex(), 0);
    EXPECT_FALSE(form->ShowsSumSignal());
    EXPECT_TRUE(m.ParametersChanged());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();

    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("kept.par")));
    QSignalSpy closed(form.get(), &ecgtrace::MainWindow::Closed);
    Button(*form, "exitButton")->click();
    ASSERT_EQ(dialogs.saveQuestions.size(), 1u);
    EXPECT_EQ(dialogs.saveQuestions[0].proposedName, "vfdef.par");
    EXPECT_TRUE(dialogs.saveQuestions[0].filter.isEmpty());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(dir.File("kept.par"))));
}

TEST_F(MainWindow, WindowLayoutAndCaptions) {
    auto form = Open();
    EXPECT_EQ(form->windowTitle(), "Simulation of Ventricular Fibrillation");
    EXPECT_EQ(form->font().family(), "Liberation Serif");
    EXPECT_EQ(form->font().pixelSize(), 12);
    QTabWidget* tabs = Tabs(*form);
    EXPECT_EQ(tabs->geometry(), QRect(8, 8, 675, 393));
    ASSERT_EQ(tabs->count(), 5);
    const char* captions[] = {"introduction", "E(t)", "T", "A(t)", "P"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(tabs->tabText(i), captions[i]);
    EXPECT_EQ(form->findChild<QTextEdit*>("introductionText")->size(), QSize(465, 290));
    EXPECT_EQ(form->findChild<QLabel*>("sumSignalEquations")->size(), QSize(349, 265));
    EXPECT_EQ(form->findChild<QLabel*>("periodEquations")->size(), QSize(442, 265));
    EXPECT_EQ(form->findChild<QLabel*>("signalEquations")->size(), QSize(442, 265));
    EXPECT_EQ(form->findChild<QLabel*>("mapEquations")->size(), QSize(257, 265));
    EXPECT_TRUE(
        ecgtrace::EquationText(ecgtrace::Formulas::Period).contains("<i>T<sub>r</sub></i>"));
    EXPECT_EQ(Button(*form, "cobwebButton")->text(), "plot Pn -> Pn+1");
    EXPECT_EQ(Button(*form, "applyWindowButton")->text(), "apply");
    EXPECT_EQ(Button(*form, "sumAnalysisButton")->text(), "signal analysis");
    EXPECT_EQ(Button(*form, "groupAnalysisButton")->text(), "signal analysis");
    // The introduction text came from the working folder.
    EXPECT_TRUE(
        form->findChild<QTextEdit*>("introductionText")->toPlainText().contains("fibrillation"));
    EXPECT_EQ(Spin(*form, "windowStartField")->Increment(), 100);
    EXPECT_EQ(Spin(*form, "windowEndField")->MinValue(), 100);
    EXPECT_EQ(Spin(*form, "groupCountField")->MaxValue(), 15);
}

TEST_F(MainWindow, MissingIntroductionIsReportedAndNamedInItsBox) {
    QFile::remove(QString::fromStdString(dir.File("V13.rtf")));
    auto form = Open();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Cannot open file V13.rtf.");
    EXPECT_EQ(dialogs.errorTitles[0], "VF simulation");
    EXPECT_EQ(form->findChild<QTextEdit*>("introductionText")->toPlainText(),
              "Cannot open file V13.rtf");
    // Every other step of the start-up was done.
    EXPECT_EQ(Label(*form, "periodLabel")->text(), "T for group 1 = 221");
}

TEST_F(MainWindow, UnreadableParameterFileReportedAndDefaultsUsed) {
    QFile f(QString::fromStdString(dir.File("vfdef.par")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Parameters for E(t)\r\n6\tG\r\n1\tg\r\nx\tCrossg\r\n");
    f.close();
    auto form = Open();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Invalid numeric input.");
    EXPECT_EQ(Label(*form, "periodLabel")->text(), "T for group 1 = 221");
    EXPECT_TRUE(form->Model().ParametersChanged());  // the defaults are offered for saving
    Type(Edit(*form, "TeField"), "7");
    EXPECT_EQ(form->Model().Period(1), 222);
}

// Each plot shows its whole picture, of the size its pixel tests pin. A click
// copies it black on white: its green background white, everything drawn
// black. The plot itself stays as it was.
TEST_F(MainWindow, EveryPlotCopiesItsMask) {
    auto form = Open();
    Tabs(*form)->setCurrentIndex(1);  // draws E(t)
    for (const char* name : {"signalPlot", "sumPlot", "seriesPlot", "mapPlot"}) {
        PlotView* view = Plot(*form, name);
        const QImage plot = view->Image();
        EXPECT_EQ(view->size(), plot.size()) << name;
        QApplication::clipboard()->clear();
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(3, 3));
        const QImage copy = QApplication::clipboard()->image();
        ASSERT_EQ(copy.size(), plot.size()) << name;
        EXPECT_EQ(copy.convertToFormat(QImage::Format_RGB32),
                  common::MaskOfImage(plot, common::kGreen))
            << name;
        EXPECT_EQ(view->Image(), plot) << name;
    }
}

TEST_F(MainWindow, StartWithFileAsksNothingUnlessChangedAndGroupChoiceCounts) {
    WriteParameterFile();
    {
        auto form = Open();
        EXPECT_FALSE(form->Model().ParametersChanged());
        EXPECT_EQ(Edit(*form, "TaField")->text(), "180");  // group 1 from the file
        // Looking around and redrawing change no parameter.
        for (int tab : {1, 2, 3, 4, 0}) Tabs(*form)->setCurrentIndex(tab);
        Button(*form, "applyWindowButton")->click();
        Button(*form, "cobwebButton")->click();
        ecgtrace::AboutBox about;
        form->SetAboutBox(&about);
        Button(*form, "aboutButton")->click();
        EXPECT_EQ(dialogs.modalRuns, 1);
        EXPECT_FALSE(form->Model().ParametersChanged());
        form->close();
        EXPECT_TRUE(dialogs.saveQuestions.empty());
    }
    {
        auto form = Open();
        SpinUp(Spin(*form, "actualGroupField"));
        EXPECT_TRUE(form->Model().ParametersChanged());
        form->close();
        EXPECT_EQ(dialogs.saveQuestions.size(), 1u);  // cancelled: nothing written
    }
    {
        auto form = Open();
        SpinUp(Spin(*form, "crossGroupField"));
        EXPECT_EQ(form->Model().CrossGroup(), 2);
        EXPECT_TRUE(form->Model().ParametersChanged());
    }
}

TEST_F(MainWindow, ChoosingGroupThreeShowsItEverywhere) {
    WriteParameterFile();
    auto form = Open();
    TypeAndEnter(Spin(*form, "actualGroupField"), "3");
    const auto& m = form->Model();
    EXPECT_EQ(m.ActualGroup(), 3);
    EXPECT_EQ(m.CrossGroup(), 3);
    EXPECT_EQ(Spin(*form, "crossGroupField")->Text(), "3");
    // Group 3 has Te 9, s1 12, M 10 and P0 0.3 in the file.
    EXPECT_EQ(Edit(*form, "TeField")->text(), "9");
    EXPECT_EQ(Label(*form, "periodLabel")->text(), QString("T for group 3 = %1").arg(m.Period(3)));
    EXPECT_EQ(Spin(*form, "s1Field")->Text(), "12");
    EXPECT_EQ(Label(*form, "m1Label")->text(), "m1 = 45.00000");
    EXPECT_EQ(Label(*form, "signalHeading")->text(), "elaboration of function A(t) for group 3");
    EXPECT_EQ(Spin(*form, "MField")->Text(), "10");
    EXPECT_EQ(Edit(*form, "P0Field")->text(), "0.30");
    EXPECT_EQ(Label(*form, "mapHeading")->text(), "elaboration of function P3");
    EXPECT_EQ(Label(*form, "pHalfLabel")->text(),
              QString::fromStdString(ecgtrace::PHalfText(m, 3)));
    // E(t) was recomputed and drawn although its tab is not shown.
    EXPECT_FALSE(Plot(*form, "sumPlot")->Image().isNull());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
}

TEST_F(MainWindow, RaisingGThenChoosingNewGroupLimitsCrossGroup) {
    auto form = Open();
    IntSpinEdit* G = Spin(*form, "groupCountField");
    SpinUp(G);
    SpinUp(G);
    EXPECT_EQ(form->Model().GroupCount(), 8);
    EXPECT_EQ(Spin(*form, "actualGroupField")->MaxValue(), 8);
    EXPECT_EQ(Spin(*form, "crossGroupField")->MaxValue(), 6);
    TypeAndEnter(Spin(*form, "actualGroupField"), "8");
    EXPECT_EQ(form->Model().ActualGroup(), 8);
    EXPECT_EQ(form->Model().CrossGroup(), 6);
    EXPECT_EQ(Spin(*form, "crossGroupField")->Text(), "6");
    EXPECT_EQ(Label(*form, "mapHeading")->text(), "elaboration of function P8");
    // Lowering G below g moves the actual group down with it.
    TypeAndEnter(G, "5");
    EXPECT_EQ(form->Model().ActualGroup(), 5);
    EXPECT_EQ(Spin(*form, "actualGroupField")->Text(), "5");
    EXPECT_EQ(Label(*form, "mapHeading")->text(), "elaboration of function P5");
    // An unparseable text in G reads as its lower limit.
    TypeAndEnter(G, "");
    EXPECT_EQ(form->Model().GroupCount(), 1);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
}

TEST_F(MainWindow, FIsHeldWithinItsRangeAndShownAfterTyping) {
    WriteParameterFile();
    auto form = Open();
    QLineEdit* F = Edit(*form, "FField");
    Type(F, "0.05");
    EXPECT_DOUBLE_EQ(form->Model().Parameters(1).F, 0.1);
    EXPECT_EQ(F->text(), "0.05");  // the text stays while typing
    QTest::keyClick(F, Qt::Key_Return);
    EXPECT_EQ(F->text(), "0.10");
    Type(F, "2");
    QTest::keyClick(F, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(form->Model().Parameters(1).F, 1.0);
    EXPECT_EQ(F->text(), "1.00");
    EXPECT_TRUE(form->Model().ParametersChanged());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainWindow, NegativeOffsetShownBackAsZero) {
    auto form = Open();
    Type(Spin(*form, "offsetField")->Editor(), "-5");
    EXPECT_EQ(form->Model().Parameters(1).offset, 0);
    EXPECT_EQ(Spin(*form, "offsetField")->Text(), "-5");  // as typed until the editing ends
    Enter(Spin(*form, "offsetField"));
    EXPECT_EQ(Spin(*form, "offsetField")->Text(), "0");
    SpinDown(Spin(*form, "offsetField"));
    EXPECT_EQ(Spin(*form, "offsetField")->Text(), "0");
    Type(Spin(*form, "offsetField")->Editor(), "10");
    EXPECT_EQ(form->Model().Parameters(1).offset, 10);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(MainWindow, WidthSetToItsOwnValueChangesNothing) {
    WriteParameterFile();
    auto form = Open();
    const QImage before = Plot(*form, "signalPlot")->Image();
    // The user overtypes the last digit of "20" with the same digit.
    QLineEdit* s1 = Spin(*form, "s1Field")->Editor();
    s1->setSelection(1, 1);
    QTest::keyClicks(s1, "0");
    EXPECT_EQ(s1->text(), "20");
    EXPECT_FALSE(form->Model().ParametersChanged());
    Type(Spin(*form, "s1Field")->Editor(), "25");
    EXPECT_TRUE(form->Model().ParametersChanged());
    EXPECT_EQ(form->Model().Parameters(1).s1, 25);
    EXPECT_EQ(Label(*form, "m1Label")->text(), "m1 = 81.00000");
    EXPECT_NE(Plot(*form, "signalPlot")->Image(), before);
}

// T tab: f and F recompute T and A(t) but do not redraw the A(t) plot;
// Te, Ta and Tr redraw it; none of them recomputes E(t) before its tab shows.
TEST_F(MainWindow, PeriodEditsRecomputeWithoutRedrawingUntilDrawn) {
    WriteParameterFile();
    auto form = Open();
    auto& m = form->Model();
    Tabs(*form)->setCurrentIndex(1);
    ASSERT_TRUE(form->ShowsSumSignal());
    const std::vector<double> e0 = m.ESignal();
    Tabs(*form)->setCurrentIndex(2);
    EXPECT_FALSE(form->ShowsSumSignal());

    const QImage at0 = Plot(*form, "signalPlot")->Image();
    Type(Edit(*form, "fField"), "41");
    EXPECT_EQ(m.Period(1), 41 + 6 + 180 + 24);
    EXPECT_EQ(m.Signal(1).size(), static_cast<size_t>(m.Period(1)));
    EXPECT_EQ(Label(*form, "periodLabel")->text(), QString("T for group 1 = %1").arg(m.Period(1)));
    EXPECT_EQ(Plot(*form, "signalPlot")->Image(), at0);
    EXPECT_EQ(m.ESignal(), e0);

    Type(Edit(*form, "TeField"), "10");
    EXPECT_EQ(m.Period(1), 41 + 10 + 180 + 24);
    EXPECT_EQ(Label(*form, "m1Label")->text(), "m1 = 70.00000");
    EXPECT_NE(Plot(*form, "signalPlot")->Image(), at0);
    EXPECT_EQ(m.ESignal(), e0);

    Tabs(*form)->setCurrentIndex(1);
    EXPECT_NE(m.ESignal(), e0);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
}

// NE and N: one value on two tabs; the map is redrawn, the A(t) plot is not.
TEST_F(MainWindow, SharedCountsShowInBothTabsAndRedrawMap) {
    auto form = Open();
    auto& m = form->Model();
    const QImage at0 = Plot(*form, "signalPlot")->Image();
    const QImage map0 = Plot(*form, "mapPlot")->Image();
    Type(Edit(*form, "periodNEField"), "31");
    EXPECT_EQ(m.Parameters(1).NE, 31);
    EXPECT_EQ(Spin(*form, "mapNEField")->Text(), "31");
    EXPECT_EQ(m.Period(1), 34 + 6 + 170 + 24);  // 21 / (1 - 31 * 0.75 / 62) rounded
    EXPECT_NE(Plot(*form, "mapPlot")->Image(), map0);
    EXPECT_EQ(Plot(*form, "signalPlot")->Image(), at0);

    Type(Spin(*form, "mapNField")->Editor(), "124");
    EXPECT_EQ(m.Parameters(1).N, 124);
    EXPECT_EQ(Edit(*form, "periodNField")->text(), "124");
    EXPECT_EQ(Label(*form, "periodLabel")->text(), QString("T for group 1 = %1").arg(m.Period(1)));
    EXPECT_EQ(Plot(*form, "signalPlot")->Image(), at0);

    SpinUp(Spin(*form, "mapNEField"));
    EXPECT_EQ(Edit(*form, "periodNEField")->text(), "32");
}

// P tab: P0 recomputes only the series; Nd and M redraw the map; the arrows
// step by 1 near the ends and by 5 in between.
TEST_F(MainWindow, MapTabEditsAndArrows) {
    auto form = Open();
    auto& m = form->Model();
    Button(*form, "cobwebButton")->click();
    const QImage cobweb = Plot(*form, "mapPlot")->Image();
    bool red = false;
    for (int y = 0; y < cobweb.height(); ++y)
        for (int x = 0; x < cobweb.width(); ++x) red |= (cobweb.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    EXPECT_TRUE(red);

    const QImage series0 = Plot(*form, "seriesPlot")->Image();
    Type(Edit(*form, "P0Field"), "1.5");
    EXPECT_DOUBLE_EQ(m.Parameters(1).P0, 1.0);
    EXPECT_EQ(Edit(*form, "P0Field")->text(), "1.5");  // left as typed
    EXPECT_EQ(Label(*form, "pHalfLabel")->text(), "p half = 0.000");
    EXPECT_NE(Plot(*form, "seriesPlot")->Image(), series0);
    EXPECT_EQ(Plot(*form, "mapPlot")->Image(), cobweb);  // the map is not redrawn

    auto* upDown = form->findChild<ecgtrace::StepArrows*>("P0Arrows");
    Type(Edit(*form, "P0Field"), "0");
    upDown->SetPosition(0);
    upDown->SetIncrement(1);
    QList<int> positions;
    for (int i = 0; i < 14; ++i) {
        upDown->ClickUp();
        positions << upDown->Position();
    }
    EXPECT_EQ(positions, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 21, 26}));
    EXPECT_EQ(Edit(*form, "P0Field")->text(), "0.26");
    EXPECT_DOUBLE_EQ(m.Parameters(1).P0, 0.26);

    Type(Spin(*form, "MField"), "10");
    EXPECT_EQ(m.Parameters(1).M, 10);
    EXPECT_NE(Plot(*form, "mapPlot")->Image(), cobweb);
    EXPECT_NEAR(m.Map(1)[50], 0.472656, 1e-6);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
}

TEST_F(MainWindow, ApplyRedrawsChosenWindow) {
    WriteParameterFile();  // nothing changed at the start
    auto form = Open();
    Tabs(*form)->setCurrentIndex(1);
    SpinUp(Spin(*form, "windowStartField"));
    SpinDown(Spin(*form, "windowEndField"));
    // The fields alone change nothing.
    EXPECT_EQ(form->Model().EWindowStart(), 0);
    EXPECT_EQ(Label(*form, "windowStartLabel")->text(), "E(0)");
    Button(*form, "applyWindowButton")->click();
    EXPECT_EQ(form->Model().EWindowStart(), 100);
    EXPECT_EQ(form->Model().EWindowEnd(), 2700);
    EXPECT_EQ(Label(*form, "windowStartLabel")->text(), "E(100)");
    EXPECT_EQ(Label(*form, "windowEndLabel")->text(), "E(2700)");
    // The window is not a stored parameter.
    Button(*form, "applyWindowButton")->click();
    EXPECT_FALSE(form->Model().ParametersChanged());
}

// E(t) flat (G = 1, P0 = 1): the message, and no picture of the former sum
// left under it.
TEST_F(MainWindow, SumThatCannotBeDrawnLeavesTheEmptyFrame) {
    auto form = Open();
    Tabs(*form)->setCurrentIndex(1);
    const QImage before = Plot(*form, "sumPlot")->Image();
    TypeAndEnter(Spin(*form, "groupCountField"), "1");
    Tabs(*form)->setCurrentIndex(4);
    TypeAndEnter(Edit(*form, "P0Field"), "1");
    dialogs.errors.clear();
    Tabs(*form)->setCurrentIndex(1);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Floating point division by zero.");
    common::PlotSurface frame(ecgtrace::kSumPlotWidth, ecgtrace::kSumPlotHeight);
    ecgtrace::DrawE(ecgtrace::SignalModel(), frame);  // nothing computed: the frame
    // Inside the frame (the column right of it is never drawn).
    const QRect inside(0, 0, ecgtrace::kSumPlotWidth - 1, ecgtrace::kSumPlotHeight);
    EXPECT_NE(Plot(*form, "sumPlot")->Image().copy(inside), before.copy(inside));
    EXPECT_EQ(Plot(*form, "sumPlot")->Image().copy(inside), frame.Image().copy(inside));
}

TEST_F(MainWindow, FaultyGroupNamedAtStartAndMendedByTyping) {
    ecgtrace::SignalModel file;
    file.SetParameter(3, ecgtrace::Parameter::s1, 0);
    file.SaveParameterFile(dir.File("vfdef.par"));
    auto form = Open();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Group 3 cannot be computed: Floating point division by zero.");
    TypeAndEnter(Spin(*form, "actualGroupField"), "3");
    EXPECT_EQ(dialogs.errors.size(), 2);
    EXPECT_EQ(Label(*form, "pHalfLabel")->text(), "p half = 0.000");
    TypeAndEnter(Spin(*form, "s1Field"), "20");
    EXPECT_EQ(dialogs.errors.size(), 2);
    EXPECT_EQ(Label(*form, "pHalfLabel")->text(), "p half = 0.290");
    EXPECT_EQ(Label(*form, "periodLabel")->text(), "T for group 3 = 221");
    common::PlotSurface sum(ecgtrace::kSumPlotWidth, ecgtrace::kSumPlotHeight);
    ecgtrace::DrawE(form->Model(), sum);
    EXPECT_EQ(Plot(*form, "sumPlot")->Image(), sum.Image());  // brought up to date at once
    Tabs(*form)->setCurrentIndex(1);
    EXPECT_EQ(dialogs.errors.size(), 2);
}

TEST_F(MainWindow, FailedSaveKeepsWindowOpenForAnotherTry) {
    auto form = Open();
    QSignalSpy closed(form.get(), &ecgtrace::MainWindow::Closed);
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("missing-dir/vfdef.par")));
    EXPECT_FALSE(form->close());
    EXPECT_EQ(closed.count(), 0);
    ASSERT_EQ(dialogs.errors.size(), 1);
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("vfdef.par")));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(closed.count(), 1);
    // The saved file starts the next run with the same values.
    auto again = Open();
    EXPECT_TRUE(again->Model().ParametersLoaded());
    EXPECT_FALSE(again->Model().ParametersChanged());
}

TEST_F(MainWindow, NamedParameterFileIsReadShownInTheCaptionAndProposedAtExit) {
    WriteParameterFile();
    QFile::rename(QString::fromStdString(dir.File("vfdef.par")),
                  QString::fromStdString(dir.File("my-set.par")));
    auto form = std::make_unique<ecgtrace::MainWindow>(nullptr, dir.File("my-set.par"));
    EXPECT_EQ(form->windowTitle(), "Simulation of Ventricular Fibrillation - my-set.par");
    EXPECT_EQ(form->Model().Parameters(1).Ta, 180) << "read from the named file";
    EXPECT_FALSE(form->Model().ParametersChanged());
    TypeAndEnter(Spin(*form, "groupCountField"), "5");
    form->close();
    ASSERT_EQ(dialogs.saveQuestions.size(), 1u);
    EXPECT_EQ(dialogs.saveQuestions[0].proposedName,
              QString::fromStdString(dir.File("my-set.par")));

    EXPECT_EQ(Open()->windowTitle(), "Simulation of Ventricular Fibrillation");
}

TEST_F(MainWindow, IntroductionIsReadFromTheInstalledTextsWhenTheFolderHasNone) {
    QTemporaryDir installed;
    QFile::rename(QString::fromStdString(dir.File("V13.rtf")), installed.filePath("V13.rtf"));
    common::SetInstalledDataFolder(installed.path().toStdString() + "/");
    {
        auto form = Open();
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
        EXPECT_FALSE(form->findChild<QTextEdit*>("introductionText")->toPlainText().isEmpty());
    }
    common::SetInstalledDataFolder("");
    Open();
    EXPECT_EQ(dialogs.errors, QStringList{"Cannot open file V13.rtf."});
}

TEST(AboutBox, CaptionSizeAndDefaultButton) {
    ecgtrace::AboutBox box;
    EXPECT_EQ(box.windowTitle(), "About");
    EXPECT_EQ(box.size(), QSize(298, 218));
    auto* ok = box.findChild<QPushButton*>("OKButton");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
    QStringList texts;
    for (auto* label : box.findChildren<QLabel*>()) texts << label->text();
    EXPECT_TRUE(texts.contains("simulation of ventricular fibrillation"));
    EXPECT_TRUE(texts.contains("Version 1.0"));
    auto* rights = box.findChild<QLabel*>("Copyright");
    ASSERT_NE(rights, nullptr);
    EXPECT_TRUE(rights->text().contains("GNU GPL 3 or later"));
    EXPECT_LE(rights->fontMetrics().horizontalAdvance(rights->text()), rights->width());
    auto* folder = box.findChild<QLabel*>("workingFolder");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->toolTip(), QString::fromStdString(common::WorkingFolder()));
    EXPECT_LT(folder->font().pixelSize(), ok->font().pixelSize());
    box.show();
    ok->click();
    EXPECT_FALSE(box.isVisible());
}

}  // namespace
