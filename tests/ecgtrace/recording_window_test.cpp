// A recording shown beside the simulation in the analysis window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTabWidget>

#include "common/ui/plot_menu.h"
#include "ecgtrace/analysis_window.h"
#include "ecgtrace/model/recording_plots.h"
#include "support/recording_maker.h"
#include "window_test_support.h"

namespace {

class RecordingWindow : public testing_support::EcgtraceWindowTest {
protected:
    void SetUp() override {
        testing_support::EcgtraceWindowTest::SetUp();
        main = Open();
        analysis = AnalysisOf(*main);
        analysis->OpenFromSumSignal();
        // 40 s at 250 Hz: 6 Hz with a weaker 13 Hz.
        path = QDir::currentPath().toStdString() + "/ecg.edf";
        ASSERT_TRUE(test_support::WriteEdfRecording(
            path, false, 250, {"II"}, {test_support::SineSum(250, 40, {{6, 2}, {13, 0.5}}, 0.2)}));
    }
    QImage Expected(ecgtrace::RecordingPlot plot) {
        return ecgtrace::DrawRecordingPlot(
                   ecgtrace::AnalyseRecording(ecgtrace::ReadRecordingWindow(path, "II", 0.0)), plot)
            .Image();
    }

    std::unique_ptr<ecgtrace::MainWindow> main;
    std::unique_ptr<ecgtrace::AnalysisWindow> analysis;
    std::string path;
};

TEST_F(RecordingWindow, ShowsTheRecordingsPlotsInTheBookFiguresPlace) {
    analysis->ChooseRecording(QString::fromStdString(path));
    ASSERT_TRUE(analysis->ShowsRecording());
    EXPECT_EQ(dialogs.modalRuns, 1);  // the channel and start were asked for
    EXPECT_EQ(Plot(*analysis, "histogramFigure")->Image(),
              Expected(ecgtrace::RecordingPlot::Histogram));
    EXPECT_EQ(Plot(*analysis, "correlationFigure")->Image(),
              Expected(ecgtrace::RecordingPlot::Autocorrelation));
    EXPECT_EQ(Plot(*analysis, "powerFigure")->Image(), Expected(ecgtrace::RecordingPlot::Power));
    EXPECT_TRUE(analysis->windowTitle().endsWith(" beside ecg.edf, channel II, from 0 s"))
        << analysis->windowTitle().toStdString();
    EXPECT_TRUE(Label(*analysis, "measuresLabel")->text().contains("II: 6."));
    // Its plots' menus copy the recording's values.
    auto* menu = Plot(*analysis, "histogramFigure")->findChild<common::ui::PlotMenu*>();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->Offered());
    menu->CopyData();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith("bin_low\tbin_high\tfraction\n"));

    // Back to the book figure: the pictures from before and the plain caption,
    // and no menu on the book's figure.
    Find<QCheckBox>(*analysis, "histogramPageRecordingSwitch")->click();
    EXPECT_FALSE(analysis->ShowsRecording());
    EXPECT_FALSE(menu->Offered());
    EXPECT_TRUE(Plot(*analysis, "histogramFigure")->Image().isNull());
    EXPECT_FALSE(analysis->windowTitle().contains("beside"));
    // The choice is kept: switching on again asks nothing.
    Find<QCheckBox>(*analysis, "powerPageRecordingSwitch")->click();
    EXPECT_TRUE(analysis->ShowsRecording());
    EXPECT_EQ(dialogs.modalRuns, 1);
}

TEST_F(RecordingWindow, OpenedAtStartItStaysBesideTheSumSignalFromPageToPage) {
    main->ShowSumSignalTab();  // as a start with a recording does
    analysis->OpenFromSumSignal();
    analysis->ChooseRecording(QString::fromStdString(path));
    Find<QTabWidget>(*analysis, "analysisTabs")->setCurrentIndex(1);
    EXPECT_TRUE(analysis->windowTitle().startsWith("Signal analysis of E(t) beside"))
        << analysis->windowTitle().toStdString();
}

TEST_F(RecordingWindow, TheMainWindowShowsTheChosenRecordingUnderE) {
    auto* trace = Plot(*main, "recordingTracePlot");
    const QImage sumBefore = Plot(*main, "sumPlot")->Image();
    const QSize sizeBefore = main->size();
    EXPECT_TRUE(trace->isHidden());

    analysis->ChooseRecording(QString::fromStdString(path));
    ASSERT_NE(main->Session().Recording(), nullptr);
    EXPECT_FALSE(trace->isHidden());
    common::PlotSurface expected(trace->Image().width(), trace->Image().height());
    ecgtrace::DrawRecordingTrace(ecgtrace::ReadRecordingWindow(path, "II", 0.0), expected);
    EXPECT_EQ(trace->Image(), expected.Image());
    // E(t) and the window are as they were.
    EXPECT_EQ(Plot(*main, "sumPlot")->Image(), sumBefore);
    EXPECT_EQ(main->size(), sizeBefore);
    // Below the window fields, inside the page.
    main->show();
    main->findChild<QTabWidget*>("tabs")->setCurrentIndex(1);
    const QWidget* page = trace->parentWidget();
    EXPECT_TRUE(page->rect().contains(trace->geometry()));
    EXPECT_GT(trace->y(), page->findChild<QWidget*>("windowEndField")->geometry().bottom());
}

TEST_F(RecordingWindow, ABadChoiceIsReportedAndChangesNothing) {
    dialogs.modalResult = QDialog::Rejected;
    analysis->ChooseRecording(QString::fromStdString(path));
    EXPECT_FALSE(analysis->ShowsRecording());
    dialogs.modalResult = QDialog::Accepted;
    analysis->ChooseRecording(QStringLiteral("no-such-file.edf"));
    EXPECT_FALSE(analysis->ShowsRecording());
    EXPECT_TRUE(Plot(*main, "recordingTracePlot")->isHidden());
    ASSERT_FALSE(dialogs.errors.empty());
    EXPECT_TRUE(dialogs.errors.back().contains("Cannot open file"));
}

}  // namespace
