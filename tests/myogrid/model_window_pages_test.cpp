// Moving between the model window's pages: the commands that open them,
// their "return" boxes, the help buttons and the start-method boxes.
#include <gtest/gtest.h>

#include <QTest>

#include "myogrid/model_window_fixture.h"

using namespace myogrid;

namespace {

class ModelWindowPages : public myogrid_support::ModelWindowTest {};

// The coordinates bounded by a dimension.
constexpr Param kCellCoordinates[] = {Param::Cell1X, Param::Cell1Y, Param::Cell1Z,
                                      Param::Cell2X, Param::Cell2Y, Param::Cell2Z};
constexpr Param kOscillatorCoordinates[] = {Param::Osc1X, Param::Osc1Y, Param::Osc1Z,
                                            Param::Osc2X, Param::Osc2Y, Param::Osc2Z};

}  // namespace

TEST_F(ModelWindowPages, PageCommandsOfTheBlock) {
    Open(ModelKind::Topological);
    Click(Command::Delay);  // "delay"
    EXPECT_EQ(form->CurrentPage(), PageDelay);
    EXPECT_EQ(Controls().rightCaption->text(), "delay function");
    EXPECT_TRUE(Box(Command::Redraw)->isVisible());
    const QImage delay = Right();
    Click(Command::Redraw);  // "redraw" unticks itself
    EXPECT_FALSE(Box(Command::Redraw)->isChecked());
    EXPECT_EQ(Right(), delay);
    Return(PageDelay);
    EXPECT_FALSE(Box(Command::Delay)->isChecked());
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_EQ(Controls().rightCaption->text(), "phase plot");
    EXPECT_NE(Right(), delay);  // cleared

    Click(Command::Parameters);  // "parameters": the full form without the extra boxes
    EXPECT_EQ(form->CurrentPage(), PageParameters);
    EXPECT_TRUE(Field(Param::Dimension)->isVisible());
    EXPECT_TRUE(RealField(Param::Diversity)->isVisible());
    EXPECT_FALSE(Box(Command::DrawFunction)->isVisible());
    EXPECT_FALSE(Box(Command::DelayParameters)->isVisible());
    Return(PageParameters);
    EXPECT_FALSE(Box(Command::Parameters)->isChecked());

    Click(Command::TimeWindow);
    EXPECT_EQ(form->CurrentPage(), PageTimeWindow);
    Return(PageTimeWindow);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    Click(Command::StartMethod);
    EXPECT_EQ(form->CurrentPage(), PageStartMethod);
    EXPECT_EQ(Controls().pageCaption->text(), "topolt start method");
    Return(PageStartMethod);
    EXPECT_FALSE(Box(Command::StartMethod)->isChecked());
    EXPECT_EQ(Controls().pageCaption->text(), "topolt start");

    Click(Switch::AllCells);
    EXPECT_EQ(Controls().rightCaption->text(), "active cells");
    Click(Switch::AllCells);
    EXPECT_EQ(Controls().rightCaption->text(), "phase plot");
}

TEST_F(ModelWindowPages, PageCommandsOfTheOscillators) {
    Open(ModelKind::OneOscillator);
    Click(Command::Delay);  // "Pt vs Pt-1": the reduced parameters page
    EXPECT_EQ(form->CurrentPage(), PageParameters);
    EXPECT_EQ(Controls().rightCaption->text(), "Pt vs Pt-1");
    EXPECT_FALSE(Field(Param::Dimension)->isVisible());
    EXPECT_FALSE(Controls().FieldLabel(Param::Dimension)->isVisible());
    for (Param p : {Param::Excited, Param::Active, Param::AbsRefr, Param::Refractory})
        EXPECT_FALSE(Field(p)->isVisible()) << KeyOf(p);
    EXPECT_FALSE(RealField(Param::Diversity)->isVisible());
    for (Param p : {Param::XNexus, Param::XyXzNexus, Param::XyzNexus, Param::Threshold})
        EXPECT_TRUE(Field(p)->isVisible()) << KeyOf(p);
    EXPECT_TRUE(Box(Command::DrawFunction)->isVisible());
    EXPECT_FALSE(Box(Command::DelayParameters)->isVisible());
    // The return map: its lime frame, the white curve from (5, 5) down.
    EXPECT_EQ(Right().pixelColor(206, 100), QColor(0, 255, 0));
    EXPECT_EQ(Right().pixelColor(5, 100), QColor(255, 255, 255));
    Click(Command::DrawFunction);
    EXPECT_FALSE(Box(Command::DrawFunction)->isChecked());
    Return(PageParameters);
    EXPECT_FALSE(Box(Command::Delay)->isChecked());
    EXPECT_EQ(form->CurrentPage(), PageStart);

    const QString right = Controls().rightCaption->text();
    Click(Command::StartMethod);  // "cell param.s": the full form with "delay parameters"
    EXPECT_EQ(form->CurrentPage(), PageParameters);
    EXPECT_TRUE(Field(Param::Dimension)->isVisible());
    EXPECT_TRUE(Box(Command::DelayParameters)->isVisible());
    EXPECT_FALSE(Box(Command::DrawFunction)->isVisible());
    Click(Command::DelayParameters);  // "delay parameters": the delay page without "redraw"
    EXPECT_EQ(form->CurrentPage(), PageDelay);
    EXPECT_FALSE(Box(Command::Redraw)->isVisible());
    EXPECT_EQ(Controls().rightCaption->text(), right);
    EXPECT_TRUE(Box(Command::DelayParameters)->isChecked());  // never reset by the program
    Return(PageDelay);
    EXPECT_EQ(form->CurrentPage(), PageStart);

    Click(Command::TimeWindow);  // the oscillator time window: no coordinates for one oscillator
    EXPECT_EQ(form->CurrentPage(), PageOscTimeWindow);
    EXPECT_FALSE(Field(Param::Osc1X)->isVisible());
    EXPECT_TRUE(Controls().FieldLabel(Param::Osc1X)->isVisible());
    EXPECT_TRUE(Field(Param::OscStepUnit)->isVisible());
    Return(PageOscTimeWindow);

    Open(ModelKind::CoupledOscillators);
    Click(Command::Parameters);
    EXPECT_EQ(form->CurrentPage(), PageOscParameters);
    Click(Command::OscillatorStartMethod);
    EXPECT_EQ(form->CurrentPage(), PageOscStart);
    EXPECT_EQ(Controls().pageCaption->text(), "oscillator start");
    Return(PageOscStart);  // back to "VFsum parameters"
    EXPECT_EQ(form->CurrentPage(), PageOscParameters);
    EXPECT_FALSE(Box(Command::OscillatorStartMethod)->isChecked());
    Return(PageOscParameters);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_FALSE(Box(Command::Parameters)->isChecked());
}

