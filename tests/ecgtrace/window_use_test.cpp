// Both windows used as a reader uses them: what is seen first, what repeats.
#include "ecgtrace/analysis_window.h"
#include "ecgtrace/main_window.h"

#include "common/ui/spin_arrows.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QDialog>
#include <QFocusEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <memory>

namespace {

using common::ui::IntSpinEdit;

class WindowUse : public testing_support::EcgtraceWindowTest {
protected:
    void OpenBoth() {
        main = Open();
        power = AnalysisOf(*main);
        power->SetGroupAnalysisButton(main->GroupAnalysisButton());
        main->SetAnalysisActions([this] { power->OpenFromSumSignal(); },
                                 [this] { power->OpenFromGroup(); });
    }
    // A text box shows the beginning of its text: caret and view at the top.
    static void ExpectAtStart(QWidget& window, const char* name) {
        auto* box = window.findChild<QTextEdit*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        ASSERT_GT(box->document()->characterCount(), 100) << name << " holds the introduction";
        EXPECT_EQ(box->textCursor().position(), 0) << name;
        EXPECT_EQ(box->verticalScrollBar()->value(), 0) << name;
    }

    std::unique_ptr<ecgtrace::MainWindow> main;
    std::unique_ptr<ecgtrace::AnalysisWindow> power;
};

TEST_F(WindowUse, IntroductionsAreReadFromTheirBeginning) {
    OpenBoth();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    ExpectAtStart(*main, "introductionText");

    // The analysis text, on its first opening and on a later one.
    main->GroupAnalysisButton()->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(power.get()));
    ExpectAtStart(*power, "introductionText");
    power->findChild<QTextEdit*>(QStringLiteral("introductionText"))
        ->verticalScrollBar()
        ->setValue(50);
    Button(*main, "sumAnalysisButton")->click();
    QApplication::processEvents();
    ExpectAtStart(*power, "introductionText");
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
}

// Error boxes that take the keyboard focus, as a real box does: the field
// being typed in loses it while the box is up.
class FocusTakingDialogs : public testing_support::FakeDialogs {
public:
    QWidget* typedIn = nullptr;
    void ShowError(QWidget* parent, const QString& title, const QString& message) override {
        FakeDialogs::ShowError(parent, title, message);
        if (!typedIn) return;
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QApplication::sendEvent(typedIn, &out);
    }
};

TEST_F(WindowUse, FailedChangeOfLimitedFieldReportedOnce) {
    // Two groups whose weights are all zero: E(t) is flat and cannot be
    // scaled, so choosing an actual group fails while redrawing it.
    ecgtrace::SignalModel m;
    m.SetDefaultParameters();
    m.SetGroupChoice(2, m.ActualGroup(), m.CrossGroup());
    m.SetParameter(1, ecgtrace::Parameter::P0, 0);
    m.SetParameter(2, ecgtrace::Parameter::P0, 0);
    m.SaveParameterFile(dir.File("vfdef.par"));
    auto form = Open();
    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();

    FocusTakingDialogs boxes;
    IntSpinEdit* g = Spin(*form, "actualGroupField");
    boxes.typedIn = g->Editor();
    // 7 is above G: read as 2 when the editing ends, and brought to 2 again
    // when the box takes the focus.
    Type(g, "7");
    EXPECT_TRUE(boxes.errors.isEmpty());
    Enter(g);
    EXPECT_EQ(boxes.errors.join("|").toStdString(), "Floating point division by zero.");
    EXPECT_EQ(g->Text(), "2");
    EXPECT_EQ(form->Model().ActualGroup(), 2);

    // The same for G, whose limit is 15: nothing happens while typing.
    boxes.errors.clear();
    IntSpinEdit* G = Spin(*form, "groupCountField");
    boxes.typedIn = G->Editor();
    Type(G, "");
    QTest::keyClicks(G->Editor(), "99");
    EXPECT_TRUE(boxes.errors.isEmpty());
    EXPECT_EQ(form->Model().GroupCount(), 2);
    Enter(G);
    EXPECT_EQ(G->Text(), "15");
    EXPECT_EQ(form->Model().GroupCount(), 15);
    EXPECT_EQ(boxes.errors.size(), 1) << boxes.errors.join("|").toStdString();
}

// Error boxes that stay up: an application-modal window is shown, as the
// real box is while the user reads it.
class ModalBoxes : public testing_support::FakeDialogs {
public:
    std::vector<std::unique_ptr<QDialog>> shown;
    void ShowError(QWidget* parent, const QString& title, const QString& message) override {
        FakeDialogs::ShowError(parent, title, message);
        auto box = std::make_unique<QDialog>();
        box->setWindowModality(Qt::ApplicationModal);
        box->show();
        shown.push_back(std::move(box));
    }
};

TEST_F(WindowUse, HeldArrowStopsWhenAnErrorBoxComesUp) {
    auto form = Open();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    IntSpinEdit* s1 = Spin(*form, "s1Field");
    Type(s1, "1");
    ASSERT_EQ(form->Model().Parameters(1).s1, 1);

    ModalBoxes boxes;
    common::ui::RepeatButton* down = s1->Arrows()->DownButton();
    // The press steps to 0, which cannot be computed; the box that reports it
    // takes the pointer, so this button never sees the button's release.
    QTest::mousePress(down, Qt::LeftButton);
    ASSERT_EQ(boxes.errors.size(), 1);
    // The first repeat comes at once instead of after its delay: it finds
    // the box up and ends the press.
    QTimer* repeat = down->RepeatTimer();
    ASSERT_TRUE(repeat->isActive());
    repeat->setInterval(0);
    for (int pass = 0; pass < 10 && repeat->isActive(); ++pass) QCoreApplication::processEvents();
    EXPECT_FALSE(repeat->isActive());
    boxes.shown.clear();  // the user closes the box
    QCoreApplication::processEvents();
    EXPECT_FALSE(repeat->isActive()) << "the arrow would repeat by itself";
    EXPECT_EQ(form->Model().Parameters(1).s1, 1) << "the width ran on by itself";
    EXPECT_EQ(boxes.errors.size(), 1) << boxes.errors.join("|").toStdString();
}

}  // namespace
