// Typing into the main window key by key, as a new user does: no box while
// typing, the final text counts when the editing ends, and a refused value
// leaves every tab showing the last good parameters.
#include "ecgtrace/main_window.h"
#include "ecgtrace/value_texts.h"

#include "ecgtrace/model/signal_plots.h"
#include "ecgtrace/step_arrows.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <QSignalSpy>
#include <QTest>
#include <vector>

namespace {

using common::ui::IntSpinEdit;
using ecgtrace::GroupParameters;

class Typing : public testing_support::EcgtraceWindowTest {
protected:
    // Selects the whole text and types `text` one key at a time; no box may
    // come up on the way.
    void TypeKeys(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        const auto boxes = dialogs.errors.size();
        for (QChar c : text) {
            QTest::keyClick(edit, c.toLatin1());
            EXPECT_EQ(dialogs.errors.size(), boxes)
                << "box at '" << c.toLatin1() << "': " << dialogs.errors.join("|").toStdString();
        }
    }
    void TypeKeys(IntSpinEdit* spin, const QString& text) { TypeKeys(spin->Editor(), text); }

    std::vector<GroupParameters> OtherGroups(const ecgtrace::MainWindow& form, int except) {
        std::vector<GroupParameters> groups;
        for (int g = 1; g <= form.Model().StoredGroupCount(); ++g)
            if (g != except) groups.push_back(form.Model().Parameters(g));
        return groups;
    }

