// The analysis window opened from the main window's two buttons.
#include "ecgtrace/analysis_window.h"

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
        power = AnalysisOf(*main);
        power->SetGroupAnalysisButton(main->GroupAnalysisButton());
        main->SetAnalysisActions([this] { power->OpenFromSumSignal(); },
                                 [this] { power->OpenFromGroup(); });
    }
    QTabWidget* Pages() { return Find<QTabWidget>(*power, "analysisTabs"); }
    // A page chosen as the user chooses it.
    void Select(int page) { Pages()->setCurrentIndex(page); }
    bool Shown(const char* button) { return !Button(*power, button)->isHidden(); }
    QImage Expected(std::int32_t g1, std::int32_t g2) {
        common::PlotSurface s(ecgtrace::kPowerPlotWidth, ecgtrace::kPowerPlotHeight);
        ecgtrace::DrawPowerSpectrum(main->Model(), g1, g2, s);
        return s.Image();
    }

    std::unique_ptr<ecgtrace::MainWindow> main;
    std::unique_ptr<ecgtrace::AnalysisWindow> power;
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
    EXPECT_EQ(Plot(*power, "histogramPlot")->geometry(), QRect(24, 40, 210, 200));
    EXPECT_EQ(Plot(*power, "correlationFigure")->geometry(), QRect(272, 24, 230, 250));
    EXPECT_EQ(Button(*power, "repetitionButton")->geometry(), QRect(32, 264, 209, 25));
    EXPECT_EQ(Button(*power, "repetitionButton")->text(), "show repetition effect");
    EXPECT_EQ(Button(*power, "figure4_12Button")->text(), "fig. 4.12");
    EXPECT_EQ(Button(*power, "figure10_2Button")->geometry(), QRect(480, 168, 41, 25));
    EXPECT_TRUE(main->GroupAnalysisButton()->isEnabled());
}

TEST_F(AnalysisWindow, OpenFromGroupWithoutCrossGroup) {
    OpenBoth();
    main->GroupAnalysisButton()->click();
    EXPECT_TRUE(power->isVisible());
    EXPECT_EQ(power->windowTitle(), "Signal analysis of At(1)");
    EXPECT_EQ(power->AnalysedIndex(), 1);
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_FALSE(Pages()->isTabVisible(4));
    // A clear flag is set by the opening: "with repetition" on the plot.
    EXPECT_TRUE(main->Model().WithRepetition(1));
    EXPECT_EQ(Button(*power, "repetitionButton")->text(), "remove repetition effect");
    EXPECT_TRUE(Button(*power, "repetitionButton")->isEnabled());
    EXPECT_EQ(Plot(*power, "powerPlot")->Image(), Expected(1, 1));
    EXPECT_FALSE(Plot(*power, "histogramPlot")->Image().isNull());
    EXPECT_TRUE(Find<QTextEdit>(*power, "introductionText")->toPlainText().contains("histogram"));
    for (const char* b : {"figure4_3Button", "figure4_5Button", "figure4_6Button",
                          "figure4_7Button", "figure4_10Button", "figure4_12Button",
                          "figure4_13Button", "figure4_14Button", "figure7_14Button"})
        EXPECT_TRUE(Shown(b)) << b;
    for (const char* b :
         {"figure10_2Button", "figure4_8Button", "figure10_4Button", "figure10_3Button"})
        EXPECT_FALSE(Shown(b)) << b;
    EXPECT_TRUE(main->GroupAnalysisButton()->isEnabled());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
    // Reopening replaces the text; nothing piles up behind the box.
    auto* text = Find<QTextEdit>(*power, "introductionText");
    const auto documents = text->findChildren<QTextDocument*>().size();
    const int blocks = text->document()->blockCount();
    for (int i = 0; i < 3; ++i) main->GroupAnalysisButton()->click();
    EXPECT_EQ(text->findChildren<QTextDocument*>().size(), documents);
    EXPECT_EQ(text->document()->blockCount(), blocks);
    EXPECT_FALSE(text->document()->isUndoAvailable());
}

