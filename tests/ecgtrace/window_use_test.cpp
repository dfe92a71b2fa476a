// Both windows used as a reader uses them: what is seen first, what repeats.
#include "ecgtrace/power_at.h"
#include "ecgtrace/vf_main.h"

#include "window_test_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>
#include <memory>

namespace {

using ecgtrace::TFormPower;
using ecgtrace::TMainForm;

class WindowUse : public testing_support::EcgtraceWindowTest {
protected:
    void OpenBoth() {
        main = Open();
        power = std::make_unique<TFormPower>(main->Model());
        power->SetPowerAtButton(main->ButtonPowerAt());
        main->SetAnalysisActions([this] { power->OpenFromEt(); }, [this] { power->OpenFromAt(); });
    }
    // A text box shows the beginning of its text: caret and view at the top.
    static void ExpectAtStart(QWidget& window, const char* name) {
        auto* box = window.findChild<QTextEdit*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        ASSERT_GT(box->document()->characterCount(), 100) << name << " holds the introduction";
        EXPECT_EQ(box->textCursor().position(), 0) << name;
        EXPECT_EQ(box->verticalScrollBar()->value(), 0) << name;
    }

    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TFormPower> power;
};

TEST_F(WindowUse, IntroductionsAreReadFromTheirBeginning) {
    OpenBoth();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    ExpectAtStart(*main, "RichEdit1");

    // The analysis text, on its first opening and on a later one.
    main->ButtonPowerAt()->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(power.get()));
    ExpectAtStart(*power, "RichEdit2");
    power->findChild<QTextEdit*>(QStringLiteral("RichEdit2"))->verticalScrollBar()->setValue(50);
    Button(*main, "ButtonEtAnalysis")->click();
    QApplication::processEvents();
    ExpectAtStart(*power, "RichEdit2");
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
}

}  // namespace