    // Every tab shows the actual group as the model holds it.
    void ExpectTabsShowModel(ecgtrace::MainWindow& form) {
        auto& m = form.Model();
        const int g = m.ActualGroup();
        const GroupParameters& p = m.Parameters(g);
        EXPECT_EQ(Label(form, "periodLabel")->text(),
                  QString::fromStdString(ecgtrace::TGroupText(m, g)));
        EXPECT_EQ(Edit(form, "periodNField")->text(), QString::number(p.N));
        EXPECT_EQ(Spin(form, "mapNField")->Text(), QString::number(p.N));
        EXPECT_EQ(Edit(form, "periodNEField")->text(), QString::number(p.NE));
        EXPECT_EQ(Edit(form, "TaField")->text(), QString::number(p.Ta));
        EXPECT_EQ(Spin(form, "MField")->Text(), QString::number(p.M));
        EXPECT_EQ(Spin(form, "s1Field")->Text(), QString::number(p.s1));
        EXPECT_EQ(Label(form, "m1Label")->text(), QString::fromStdString(ecgtrace::M1Text(m, g)));
        EXPECT_EQ(Label(form, "pHalfLabel")->text(),
                  QString::fromStdString(ecgtrace::PHalfText(m, g)));
        EXPECT_EQ(Label(form, "pWholeLabel")->text(),
                  QString::fromStdString(ecgtrace::PWholeText(m, g)));
        // The map, the series and A(t) drawn from the same model.
        common::PlotSurface map(ecgtrace::kMapPlotWidth, ecgtrace::kMapPlotHeight);
        common::PlotSurface series(ecgtrace::kSeriesPlotWidth, ecgtrace::kSeriesPlotHeight);
        ecgtrace::DrawPMap(m, g, map);
        ecgtrace::DrawPSeries(m, g, series);
        EXPECT_EQ(Plot(form, "mapPlot")->Image(), map.Image());
        EXPECT_EQ(Plot(form, "seriesPlot")->Image(), series.Image());
        common::PlotSurface at(ecgtrace::kSignalPlotWidth, ecgtrace::kSignalPlotHeight);
        ecgtrace::DrawA(m, g, at);
        EXPECT_EQ(Plot(form, "signalPlot")->Image(), at.Image());
    }
};

TEST_F(Typing, NegativeWidthTypesWithoutABox) {
    auto form = Open();
    const auto others = OtherGroups(*form, 1);
    TypeKeys(Spin(*form, "s1Field"), "-5");
    EXPECT_EQ(form->Model().Parameters(1).s1, -5);  // computable: applied while typing
    Enter(Spin(*form, "s1Field"));
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(form->Model().Parameters(1).s1, -5);
    EXPECT_EQ(Spin(*form, "s1Field")->Text(), "-5");
    EXPECT_EQ(Label(*form, "m1Label")->text(), "m1 = -9.00000");
    EXPECT_EQ(OtherGroups(*form, 1), others);
}

TEST_F(Typing, CountThroughAnUncomputableValue) {
    auto form = Open();
    TypeAndEnter(Edit(*form, "periodNField"), "70");
    ASSERT_EQ(form->Model().Parameters(1).N, 70);
    const auto others = OtherGroups(*form, 1);
    // 6 gives no map; 62 does.
    TypeKeys(Edit(*form, "periodNField"), "62");
    EXPECT_EQ(form->Model().Parameters(1).N, 62);
    Enter(Edit(*form, "periodNField"));
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(form->Model().Period(1), 221);
    ExpectTabsShowModel(*form);
    EXPECT_EQ(OtherGroups(*form, 1), others);
}

// The same typed into the P tab's spin field, ended with Tab.
TEST_F(Typing, CountOnTheMapTabEndedWithTab) {
    auto form = Open();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Tabs(*form)->setCurrentIndex(4);
    TypeAndEnter(Spin(*form, "mapNField"), "70");
    TypeKeys(Spin(*form, "mapNField"), "62");
    QTest::keyClick(Spin(*form, "mapNField")->Editor(), Qt::Key_Tab);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
    EXPECT_EQ(form->Model().Parameters(1).N, 62);
    ExpectTabsShowModel(*form);
}

// A text refused when the editing ends: one box, the value from before the
// typing comes back on every tab, whatever was applied on the way, and the
// window goes on working.
struct RefusedEdit {
    const char* field;
    const char* typed;
    const char* message;
    double (*value)(const GroupParameters&);
    double whileTyping;  // applied on the way, or held
    double kept;
    const char* shown;
};

class RefusedEdits : public Typing, public ::testing::WithParamInterface<RefusedEdit> {};

TEST_P(RefusedEdits, ReportedOnceAndTheOldValueComesBack) {
    const RefusedEdit& c = GetParam();
    auto form = Open();
    QLineEdit* edit = form->findChild<QLineEdit*>(c.field);
    if (!edit) edit = Spin(*form, c.field)->Editor();
    const auto others = OtherGroups(*form, 1);
    TypeKeys(edit, c.typed);
    EXPECT_DOUBLE_EQ(c.value(form->Model().Parameters(1)), c.whileTyping);
    Enter(edit);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], c.message);
    EXPECT_EQ(dialogs.errorTitles[0], "VF simulation");
    EXPECT_DOUBLE_EQ(c.value(form->Model().Parameters(1)), c.kept);
    EXPECT_EQ(edit->text(), c.shown);
    EXPECT_EQ(form->Model().Period(1), 221);
    EXPECT_NEAR(form->Model().Map(1)[10], 0.712784, 1e-6);  // the map of the old values
    ExpectTabsShowModel(*form);
    EXPECT_EQ(OtherGroups(*form, 1), others);
    Enter(edit);
    EXPECT_EQ(dialogs.errors.size(), 1);
    TypeAndEnter(Spin(*form, "s1Field"), "22");
    EXPECT_EQ(form->Model().Parameters(1).s1, 22);
    EXPECT_EQ(dialogs.errors.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Typing, RefusedEdits,
    ::testing::Values(
        RefusedEdit{"fField", "2x", "'2x' is not a valid floating point value.",
                    [](const GroupParameters& p) { return p.f; }, 2, 21, "21.00"},
        RefusedEdit{"TaField", "1.5", "'1.5' is not a valid integer value.",
                    [](const GroupParameters& p) { return double(p.Ta); }, 1, 170, "170"},
        RefusedEdit{"NdField", "-", "'-' is not a valid integer value.",
                    [](const GroupParameters& p) { return double(p.Nd); }, 14, 14, "14"},
        // -3 and -30 compute on the way; -300 does not.
        RefusedEdit{"TaField", "-300",
                    "The period T = -249 ms is too short: T must be at least 1 ms.",
                    [](const GroupParameters& p) { return double(p.Ta); }, -30, 170, "170"},
        RefusedEdit{"s1Field", "0", "Floating point division by zero.",
                    [](const GroupParameters& p) { return double(p.s1); }, 20, 20, "20"},
        RefusedEdit{"periodNField", "0", "Invalid floating point operation.",
                    [](const GroupParameters& p) { return double(p.N); }, 62, 62, "62"},
        RefusedEdit{"mapNField", "6", "Floating point division by zero.",
                    [](const GroupParameters& p) { return double(p.N); }, 62, 62, "62"},
        RefusedEdit{"MField", "34", "Invalid floating point operation.",
                    [](const GroupParameters& p) { return double(p.M); }, 3, 18, "18"}));