TEST_F(AnalysisWindow, OpenFromGroupAgainstCrossGroupShowsCrossPhase) {
    OpenBoth();
    SpinUp(Spin(*main, "crossGroupField"));
    main->GroupAnalysisButton()->click();
    EXPECT_EQ(power->windowTitle(), "Signal analysis of At(1) versus At(2)");
    EXPECT_TRUE(Pages()->isTabVisible(4));
    EXPECT_EQ(Plot(*power, "powerPlot")->Image(), Expected(1, 2));
    Button(*power, "repetitionButton")->click();
    ASSERT_FALSE(main->Model().WithRepetition(1));
    Select(4);
    EXPECT_TRUE(main->Model().WithRepetition(1));
    EXPECT_EQ(Button(*power, "repetitionButton")->text(), "remove repetition effect");
    EXPECT_FALSE(Plot(*power, "phasePlot")->Image().isNull());
    // Choosing the same group again hides the page at the next switch.
    SpinDown(Spin(*main, "crossGroupField"));
    Select(3);
    EXPECT_FALSE(Pages()->isTabVisible(4));
}

TEST_F(AnalysisWindow, OpenFromSumSignal) {
    OpenBoth();
    Tabs(*main)->setCurrentIndex(1);
    Button(*main, "sumAnalysisButton")->click();
    const auto& m = main->Model();
    EXPECT_TRUE(power->isVisible());
    EXPECT_EQ(power->windowTitle(), "Signal analysis of E(t)");
    EXPECT_EQ(power->AnalysedIndex(), 0);
    // The sum of the harmonic lines is drawn and said so: caption, button and curve agree.
    for (int g = 0; g <= m.GroupCount(); ++g) EXPECT_TRUE(m.WithRepetition(g)) << g;
    EXPECT_EQ(Button(*power, "repetitionButton")->text(), "remove repetition effect");
    EXPECT_FALSE(Button(*power, "repetitionButton")->isEnabled());
    EXPECT_FALSE(Pages()->isTabVisible(4));
    EXPECT_EQ(Pages()->currentIndex(), 0);
    EXPECT_EQ(Plot(*power, "powerPlot")->Image(), Expected(0, 0));
    for (const char* b : {"figure10_2Button", "figure4_8Button", "figure10_4Button",
                          "figure10_3Button", "figure7_14Button"})
        EXPECT_TRUE(Shown(b)) << b;
    for (const char* b :
         {"figure4_3Button", "figure4_5Button", "figure4_6Button", "figure4_7Button",
          "figure4_10Button", "figure4_12Button", "figure4_13Button", "figure4_14Button"})
        EXPECT_FALSE(Shown(b)) << b;
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
}

TEST_F(AnalysisWindow, EachVisitOfPowerPageFlipsRepetitionOnlyWhenUserSelects) {
    OpenBoth();
    main->GroupAnalysisButton()->click();
    const auto flag = [this] { return main->Model().WithRepetition(1); };
    ASSERT_TRUE(flag());
    Select(3);
    EXPECT_FALSE(flag());
    EXPECT_EQ(Button(*power, "repetitionButton")->text(), "show repetition effect");
    EXPECT_EQ(Plot(*power, "powerPlot")->Image(), Expected(1, 1));
    Select(1);
    EXPECT_FALSE(flag());
    Select(3);
    EXPECT_TRUE(flag());
    Button(*power, "repetitionButton")->click();
    EXPECT_FALSE(flag());
    // Reopening moves to the first page from code: only the opening flips.
    main->GroupAnalysisButton()->click();
    EXPECT_TRUE(flag());
    EXPECT_EQ(Pages()->currentIndex(), 0);
    Select(2);
    EXPECT_FALSE(Plot(*power, "correlationPlot")->Image().isNull());
}

// What the main window showed when the analysis window last acted.
struct Subject {
    bool sumSignal = false;
    int group = 1;
    int cross = 1;
};

