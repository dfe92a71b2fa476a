// The context menu of a plot: every question through the dialogs the test
// answers, files written whole or not at all.
#include "common/file_io.h"
#include "common/plot_export.h"
#include "common/ui/plot_menu.h"
#include "common/ui/plot_view.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>

using namespace common::ui;

namespace {

class PlotMenuTest : public ::testing::Test {
protected:
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    common::PlotSurface surface{40, 30};
    PlotView view{40, 30};
    std::vector<std::string> edfPaths;
    PlotMenu* menu = nullptr;

    void SetUp() override {
        surface.SetPenColor(common::kLime);
        surface.SetBrushColor(common::kGreen);
        surface.Rectangle(0, 0, 40, 30);
        surface.MoveTo(2, 25);
        surface.LineTo(37, 4);
        view.SetImage(surface.Image());
        PlotExport source;
        source.name = QStringLiteral("et");
        source.picture = [this]() -> const common::PlotSurface& { return surface; };
        source.data = [] { return common::DataTable{{"t_ms", "E"}, {{10, 0.5}, {20, -0.25}}}; };
        source.dataFormats.push_back({QStringLiteral("EDF+ biosignal"), QStringLiteral("edf"),
                                      [this](const std::string& path) {
                                          edfPaths.push_back(path);
                                          common::WriteFileAtomically(path, "edf");
                                      }});
        menu = AttachPlotMenu(&view, source);
    }
    QStringList Entries() const {
        QStringList texts;
        for (QAction* a : menu->Menu()->actions())
            if (!a->isSeparator()) texts << a->text();
        return texts;
    }
    QImage SavedImage(const std::string& name) const {
        QImage image(QString::fromStdString(dir.File(name)));
        return image.convertToFormat(QImage::Format_RGB32);
    }
};

}  // namespace

TEST_F(PlotMenuTest, OffersTheFourEntriesOnTheRightButtonAndTheMenuKey) {
    EXPECT_EQ(Entries(), (QStringList{"Copy picture", QString::fromUtf8("Save picture\u2026"),
                                      "Copy data", QString::fromUtf8("Save data\u2026")}));
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(5, 5), view.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&view, &mouse);
    EXPECT_TRUE(menu->Menu()->isVisible());
    menu->Menu()->hide();
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                          view.mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(&view, &key);
    EXPECT_TRUE(menu->Menu()->isVisible());
    menu->Menu()->hide();
    EXPECT_EQ(view.focusPolicy(), Qt::ClickFocus);
}

TEST_F(PlotMenuTest, APictureWithoutDataOffersOnlyThePicture) {
    PlotView other(10, 10);
    PlotMenu* pictureOnly =
        AttachPlotMenu(&other, {QStringLiteral("grid"),
                                [this]() -> const common::PlotSurface& { return surface; },
                                {},
                                {}});
    int entries = 0;
    for (QAction* a : pictureOnly->Menu()->actions()) entries += !a->isSeparator();
    EXPECT_EQ(entries, 2);
}

TEST_F(PlotMenuTest, SavesAPngAtTheChosenScale) {
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("plot.png")));
    dialogs.integerAnswers.push_back(2);
    menu->SavePicture();
    ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    EXPECT_EQ(dialogs.saveQuestions.at(0).proposedName, QStringLiteral("et.png"));
    EXPECT_EQ(dialogs.integerQuestions.at(0).minimum, 1);
    EXPECT_EQ(dialogs.integerQuestions.at(0).maximum, 8);
    const QImage saved = SavedImage("plot.png");
    ASSERT_EQ(saved.size(), QSize(80, 60));
    EXPECT_EQ(saved.pixel(5, 49), surface.Image().pixel(2, 24));
    EXPECT_EQ(saved, common::EnlargedImage(surface.Image(), 2));
}

TEST_F(PlotMenuTest, TheChosenFilterDecidesWhenTheNameHasNoExtension) {
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("drawing")));
    dialogs.saveFilterAnswers.push_back(1);  // SVG
    menu->SavePicture();
    EXPECT_TRUE(dialogs.integerQuestions.empty());  // no scale for a drawing
    EXPECT_NE(common::ReadWholeFile(dir.File("drawing.svg")).find("<svg"), std::string::npos);
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("copy.bmp")));
    dialogs.saveFilterAnswers.push_back(0);  // the extension wins over the filter
    menu->SavePicture();
    EXPECT_EQ(SavedImage("copy.bmp"), surface.Image());
}

TEST_F(PlotMenuTest, CancellingAnyQuestionWritesNothing) {
    menu->SavePicture();  // the file question cancelled
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("plot.png")));
    menu->SavePicture();  // the scale question cancelled
    EXPECT_FALSE(common::FileExists(dir.File("plot.png")));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(PlotMenuTest, AFailedSaveShowsTheErrorAndKeepsTheFormerFile) {
    const std::string path = dir.File("plot.png");
    common::WriteFileAtomically(path, "former");
    dialogs.saveAnswers.push_back(QString::fromStdString(path));
    dialogs.integerAnswers.push_back(9);  // beyond what a picture can take
    menu->SavePicture();
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(common::ReadWholeFile(path), "former");
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("none/data.csv")));
    menu->SaveData();
    EXPECT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors.last().startsWith("Cannot create file"));
}

TEST_F(PlotMenuTest, CopiesThePictureInFullColourAndTheDataAsTabSeparatedText) {
    menu->CopyPicture();
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
              surface.Image());
    menu->CopyData();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("t_ms\tE\n10\t0.5\n20\t-0.25\n"));
}

// Rows made while written follow the kept ones; a table of millions of
// rows is saved, never copied.
TEST_F(PlotMenuTest, MadeRowsAreSavedAndTooManyRowsAreNotCopied) {
    std::size_t made = 2;
    PlotExport source;
    source.name = QStringLiteral("at");
    source.picture = [this]() -> const common::PlotSurface& { return surface; };
    source.data = [&made] {
        common::DataTable t{{"k_ms", "A"}, {{0, 0.5}}};
        t.madeRowCount = made;
        t.makeRow = [](std::size_t k) { return std::vector<double>{k + 1.0, -0.25}; };
        return t;
    };
    PlotView other(40, 30);
    PlotMenu* longMenu = AttachPlotMenu(&other, source);
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("a.csv")));
    longMenu->SaveData();
    EXPECT_EQ(common::ReadWholeFile(dir.File("a.csv")), "k_ms,A\n0,0.5\n1,-0.25\n2,-0.25\n");
    made = 1000000;
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    longMenu->CopyData();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].startsWith("The table has 1000001 rows, too many to copy"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
}

TEST_F(PlotMenuTest, SavesDataAsCsvOrInTheFurtherFormat) {
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("e.csv")));
    menu->SaveData();
    EXPECT_EQ(common::ReadWholeFile(dir.File("e.csv")), "t_ms,E\n10,0.5\n20,-0.25\n");
    EXPECT_TRUE(dialogs.saveQuestions.back().filter.contains("*.edf"));
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("signal")));
    dialogs.saveFilterAnswers.push_back(1);
    menu->SaveData();
    EXPECT_EQ(edfPaths, std::vector<std::string>{dir.File("signal.edf")});
    EXPECT_TRUE(dialogs.errors.isEmpty());
}
