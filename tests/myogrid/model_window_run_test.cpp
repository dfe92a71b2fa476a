// Running the models from the model window: when the model is built, how the
// run timer steps it, what halts it, and how a failing run ends.
#include <gtest/gtest.h>

#include <QFile>
#include <QTimer>
#include <functional>
#include <string>

#include "common/ui/error_box.h"
#include "myogrid/model_window_fixture.h"

using namespace myogrid;

namespace {

class ModelWindowRun : public myogrid_support::ModelWindowTest {};

}  // namespace

TEST_F(ModelWindowRun, RunBuildsOnceAndRestartsWithoutBuilding) {
    Open(ModelKind::Topological);
    clock.advance = 1250;
    Click(Command::Run);
    EXPECT_EQ(builds, 1);
    EXPECT_TRUE(Controls().initializingNotice->isHidden());
    EXPECT_TRUE(QFile::exists("connex.txt"));
    EXPECT_EQ(form->Record(), (BuildRecord{10, 18, 3, 1, 0}));
    ASSERT_TRUE(form->Running());
    EXPECT_EQ(form->RunTimer()->interval(), 1350);
    EXPECT_EQ(form->Engine().ModelTime(ModelKind::Topological), 2);

    clock.advance = 3;
    Click(Command::Run);  // halt
    EXPECT_FALSE(form->Running());
    Click(Command::Run);  // run again: restarts from model time 0 without a build
    EXPECT_EQ(builds, 1);
    EXPECT_TRUE(form->Running());
    EXPECT_EQ(form->RunTimer()->interval(), 103);
    EXPECT_EQ(form->Engine().ModelTime(ModelKind::Topological), 2);

    // Only the structural values make a rebuild.
    Click(Command::Run);
    Field(Param::Threshold)->SetValue(20);
    Click(Command::Run);
    EXPECT_EQ(builds, 1);
    Click(Command::Run);
    Field(Param::Dimension)->SetValue(6);
    Click(Command::Run);
    EXPECT_EQ(builds, 2);
    EXPECT_EQ(form->Engine().Block().CellCount(), 216);

    // Opening the window again always rebuilds, also for the same model.
    Open(ModelKind::Topological);
    EXPECT_FALSE(form->Running());  // opening halts the run
    Click(Command::Run);
    EXPECT_EQ(builds, 3);
    // Another kind with the same nexus values rebuilds as well.
    Open(ModelKind::CoupledOscillators);
    Click(Command::Run);
    EXPECT_EQ(builds, 4);
    EXPECT_EQ(form->Record(), (BuildRecord{0, 18, 3, 1, 5}));
    EXPECT_EQ(form->Engine().Oscillators().OscillatorCount(), 125);
}