class AnalysisFollowsMainWindow : public AnalysisWindow {
protected:
    Subject Now() {
        const auto& m = main->Model();
        return {main->ShowsSumSignal(), m.ActualGroup(), m.CrossGroup()};
    }
    // Caption, button, repetition text, pages and figure buttons all describe
    // the plot on the screen.
    void ExpectAgreement(const Subject& s, const std::string& context) {
        SCOPED_TRACE(context);
        const auto& m = main->Model();
        const int index = s.sumSignal ? 0 : s.group;
        QString caption = s.sumSignal ? QString("Signal analysis of E(t)")
                                      : QString("Signal analysis of At(%1)").arg(s.group);
        if (!s.sumSignal && s.cross != s.group) caption += QString(" versus At(%1)").arg(s.cross);
        EXPECT_EQ(power->windowTitle(), caption);
        EXPECT_EQ(power->AnalysedIndex(), index);
        EXPECT_EQ(Pages()->isTabVisible(4), !s.sumSignal && s.cross != s.group);
        EXPECT_EQ(Shown("figure10_3Button"), s.sumSignal);
        EXPECT_EQ(Shown("figure4_12Button"), !s.sumSignal);
        switch (Pages()->currentIndex()) {
            case 1: {
                common::PlotSurface expected(ecgtrace::kHistogramPlotWidth,
                                             ecgtrace::kHistogramPlotHeight);
                ecgtrace::DrawHistogram(m, index, expected);
                EXPECT_EQ(Plot(*power, "histogramPlot")->Image(), expected.Image());
                break;
            }
            case 3: {
                const bool flag = m.WithRepetition(index) != 0;
                EXPECT_EQ(Button(*power, "repetitionButton")->text(),
                          flag ? "remove repetition effect" : "show repetition effect");
                EXPECT_EQ(Button(*power, "repetitionButton")->isEnabled(), !s.sumSignal);
                EXPECT_EQ(Plot(*power, "powerPlot")->Image(),
                          s.sumSignal ? Expected(0, 0) : Expected(s.group, s.cross));
                break;
            }
            default:
                break;
        }
    }
    // Chooses `page` as the user does: a click on its tab or Ctrl+Tab until
    // it shows.
    bool ChoosePage(int page, bool withKeys) {
        if (!withKeys) {
            Select(page);
            return true;
        }
        // The page may go out of sight on the way, when the window follows the main window.
        for (int i = 0; i < 5 && Pages()->currentIndex() != page && Pages()->isTabVisible(page);
             ++i)
            QTest::keyClick(power.get(), Qt::Key_Tab, Qt::ControlModifier);
        return Pages()->currentIndex() == page;
    }
};

TEST_F(AnalysisFollowsMainWindow, AgreesAfterEveryMainTabGroupAndPageChange) {
    OpenBoth();
    int checked = 0;
    for (bool fromSum : {false, true})
        for (int mainTab : {3, 1})
            for (bool otherGroup : {false, true})
                for (bool withKeys : {false, true})
                    for (int page : {1, 2, 3, 4, 3}) {
                        const std::string context =
                            std::string(fromSum ? "E(t)" : "A(t)") + " opened, main tab " +
                            std::to_string(mainTab) + (otherGroup ? ", g 3" : ", g 1") +
                            (withKeys ? ", keys" : ", mouse") + ", page " + std::to_string(page);
                        // Open from group 1 against 2, or from E(t).
                        TypeAndEnter(Spin(*main, "actualGroupField"), "1");
                        TypeAndEnter(Spin(*main, "crossGroupField"), "2");
                        Tabs(*main)->setCurrentIndex(fromSum ? 1 : 3);
                        Button(*main, fromSum ? "sumAnalysisButton" : "groupAnalysisButton")
                            ->click();
                        power->activateWindow();
                        ASSERT_TRUE(QTest::qWaitForWindowActive(power.get()));
                        ExpectAgreement(Now(), context + ": opened");

                        Tabs(*main)->setCurrentIndex(mainTab);
                        if (otherGroup) {
                            TypeAndEnter(Spin(*main, "actualGroupField"), "3");
                            TypeAndEnter(Spin(*main, "crossGroupField"), "5");
                        }
                        power->activateWindow();
                        ASSERT_TRUE(QTest::qWaitForWindowActive(power.get()));
                        if (!Pages()->isTabVisible(page)) continue;
                        const bool reached = ChoosePage(page, withKeys);
                        ExpectAgreement(Now(), context);
                        ++checked;
                        if (!reached) {
                            EXPECT_FALSE(Pages()->isTabVisible(page)) << context;
                            continue;
                        }
                        if (page == 3) {
                            Button(*power, "repetitionButton")->click();
                            ExpectAgreement(Now(), context + ", repetition button");
                        }
                        ASSERT_TRUE(dialogs.errors.isEmpty())
                            << context << ": " << dialogs.errors.join("|").toStdString();
                    }
    EXPECT_GT(checked, 40);
}

