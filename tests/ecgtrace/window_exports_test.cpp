// Every plot of both windows taken out through its context menu: the PNG at
// scale 1 is the picture on the screen, and the data are those behind it.
#include "ecgtrace/analysis_window.h"
#include "ecgtrace/main_window.h"

#include "common/file_io.h"
#include "common/ui/plot_menu.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <QImage>
#include <QTabWidget>
#include <memory>

namespace {

using common::ui::PlotMenu;
using common::ui::PlotView;

class WindowExports : public testing_support::EcgtraceWindowTest {
protected:
    void OpenBoth() {
        main = Open();
        analysis = AnalysisOf(*main);
        analysis->SetGroupAnalysisButton(main->GroupAnalysisButton());
        main->SetAnalysisActions([this] { analysis->OpenFromSumSignal(); },
                                 [this] { analysis->OpenFromGroup(); });
    }
    static PlotMenu* MenuOf(QWidget& window, const char* plot) {
        auto* view = window.findChild<PlotView*>(QString::fromLatin1(plot));
        return view ? view->findChild<PlotMenu*>() : nullptr;
    }

    std::unique_ptr<ecgtrace::MainWindow> main;
    std::unique_ptr<ecgtrace::AnalysisWindow> analysis;
};

TEST_F(WindowExports, EveryPlotSavesThePictureOnTheScreenAtScaleOne) {
    OpenBoth();
    Tabs(*main)->setCurrentIndex(1);  // E(t) drawn
    Tabs(*main)->setCurrentIndex(3);  // A(t), whose analysis follows
    main->GroupAnalysisButton()->click();
    auto* pages = analysis->findChild<QTabWidget*>("analysisTabs");
    ASSERT_NE(pages, nullptr);
    for (int page = 1; page < pages->count(); ++page) pages->setCurrentIndex(page);

    struct Plot {
        QWidget* window;
        const char* name;
    } plots[] = {{main.get(), "sumPlot"},           {main.get(), "signalPlot"},
                 {main.get(), "seriesPlot"},        {main.get(), "mapPlot"},
                 {analysis.get(), "histogramPlot"}, {analysis.get(), "correlationPlot"},
                 {analysis.get(), "powerPlot"},     {analysis.get(), "phasePlot"}};
    for (const Plot& plot : plots) {
        SCOPED_TRACE(plot.name);
        PlotMenu* menu = MenuOf(*plot.window, plot.name);
        ASSERT_NE(menu, nullptr);
        const std::string path = dir.File(std::string(plot.name) + ".png");
        dialogs.saveAnswers.push_back(QString::fromStdString(path));
        dialogs.integerAnswers.push_back(1);
        menu->SavePicture();
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        const auto* view = plot.window->findChild<PlotView*>(QString::fromLatin1(plot.name));
        EXPECT_EQ(QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32),
                  view->Image().convertToFormat(QImage::Format_RGB32));

        const std::string csv = dir.File(std::string(plot.name) + ".csv");
        dialogs.saveAnswers.push_back(QString::fromStdString(csv));
        menu->SaveData();
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        EXPECT_GT(common::ReadWholeFile(csv).find('\n'), 0u);
    }
    // The data follow what is shown: the actual group's signal, sample by sample.
    EXPECT_EQ(common::ReadWholeFile(dir.File("signalPlot.csv")).substr(0, 5), "k_ms,");
    EXPECT_EQ(common::ReadWholeFile(dir.File("histogramPlot.csv")).substr(0, 25),
              "bin_low,bin_high,fraction");
}

TEST_F(WindowExports, TheSumSignalAlsoSavesAsEdf) {
    OpenBoth();
    Tabs(*main)->setCurrentIndex(1);  // E(t) computed and drawn
    PlotMenu* menu = MenuOf(*main, "sumPlot");
    ASSERT_NE(menu, nullptr);
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("signal")));
    dialogs.saveFilterAnswers.push_back(1);  // the EDF filter
    menu->SaveData();
    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(common::ReadWholeFile(dir.File("signal.edf")).substr(0, 8), "0       ");
}

}  // namespace