TEST_F(Typing, GroupCountTypedOverLeavesActualAndCrossGroup) {
    auto form = Open();
    IntSpinEdit* G = Spin(*form, "groupCountField");
    TypeAndEnter(G, "5");
    TypeAndEnter(Spin(*form, "actualGroupField"), "2");
    TypeAndEnter(Spin(*form, "crossGroupField"), "4");
    const auto groups = OtherGroups(*form, 0);
    TypeKeys(G, "12");
    EXPECT_EQ(form->Model().GroupCount(), 5);  // nothing happens while typing
    Enter(G);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
    EXPECT_EQ(form->Model().GroupCount(), 12);
    EXPECT_EQ(form->Model().ActualGroup(), 2);
    EXPECT_EQ(form->Model().CrossGroup(), 4);
    EXPECT_EQ(Spin(*form, "actualGroupField")->Text(), "2");
    EXPECT_EQ(Spin(*form, "crossGroupField")->Text(), "4");
    EXPECT_EQ(Spin(*form, "actualGroupField")->MaxValue(), 12);
    // Groups 1 to 6 are untouched.
    const auto after = OtherGroups(*form, 0);
    EXPECT_TRUE(std::equal(groups.begin(), groups.begin() + 6, after.begin()));
}

// Closing the window ends the editing: the last text typed is saved, or a
// refused one is reported and the value from before it saved.
TEST_F(Typing, ClosingTheWindowEndsTheEditing) {
    const struct {
        const char* field;
        const char* typed;
        int boxes;
        int (*saved)(const ecgtrace::SignalModel&);
        int expected;
    } cases[] = {
        {"groupCountField", "7", 0, [](const ecgtrace::SignalModel& m) { return m.GroupCount(); },
         7},
        {"TaField", "-300", 1, [](const ecgtrace::SignalModel& m) { return m.Parameters(1).Ta; },
         170},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        dialogs.errors.clear();
        QFile::remove(QString::fromStdString(dir.File("vfdef.par")));  // start from the defaults
        auto form = Open();
        QLineEdit* edit = form->findChild<QLineEdit*>(c.field);
        TypeKeys(edit ? edit : Spin(*form, c.field)->Editor(), c.typed);
        dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("vfdef.par")));
        QSignalSpy closed(form.get(), &ecgtrace::MainWindow::Closed);
        EXPECT_TRUE(form->close());
        EXPECT_EQ(closed.count(), 1);
        EXPECT_EQ(dialogs.errors.size(), c.boxes);
        ecgtrace::SignalModel saved;
        saved.LoadParameterFile(dir.File("vfdef.par"));
        EXPECT_EQ(c.saved(saved), c.expected);
    }
}

