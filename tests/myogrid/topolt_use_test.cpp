// The model window as a reader meets it: captions that must be readable and
// tell the truth about what is shown, and commands that fail halfway.
#include "myogrid/topolt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <string>

#include "common/ui/int_spin_edit.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/rspin.h"
#include "myogrid/topolt_help.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

using namespace myogrid;

namespace {

class ModelWindowUse : public ::testing::Test {
protected:
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    SeededRandom random{777};
    ParameterTable table = ParameterTable::Defaults();
    TFormTopolt form{table, nullptr, nullptr, &random};

    void Open(ModelKind kind) { ASSERT_TRUE(form.OpenAndShow(QStringLiteral("model"), kind)); }
    void Click(int n) { form.CheckBox(n)->click(); }
};

}  // namespace

TEST_F(ModelWindowUse, EveryPageCaptionFitsBesideTheModelTime) {
    Open(ModelKind::CoupledOscillators);
    QLabel* left = form.LabelLeft();
    auto* modelTime = form.findChild<QLabel*>(QStringLiteral("LabelModelTime"));
    ASSERT_NE(modelTime, nullptr);
    // "model time:" is right-aligned in its label: where its text begins.
    const int modelTimeText = modelTime->geometry().right() + 1 -
                              modelTime->fontMetrics().horizontalAdvance(modelTime->text());
    EXPECT_LT(left->geometry().right(), modelTimeText);
    for (int page = 0; page < kPageCount; ++page) {
        const QString caption = PageCaption(page);
        EXPECT_LE(left->fontMetrics().horizontalAdvance(caption), left->width())
            << caption.toStdString();
    }
}

TEST_F(ModelWindowUse, RightCaptionFollowsTheAllCellsTickWhenOpened) {
    Open(ModelKind::Topological);
    Click(9);  // "all cells" on
    ASSERT_EQ(form.LabelRight()->text(), "active cells");
    Click(10);  // "stop"

    // The tick is kept, so the run shows all cells: the caption says so.
    Open(ModelKind::Topological);
    ASSERT_TRUE(form.CheckBox(9)->isChecked());
    EXPECT_EQ(form.LabelRight()->text(), "active cells");
    Open(ModelKind::CoupledOscillators);
    EXPECT_EQ(form.LabelRight()->text(), "active cells");
    // Models without that view show their phase point.
    Open(ModelKind::OneOscillator);
    EXPECT_EQ(form.LabelRight()->text(), "phase plot");
    Open(ModelKind::IndependentOscillators);
    EXPECT_EQ(form.LabelRight()->text(), "phase plot");
    // Without the tick, as before.
    Open(ModelKind::Topological);
    Click(9);
    Open(ModelKind::Topological);
    EXPECT_EQ(form.LabelRight()->text(), "phase plot");
}

TEST_F(ModelWindowUse, AFailedCommandLeavesItsBoxAsItWas) {
    Open(ModelKind::Topological);
    // Without nexuses the delay function cannot be scaled.
    for (int n : {2, 3, 4}) form.ParI(n)->SetValue(0);
    Click(4);  // "delay"
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Floating point division by zero.");
    EXPECT_EQ(form.CurrentPage(), PageStart);
    EXPECT_FALSE(form.CheckBox(4)->isChecked());

    // The tick does not travel to the next model's "Pt vs Pt-1" either.
    Open(ModelKind::OneOscillator);
    EXPECT_FALSE(form.CheckBox(4)->isChecked());
    // A command that works still opens its page with its box ticked.
    Click(4);
    EXPECT_EQ(form.CurrentPage(), PageParameters);
    EXPECT_TRUE(form.CheckBox(4)->isChecked());
    EXPECT_EQ(dialogs.errors.size(), 1);
}

TEST_F(ModelWindowUse, HelpButtonsMatchTheHelpPageLeftOpen) {
    Open(ModelKind::Topological);
    QTest::mousePress(form.SpeedButtonHelp(), Qt::LeftButton);
    QTest::mouseRelease(form.SpeedButtonReturn(), Qt::LeftButton);
    ASSERT_EQ(form.CurrentPage(), PageHelpStart);

    // Another model opened from the launcher while help is shown: the page
    // stays, and the button offered is the one that leads back.
    Open(ModelKind::CoupledOscillators);
    EXPECT_EQ(form.CurrentPage(), PageHelpStart);
    EXPECT_FALSE(form.SpeedButtonHelp()->isVisible());
    EXPECT_TRUE(form.SpeedButtonReturn()->isVisible());
    QTest::mouseClick(form.SpeedButtonReturn(), Qt::LeftButton);
    EXPECT_EQ(form.CurrentPage(), PageStart);
    EXPECT_TRUE(form.SpeedButtonHelp()->isVisible());
    EXPECT_FALSE(form.SpeedButtonReturn()->isVisible());
    QTest::mousePress(form.SpeedButtonHelp(), Qt::LeftButton);
    EXPECT_EQ(form.CurrentPage(), PageHelpVF2);
}

