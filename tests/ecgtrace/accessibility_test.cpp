// Both windows as a screen reader and a keyboard user meet them.
#include "ecgtrace/about_box.h"
#include "ecgtrace/analysis_window.h"
#include "support/accessibility_walk.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>

namespace {

using namespace testing_support;

class Accessibility : public EcgtraceWindowTest {
protected:
    void OpenBoth() {
        main = Open();
        analysis = AnalysisOf(*main);
        analysis->SetGroupAnalysisButton(main->GroupAnalysisButton());
        main->SetAnalysisActions([this] { analysis->OpenFromSumSignal(); },
                                 [this] { analysis->OpenFromGroup(); });
    }
    // Shows `page` of `window` and walks Tab from its tab bar.
    static void ExpectTabVisitsEveryControlInReadingOrder(QWidget& window, QTabWidget* tabs,
                                                          int page) {
        tabs->setCurrentIndex(page);
        tabs->tabBar()->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), tabs->tabBar());
        const std::vector<QWidget*> cycle = TabCycle(tabs->tabBar());
        for (QWidget* w : TabReachable(window))
            EXPECT_NE(std::find(cycle.begin(), cycle.end(), w), cycle.end())
                << "page " << page << ": Tab never reaches " << AccessibleName(w).toStdString();
        // Rows from the top, each row from the left.
        for (std::size_t i = 2; i < cycle.size(); ++i) {
            const QPoint a = cycle[i - 1]->mapTo(&window, QPoint());
            const QPoint b = cycle[i]->mapTo(&window, QPoint());
            const bool sameRow = std::abs(a.y() - b.y()) <= 4;
            EXPECT_TRUE(sameRow ? b.x() > a.x() : b.y() > a.y())
                << "page " << page << ": " << AccessibleName(cycle[i - 1]).toStdString() << " then "
                << AccessibleName(cycle[i]).toStdString();
        }
    }

    std::unique_ptr<ecgtrace::MainWindow> main;
    std::unique_ptr<ecgtrace::AnalysisWindow> analysis;
};

TEST_F(Accessibility, EveryControlOfEveryWindowHasAName) {
    OpenBoth();
    ecgtrace::AboutBox about;
    for (QWidget* window : std::initializer_list<QWidget*>{main.get(), analysis.get(), &about}) {
        const std::vector<QWidget*> controls = InteractiveWidgets(*window);
        EXPECT_FALSE(controls.empty());
        for (QWidget* w : controls)
            EXPECT_FALSE(AccessibleName(w).isEmpty())
                << window->objectName().toStdString() << ": " << w->objectName().toStdString()
                << " (" << w->metaObject()->className() << ")";
    }
    // Labels beside fields and the arrows of spin fields, as a reader says them.
    EXPECT_EQ(AccessibleName(Spin(*main, "s1Field")->Editor()), "s1");
    EXPECT_EQ(AccessibleName(Spin(*main, "s1Field")->Arrows()->UpButton()), "increase s1");
    EXPECT_EQ(AccessibleName(Edit(*main, "TeField")), "Te");
    auto* plot = QAccessible::queryAccessibleInterface(Plot(*main, "signalPlot"));
    EXPECT_EQ(plot->role(), QAccessible::Chart);
}

TEST_F(Accessibility, ArrowsPressedThroughTheReaderStepTheirField) {
    OpenBoth();
    auto* s1 = Spin(*main, "s1Field");
    const int before = s1->Value();
    QAccessibleInterface* up = QAccessible::queryAccessibleInterface(s1->Arrows()->UpButton());
    ASSERT_NE(up->actionInterface(), nullptr);
    up->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(s1->Value(), before + 1);
    EXPECT_EQ(main->Model().Parameters(1).s1, before + 1);
}

TEST_F(Accessibility, PlotDescriptionsFollowWhatIsDrawn) {
    OpenBoth();
    Tabs(*main)->setCurrentIndex(1);  // E(t) is drawn when its tab is shown
    auto* sum = Plot(*main, "sumPlot");
    const QString first = AccessibleDescription(sum);
    EXPECT_TRUE(first.startsWith("E(t) from 0 to 28000 ms: minimum ")) << first.toStdString();
    EXPECT_TRUE(first.contains(", maximum ")) << first.toStdString();
    SpinDown(Spin(*main, "windowEndField"));
    Button(*main, "applyWindowButton")->click();
    EXPECT_TRUE(AccessibleDescription(sum).startsWith("E(t) from 0 to 27000 ms"))
        << AccessibleDescription(sum).toStdString();

    auto* signal = Plot(*main, "signalPlot");
    const QString signalBefore = AccessibleDescription(signal);
    EXPECT_TRUE(signalBefore.startsWith("A(t) of group 1: k ms from 0 to "))
        << signalBefore.toStdString();
    TypeAndEnter(Spin(*main, "s1Field"), "40");
    EXPECT_NE(AccessibleDescription(signal), signalBefore);

    Button(*main, "sumAnalysisButton")->click();
    EXPECT_TRUE(AccessibleDescription(Plot(*analysis, "histogramPlot"))
                    .startsWith("amplitudehistogram of Et: bin low from"))
        << AccessibleDescription(Plot(*analysis, "histogramPlot")).toStdString();
}

TEST_F(Accessibility, TabVisitsEveryControlOfEveryPageInReadingOrder) {
    OpenBoth();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    for (int page = 0; page < Tabs(*main)->count(); ++page)
        ExpectTabVisitsEveryControlInReadingOrder(*main, Tabs(*main), page);

    Button(*main, "groupAnalysisButton")->click();
    analysis->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(analysis.get()));
    auto* pages = Find<QTabWidget>(*analysis, "analysisTabs");
    for (int page = 0; page < pages->count(); ++page)
        if (pages->isTabVisible(page))
            ExpectTabVisitsEveryControlInReadingOrder(*analysis, pages, page);
}

TEST_F(Accessibility, SpaceOnAFocusedPlotCopiesItAsAClickDoes) {
    OpenBoth();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    Tabs(*main)->setCurrentIndex(3);
    auto* signal = Plot(*main, "signalPlot");
    signal->setFocus(Qt::TabFocusReason);
    QApplication::clipboard()->clear();
    QTest::keyClick(signal, Qt::Key_Space);
    EXPECT_EQ(QApplication::clipboard()->image().size(), signal->Image().size());
}

}  // namespace
