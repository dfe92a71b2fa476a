// "vfdef.par", start-up and the change of the group count.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "common/errors.h"
#include "ecgtrace/model/signal_model.h"
#include "support/work_dir.h"

using ecgtrace::GroupParameters;
using ecgtrace::SignalModel;

namespace {

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

SignalModel Started() {
    SignalModel m;
    m.RunStartupComputations();
    return m;
}

}  // namespace

TEST(ParameterFile, DefaultsWrittenByteForByte) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.SaveParameterFile("vfdef.par");
    const std::string bytes = ReadBytes("vfdef.par");
    const auto lines = CrLfLines(bytes);
    ASSERT_EQ(lines.size(), 20u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(lines[0], "Parameters for E(t)");
    EXPECT_EQ(lines[1], "6\tG");
    EXPECT_EQ(lines[2], "1\tg");
    EXPECT_EQ(lines[3], "1\tCrossg");
    EXPECT_EQ(lines[4], "Parameters for Tg");
    std::string f, F, Te;
    for (int i = 0; i < 6; ++i) {
        f += " 2.10000000000000E+0001\t";
        F += " 7.50000000000000E-0001\t";
        Te += "6\t";
    }
    EXPECT_EQ(lines[5], f + "f");
    EXPECT_EQ(lines[6], F + "F");
    EXPECT_EQ(lines[7], Te + "Te");
    EXPECT_EQ(lines[10], "Parameters for Pn");
    EXPECT_EQ(lines[11].substr(0, 24), " 1.00000000000000E-0001\t");
    EXPECT_EQ(lines[13], "0\t0\t0\t0\t0\t0\tNE");
    EXPECT_EQ(lines[16], "Parameters for A(t)");
    EXPECT_EQ(lines[19], "0\t0\t0\t0\t0\t0\toffset");
}

TEST(ParameterFile, RoundTripKeepsValues) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.SetParameter(3, ecgtrace::Parameter::f, 1.0 / 3.0);
    m.SetParameter(3, ecgtrace::Parameter::F, 0.123456789012345);
    m.SetParameter(3, ecgtrace::Parameter::P0, -2.5e-7);
    m.SetParameter(3, ecgtrace::Parameter::Te, -4);
    m.SetParameter(3, ecgtrace::Parameter::N, 61);
    m.SetParameter(3, ecgtrace::Parameter::NE, 7);
    m.SetParameter(3, ecgtrace::Parameter::offset, 12);
    m.SetGroupChoice(m.GroupCount(), 3, 2);
    m.SaveParameterFile("vfdef.par");

    SignalModel back;
    back.LoadParameterFile("vfdef.par");
    EXPECT_TRUE(back.ParametersLoaded());
    EXPECT_EQ(back.GroupCount(), 6);
    EXPECT_EQ(back.ActualGroup(), 3);
    EXPECT_EQ(back.CrossGroup(), 2);
    const auto& q = back.Parameters(3);
    // 15 significant digits survive.
    EXPECT_NEAR(q.f, 1.0 / 3.0, 1e-15);
    EXPECT_EQ(q.F, 0.123456789012345);
    EXPECT_EQ(q.P0, -2.5e-7);
    EXPECT_EQ(q.Te, -4);
    EXPECT_EQ(q.N, 61);
    EXPECT_EQ(q.NE, 7);
    EXPECT_EQ(q.offset, 12);
    EXPECT_EQ(back.Parameters(1), m.Parameters(1));
}

TEST(ParameterFile, StartFromFile) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.SetParameter(2, ecgtrace::Parameter::f, 28);
    m.SetGroupChoice(m.GroupCount(), 2, m.CrossGroup());
    m.SaveParameterFile("vfdef.par");

    SignalModel s;
    const auto report = s.RunStartupComputations();
    EXPECT_TRUE(report.loadError.empty());
    EXPECT_TRUE(s.ParametersLoaded());
    EXPECT_FALSE(s.ParametersChanged());
    EXPECT_EQ(s.ActualGroup(), 2);
    EXPECT_EQ(s.Period(2), 228);
    EXPECT_EQ(s.Period(1), 221);
}

TEST(ParameterFile, TwentyGroupsStartWithFifteen) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.ChangeGroupCount(15);
    m.SetGroupChoice(20, m.ActualGroup(), m.CrossGroup());  // as another program might have written
    m.ResizeGroupTables(20);
    for (int g = 16; g <= 20; ++g) m.SetParameters(g, m.Parameters(1));
    m.SetGroupChoice(m.GroupCount(), 18, m.CrossGroup());
    m.SaveParameterFile("vfdef.par");

    SignalModel s;
    s.RunStartupComputations();
    EXPECT_EQ(s.GroupCount(), 15);
    EXPECT_EQ(s.InitialGroupCount(), 15);
    EXPECT_EQ(s.ActualGroup(), 15);
    EXPECT_EQ(s.Period(15), 221);
    // Every group of the file was read; those that can never be used are not computed.
    EXPECT_EQ(s.Parameters(20), s.Parameters(1));
    EXPECT_EQ(s.Period(20), 0);
    EXPECT_TRUE(s.Signal(20).empty());
}

