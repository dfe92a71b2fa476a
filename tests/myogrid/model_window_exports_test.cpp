// What the model window and the illusion window give out: pictures of their
// plots, the steps behind the time window, and the record of a run, which
// must hold what myogrid-batch --csv prints for the same run.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <algorithm>

#include "common/file_io.h"
#include "common/number_format.h"
#include "common/ui/plot_menu.h"
#include "myogrid/illusion_window.h"
#include "myogrid/engine/run_table.h"
#include "myogrid/model_window_fixture.h"

using namespace myogrid;
using myogrid_support::ModelWindowTest;

namespace {

constexpr std::uint64_t kSeed = 977;

common::ui::PlotMenu* MenuOf(common::ui::PlotView* view) {
    return view->findChild<common::ui::PlotMenu*>();
}

QByteArray BatchOutput(const QStringList& arguments) {
    QProcess batch;
    batch.start(QStringLiteral(MYOGRID_BATCH_PATH), arguments);
    EXPECT_TRUE(batch.waitForFinished(120000));
    EXPECT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    return batch.readAllStandardOutput();
}

class ModelWindowExportTest : public ModelWindowTest {
protected:
    void SetUp() override {
        // A small block keeps the runs short; the batch reads the same file.
        table.Store(Param::Dimension, "5");
        table.Store(Param::Cell2X, "2");
        table.WriteFile(dir.File(kParameterFileName));
        ModelWindowTest::SetUp();
    }
    QCheckBox* Record() const { return Controls().record; }
    // Ticks "record", answering the file question with `name`.
    void StartRecording(const std::string& name) {
        dialogs.saveAnswers.push_back(QString::fromStdString(dir.File(name)));
        Record()->click();
    }
};

}  // namespace

// --- the record of a run ------------------------------------------------------

TEST_F(ModelWindowExportTest, TheRecordOfARunHoldsWhatTheBatchToolPrintsForTheSameSeed) {
    const struct {
        const char* batchName;
        ModelKind kind;
    } runs[] = {{"block", ModelKind::Topological}, {"coupled", ModelKind::CoupledOscillators}};
    constexpr int kSteps = 60;
    for (const auto& run : runs) {
        SCOPED_TRACE(run.batchName);
        const QByteArray expected = BatchOutput(
            {"--model", run.batchName, "--par", QString::fromLatin1(kParameterFileName), "--steps",
             QString::number(kSteps), "--seed", QString::number(kSeed), "--csv"});
        ASSERT_TRUE(expected.startsWith("# seed=977\nmodel_time_ms,trace1,trace2,"));

        ModelWindow window(table, nullptr, &clock);
        ASSERT_TRUE(window.OpenAndShow(QStringLiteral("model"), run.kind));
        // The block takes the seed typed; the oscillators draw nothing, so
        // any seed repeats their run.
        const bool block = run.kind == ModelKind::Topological;
        if (block) QTest::keyClicks(window.Controls().seed, QString::number(kSeed));
        const std::string path = dir.File(std::string(run.batchName) + ".csv");
        dialogs.saveAnswers.push_back(QString::fromStdString(path));
        window.Controls().record->click();
        ASSERT_TRUE(window.Controls().record->isChecked());
        window.CommandBox(Command::Run)->click();  // builds, starts and steps once
        for (int i = 1; i < kSteps; ++i) window.RunTimerTick();
        // Not there until the run halts: no half-written file to be read.
        EXPECT_FALSE(common::FileExists(path));
        window.CommandBox(Command::Run)->click();
        EXPECT_FALSE(window.Controls().record->isChecked());
        const std::string recorded = common::ReadWholeFile(path);
        const auto withoutSeed = [](const std::string& text) {
            return text.substr(text.find('\n') + 1);
        };
        EXPECT_EQ(recorded.substr(0, 7), "# seed=");
        if (block)
            EXPECT_EQ(recorded, expected.toStdString());
        else
            EXPECT_EQ(withoutSeed(recorded), withoutSeed(expected.toStdString()));
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        window.CommandBox(Command::Stop)->click();
    }
}

TEST_F(ModelWindowExportTest, TheRecordIsCompleteWhenTheWindowCloses) {
    Open(ModelKind::OneOscillator);
    StartRecording("closed.csv");
    Click(Command::Run);
    Ticks(4);
    form->close();
    const std::string text = common::ReadWholeFile(dir.File("closed.csv"));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 5);
    EXPECT_EQ(text.substr(0, text.find('\n')), "model_time_ms,trace1,trace2,mean_amplitude");
}

TEST_F(ModelWindowExportTest, CancellingTheFileQuestionLeavesRecordUnticked) {
    Open(ModelKind::OneOscillator);
    Record()->click();
    EXPECT_FALSE(Record()->isChecked());
    EXPECT_EQ(dialogs.saveQuestions.at(0).title, QStringLiteral("record the run"));
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("missing/run.csv")));
    Record()->click();
    EXPECT_FALSE(Record()->isChecked());
    EXPECT_EQ(dialogs.errors.size(), 1);
}

