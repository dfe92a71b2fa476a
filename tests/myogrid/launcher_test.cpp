#include "myogrid/launcher.h"
#include "common/program_folders.h"

#include "common/file_io.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "myogrid/illusion_window.h"
#include "myogrid/process_starter.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QApplication>
#include <QLabel>
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
    bool OpenInDesktopBrowser(const QString& page) override {
        desktopPages.push_back(page);
        return desktopOpens;
    }
    QStringList desktopPages;
    bool desktopOpens = true;
};

class LauncherTest : public ::testing::Test {
protected:
    LauncherTest() { common::ui::SetApplicationTitle(kApplicationTitle); }

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
    EXPECT_EQ(ChapterTarget("chapter xii § 1"), "xii#p1")
        << "unknown numerals are used as they are";
}

TEST_F(LauncherTest, ChapterButtonsStartTheBrowserOnTheirChapter) {
    PrepareFile();
    Launcher form(&starter);
    const std::vector<std::pair<QPushButton*, QString>> cases = {
        {form.relaxationChapterButton, "VF9.HTM#p2"}, {form.illusionChapterButton, "VF8.HTM#p4"},
        {form.blockChapterButton, "VF5.HTM#p3"},      {form.cellChapterButton, "V12.HTM#p3.2"},
        {form.levelOneChapterButton, "V12.HTM#p3.3"}, {form.fractalChapterButton, "V12.HTM#p3.5"},
        {form.levelTwoChapterButton, "V12.HTM#p3.6"}, {form.ventricleChapterButton, "V12.HTM#p3.7"},
    };
    for (const auto& [button, target] : cases) {
        starter.calls.clear();
        button->click();
        ASSERT_EQ(starter.calls.size(), 1u) << target.toStdString();
        EXPECT_EQ(starter.calls[0].program, QString::fromStdString(browser));
        EXPECT_EQ(starter.calls[0].arguments, QStringList{bookFolder + target});
    }
    starter.calls.clear();
    form.fractalButton->click();
    ASSERT_EQ(starter.calls.size(), 1u);
    EXPECT_EQ(starter.calls[0].program, "LTURTL.EXE");
    EXPECT_EQ(starter.calls[0].arguments, QStringList{"VF_ECG.LTL"});

    // A program that does not start is reported with its code.
    starter.result = 5;
    form.ventricleChapterButton->click();
    EXPECT_EQ(dialogs.errors, QStringList{"Error executing program. Error code: 5."});
    EXPECT_EQ(dialogs.errorTitles, QStringList{"models of ventriculat fibrillation"});
}

TEST_F(LauncherTest, ReadTheBookOpensTheTitlePageFoundUnderEitherName) {
    PrepareFile();
    Launcher form(&starter);
    form.readBookButton->click();
    ASSERT_EQ(starter.calls.size(), 1u);
    // Only "VFtitel.htm" exists here; the lower-case name would not be found.
    EXPECT_EQ(starter.calls[0].arguments, QStringList{QString::fromStdString(book)});
    Touch(dir.File("book/vftitel.htm"));
    form.readBookButton->click();
    EXPECT_EQ(starter.calls[1].arguments, QStringList{bookFolder + "vftitel.htm"});
}

TEST_F(LauncherTest, ReadTheBookWithoutTheTitlePageNamesTheFileSought) {
    // No file: both questions cancelled, so the book is sought here.
    Launcher form(&starter);
    form.readBookButton->click();
    EXPECT_TRUE(starter.calls.empty());
    EXPECT_TRUE(starter.desktopPages.isEmpty());
    const QString sought = QDir::current().absoluteFilePath(QStringLiteral("vftitel.htm"));
    EXPECT_EQ(dialogs.errors, QStringList{"Cannot open file " + sought + "."});
}

TEST_F(LauncherTest, WithoutBookChaptersDoNothing) {
    // No file, both questions cancelled: empty paths.
    Launcher form(&starter);
    ASSERT_EQ(dialogs.openQuestions.size(), 2u);
    form.relaxationChapterButton->click();
    form.illusionChapterButton->click();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_TRUE(starter.calls.empty());
    EXPECT_TRUE(starter.desktopPages.isEmpty());
}

