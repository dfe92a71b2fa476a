// The model window as it looks: where its controls stand, what they say for
// each model, and that every caption can be read whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPlainTextEdit>

#include "myogrid/model_window_fixture.h"

using namespace myogrid;

namespace {

class ModelWindowLayout : public myogrid_support::ModelWindowTest {};

}  // namespace

TEST_F(ModelWindowLayout, LayoutCaptionsAndHints) {
    EXPECT_EQ(form->windowTitle(), "ventricular fibrillation models");
    EXPECT_EQ(form->size(), QSize(644, 489));
    EXPECT_EQ(Controls().timePlot->geometry(), QRect(6, 26, 616, 176));
    EXPECT_EQ(Controls().rightPlot->geometry(), QRect(410, 237, 211, 211));
    EXPECT_EQ(Time().size(), QSize(616, 176));
    EXPECT_EQ(Right().size(), QSize(211, 211));
    EXPECT_EQ(Controls().notebook->size(), QSize(385, 199));
    EXPECT_EQ(Controls().saveTimePlot->toolTip(), "save top window");
    EXPECT_EQ(Controls().saveRightPlot->toolTip(), "save right window");
    EXPECT_EQ(Controls().help->toolTip(), "help");
    EXPECT_EQ(Controls().helpReturn->toolTip(), "return");
    EXPECT_EQ(Controls().initializingNotice->text(), "initializing! please wait");
    EXPECT_TRUE(Controls().initializingNotice->isHidden());
    EXPECT_EQ(Controls().modelTime->text(), "0");
    EXPECT_TRUE(Controls().modelTime->isReadOnly());
    ASSERT_EQ(Controls().notebook->count(), 22);
    EXPECT_EQ(PageCaption(0), "topolt start");
    EXPECT_EQ(PageCaption(13), "help VFsum 0 & 2 time window");
    EXPECT_EQ(PageCaption(21), "help VF2");
    // A cleared window: button face in the corner, lime grid line at y = 17.
    EXPECT_EQ(Time().pixelColor(0, 0), QColor(240, 240, 240));
    EXPECT_EQ(Time().pixelColor(300, 17), QColor(0, 255, 0));
}

TEST_F(ModelWindowLayout, StartPageByKind) {
    Open(ModelKind::Topological);
    EXPECT_EQ(Box(Switch::FirstDerivative)->text(), "1st derivative");
    EXPECT_EQ(Box(Command::Delay)->text(), "delay");
    EXPECT_EQ(Box(Command::StartMethod)->text(), "start method");
    EXPECT_EQ(Box(Switch::AllCells)->text(), "all cells");
    for (Command c :
         {Command::Run, Command::Formula, Command::Delay, Command::TimeWindow, Command::Parameters,
          Command::SaveParameters, Command::StartMethod, Command::Stop})
        EXPECT_TRUE(Box(c)->isVisible()) << Box(c)->text().toStdString();
    EXPECT_TRUE(Box(Switch::FirstDerivative)->isVisible());
    EXPECT_TRUE(Box(Switch::AllCells)->isVisible());

    Open(ModelKind::OneOscillator, "one oscillator model");
    EXPECT_EQ(Box(Command::Delay)->text(), "Pt vs Pt-1");
    EXPECT_EQ(Box(Command::StartMethod)->text(), "cell param.s");
    EXPECT_FALSE(Box(Switch::FirstDerivative)->isVisible());
    EXPECT_FALSE(Box(Command::Parameters)->isVisible());
    EXPECT_FALSE(Box(Switch::AllCells)->isVisible());

    Open(ModelKind::IndependentOscillators, "independent oscillators model");
    EXPECT_EQ(Box(Switch::FirstDerivative)->text(), "membr. pot.");
    EXPECT_TRUE(Box(Switch::FirstDerivative)->isVisible());
    EXPECT_TRUE(Box(Command::Parameters)->isVisible());
    EXPECT_FALSE(Box(Switch::AllCells)->isVisible());
    // The layer x = 0: x is fixed, y and z offer the oscillators there are.
    EXPECT_EQ(Field(Param::Osc1X)->Value(), 0);
    EXPECT_FALSE(Field(Param::Osc1X)->isEnabled());
    EXPECT_EQ(Field(Param::Osc1Y)->Value(), 2);
    EXPECT_EQ(Field(Param::Osc2Y)->MaxValue(), 4);
    EXPECT_EQ(form->Engine().Oscillators().TraceCell1(), 0);  // until the first run
    EXPECT_FALSE(Controls().seed->isEnabled());
    EXPECT_EQ(Controls().seed->toolTip(), "this model uses no random numbers");

    Open(ModelKind::CoupledOscillators, "coupled oscillators model");
    EXPECT_TRUE(Field(Param::Osc1X)->isEnabled());
    EXPECT_EQ(Field(Param::Osc2Y)->MaxValue(), 5);
    EXPECT_EQ(Box(Switch::AllCells)->text(), "all oscill.s");
    EXPECT_TRUE(Box(Switch::AllCells)->isVisible());
}

