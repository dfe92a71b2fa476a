#include "myogrid/topolt.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "common/ui/error_box.h"
#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/rspin.h"
#include "myogrid/topolt_help.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

using namespace myogrid;

namespace {

// Each reading moves the clock on by `advance` milliseconds.
class FakeClock : public MillisecondClock {
public:
    std::int64_t now = 0;
    std::int64_t advance = 0;
    std::int64_t NowMs() override {
        const std::int64_t value = now;
        now += advance;
        return value;
    }
};

class ModelWindowTest : public ::testing::Test {
protected:
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    FakeClock clock;
    SeededRandom random{12345};
    ParameterTable table = ParameterTable::Defaults();
    std::unique_ptr<TFormTopolt> form;
    int builds = 0;

    void SetUp() override {
        form = std::make_unique<TFormTopolt>(table, nullptr, &clock, &random);
        QObject::connect(form.get(), &TFormTopolt::BuildStarting, [this] {
            ++builds;
            // The notice is up (and painted) before the build starts.
            EXPECT_TRUE(form->LabelInit()->isVisible());
        });
    }

    void Open(ModelKind kind, const QString& title = QStringLiteral("Topological model")) {
        ASSERT_TRUE(form->OpenAndShow(title, kind));
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    }
    void Click(int n) { form->CheckBox(n)->click(); }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) form->RunLoopTimer();
    }
    QImage Time() const { return form->TimeWindow()->Image(); }
    QImage Right() const { return form->RightWindow()->Image(); }
};

}  // namespace

TEST_F(ModelWindowTest, LayoutCaptionsAndHints) {
    EXPECT_EQ(form->windowTitle(), "ventricular fibrillation models");
    EXPECT_EQ(form->size(), QSize(644, 489));
    EXPECT_EQ(form->TimeWindow()->geometry(), QRect(6, 26, 616, 176));
    EXPECT_EQ(form->RightWindow()->geometry(), QRect(410, 237, 211, 211));
    EXPECT_EQ(Time().size(), QSize(616, 176));
    EXPECT_EQ(Right().size(), QSize(211, 211));
    EXPECT_EQ(form->Notebook()->size(), QSize(385, 199));
    EXPECT_EQ(form->BitBtnSave1()->toolTip(), "save top window");
    EXPECT_EQ(form->BitBtnSave2()->toolTip(), "save right window");
    EXPECT_EQ(form->SpeedButtonHelp()->toolTip(), "help");
    EXPECT_EQ(form->SpeedButtonReturn()->toolTip(), "return");
    EXPECT_EQ(form->LabelInit()->text(), "initializing! please wait");
    EXPECT_TRUE(form->LabelInit()->isHidden());
    EXPECT_EQ(form->EditModelTime()->text(), "0");
    EXPECT_TRUE(form->EditModelTime()->isReadOnly());
    ASSERT_EQ(form->Notebook()->count(), 22);
    EXPECT_EQ(PageCaption(0), "topolt start");
    EXPECT_EQ(PageCaption(13), "help VFsum 0 & 2 time window");
    EXPECT_EQ(PageCaption(21), "help VF2");
    // A cleared window: button face in the corner, lime grid line at y = 17.
    EXPECT_EQ(Time().pixelColor(0, 0), QColor(240, 240, 240));
    EXPECT_EQ(Time().pixelColor(300, 17), QColor(0, 255, 0));
}

TEST_F(ModelWindowTest, OpeningFillsControlsWithDependentMaxima) {
    table.Store(Param::Dimension, "20");  // above the control's range
    table.Store(Param::Cell1X, "12");
    table.Store(Param::XNexus, "2");
    table.Store(Param::Threshold, "50");
    table.Store(Param::Diversity, "0.25");
    Open(ModelKind::Topological, "Topological model");
    EXPECT_EQ(form->LabelTop()->text(), "Topological model");
    EXPECT_EQ(form->LabelLeft()->text(), "topolt start");
    EXPECT_EQ(form->LabelRight()->text(), "phase plot");
    EXPECT_EQ(form->ParI(1)->Text(), "13");
    EXPECT_EQ(form->ParI(12)->MaxValue(), 13);
    EXPECT_EQ(form->ParI(12)->Value(), 12);
    EXPECT_EQ(form->ParI(5)->MaxValue(), 2 * 2 + 8 * 3 + 8 * 1);
    EXPECT_EQ(form->ParI(5)->Value(), 36);
    EXPECT_EQ(form->ParR(9)->Text(), "0.25");
    EXPECT_EQ(form->ParI(34)->Value(), 5);
    EXPECT_EQ(form->ParI(31)->MaxValue(), 5);
    EXPECT_TRUE(form->CheckBox(12)->isChecked());
    EXPECT_EQ(form->Record(), BuildRecord{});
    // The engine reads the controls.
    EXPECT_EQ(form->Integer(Param::Dimension), 13);
    EXPECT_EQ(form->Integer(Param::OscDimension), 5);
    EXPECT_EQ(form->Real(Param::DelayL), -0.22);
}