TEST_F(ModelWindowUse, ControlsAtTheirLimitsRunOrSayWhyNot) {
    const ModelKind kinds[] = {ModelKind::Topological, ModelKind::IndependentOscillators,
                               ModelKind::OneOscillator, ModelKind::CoupledOscillators};
    // Runs `set` on freshly opened controls, then runs a while: the run goes
    // on, or an error box tells why it stopped.
    auto check = [&](ModelKind kind, const std::function<void()>& set, const std::string& what) {
        Open(kind);
        set();
        const qsizetype errorsBefore = dialogs.errors.size();
        Click(1);
        for (int i = 0; i < 30 && form.Running(); ++i) form.RunLoopTimer();
        EXPECT_TRUE(form.Running() || dialogs.errors.size() > errorsBefore)
            << what << " kind " << static_cast<int>(kind);
        Click(4);  // the delay function or the return map: drawn or reported
        Click(10);
        EXPECT_FALSE(form.isVisible());
    };
    for (ModelKind kind : kinds) {
        for (int n = 1; n <= 34; ++n) {
            if (common::ui::IntSpinEdit* spin = form.ParI(n)) {
                check(kind, [&] { spin->SetValue(spin->MinValue()); }, "ParI" + std::to_string(n) + " min");
                check(kind, [&] { spin->SetValue(spin->MaxValue()); }, "ParI" + std::to_string(n) + " max");
            } else if (TRspinEdit* real = form.ParR(n)) {
                for (double v : {0.0, -1e300, 1e300})
                    check(kind, [&] { real->SetValue(v); }, "ParR" + std::to_string(n) + " " + std::to_string(v));
            }
        }
    }
}

TEST_F(ModelWindowUse, AnOverflowingRunStopsWithAnErrorBox) {
    for (ModelKind kind : {ModelKind::IndependentOscillators, ModelKind::CoupledOscillators}) {
        dialogs.errors.clear();
        Open(kind);
        form.ParR(24)->SetValue(-1e308);  // "start fraction"
        Click(1);
        for (int i = 0; i < 30 && form.Running(); ++i) form.RunLoopTimer();
        EXPECT_FALSE(form.Running());
        EXPECT_FALSE(form.CheckBox(1)->isChecked());
        EXPECT_EQ(dialogs.errors, QStringList{"Invalid floating point operation."});
        Click(10);
    }
}

TEST_F(ModelWindowUse, TracedCellsAreTheOnesOnTheTimeWindowPage) {
    Open(ModelKind::Topological);
    Click(1);  // builds the block of 10 x 10 x 10
    Click(1);
    // The dimension lowered, the time window visited, the dimension raised
    // again: the block in memory still fits, so the next run does not build.
    Click(6);
    form.ParI(1)->SetValue(6);
    Click(19);  // cell 2 x drops from 10 to 6
    Click(5);
    Click(18);
    Click(6);
    form.ParI(1)->SetValue(10);
    Click(19);
    Click(1);
    ASSERT_TRUE(form.Running());
    EXPECT_EQ(form.Engine().Block().CellCount(), 1000);
    // Cell 1 (5, 5, 5) and cell 2 (6, 0, 0) of the block that runs.
    EXPECT_EQ(form.Engine().BlockModel().TraceCell1(), TraceCellIndex(5, 5, 5, 10));
    EXPECT_EQ(form.Engine().BlockModel().TraceCell2(), TraceCellIndex(6, 0, 0, 10));
}

TEST_F(ModelWindowUse, EveryLabelAndBoxOfEveryPageShowsItsWholeText) {
    for (ModelKind kind : {ModelKind::Topological, ModelKind::CoupledOscillators}) {
        Open(kind);
        for (int page = 0; page < kPageCount; ++page) {
            form.Notebook()->setCurrentIndex(page);
            QApplication::processEvents();
            QWidget* shown = form.Notebook()->currentWidget();
            for (QLabel* label : shown->findChildren<QLabel*>()) {
                if (!label->isVisible()) continue;
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                    << label->text().toStdString();
            }
            for (QCheckBox* box : shown->findChildren<QCheckBox*>()) {
                if (!box->isVisible()) continue;
                EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
            }
        }
    }
}