TEST_F(ModelWindowLayout, RightCaptionFollowsTheAllCellsTickWhenOpened) {
    OpenModel(ModelKind::Topological);
    Click(Switch::AllCells);  // "all cells" on
    ASSERT_EQ(Controls().rightCaption->text(), "active cells");
    Click(Command::Stop);  // "stop"

    // The tick is kept, so the run shows all cells: the caption says so.
    OpenModel(ModelKind::Topological);
    ASSERT_TRUE(Box(Switch::AllCells)->isChecked());
    EXPECT_EQ(Controls().rightCaption->text(), "active cells");
    OpenModel(ModelKind::CoupledOscillators);
    EXPECT_EQ(Controls().rightCaption->text(), "active cells");
    // Models without that view show their phase point.
    OpenModel(ModelKind::OneOscillator);
    EXPECT_EQ(Controls().rightCaption->text(), "phase plot");
    OpenModel(ModelKind::IndependentOscillators);
    EXPECT_EQ(Controls().rightCaption->text(), "phase plot");
    // Without the tick, as before.
    OpenModel(ModelKind::Topological);
    Click(Switch::AllCells);
    OpenModel(ModelKind::Topological);
    EXPECT_EQ(Controls().rightCaption->text(), "phase plot");
}

TEST_F(ModelWindowLayout, HelpTextsLineByLine) {
    const QStringList start =
        Controls().helpTexts[static_cast<std::size_t>(PageHelpStart)]->toPlainText().split('\n');
    ASSERT_EQ(start.size(), 9);
    EXPECT_EQ(start[5], "  [1st derivative]   of activity is shown in time window");
    EXPECT_EQ(start[3], "");
    const QStringList delay = HelpText(PageHelpDelay);
    EXPECT_EQ(delay[1], "a new timestep ");
    EXPECT_EQ(delay[4], "  t  = e              * F / N");
    EXPECT_EQ(HelpText(PageHelpOneOscillatorTimeWindow), HelpText(PageHelpOscTimeWindow).mid(0, 3));
    const QStringList vf1 = HelpText(PageHelpOneOscillatorStart);
    ASSERT_EQ(vf1.size(), 12);
    EXPECT_EQ(vf1.mid(0, 7), HelpText(PageHelpIndependentStart).mid(0, 7));
    EXPECT_EQ(vf1[7], "The upper trace in the time window shows the ");
    const QStringList vf2 = HelpText(PageHelpCoupledStart);
    ASSERT_EQ(vf2.size(), 13);
    EXPECT_EQ(vf2[8], "  [membr. pot] electrogram in time window");
    EXPECT_EQ(vf2[9], "  [all oscill.s] all oscillators with activity");
    EXPECT_EQ(HelpText(PageHelpParameters).size(), 15);
    EXPECT_EQ(HelpText(PageHelpParameters)[10],
              "abs. ref.:    lenght of absolute refractory state");
    for (int page = 0; page < kPageCount; ++page) {
        QPlainTextEdit* memo = Controls().helpTexts[static_cast<std::size_t>(page)];
        ASSERT_EQ(memo != nullptr, IsHelpPage(page)) << page;
        if (!memo) continue;
        const bool scrolls = page == PageHelpParameters || page == PageHelpCoupledStart;
        EXPECT_EQ(memo->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, scrolls) << page;
    }
}

TEST_F(ModelWindowLayout, EveryPageCaptionFitsBesideTheModelTime) {
    OpenModel(ModelKind::CoupledOscillators);
    QLabel* left = Controls().pageCaption;
    QLabel* modelTime = Controls().modelTimeCaption;
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

TEST_F(ModelWindowLayout, EveryLabelAndBoxOfEveryPageShowsItsWholeText) {
    for (ModelKind kind : {ModelKind::Topological, ModelKind::CoupledOscillators}) {
        OpenModel(kind);
        for (int page = 0; page < kPageCount; ++page) {
            Controls().notebook->setCurrentIndex(page);
            QApplication::processEvents();
            QWidget* shown = Controls().notebook->currentWidget();
            for (QLabel* label : shown->findChildren<QLabel*>()) {
                if (!label->isVisible()) continue;
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                          label->contentsRect().width())
                    << label->text().toStdString();
            }
            for (QCheckBox* box : shown->findChildren<QCheckBox*>()) {
                if (!box->isVisible()) continue;
                EXPECT_LE(box->sizeHint().width(), box->width()) << box->text().toStdString();
            }
        }
    }
}