// Opened from A(t), then the main window shows E(t): the repetition switch
// analyses E(t) and builds its spectrum instead of failing.
TEST_F(AnalysisFollowsMainWindow, SumSignalNeverAnalysedBeforeIsBuiltOnFirstUse) {
    OpenBoth();
    Tabs(*main)->setCurrentIndex(3);
    main->GroupAnalysisButton()->click();
    Tabs(*main)->setCurrentIndex(1);
    ASSERT_TRUE(main->Model().Spectrum(0).empty());
    Select(3);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("|").toStdString();
    EXPECT_EQ(power->windowTitle(), "Signal analysis of E(t)");
    ExpectAgreement(Now(), "power page");
    EXPECT_TRUE(main->Model().WithRepetition(0));
    const QImage drawn = Plot(*power, "powerPlot")->Image();
    Select(1);
    Select(3);  // a visit changes neither the state of E(t) nor its picture
    EXPECT_TRUE(main->Model().WithRepetition(0));
    EXPECT_EQ(Plot(*power, "powerPlot")->Image(), drawn);
    ExpectAgreement(Now(), "power page again");
}

// The session alone: the flip of E(t) is decided before anything is drawn,
// and building its spectrum on the way keeps it.
TEST_F(AnalysisWindow, RepetitionFlipTakesEffectBeforeTheDrawing) {
    OpenBoth();
    ecgtrace::SignalSession& session = main->Session();
    const auto& m = session.Model();
    Tabs(*main)->setCurrentIndex(1);
    const ecgtrace::AnalysisSubject subject = main->AnalysedSubject();
    EXPECT_TRUE(subject.sumSignal);
    EXPECT_FALSE(subject.CrossPhaseShown());
    const ecgtrace::PowerSpectrumRows rows = session.ToggleRepetition(subject);
    EXPECT_TRUE(m.WithRepetition(0));
    EXPECT_STREQ(ecgtrace::RepetitionSwitchCaption(m.WithRepetition(0)),
                 "remove repetition effect");
    EXPECT_FALSE(rows.switchable);
    EXPECT_TRUE(m.WithRepetition(0));  // kept as flipped while row 0 was built
    EXPECT_EQ(m.Spectrum(0).size(), 51u);
}

TEST(AnalysisWindowPlace, BesideTheMainWindowElseClearOfItsControls) {
    // Frames as a window manager draws them: 670 x 400 inside 8 + 29 px.
    const QSize own(678, 437);
    const QRect screen(0, 0, 1280, 1024);
    const QRect centred(287, 289, 705, 445);
    struct Case {
        const char* name;
        QRect main;
        int controlsLeft;  // from the main frame's left
        QRect screen;
        QPoint expected;
        int coveredWidth;  // of the controls' column
    };
    const Case cases[] = {
        {"room on the right", {0, 0, 705, 445}, 384, {0, 0, 1920, 1080}, {705, 0}, 0},
        {"room only on the left", {1000, 0, 705, 445}, 384, {0, 0, 1920, 1080}, {322, 0}, 0},
        {"room above", {0, 579, 705, 445}, 384, screen, {0, 142}, 0},
        // Centred on 1280 x 1024: lower left, over the pictures of the
        // equations and the mere edge of the E(t) column.
        {"centred", centred, 384, screen, {0, 1024 - 437}, 7},
        {"screen too small", {0, 0, 705, 445}, 384, {0, 0, 640, 480}, {5, 5}, 0},
    };
    for (const Case& c : cases) {
        const int controlsLeft = c.main.left() + c.controlsLeft;
        const QPoint place =
            ecgtrace::AnalysisWindowPlace(c.main, controlsLeft, own, c.screen, {5, 5});
        EXPECT_EQ(place, c.expected) << c.name;
        if (c.expected == QPoint(5, 5)) continue;
        const QRect frame(place, own);
        EXPECT_TRUE(c.screen.contains(frame)) << c.name;
        EXPECT_FALSE(frame.intersects(
            QRect(c.main.left(), c.main.top(), c.main.width(), ecgtrace::kMainTabBarClearance)))
            << c.name;
        const QRect controls =
            frame.intersected(QRect(QPoint(controlsLeft, c.main.top()), c.main.bottomRight()));
        EXPECT_EQ(controls.isEmpty() ? 0 : controls.width(), c.coveredWidth) << c.name;
    }
}

TEST_F(AnalysisWindow, ReopenedWhereTheUserLeftIt) {
    OpenBoth();
    Tabs(*main)->setCurrentIndex(1);
    Button(*main, "sumAnalysisButton")->click();
    power->move(40, 50);
    Button(*power, "exitButton")->click();
    Tabs(*main)->setCurrentIndex(3);
    main->GroupAnalysisButton()->click();
    EXPECT_EQ(power->pos(), QPoint(40, 50));
}

