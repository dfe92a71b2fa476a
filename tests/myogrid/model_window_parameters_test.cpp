// The model window's parameters and pictures: the fields filled from the
// parameter table, "save parameters" back into it, and the plots saved as
// bitmaps.
#include <gtest/gtest.h>

#include <QImageReader>

#include "myogrid/model_window_fixture.h"

using namespace myogrid;

namespace {

class ModelWindowParameters : public myogrid_support::ModelWindowTest {};

}  // namespace

TEST_F(ModelWindowParameters, OpeningFillsControlsWithDependentMaxima) {
    table.Store(Param::Dimension, "20");  // above the control's range
    table.Store(Param::Cell1X, "12");
    table.Store(Param::XNexus, "2");
    table.Store(Param::Threshold, "50");
    table.Store(Param::Diversity, "0.25");
    Open(ModelKind::Topological, "Topological model");
    EXPECT_EQ(Controls().title->text(), "Topological model");
    EXPECT_EQ(Controls().pageCaption->text(), "topolt start");
    EXPECT_EQ(Controls().rightCaption->text(), "phase plot");
    EXPECT_EQ(Field(Param::Dimension)->Text(), "13");
    EXPECT_EQ(Field(Param::Cell1X)->MaxValue(), 13);
    EXPECT_EQ(Field(Param::Cell1X)->Value(), 12);
    EXPECT_EQ(Field(Param::Threshold)->MaxValue(), 2 * 2 + 8 * 3 + 8 * 1);
    EXPECT_EQ(Field(Param::Threshold)->Value(), 36);
    EXPECT_EQ(RealField(Param::Diversity)->Text(), "0.25");
    EXPECT_EQ(Field(Param::OscDimension)->Value(), 5);
    EXPECT_EQ(Field(Param::Osc2X)->MaxValue(), 5);
    EXPECT_TRUE(Box(Switch::RandomStart)->isChecked());
    EXPECT_EQ(form->Record(), BuildRecord{});
    // The engine reads the controls.
    EXPECT_EQ(form->Integer(Param::Dimension), 13);
    EXPECT_EQ(form->Integer(Param::OscDimension), 5);
    EXPECT_EQ(form->Real(Param::DelayL), -0.22);
}

TEST_F(ModelWindowParameters, AValueThatDoesNotConvertStopsTheOpening) {
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

TEST_F(ModelWindowParameters, SaveParametersStoresEveryControl) {
    Open(ModelKind::Topological);
    table.ParametersChanged = false;
    Field(Param::Dimension)->SetValue(8);
    RealField(Param::Diversity)->SetValue(0.1 + 0.2);
    Field(Param::OscDimension)->SetValue(7);
    Field(Param::Osc2Z)->SetValue(4);
    Field(Param::Active)->SetText("junk");  // reads as its minimum
    Click(Command::Run);
    Click(Command::SaveParameters);
    EXPECT_FALSE(form->Running());
    EXPECT_FALSE(Box(Command::SaveParameters)->isChecked());
    EXPECT_TRUE(table.ParametersChanged);
    EXPECT_EQ(table.Value(Param::Dimension), "8");
    EXPECT_EQ(table.Value(Param::Diversity), "0.3");
    EXPECT_EQ(table.Value(Param::DelayL), "-0.22");
    EXPECT_EQ(table.Value(Param::OscDimension), "7");
    EXPECT_EQ(table.Value(Param::Osc2Z), "4");
    EXPECT_EQ(table.Value(Param::Active), "0");
    // Unchanged values are stored back as they were.
    const ParameterTable defaults = ParameterTable::Defaults();
    for (Param p :
         {Param::XNexus, Param::Period, Param::EnvWeight, Param::PeriodVariability, Param::Osc1X})
        EXPECT_EQ(table.Value(p), defaults.Value(p));

    // Nothing changed at all: the flag is still set.
    table.ParametersChanged = false;
    Click(Command::SaveParameters);
    EXPECT_TRUE(table.ParametersChanged);
}

TEST_F(ModelWindowParameters, SavesPlotWindowsAsBitmaps) {
    Open(ModelKind::Topological);
    dialogs.saveAnswers.push_back(QStringLiteral("right.png"));
    Controls().saveRightPlot->click();
    ASSERT_EQ(dialogs.saveQuestions.size(), 1u);
    EXPECT_EQ(dialogs.saveQuestions[0].title, "save right window");
    EXPECT_EQ(dialogs.saveQuestions[0].filter, "bitmap|*.BMP");
    EXPECT_EQ(dialogs.saveQuestions[0].proposedName, "");
    QImageReader right(QStringLiteral("right.png"));
    EXPECT_EQ(right.format(), "bmp");
    EXPECT_EQ(right.size(), QSize(211, 211));

    dialogs.saveAnswers.push_back(QStringLiteral("top"));
    Controls().saveTimePlot->click();
    EXPECT_EQ(dialogs.saveQuestions[1].title, "save top window");
    QImageReader top(QStringLiteral("top"));
    EXPECT_EQ(top.format(), "bmp");
    EXPECT_EQ(top.size(), QSize(616, 176));

    // Cancelled: nothing written; an unwritable name: the error box.
    Controls().saveTimePlot->click();
    EXPECT_EQ(dialogs.saveQuestions.size(), 3u);
    EXPECT_TRUE(dialogs.errors.isEmpty());
    dialogs.saveAnswers.push_back(QStringLiteral("no/such/folder/x.bmp"));
    Controls().saveRightPlot->click();
    EXPECT_EQ(dialogs.errors.size(), 1);
}