TEST_F(ModelWindowRun, EveryKindRunsAndDrawsFromTheTimer) {
    const ModelKind kinds[] = {ModelKind::Topological, ModelKind::IndependentOscillators,
                               ModelKind::OneOscillator, ModelKind::CoupledOscillators};
    for (ModelKind kind : kinds) {
        SCOPED_TRACE(static_cast<int>(kind));
        Open(kind);
        Click(Command::Run);
        ASSERT_TRUE(form->Running());
        const QImage timeBefore = Time();
        const QImage rightBefore = Right();
        Ticks(300);
        EXPECT_TRUE(form->Running());
        EXPECT_NE(Time(), timeBefore);
        EXPECT_NE(Right(), rightBefore);
        EXPECT_EQ(Controls().modelTime->text(), QString::number(2 * 300));
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        Click(Command::Stop);  // stop
        EXPECT_FALSE(form->isVisible());
        EXPECT_FALSE(form->Engine().Built(kind));
    }
    // The all-cells and 1st-derivative views run as well.
    Open(ModelKind::Topological);
    Click(Switch::AllCells);
    EXPECT_EQ(Controls().rightCaption->text(), "active cells");
    Click(Switch::FirstDerivative);
    Click(Command::Run);
    Ticks(50);
    EXPECT_TRUE(form->Running());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(ModelWindowRun, TheRunTimerStepsTheRunAtEachTimeout) {
    Open(ModelKind::OneOscillator);
    Click(Command::Run);
    QTimer* timer = form->RunTimer();
    ASSERT_TRUE(timer->isActive());
    // Each timeout of the timer itself shows the model time and steps once.
    for (int i = 0; i < 2; ++i) ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
    EXPECT_GE(Controls().modelTime->text().toInt(), 4);
}

TEST_F(ModelWindowRun, CommandsHaltARunAndStopHidesAndReleases) {
    Open(ModelKind::Topological);
    Click(Command::Run);
    ASSERT_TRUE(form->Running());
    Click(Command::Formula);  // "formula"
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(Box(Command::Run)->isChecked());
    EXPECT_EQ(form->CurrentPage(), PageFormula);
    EXPECT_EQ(Controls().pageCaption->text(), "topolt formula");
    Return(PageFormula);
    EXPECT_FALSE(Box(Command::Formula)->isChecked());
    EXPECT_EQ(form->CurrentPage(), PageStart);

    // "stop": unsaved edits are gone at the next opening.
    Click(Command::Run);
    Field(Param::Dimension)->SetValue(7);
    Click(Command::Stop);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(Box(Command::Stop)->isChecked());
    EXPECT_FALSE(form->Engine().Built(ModelKind::Topological));
    Open(ModelKind::Topological);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_EQ(Field(Param::Dimension)->Value(), 10);
}

TEST_F(ModelWindowRun, ClosingByTheFrameHidesAndHalts) {
    Open(ModelKind::CoupledOscillators);
    Click(Command::Run);
    ASSERT_TRUE(form->Running());
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(Box(Command::Run)->isChecked());
    // A stray tick after the halt steps nothing.
    const QString time = Controls().modelTime->text();
    Ticks(5);
    EXPECT_EQ(Controls().modelTime->text(), time);
}

TEST_F(ModelWindowRun, NoTickStepsAModelThatIsNotBuilt) {
    Open(ModelKind::Topological);
    Click(Command::Run);
    ASSERT_TRUE(form->Running());
    form->Engine().Release(ModelKind::Topological);
    Ticks(3);
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(Box(Command::Run)->isChecked());
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(ModelWindowRun, AnEngineErrorDuringARunHaltsAndReports) {
    common::ui::SetApplicationTitle(QStringLiteral("models of ventriculat fibrillation"));
    Open(ModelKind::CoupledOscillators);
    Click(Command::Run);
    ASSERT_TRUE(form->Running());
    RealField(Param::DelayL)->SetValue(0.0);  // L = 0: the next firing divides by zero
    for (int i = 0; i < 400 && form->Running(); ++i) form->RunTimerTick();
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(Box(Command::Run)->isChecked());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Floating point division by zero.");
    EXPECT_EQ(dialogs.errorTitles[0], "models of ventriculat fibrillation");

    // Still usable: mend the value and run again.
    RealField(Param::DelayL)->SetValue(-0.22);
    Click(Command::Run);
    Ticks(100);
    EXPECT_TRUE(form->Running());
    EXPECT_EQ(dialogs.errors.size(), 1);
}

TEST_F(ModelWindowRun, AnOverflowingRunStopsWithAnErrorBox) {
    for (ModelKind kind : {ModelKind::IndependentOscillators, ModelKind::CoupledOscillators}) {
        dialogs.errors.clear();
        OpenModel(kind);
        RealField(Param::StartFraction)->SetValue(-1e308);  // "start fraction"
        Click(Command::Run);
        for (int i = 0; i < 30 && form->Running(); ++i) form->RunTimerTick();
        EXPECT_FALSE(form->Running());
        EXPECT_FALSE(Box(Command::Run)->isChecked());
        EXPECT_EQ(dialogs.errors, QStringList{"Invalid floating point operation."});
        Click(Command::Stop);
    }
}

TEST_F(ModelWindowRun, AFailedBuildIsTriedAgainAtTheNextRun) {
    Open(ModelKind::CoupledOscillators);
    for (Param p : {Param::XNexus, Param::XyXzNexus, Param::XyzNexus})
        Field(p)->SetValue(0);  // no nexuses at all
    Click(Command::Run);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_FALSE(form->Running());
    EXPECT_TRUE(Controls().initializingNotice->isHidden());
    Field(Param::XNexus)->SetValue(18);
    Click(Command::Run);
    EXPECT_TRUE(form->Running());
    EXPECT_EQ(builds, 2);
}

TEST_F(ModelWindowRun, ControlsAtTheirLimitsRunOrSayWhyNot) {
    const ModelKind kinds[] = {ModelKind::Topological, ModelKind::IndependentOscillators,
                               ModelKind::OneOscillator, ModelKind::CoupledOscillators};
    // Runs `set` on freshly opened controls, then runs a while: the run goes
    // on, or an error box tells why it stopped.
    auto check = [&](ModelKind kind, const std::function<void()>& set, const std::string& what) {
        OpenModel(kind);
        set();
        const qsizetype errorsBefore = dialogs.errors.size();
        Click(Command::Run);
        for (int i = 0; i < 30 && form->Running(); ++i) form->RunTimerTick();
        EXPECT_TRUE(form->Running() || dialogs.errors.size() > errorsBefore)
            << what << " kind " << static_cast<int>(kind);
        Click(Command::Delay);  // the delay function or the return map: drawn or reported
        Click(Command::Stop);
        EXPECT_FALSE(form->isVisible());
    };
    for (ModelKind kind : kinds) {
        for (const ParameterDefinition& definition : kParameterDefinitions) {
            const std::string key = definition.key;
            if (common::ui::IntSpinEdit* spin = Field(definition.param)) {
                check(
                    kind, [&] { spin->SetValue(spin->MinValue()); }, key + " min");
                check(
                    kind, [&] { spin->SetValue(spin->MaxValue()); }, key + " max");
            } else if (RealSpinEdit* real = RealField(definition.param)) {
                for (double v : {0.0, -1e300, 1e300})
                    check(
                        kind, [&] { real->SetValue(v); }, key + " " + std::to_string(v));
            }
        }
    }
}

TEST_F(ModelWindowRun, TracedCellsAreTheOnesOnTheTimeWindowPage) {
    OpenModel(ModelKind::Topological);
    Click(Command::Run);  // builds the block of 10 x 10 x 10
    Click(Command::Run);
    // The dimension lowered, the time window visited, the dimension raised
    // again: the block in memory still fits, so the next run does not build.
    Click(Command::Parameters);
    Field(Param::Dimension)->SetValue(6);
    Return(PageParameters);  // cell 2 x drops from 10 to 6
    Click(Command::TimeWindow);
    Return(PageTimeWindow);
    Click(Command::Parameters);
    Field(Param::Dimension)->SetValue(10);
    Return(PageParameters);
    Click(Command::Run);
    ASSERT_TRUE(form->Running());
    EXPECT_EQ(form->Engine().Block().CellCount(), 1000);
    // Cell 1 (5, 5, 5) and cell 2 (6, 0, 0) of the block that runs.
    EXPECT_EQ(form->Engine().BlockModel().TraceCell1(), TraceCellIndex(5, 5, 5, 10));
    EXPECT_EQ(form->Engine().BlockModel().TraceCell2(), TraceCellIndex(6, 0, 0, 10));
}