TEST_F(ModelWindowPages, AFailedCommandLeavesItsBoxAsItWas) {
    OpenModel(ModelKind::Topological);
    // Without nexuses the delay function cannot be scaled.
    for (Param p : {Param::XNexus, Param::XyXzNexus, Param::XyzNexus}) Field(p)->SetValue(0);
    Click(Command::Delay);  // "delay"
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Floating point division by zero.");
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_FALSE(Box(Command::Delay)->isChecked());

    // The tick does not travel to the next model's "Pt vs Pt-1" either.
    OpenModel(ModelKind::OneOscillator);
    EXPECT_FALSE(Box(Command::Delay)->isChecked());
    // A command that works still opens its page with its box ticked.
    Click(Command::Delay);
    EXPECT_EQ(form->CurrentPage(), PageParameters);
    EXPECT_TRUE(Box(Command::Delay)->isChecked());
    EXPECT_EQ(dialogs.errors.size(), 1);
}

TEST_F(ModelWindowPages, ReturnRecomputesTheDependentMaxima) {
    Open(ModelKind::Topological);
    Click(Command::Parameters);
    Field(Param::Dimension)->SetValue(6);
    Field(Param::XNexus)->SetValue(2);
    Return(PageParameters);
    for (Param p : kCellCoordinates) EXPECT_EQ(Field(p)->MaxValue(), 6) << KeyOf(p);
    EXPECT_EQ(Field(Param::Cell2X)->Value(), 6);  // cell 2 x was 10
    EXPECT_EQ(Field(Param::Cell1X)->Value(), 5);
    EXPECT_EQ(Field(Param::Threshold)->MaxValue(), 36);
    EXPECT_EQ(Field(Param::Threshold)->Value(), 14);
    // Raising the dimension again does not raise the coordinates.
    Click(Command::Parameters);
    Field(Param::Dimension)->SetValue(10);
    Return(PageParameters);
    EXPECT_EQ(Field(Param::Cell2X)->Value(), 6);
    EXPECT_EQ(Field(Param::Cell2X)->MaxValue(), 10);

    Open(ModelKind::CoupledOscillators);
    Click(Command::Parameters);
    Field(Param::OscDimension)->SetValue(3);
    Return(PageOscParameters);
    for (Param p : kOscillatorCoordinates) EXPECT_EQ(Field(p)->MaxValue(), 3) << KeyOf(p);
    EXPECT_EQ(Field(Param::Osc2X)->Value(), 3);
    EXPECT_EQ(Field(Param::Osc1X)->Value(), 2);
}

TEST_F(ModelWindowPages, EveryPageAndModelOpensClean) {
    Open(ModelKind::CoupledOscillators);
    const QImage fresh = Time();
    Click(Command::StartMethod);  // "cell param.s"
    Click(Command::DelayParameters);
    Return(PageDelay);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_FALSE(Box(Command::StartMethod)->isChecked());
    Click(Command::StartMethod);
    EXPECT_FALSE(Box(Command::DelayParameters)->isChecked());
    Return(PageParameters);

    Click(Command::Run);
    Ticks(20);
    Box(Command::StartMethod)->setChecked(true);  // a tick left by any way
    Click(Command::Stop);
    Open(ModelKind::Topological);
    for (Command c : {Command::Formula, Command::Delay, Command::TimeWindow, Command::Parameters,
                      Command::SaveParameters, Command::StartMethod, Command::Stop})
        EXPECT_FALSE(Box(c)->isChecked()) << static_cast<int>(c);
    EXPECT_EQ(Time(), fresh);
    EXPECT_EQ(Controls().modelTime->text(), "0");
    EXPECT_TRUE(form->Sweep().Steps().empty());
}