TEST_F(LauncherTest, WithoutBrowserTheDesktopsOwnOpensTheBook) {
    PrepareFile();
    ParameterTable table = ParameterTable::Defaults();
    table.BookPath = book;  // the browser question was cancelled
    table.WriteFile(dir.File("Myogrid.par"));
    Launcher form(&starter);
    ASSERT_EQ(dialogs.openQuestions.size(), 1u) << "asked for the browser only";
    form.cellChapterButton->click();
    form.readBookButton->click();
    EXPECT_TRUE(starter.calls.empty());
    EXPECT_EQ(starter.desktopPages,
              (QStringList{bookFolder + "V12.HTM#p3.2", QString::fromStdString(book)}));
    EXPECT_TRUE(dialogs.errors.isEmpty());
    starter.desktopOpens = false;
    form.readBookButton->click();
    EXPECT_EQ(dialogs.errors, QStringList{"Error executing program. Error code: 2."});
}

TEST(LocalPageUrl, KeepsTheAnchorOutOfThePath) {
    EXPECT_EQ(LocalPageUrl("/book/V12.HTM#p3.2").toString(), "file:///book/V12.HTM#p3.2");
    EXPECT_EQ(LocalPageUrl("/my book/vftitel.htm").toLocalFile(), "/my book/vftitel.htm");
}

TEST_F(LauncherTest, NamedParameterFileIsReadShownInTheCaptionAndProposedAtExit) {
    PrepareFile();
    ParameterTable lab = ParameterTable::Defaults();
    lab.BrowserPath = browser;
    lab.BookPath = book;
    lab.Store(Param::Dimension, "7");
    lab.WriteFile(dir.File("lab.par"));
    Launcher form(&starter, nullptr, dir.File("lab.par"));
    EXPECT_EQ(form.Table().Value(Param::Dimension), "7");
    EXPECT_EQ(form.windowTitle(), "ventricular fibrillation models - lab.par");
    form.Table().ParametersChanged = true;
    form.SaveParameterFile();
    ASSERT_FALSE(dialogs.saveQuestions.empty());
    EXPECT_EQ(dialogs.saveQuestions.back().proposedName,
              QString::fromStdString(dir.File("lab.par")));

    Launcher usual(&starter);
    EXPECT_EQ(usual.windowTitle(), "ventricular fibrillation models");
}

TEST_F(LauncherTest, TitlePageShowsTheWorkingFolder) {
    PrepareFile();
    Launcher form(&starter);
    EXPECT_EQ(form.workingFolder->toolTip(), QString::fromStdString(common::WorkingFolder()));
    EXPECT_TRUE(form.workingFolder->text().startsWith("working folder: "));
    EXPECT_LT(form.workingFolder->font().pixelSize(), form.readBookButton->font().pixelSize());
}

TEST_F(LauncherTest, TitlePageNamesTheLicenceBesideNothingElse) {
    PrepareFile();
    Launcher form(&starter);
    form.show();
    QApplication::processEvents();
    auto* licence = form.findChild<QLabel*>(QStringLiteral("licence"));
    ASSERT_NE(licence, nullptr);
    EXPECT_TRUE(licence->text().contains("GNU GPL"));
    EXPECT_TRUE(licence->toolTip().contains("version 3 or later"));
    for (const QWidget* other : licence->parentWidget()->findChildren<QWidget*>()) {
        if (other == licence || !other->isVisible()) continue;
        EXPECT_FALSE(licence->geometry().intersects(other->geometry()))
            << other->objectName().toStdString();
    }
}

TEST_F(LauncherTest, MissingFractalProgramReportsCodeTwo) {
    PrepareFile();
    Launcher form;
    form.fractalButton->click();
    EXPECT_EQ(dialogs.errors, QStringList{"Error executing program. Error code: 2."});
    EXPECT_TRUE(form.animationTimer->isActive()) << "the launcher stays as it was";
}