// A file may declare up to 1000 groups of very long periods: only the 15
// that can be used cost memory and time, and faults of the others are no
// fault of the start.
TEST(ParameterFile, ThousandLongGroupsComputeOnlyTheUsableOnes) {
    testing_support::ScopedWorkDir dir;
    SignalModel m;
    m.SetGroupChoice(1000, m.ActualGroup(), m.CrossGroup());
    m.ResizeGroupTables(1000);
    GroupParameters p = GroupParameters::Defaults();
    p.f = 200000 - 200;  // T = 200,000 ms
    for (int g = 1; g <= 1000; ++g) m.SetParameters(g, p);
    m.SetParameter(500, ecgtrace::Parameter::s1, 0);  // A(t) of group 500 could not be computed
    m.SetParameter(900, ecgtrace::Parameter::N, 0);   // nor its period
    m.SaveParameterFile("vfdef.par");

    SignalModel s;
    const auto report = s.RunStartupComputations();
    EXPECT_TRUE(report.loadError.empty());
    EXPECT_TRUE(report.computeError.empty()) << report.computeError;
    EXPECT_EQ(s.GroupCount(), 15);
    EXPECT_EQ(s.Parameters(1000), p);
    std::size_t samples = 0;
    for (int g = 1; g <= s.StoredGroupCount(); ++g) samples += s.Signal(g).size();
    EXPECT_EQ(samples, 15u * 200000u);
    EXPECT_EQ(s.Period(15), 200000);
    EXPECT_EQ(s.Period(16), 0);
}

std::string ParameterFileErrorPlace(const std::string& text) {
    WriteBytes("vfdef.par", text);
    SignalModel m;
    const SignalModel before = m;
    try {
        m.LoadParameterFile("vfdef.par");
    } catch (const ecgtrace::ParameterFileError& e) {
        EXPECT_STREQ(e.what(), "Invalid numeric input");
        // Nothing of the file taken.
        EXPECT_EQ(m.StoredGroupCount(), before.StoredGroupCount());
        for (int g = 1; g <= m.StoredGroupCount(); ++g)
            EXPECT_EQ(m.Parameters(g), before.Parameters(g)) << g;
        return e.Where();
    }
    ADD_FAILURE() << "read without a fault";
    return {};
}

TEST(ParameterFile, FaultNamesLineAndGroup) {
    testing_support::ScopedWorkDir dir;
    SignalModel good = Started();
    good.SaveParameterFile("vfdef.par");
    const std::string text = ReadBytes("vfdef.par");
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = text;
        const std::size_t at = t.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return t.replace(at, from.size(), to);
    };
    EXPECT_EQ(ParameterFileErrorPlace(replaced("\r\n6\tG", "\r\nsix\tG")), "line 2");
    EXPECT_EQ(ParameterFileErrorPlace(replaced("\r\n6\tG", "\r\n1001\tG")), "line 2");
    EXPECT_EQ(ParameterFileErrorPlace(replaced("1\tCrossg", "x\tCrossg")), "line 4");
    // The third value of line 7 (F) is no number.
    const std::string F = " 7.50000000000000E-0001\t";
    EXPECT_EQ(ParameterFileErrorPlace(replaced(F + F + F, F + F + "0.7.5\t")), "line 7, group 3");
    // A line one value short fails on its label, read as the last group's value.
    EXPECT_EQ(ParameterFileErrorPlace(replaced("6\tTe", "Te")), "line 8, group 6");
    EXPECT_EQ(ParameterFileErrorPlace(text.substr(0, text.find("0\toffset"))), "line 20, group 6");
}

TEST(ParameterFile, OverlongFileRefusedWithoutReadingItAll) {
    testing_support::ScopedWorkDir dir;
    SignalModel good = Started();
    std::string text = good.ParameterFileText();
    // Blanks before a number are allowed, so the values stay readable: only
    // the size refuses the file.
    const std::size_t at = text.find("6\tG");
    text.insert(at, static_cast<std::size_t>(ecgtrace::kMaxParameterFileBytes), ' ');
    EXPECT_EQ(ParameterFileErrorPlace(text), "file larger than 16777216 bytes");
    text.erase(at, text.size() - static_cast<std::size_t>(ecgtrace::kMaxParameterFileBytes));
    WriteBytes("vfdef.par", text);  // exactly at the limit: read
    SignalModel m;
    EXPECT_NO_THROW(m.LoadParameterFile("vfdef.par"));
}

