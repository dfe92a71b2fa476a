// The small helpers the windows share: placing a window, loading its
// introduction text, and putting state back when a scope ends.
#include <gtest/gtest.h>

#include <QFile>
#include <QTextEdit>
#include <QWidget>
#include <fstream>
#include <stdexcept>

#include "common/errors.h"
#include "common/ui/introduction_text.h"
#include "common/ui/scope_exit.h"
#include "common/ui/window_placement.h"
#include "support/work_dir.h"

namespace {

TEST(WindowPlacement, CentresInTheAreaWholePixelsLeftAndUp) {
    using common::ui::CentredIn;
    EXPECT_EQ(CentredIn(QRect(0, 0, 1280, 1024), QSize(644, 489)), QPoint(318, 267));
    EXPECT_EQ(CentredIn(QRect(0, 0, 1280, 1024), QSize(591, 311)), QPoint(344, 356));
    EXPECT_EQ(CentredIn(QRect(100, 50, 200, 100), QSize(200, 100)), QPoint(100, 50));
    // A window larger than the area overhangs it on every side alike.
    EXPECT_EQ(CentredIn(QRect(0, 0, 100, 100), QSize(300, 100)), QPoint(-100, 0));
}

TEST(WindowPlacement, CentresOverAnotherWindow) {
    QWidget other;
    other.setGeometry(200, 100, 400, 300);
    QWidget window;
    window.resize(100, 50);
    common::ui::CentreOver(window, other);
    EXPECT_EQ(window.geometry().center(), other.frameGeometry().center());
    common::ui::CentreOnScreen(window);
    EXPECT_EQ(window.size(), QSize(100, 50)) << "only moved";
}

TEST(IntroductionText, LoadsTheFileAndStartsAtTheTop) {
    testing_support::ScopedWorkDir dir;
    std::ofstream(dir.File("intro.rtf")) << "{\\rtf1 {\\b Welcome}\\par second line\\par}";
    QTextEdit view;
    view.setPlainText(QStringLiteral("before"));
    common::ui::LoadIntroduction(view, "intro.rtf");
    EXPECT_EQ(view.toPlainText(), "Welcome\nsecond line\n");
    EXPECT_EQ(view.textCursor().position(), 0);
    EXPECT_EQ(view.document()->defaultFont(), view.font());
}

TEST(IntroductionText, AMissingFileFailsWithItsNameAndKeepsTheText) {
    testing_support::ScopedWorkDir dir;
    QTextEdit view;
    view.setPlainText(QStringLiteral("before"));
    try {
        common::ui::LoadIntroduction(view, "V13.rtf");
        FAIL() << "no failure";
    } catch (const common::AppError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file V13.rtf");
    }
    EXPECT_EQ(view.toPlainText(), "before");
}

TEST(ScopeExit, RunsOnReturnAndOnExceptionAndSwallowsItsOwnFailure) {
    int runs = 0;
    {
        const common::ui::ScopeExit done([&] { ++runs; });
    }
    EXPECT_EQ(runs, 1);
    try {
        const common::ui::ScopeExit done([&] { ++runs; });
        throw std::runtime_error("work failed");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "work failed") << "the work's failure passes on";
    }
    EXPECT_EQ(runs, 2);
    EXPECT_NO_THROW(
        { const common::ui::ScopeExit failing([] { throw std::runtime_error("x"); }); });
}

}  // namespace
