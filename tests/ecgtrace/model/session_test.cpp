// The session: every user action of the windows and the batch tool, what it
// computes, what it keeps and what it says must be shown again.
#include <gtest/gtest.h>

#include "common/errors.h"
#include "ecgtrace/model/session.h"
#include "ecgtrace/model/spectra.h"
#include "support/work_dir.h"

using ecgtrace::Parameter;
using ecgtrace::SignalSession;

namespace {

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const common::AppError& e) {
        return e.what();
    }
    return "";
}

class Session : public ::testing::Test {
protected:
    Session() { session.Start(); }
    // Starts again from a "vfdef.par" of the defaults: nothing changed yet.
    void WriteDefaultsAsFile() {
        session.SaveParameterFile(dir.File("vfdef.par"));
        session.Start();
    }
    testing_support::ScopedWorkDir dir;
    SignalSession session;
    const ecgtrace::SignalModel& m = session.Model();
};

}  // namespace

TEST_F(Session, StartWithoutFileTakesDefaultsAndCountsAsChanged) {
    EXPECT_EQ(m.GroupCount(), 6);
    EXPECT_EQ(m.Period(1), 221);
    EXPECT_TRUE(m.ParametersChanged());
    EXPECT_FALSE(m.ParametersLoaded());
}

TEST_F(Session, EachEditRecomputesAndNamesWhatItChanged) {
    session.RecomputeSumSignal();
    const auto e = m.ESignal();

    auto shown = session.SetGroupParameter(Parameter::Te, 10);
    EXPECT_EQ(m.Period(1), 21 + 10 + 170 + 24);
    EXPECT_TRUE(shown.periodTab && shown.signalValues && shown.signalPlot);
    EXPECT_FALSE(shown.map || shown.series || shown.sumSignal);
    EXPECT_EQ(m.ESignal(), e) << "E(t) waits for its tab";

    // f and F recompute A(t) without asking for its plot.
    shown = session.SetGroupParameter(Parameter::F, 0.05);
    EXPECT_DOUBLE_EQ(m.Parameters(1).F, 0.1);
    EXPECT_FALSE(shown.signalPlot);
    EXPECT_TRUE(shown.periodTab);

    shown = session.SetGroupParameter(Parameter::N, 124);
    EXPECT_TRUE(shown.sharedCounts && shown.map && shown.series && shown.periodTab);

    shown = session.SetGroupParameter(Parameter::P0, 1.5);
    EXPECT_DOUBLE_EQ(m.Parameters(1).P0, 1.0);
    EXPECT_EQ(m.PHalf(1), 0.0);
    EXPECT_TRUE(shown.series);
    EXPECT_FALSE(shown.map);

    shown = session.SetGroupParameter(Parameter::offset, -5);
    EXPECT_EQ(m.Parameters(1).offset, 0);
    EXPECT_TRUE(shown.signalPlot);

    shown = session.StepP0(26);
    EXPECT_DOUBLE_EQ(m.Parameters(1).P0, 0.26);
    EXPECT_TRUE(shown.series);
}

TEST_F(Session, WidthSetToItsOwnValueIsNoChange) {
    WriteDefaultsAsFile();
    EXPECT_FALSE(m.ParametersChanged());
    const auto shown = session.SetGroupParameter(Parameter::s1, 20);
    EXPECT_FALSE(m.ParametersChanged());
    EXPECT_FALSE(shown.signalPlot || shown.signalValues);
    session.SetGroupParameter(Parameter::s1, 25);
    EXPECT_TRUE(m.ParametersChanged());
    EXPECT_EQ(m.Parameters(1).m1(), 81);
}

TEST_F(Session, RefusedEditLeavesTheWholeGroupAsItWas) {
    const ecgtrace::GroupState before = m.SaveGroupState(1);
    // N = 6 computes a period but no map (C(18, k) for k up to 42).
    EXPECT_FALSE(ErrorOf([&] { session.SetGroupParameter(Parameter::N, 6); }).empty());
    const ecgtrace::GroupState after = m.SaveGroupState(1);
    EXPECT_EQ(after.parameters, before.parameters);
    EXPECT_EQ(after.T, before.T);
    EXPECT_EQ(after.A, before.A);
    EXPECT_EQ(after.PMap, before.PMap);
    EXPECT_EQ(after.PHalf, before.PHalf);

    EXPECT_EQ(ErrorOf([&] { session.SetGroupParameter(Parameter::s1, 0); }),
              "Floating point division by zero");
    EXPECT_EQ(m.Parameters(1).s1, 20);
}