TEST_F(ModelWindowExportTest, UntickingRecordCompletesTheFileAndLaterStepsGoNowhere) {
    const std::string path = dir.File("part.csv");
    common::WriteFileAtomically(path, "former");
    Open(ModelKind::OneOscillator);
    Click(Command::Run);
    StartRecording("part.csv");
    Ticks(3);
    EXPECT_EQ(common::ReadWholeFile(path), "former");
    Record()->click();
    Ticks(3);
    const std::string text = common::ReadWholeFile(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 3);
    EXPECT_TRUE(form->Running());
}

TEST_F(ModelWindowExportTest, TheRecordBoxStandsClearOfEveryOtherControl) {
    const QRect box = Record()->geometry();
    EXPECT_TRUE(form->rect().contains(box));
    for (QWidget* other : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other == Record() || other->inherits("QMenu") || !other->isVisibleTo(form.get()))
            continue;
        EXPECT_FALSE(other->geometry().intersects(box)) << other->objectName().toStdString();
    }
}

// --- the data behind the time window -------------------------------------------

TEST_F(ModelWindowExportTest, TheTimeWindowsDataAreTheStepsOfTheCurrentSweep) {
    Open(ModelKind::OneOscillator);
    Click(Command::Run);
    std::vector<StepReport> shown{form->Engine().Report(ModelKind::OneOscillator)};
    for (int i = 0; i < 20; ++i) {
        form->RunTimerTick();
        shown.push_back(form->Engine().Report(ModelKind::OneOscillator));
    }
    const common::DataTable data = form->Sweep().Table(ModelKind::OneOscillator);
    ASSERT_EQ(data.rows.size(), shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(data.rows[i], RunRow(ModelKind::OneOscillator, shown[i]));
    // "Copy data" gives them with their header.
    MenuOf(Controls().timePlot)->CopyData();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("model_time_ms\ttrace1\ttrace2\tmean_amplitude\n"));
    EXPECT_EQ(copied.count('\n'), 1 + 21);

    // A new run begins a new sweep.
    Click(Command::Run);
    Click(Command::Run);
    EXPECT_EQ(form->Sweep().Steps().size(), 1u);
}

TEST_F(ModelWindowExportTest, TheRightWindowOffersTheCurveOrThePointsItShows) {
    Open(ModelKind::CoupledOscillators);
    Click(Command::Delay);  // "Pt vs Pt-1": the return map
    MenuOf(Controls().rightPlot)->CopyData();
    QString copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("P(t-1)\tP(t)\n0\t0\n0.01\t"));
    EXPECT_EQ(copied.count('\n'), 1 + 101);
    Return(PageParameters);
    Click(Command::Run);  // the phase plot: one point a step
    Ticks(9);
    MenuOf(Controls().rightPlot)->CopyData();
    copied = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(copied.startsWith("P(t-1)\tP(t)\n"));
    EXPECT_EQ(copied.count('\n'), 1 + 10);
}

TEST_F(ModelWindowExportTest, ASweepEndsWhereTheTracesReachTheRightEdge) {
    Open(ModelKind::OneOscillator);
    Click(Command::Run);
    std::size_t longest = 0;
    int sweeps = 0;
    for (int i = 0; i < 9000 && sweeps < 2; ++i) {
        const std::size_t before = form->Sweep().Steps().size();
        form->RunTimerTick();
        if (form->Sweep().Steps().size() < before) ++sweeps;
        longest = std::max(longest, form->Sweep().Steps().size());
    }
    ASSERT_EQ(sweeps, 2);
    // A sweep ends when the rounded x passes 616: StepWidth pixels per step.
    const double stepWidth = form->Renderer().Pictures().trace.stepWidth;
    EXPECT_NEAR(static_cast<double>(longest), (kTimeWindowWidth + 0.5) / stepWidth, 1.5);
}

// --- pictures --------------------------------------------------------------------

TEST_F(ModelWindowExportTest, EveryPlotSavedAsPngAtScaleOneIsThePictureOnScreen) {
    Open(ModelKind::Topological);
    Click(Command::Run);
    Ticks(30);
    IllusionWindow illusion;
    for (int i = 0; i < 12; ++i) illusion.IllusionStep();
    const struct {
        const char* name;
        common::ui::PlotView* view;
    } plots[] = {{"time", Controls().timePlot},
                 {"right", Controls().rightPlot},
                 {"illusion", illusion.gridView}};
    for (const auto& plot : plots) {
        SCOPED_TRACE(plot.name);
        const std::string path = dir.File(std::string(plot.name) + ".png");
        dialogs.saveAnswers.push_back(QString::fromStdString(path));
        dialogs.integerAnswers.push_back(1);
        common::ui::PlotMenu* menu = MenuOf(plot.view);
        ASSERT_NE(menu, nullptr);
        menu->SavePicture();
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        const QImage saved(QString::fromStdString(path));
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
                  plot.view->Image().convertToFormat(QImage::Format_RGB32));
    }
}