TEST(ParameterFile, IncompleteFileFallsBackToDefaults) {
    testing_support::ScopedWorkDir dir;
    const std::vector<std::string> broken{
        "",                                                               // empty
        "Parameters for E(t)\r\n6\tG\r\n1\tg\r\n",                        // cut short
        "Parameters for E(t)\r\nsix\tG\r\n",                              // not a number
        "Parameters for E(t)\r\n0\tG\r\n1\tg\r\n1\tCrossg\r\n",           // no groups
        "Parameters for E(t)\r\n2000000000\tG\r\n1\tg\r\n1\tCrossg\r\n",  // absurd count
    };
    for (const auto& text : broken) {
        WriteBytes("vfdef.par", text);
        SignalModel m;
        const auto report = m.RunStartupComputations();
        EXPECT_EQ(report.loadError, "Invalid numeric input") << text;
        EXPECT_FALSE(m.ParametersLoaded());
        EXPECT_TRUE(m.ParametersChanged());
        EXPECT_EQ(m.GroupCount(), 6);
        EXPECT_EQ(m.Period(1), 221);
    }
}

TEST(ParameterFile, FailedSaveKeepsPreviousFile) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.SaveParameterFile("vfdef.par");
    const std::string before = ReadBytes("vfdef.par");

    // A read-only folder refuses the replacement.
    ASSERT_EQ(::mkdir("locked", 0755), 0);
    m.SaveParameterFile("locked/vfdef.par");
    ASSERT_EQ(::chmod("locked", 0555), 0);
    const std::string lockedBefore = ReadBytes("locked/vfdef.par");
    m.SetParameter(1, ecgtrace::Parameter::f, 99);
    bool failed = false;
    try {
        m.SaveParameterFile("locked/vfdef.par");
    } catch (const common::AppError& e) {
        failed = true;
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    ::chmod("locked", 0755);
    if (::geteuid() != 0) {  // root writes anywhere
        EXPECT_TRUE(failed);
        EXPECT_EQ(ReadBytes("locked/vfdef.par"), lockedBefore);
    }
    EXPECT_THROW(m.SaveParameterFile("no/such/folder/vfdef.par"), common::AppError);
    EXPECT_EQ(ReadBytes("vfdef.par"), before);
}

TEST(GroupCount, LoweringAndRaisingBelowInitialRestores) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.SetParameter(4, ecgtrace::Parameter::f, 30);
    m.ComputeT(4);
    m.SetParameter(5, ecgtrace::Parameter::s1, 25);
    m.ComputeT(5);
    const auto group4 = m.Parameters(4);
    const auto a5 = m.Signal(5);
    m.SetParametersChanged(false);

    m.ChangeGroupCount(3);
    EXPECT_TRUE(m.ParametersChanged());
    EXPECT_EQ(m.GroupCount(), 3);
    m.ChangeGroupCount(5);
    EXPECT_EQ(m.Parameters(4), group4);
    EXPECT_EQ(m.Signal(5), a5);
    EXPECT_EQ(m.StoredGroupCount(), 6);  // never shrunk
}

TEST(GroupCount, NewTopGroupCopiesGroupBelow) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    auto six = m.Parameters(6);
    six.f = 30;
    six.P0 = 0.3;
    six.s1 = 15;
    six.s2 = 35;
    six.offset = 4;
    m.SetParameters(6, six);
    m.ComputeT(6);

    m.ChangeGroupCount(7);
    EXPECT_EQ(m.StoredGroupCount(), 7);
    EXPECT_NO_THROW(m.WithRepetition(7));  // every table grew with it
    EXPECT_NO_THROW(m.Spectrum(7));
    EXPECT_FALSE(m.WithRepetition(7));
    EXPECT_EQ(m.Parameters(7), m.Parameters(6));
    EXPECT_EQ(m.Period(7), m.Period(6));
    EXPECT_EQ(m.Signal(7), m.Signal(6));
    // Its map is computed when it becomes the actual group: no share in E yet.
    EXPECT_EQ(m.PHalf(7), 0.0);
    EXPECT_EQ(m.PWhole(7), 0.0);
    EXPECT_EQ(m.ESignal().size(), 2801u);

    // Lowering and raising again copies group 6 once more.
    m.SetParameter(7, ecgtrace::Parameter::f, 50);
    m.SetParameter(6, ecgtrace::Parameter::Te, 9);
    m.ComputeT(6);
    m.ChangeGroupCount(6);
    m.ChangeGroupCount(7);
    EXPECT_EQ(m.Parameters(7), m.Parameters(6));
    EXPECT_EQ(m.Period(7), m.Period(6));
}