TEST_F(Session, EditTheWindowCouldNotShowIsTakenBack) {
    session.SetGroupParameter(Parameter::Ta, 180);
    const auto shown = session.TakeBackLastEdit();
    EXPECT_EQ(m.Parameters(1).Ta, 170);
    EXPECT_EQ(m.Period(1), 221);
    EXPECT_TRUE(shown.periodTab && shown.signalPlot && shown.mapTab && shown.series);
}

TEST_F(Session, ValuesAppliedWhileTypingAreTakenBackTogether) {
    session.BeginTyping();
    session.SetGroupParameter(Parameter::Ta, 1);
    session.SetGroupParameter(Parameter::Ta, 18);
    EXPECT_EQ(m.Parameters(1).Ta, 18);
    session.TakeBackTyping();
    EXPECT_EQ(m.Parameters(1).Ta, 170);
    EXPECT_EQ(m.Period(1), 221);

    // A typing that ends well keeps its value.
    session.BeginTyping();
    session.SetGroupParameter(Parameter::Ta, 180);
    session.EndTyping();
    session.TakeBackTyping();
    EXPECT_EQ(m.Parameters(1).Ta, 180);
}

TEST_F(Session, ChoosingTheActualGroupComputesItAndMovesTheCrossGroup) {
    const auto shown = session.ChangeActualGroup(3);
    EXPECT_EQ(m.ActualGroup(), 3);
    EXPECT_EQ(m.CrossGroup(), 3);
    EXPECT_TRUE(shown.groupChoice && shown.sumSignal && shown.map && shown.periodTab);
    EXPECT_EQ(m.ESignal().size(), 2801u);

    const auto cross = session.ChangeCrossGroup(2);
    EXPECT_EQ(m.CrossGroup(), 2);
    EXPECT_FALSE(cross.sumSignal || cross.groupChoice);
}

TEST_F(Session, LoweringGBelowTheActualGroupComputesEOnceForTheNewGroups) {
    session.ChangeGroupCount(10);
    session.ChangeActualGroup(10);
    // Group 8 lies above the first G: lowering to 8 sets it up again from
    // group 7 while g moves down to it.
    const auto shown = session.ChangeGroupCount(8);
    EXPECT_EQ(m.ActualGroup(), 8);
    EXPECT_TRUE(shown.groupChoice && shown.sumSignal && shown.periodTab);
    ecgtrace::SignalModel expected = m;
    expected.ComputeE();
    EXPECT_EQ(m.ESignal(), expected.ESignal())
        << "E(t) sums the groups as they are after the change";

    // Raising G leaves g and names only E(t).
    const auto raised = session.ChangeGroupCount(9);
    EXPECT_EQ(m.ActualGroup(), 8);
    EXPECT_TRUE(raised.sumSignal);
    EXPECT_FALSE(raised.groupChoice || raised.periodTab);
}

TEST_F(Session, WindowAndTabsAreNoParameterChange) {
    WriteDefaultsAsFile();
    session.SetEWindow(100, 200);
    EXPECT_EQ(m.EWindowStart(), 100);
    EXPECT_EQ(m.EWindowEnd(), 200);
    EXPECT_TRUE(session.RecomputeSumSignal().sumSignal);
    const auto cobweb = session.PlotCobweb();
    EXPECT_TRUE(cobweb.map && cobweb.cobweb && cobweb.series);
    EXPECT_FALSE(m.ParametersChanged());
}

TEST_F(Session, ToggleAndCrossPhase) {
    session.ChangeActualGroup(2);
    session.SetGroupParameter(Parameter::Ta, 149);  // 21 + 6 + 149 + 24
    ASSERT_EQ(m.Period(2), 200);
    const auto alone = ecgtrace::AnalysisSubject::Group(2, 2);
    auto rows = session.ToggleRepetition(alone);
    EXPECT_TRUE(m.WithRepetition(2));
    EXPECT_TRUE(rows.switchable);
    EXPECT_EQ(rows.g1, 2);
    EXPECT_EQ(rows.g2, 2);
    session.ToggleRepetition(alone);
    EXPECT_FALSE(m.WithRepetition(2));

    const auto versus3 = ecgtrace::AnalysisSubject::Group(2, 3);
    rows = session.ToggleRepetition(versus3);
    EXPECT_EQ(rows.g2, 3);

    session.ToggleRepetition(versus3);
    ASSERT_FALSE(m.WithRepetition(2));
    rows = session.ComputeCrossPhase(versus3);
    EXPECT_TRUE(m.WithRepetition(2));
    EXPECT_TRUE(rows.switchable);
    // Row 3 (T = 221) keeps only the bins that are harmonics of 200 ms too.
    const ecgtrace::Complex plain = ecgtrace::GroupSpectrumBin(m.Parameters(3), 7);
    EXPECT_EQ(m.Spectrum(3)[7], ecgtrace::ComplexScale(plain, 1e-100));

    // E(t) analysed: the switch stays off, the phase page hidden, and the
    // spectrum of E(t) is not computed again.
    const auto sum = ecgtrace::AnalysisSubject::SumSignal(3);
    const auto opening = session.OpenAnalysis(sum);
    EXPECT_EQ(opening.histogramIndex, 0);
    EXPECT_TRUE(m.WithRepetition(0));
    EXPECT_FALSE(opening.power.switchable);
    EXPECT_FALSE(opening.subject.CrossPhaseShown());
    const auto row0 = m.Spectrum(0);
    rows = session.ToggleRepetition(sum);
    EXPECT_TRUE(m.WithRepetition(0));
    EXPECT_FALSE(rows.switchable);
    EXPECT_EQ(m.Spectrum(0), row0);
}

