// The model window and myogrid-batch run the same engine: on the same
// parameter file and seed they go through the same steps.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QProcess>
#include <set>
#include <tuple>
#include <vector>

#include "myogrid/engine/parameter_table.h"
#include "myogrid/model_window_fixture.h"

using namespace myogrid;

namespace {

constexpr int kSteps = 200;
constexpr std::uint64_t kSeed = 4242;

// Start-up without a user: every question about a file is cancelled.
class NoQuestions : public StartupQuestions {
public:
    std::optional<std::string> AskForFile(StartupFile) override { return std::nullopt; }
    void ShowMessage(const std::string& message) override { ADD_FAILURE() << message; }
    void ReportFailure(const std::string& message) override { ADD_FAILURE() << message; }
};

struct ModelRun {
    const char* batchName;
    ModelKind kind;
};

// The steps myogrid-batch prints for `kind`, as reports; with `seedArgument`
// off, the seed is the one the parameter file keeps.
std::vector<StepReport> BatchSteps(const char* model, bool seedArgument = true) {
    QProcess batch;
    QStringList arguments = {QStringLiteral("--model"), QString::fromLatin1(model),
                             QStringLiteral("--par"),   QString::fromLatin1(kParameterFileName),
                             QStringLiteral("--steps"), QString::number(kSteps)};
    if (seedArgument) arguments << QStringLiteral("--seed") << QString::number(kSeed);
    batch.start(QStringLiteral(MYOGRID_BATCH_PATH), arguments);
    EXPECT_TRUE(batch.waitForFinished(120000));
    EXPECT_EQ(batch.exitCode(), 0) << batch.readAllStandardError().toStdString();
    const QJsonDocument json = QJsonDocument::fromJson(batch.readAllStandardOutput());
    std::vector<StepReport> steps;
    for (const QJsonValue& value : json.object().value(QStringLiteral("steps")).toArray()) {
        const QJsonObject step = value.toObject();
        StepReport report;
        report.modelTime = step.value(QStringLiteral("ModelTime")).toInt();
        report.activeCount = step.value(QStringLiteral("ActiveCount")).toInt();
        report.meanAmplitude = step.value(QStringLiteral("MeanAmplitude")).toDouble();
        report.trace1 = step.value(QStringLiteral("trace1")).toDouble();
        report.trace2 = step.value(QStringLiteral("trace2")).toDouble();
        steps.push_back(report);
    }
    return steps;
}

TEST(ModelWindowAndBatch, EveryModelGoesThroughTheSameSteps) {
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    // A smaller block than the default keeps the run short.
    ParameterTable written = ParameterTable::Defaults();
    written.Store(Param::Dimension, "6");
    written.Store(Param::Cell2X, "3");
    written.Store(Param::OscDimension, "4");
    written.WriteFile(dir.File(kParameterFileName));
    ParameterTable table;
    NoQuestions questions;
    ASSERT_TRUE(table.ReadAtStartup(questions));

    const ModelRun runs[] = {{"block", ModelKind::Topological},
                             {"one", ModelKind::OneOscillator},
                             {"coupled", ModelKind::CoupledOscillators},
                             {"independent", ModelKind::IndependentOscillators}};
    for (const ModelRun& run : runs) {
        SCOPED_TRACE(run.batchName);
        const std::vector<StepReport> expected = BatchSteps(run.batchName);
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(kSteps));
        // The model moves: the comparison is not one of constant values.
        std::set<std::tuple<int, double, double, double>> states;
        for (const StepReport& step : expected)
            states.insert({step.activeCount, step.meanAmplitude, step.trace1, step.trace2});
        EXPECT_GT(states.size(), 5u);

        myogrid_support::FakeClock clock;
        SeededRandom random(kSeed);
        ModelWindow window(table, nullptr, &clock, &random);
        ASSERT_TRUE(window.OpenAndShow(QStringLiteral("model"), run.kind));
        window.CommandBox(Command::Run)->click();  // builds, starts and steps once
        ASSERT_TRUE(window.Running());
        for (int i = 0; i < kSteps; ++i) {
            if (i > 0) window.RunTimerTick();
            const StepReport shown = window.Engine().Report(run.kind);
            const StepReport& batch = expected[static_cast<std::size_t>(i)];
            ASSERT_EQ(shown.modelTime, batch.modelTime) << "step " << i;
            if (run.kind == ModelKind::Topological)
                ASSERT_EQ(shown.activeCount, batch.activeCount) << "step " << i;
            else
                ASSERT_DOUBLE_EQ(shown.meanAmplitude, batch.meanAmplitude) << "step " << i;
            ASSERT_DOUBLE_EQ(shown.trace1, batch.trace1) << "step " << i;
            ASSERT_DOUBLE_EQ(shown.trace2, batch.trace2) << "step " << i;
        }
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        window.CommandBox(Command::Stop)->click();
    }
}