TEST_F(LauncherTest, StartWithoutFileAsksTakesDefaultsAndExitOffersToSave) {
    QDir(QString::fromStdString(dir.Path())).mkdir("book");
    Touch(browser);
    Touch(book);
    dialogs.openAnswers = {QString::fromStdString(browser), QString::fromStdString(book)};
    {
        Launcher form(&starter);
        ASSERT_EQ(dialogs.openQuestions.size(), 2u);
        EXPECT_EQ(dialogs.openQuestions[0].title,
                  "Your favorite Internet Browser to read information");
        EXPECT_EQ(dialogs.openQuestions[0].filter, "All Files|*.*");
        EXPECT_EQ(dialogs.openQuestions[1].title, "Indicate place of VFtitel.htm");
        ParameterTable expected = ParameterTable::Defaults();
        expected.BrowserPath = browser;
        expected.BookPath = book;
        EXPECT_EQ(form.Table(), expected);

        int closed = 0;
        QObject::connect(&form, &Launcher::Closed, [&] { ++closed; });
        form.show();
        dialogs.saveAnswers = {QString::fromStdString(dir.File("Myogrid.par"))};
        form.exitButton->click();
        ASSERT_EQ(dialogs.saveQuestions.size(), 1u);
        EXPECT_EQ(dialogs.saveQuestions[0].proposedName, "Myogrid.par");
        EXPECT_EQ(closed, 1);
        EXPECT_FALSE(form.isVisible());
    }
    // The next start reads the same table and asks nothing.
    Launcher again(&starter);
    EXPECT_EQ(dialogs.openQuestions.size(), 2u);
    EXPECT_FALSE(again.Table().ParametersChanged);
    EXPECT_EQ(again.Table().Value(Param::Diversity), "0.5");
    ParameterTable expected = ParameterTable::Defaults();
    expected.BrowserPath = browser;
    expected.BookPath = book;
    EXPECT_EQ(again.Table(), expected);
    // Nothing changed: "exit" does not ask.
    again.exitButton->click();
    EXPECT_EQ(dialogs.saveQuestions.size(), 1u);
}

TEST_F(LauncherTest, MissingBookAsksOnlyForTheBookAndExitOffersToSave) {
    PrepareFile();
    QFile::remove(QString::fromStdString(book));
    Launcher form(&starter);
    ASSERT_EQ(dialogs.openQuestions.size(), 1u);
    EXPECT_EQ(dialogs.openQuestions[0].title, "Indicate place of VFtitel.htm");
    form.exitButton->click();
    EXPECT_EQ(dialogs.saveQuestions.size(), 1u) << "cancelled: nothing written, program ends";
}

TEST_F(LauncherTest, BadLinesAreReportedInOneBoxAndTheLauncherOpensWithDefaults) {
    PrepareFile();
    std::string text = common::ReadWholeFile(dir.File("Myogrid.par"));
    text.replace(text.find("threshold="), 10, "treshold=");
    text.replace(text.find("active="), 7, "activ=");
    std::ofstream(dir.File("Myogrid.par"), std::ios::binary) << text;
    Launcher form(&starter);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(
        dialogs.errors[0].startsWith("Error in Myogrid.par!\nline 10: treshold=14\n"
                                     "line 12: activ=170\n"));
    EXPECT_TRUE(form.animationTimer->isActive());
    EXPECT_EQ(form.Table().Value(Param::Threshold), "14");
    EXPECT_EQ(form.Table().Value(Param::Excited), "4") << "the rest of the file was read";
}