TEST_F(AnalysisWindow, MissingIntroductionReportedOnceAndWindowStillOpens) {
    QFile::remove(QString::fromStdString(dir.File("V13b.rtf")));
    OpenBoth();
    Tabs(*main)->setCurrentIndex(1);
    Button(*main, "sumAnalysisButton")->click();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Cannot open file V13b.rtf.");
    EXPECT_TRUE(power->isVisible());
    EXPECT_EQ(Plot(*power, "powerPlot")->Image(), Expected(0, 0));

    Tabs(*main)->setCurrentIndex(3);
    main->GroupAnalysisButton()->click();
    EXPECT_EQ(dialogs.errors.size(), 2);
    EXPECT_TRUE(main->GroupAnalysisButton()->isEnabled());
    EXPECT_EQ(power->windowTitle(), "Signal analysis of At(1)");
}

TEST_F(AnalysisWindow, ExitHidesAndClickCopiesYellowAsWhite) {
    OpenBoth();
    main->GroupAnalysisButton()->click();
    QApplication::clipboard()->clear();
    QTest::mouseClick(Plot(*power, "histogramPlot"), Qt::LeftButton, {}, QPoint(5, 5));
    const QImage plot = Plot(*power, "histogramPlot")->Image();
    const QImage copy = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(copy.size(), plot.size());
    for (int y = 0; y < copy.height(); y += 3)
        for (int x = 0; x < copy.width(); x += 3) {
            const bool yellow = (plot.pixel(x, y) & 0xFFFFFF) == 0xFFFF00;
            ASSERT_EQ(copy.pixel(x, y) & 0xFFFFFF, yellow ? 0xFFFFFFu : 0u) << x << "," << y;
        }
    Button(*power, "exitButton")->click();
    EXPECT_FALSE(power->isVisible());
}

TEST_F(AnalysisWindow, BookFiguresDecodedAndBrokenFilesRefused) {
    OpenBoth();
    main->GroupAnalysisButton()->click();
    QPushButton* fig = Button(*power, "figure4_3Button");
    auto* image = Plot(*power, "histogramFigure");

    fig->click();
    ASSERT_TRUE(power->Figures().WaitUntilDelivered());
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors[0], "Cannot open file Fig4-3.jpg.");
    EXPECT_TRUE(image->Image().isNull());

    const std::string good = MakeJpeg(64, 48);
    WriteBytes(dir.File("Fig4-3.jpg"), good);
    fig->click();
    ASSERT_TRUE(power->Figures().WaitUntilDelivered());
    ASSERT_EQ(dialogs.errors.size(), 1);
    const QImage shown = image->Image();
    ASSERT_EQ(shown.size(), QSize(64, 48));
    const QRgb left = shown.pixel(10, 24), right = shown.pixel(54, 24);
    EXPECT_GT(qRed(left), 230);
    EXPECT_LT(qBlue(left), 30);
    EXPECT_GT(qBlue(right), 230);
    EXPECT_LT(qRed(right), 30);

    // Truncated, corrupt and foreign files: an error box naming the file, the picture kept.
    std::string corrupt = good;
    for (size_t i = 2; i < 40 && i < corrupt.size(); ++i) corrupt[i] = '\x55';
    for (const std::string& broken :
         {good.substr(0, good.size() / 2), corrupt, std::string("not a picture at all")}) {
        const auto boxes = dialogs.errors.size();
        WriteBytes(dir.File("Fig4-3.jpg"), broken);
        fig->click();
        ASSERT_TRUE(power->Figures().WaitUntilDelivered());
        ASSERT_EQ(dialogs.errors.size(), boxes + 1);
        EXPECT_TRUE(dialogs.errors.last().startsWith("Fig4-3.jpg: "))
            << dialogs.errors.last().toStdString();
        EXPECT_EQ(image->Image(), shown);
    }
}

// Only the latest of quick requests is shown; the one it superseded never
// arrives, not even as an error.
TEST_F(AnalysisWindow, NewerFigureRequestSupersedesTheOlder) {
    OpenBoth();
    main->GroupAnalysisButton()->click();
    WriteBytes(dir.File("Fig4-5.jpg"), MakeJpeg(32, 16));
    Button(*power, "figure4_3Button")->click();  // no such file
    Button(*power, "figure4_5Button")->click();
    ASSERT_TRUE(power->Figures().WaitUntilDelivered());
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(" ").toStdString();
    EXPECT_EQ(Plot(*power, "histogramFigure")->Image().size(), QSize(32, 16));
    EXPECT_FALSE(power->Figures().Busy());
}

}  // namespace
