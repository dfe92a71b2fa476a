// The analysis window opened from the main window's two buttons.
#include "ecgtrace/power_at.h"

#include "common/errors.h"
#include "ecgtrace/model/analysis_plots.h"
#include "support/jpeg_maker.h"
#include "window_test_support.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QTabWidget>
#include <QTextDocument>
#include <QTextEdit>

namespace {

using ecgtrace::TFormPower;
using ecgtrace::TMainForm;

using testing_support::MakeJpeg;

void WriteBytes(const std::string& path, const std::string& bytes) {
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

class AnalysisWindow : public testing_support::EcgtraceWindowTest {
protected:
    void OpenBoth() {
        main = Open();
        power = std::make_unique<TFormPower>(main->Model());
        power->SetPowerAtButton(main->ButtonPowerAt());
        main->SetAnalysisActions([this] { power->OpenFromEt(); }, [this] { power->OpenFromAt(); });
    }
    QTabWidget* Pages() { return Find<QTabWidget>(*power, "PageControl"); }
    // A page chosen as the user chooses it.
    void Select(int page) { Pages()->setCurrentIndex(page); }
    bool Shown(const char* button) { return !Button(*power, button)->isHidden(); }
    QImage Expected(std::int32_t g1, std::int32_t g2) {
        common::PlotSurface s(ecgtrace::kImagePowerWidth, ecgtrace::kImagePowerHeight);
        ecgtrace::DrawPowerSpectrum(main->Model(), g1, g2, s);
        return s.Image();
    }

    std::unique_ptr<TMainForm> main;
    std::unique_ptr<TFormPower> power;
};

TEST_F(AnalysisWindow, CreatedHiddenWithItsPagesAndControls) {
    OpenBoth();
    EXPECT_FALSE(power->isVisible());
    EXPECT_EQ(power->windowTitle(), "signal analysis");
    EXPECT_EQ(power->size(), QSize(670, 400));
    ASSERT_EQ(Pages()->count(), 5);
    const char* captions[] = {"introduction", "histogram", "correlation", "power spectrum",
                              "cross phase spectrum"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(Pages()->tabText(i), captions[i]);
    EXPECT_EQ(Pages()->geometry(), QRect(16, 16, 633, 329));
    EXPECT_EQ(Plot(*power, "ImageHist")->geometry(), QRect(24, 40, 210, 200));
    EXPECT_EQ(Plot(*power, "ImageRealCorr")->geometry(), QRect(272, 24, 230, 250));
    EXPECT_EQ(Button(*power, "ButtonRep")->geometry(), QRect(32, 264, 209, 25));
    EXPECT_EQ(Button(*power, "ButtonRep")->text(), "show repetition effect");
    EXPECT_EQ(Button(*power, "Button412")->text(), "fig. 4.12");
    EXPECT_EQ(Button(*power, "Button102")->geometry(), QRect(480, 168, 41, 25));
    EXPECT_TRUE(main->ButtonPowerAt()->isEnabled());
}

TEST_F(AnalysisWindow, OpenFromGroupWithoutCrossGroup) {
    OpenBoth();
    main->ButtonPowerAt()->click();
    EXPECT_TRUE(power->isVisible());
    EXPECT_EQ(power->windowTitle(), "Signal analysis of At(1)");
    EXPECT_EQ(power->AnalysedIndex(), 1);
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_FALSE(Pages()->isTabVisible(4));
    // A clear flag is set by the opening: "with repetition" on the plot.
    EXPECT_TRUE(main->Model().RepetitionFlag[1]);
    EXPECT_EQ(Button(*power, "ButtonRep")->text(), "remove repetition effect");
    EXPECT_TRUE(Button(*power, "ButtonRep")->isEnabled());
    EXPECT_EQ(Plot(*power, "ImagePower")->Image(), Expected(1, 1));
    EXPECT_FALSE(Plot(*power, "ImageHist")->Image().isNull());
    EXPECT_TRUE(Find<QTextEdit>(*power, "RichEdit2")->toPlainText().contains("histogram"));
    for (const char* b : {"Button43", "Button45", "Button46", "Button47", "Button410", "Button412",
                          "Button413", "Button414", "Button714"})
        EXPECT_TRUE(Shown(b)) << b;
    for (const char* b : {"Button102", "Button48", "Button104", "Button103"}) EXPECT_FALSE(Shown(b)) << b;
    EXPECT_TRUE(main->ButtonPowerAt()->isEnabled());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
    // Reopening replaces the text; nothing piles up behind the box.
    auto* text = Find<QTextEdit>(*power, "RichEdit2");
    const auto documents = text->findChildren<QTextDocument*>().size();
    const int blocks = text->document()->blockCount();
    for (int i = 0; i < 3; ++i) main->ButtonPowerAt()->click();
    EXPECT_EQ(text->findChildren<QTextDocument*>().size(), documents);
    EXPECT_EQ(text->document()->blockCount(), blocks);
    EXPECT_FALSE(text->document()->isUndoAvailable());
}

TEST_F(AnalysisWindow, OpenFromGroupAgainstCrossGroupShowsCrossPhase) {
    OpenBoth();
    SpinUp(Spin(*main, "SpinEditCrossg"));
    main->ButtonPowerAt()->click();
    EXPECT_EQ(power->windowTitle(), "Signal analysis of At(1) versus At(2)");
    EXPECT_TRUE(Pages()->isTabVisible(4));
    EXPECT_EQ(Plot(*power, "ImagePower")->Image(), Expected(1, 2));
    main->Model().RepetitionFlag[1] = 0;
    Select(4);
    EXPECT_TRUE(main->Model().RepetitionFlag[1]);
    EXPECT_EQ(Button(*power, "ButtonRep")->text(), "remove repetition effect");
    EXPECT_FALSE(Plot(*power, "ImagePhase")->Image().isNull());
    // Choosing the same group again hides the page at the next switch.
    SpinDown(Spin(*main, "SpinEditCrossg"));
    Select(3);
    EXPECT_FALSE(Pages()->isTabVisible(4));
}

TEST_F(AnalysisWindow, OpenFromSumSignal) {
    OpenBoth();
    Tabs(*main)->setCurrentIndex(1);
    Button(*main, "ButtonEtAnalysis")->click();
    const auto& m = main->Model();
    EXPECT_TRUE(power->isVisible());
    EXPECT_EQ(power->windowTitle(), "Signal analysis of E(t)");
    EXPECT_EQ(power->AnalysedIndex(), 0);
    EXPECT_FALSE(m.RepetitionFlag[0]);
    for (int g = 1; g <= m.GroupCount; ++g) EXPECT_TRUE(m.RepetitionFlag[g]) << g;
    EXPECT_EQ(Button(*power, "ButtonRep")->text(), "show repetition effect");
    EXPECT_FALSE(Button(*power, "ButtonRep")->isEnabled());
    EXPECT_FALSE(Pages()->isTabVisible(4));
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_EQ(Plot(*power, "ImagePower")->Image(), Expected(0, 0));
    for (const char* b : {"Button102", "Button48", "Button104", "Button103", "Button714"})
        EXPECT_TRUE(Shown(b)) << b;
    for (const char* b : {"Button43", "Button45", "Button46", "Button47", "Button410", "Button412",
                          "Button413", "Button414"})
        EXPECT_FALSE(Shown(b)) << b;
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
}

TEST_F(AnalysisWindow, EachVisitOfPowerPageFlipsRepetitionOnlyWhenUserSelects) {
    OpenBoth();
    main->ButtonPowerAt()->click();
    auto& flag = main->Model().RepetitionFlag[1];
    ASSERT_TRUE(flag);
    Select(3);
    EXPECT_FALSE(flag);
    EXPECT_EQ(Button(*power, "ButtonRep")->text(), "show repetition effect");
    EXPECT_EQ(Plot(*power, "ImagePower")->Image(), Expected(1, 1));
    Select(1);
    EXPECT_FALSE(flag);
    Select(3);
    EXPECT_TRUE(flag);
    Button(*power, "ButtonRep")->click();
    EXPECT_FALSE(flag);
    // Reopening moves to the first page from code: only the opening flips.
    main->ButtonPowerAt()->click();
    EXPECT_TRUE(flag);
    EXPECT_EQ(Pages()->currentIndex(), 0);
    Select(2);
    EXPECT_FALSE(Plot(*power, "ImageCorrel")->Image().isNull());
}

TEST_F(AnalysisWindow, MissingIntroductionReportedOnceAndWindowStillOpens) {
    QFile::remove(QString::fromStdString(dir.File("V13b.rtf")));
    OpenBoth();
    Tabs(*main)->setCurrentIndex(1);
    Button(*main, "ButtonEtAnalysis")->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Cannot open file V13b.rtf.");
    EXPECT_TRUE(power->isVisible());
    EXPECT_EQ(Plot(*power, "ImagePower")->Image(), Expected(0, 0));

    Tabs(*main)->setCurrentIndex(3);
    main->ButtonPowerAt()->click();
    EXPECT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(main->ButtonPowerAt()->isEnabled());
    EXPECT_EQ(power->windowTitle(), "Signal analysis of At(1)");
}

TEST_F(AnalysisWindow, ExitHidesAndClickCopiesYellowAsWhite) {
    OpenBoth();
    main->ButtonPowerAt()->click();
    QApplication::clipboard()->clear();
    QTest::mouseClick(Plot(*power, "ImageHist"), Qt::LeftButton, {}, QPoint(5, 5));
    const QImage plot = Plot(*power, "ImageHist")->Image();
    const QImage copy = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copy.size(), plot.size());
    for (int y = 0; y < copy.height(); y += 3)
        for (int x = 0; x < copy.width(); x += 3) {
            const bool yellow = (plot.pixel(x, y) & 0xFFFFFF) == 0xFFFF00;
            ASSERT_EQ(copy.pixel(x, y) & 0xFFFFFF, yellow ? 0xFFFFFFu : 0u) << x << "," << y;
        }
    Button(*power, "ButtonExit")->click();
    EXPECT_FALSE(power->isVisible());
}

TEST_F(AnalysisWindow, BookFiguresDecodedAndBrokenFilesRefused) {
    OpenBoth();
    main->ButtonPowerAt()->click();
    QPushButton* fig = Button(*power, "Button43");
    auto* image = Plot(*power, "ImageRealHist");

    fig->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Cannot open file Fig4-3.jpg.");
    EXPECT_TRUE(image->Image().isNull());

    const std::string good = MakeJpeg(64, 48);
    WriteBytes(dir.File("Fig4-3.jpg"), good);
    fig->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    const QImage shown = image->Image();
    ASSERT_EQ(shown.size(), QSize(64, 48));
    const QRgb left = shown.pixel(10, 24), right = shown.pixel(54, 24);
    EXPECT_GT(qRed(left), 230);
    EXPECT_LT(qBlue(left), 30);
    EXPECT_GT(qBlue(right), 230);
    EXPECT_LT(qRed(right), 30);

    // Truncated and corrupt files: an error box, the picture kept.
    WriteBytes(dir.File("Fig4-3.jpg"), good.substr(0, good.size() / 2));
    fig->click();
    EXPECT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(dialogs.errors.last().startsWith("Fig4-3.jpg: ")) << dialogs.errors.last().toStdString();
    EXPECT_EQ(image->Image(), shown);
    std::string corrupt = good;
    for (size_t i = 2; i < 40 && i < corrupt.size(); ++i) corrupt[i] = '\x55';
    WriteBytes(dir.File("Fig4-3.jpg"), corrupt);
    fig->click();
    EXPECT_EQ(dialogs.errors.size(), 3);
    EXPECT_EQ(image->Image(), shown);
    WriteBytes(dir.File("Fig4-3.jpg"), "not a picture at all");
    fig->click();
    EXPECT_EQ(dialogs.errors.size(), 4);
    EXPECT_EQ(image->Image(), shown);
}

}  // namespace