// A top group the user set up before keeps its P0, widths and offset when G
// is raised to it again; the period and map parameters follow the group below.
TEST(GroupCount, RaisedAgainToAGroupSetUpBeforeKeepsItsOwnPulseAndP0) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.ChangeGroupCount(7);
    auto seven = m.Parameters(7);
    seven.s1 = 40;
    seven.s2 = 25;
    seven.offset = 3;
    seven.P0 = 0.45;
    seven.M = 10;
    m.SetParameters(7, seven);
    m.SetParameter(6, ecgtrace::Parameter::f, 30);
    m.SetParameter(6, ecgtrace::Parameter::N, 70);
    m.ComputeT(6);
    m.ChangeGroupCount(6);
    m.ChangeGroupCount(7);

    const auto& g7 = m.Parameters(7);
    EXPECT_EQ(g7.s1, 40);
    EXPECT_EQ(g7.s2, 25);
    EXPECT_EQ(g7.offset, 3);
    EXPECT_EQ(g7.P0, 0.45);
    EXPECT_EQ(g7.M, 18);  // from group 6 again
    EXPECT_EQ(g7.f, 30);
    EXPECT_EQ(g7.N, 70);
    EXPECT_EQ(m.Period(7), m.Period(6));
    // A(t) of group 7 is computed with its own widths.
    EXPECT_NE(m.Signal(7), m.Signal(6));
    EXPECT_EQ(m.Signal(7).size(), static_cast<std::size_t>(m.Period(7)));
}

TEST(GroupCount, RaisingByMoreThanOneSetsUpEveryNewGroup) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.SetParameter(6, ecgtrace::Parameter::f, 30);
    m.ComputeT(6);
    m.ChangeGroupCount(9);
    for (int g = 7; g <= 9; ++g) {
        EXPECT_EQ(m.Parameters(g), m.Parameters(6)) << g;
        EXPECT_EQ(m.Period(g), m.Period(6)) << g;
    }
    // Group 8 exists now: a later raise to 10 re-initialises only the top.
    m.SetParameter(8, ecgtrace::Parameter::f, 40);
    m.SetParameter(9, ecgtrace::Parameter::f, 50);
    m.ChangeGroupCount(10);
    EXPECT_EQ(m.Parameters(8).f, 40);
    EXPECT_EQ(m.Parameters(10).f, 50);
}

TEST(GroupCount, ActualGroupFollowsLoweredCount) {
    testing_support::ScopedWorkDir dir;
    SignalModel m = Started();
    m.SelectActualGroup(5);
    EXPECT_EQ(m.CrossGroup(), 5);
    m.ChangeGroupCount(8);
    m.SelectActualGroup(8);
    EXPECT_EQ(m.CrossGroup(), 6);  // limited to the initial count

    // The change says when the actual group went down with G.
    EXPECT_TRUE(m.ChangeGroupCount(4));
    EXPECT_EQ(m.ActualGroup(), 4);
    EXPECT_EQ(m.CrossGroup(), 4);
    EXPECT_EQ(m.Signal(4).size(), static_cast<std::size_t>(m.Period(4)));

    EXPECT_TRUE(m.ChangeGroupCount(3));
    EXPECT_EQ(m.ActualGroup(), 3);
    EXPECT_FALSE(m.ChangeGroupCount(5));
    EXPECT_EQ(m.ActualGroup(), 3);
}

// A file of fewer groups than the defaults, then G raised by two: both new
// groups are set up from the group below, so E(t) can be computed at once.
TEST(GroupCount, FileWithFewerGroupsRaisedByTwoSetsUpBothNewGroups) {
    testing_support::ScopedWorkDir dir;
    {
        SignalModel m;
        m.RunStartupComputations();
        m.ChangeGroupCount(3);
        m.SetParameter(3, ecgtrace::Parameter::f, 30);
        m.ComputeT(3);
        m.SaveParameterFile("vfdef.par");
    }
    // Groups 4 and 5 never existed for this start: both are set up from the
    // group below, so E(t) can be computed at once.
    SignalModel s;
    const auto report = s.RunStartupComputations();
    ASSERT_TRUE(report.loadError.empty());
    ASSERT_EQ(s.InitialGroupCount(), 3);
    EXPECT_NO_THROW(s.ChangeGroupCount(5));
    for (int g = 4; g <= 5; ++g) {
        EXPECT_EQ(s.Parameters(g), s.Parameters(3)) << g;
        EXPECT_EQ(s.Period(g), s.Period(3)) << g;
        EXPECT_EQ(s.Signal(g).size(), static_cast<std::size_t>(s.Period(3))) << g;
    }
    EXPECT_EQ(s.ESignal().size(), 2801u);
}
