// The launcher's "exit" as a reader uses it: the save dialog confirmed as it
// comes up must write the file that the next start reads.
#include "myogrid/vfmain.h"

#include "myogrid/process_starter.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QPushButton>
#include <fstream>

namespace myogrid {
namespace {

// A user who presses "Save" on the name the dialog proposes.
class ConfirmsProposedName : public testing_support::FakeDialogs {
public:
    std::optional<QString> SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                        const QString& proposedName) override {
        FakeDialogs::SaveFileName(parent, title, filter, proposedName);
        return proposedName;
    }
};

struct NoPrograms : ProcessStarter {
    int Start(const QString&, const QStringList&) override { return 0; }
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
        TMainForm form(&starter);
        ASSERT_TRUE(dialogs.openQuestions.empty());
        // "save parameters" in the model window changed the table.
        form.Table().Store(Param::Dimension, "7");
        form.Table().ParametersChanged = true;
        form.show();
        form.ButtonExit->click();
        ASSERT_EQ(dialogs.saveQuestions.size(), 1u);
        EXPECT_FALSE(form.isVisible());
    }
    // Only one parameter file in the folder, and the next start reads the
    // saved value from it.
    const QStringList files = QDir::current().entryList({QStringLiteral("*.par")}, QDir::Files,
                                                        QDir::Name | QDir::IgnoreCase);
    EXPECT_EQ(files, QStringList{QString::fromLatin1(kParameterFileName)});
    TMainForm again(&starter);
    EXPECT_EQ(again.Table().Value(Param::Dimension), "7");
    EXPECT_FALSE(again.Table().ParametersChanged);
}

}  // namespace
}  // namespace myogrid

namespace myogrid {
namespace {

// Every caption of the launcher can be read whole on its page.
TEST(LauncherLayout, EveryLabelAndButtonShowsItsWholeText) {
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;  // no file: both questions cancelled
    NoPrograms starter;
    TMainForm form(&starter);
    form.show();
    auto checkShownPage = [&](QTabWidget* tabs, int index) {
        tabs->setCurrentIndex(index);
        QApplication::processEvents();
        for (QLabel* label : tabs->currentWidget()->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->wordWrap()) continue;
            for (const QString& line : label->text().split('\n'))
                EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->contentsRect().width())
                    << line.toStdString();
        }
        for (QPushButton* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
            if (!button->isVisible()) continue;
            // The text plus the frame the style draws around it.
            EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
        }
    };
    for (int i = 0; i < form.Notebook->count(); ++i) checkShownPage(form.Notebook, i);
    form.Notebook->setCurrentWidget(form.NotebookLevels);
    for (int i = 0; i < form.NotebookLevels->count(); ++i) checkShownPage(form.NotebookLevels, i);
    form.NotebookLevels->setCurrentIndex(1);
    for (int i = 0; i < form.NotebookLevel1->count(); ++i) checkShownPage(form.NotebookLevel1, i);
}

}  // namespace
}  // namespace myogrid
