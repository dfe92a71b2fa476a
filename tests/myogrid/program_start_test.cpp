#include "myogrid/program_start.h"

#include "common/ui/error_box.h"
#include "myogrid/illusion_window.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/process_starter.h"
#include "myogrid/model_window.h"
#include "myogrid/launcher.h"
#include "myogrid/program_icon.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <fstream>

namespace myogrid {
namespace {

struct NoStarter : ProcessStarter {
    int Start(const QString&, const QStringList&) override { return 0; }
    bool OpenInDesktopBrowser(const QString&) override { return true; }
};

TEST(ProgramStart, CreatesTheWindowsHiddenAndJoinsThem) {
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    NoStarter starter;
    common::ui::SetApplicationTitle("");
    QApplication::setWindowIcon(QIcon());
    const auto windows = CreateMyogridWindows(&starter);
    ASSERT_TRUE(windows);
    const QImage icon = ProgramIconPixmap(32).toImage();
    for (const QWidget* window : std::initializer_list<const QWidget*>{
             windows->launcher.get(), windows->illusion.get(), windows->model.get()})
        EXPECT_EQ(window->windowIcon().pixmap(32).toImage(), icon) << "the program's icon";
    EXPECT_EQ(common::ui::ApplicationTitle(), "models of ventriculat fibrillation");
    EXPECT_EQ(dialogs.openQuestions.size(), 2u) << "no file: browser and book asked for";
    EXPECT_FALSE(windows->launcher->isVisible());
    EXPECT_FALSE(windows->illusion->isVisible());
    EXPECT_FALSE(windows->model->isVisible());

    const std::vector<std::tuple<QPushButton*, QString, ModelKind>> buttons = {
        {windows->launcher->blockModelButton, "Topological model", ModelKind::Topological},
        {windows->launcher->oneOscillatorButton, "one oscillator model", ModelKind::OneOscillator},
        {windows->launcher->coupledOscillatorsButton, "coupled oscillators model",
         ModelKind::CoupledOscillators},
        {windows->launcher->independentOscillatorsButton, "independent oscillators model",
         ModelKind::IndependentOscillators},
    };
    for (const auto& [button, title, kind] : buttons) {
        button->click();
        EXPECT_TRUE(windows->model->isVisible());
        EXPECT_EQ(windows->model->Controls().title->text(), title);
        EXPECT_EQ(windows->model->Kind(), kind);
    }

    windows->launcher->illusionModelButton->click();
    EXPECT_TRUE(windows->illusion->isVisible());
    EXPECT_FALSE(windows->launcher->animationTimer->isActive());
    windows->illusion->close();
    EXPECT_TRUE(windows->launcher->animationTimer->isActive());
    windows->model->hide();
}

TEST(ProgramStart, TruncatedParameterFileShowsOneBoxThenTheDefaults) {
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    NoStarter starter;
    std::ofstream(dir.File("Myogrid.par")) << "[Path]\nBrowser=\nBook=\n";
    const auto windows = CreateMyogridWindows(&starter);
    ASSERT_TRUE(windows);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains("and 29 more lines without their key"))
        << dialogs.errors[0].toStdString();
    EXPECT_EQ(windows->launcher->Table().Value(Param::Period), "4000");
}

TEST(ProgramStart, ParameterFileBoxesStandOverTheLauncher) {
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    NoStarter starter;
    ParameterTable table = ParameterTable::Defaults();
    table.Store(Param::Dimension, "1x2");
    table.WriteFile(dir.File("Myogrid.par"));
    std::string text = table.FileText();
    text.replace(text.find("x nexus="), 1, "X");  // a bad line
    std::ofstream(dir.File("bad.par")) << text;

    const auto windows = CreateMyogridWindows(&starter);
    ASSERT_TRUE(windows);
    Launcher* launcher = windows->launcher.get();
    const QPoint launcherCentre = launcher->geometry().center();
    windows->launcher->blockModelButton->click();
    ASSERT_EQ(dialogs.errors, QStringList{"'1x2' is not a valid integer value."});
    EXPECT_EQ(dialogs.errorParents.back(), launcher);
    EXPECT_FALSE(windows->model->isVisible());

    // At start-up the launcher stands centred before the file is read.
    QFile::remove(QString::fromStdString(dir.File("Myogrid.par")));
    QFile::rename(QString::fromStdString(dir.File("bad.par")),
                  QString::fromStdString(dir.File("Myogrid.par")));
    Launcher failing(&starter);
    ASSERT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors.back().startsWith("Error in Myogrid.par!"));
    EXPECT_EQ(dialogs.errorParents.back(), &failing);
    EXPECT_EQ(dialogs.errorCentres.back(), launcherCentre);
}

}  // namespace
}  // namespace myogrid