TEST_F(LauncherTest, ClosingByTheFrameOffersTheSameSave) {
    Launcher form(&starter);  // no file: the table changed
    int closed = 0;
    QObject::connect(&form, &Launcher::Closed, [&] { ++closed; });
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

TEST_F(LauncherTest, IllusionStopsTheAnimationWhichGoesOnWithoutAJump) {
    PrepareFile();
    Launcher form(&starter);
    IllusionWindow illusion;
    form.SetIllusionWindow(&illusion);
    form.show();
    ASSERT_TRUE(form.animationTimer->isActive());
    for (int i = 0; i < 5; ++i) form.AnimationTick();
    ASSERT_GE(form.Animation().Clock(), 50);
    form.illusionModelButton->click();
    EXPECT_FALSE(form.animationTimer->isActive());
    EXPECT_TRUE(illusion.isVisible());
    EXPECT_TRUE(illusion.stepTimer->isActive());
    const std::int32_t stood = form.Animation().Clock();
    illusion.exitButton->click();
    EXPECT_TRUE(form.animationTimer->isActive());
    EXPECT_EQ(form.Animation().Clock(), stood);
    form.AnimationTick();
    EXPECT_GT(form.Animation().Clock(), stood);
    // The picture is exactly that of an animation that never stopped.
    TitleAnimation reference;
    while (reference.Clock() < form.Animation().Clock()) reference.Tick();
    EXPECT_EQ(form.Animation().Surface().Image(), reference.Surface().Image());
    EXPECT_EQ(form.titlePicture->Image(), reference.Surface().Image());
}

// A user who presses "Save" on the name the dialog proposes.
class ConfirmsProposedName : public testing_support::FakeDialogs {
public:
    std::optional<QString> SaveFileName(QWidget* parent, const QString& title,
                                        const QString& filter,
                                        const QString& proposedName) override {
        FakeDialogs::SaveFileName(parent, title, filter, proposedName);
        return proposedName;
    }
};

struct NoPrograms : ProcessStarter {
    int Start(const QString&, const QStringList&) override { return 0; }
    bool OpenInDesktopBrowser(const QString&) override { return true; }
};

TEST(LauncherExit, SavingUnderTheProposedNameIsReadAtTheNextStart) {
    testing_support::ScopedWorkDir dir;
    ConfirmsProposedName dialogs;
    NoPrograms starter;
    const std::string browser = dir.File("browser");
    const std::string book = dir.File("VFtitel.htm");
    std::ofstream(browser) << "x";
    std::ofstream(book) << "x";
    ParameterTable start = ParameterTable::Defaults();
    start.BrowserPath = browser;
    start.BookPath = book;
    start.WriteFile(dir.File(kParameterFileName));

    {
        Launcher form(&starter);
        ASSERT_TRUE(dialogs.openQuestions.empty());
        // "save parameters" in the model window changed the table.
        form.Table().Store(Param::Dimension, "7");
        form.Table().ParametersChanged = true;
        form.show();
        form.exitButton->click();
        ASSERT_EQ(dialogs.saveQuestions.size(), 1u);
        EXPECT_FALSE(form.isVisible());
    }
    // Only one parameter file in the folder, and the next start reads the
    // saved value from it.
    const QStringList files = QDir::current().entryList({QStringLiteral("*.par")}, QDir::Files,
                                                        QDir::Name | QDir::IgnoreCase);
    EXPECT_EQ(files, QStringList{QString::fromLatin1(kParameterFileName)});
    Launcher again(&starter);
    EXPECT_EQ(again.Table().Value(Param::Dimension), "7");
    EXPECT_FALSE(again.Table().ParametersChanged);
}

// Every caption of the launcher can be read whole on its page.
TEST(LauncherLayout, EveryLabelAndButtonShowsItsWholeText) {
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;  // no file: both questions cancelled
    NoPrograms starter;
    Launcher form(&starter);
    form.show();
    auto checkShownPage = [&](QTabWidget* tabs, int index) {
        tabs->setCurrentIndex(index);
        QApplication::processEvents();
        for (QLabel* label : tabs->currentWidget()->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->wordWrap()) continue;
            for (const QString& line : label->text().split('\n'))
                EXPECT_LE(label->fontMetrics().horizontalAdvance(line),
                          label->contentsRect().width())
                    << line.toStdString();
        }
        for (QPushButton* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
            if (!button->isVisible()) continue;
            // The text plus the frame the style draws around it.
            EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
        }
    };
    for (int i = 0; i < form.tabs->count(); ++i) checkShownPage(form.tabs, i);
    form.tabs->setCurrentWidget(form.levelTabs);
    for (int i = 0; i < form.levelTabs->count(); ++i) checkShownPage(form.levelTabs, i);
    form.levelTabs->setCurrentIndex(1);
    for (int i = 0; i < form.levelOneTabs->count(); ++i) checkShownPage(form.levelOneTabs, i);
}

}  // namespace
}  // namespace myogrid
