#pragma once
// A model window on the default parameter table, in a fresh working folder,
// with the dialogs answered by the test, a clock the test moves and a
// seeded random generator.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <memory>

#include "common/ui/int_spin_edit.h"
#include "common/ui/plot_view.h"
#include "myogrid/engine/parameter_table.h"
#include "myogrid/model_help_texts.h"
#include "myogrid/model_window.h"
#include "myogrid/real_spin_edit.h"
#include "support/fake_dialogs.h"
#include "support/work_dir.h"

namespace myogrid_support {

using namespace myogrid;

// Each reading moves the clock on by `advance` milliseconds.
class FakeClock : public MillisecondClock {
public:
    std::int64_t now = 0;
    std::int64_t advance = 0;
    std::int64_t NowMs() override {
        const std::int64_t value = now;
        now += advance;
        return value;
    }
};

class ModelWindowTest : public ::testing::Test {
protected:
    testing_support::ScopedWorkDir dir;
    testing_support::FakeDialogs dialogs;
    FakeClock clock;
    SeededRandom random{12345};
    ParameterTable table = ParameterTable::Defaults();
    std::unique_ptr<ModelWindow> form;
    int builds = 0;

    void SetUp() override {
        form = std::make_unique<ModelWindow>(table, nullptr, &clock, &random);
        QObject::connect(form.get(), &ModelWindow::BuildStarting, [this] {
            ++builds;
            // The notice is up (and painted) before the build starts.
            EXPECT_TRUE(Controls().initializingNotice->isVisible());
        });
    }

    const ModelWindowControls& Controls() const { return form->Controls(); }
    void Open(ModelKind kind, const QString& title = QStringLiteral("Topological model")) {
        ASSERT_TRUE(form->OpenAndShow(title, kind));
        ASSERT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join('\n').toStdString();
    }
    // Opens a model whatever the error boxes shown before.
    void OpenModel(ModelKind kind) {
        ASSERT_TRUE(form->OpenAndShow(QStringLiteral("model"), kind));
    }
    QCheckBox* Box(Command c) const { return form->CommandBox(c); }
    QCheckBox* Box(Switch s) const { return form->SwitchBox(s); }
    QCheckBox* ReturnBox(int page) const { return form->ReturnBox(page); }
    void Click(Command c) { Box(c)->click(); }
    void Click(Switch s) { Box(s)->click(); }
    void Return(int page) { ReturnBox(page)->click(); }
    common::ui::IntSpinEdit* Field(Param p) const { return form->IntegerField(p); }
    RealSpinEdit* RealField(Param p) const { return form->RealField(p); }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) form->RunTimerTick();
    }
    QImage Time() const { return Controls().timePlot->Image(); }
    QImage Right() const { return Controls().rightPlot->Image(); }
};

}  // namespace myogrid_support