TEST_F(Session, OpeningTheAnalysisOfAGroupSwitchesItsRepetitionOn) {
    const auto opening = session.OpenAnalysis(ecgtrace::AnalysisSubject::Group(1, 1));
    EXPECT_EQ(opening.histogramIndex, 1);
    EXPECT_EQ(opening.subject.index, 1);
    EXPECT_TRUE(m.WithRepetition(1));
    EXPECT_TRUE(opening.power.switchable);
    EXPECT_EQ(m.Spectrum(1).size(), 51u);
}

TEST(SessionStart, StrictStartRefusesWhatTheWindowsReplaceByDefaults) {
    testing_support::ScopedWorkDir dir;
    SignalSession session;
    EXPECT_EQ(ErrorOf([&] { session.StartStrictly(std::string("missing.par")); }),
              "Cannot open file missing.par");
    SignalSession defaults;
    defaults.StartStrictly(std::nullopt);
    EXPECT_EQ(defaults.Model().Period(6), 221);
}

// A file with s1 = 0 in group 3 and M = 40 in group 4: both named at the
// start, E(t) refused naming the first, and each group mended by the edit
// that makes it computable, E(t) with it once the last one is.
TEST(SessionFaultyGroups, NamedAtStartAndMendedByTheEditThatFixesThem) {
    testing_support::ScopedWorkDir dir;
    ecgtrace::SignalModel file;
    file.SetParameter(3, Parameter::s1, 0);
    file.SetParameter(4, Parameter::M, 40);
    file.SaveParameterFile(dir.File("bad.par"));

    SignalSession session;
    const auto& m = session.Model();
    const ecgtrace::StartupReport report = session.Start(dir.File("bad.par"));
    EXPECT_EQ(report.computeError,
              "Group 3 cannot be computed: Floating point division by zero.\n"
              "Group 4 cannot be computed: Invalid floating point operation");
    EXPECT_EQ(ErrorOf([&] { session.RecomputeSumSignal(); }),
              "Group 3 cannot be computed: Floating point division by zero");
    EXPECT_TRUE(m.ESignal().empty());  // nothing stale left to draw or export

    EXPECT_FALSE(ErrorOf([&] { session.ChangeActualGroup(3); }).empty());
    // An edit that leaves the group faulty mends nothing.
    EXPECT_FALSE(session.SetGroupParameter(Parameter::P0, 0.2).sumSignal);
    EXPECT_FALSE(m.GroupFault(3).empty());
    const ecgtrace::Redraw mended = session.SetGroupParameter(Parameter::s1, 20);
    EXPECT_TRUE(mended.sumSignal && mended.series && mended.periodTab && mended.signalPlot);
    EXPECT_TRUE(m.GroupFault(3).empty());
    EXPECT_EQ(m.Period(3), 221);
    EXPECT_EQ(m.PHalf(3), m.PHalf(1));
    EXPECT_EQ(ErrorOf([&] { session.RecomputeSumSignal(); }),
              "Group 4 cannot be computed: Invalid floating point operation");

    EXPECT_FALSE(ErrorOf([&] { session.ChangeActualGroup(4); }).empty());
    EXPECT_TRUE(session.SetGroupParameter(Parameter::M, 18).sumSignal);
    session.RecomputeSumSignal();
    EXPECT_EQ(m.ESignal().size(), 2801u);
    EXPECT_TRUE(m.FaultsText().empty());
    // An edit refused for its own value keeps the mended group as it is.
    EXPECT_FALSE(ErrorOf([&] { session.SetGroupParameter(Parameter::s2, 0); }).empty());
    EXPECT_TRUE(m.GroupFault(4).empty());
}
