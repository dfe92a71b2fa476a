// Myogrid's windows as a screen reader and a keyboard user meet them.
#include "model_window_fixture.h"
#include "myogrid/illusion_window.h"
#include "myogrid/launcher.h"
#include "support/accessibility_walk.h"

#include <QApplication>
#include <QTest>

namespace {

using namespace myogrid_support;
using namespace testing_support;

class Accessibility : public ModelWindowTest {};

TEST_F(Accessibility, EveryControlOfEveryWindowHasAName) {
    Open(ModelKind::Topological);
    IllusionWindow illusion;
    Launcher launcher;
    for (QWidget* window : std::initializer_list<QWidget*>{form.get(), &illusion, &launcher}) {
        const std::vector<QWidget*> controls = InteractiveWidgets(*window);
        EXPECT_GT(controls.size(), 3u);
        for (QWidget* w : controls)
            EXPECT_FALSE(AccessibleName(w).isEmpty())
                << window->objectName().toStdString() << ": " << w->objectName().toStdString()
                << " (" << w->metaObject()->className() << ")";
    }
    // Fields named after the label beside them, coordinates with their heading.
    EXPECT_EQ(AccessibleName(Field(Param::Threshold)->Editor()), "threshold");
    EXPECT_EQ(AccessibleName(Field(Param::Cell2Y)->Editor()), "cell 2 y");
    EXPECT_EQ(AccessibleName(RealField(Param::EnvWeight)->Arrows()->DownButton()),
              "decrease env. weight");
    EXPECT_EQ(AccessibleName(Controls().pause->Editor()), "pause (ms)");
}

TEST_F(Accessibility, TimeWindowDescriptionFollowsTheRun) {
    Open(ModelKind::Topological, QStringLiteral("Topological model"));
    EXPECT_EQ(AccessibleDescription(Controls().timePlot), "Topological model: model time 0 msec");
    Click(Command::Run);
    Ticks(2);
    EXPECT_EQ(AccessibleDescription(Controls().timePlot),
              "Topological model: model time " + Controls().modelTime->text() + " msec");
    EXPECT_NE(Controls().modelTime->text(), "0");
    EXPECT_EQ(AccessibleDescription(Controls().rightPlot), Controls().rightCaption->text());
}

// Every page of the notebook: Tab reaches each control shown, plots included.
TEST_F(Accessibility, TabReachesEveryControlOfEveryPage) {
    Open(ModelKind::Topological);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    for (int page = 0; page < Controls().notebook->count(); ++page) {
        Controls().notebook->setCurrentIndex(page);
        const std::vector<QWidget*> reachable = TabReachable(*form);
        ASSERT_FALSE(reachable.empty());
        reachable.front()->setFocus(Qt::TabFocusReason);
        const std::vector<QWidget*> cycle = TabCycle(reachable.front());
        for (QWidget* w : reachable)
            EXPECT_NE(std::find(cycle.begin(), cycle.end(), w), cycle.end())
                << "page " << page << ": Tab never reaches " << AccessibleName(w).toStdString();
    }
    EXPECT_TRUE(Controls().timePlot->focusPolicy() & Qt::TabFocus);
}

}  // namespace