TEST_F(ModelWindowTest, AValueThatDoesNotConvertStopsTheOpening) {
    table.Store(Param::Active, "12x");
    EXPECT_FALSE(form->OpenAndShow("Topological model", ModelKind::Topological));
    EXPECT_FALSE(form->isVisible());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "'12x' is not a valid integer value.");

    dialogs.errors.clear();
    table.Store(Param::Active, "170");
    table.Store(Param::DelayF, "0,75");
    EXPECT_FALSE(form->OpenAndShow("Topological model", ModelKind::Topological));
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "'0,75' is not a valid floating point value.");
}

TEST_F(ModelWindowTest, StartPageByKind) {
    Open(ModelKind::Topological);
    EXPECT_EQ(form->CheckBox(2)->text(), "1st derivative");
    EXPECT_EQ(form->CheckBox(4)->text(), "delay");
    EXPECT_EQ(form->CheckBox(8)->text(), "start method");
    EXPECT_EQ(form->CheckBox(9)->text(), "all cells");
    for (int n = 1; n <= 10; ++n) EXPECT_TRUE(form->CheckBox(n)->isVisible()) << n;

    Open(ModelKind::OneOscillator, "one oscillator model");
    EXPECT_EQ(form->CheckBox(4)->text(), "Pt vs Pt-1");
    EXPECT_EQ(form->CheckBox(8)->text(), "cell param.s");
    EXPECT_FALSE(form->CheckBox(2)->isVisible());
    EXPECT_FALSE(form->CheckBox(6)->isVisible());
    EXPECT_FALSE(form->CheckBox(9)->isVisible());

    Open(ModelKind::IndependentOscillators, "independent oscillators model");
    EXPECT_EQ(form->CheckBox(2)->text(), "membr. pot.");
    EXPECT_TRUE(form->CheckBox(2)->isVisible());
    EXPECT_TRUE(form->CheckBox(6)->isVisible());
    EXPECT_FALSE(form->CheckBox(9)->isVisible());
    EXPECT_EQ(form->ParI(30)->Value(), 0);
    EXPECT_EQ(form->ParI(33)->Value(), 0);

    Open(ModelKind::CoupledOscillators, "coupled oscillators model");
    EXPECT_EQ(form->CheckBox(9)->text(), "all oscill.s");
    EXPECT_TRUE(form->CheckBox(9)->isVisible());
}

TEST_F(ModelWindowTest, RunBuildsOnceAndRestartsWithoutBuilding) {
    Open(ModelKind::Topological);
    clock.advance = 1250;
    Click(1);
    EXPECT_EQ(builds, 1);
    EXPECT_TRUE(form->LabelInit()->isHidden());
    EXPECT_TRUE(QFile::exists("connex.txt"));
    EXPECT_EQ(form->Record(), (BuildRecord{10, 18, 3, 1, 0}));
    ASSERT_TRUE(form->Running());
    EXPECT_EQ(form->RunLoop()->interval(), 1350);
    EXPECT_EQ(form->Engine().ModelTime(ModelKind::Topological), 2);

    clock.advance = 3;
    Click(1);  // halt
    EXPECT_FALSE(form->Running());
    Click(1);  // run again: restarts from model time 0 without a build
    EXPECT_EQ(builds, 1);
    EXPECT_TRUE(form->Running());
    EXPECT_EQ(form->RunLoop()->interval(), 103);
    EXPECT_EQ(form->Engine().ModelTime(ModelKind::Topological), 2);

    // Only the structural values make a rebuild.
    Click(1);
    form->ParI(5)->SetValue(20);
    Click(1);
    EXPECT_EQ(builds, 1);
    Click(1);
    form->ParI(1)->SetValue(6);
    Click(1);
    EXPECT_EQ(builds, 2);
    EXPECT_EQ(form->Engine().Block().CellCount(), 216);

    // Opening the window again always rebuilds, also for the same model.
    Open(ModelKind::Topological);
    EXPECT_FALSE(form->Running());  // opening halts the run
    Click(1);
    EXPECT_EQ(builds, 3);
    // Another kind with the same nexus values rebuilds as well.
    Open(ModelKind::CoupledOscillators);
    Click(1);
    EXPECT_EQ(builds, 4);
    EXPECT_EQ(form->Record(), (BuildRecord{0, 18, 3, 1, 5}));
    EXPECT_EQ(form->Engine().Oscillators().OscillatorCount(), 125);
}