TEST_F(Typing, ArrowsOfP0StepFromTheFieldAndAnswerTheKeyboard) {
    auto form = Open();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Tabs(*form)->setCurrentIndex(4);
    QLineEdit* P0 = Edit(*form, "P0Field");
    auto* upDown = form->findChild<ecgtrace::StepArrows*>("P0Arrows");
    auto& m = form->Model();

    TypeKeys(P0, "0.5");
    upDown->ClickUp();  // from 0.50, in steps of 5 between 10 and 90
    EXPECT_EQ(P0->text(), "0.55");
    EXPECT_DOUBLE_EQ(m.Parameters(1).P0, 0.55);
    QTest::keyClick(P0, Qt::Key_Up);
    EXPECT_EQ(P0->text(), "0.60");
    QTest::keyClick(P0, Qt::Key_Down);
    QTest::keyClick(P0, Qt::Key_Down);
    EXPECT_EQ(P0->text(), "0.50");
    TypeKeys(P0, "0.08");
    QTest::keyClick(P0, Qt::Key_Up);
    EXPECT_EQ(P0->text(), "0.09");

    // Tab goes from the field to its arrows, which step with Up and Down.
    P0->setFocus();
    QTest::keyClick(P0, Qt::Key_Tab);
    ASSERT_TRUE(upDown->hasFocus());
    QTest::keyClick(upDown, Qt::Key_Up);
    EXPECT_EQ(P0->text(), "0.10");
    EXPECT_DOUBLE_EQ(m.Parameters(1).P0, 0.10);
    EXPECT_EQ(Label(*form, "pHalfLabel")->text(),
              QString::fromStdString(ecgtrace::PHalfText(m, 1)));

    // A refused or limited text gives way to the value in use; an exact one stays.
    TypeKeys(P0, "abc");
    Enter(P0);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "'abc' is not a valid floating point value.");
    EXPECT_EQ(P0->text(), "0.10");
    TypeKeys(P0, "1.5");
    Enter(P0);
    EXPECT_EQ(P0->text(), "1.00");
    EXPECT_DOUBLE_EQ(m.Parameters(1).P0, 1.0);
    upDown->ClickDown();
    EXPECT_EQ(P0->text(), "0.99");
    TypeKeys(P0, "0.125");
    Enter(P0);
    EXPECT_EQ(P0->text(), "0.125");
    // Down from 0.34 by fives, each a whole number of hundredths.
    TypeKeys(P0, "0.34");
    for (const char* expected : {"0.29", "0.24", "0.19"}) {
        upDown->ClickDown();
        EXPECT_EQ(P0->text(), expected);
    }

    // A typed comma is the decimal point, whatever the locale.
    TypeKeys(P0, "0,5");
    Enter(P0);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_DOUBLE_EQ(m.Parameters(1).P0, 0.5);
}

TEST_F(Typing, ControlPageKeysSwitchTabsAsControlTabDoes) {
    auto form = Open();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTabWidget* tabs = Tabs(*form);
    QTest::keyClick(form.get(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(form->ShowsSumSignal());
    QTest::keyClick(form.get(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 2);
    QTest::keyClick(form.get(), Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
    QTest::keyClick(form.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 4);  // round to the last
    // From inside a field too.
    QTest::keyClick(Spin(*form, "MField")->Editor(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
}

// A group that could not be computed at start: choosing it shows its own
// parameters on every tab, and the edits go to it.
TEST_F(Typing, ChoosingAnUncomputableGroupShowsThatGroup) {
    ecgtrace::SignalModel m;
    m.SetDefaultParameters();
    m.SetParameter(2, ecgtrace::Parameter::N, 0);
    m.SetParameter(2, ecgtrace::Parameter::Te, 9);
    m.SetParameter(2, ecgtrace::Parameter::M, 10);
    m.SaveParameterFile(dir.File("vfdef.par"));
    auto form = Open();
    dialogs.errors.clear();
    TypeAndEnter(Spin(*form, "actualGroupField"), "2");
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(form->Model().ActualGroup(), 2);
    EXPECT_EQ(Edit(*form, "periodNField")->text(), "0");
    EXPECT_EQ(Edit(*form, "TeField")->text(), "9");
    EXPECT_EQ(Spin(*form, "MField")->Text(), "10");
    EXPECT_EQ(Label(*form, "signalHeading")->text(), "elaboration of function A(t) for group 2");
    EXPECT_EQ(Label(*form, "mapHeading")->text(), "elaboration of function P2");
    EXPECT_TRUE(Label(*form, "periodLabel")->text().startsWith("T for group 2"));
    // Mending N makes the group computable.
    TypeAndEnter(Edit(*form, "periodNField"), "62");
    EXPECT_EQ(form->Model().Parameters(2).N, 62);
    EXPECT_EQ(form->Model().Period(2), 21 + 9 + 170 + 24);
    EXPECT_EQ(form->Model().Parameters(1).N, 62);
}

}  // namespace