QByteArray ConnexionFile() {
    QFile file(QStringLiteral("connex.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void ExpectSameSteps(ModelWindow& window, ModelKind kind, const std::vector<StepReport>& expected) {
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(kSteps));
    for (int i = 0; i < kSteps; ++i) {
        if (i > 0) window.RunTimerTick();
        const StepReport shown = window.Engine().Report(kind);
        const StepReport& batch = expected[static_cast<std::size_t>(i)];
        ASSERT_EQ(shown.modelTime, batch.modelTime) << "step " << i;
        ASSERT_EQ(shown.activeCount, batch.activeCount) << "step " << i;
        ASSERT_DOUBLE_EQ(shown.meanAmplitude, batch.meanAmplitude) << "step " << i;
        ASSERT_DOUBLE_EQ(shown.trace1, batch.trace1) << "step " << i;
        ASSERT_DOUBLE_EQ(shown.trace2, batch.trace2) << "step " << i;
    }
}

// A seed typed in the window (or kept in the file) builds and runs what
// myogrid-batch builds and runs with that seed, whatever generator the
// window had before; a second run on the block repeats the first.
TEST(ModelWindowAndBatch, TypedSeedGivesTheBatchBuildAndSteps) {
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    ParameterTable written = ParameterTable::Defaults();
    written.Store(Param::Dimension, "6");
    written.Store(Param::Cell2X, "3");
    written.Store(Param::OscDimension, "4");
    written.WriteFile(dir.File(kParameterFileName));
    ParameterTable table;
    NoQuestions questions;
    ASSERT_TRUE(table.ReadAtStartup(questions));

    const ModelRun runs[] = {{"block", ModelKind::Topological},
                             {"one", ModelKind::OneOscillator},
                             {"coupled", ModelKind::CoupledOscillators},
                             {"independent", ModelKind::IndependentOscillators}};
    for (const ModelRun& run : runs) {
        SCOPED_TRACE(run.batchName);
        const bool block = run.kind == ModelKind::Topological;
        const std::vector<StepReport> expected = BatchSteps(run.batchName);
        const QByteArray batchConnex = block ? ConnexionFile() : QByteArray();
        QFile::remove(QStringLiteral("connex.txt"));

        myogrid_support::FakeClock clock;
        ModelWindow window(table, nullptr, &clock, nullptr);  // its own generator
        ASSERT_TRUE(window.OpenAndShow(QStringLiteral("model"), run.kind));
        window.Controls().seed->setText(QString::number(kSeed));
        emit window.Controls().seed->textEdited(window.Controls().seed->text());
        window.CommandBox(Command::Run)->click();
        ASSERT_TRUE(window.Running());
        if (block) {
            EXPECT_EQ(ConnexionFile(), batchConnex);
        }
        ExpectSameSteps(window, run.kind, expected);

        // Halted and run again: the same steps once more, on the same build.
        // (An oscillator run starts from what the run before left in the
        // oscillators later in the sweep, so only the block repeats whole.)
        if (block) {
            window.CommandBox(Command::Run)->click();
            window.CommandBox(Command::Run)->click();
            ExpectSameSteps(window, run.kind, expected);
        }
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
        window.CommandBox(Command::Stop)->click();
    }

    // The seed kept in the file serves both.
    written.Seed = kSeed;
    written.WriteFile(dir.File(kParameterFileName));
    ASSERT_TRUE(table.ReadAtStartup(questions));
    ASSERT_EQ(table.Seed, std::optional<std::uint64_t>(kSeed));
    const std::vector<StepReport> expected = BatchSteps("block", false);
    const QByteArray batchConnex = ConnexionFile();
    myogrid_support::FakeClock clock;
    ModelWindow window(table, nullptr, &clock, nullptr);
    ASSERT_TRUE(window.OpenAndShow(QStringLiteral("model"), ModelKind::Topological));
    window.CommandBox(Command::Run)->click();
    EXPECT_EQ(ConnexionFile(), batchConnex);
    ExpectSameSteps(window, ModelKind::Topological, expected);
}

}  // namespace