TEST_F(ModelWindowTest, EveryKindRunsAndDrawsFromTheTimer) {
    const ModelKind kinds[] = {ModelKind::Topological, ModelKind::IndependentOscillators,
                               ModelKind::OneOscillator, ModelKind::CoupledOscillators};
    for (ModelKind kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        Open(kind);
        Click(1);
        ASSERT_TRUE(form->Running());
        const QImage timeBefore = Time();
        const QImage rightBefore = Right();
        Ticks(300);
        EXPECT_TRUE(form->Running());
        EXPECT_NE(Time(), timeBefore);
        EXPECT_NE(Right(), rightBefore);
        EXPECT_EQ(form->EditModelTime()->text(), QString::number(2 * 300));
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        Click(10);  // stop
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(form->Engine().Built(kind));
    }
    // The all-cells and 1st-derivative views run as well.
    Open(ModelKind::Topological);
    Click(9);
    EXPECT_EQ(form->LabelRight()->text(), "active cells");
    Click(2);
    Click(1);
    Ticks(50);
    EXPECT_TRUE(form->Running());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(ModelWindowTest, TheRealTimerDrivesTheRun) {
    Open(ModelKind::OneOscillator);
    Click(1);
    QTRY_VERIFY_WITH_TIMEOUT(form->EditModelTime()->text().toInt() >= 4, 3000);
}

TEST_F(ModelWindowTest, CommandsHaltARunAndStopHidesAndReleases) {
    Open(ModelKind::Topological);
    Click(1);
    ASSERT_TRUE(form->Running());
    Click(3);  // "formula"
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(form->CheckBox(1)->isChecked());
    EXPECT_EQ(form->CurrentPage(), PageFormula);
    EXPECT_EQ(form->LabelLeft()->text(), "topolt formula");
    Click(16);
    EXPECT_FALSE(form->CheckBox(3)->isChecked());
    EXPECT_EQ(form->CurrentPage(), PageStart);

    // "stop": unsaved edits are gone at the next opening.
    Click(1);
    form->ParI(1)->SetValue(7);
    Click(10);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(form->CheckBox(10)->isChecked());
    EXPECT_FALSE(form->Engine().Built(ModelKind::Topological));
    Open(ModelKind::Topological);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_EQ(form->ParI(1)->Value(), 10);
}

TEST_F(ModelWindowTest, ClosingByTheFrameHidesAndHalts) {
    Open(ModelKind::CoupledOscillators);
    Click(1);
    ASSERT_TRUE(form->Running());
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(form->CheckBox(1)->isChecked());
    // A stray tick after the halt steps nothing.
    const QString time = form->EditModelTime()->text();
    Ticks(5);
    EXPECT_EQ(form->EditModelTime()->text(), time);
}

TEST_F(ModelWindowTest, NoTickStepsAModelThatIsNotBuilt) {
    Open(ModelKind::Topological);
    Click(1);
    ASSERT_TRUE(form->Running());
    form->Engine().Release(ModelKind::Topological);
    Ticks(3);
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(form->CheckBox(1)->isChecked());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(ModelWindowTest, AnEngineErrorDuringARunHaltsAndReports) {
    common::ui::SetApplicationTitle(QStringLiteral("models of ventriculat fibrillation"));
    Open(ModelKind::CoupledOscillators);
    Click(1);
    ASSERT_TRUE(form->Running());
    form->ParR(18)->SetValue(0.0);  // L = 0: the next firing divides by zero
    for (int i = 0; i < 400 && form->Running(); ++i) form->RunLoopTimer();
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(form->CheckBox(1)->isChecked());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Floating point division by zero.");
    EXPECT_EQ(dialogs.errorTitles[0], "models of ventriculat fibrillation");

    // Still usable: mend the value and run again.
    form->ParR(18)->SetValue(-0.22);
    Click(1);
    Ticks(100);
    EXPECT_TRUE(form->Running());
    EXPECT_EQ(dialogs.errors.size(), 1);
}

TEST_F(ModelWindowTest, AFailedBuildIsTriedAgainAtTheNextRun) {
    Open(ModelKind::CoupledOscillators);
    for (int n : {2, 3, 4}) form->ParI(n)->SetValue(0);  // no nexuses at all
    Click(1);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_FALSE(form->Running());
    EXPECT_TRUE(form->LabelInit()->isHidden());
    form->ParI(2)->SetValue(18);
    Click(1);
    EXPECT_TRUE(form->Running());
    EXPECT_EQ(builds, 2);
}

TEST_F(ModelWindowTest, PageCommandsOfTheBlock) {
    Open(ModelKind::Topological);
    Click(4);  // "delay"
    EXPECT_EQ(form->CurrentPage(), PageDelay);
    EXPECT_EQ(form->LabelRight()->text(), "delay function");
    EXPECT_TRUE(form->CheckBox(20)->isVisible());
    const QImage delay = Right();
    Click(20);  // "redraw" unticks itself
    EXPECT_FALSE(form->CheckBox(20)->isChecked());
    EXPECT_EQ(Right(), delay);
    Click(17);
    EXPECT_FALSE(form->CheckBox(4)->isChecked());
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_EQ(form->LabelRight()->text(), "phase plot");
    EXPECT_NE(Right(), delay);  // cleared

    Click(6);  // "parameters": the full form without the extra boxes
    EXPECT_EQ(form->CurrentPage(), PageParameters);
    EXPECT_TRUE(form->ParI(1)->isVisible());
    EXPECT_TRUE(form->ParR(9)->isVisible());
    EXPECT_FALSE(form->CheckBox(26)->isVisible());
    EXPECT_FALSE(form->CheckBox(21)->isVisible());
    Click(19);
    EXPECT_FALSE(form->CheckBox(6)->isChecked());

    Click(5);
    EXPECT_EQ(form->CurrentPage(), PageTimeWindow);
    Click(18);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    Click(8);
    EXPECT_EQ(form->CurrentPage(), PageStartMethod);
    EXPECT_EQ(form->LabelLeft()->text(), "topolt start method");
    Click(11);
    EXPECT_FALSE(form->CheckBox(8)->isChecked());
    EXPECT_EQ(form->LabelLeft()->text(), "topolt start");

    Click(9);
    EXPECT_EQ(form->LabelRight()->text(), "active cells");
    Click(9);
    EXPECT_EQ(form->LabelRight()->text(), "phase plot");
}

TEST_F(ModelWindowTest, PageCommandsOfTheOscillators) {
    Open(ModelKind::OneOscillator);
    Click(4);  // "Pt vs Pt-1": the reduced parameters page
    EXPECT_EQ(form->CurrentPage(), PageParameters);
    EXPECT_EQ(form->LabelRight()->text(), "Pt vs Pt-1");
    EXPECT_FALSE(form->ParI(1)->isVisible());
    EXPECT_FALSE(form->ParameterLabel(1)->isVisible());
    for (int n : {6, 7, 8, 10}) EXPECT_FALSE(form->ParI(n)->isVisible()) << n;
    EXPECT_FALSE(form->ParR(9)->isVisible());
    for (int n : {2, 3, 4, 5}) EXPECT_TRUE(form->ParI(n)->isVisible()) << n;
    EXPECT_TRUE(form->CheckBox(26)->isVisible());
    EXPECT_FALSE(form->CheckBox(21)->isVisible());
    // The return map: its lime frame, the white curve from (5, 5) down.
    EXPECT_EQ(Right().pixelColor(206, 100), QColor(0, 255, 0));
    EXPECT_EQ(Right().pixelColor(5, 100), QColor(255, 255, 255));
    Click(26);
    EXPECT_FALSE(form->CheckBox(26)->isChecked());
    Click(19);
    EXPECT_FALSE(form->CheckBox(4)->isChecked());
    EXPECT_EQ(form->CurrentPage(), PageStart);

    const QString right = form->LabelRight()->text();
    Click(8);  // "cell param.s": the full form with "delay parameters"
    EXPECT_EQ(form->CurrentPage(), PageParameters);
    EXPECT_TRUE(form->ParI(1)->isVisible());
    EXPECT_TRUE(form->CheckBox(21)->isVisible());
    EXPECT_FALSE(form->CheckBox(26)->isVisible());
    Click(21);  // "delay parameters": the delay page without "redraw"
    EXPECT_EQ(form->CurrentPage(), PageDelay);
    EXPECT_FALSE(form->CheckBox(20)->isVisible());
    EXPECT_EQ(form->LabelRight()->text(), right);
    EXPECT_TRUE(form->CheckBox(21)->isChecked());  // never reset by the program
    Click(17);
    EXPECT_EQ(form->CurrentPage(), PageStart);

    Click(5);  // the oscillator time window: no coordinates for one oscillator
    EXPECT_EQ(form->CurrentPage(), PageOscTimeWindow);
    EXPECT_FALSE(form->ParI(28)->isVisible());
    EXPECT_TRUE(form->ParameterLabel(28)->isVisible());
    EXPECT_TRUE(form->ParI(27)->isVisible());
    Click(22);

    Open(ModelKind::CoupledOscillators);
    Click(6);
    EXPECT_EQ(form->CurrentPage(), PageOscParameters);
    Click(24);
    EXPECT_EQ(form->CurrentPage(), PageOscStart);
    EXPECT_EQ(form->LabelLeft()->text(), "oscillator start");
    Click(25);  // back to "VFsum parameters"
    EXPECT_EQ(form->CurrentPage(), PageOscParameters);
    EXPECT_FALSE(form->CheckBox(24)->isChecked());
    Click(23);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_FALSE(form->CheckBox(6)->isChecked());
}

TEST_F(ModelWindowTest, ReturnRecomputesTheDependentMaxima) {
    Open(ModelKind::Topological);
    Click(6);
    form->ParI(1)->SetValue(6);
    form->ParI(2)->SetValue(2);
    Click(19);
    for (int n = 12; n <= 17; ++n) EXPECT_EQ(form->ParI(n)->MaxValue(), 6) << n;
    EXPECT_EQ(form->ParI(15)->Value(), 6);  // cell 2 x was 10
    EXPECT_EQ(form->ParI(12)->Value(), 5);
    EXPECT_EQ(form->ParI(5)->MaxValue(), 36);
    EXPECT_EQ(form->ParI(5)->Value(), 14);
    // Raising the dimension again does not raise the coordinates.
    Click(6);
    form->ParI(1)->SetValue(10);
    Click(19);
    EXPECT_EQ(form->ParI(15)->Value(), 6);
    EXPECT_EQ(form->ParI(15)->MaxValue(), 10);

    Open(ModelKind::CoupledOscillators);
    Click(6);
    form->ParI(34)->SetValue(3);
    Click(23);
    for (int n = 28; n <= 33; ++n) EXPECT_EQ(form->ParI(n)->MaxValue(), 3) << n;
    EXPECT_EQ(form->ParI(31)->Value(), 3);
    EXPECT_EQ(form->ParI(28)->Value(), 2);
}

TEST_F(ModelWindowTest, StartMethodBoxesFollowTheMouse) {
    Open(ModelKind::Topological);
    Click(8);
    QCheckBox* random = form->CheckBox(12);
    QCheckBox* fifty = form->CheckBox(13);
    QCheckBox* extra = form->CheckBox(14);
    ASSERT_TRUE(random->isChecked());
    QTest::mouseClick(fifty, Qt::LeftButton, {}, QPoint(6, fifty->height() / 2));
    EXPECT_FALSE(random->isChecked());
    EXPECT_TRUE(fifty->isChecked());
    // Clicking the ticked box keeps it ticked.
    QTest::mouseClick(fifty, Qt::LeftButton, {}, QPoint(6, fifty->height() / 2));
    EXPECT_TRUE(fifty->isChecked());
    // The keyboard toggles only its own box.
    extra->setFocus();
    QTest::keyClick(extra, Qt::Key_Space);
    EXPECT_TRUE(extra->isChecked());
    EXPECT_TRUE(fifty->isChecked());
    // A double click: its second press arrives as a double-click event and
    // still leaves exactly the pressed box ticked.
    const QPoint inside(6, random->height() / 2);
    QTest::mouseClick(random, Qt::LeftButton, {}, inside);
    QTest::mouseDClick(random, Qt::LeftButton, {}, inside);
    QTest::mouseRelease(random, Qt::LeftButton, {}, inside);
    EXPECT_TRUE(random->isChecked());
    EXPECT_FALSE(fifty->isChecked());
    EXPECT_FALSE(extra->isChecked());
    // "background" is independent of them.
    QTest::mouseClick(form->CheckBox(15), Qt::LeftButton, {}, QPoint(6, 10));
    EXPECT_TRUE(form->CheckBox(15)->isChecked());
    EXPECT_TRUE(random->isChecked());
}

TEST(HelpPageOf, TargetsForEveryKind) {
    EXPECT_EQ(HelpPageOf(PageStart, ModelKind::Topological), PageHelpStart);
    EXPECT_EQ(HelpPageOf(PageStart, ModelKind::IndependentOscillators), PageHelpVF0);
    EXPECT_EQ(HelpPageOf(PageStart, ModelKind::OneOscillator), PageHelpVF1);
    EXPECT_EQ(HelpPageOf(PageStart, ModelKind::CoupledOscillators), PageHelpVF2);
    EXPECT_EQ(HelpPageOf(PageParameters, ModelKind::Topological), PageHelpParameters);
    for (ModelKind k : {ModelKind::IndependentOscillators, ModelKind::OneOscillator,
                        ModelKind::CoupledOscillators})
        EXPECT_EQ(HelpPageOf(PageParameters, k), PageHelpReturnMap);
    EXPECT_EQ(HelpPageOf(PageOscTimeWindow, ModelKind::OneOscillator), PageHelpOneOscTime);
    EXPECT_EQ(HelpPageOf(PageOscTimeWindow, ModelKind::CoupledOscillators), PageHelpOscTimeWindow);
    EXPECT_EQ(HelpPageOf(PageFormula, ModelKind::Topological), -1);
    // Help pages lead back to their page.
    for (int page : {1, 19, 20, 21}) EXPECT_EQ(HelpPageOf(page, ModelKind::OneOscillator), 0);
    EXPECT_EQ(HelpPageOf(PageHelpReturnMap, ModelKind::OneOscillator), PageParameters);
    EXPECT_EQ(HelpPageOf(PageHelpOneOscTime, ModelKind::OneOscillator), PageOscTimeWindow);
    EXPECT_EQ(HelpPageOf(PageHelpOscStart, ModelKind::Topological), PageOscStart);
}

TEST_F(ModelWindowTest, HelpButtonsSwapAndDoNotHalt) {
    Open(ModelKind::OneOscillator);
    Click(1);
    ASSERT_TRUE(form->Running());
    QTest::mousePress(form->SpeedButtonHelp(), Qt::LeftButton);
    EXPECT_EQ(form->CurrentPage(), PageHelpVF1);
    EXPECT_EQ(form->LabelLeft()->text(), "help VF1");
    EXPECT_FALSE(form->SpeedButtonHelp()->isVisible());
    EXPECT_TRUE(form->SpeedButtonReturn()->isVisible());
    EXPECT_TRUE(form->Running());
    QTest::mouseClick(form->SpeedButtonReturn(), Qt::LeftButton);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_TRUE(form->SpeedButtonHelp()->isVisible());
    EXPECT_FALSE(form->SpeedButtonReturn()->isVisible());
    EXPECT_TRUE(form->Running());

    Click(3);  // the formula page has no help
    QTest::mousePress(form->SpeedButtonHelp(), Qt::LeftButton);
    QTest::mouseRelease(form->SpeedButtonHelp(), Qt::LeftButton);
    EXPECT_EQ(form->CurrentPage(), PageFormula);
    EXPECT_TRUE(form->SpeedButtonHelp()->isVisible());
}

TEST_F(ModelWindowTest, HelpTextsLineByLine) {
    const QStringList start = form->HelpMemo(PageHelpStart)->toPlainText().split('\n');
    ASSERT_EQ(start.size(), 9);
    EXPECT_EQ(start[5], "  [1st derivative]   of activity is shown in time window");
    EXPECT_EQ(start[3], "");
    const QStringList delay = HelpText(PageHelpDelay);
    EXPECT_EQ(delay[1], "a new timestep ");
    EXPECT_EQ(delay[4], "  t  = e              * F / N");
    EXPECT_EQ(HelpText(PageHelpOneOscTime), HelpText(PageHelpOscTimeWindow).mid(0, 3));
    const QStringList vf1 = HelpText(PageHelpVF1);
    ASSERT_EQ(vf1.size(), 12);
    EXPECT_EQ(vf1.mid(0, 7), HelpText(PageHelpVF0).mid(0, 7));
    EXPECT_EQ(vf1[7], "The upper trace in the time window shows the ");
    const QStringList vf2 = HelpText(PageHelpVF2);
    ASSERT_EQ(vf2.size(), 13);
    EXPECT_EQ(vf2[8], "  [membr. pot] electrogram in time window");
    EXPECT_EQ(vf2[9], "  [all oscill.s] all oscillators with activity");
    EXPECT_EQ(HelpText(PageHelpParameters).size(), 15);
    EXPECT_EQ(HelpText(PageHelpParameters)[10], "abs. ref.:    lenght of absolute refractory state");
    for (int page = 0; page < kPageCount; ++page) {
        QPlainTextEdit* memo = form->HelpMemo(page);
        ASSERT_EQ(memo != nullptr, IsHelpPage(page)) << page;
        if (!memo) continue;
        const bool scrolls = page == PageHelpParameters || page == PageHelpVF2;
        EXPECT_EQ(memo->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, scrolls) << page;
    }
}

TEST_F(ModelWindowTest, SaveParametersStoresEveryControl) {
    Open(ModelKind::Topological);
    table.ParametersChanged = false;
    form->ParI(1)->SetValue(8);
    form->ParR(9)->SetValue(0.1 + 0.2);
    form->ParI(34)->SetValue(7);
    form->ParI(33)->SetValue(4);
    form->ParI(7)->SetText("junk");  // reads as its minimum
    Click(1);
    Click(7);
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(form->CheckBox(7)->isChecked());
    EXPECT_TRUE(table.ParametersChanged);
    EXPECT_EQ(table.Value(Param::Dimension), "8");
    EXPECT_EQ(table.Value(Param::Diversity), "0.3");
    EXPECT_EQ(table.Value(Param::DelayL), "-0.22");
    EXPECT_EQ(table.Value(Param::OscDimension), "7");
    EXPECT_EQ(table.Value(Param::Osc2Z), "4");
    EXPECT_EQ(table.Value(Param::Active), "0");
    // Unchanged values are stored back as they were.
    const ParameterTable defaults = ParameterTable::Defaults();
    for (Param p : {Param::XNexus, Param::Period, Param::EnvWeight, Param::PeriodVariability,
                    Param::Osc1X})
        EXPECT_EQ(table.Value(p), defaults.Value(p));

    // Nothing changed at all: the flag is still set.
    table.ParametersChanged = false;
    Click(7);
    EXPECT_TRUE(table.ParametersChanged);
}

TEST_F(ModelWindowTest, SavesPlotWindowsAsBitmaps) {
    Open(ModelKind::Topological);
    dialogs.saveAnswers.push_back(QStringLiteral("right.png"));
    form->BitBtnSave2()->click();
    ASSERT_EQ(dialogs.saveQuestions.size(), 1u);
    EXPECT_EQ(dialogs.saveQuestions[0].title, "save right window");
    EXPECT_EQ(dialogs.saveQuestions[0].filter, "bitmap|*.BMP");
    EXPECT_EQ(dialogs.saveQuestions[0].proposedName, "");
    QImageReader right(QStringLiteral("right.png"));
    EXPECT_EQ(right.format(), "bmp");
    EXPECT_EQ(right.size(), QSize(211, 211));

    dialogs.saveAnswers.push_back(QStringLiteral("top"));
    form->BitBtnSave1()->click();
    EXPECT_EQ(dialogs.saveQuestions[1].title, "save top window");
    QImageReader top(QStringLiteral("top"));
    EXPECT_EQ(top.format(), "bmp");
    EXPECT_EQ(top.size(), QSize(616, 176));

    // Cancelled: nothing written; an unwritable name: the error box.
    form->BitBtnSave1()->click();
    EXPECT_EQ(dialogs.saveQuestions.size(), 3u);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    dialogs.saveAnswers.push_back(QStringLiteral("no/such/folder/x.bmp"));
    form->BitBtnSave2()->click();
    EXPECT_EQ(dialogs.errors.size(), 1);
}
