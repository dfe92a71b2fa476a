#pragma once
// IllusionWindow: 25 x 25 independent on/off oscillators whose periods grow
// from top to bottom and whose phases are shifted from the centre column
// outward; the eye sees travelling waves although nothing couples them.
#include "common/plot_surface.h"

#include <QWidget>
#include <array>
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
    static constexpr int kSize = 25;
    static constexpr int kCellPixels = 12;
    static constexpr std::int32_t kIntervalMs = 100;
    static constexpr common::Rgb kDarkWanted{0, 130, 130};
    static constexpr common::Rgb kLightWanted{102, 255, 255};

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
    std::int32_t IllusionClock() const { return clock_; }
    int Lit(int i, int j) const { return lit_[Cell(i, j)]; }
    int SwitchCount(int i, int j) const { return switchCount_[Cell(i, j)]; }
    std::int32_t NextSwitch(int i, int j) const { return nextSwitch_[Cell(i, j)]; }
    bool Paused() const { return paused_; }
    bool ShowPeriod() const { return showPeriod_; }
    common::Rgb DarkColour() const { return dark_; }
    common::Rgb LightColour() const { return light_; }
    const common::PlotSurface& Grid() const { return grid_; }

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
    common::Rgb Calibrated(common::Rgb wanted);
    static std::size_t Cell(int i, int j) {
        return static_cast<std::size_t>((i - 1) * kSize + (j - 1));
    }

    common::PlotSurface grid_;
    common::Rgb dark_;
    common::Rgb light_;
    std::int32_t clock_ = 0;
    std::array<std::int32_t, kSize * kSize> cellPeriod_{};
    std::array<std::int32_t, kSize * kSize> nextSwitch_{};
    std::array<std::uint8_t, kSize * kSize> lit_{};
    std::array<std::uint8_t, kSize * kSize> switchCount_{};
    bool paused_ = false;
    bool showPeriod_ = false;
};

}  // namespace myogrid
