// Run control in the model window: the pause between steps, single steps
// and the keys on the plots, the seed, and traced cells picked by clicking.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "common/number_format.h"
#include "myogrid/engine/model_renderer.h"
#include "myogrid/model_window_fixture.h"

using namespace myogrid;

namespace {

class ModelWindowRunControl : public myogrid_support::ModelWindowTest {
protected:
    void Key(QWidget* target, int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
    }
    // A left click at image pixel (px, py) of the right plot.
    void ClickRight(int px, int py, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* plot = Controls().rightPlot;
        const QPointF at = QPointF(px + 0.5, py + 0.5);
        QMouseEvent press(QEvent::MouseButtonPress, at, plot->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(plot, &press);
    }
    std::int64_t ModelTimeOf(ModelKind kind) { return form->Engine().ModelTime(kind); }
    QString Connex() {
        QFile file(QStringLiteral("connex.txt"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromLatin1(file.readAll());
    }
};

int DotX(int x, int z, int d) { return (z + (d + 2) * (x % 4)) * 3 + 5; }
int DotY(int x, int y, int d) { return (y + (x / 4) * (d + 2)) * 3 + 5; }

}  // namespace

// --------------------------------------------------------------- pause

TEST_F(ModelWindowRunControl, PauseFieldSetsTheIntervalAlsoDuringARun) {
    Open(ModelKind::Topological);
    EXPECT_EQ(Controls().pause->Value(), 100);
    clock.advance = 30;
    Click(Command::Run);
    EXPECT_EQ(form->RunTimer()->interval(), 130);  // the default stays step time + 100

    Controls().pause->Editor()->setFocus();
    Controls().pause->StepUp();  // the arrow: 10 ms more
    EXPECT_EQ(form->RunTimer()->interval(), 140);
    EXPECT_TRUE(form->Running());
    form->SetPauseMs(0);
    EXPECT_EQ(Controls().pause->Value(), 0);
    EXPECT_EQ(form->RunTimer()->interval(), 0);
    form->SetPauseMs(4000);
    EXPECT_EQ(Controls().pause->Value(), 1000);
    EXPECT_EQ(form->RunTimer()->interval(), 1030);
}

TEST_F(ModelWindowRunControl, WithoutPauseATickRunsManyStepsAndShowsThemOncePerFrame) {
    Open(ModelKind::Topological);
    form->SetPauseMs(0);
    Click(Command::Run);
    clock.advance = 1;  // every step costs a millisecond
    std::int64_t lastShown = clock.now;
    qint64 shownKey = Time().cacheKey();
    int shows = 0;
    for (int tick = 0; tick < 40; ++tick) {
        const std::int64_t before = ModelTimeOf(ModelKind::Topological);
        form->RunTimerTick();
        EXPECT_GT(ModelTimeOf(ModelKind::Topological) - before, 2 * 4);  // several steps
        if (Time().cacheKey() != shownKey) {
            ++shows;
            shownKey = Time().cacheKey();
            if (shows > 1) {
                EXPECT_GE(clock.now - lastShown, 16) << "tick " << tick;
            }
            lastShown = clock.now;
            // The time field shows the time of the picture's last step.
            EXPECT_EQ(Controls().modelTime->text().toInt(),
                      ModelTimeOf(ModelKind::Topological) - 2);
        }
    }
    EXPECT_GE(shows, 10);
    // Halting shows the steps not shown yet.
    form->RunTimerTick();
    Click(Command::Run);
    EXPECT_EQ(Controls().modelTime->text().toInt(), ModelTimeOf(ModelKind::Topological) - 2);
    EXPECT_EQ(Time(), form->Renderer().Pictures().TimeWindow().Image());
}

TEST_F(ModelWindowRunControl, WithoutPauseAPostedEventIsHandledWithinFiftyMilliseconds) {
    Open(ModelKind::CoupledOscillators);
    form->SetPauseMs(0);
    Click(Command::Run);
    ASSERT_EQ(form->RunTimer()->interval(), 0);
    clock.advance = 3;  // each step costs 3 ms

    for (int round = 0; round < 5; ++round) {
        const std::int64_t before = ModelTimeOf(ModelKind::CoupledOscillators);
        const std::int64_t postedAt = clock.now;
        std::int64_t handledAt = -1;
        QTimer::singleShot(0, form.get(), [&] { handledAt = clock.now; });
        for (int i = 0; i < 100 && handledAt < 0; ++i) QCoreApplication::processEvents();
        ASSERT_GE(handledAt, 0);
        EXPECT_LE(handledAt - postedAt, 50);
        // The run went on meanwhile.
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        EXPECT_GT(ModelTimeOf(ModelKind::CoupledOscillators), before);
    }
    EXPECT_TRUE(form->Running());
}

// ------------------------------------------------- single steps, keys

TEST_F(ModelWindowRunControl, AStepFromAnyStateShowsTheTimeBeforeItAndAdvances) {
    Open(ModelKind::Topological);
    Click(Command::Run);
    Ticks(5);
    Click(Command::Run);  // halted at model time 12
    QStringList shown;
    for (int i = 0; i < 3; ++i) {
        Controls().step->click();
        shown << Controls().modelTime->text();
    }
    EXPECT_EQ(shown, (QStringList{"0", "2", "4"}));
    // Another model opens at 0; Right on a plot after its build as well.
    Open(ModelKind::CoupledOscillators);
    EXPECT_EQ(Controls().modelTime->text(), "0");
    Key(Controls().timePlot, Qt::Key_Right);
    Key(Controls().timePlot, Qt::Key_Right);
    EXPECT_EQ(Controls().modelTime->text(), "2");
    EXPECT_EQ(ModelTimeOf(ModelKind::CoupledOscillators), 4);
}

TEST_F(ModelWindowRunControl, AStepIsOneTimerTickAndRunGoesOnFromIt) {
    Open(ModelKind::Topological);
    SeededRandom otherRandom(12345);
    myogrid_support::FakeClock otherClock;
    ModelWindow ticked(table, nullptr, &otherClock, &otherRandom);
    ASSERT_TRUE(ticked.OpenAndShow(QStringLiteral("model"), ModelKind::Topological));
    ticked.SwitchBox(Switch::AllCells)->click();
    Click(Switch::AllCells);

    ticked.CommandBox(Command::Run)->click();  // starts with one step
    Controls().step->click();                  // starts, held after one step
    EXPECT_FALSE(form->Running());
    EXPECT_TRUE(form->Paused());
    for (int i = 0; i < 30; ++i) {
        if (i > 0) {
            ticked.RunTimerTick();
            Controls().step->click();
        }
        const StepReport a = ticked.Engine().Report(ModelKind::Topological);
        const StepReport b = form->Engine().Report(ModelKind::Topological);
        ASSERT_EQ(a.modelTime, b.modelTime) << i;
        ASSERT_EQ(a.activeCount, b.activeCount) << i;
        ASSERT_EQ(ticked.Controls().timePlot->Image(), Time()) << i;
        ASSERT_EQ(ticked.Controls().rightPlot->Image(), Right()) << i;
        ASSERT_EQ(ticked.Controls().modelTime->text(), Controls().modelTime->text()) << i;
    }

    // "run" goes on from the step, without a restart.
    const std::int64_t held = ModelTimeOf(ModelKind::Topological);
    Click(Command::Run);
    EXPECT_TRUE(form->Running());
    EXPECT_FALSE(Controls().step->isEnabled());
    EXPECT_EQ(ModelTimeOf(ModelKind::Topological), held);
    Ticks(3);
    EXPECT_EQ(ModelTimeOf(ModelKind::Topological), held + 6);
    // Unticking and ticking "run" restarts, as it always did.
    Click(Command::Run);
    EXPECT_FALSE(form->Paused());
    Click(Command::Run);
    EXPECT_EQ(ModelTimeOf(ModelKind::Topological), 2);
    EXPECT_EQ(builds, 1);
}

TEST_F(ModelWindowRunControl, SpaceAndRightOnThePlots) {
    Open(ModelKind::OneOscillator);
    QWidget* plot = Controls().timePlot;
    EXPECT_TRUE(plot->focusPolicy() & Qt::ClickFocus);  // and reachable with Tab
    Key(plot, Qt::Key_Space);                           // starts a run
    ASSERT_TRUE(form->Running());
    Ticks(4);
    EXPECT_EQ(ModelTimeOf(ModelKind::OneOscillator), 10);
    Key(Controls().rightPlot, Qt::Key_Space);  // pauses
    EXPECT_FALSE(form->Running());
    EXPECT_TRUE(form->Paused());
    EXPECT_FALSE(Box(Command::Run)->isChecked());
    Key(plot, Qt::Key_Right);
    Key(plot, Qt::Key_Right);
    EXPECT_EQ(ModelTimeOf(ModelKind::OneOscillator), 14);
    Key(plot, Qt::Key_Space);  // goes on
    EXPECT_TRUE(form->Running());
    EXPECT_TRUE(Box(Command::Run)->isChecked());
    EXPECT_EQ(ModelTimeOf(ModelKind::OneOscillator), 14);
    Key(plot, Qt::Key_Right);  // no step while running
    EXPECT_EQ(ModelTimeOf(ModelKind::OneOscillator), 14);
    // Any command of the start page ends the pause: "run" then restarts.
    Key(plot, Qt::Key_Space);
    Click(Switch::FirstDerivative);
    EXPECT_FALSE(form->Paused());
    Click(Command::Run);
    EXPECT_EQ(ModelTimeOf(ModelKind::OneOscillator), 2);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(ModelWindowRunControl, AStepNeverStepsAReleasedModel) {
    Open(ModelKind::Topological);
    Controls().step->click();
    ASSERT_TRUE(form->Paused());
    Click(Command::Stop);  // releases the block
    EXPECT_FALSE(form->Paused());
    form->show();
    form->StepCommand();  // builds anew and starts
    EXPECT_EQ(builds, 2);
    EXPECT_EQ(ModelTimeOf(ModelKind::Topological), 2);
}

// ---------------------------------------------------------------- seed

TEST_F(ModelWindowRunControl, TypedSeedRepeatsTheBuildAndEveryRun) {
    Open(ModelKind::Topological);
    Controls().seed->setText(QStringLiteral("4242"));
    emit Controls().seed->textEdited(Controls().seed->text());
    Click(Command::Run);
    EXPECT_EQ(form->BuildSeed(), std::optional<std::uint64_t>(4242));
    const QString firstConnex = Connex();
    Ticks(20);
    const StepReport first = form->Engine().Report(ModelKind::Topological);
    const QImage firstTime = Time();

    Click(Command::Run);
    Click(Command::Run);  // same seed: no build, the same run again
    EXPECT_EQ(builds, 1);
    Ticks(20);
    EXPECT_EQ(form->Engine().Report(ModelKind::Topological).activeCount, first.activeCount);
    EXPECT_EQ(Time(), firstTime);

    // Another seed builds anew; the first one brings back the first build.
    Click(Command::Run);
    Controls().seed->setText(QStringLiteral("4243"));
    emit Controls().seed->textEdited(Controls().seed->text());
    Click(Command::Run);
    EXPECT_EQ(builds, 2);
    EXPECT_NE(Connex(), firstConnex);
    Click(Command::Run);
    Controls().seed->setText(QStringLiteral("4242"));
    emit Controls().seed->textEdited(Controls().seed->text());
    Click(Command::Run);
    EXPECT_EQ(builds, 3);
    EXPECT_EQ(Connex(), firstConnex);
}

TEST_F(ModelWindowRunControl, WithoutATypedSeedEachBuildShowsItsClockSeed) {
    // The window's own generator, seeded per build.
    ModelWindow own(table, nullptr, &clock, nullptr);
    ASSERT_TRUE(own.OpenAndShow(QStringLiteral("model"), ModelKind::Topological));
    QLineEdit* seedField = own.Controls().seed;
    EXPECT_TRUE(seedField->text().isEmpty());
    own.CommandBox(Command::Run)->click();
    ASSERT_TRUE(own.BuildSeed());
    EXPECT_EQ(seedField->text().toStdString(), common::UnsignedToText(*own.BuildSeed()));
    const QString firstConnex = Connex();
    const std::uint64_t firstSeed = *own.BuildSeed();

    // Reopened: a new build with a new seed.
    ASSERT_TRUE(own.OpenAndShow(QStringLiteral("model"), ModelKind::Topological));
    own.CommandBox(Command::Run)->click();
    ASSERT_TRUE(own.BuildSeed());
    EXPECT_NE(*own.BuildSeed(), firstSeed);
    // Typing the seed shown before gives that build again.
    own.CommandBox(Command::Run)->click();
    seedField->setText(QString::fromStdString(common::UnsignedToText(firstSeed)));
    emit seedField->textEdited(seedField->text());
    own.CommandBox(Command::Run)->click();
    EXPECT_EQ(Connex(), firstConnex);
}

TEST_F(ModelWindowRunControl, SeedIsSavedWithTheParametersAndABadOneIsRefused) {
    Open(ModelKind::Topological);
    Click(Command::SaveParameters);
    EXPECT_FALSE(table.Seed.has_value());  // a seed from the clock is not kept

    Controls().seed->setText(QStringLiteral("99999999999999999999"));  // beyond 64 bits
    emit Controls().seed->textEdited(Controls().seed->text());
    Click(Command::Run);
    EXPECT_FALSE(form->Running());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0],
              QStringLiteral("'99999999999999999999' is not a valid integer value."));
    EXPECT_EQ(builds, 0);
    Click(Command::SaveParameters);
    EXPECT_EQ(dialogs.errors.size(), 2);
    EXPECT_FALSE(table.Seed.has_value());

    Controls().seed->setText(QStringLiteral(" 18446744073709551615 "));
    emit Controls().seed->textEdited(Controls().seed->text());
    Click(Command::SaveParameters);
    EXPECT_EQ(table.Seed, std::optional<std::uint64_t>(18446744073709551615ull));
    EXPECT_TRUE(table.ParametersChanged);

    // Opening shows the kept seed; clearing the field gives the clock back.
    Controls().seed->clear();
    dialogs.errors.clear();
    Open(ModelKind::CoupledOscillators);
    EXPECT_EQ(Controls().seed->text(), QStringLiteral("18446744073709551615"));
    Click(Command::Run);
    EXPECT_EQ(form->BuildSeed(), std::optional<std::uint64_t>(18446744073709551615ull));
    Click(Command::Run);
    Controls().seed->clear();
    emit Controls().seed->textEdited(QString());
    Click(Command::SaveParameters);
    EXPECT_FALSE(table.Seed.has_value());
}

// --------------------------------------------------- picking by click

TEST_F(ModelWindowRunControl, AClickOnTheAllCellsViewPicksTheTracedCells) {
    Open(ModelKind::Topological);  // dimension 10
    Click(Switch::AllCells);
    Click(Command::Run);
    Ticks(2);
    const int d = 10;
    ClickRight(DotX(7, 3, d) + 2, DotY(7, 9, d) + 2);  // bottom right pixel of (7, 9, 3)
    EXPECT_EQ(Field(Param::Cell1X)->Value(), 7);
    EXPECT_EQ(Field(Param::Cell1Y)->Value(), 9);
    EXPECT_EQ(Field(Param::Cell1Z)->Value(), 3);
    EXPECT_EQ(form->Engine().BlockModel().TraceCell1(), (7 * d + 9) * d + 3);
    EXPECT_TRUE(form->Running());  // the run goes on

    ClickRight(DotX(0, 0, d), DotY(0, 0, d), Qt::ShiftModifier);
    EXPECT_EQ(form->Engine().BlockModel().TraceCell2(), 0);
    EXPECT_EQ(Field(Param::Cell2X)->Value(), 0);
    EXPECT_EQ(form->Engine().BlockModel().TraceCell1(), (7 * d + 9) * d + 3);

    // The gap between tiles and the free corner mean no cell.
    ClickRight(DotX(0, 9, d) + 3, DotY(0, 0, d));
    ClickRight(205, 205);
    EXPECT_EQ(form->Engine().BlockModel().TraceCell1(), (7 * d + 9) * d + 3);
    EXPECT_EQ(form->Engine().BlockModel().TraceCell2(), 0);

    // Not in the phase plot.
    Click(Switch::AllCells);
    Click(Command::Run);
    ClickRight(DotX(1, 1, d), DotY(1, 1, d));
    EXPECT_EQ(Field(Param::Cell1X)->Value(), 7);
}

TEST_F(ModelWindowRunControl, AClickOnTheAllOscillatorsViewPicksTheTracedOscillators) {
    Open(ModelKind::CoupledOscillators);  // dimension 5
    Click(Switch::AllCells);
    Click(Command::Run);
    const int d = 5;
    ClickRight(DotX(4, 2, d), DotY(4, 1, d));
    EXPECT_EQ(Field(Param::Osc1X)->Value(), 4);
    EXPECT_EQ(Field(Param::Osc1Y)->Value(), 1);
    EXPECT_EQ(Field(Param::Osc1Z)->Value(), 2);
    EXPECT_EQ(form->Engine().Oscillators().TraceCell1(), (4 * d + 1) * d + 2);
    ClickRight(DotX(2, 4, d) + 1, DotY(2, 3, d) + 1, Qt::ShiftModifier);
    EXPECT_EQ(form->Engine().Oscillators().TraceCell2(), (2 * d + 3) * d + 4);
    Ticks(5);  // the traces follow the picked oscillators
    const auto& osc = form->Engine().Oscillators();
    EXPECT_DOUBLE_EQ(osc.TraceValue1(), osc.OscillatorActivity(osc.Record((4 * d + 1) * d + 2)));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}
