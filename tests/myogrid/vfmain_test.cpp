#include "myogrid/vfmain.h"

#include "common/file_io.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "myogrid/illusion.h"
#include "myogrid/process_starter.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <fstream>

namespace myogrid {
namespace {

using testing_support::FakeDialogs;
using testing_support::ScopedWorkDir;

struct FakeStarter : ProcessStarter {
    struct Call {
        QString program;
        QStringList arguments;
    };
    std::vector<Call> calls;
    int result = 0;
    int Start(const QString& program, const QStringList& arguments) override {
        calls.push_back({program, arguments});
        return result;
    }
};

class Launcher : public ::testing::Test {
protected:
    Launcher() { common::ui::SetApplicationTitle(kApplicationTitle); }

    void Touch(const std::string& path) { std::ofstream(path) << "x"; }

    // A parameter file whose browser and book exist.
    void PrepareFile() {
        QDir(QString::fromStdString(dir.Path())).mkdir("book");
        Touch(browser);
        Touch(book);
        ParameterTable table = ParameterTable::Defaults();
        table.BrowserPath = browser;
        table.BookPath = book;
        table.WriteFile(dir.File("Myogrid.par"));
    }

    ScopedWorkDir dir;
    FakeDialogs dialogs;
    FakeStarter starter;
    std::string browser = dir.File("browser");
    std::string book = dir.File("book/VFtitel.htm");
    QString bookFolder = QString::fromStdString(dir.File("book/"));
};

TEST(ChapterTarget, NumeralAndSectionComeFromTheCaption) {
    EXPECT_EQ(ChapterTarget("chapter IX § 2"), "VF9.HTM#p2");
    EXPECT_EQ(ChapterTarget("chapter VIII § 4"), "VF8.HTM#p4");
    EXPECT_EQ(ChapterTarget("chapter V § 3"), "VF5.HTM#p3");
    EXPECT_EQ(ChapterTarget("chapter XII § 3.2"), "V12.HTM#p3.2");
    EXPECT_EQ(ChapterTarget("chapter XIV § 1"), "V14.HTM#p1");
    EXPECT_EQ(ChapterTarget("chapter xii § 1"), "xii#p1") << "unknown numerals are used as they are";
}

TEST_F(Launcher, ChapterButtonsStartTheBrowserOnTheirChapter) {
    PrepareFile();
    TMainForm form(&starter);
    const std::vector<std::pair<QPushButton*, QString>> cases = {
        {form.ButtonDescr2B, "VF9.HTM#p2"},   {form.ButtonIllusion, "VF8.HTM#p4"},
        {form.ButtonDescr1A, "VF5.HTM#p3"},   {form.ButtonDescr0, "V12.HTM#p3.2"},
        {form.ButtonDescr1B, "V12.HTM#p3.3"}, {form.ButtonDescr1C, "V12.HTM#p3.5"},
        {form.ButtonDescr2A, "V12.HTM#p3.6"}, {form.ButtonDescr3, "V12.HTM#p3.7"},
    };
    for (const auto& [button, target] : cases) {
        starter.calls.clear();
        button->click();
        ASSERT_EQ(starter.calls.size(), 1u) << target.toStdString();
        EXPECT_EQ(starter.calls[0].program, QString::fromStdString(browser));
        EXPECT_EQ(starter.calls[0].arguments, QStringList{bookFolder + target});
    }
    starter.calls.clear();
    form.ButtonFractal->click();
    ASSERT_EQ(starter.calls.size(), 1u);
    EXPECT_EQ(starter.calls[0].program, "LTURTL.EXE");
    EXPECT_EQ(starter.calls[0].arguments, QStringList{"VF_ECG.LTL"});

    // A program that does not start is reported with its code.
    starter.result = 5;
    form.ButtonDescr3->click();
    EXPECT_EQ(dialogs.errors, QStringList{"Error executing program. Error code: 5."});
    EXPECT_EQ(dialogs.errorTitles, QStringList{"models of ventriculat fibrillation"});
}

TEST_F(Launcher, ReadTheBookOpensTheTitlePageFoundUnderEitherName) {
    PrepareFile();
    TMainForm form(&starter);
    form.ButtonRead->click();
    ASSERT_EQ(starter.calls.size(), 1u);
    // Only "VFtitel.htm" exists here; the lower-case name would not be found.
    EXPECT_EQ(starter.calls[0].arguments, QStringList{QString::fromStdString(book)});
    Touch(dir.File("book/vftitel.htm"));
    form.ButtonRead->click();
    EXPECT_EQ(starter.calls[1].arguments, QStringList{bookFolder + "vftitel.htm"});
}

TEST_F(Launcher, WithoutBrowserReadTheBookReportsAndChaptersDoNothing) {
    // No file, both questions cancelled: empty paths. The real starter.
    TMainForm form;
    ASSERT_EQ(dialogs.openQuestions.size(), 2u);
    form.ButtonDescr2B->click();
    form.ButtonIllusion->click();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    form.ButtonRead->click();
    EXPECT_EQ(dialogs.errors, QStringList{"Error executing program. Error code: 2."});
}

TEST_F(Launcher, MissingFractalProgramReportsCodeTwo) {
    PrepareFile();
    TMainForm form;
    form.ButtonFractal->click();
    EXPECT_EQ(dialogs.errors, QStringList{"Error executing program. Error code: 2."});
    EXPECT_TRUE(form.TimerGeneral->isActive()) << "the launcher stays as it was";
}

TEST_F(Launcher, StartWithoutFileAsksTakesDefaultsAndExitOffersToSave) {
    QDir(QString::fromStdString(dir.Path())).mkdir("book");
    Touch(browser);
    Touch(book);
    dialogs.openAnswers = {QString::fromStdString(browser), QString::fromStdString(book)};
    {
        TMainForm form(&starter);
        ASSERT_EQ(dialogs.openQuestions.size(), 2u);
        EXPECT_EQ(dialogs.openQuestions[0].title, "Your favorite Internet Browser to read information");
        EXPECT_EQ(dialogs.openQuestions[0].filter, "All Files|*.*");
        EXPECT_EQ(dialogs.openQuestions[1].title, "Indicate place of VFtitel.htm");
        EXPECT_FALSE(form.MustClose());
        ParameterTable expected = ParameterTable::Defaults();
        expected.BrowserPath = browser;
        expected.BookPath = book;
        EXPECT_EQ(form.Table(), expected);

        int closed = 0;
        QObject::connect(&form, &TMainForm::Closed, [&] { ++closed; });
        form.show();
        dialogs.saveAnswers = {QString::fromStdString(dir.File("Myogrid.par"))};
        form.ButtonExit->click();
        ASSERT_EQ(dialogs.saveQuestions.size(), 1u);
        EXPECT_EQ(dialogs.saveQuestions[0].proposedName, "Myogrid.par");
        EXPECT_EQ(closed, 1);
        EXPECT_FALSE(form.isVisible());
    }
    // The next start reads the same table and asks nothing.
    TMainForm again(&starter);
    EXPECT_EQ(dialogs.openQuestions.size(), 2u);
    EXPECT_FALSE(again.Table().ParametersChanged);
    EXPECT_EQ(again.Table().Value(Param::Diversity), "0.5");
    ParameterTable expected = ParameterTable::Defaults();
    expected.BrowserPath = browser;
    expected.BookPath = book;
    EXPECT_EQ(again.Table(), expected);
    // Nothing changed: "exit" does not ask.
    again.ButtonExit->click();
    EXPECT_EQ(dialogs.saveQuestions.size(), 1u);
}

TEST_F(Launcher, MissingBookAsksOnlyForTheBookAndExitOffersToSave) {
    PrepareFile();
    QFile::remove(QString::fromStdString(book));
    TMainForm form(&starter);
    ASSERT_EQ(dialogs.openQuestions.size(), 1u);
    EXPECT_EQ(dialogs.openQuestions[0].title, "Indicate place of VFtitel.htm");
    form.ButtonExit->click();
    EXPECT_EQ(dialogs.saveQuestions.size(), 1u) << "cancelled: nothing written, program ends";
}

TEST_F(Launcher, BadLineIsReportedAndEndsTheProgram) {
    PrepareFile();
    std::string text = common::ReadWholeFile(dir.File("Myogrid.par"));
    text.replace(text.find("threshold="), 10, "treshold=");
    std::ofstream(dir.File("Myogrid.par"), std::ios::binary) << text;
    TMainForm form(&starter);
    EXPECT_EQ(dialogs.errors, QStringList{"Error in Myogrid.par!"});
    EXPECT_TRUE(form.MustClose());
    EXPECT_FALSE(form.TimerGeneral->isActive());
    EXPECT_EQ(form.Table().Value(Param::Excited), "4") << "the rest of the file was read";
}

TEST_F(Launcher, ClosingByTheFrameOffersTheSameSave) {
    TMainForm form(&starter);  // no file: the table changed
    int closed = 0;
    QObject::connect(&form, &TMainForm::Closed, [&] { ++closed; });
    form.show();
    // A file that cannot be written keeps the launcher open.
    dialogs.saveAnswers = {QString::fromStdString(dir.File("no/such/folder/Myogrid.par"))};
    form.close();
    EXPECT_EQ(dialogs.saveQuestions.size(), 1u);
    EXPECT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(closed, 0);
    // Cancelling the dialog still ends the program.
    form.close();
    EXPECT_EQ(dialogs.saveQuestions.size(), 2u);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("Myogrid.par"))));
}

TEST_F(Launcher, IllusionStopsTheAnimationWhichGoesOnWithoutAJump) {
    PrepareFile();
    TMainForm form(&starter);
    TFormIllusion illusion;
    form.SetIllusionWindow(&illusion);
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Animation().Clock() >= 50; }, 5000));
    form.ButtonModelIllusion->click();
    EXPECT_FALSE(form.TimerGeneral->isActive());
    EXPECT_TRUE(illusion.isVisible());
    EXPECT_TRUE(illusion.Timer1->isActive());
    const std::int32_t stood = form.Animation().Clock();
    QTest::qWait(150);
    EXPECT_EQ(form.Animation().Clock(), stood);
    illusion.ButtonExit->click();
    EXPECT_TRUE(form.TimerGeneral->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.Animation().Clock() > stood; }, 5000));
    // The picture is exactly that of an animation that never stopped.
    TitleAnimation reference;
    while (reference.Clock() < form.Animation().Clock()) reference.Tick();
    EXPECT_EQ(form.Animation().Surface().Image(), reference.Surface().Image());
    EXPECT_EQ(form.ImageAnimation->Image(), reference.Surface().Image());
}

}  // namespace
}  // namespace myogrid