TEST_F(ModelWindowPages, StartMethodBoxesFollowTheMouse) {
    Open(ModelKind::Topological);
    Click(Command::StartMethod);
    QCheckBox* random = Box(Switch::RandomStart);
    QCheckBox* fifty = Box(Switch::FiftyHzStart);
    QCheckBox* extra = Box(Switch::ExtraStart);
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
    QTest::mouseClick(Box(Switch::Background), Qt::LeftButton, {}, QPoint(6, 10));
    EXPECT_TRUE(Box(Switch::Background)->isChecked());
    EXPECT_TRUE(random->isChecked());
}

TEST(HelpPageOf, TargetsForEveryKind) {
    EXPECT_EQ(HelpPageOf(PageStart, ModelKind::Topological), PageHelpStart);
    EXPECT_EQ(HelpPageOf(PageStart, ModelKind::IndependentOscillators), PageHelpIndependentStart);
    EXPECT_EQ(HelpPageOf(PageStart, ModelKind::OneOscillator), PageHelpOneOscillatorStart);
    EXPECT_EQ(HelpPageOf(PageStart, ModelKind::CoupledOscillators), PageHelpCoupledStart);
    EXPECT_EQ(HelpPageOf(PageParameters, ModelKind::Topological), PageHelpParameters);
    for (ModelKind k : {ModelKind::IndependentOscillators, ModelKind::OneOscillator,
                        ModelKind::CoupledOscillators})
        EXPECT_EQ(HelpPageOf(PageParameters, k), PageHelpReturnMap);
    EXPECT_EQ(HelpPageOf(PageOscTimeWindow, ModelKind::OneOscillator),
              PageHelpOneOscillatorTimeWindow);
    EXPECT_EQ(HelpPageOf(PageOscTimeWindow, ModelKind::CoupledOscillators), PageHelpOscTimeWindow);
    EXPECT_EQ(HelpPageOf(PageFormula, ModelKind::Topological), -1);
    // Help pages lead back to their page.
    for (int page : {1, 19, 20, 21}) EXPECT_EQ(HelpPageOf(page, ModelKind::OneOscillator), 0);
    EXPECT_EQ(HelpPageOf(PageHelpReturnMap, ModelKind::OneOscillator), PageParameters);
    EXPECT_EQ(HelpPageOf(PageHelpOneOscillatorTimeWindow, ModelKind::OneOscillator),
              PageOscTimeWindow);
    EXPECT_EQ(HelpPageOf(PageHelpOscStart, ModelKind::Topological), PageOscStart);
}

TEST_F(ModelWindowPages, HelpButtonsSwapAndDoNotHalt) {
    Open(ModelKind::OneOscillator);
    Click(Command::Run);
    ASSERT_TRUE(form->Running());
    QTest::mousePress(Controls().help, Qt::LeftButton);
    EXPECT_EQ(form->CurrentPage(), PageHelpOneOscillatorStart);
    EXPECT_EQ(Controls().pageCaption->text(), "help VF1");
    EXPECT_FALSE(Controls().help->isVisible());
    EXPECT_TRUE(Controls().helpReturn->isVisible());
    EXPECT_TRUE(form->Running());
    QTest::mouseClick(Controls().helpReturn, Qt::LeftButton);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_TRUE(Controls().help->isVisible());
    EXPECT_FALSE(Controls().helpReturn->isVisible());
    EXPECT_TRUE(form->Running());

    Click(Command::Formula);  // the formula page has no help
    QTest::mousePress(Controls().help, Qt::LeftButton);
    QTest::mouseRelease(Controls().help, Qt::LeftButton);
    EXPECT_EQ(form->CurrentPage(), PageFormula);
    EXPECT_TRUE(Controls().help->isVisible());
}

TEST_F(ModelWindowPages, HelpButtonsMatchTheHelpPageLeftOpen) {
    OpenModel(ModelKind::Topological);
    QTest::mousePress(Controls().help, Qt::LeftButton);
    QTest::mouseRelease(Controls().helpReturn, Qt::LeftButton);
    ASSERT_EQ(form->CurrentPage(), PageHelpStart);

    // Another model opened from the launcher while help is shown: the page
    // stays, and the button offered is the one that leads back.
    OpenModel(ModelKind::CoupledOscillators);
    EXPECT_EQ(form->CurrentPage(), PageHelpStart);
    EXPECT_FALSE(Controls().help->isVisible());
    EXPECT_TRUE(Controls().helpReturn->isVisible());
    QTest::mouseClick(Controls().helpReturn, Qt::LeftButton);
    EXPECT_EQ(form->CurrentPage(), PageStart);
    EXPECT_TRUE(Controls().help->isVisible());
    EXPECT_FALSE(Controls().helpReturn->isVisible());
    QTest::mousePress(Controls().help, Qt::LeftButton);
    EXPECT_EQ(form->CurrentPage(), PageHelpCoupledStart);
}