TEST_F(ModelWindowExportTest, TheSaveButtonsStillWriteBitmaps) {
    Open(ModelKind::OneOscillator);
    dialogs.saveAnswers.push_back(QString::fromStdString(dir.File("top.bmp")));
    Controls().saveTimePlot->click();
    EXPECT_EQ(dialogs.saveQuestions.at(0).filter, QStringLiteral("bitmap|*.BMP"));
    EXPECT_EQ(common::ReadWholeFile(dir.File("top.bmp")).substr(0, 2), "BM");
}

// --- the batch tool ----------------------------------------------------------------

TEST(MyogridBatchExports, CsvHoldsTheValuesOfTheJson) {
    testing_support::ScopedWorkDir dir;
    const QStringList run{"--model", "one", "--steps", "40", "--seed", "5"};
    const QJsonDocument json = QJsonDocument::fromJson(BatchOutput(run));
    const QList<QByteArray> lines = BatchOutput(run + QStringList{"--csv"}).split('\n');
    const QJsonArray steps = json.object().value(QStringLiteral("steps")).toArray();
    ASSERT_EQ(steps.size(), 40);
    // The seed, the header, the steps, the empty rest after the last LF.
    ASSERT_EQ(lines.size(), 1 + 1 + 40 + 1);
    EXPECT_EQ(lines[0], "# seed=5");
    EXPECT_EQ(json.object().value(QStringLiteral("seed")).toString(), "5");
    EXPECT_EQ(lines[1], "model_time_ms,trace1,trace2,mean_amplitude");
    for (int i = 0; i < 40; ++i) {
        const QJsonObject step = steps[i].toObject();
        const QList<QByteArray> cells = lines[i + 2].split(',');
        ASSERT_EQ(cells.size(), 4);
        EXPECT_EQ(common::ParseFloat(cells[0].toStdString()), step.value("ModelTime").toDouble());
        EXPECT_EQ(common::ParseFloat(cells[1].toStdString()), step.value("trace1").toDouble());
        EXPECT_EQ(common::ParseFloat(cells[2].toStdString()), step.value("trace2").toDouble());
        EXPECT_EQ(common::ParseFloat(cells[3].toStdString()),
                  step.value("MeanAmplitude").toDouble());
    }
}

TEST(MyogridBatchExports, WritesThePictureOfTheWindowAfterTheLastStep) {
    testing_support::ScopedWorkDir dir;
    BatchOutput({"--model", "one", "--steps", "200", "--seed", "5", "--picture", "time", "--out",
                 "time.png"});
    const QImage picture(QStringLiteral("time.png"));
    EXPECT_EQ(picture.size(), QSize(kTimeWindowWidth, kTimeWindowHeight));

    // The same run in the window draws the same picture.
    ParameterTable table = ParameterTable::Defaults();
    myogrid_support::FakeClock clock;
    SeededRandom random(5);
    testing_support::FakeDialogs dialogs;
    ModelWindow window(table, nullptr, &clock, &random);
    ASSERT_TRUE(window.OpenAndShow(QStringLiteral("model"), ModelKind::OneOscillator));
    window.CommandBox(Command::Run)->click();
    for (int i = 1; i < 200; ++i) window.RunTimerTick();
    EXPECT_EQ(picture.convertToFormat(QImage::Format_RGB32),
              window.Controls().timePlot->Image().convertToFormat(QImage::Format_RGB32));

    BatchOutput({"--model", "coupled", "--steps", "20", "--seed", "5", "--picture", "right",
                 "--out", "right.svg"});
    EXPECT_NE(common::ReadWholeFile("right.svg").find("<polyline"), std::string::npos);
}

TEST(MyogridBatchExports, RefusesABadPictureRequestBeforeAnythingIsWritten) {
    testing_support::ScopedWorkDir dir;
    const auto refused = [](const QStringList& extra) {
        QProcess batch;
        batch.start(QStringLiteral(MYOGRID_BATCH_PATH),
                    QStringList{"--model", "one", "--steps", "5"} + extra);
        EXPECT_TRUE(batch.waitForFinished(60000));
        EXPECT_NE(batch.exitCode(), 0);
        EXPECT_TRUE(batch.readAllStandardOutput().isEmpty());
        return QString::fromUtf8(batch.readAllStandardError());
    };
    EXPECT_TRUE(
        refused({"--picture", "left", "--out", "x.png"}).contains("--picture is time or right"));
    EXPECT_TRUE(
        refused({"--picture", "time", "--out", "x.jpg"}).contains("--out names a .png or .svg"));
    EXPECT_TRUE(refused({"--picture", "time"}).contains("go together"));
    EXPECT_TRUE(
        refused({"--picture", "time", "--out", "none/x.png"}).contains("Cannot create file"));
    EXPECT_TRUE(QDir().entryList(QDir::Files).filter("x.").isEmpty());
}
