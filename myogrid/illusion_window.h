#pragma once
// IllusionWindow: runs the IllusionModel on a 100 ms timer and shows what the
// IllusionRenderer drew, with pause, single step and the switch counts on
// request. Its plot menu copies and saves the cells' state.
#include "common/plot_surface.h"
#include "myogrid/engine/illusion_model.h"
#include "myogrid/engine/illusion_renderer.h"

#include <QWidget>
#include <cstdint>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace common::ui {
class PlotView;
}

namespace myogrid {

class IllusionWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSize = IllusionModel::kSize;
    static constexpr std::int32_t kIntervalMs = IllusionModel::kStepMs;

    explicit IllusionWindow(QWidget* parent = nullptr);

    // Called by the launcher: runs the timer and shows the window. The model
    // continues where it stood when the window was closed.
    void Open();
    // One step of the model and its drawing.
    void IllusionStep();
    // One tick of the step timer: the elapsed seconds before the step, then
    // the step.
    void StepTimerTick();

    // Model state; rows i and columns j count from 1.
    std::int32_t IllusionClock() const { return model_.Clock(); }
    int Lit(int i, int j) const { return model_.Lit(i, j); }
    int SwitchCount(int i, int j) const { return model_.SwitchCount(i, j); }
    std::int32_t NextSwitch(int i, int j) const { return model_.NextSwitch(i, j); }
    bool Paused() const { return paused_; }
    bool ShowPeriod() const { return showPeriod_; }
    common::Rgb DarkColour() const { return renderer_.DarkColour(); }
    common::Rgb LightColour() const { return renderer_.LightColour(); }
    const common::PlotSurface& Grid() const { return renderer_.Grid(); }

    common::ui::PlotView* gridView;
    QLabel* headline;
    QLabel* timerCaption;
    QLabel* elapsedSeconds;
    QLabel* secondsCaption;
    QPushButton* periodButton;
    QPushButton* pauseButton;
    QPushButton* stepButton;
    QPushButton* exitButton;
    QPlainTextEdit* explanation;
    QTimer* stepTimer;

signals:
    // The window was closed: the launcher's title animation runs again.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void PauseClicked();
    void StepClicked();
    void PeriodClicked();

    IllusionModel model_;
    IllusionRenderer renderer_;
    bool paused_ = false;
    bool showPeriod_ = false;
};

}  // namespace myogrid
